#pragma once
// KeloProClient: "KELO.PRO" as a client of the kelo-pro-server service on the
// session bus. It has the members of the embedded server (KeloProServer) and the
// same outcomes; its server object, its selection cursor, lives in the service.
//
// Every access waits at most the call timeout (KELO_PRO_TIMEOUT_MS, else the setting,
// else 50 ms). A service that does not answer in time or has left the bus makes the
// access raise AutomationError naming the cause, and the client drops its server
// object. Selecting (a put of PhysId) then connects again; until that succeeds the
// selection itself stays silent, as it does on the embedded server, and every other
// access raises the cause.
//
// ErrorCode and ErrorString are answered from the outcome the service sent with the
// last access (the service still writes their trace lines); a put of PhysId or of
// InformationInErrorCode is sent without waiting for its answer (neither can fail
// on the service). So a read of a variable costs one round trip.
//
// Watchers of the traffic (automation::addAccessObserver) see each access as they do
// on the embedded server, with the outcome the client knows after it: 0 after a
// selection (sent without waiting) and after an access that raised (the service
// sends only the error's text then).

#include "AccessObserver.h"
#include "AutomationObject.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kelobus {

class KeloProClient : public automation::AutomationObject {
public:
    struct Options {
        int callTimeoutMs = 50;
        int connectTimeoutMs = 1000;
    };

    // Connects to the service; raises AutomationError when it is not on the bus or
    // does not create a server object.
    static std::unique_ptr<KeloProClient> connect(const Options &options);
    ~KeloProClient() override;

    void put(const QString &member, const QVariant &value) override;
    QVariant get(const QString &member) override;
    QVariant call(const QString &member, const QVariantList &args = {}) override;

    bool isConnected() const { return !m_objectPath.isEmpty(); }
    // The unique bus name of the service instance the client works with.
    QString serviceOwner() const { return m_owner; }

    // Whether the service owns its name on the session bus (false without a bus).
    static bool serviceOnBus(int timeoutMs = 1000);
    // The PhysIds of the devices of the service's network, in network order;
    // nullopt when the service does not answer.
    static std::optional<QStringList> servicePhysIds(int timeoutMs = 1000);

private:
    void putAccess(const QString &member, const QVariant &value);
    QVariant getAccess(const QString &member);
    QVariant callAccess(const QString &member, const QVariantList &args);
    // Tells the watchers of the traffic of an access that has run (or raised).
    void report(automation::Access::Kind kind, const QString &member, const QVariant *value) const;

    explicit KeloProClient(const Options &options);
    // Creates the server object; on failure leaves the client disconnected and
    // returns the cause.
    bool attach(QString *cause);
    void detach(const QString &cause);
    // A blocking access; raises AutomationError for the service's error and for a
    // lost service.
    QList<QVariant> invoke(const QString &method, const QVariantList &args);
    // An access whose answer is not awaited.
    void post(const QString &method, const QVariantList &args);
    void takeOutcome(const QVariant &code, const QVariant &text);
    [[noreturn]] void raiseLost() const;

    Options m_options;
    QDBusConnection m_bus;
    QString m_owner;       // unique name of the service instance
    QString m_objectPath;  // empty while disconnected
    QString m_lostCause;   // why the client is disconnected
    bool m_everConnected = false;

    bool m_outcomeKnown = true;
    int m_outcome = 0;
    QString m_outcomeText = QStringLiteral("No error");
};

// The server behind "KELO.PRO" for this process: Embedded (the simulator in the
// process), Service (the kelo-pro-server on the session bus).
enum class ServerChoice { Embedded, Service };

// Chooses by KELO_PRO_SERVER (embedded, dbus, auto), else by the setting "Server" in
// the group "Client" of KR/KeloPro.ini in the user's configuration folder, else auto:
// the service when it owns its name on the session bus, else embedded. Raises
// AutomationError for a value that is none of these.
ServerChoice chooseServer();

// The options of a client from KELO_PRO_TIMEOUT_MS and the settings file.
KeloProClient::Options clientOptions();

} // namespace kelobus
