#pragma once
// One KR 715 as kr715ctl reaches it: every access goes through the program's server
// wrapper (VariableServer::SelectVariable with the device's PhysId followed by the
// variable name), and every outcome is read from the server's error code after the
// access, as the program's polling cycle does.

#include "VariableServer.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>

// The outcome of a device operation: empty error when it succeeded.
struct CtlFailure {
    int code = 0;      // the server's error code, or 0 for a failure the tool finds itself
    QString text;      // what went wrong, ready to show
    bool failed() const { return !text.isEmpty(); }
};

struct CtlIdentity {
    int deviceType = 0;
    int programVersion = 0;
    QString serial;       // the serial number as the General tab shows it ("78563F")
    int node = 0;         // the P-NET node address
    int fault = 0;        // the device's fault code (".Error3"), 0 for none
    QString faultText;    // the server's text for it
};

// A live value of the Data tab: its variable ("Flow"), the value as the program shows
// it, and the number itself.
struct CtlLiveValue {
    QString name;
    QString text;
    double value = 0;
};

class CtlDevice {
public:
    using Translate = std::function<QString(const QString &)>;
    CtlDevice(VariableServer &server, const QString &physId, Translate translate);

    const QString &physId() const { return m_physId; }

    // Checks that the PhysId names an answering KR 715 and reads its identification.
    bool identify(CtlIdentity &identity, CtlFailure &failure);
    // The names of the live values readLive delivers, in order ("Flow" ... "Output3").
    static QStringList liveNames();
    // The live values of the Data tab (Flow ... Output3).
    bool readLive(QList<CtlLiveValue> &values, CtlFailure &failure);
    // The register texts E1 to E8 (index 1 to 8) as the Config tab shows them after a read.
    bool readRegisters(std::array<QString, 9> &texts, CtlFailure &failure);
    // Writes the registers of a configuration file (configfile::loadTexts: E1, E2, E3,
    // E5, E6, E7 and the first four digits of E8) with the device's own node address,
    // then reads every written register back and compares. written receives the texts
    // written (E8 with the node address).
    bool writeRegisters(const std::array<QString, 9> &fileTexts, std::array<QString, 9> &written, CtlFailure &failure);

private:
    // Selects PhysId + variable and reads it; false with the failure when the access
    // failed. A device with a fault still delivers the value (error code 256).
    bool read(const QString &variable, QVariant &value, CtlFailure &failure);
    bool write(const QString &variable, const QVariant &value, CtlFailure &failure);
    bool serverFailure(int code, CtlFailure &failure);
    QString registerText(int reg, const QVariant &value) const;

    VariableServer &m_server;
    QString m_physId;
    Translate m_translate;
    int m_lastCode = 0;
};
