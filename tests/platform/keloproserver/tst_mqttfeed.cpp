// The MQTT feed of kelo-pro-server against a private mosquitto on 127.0.0.1: what
// arrives under kelo/<PhysId>/..., commands carried out only where enabled, refused
// commands on kelo/errors with nothing written, and a broker that goes away and
// comes back.

#include "KeloProClient.h"
#include "ServiceProcess.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char *const NetworkJson = R"({"devices":[
  {"physId":"FT1","deviceType":715,"frozen":true,"variables":{".Flow":12.5,".Temperature":21.5,".SetPoint":500,
     ".Code2":555812352,".Code3":539112448,".Meternumber":2018918144}},
  {"physId":"FT2","deviceType":715,"frozen":true,"fault":5,"variables":{".SetPoint":40}},
  {"physId":"FT3","deviceType":715,"answers":false},
  {"physId":"PT1","deviceType":702,"frozen":true,"variables":{".Pressure":2.5}},
  {"physId":"LINE/7","deviceType":702,"frozen":true}]})";

int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool portOpen(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<quint16>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

struct Message {
    QString topic;
    QByteArray payload;
    bool retained = false;
    QJsonObject json() const { return QJsonDocument::fromJson(payload).object(); }
};

// A subscriber to kelo/# of its own, which also sends the commands.
class Subscriber {
public:
    explicit Subscriber(int port)
    {
        m_mosq = mosquitto_new(nullptr, true, this);
        mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
        mosquitto_connect_callback_set(m_mosq, [](mosquitto *m, void *, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, "kelo/#", 1);
        });
        mosquitto_message_callback_set(m_mosq, [](mosquitto *, void *self, const mosquitto_message *msg) {
            auto *s = static_cast<Subscriber *>(self);
            QMutexLocker lock(&s->m_mutex);
            s->m_messages.append({QString::fromUtf8(msg->topic),
                                  QByteArray(static_cast<const char *>(msg->payload), msg->payloadlen), msg->retain});
        });
        mosquitto_connect(m_mosq, "127.0.0.1", port, 10);
        mosquitto_loop_start(m_mosq);
    }
    ~Subscriber()
    {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
        mosquitto_destroy(m_mosq);
    }
    QList<Message> messages(const QString &topic)
    {
        QMutexLocker lock(&m_mutex);
        QList<Message> result;
        for (const Message &m : m_messages)
            if (m.topic == topic)
                result.append(m);
        return result;
    }
    qsizetype count()
    {
        QMutexLocker lock(&m_mutex);
        return m_messages.size();
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_messages.clear();
    }
    void publish(const QString &topic, const QByteArray &payload, bool retain = false)
    {
        const QByteArray t = topic.toUtf8();
        mosquitto_publish(m_mosq, nullptr, t.constData(), int(payload.size()), payload.constData(), 1, retain);
    }

private:
    mosquitto *m_mosq = nullptr;
    QMutex m_mutex;
    QList<Message> m_messages;
};

bool isIsoTimestamp(const QString &text)
{
    const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    return t.isValid() && t.timeSpec() == Qt::UTC && text.endsWith(QLatin1Char('Z'));
}

} // namespace

class TestMqttFeed : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_port = 0;
    QProcess m_broker;
    ServiceProcess m_service;
    std::unique_ptr<kelobus::KeloProClient> m_client;

    bool startBroker()
    {
        const QString conf = m_dir.filePath("mosquitto.conf");
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n").arg(m_port).toUtf8());
        f.close();
        m_broker.setStandardOutputFile(QProcess::nullDevice());
        m_broker.setStandardErrorFile(QProcess::nullDevice());
        m_broker.start(QStringLiteral("mosquitto"), {"-c", conf});
        if (!m_broker.waitForStarted(5000))
            return false;
        for (int i = 0; i < 250; ++i) {
            if (portOpen(m_port))
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    bool startService()
    {
        return m_service.start({"--network", m_dir.filePath("network.json"), "--mqtt", QStringLiteral("127.0.0.1:%1").arg(m_port),
                                "--mqtt-rate", "100", "--mqtt-writable", "FT1, pt1"});
    }

    QVariant read(const QString &name)
    {
        m_client->put("PhysId", name);
        m_client->put("InformationInErrorCode", true);
        return m_client->get("value");
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run under dbus-run-session");
        QVERIFY(m_dir.isValid());
        QFile net(m_dir.filePath("network.json"));
        QVERIFY(net.open(QIODevice::WriteOnly));
        net.write(NetworkJson);
        net.close();
        m_port = freePort();
        QVERIFY(m_port > 0);
        QVERIFY(startBroker());
        QVERIFY2(startService(), qPrintable(m_service.errors()));
        m_client = kelobus::KeloProClient::connect({2000, 2000});
    }

    void cleanupTestCase()
    {
        m_client.reset();
        m_service.stop();
        m_broker.terminate();
        m_broker.waitForFinished(5000);
    }

    // Identification and error state are retained: a subscriber that comes later
    // gets them at once.
    void retainedIdentificationAndErrors()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("connected"), 5000);
        QTest::qWait(200);
        Subscriber late(m_port);
        QTRY_VERIFY_WITH_TIMEOUT(!late.messages("kelo/FT3/error").isEmpty(), 5000);

        const QList<Message> ident = late.messages("kelo/FT1/identification");
        QVERIFY(!ident.isEmpty());
        QVERIFY(ident.first().retained);
        const QJsonObject id = ident.first().json();
        QCOMPARE(id.value("physId").toString(), QStringLiteral("FT1"));
        QCOMPARE(id.value("deviceType").toInt(), 715);
        QCOMPARE(id.value("programVersion").toInt(), 105);
        QCOMPARE(id.value("serialNumber").toString(), QStringLiteral("78563F")); // .Meternumber 0x78563F00
        QCOMPARE(id.value("node").toString(), QStringLiteral("34"));
        QCOMPARE(id.value("nodeAddress").toString(), QStringLiteral("0001.0000.34"));
        QCOMPARE(id.value("contact").toBool(), true);
        QVERIFY2(isIsoTimestamp(id.value("timestamp").toString()), qPrintable(id.value("timestamp").toString()));

        const QJsonObject silent = late.messages("kelo/FT3/identification").value(0).json();
        QCOMPARE(silent.value("contact").toBool(true), false);
        QVERIFY(!silent.contains("deviceType"));

        const QJsonObject fault = late.messages("kelo/FT2/error").value(0).json();
        QCOMPARE(fault.value("code").toInt(), 256);
        QCOMPARE(fault.value("text").toString(), QStringLiteral("Device fault: FT2 reports fault code 5"));
        QCOMPARE(fault.value("fault").toInt(), 5);
        const QJsonObject noContact = late.messages("kelo/FT3/error").value(0).json();
        QCOMPARE(noContact.value("code").toInt(), 1024);
        QCOMPARE(noContact.value("contact").toBool(true), false);
        const QJsonObject fine = late.messages("kelo/FT1/error").value(0).json();
        QCOMPARE(fine.value("code").toInt(), 0);
        QCOMPARE(fine.value("text").toString(), QStringLiteral("No error"));
        QVERIFY(late.messages("kelo/status").value(0).json().value("online").toBool());
    }

    // Live values at the configured rate, with units and timestamps; none from a
    // device that does not answer.
    void liveValues()
    {
        Subscriber s(m_port);
        QTest::qWait(1000);
        const QList<Message> values = s.messages("kelo/FT1/values");
        QVERIFY2(values.size() >= 4 && values.size() <= 12, qPrintable(QString::number(values.size())));
        QVERIFY(!values.first().retained);
        const QJsonObject v = values.last().json().value("values").toObject();
        QCOMPARE(v.value("Flow").toObject().value("value").toDouble(), 12.5);
        QCOMPARE(v.value("Flow").toObject().value("unit").toString(), QStringLiteral("unit/min"));
        QCOMPARE(v.value("Volume1").toObject().value("unit").toString(), QStringLiteral("unit"));
        QCOMPARE(v.value("Temperature").toObject().value("value").toDouble(), 21.5);
        QCOMPARE(v.value("Temperature").toObject().value("unit").toString(), QStringLiteral("°C"));
        QVERIFY(v.contains("Output2"));
        QVERIFY(isIsoTimestamp(values.last().json().value("timestamp").toString()));
        const QDateTime first = QDateTime::fromString(values.first().json().value("timestamp").toString(), Qt::ISODateWithMs);
        const QDateTime last = QDateTime::fromString(values.last().json().value("timestamp").toString(), Qt::ISODateWithMs);
        QVERIFY(first < last);
        QCOMPARE(s.messages("kelo/PT1/values").value(0).json().value("values").toObject().value("Pressure").toObject().value("value").toDouble(), 2.5);
        QVERIFY(s.messages("kelo/FT3/values").isEmpty());
        // A PhysId that cannot be a topic level is left out, and said so.
        QVERIFY(s.messages("kelo/LINE/7/values").isEmpty() && s.messages("kelo/LINE/7/identification").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("LINE/7 is not published"), 5000);
    }

    // Commands: carried out for enabled PhysIds only; everything else refused on
    // kelo/errors with nothing written.
    void commands_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("error");      // expected on kelo/errors; empty: none
        QTest::addColumn<QString>("variable");   // checked afterwards
        QTest::addColumn<QVariant>("expected");  // its value then; invalid: unchanged
        QTest::newRow("enabled, JSON") << "kelo/FT1/set/SetPoint" << QByteArray(R"({"value": 250.5})") << QString() << "FT1.SetPoint" << QVariant(250.5);
        QTest::newRow("enabled, bare number") << "kelo/FT1/set/SetPoint" << QByteArray("125") << QString() << "FT1.SetPoint" << QVariant(125.0);
        QTest::newRow("enabled, other case") << "kelo/pt1/set/Pressure" << QByteArray("3.75") << QString() << "PT1.Pressure" << QVariant(3.75);
        QTest::newRow("not enabled") << "kelo/FT2/set/SetPoint" << QByteArray(R"({"value": 1})") << "writes to FT2 are not enabled" << "FT2.SetPoint" << QVariant();
        QTest::newRow("malformed JSON") << "kelo/FT1/set/SetPoint" << QByteArray("{value:") << "malformed command" << "FT1.SetPoint" << QVariant();
        QTest::newRow("value not a number") << "kelo/FT1/set/SetPoint" << QByteArray(R"({"value": "abc"})") << "malformed command" << "FT1.SetPoint" << QVariant();
        QTest::newRow("empty payload") << "kelo/FT1/set/SetPoint" << QByteArray() << "malformed command" << "FT1.SetPoint" << QVariant();
        QTest::newRow("not finite") << "kelo/FT1/set/SetPoint" << QByteArray("1e999") << "malformed command" << "FT1.SetPoint" << QVariant();
        QTest::newRow("bad variable name") << "kelo/FT1/set/Set.Point" << QByteArray("1") << "is not a variable name" << "FT1.SetPoint" << QVariant();
        QTest::newRow("unknown variable") << "kelo/FT1/set/Nope" << QByteArray("1") << "Unknown variable" << "FT1.SetPoint" << QVariant();
        QTest::newRow("read-only variable") << "kelo/FT1/set/DeviceType" << QByteArray("3") << "Read-only variable" << "FT1.DeviceType" << QVariant(715);
    }
    void commands()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, error);
        QFETCH(QString, variable);
        QFETCH(QVariant, expected);
        Subscriber s(m_port);
        QTest::qWait(200);
        const QVariant before = read(variable);
        s.publish(topic, payload);
        if (error.isEmpty()) {
            const QString physId = topic.section('/', 1, 1);
            QTRY_VERIFY_WITH_TIMEOUT(!s.messages(QStringLiteral("kelo/%1/written").arg(physId)).isEmpty(), 5000);
            const QJsonObject w = s.messages(QStringLiteral("kelo/%1/written").arg(physId)).first().json();
            QCOMPARE(w.value("code").toInt(), 0);
            QCOMPARE(w.value("variable").toString(), topic.section('/', 3, 3));
            QVERIFY(isIsoTimestamp(w.value("timestamp").toString()));
            QVERIFY(s.messages("kelo/errors").isEmpty());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!s.messages("kelo/errors").isEmpty(), 5000);
            const QJsonObject e = s.messages("kelo/errors").first().json();
            QCOMPARE(e.value("topic").toString(), topic);
            QVERIFY2(e.value("error").toString().contains(error), qPrintable(e.value("error").toString()));
            QVERIFY(isIsoTimestamp(e.value("timestamp").toString()));
        }
        QCOMPARE(read(variable), expected.isValid() ? expected : before);
    }

    // A retained command would be carried out again on every connection: it is not
    // carried out when the service finds it on connecting.
    void retainedCommandRefused()
    {
        const QVariant before = read("FT1.Flow");
        m_client.reset();
        m_service.stop();
        {
            Subscriber publisher(m_port);
            QTest::qWait(200);
            publisher.publish("kelo/FT1/set/Flow", "99", true);
            QTest::qWait(200);
        }
        QVERIFY(startService());
        m_client = kelobus::KeloProClient::connect({2000, 2000});
        Subscriber s(m_port);
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("retained command is not carried out"), 5000);
        QCOMPARE(read("FT1.Flow"), before);
        s.publish("kelo/FT1/set/Flow", QByteArray(), true); // clears the retained message
        QTest::qWait(200);
    }

    // The broker goes away and comes back: the service connects again and publishes
    // its retained topics anew; the devices are untouched.
    void brokerGoneAndBack()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("connected"), 5000);
        m_broker.kill();
        m_broker.waitForFinished(5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("lost; reconnecting"), 5000);
        QVERIFY(m_service.running());
        const int connects = m_service.errors().count("connected");
        QVERIFY(startBroker());
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().count("connected") > connects, 10000);
        Subscriber s(m_port);
        QTRY_VERIFY_WITH_TIMEOUT(!s.messages("kelo/FT1/identification").isEmpty() && !s.messages("kelo/FT1/values").isEmpty(), 5000);
        QVERIFY(s.messages("kelo/FT1/identification").first().retained);
        QCOMPARE(read("FT1.Flow"), QVariant(12.5));
    }
};

QTEST_MAIN(TestMqttFeed)
#include "tst_mqttfeed.moc"
