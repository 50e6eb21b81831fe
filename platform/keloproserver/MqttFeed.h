#pragma once
// MqttFeed: the plant-wide feed of kelo-pro-server through an MQTT broker.
//
// Published (topics under "kelo/", JSON payloads, timestamps in ISO 8601 UTC with
// milliseconds; see README.md):
//   kelo/status                   retained: the service is online (its last will: offline)
//   kelo/<PhysId>/identification  retained: device type, program version, serial
//                                 number, node, node address; again on each change
//   kelo/<PhysId>/values          every Rate ms: the live values with their units
//   kelo/<PhysId>/error           retained: error code and text, fault code; again
//                                 on each change
//   kelo/<PhysId>/written         the outcome of a write carried out for a command
//   kelo/errors                   commands refused or failed, with the reason
// Subscribed: kelo/<PhysId>/set/<Variable> with {"value": number} or a bare number;
// carried out only for PhysIds the setting enables. Nothing else is ever written.
//
// The broker connection runs on libmosquitto's own thread; messages are handled
// and the devices read on the thread of the feed. A broker that goes away is
// reconnected to (every 1 to 5 s); retained topics are published again then.

#include "KeloProServer.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>

struct mosquitto;
struct mosquitto_message;
class QTimer;

namespace kelobus {

class MqttFeed : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString host = QStringLiteral("127.0.0.1");
        int port = 1883;
        QString clientId;          // empty: "kelo-pro-server-<pid>"
        int rateMs = 1000;         // live values
        QSet<QString> writable;    // lower-case PhysIds whose variables commands may write
    };

    // reader: the server object the feed reads through (no trace); writer: the one
    // its commands write through (traced as every client is).
    MqttFeed(const Options &options, std::unique_ptr<kelopro::KeloProServer> reader,
             std::unique_ptr<kelopro::KeloProServer> writer, QObject *parent = nullptr);
    ~MqttFeed() override;

    // Starts connecting (in the background); false with the reason when the
    // library refuses the options.
    bool start(QString *error);

    // Parses "host", "host:port" or ":port".
    static bool parseBroker(const QString &text, QString *host, int *port);

signals:
    void report(const QString &line);

private:
    // Called on the library's thread.
    static void onConnect(mosquitto *m, void *self, int rc);
    static void onDisconnect(mosquitto *m, void *self, int rc);
    static void onMessage(mosquitto *m, void *self, const mosquitto_message *message);

    void connected();
    void publishAll(bool values);
    void handleCommand(const QString &topic, const QByteArray &payload, bool retained);
    void refuse(const QString &topic, const QString &reason);
    void publish(const QString &topic, const QJsonObject &payload, bool retain);

    QJsonObject identification(const kelopro::SimDevice &device);
    QJsonObject errorState(const kelopro::SimDevice &device);
    QJsonObject liveValues(const kelopro::SimDevice &device, bool *contact);
    // Reads PhysId + variable through the reader; nullopt when the access failed
    // without a value (no contact, unknown variable).
    QVariant read(const QString &name, int *outcome = nullptr, QString *text = nullptr);

    Options m_options;
    std::unique_ptr<kelopro::KeloProServer> m_reader;
    std::unique_ptr<kelopro::KeloProServer> m_writer;
    mosquitto *m_mosq = nullptr;
    QTimer *m_timer;
    bool m_connected = false;
    QHash<QString, QByteArray> m_lastIdentification; // by PhysId, without timestamp
    QHash<QString, QByteArray> m_lastError;
    QSet<QString> m_unpublishable;
};

} // namespace kelobus
