#pragma once
// The process-variable server "KELO.PRO" over a simulated P-NET network.
//
// The server works as a cursor: putting PhysId makes a device (bare PhysId) or a
// device variable (PhysId followed by a name such as ".Flow") current, and value,
// NodeAddress, DoRead and DoWrite apply to it. Member and variable names are
// compared without regard to case. ErrorCode and ErrorString report the outcome of
// the last access; see README.md for the codes, the network file and the trace.

#include "AccessObserver.h"
#include "AutomationObject.h"
#include "SimNetwork.h"

#include <QFile>
#include <memory>

namespace kelopro {

class KeloProServer : public automation::AutomationObject {
public:
    static constexpr const char *ProgId = "KELO.PRO";
    // Environment variable naming the trace file (the bus monitor).
    static constexpr const char *TraceFileVariable = "KELO_PRO_TRACE";

    // A server on the given network; traceFile, when not empty, receives one line
    // per member access.
    explicit KeloProServer(std::shared_ptr<SimNetwork> network, const QString &traceFile = QString());
    // A server on the given network that writes its trace lines to a trace file it
    // shares with other server objects (the service's one bus monitor); null: no trace.
    KeloProServer(std::shared_ptr<SimNetwork> network, std::shared_ptr<QFile> sharedTrace);
    ~KeloProServer() override;

    // A server on the network named by KELO_PRO_NETWORK (or the default network),
    // tracing to KELO_PRO_TRACE when it is set. Raises automation::AutomationError
    // with the text of the network error when the network file is not valid.
    static std::unique_ptr<KeloProServer> createFromEnvironment();
    // A server on a network given as JSON; raises NetworkError when it is not valid.
    static std::unique_ptr<KeloProServer> fromJson(const QByteArray &json, const QString &sourceName = QStringLiteral("(memory)"),
                                                   const QString &traceFile = QString());

    void put(const QString &member, const QVariant &value) override;
    QVariant get(const QString &member) override;
    QVariant call(const QString &member, const QVariantList &args = {}) override;

    SimNetwork &network() { return *m_network; }
    const std::shared_ptr<SimNetwork> &sharedNetwork() const { return m_network; }
    // Advances the network's clock (for tests: switch it to manual time first).
    void advanceClock(double seconds) { m_network->clock().advance(seconds); }

    int errorCode() const { return m_outcome; }
    // ErrorString without a trace line.
    QString errorString() const;
    bool tracing() const { return m_trace != nullptr; }

    // The text a value has in the trace.
    static QString traceText(const QVariant &value);

private:
    enum class Member { Unknown, PhysId, InformationInErrorCode, Value, ErrorCode, ErrorString, NodeAddress, InValue, DoRead, DoWrite };
    static Member lookup(const QString &member);

    void putMember(Member m, const QString &member, const QVariant &value);
    QVariant getMember(Member m, const QString &member);
    void callMember(Member m, const QString &member, const QVariantList &args);

    void select(const QString &name);
    // Records the outcome of an access; a failed access raises AutomationError
    // with the outcome text unless InformationInErrorCode is set.
    void finish(int outcome, const QString &text = QString());
    void finishDevice(int outcome, const SimDevice *device);
    QString deviceOutcomeText(int outcome, const SimDevice *device) const;
    // Checks that the selection names a variable of an answering device; otherwise
    // finishes with the reason and returns false.
    bool checkVariableAccess();
    void doRead();
    void doWrite();
    void trace(const char *kind, const QString &member, const QString *value);
    void observe(automation::Access::Kind kind, const QString &member, const QVariant *value);

    std::shared_ptr<SimNetwork> m_network;

    // The cursor.
    QString m_selectedName;         // PhysId as last put
    QString m_selectedVariable;     // lower-case variable name (".flow"), empty for a bare PhysId
    SimDevice *m_device = nullptr;  // device of the selection; nullptr when unknown
    int m_variable = -1;            // index of the selected variable; -1 for a bare PhysId or unknown
    int m_selectionOutcome = 0;     // outcome of the selection itself
    QString m_selectionText;        // and its text
    bool m_informationInErrorCode = false;
    QString m_nodeAddressOverride;  // NodeAddress as put since the selection
    int m_overrideNode = -1;        // its node number; -1 none, -2 invalid
    qint32 m_inValue = 0;

    // The last outcome.
    int m_outcome = 0;
    QString m_outcomeText;          // its text when it is not 0

    std::shared_ptr<QFile> m_trace;

    // What a name selects, as select() worked it out: a program selects the same few
    // names over and over. Valid while the network's devices stay the same.
    struct Resolved {
        SimDevice *device = nullptr;
        int variable = -1;
        QString selectedVariable;
        int outcome = 0;
        QString text;
    };
    QHash<QString, Resolved> m_resolved;
    quint64 m_resolvedGeneration = 0;
};

// Registers the ProgID "KELO.PRO": each created object is a client of the
// kelo-pro-server service when that is chosen (KELO_PRO_SERVER, the setting, or
// auto: the service is on the session bus), otherwise an embedded server that reads
// the network named by KELO_PRO_NETWORK at its creation.
void registerServer();

// The PhysIds of the devices of the network "KELO.PRO" reaches, in network order: the
// service's network when the service is the server, else the network the embedded
// server reads. Empty when that network cannot be read or the service does not answer.
QStringList networkPhysIds();

} // namespace kelopro
