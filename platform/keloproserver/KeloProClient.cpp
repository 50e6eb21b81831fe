#include "KeloProClient.h"

#include "KeloProBus.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kelobus {

using automation::AutomationError;

namespace {

bool sameName(const QString &member, QLatin1String name)
{
    return member.size() == name.size() && member.compare(name, Qt::CaseInsensitive) == 0;
}

QDBusMessage methodCall(const QString &destination, const QString &path, const QString &interface, const QString &method)
{
    QDBusMessage m = QDBusMessage::createMethodCall(destination, path, interface, method);
    m.setAutoStartService(false);
    return m;
}

QDBusMessage busCall(const QString &method)
{
    return methodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                      QStringLiteral("org.freedesktop.DBus"), method);
}

QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/KR/KeloPro.ini");
}

// A session bus to ask: named by the environment, or the user's bus socket. Without
// either no connection is tried, so that nothing starts a bus of its own.
bool sessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

QString typeName(const QVariant &v)
{
    return v.isValid() ? QString::fromLatin1(v.typeName()) : QStringLiteral("empty");
}

} // namespace

KeloProClient::KeloProClient(const Options &options)
    : m_options(options)
    , m_bus(QDBusConnection::sessionBus())
{
}

KeloProClient::~KeloProClient()
{
    if (isConnected() && m_bus.isConnected()) {
        // Waited for: the bus keeps the order of messages, so the accesses sent without
        // waiting have reached the service (and its trace) before the program ends.
        QDBusMessage release = methodCall(m_owner, factoryPath(), factoryInterface(), QStringLiteral("ReleaseObject"));
        release << QVariant::fromValue(QDBusObjectPath(m_objectPath));
        m_bus.call(release, QDBus::Block, m_options.callTimeoutMs);
    }
}

std::unique_ptr<KeloProClient> KeloProClient::connect(const Options &options)
{
    std::unique_ptr<KeloProClient> client(new KeloProClient(options));
    QString cause;
    if (!client->attach(&cause))
        throw AutomationError(cause);
    return client;
}

bool KeloProClient::serviceOnBus(int timeoutMs)
{
    if (!sessionBusConfigured())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage ask = busCall(QStringLiteral("NameHasOwner"));
    ask << serviceName();
    const QDBusMessage reply = bus.call(ask, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

std::optional<QStringList> KeloProClient::servicePhysIds(int timeoutMs)
{
    if (!sessionBusConfigured())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    const QDBusMessage reply = bus.call(methodCall(serviceName(), factoryPath(), factoryInterface(), QStringLiteral("PhysIds")),
                                        QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().first().toStringList();
}

bool KeloProClient::attach(QString *cause)
{
    if (!m_bus.isConnected()) {
        *cause = QStringLiteral("Cannot reach the KELO.PRO service: no session bus (%1)").arg(m_bus.lastError().message());
        m_lostCause = *cause;
        return false;
    }
    QDBusMessage ask = busCall(QStringLiteral("GetNameOwner"));
    ask << serviceName();
    // The first connection may wait for a service that is starting; a reconnection
    // during polling must not hold the window up for long.
    const int timeout = m_everConnected ? qMin(m_options.connectTimeoutMs, 250) : m_options.connectTimeoutMs;
    const QDBusMessage owner = m_bus.call(ask, QDBus::Block, timeout);
    if (owner.type() != QDBusMessage::ReplyMessage) {
        *cause = QStringLiteral("Cannot reach the KELO.PRO service: %1 is not running on the session bus").arg(serviceName());
        m_lostCause = *cause;
        return false;
    }
    const QString ownerName = owner.arguments().value(0).toString();
    const QDBusMessage created = m_bus.call(methodCall(ownerName, factoryPath(), factoryInterface(), QStringLiteral("CreateObject")),
                                            QDBus::Block, timeout);
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) {
        *cause = QStringLiteral("Cannot reach the KELO.PRO service: it created no server object (%1)").arg(created.errorMessage());
        m_lostCause = *cause;
        return false;
    }
    m_owner = ownerName;
    m_everConnected = true;
    m_objectPath = qvariant_cast<QDBusObjectPath>(created.arguments().first()).path();
    m_lostCause.clear();
    m_outcomeKnown = true;
    m_outcome = 0;
    m_outcomeText = QStringLiteral("No error");
    return !m_objectPath.isEmpty();
}

void KeloProClient::detach(const QString &cause)
{
    if (isConnected() && m_bus.isConnected()) {
        QDBusMessage release = methodCall(m_owner, factoryPath(), factoryInterface(), QStringLiteral("ReleaseObject"));
        release << QVariant::fromValue(QDBusObjectPath(m_objectPath));
        m_bus.send(release);
    }
    m_objectPath.clear();
    m_lostCause = cause;
    m_outcomeKnown = false;
}

void KeloProClient::raiseLost() const
{
    throw AutomationError(m_lostCause.isEmpty() ? QStringLiteral("No connection to the KELO.PRO service") : m_lostCause);
}

QList<QVariant> KeloProClient::invoke(const QString &method, const QVariantList &args)
{
    QDBusMessage m = methodCall(m_owner, m_objectPath, objectInterface(), method);
    m.setArguments(args);
    const QDBusMessage reply = m_bus.call(m, QDBus::Block, m_options.callTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return reply.arguments();
    if (reply.errorName() == automationErrorName()) {
        m_outcomeKnown = false;
        throw AutomationError(reply.errorMessage());
    }
    QString cause;
    switch (QDBusError(reply).type()) {
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        cause = QStringLiteral("Connection to the KELO.PRO service lost: no answer within %1 ms").arg(m_options.callTimeoutMs);
        break;
    case QDBusError::ServiceUnknown:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
        cause = QStringLiteral("Connection to the KELO.PRO service lost: the service has left the session bus");
        break;
    default:
        cause = reply.errorName() == noSuchObjectErrorName()
            ? QStringLiteral("Connection to the KELO.PRO service lost: the service no longer holds this client's server object")
            : QStringLiteral("Connection to the KELO.PRO service lost: %1").arg(reply.errorMessage());
        break;
    }
    detach(cause);
    raiseLost();
}

void KeloProClient::post(const QString &method, const QVariantList &args)
{
    QDBusMessage m = methodCall(m_owner, m_objectPath, objectInterface(), method);
    m.setArguments(args);
    m_bus.send(m);
}

void KeloProClient::takeOutcome(const QVariant &code, const QVariant &text)
{
    m_outcome = code.toInt();
    m_outcomeText = text.toString();
    m_outcomeKnown = true;
}

void KeloProClient::put(const QString &member, const QVariant &value)
{
    if (!automation::accessObserved()) {
        putAccess(member, value);
        return;
    }
    try {
        putAccess(member, value);
    } catch (...) {
        report(automation::Access::Kind::Put, member, &value);
        throw;
    }
    report(automation::Access::Kind::Put, member, &value);
}

QVariant KeloProClient::get(const QString &member)
{
    if (!automation::accessObserved())
        return getAccess(member);
    QVariant value;
    try {
        value = getAccess(member);
    } catch (...) {
        report(automation::Access::Kind::Get, member, nullptr);
        throw;
    }
    report(automation::Access::Kind::Get, member, &value);
    return value;
}

QVariant KeloProClient::call(const QString &member, const QVariantList &args)
{
    if (!automation::accessObserved())
        return callAccess(member, args);
    QVariant result;
    try {
        result = callAccess(member, args);
    } catch (...) {
        report(automation::Access::Kind::Call, member, nullptr);
        throw;
    }
    report(automation::Access::Kind::Call, member, nullptr);
    return result;
}

void KeloProClient::report(automation::Access::Kind kind, const QString &member, const QVariant *value) const
{
    // A selection is sent without waiting: its outcome is known with the next answer.
    automation::notifyAccess(this, kind, member, value, m_outcomeKnown ? m_outcome : 0, &automation::traceText);
}

void KeloProClient::putAccess(const QString &member, const QVariant &value)
{
    const bool selection = sameName(member, QLatin1String("PhysId"));
    const bool informationFlag = sameName(member, QLatin1String("InformationInErrorCode"));
    if (!isConnected()) {
        // The selection connects again; while that fails it stays silent (as a
        // selection on the server does) and the next access reports the cause.
        if (informationFlag)
            return;
        if (!selection)
            raiseLost();
        QString cause;
        if (!attach(&cause))
            return;
    }
    QVariantList wire;
    if (!toWire(value, wire))
        throw AutomationError(QStringLiteral("Type mismatch: a value of type %1 cannot be sent to the KELO.PRO service as %2")
                                  .arg(typeName(value), member));
    if ((selection && value.typeId() == QMetaType::QString) || (informationFlag && value.typeId() == QMetaType::Bool)) {
        post(QStringLiteral("Put"), {member, QVariant(wire)});
        if (selection)
            m_outcomeKnown = false;
        return;
    }
    const QList<QVariant> reply = invoke(QStringLiteral("Put"), {member, QVariant(wire)});
    takeOutcome(reply.value(0), reply.value(1));
}

QVariant KeloProClient::getAccess(const QString &member)
{
    if (!isConnected())
        raiseLost();
    if (m_outcomeKnown) {
        if (sameName(member, QLatin1String("ErrorCode"))) {
            post(QStringLiteral("Get"), {member});
            return m_outcome;
        }
        if (sameName(member, QLatin1String("ErrorString"))) {
            post(QStringLiteral("Get"), {member});
            return m_outcomeText;
        }
    }
    const QList<QVariant> reply = invoke(QStringLiteral("Get"), {member});
    const QVariant value = fromWire(reply.value(0));
    takeOutcome(reply.value(1), reply.value(2));
    return value;
}

QVariant KeloProClient::callAccess(const QString &member, const QVariantList &args)
{
    if (!isConnected())
        raiseLost();
    QVariantList wireArgs;
    for (const QVariant &arg : args) {
        QVariantList wire;
        if (!toWire(arg, wire) || wire.isEmpty())
            throw AutomationError(QStringLiteral("Type mismatch: an argument of type %1 cannot be sent to the KELO.PRO service")
                                      .arg(typeName(arg)));
        wireArgs.append(wire.first());
    }
    const QList<QVariant> reply = invoke(QStringLiteral("Call"), {member, QVariant(wireArgs)});
    const QVariant result = fromWire(reply.value(0));
    takeOutcome(reply.value(1), reply.value(2));
    return result;
}

ServerChoice chooseServer()
{
    QString choice = qEnvironmentVariable(ServerChoiceVariable).trimmed().toLower();
    QString source = QString::fromLatin1(ServerChoiceVariable);
    if (choice.isEmpty()) {
        const QSettings settings(settingsPath(), QSettings::IniFormat);
        choice = settings.value(QStringLiteral("Client/Server")).toString().trimmed().toLower();
        source = QStringLiteral("The setting Client/Server of \"%1\"").arg(QDir::toNativeSeparators(settingsPath()));
    }
    if (choice == QLatin1String("embedded"))
        return ServerChoice::Embedded;
    if (choice == QLatin1String("dbus"))
        return ServerChoice::Service;
    if (choice.isEmpty() || choice == QLatin1String("auto"))
        return KeloProClient::serviceOnBus(clientOptions().connectTimeoutMs) ? ServerChoice::Service : ServerChoice::Embedded;
    throw AutomationError(QStringLiteral("%1 is \"%2\"; it must be embedded, dbus or auto").arg(source, choice));
}

KeloProClient::Options clientOptions()
{
    KeloProClient::Options options;
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    bool ok = false;
    int timeout = qEnvironmentVariable(CallTimeoutVariable).toInt(&ok);
    if (!ok)
        timeout = settings.value(QStringLiteral("Client/CallTimeout")).toInt(&ok);
    options.callTimeoutMs = ok && timeout > 0 ? qMin(timeout, 60000) : DefaultCallTimeoutMs;
    options.connectTimeoutMs = qMax(options.callTimeoutMs, 1000);
    return options;
}

} // namespace kelobus
