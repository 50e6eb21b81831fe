#pragma once
// The session-bus protocol of the "KELO.PRO" service (kelo-pro-server) and its
// clients.
//
// The service owns the well-known name ServiceName. Its factory object
// (FactoryPath, interface FactoryInterface) creates one server object per
// CreateObject call, owned by the calling connection; each server object keeps its
// own selection cursor on the one shared network and lives until its owner
// releases it or leaves the bus.
//
// The factory also answers PhysIds() -> as: the PhysIds of the network's devices, in
// the order of the network.
//
// Server objects (interface ObjectInterface) carry the members of KELO.PRO:
//   Put(s member, av value)  -> (i outcome, s text)
//   Get(s member)            -> (av value, i outcome, s text)
//   Call(s member, av args)  -> (av result, i outcome, s text)
// A value travels as an array of at most one variant: empty for the empty value.
// outcome and text are ErrorCode and ErrorString after the access. An access that
// raises answers with the error AutomationErrorName, its message the error text.

#include <QString>
#include <QVariant>

namespace kelobus {

inline QString serviceName() { return QStringLiteral("com.kr.KeloPro"); }
inline QString factoryPath() { return QStringLiteral("/com/kr/KeloPro"); }
inline QString objectPathPrefix() { return QStringLiteral("/com/kr/KeloPro/objects/"); }
inline QString factoryInterface() { return QStringLiteral("com.kr.KeloPro.Server"); }
inline QString objectInterface() { return QStringLiteral("com.kr.KeloPro.Object"); }
inline QString automationErrorName() { return QStringLiteral("com.kr.KeloPro.Error.Automation"); }
inline QString noSuchObjectErrorName() { return QStringLiteral("com.kr.KeloPro.Error.NoSuchObject"); }

// Environment variable and setting that choose the server behind "KELO.PRO".
constexpr const char *ServerChoiceVariable = "KELO_PRO_SERVER";
// Environment variable of the time a client waits for one answer, in milliseconds.
constexpr const char *CallTimeoutVariable = "KELO_PRO_TIMEOUT_MS";
// Default of that time: an access must fit one 50 ms polling tick.
constexpr int DefaultCallTimeoutMs = 50;

// A value as it travels: an empty list for the empty value, else the value alone
// (types the bus cannot carry as they are are converted: Char types to int, float to
// double; lists element by element). Returns false for a value the bus cannot carry.
bool toWire(const QVariant &value, QVariantList &wire);
// The value of a received array of at most one variant.
QVariant fromWire(const QVariant &received);
// The values of a received array of variants (the arguments of Call).
QVariantList listFromWire(const QVariant &received);

} // namespace kelobus
