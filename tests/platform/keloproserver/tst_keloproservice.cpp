// kelo-pro-server on a private session bus: the programs reach one network through
// it (KR715Config's main window, the designer's variable link, other processes),
// each with its own cursor; changes to the network file reach a running main
// window's error line; a service that goes away and comes back; many clients.

#include "ConfigKR715U.h"
#include "DeviceLink.h"
#include "KRLanguage.h"
#include "KeloProBus.h"
#include "KeloProClient.h"
#include "KeloProServer.h"
#include "KrKelo.h"
#include "NumberFormat.h"
#include "ServiceProcess.h"
#include "TestPage.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

QJsonObject initialNetwork()
{
    QJsonObject pt1vars;
    for (int i = 1; i <= 50; ++i)
        pt1vars.insert(QStringLiteral(".V%1").arg(i), 0);
    const QJsonArray devices{
        QJsonObject{{"physId", "FT1"}, {"deviceType", 715}, {"frozen", true},
                    {"variables", QJsonObject{{".Flow", 12.5}, {".Temperature", 21.5}, {".SetPoint", 500},
                                              {".Code1", 2097152}, {".Code2", 555812352}, {".Code3", 539112448},
                                              {".Meternumber", 2018918144}}}},
        QJsonObject{{"physId", "FT2"}, {"deviceType", 715}, {"frozen", true}, {"fault", 5}},
        QJsonObject{{"physId", "FT3"}, {"deviceType", 715}, {"answers", false}},
        QJsonObject{{"physId", "PT1"}, {"deviceType", 702}, {"frozen", true}, {"variables", pt1vars}},
    };
    return QJsonObject{{"devices", devices}};
}

// One access of a script: "put NAME VALUE", "get NAME" or "call NAME"; VALUE is
// s:text, i:int, d:real, b:true/false, l: (a list) or e: (empty).
QVariant scriptValue(const QString &v)
{
    const QString body = v.mid(2);
    if (v.startsWith(QLatin1String("s:")))
        return body;
    if (v.startsWith(QLatin1String("i:")))
        return body.toInt();
    if (v.startsWith(QLatin1String("d:")))
        return body.toDouble();
    if (v.startsWith(QLatin1String("b:")))
        return body == QLatin1String("true");
    if (v.startsWith(QLatin1String("l:")))
        return QVariantList{1, 2};
    return QVariant();
}

// What each access of the script gave: "ok", "= type value" or "raise text".
QStringList runScript(automation::AutomationObject &server, const QStringList &script)
{
    QStringList results;
    for (const QString &line : script) {
        const QStringList parts = line.split(QLatin1Char(' '));
        try {
            if (parts.at(0) == QLatin1String("put")) {
                server.put(parts.at(1), scriptValue(parts.value(2)));
                results << QStringLiteral("ok");
            } else if (parts.at(0) == QLatin1String("get")) {
                const QVariant v = server.get(parts.at(1));
                results << QStringLiteral("= %1 %2").arg(QString::fromLatin1(v.typeName()), v.toString());
            } else {
                server.call(parts.at(1));
                results << QStringLiteral("ok");
            }
        } catch (const automation::AutomationError &e) {
            results << QStringLiteral("raise ") + e.text();
        }
    }
    return results;
}

} // namespace

class Host : public TKrGraphicControl {
    Q_OBJECT
public:
    explicit Host(TKrComponent *owner) : TKrGraphicControl(owner) {}
};

class TestKeloProService : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_networkPath;
    QString m_tracePath;
    QJsonObject m_network;
    ServiceProcess m_service;

    void writeNetwork(const QByteArray &json)
    {
        QSaveFile file(m_networkPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
        QVERIFY(file.commit());
    }
    void writeNetwork() { writeNetwork(QJsonDocument(m_network).toJson()); }

    // Changes one field of a device of the network file.
    void setDevice(const QString &physId, const QString &field, const QJsonValue &value)
    {
        QJsonArray devices = m_network.value("devices").toArray();
        for (int i = 0; i < devices.size(); ++i) {
            QJsonObject d = devices.at(i).toObject();
            if (d.value("physId").toString() == physId) {
                d.insert(field, value);
                devices.replace(i, d);
            }
        }
        m_network.insert("devices", devices);
        writeNetwork();
    }

    bool startService()
    {
        return m_service.start({QStringLiteral("--network"), m_networkPath, QStringLiteral("--trace"), m_tracePath});
    }

    static QString errorLine(TfrmKR715Config &w) { return w.ui.cmb715Error->currentText(); }
    static QString field(TfrmKR715Config &w, const char *name)
    {
        auto *edit = w.session().controls.get<QLineEdit>(QLatin1String(name));
        return edit ? edit->text() : QStringLiteral("(no %1)").arg(QLatin1String(name));
    }

    static QString probe(const QStringList &args, int *exitCode = nullptr)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELO_PRO_SERVER"), QStringLiteral("dbus"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELO_PROBE_PATH), args);
        p.waitForFinished(10000);
        if (exitCode)
            *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run under dbus-run-session");
        QVERIFY(m_dir.isValid());
        m_networkPath = m_dir.filePath("network.json");
        m_tracePath = m_dir.filePath("trace.txt");
        m_network = initialNetwork();
        writeNetwork();
        QVERIFY2(startService(), qPrintable(m_service.errors()));
        QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));
        qputenv("KELO_PRO_SERVER", "dbus");
        kelopro::registerServer();
    }

    void cleanupTestCase() { m_service.stop(); }

    // The service answers as the embedded server does, access by access, with the
    // error codes, texts and raised errors (the client answers ErrorCode and
    // ErrorString from what the last access sent back).
    void sameAnswersAsEmbedded_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::newRow("read a value") << QStringList{"put PhysId s:FT1.Flow", "put InformationInErrorCode b:true", "get value",
                                                     "get ErrorCode", "get ErrorString", "get PhysId", "get NodeAddress"};
        QTest::newRow("device fault") << QStringList{"put PhysId s:FT2.Flow", "put InformationInErrorCode b:true", "get value",
                                                     "get errorcode", "get ErrorString", "put PhysId s:FT2.Error3", "get Value"};
        QTest::newRow("no contact raises without the flag")
            << QStringList{"put PhysId s:FT3.Flow", "get ErrorCode", "get value", "get ErrorCode", "get ErrorString",
                           "put InformationInErrorCode b:true", "get value", "get ErrorCode"};
        QTest::newRow("unknown names") << QStringList{"put PhysId s:XX9.Flow", "get ErrorCode", "get ErrorString",
                                                      "put PhysId s:FT1.Flux", "get ErrorCode", "get Nonsense", "put Nonsense i:1",
                                                      "call Nonsense", "put PhysId s:FT1", "put InformationInErrorCode b:true",
                                                      "get value", "get ErrorString"};
        QTest::newRow("misuse") << QStringList{"put PhysId s:FT1.Flow", "put value l:", "get ErrorCode", "get ErrorString",
                                               "put value e:", "put value s:abc", "put ErrorCode i:1", "get DoRead",
                                               "call PhysId", "put PhysId l:", "get ErrorCode"};
        QTest::newRow("write and read back") << QStringList{"put PhysId s:FT1.SetPoint", "put InformationInErrorCode b:true",
                                                            "put value d:250.5", "get ErrorCode", "get value",
                                                            "put PhysId s:FT1.DeviceType", "put InformationInErrorCode b:true",
                                                            "put value i:3", "get ErrorCode", "get ErrorString"};
        QTest::newRow("raw access and node address")
            << QStringList{"put PhysId s:FT1.Code3", "put InformationInErrorCode b:true", "call DoRead", "get InValue",
                           "get ErrorCode", "put NodeAddress s:x", "get ErrorCode", "get ErrorString", "put NodeAddress s:0001.0000.34",
                           "get NodeAddress", "put InValue i:539112448", "call DoWrite", "get ErrorCode", "put NodeAddress s:0001.0000.7C",
                           "call DoWrite", "get ErrorCode", "get ErrorString"};
    }
    void sameAnswersAsEmbedded()
    {
        QFETCH(QStringList, script);
        const QString embeddedTrace = m_dir.filePath("embedded-trace.txt");
        QFile::remove(embeddedTrace);
        auto embedded = kelopro::KeloProServer::fromJson(QJsonDocument(initialNetwork()).toJson(), "(test)", embeddedTrace);
        auto remote = automation::createObject(QStringLiteral("KELO.PRO"));
        QVERIFY(dynamic_cast<kelobus::KeloProClient *>(remote.get()));
        const auto lines = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
        };
        // Watchers of the traffic (the bus monitor) see the lines of the trace, and the
        // outcome of each read of a value that did not raise, from either server.
        QHash<const automation::AutomationObject *, QStringList> watched;
        QHash<const automation::AutomationObject *, QList<int>> readOutcomes;
        const int watcher = automation::addAccessObserver([&](const automation::Access &a) {
            QString line = automation::accessKindText(a.kind) + QLatin1Char(' ') + a.member;
            if (a.hasValue)
                line += QLatin1Char(' ') + a.valueText();
            watched[a.object].append(line);
            if (a.kind == automation::Access::Kind::Get && a.hasValue
                && a.member.compare(QLatin1String("value"), Qt::CaseInsensitive) == 0)
                readOutcomes[a.object].append(a.outcome);
        });
        const qsizetype traced = lines(m_tracePath).size();
        const QStringList expected = runScript(*embedded, script);
        const QStringList answered = runScript(*remote, script);
        automation::removeAccessObserver(watcher);
        QCOMPARE(answered, expected);
        // The service wrote the same trace lines as the embedded server.
        const QStringList expectedTrace = lines(embeddedTrace);
        QCOMPARE(expectedTrace.size(), script.size());
        QTRY_COMPARE_WITH_TIMEOUT(lines(m_tracePath).mid(traced), expectedTrace, 5000);
        QCOMPARE(watched.value(embedded.get()), expectedTrace);
        QCOMPARE(watched.value(remote.get()), expectedTrace);
        QCOMPARE(readOutcomes.value(remote.get()), readOutcomes.value(embedded.get()));
    }

    // KELO_PRO_SERVER, then the setting, chooses; auto takes the service when it is
    // on the bus; anything else is an error that names the choices.
    void choice_data()
    {
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("expected");
        QTest::newRow("environment embedded") << QByteArray("embedded") << QString("dbus") << "embedded";
        QTest::newRow("environment dbus") << QByteArray("DBus") << QString("embedded") << "service";
        QTest::newRow("environment auto") << QByteArray("auto") << QString() << "service";
        QTest::newRow("setting embedded") << QByteArray() << QString("embedded") << "embedded";
        QTest::newRow("setting dbus") << QByteArray() << QString("dbus") << "service";
        QTest::newRow("nothing set: auto") << QByteArray() << QString() << "service";
        QTest::newRow("bad environment") << QByteArray("remote") << QString() << "error";
        QTest::newRow("bad setting") << QByteArray() << QString("maybe") << "error";
    }
    void choice()
    {
        QFETCH(QByteArray, environment);
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        const QString ini = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/KR/KeloPro.ini";
        {
            QSettings s(ini, QSettings::IniFormat);
            if (setting.isEmpty())
                s.remove("Client/Server");
            else
                s.setValue("Client/Server", setting);
        }
        auto restore = qScopeGuard([&] {
            QSettings(ini, QSettings::IniFormat).remove("Client/Server");
            qputenv("KELO_PRO_SERVER", "dbus");
        });
        if (environment.isEmpty())
            qunsetenv("KELO_PRO_SERVER");
        else
            qputenv("KELO_PRO_SERVER", environment);
        QString got;
        try {
            auto object = automation::createObject(QStringLiteral("KELO.PRO"));
            got = dynamic_cast<kelopro::KeloProServer *>(object.get()) ? "embedded"
                : dynamic_cast<kelobus::KeloProClient *>(object.get()) ? "service" : "other";
        } catch (const automation::AutomationError &e) {
            got = "error";
            QVERIFY2(e.text().contains("must be embedded, dbus or auto"), qPrintable(e.text()));
        }
        QCOMPARE(got, expected);
    }

    // Each client keeps its own cursor on the one network.
    void cursorPerClient()
    {
        auto a = automation::createObject(QStringLiteral("KELO.PRO"));
        auto b = automation::createObject(QStringLiteral("KELO.PRO"));
        a->put("PhysId", "FT1.Flow");
        b->put("PhysId", "FT3.Flow");
        b->put("InformationInErrorCode", true);
        QCOMPARE(a->get("value"), QVariant(12.5));
        QCOMPARE(a->get("ErrorCode"), QVariant(0));
        QCOMPARE(b->get("value"), QVariant(0));
        QCOMPARE(b->get("ErrorCode"), QVariant(1024));
        QCOMPARE(a->get("PhysId"), QVariant("FT1.Flow"));
        QCOMPARE(b->get("PhysId"), QVariant("FT3.Flow"));
    }

    // The network view lists the devices of the network the chosen server runs on:
    // the service's, with a device that joins it through the network file; the
    // process's own network file when the server is embedded.
    void networkOfTheChosenServer()
    {
        const QStringList service{"FT1", "FT2", "FT3", "PT1"};
        QCOMPARE(kelopro::networkPhysIds(), service);

        QJsonObject joined = m_network;
        QJsonArray devices = joined.value("devices").toArray();
        devices.append(QJsonObject{{"physId", "FT9"}, {"deviceType", 715}, {"frozen", true}});
        joined.insert("devices", devices);
        writeNetwork(QJsonDocument(joined).toJson());
        QTRY_COMPARE_WITH_TIMEOUT(kelopro::networkPhysIds(), service + QStringList{"FT9"}, 5000);
        writeNetwork(); // FT9 stays in the running network, silent
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("FT9 is no longer in the file"), 5000);

        QTemporaryDir own;
        const QString ownNetwork = own.filePath("own.json");
        {
            QSaveFile file(ownNetwork);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(R"({"devices":[{"physId":"LOCAL1","deviceType":715},{"physId":"LOCAL2","deviceType":715}]})");
            QVERIFY(file.commit());
        }
        qputenv("KELO_PRO_NETWORK", ownNetwork.toLocal8Bit());
        qputenv("KELO_PRO_SERVER", "embedded");
        const QStringList embedded = kelopro::networkPhysIds();
        qputenv("KELO_PRO_SERVER", "dbus");
        const QStringList again = kelopro::networkPhysIds();
        qunsetenv("KELO_PRO_NETWORK");
        QCOMPARE(embedded, (QStringList{"LOCAL1", "LOCAL2"}));
        QCOMPARE(again, service + QStringList{"FT9"});
    }

    // The designer's variable link writes, another process reads; another process
    // writes, KR715Config's main window shows it.
    void twoProgramsOneNetwork()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *link = new TKrKelo(host);
        link->SetPhysId(QStringLiteral("FT1.SetPoint"));
        link->SetValue(321.25);
        QCOMPARE(link->GetErrorCode(), 0);
        int code = -1;
        QCOMPARE(probe({"read", "FT1.SetPoint"}, &code), QStringLiteral("321.25 0"));
        QCOMPARE(code, 0);

        TfrmKR715Config w(QStringList{QStringLiteral("FT1")});
        QVERIFY(w.session().device.contact);
        QTRY_COMPARE_WITH_TIMEOUT(field(w, "edDataTemp"), numfmt::fixedText(21.5, 15, 1), 5000);
        QCOMPARE(probe({"write", "FT1.Temperature", "42.5"}, &code), QStringLiteral("0"));
        QTRY_COMPARE_WITH_TIMEOUT(field(w, "edDataTemp"), numfmt::fixedText(42.5, 15, 1), 5000);
        // and the link reads what the other process wrote
        link->SetPhysId(QStringLiteral("FT1.Temperature"));
        QCOMPARE(link->GetValue(), QVariant(42.5));
    }

    // Changes to the network file reach a running main window: no contact, a fault,
    // the repair; a file edited to nonsense keeps the last good network.
    void faultInjectionReachesErrorLine()
    {
        TfrmKR715Config w(QStringList{QStringLiteral("FT1")});
        QVERIFY(w.session().device.contact);
        QTRY_COMPARE_WITH_TIMEOUT(errorLine(w), QStringLiteral("No error"), 5000);

        setDevice("FT1", "answers", false);
        QTRY_COMPARE_WITH_TIMEOUT(errorLine(w), QStringLiteral("No contact: FT1 does not answer"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("FT1 stops answering"), 5000);

        setDevice("FT1", "answers", true);
        setDevice("FT1", "fault", 7);
        const QString faultText = w.session().lanTrans->Translate(QStringLiteral("0x007"));
        QTRY_COMPARE_WITH_TIMEOUT(errorLine(w), faultText, 5000);

        setDevice("FT1", "fault", 0);
        QTRY_COMPARE_WITH_TIMEOUT(errorLine(w), QStringLiteral("No error"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("FT1 is repaired"), 5000);

        // Nonsense: reported, the network stays as it was.
        writeNetwork("{ \"devices\": [ nonsense");
        QTRY_VERIFY_WITH_TIMEOUT(m_service.errors().contains("keeping the last good network"), 5000);
        QTest::qWait(300);
        QCOMPARE(errorLine(w), QStringLiteral("No error"));
        QVERIFY(m_service.running());
        int code = -1;
        QCOMPARE(probe({"read", "FT1.Flow"}, &code), QStringLiteral("12.5 0"));

        // A value changed in the file reaches the device; nothing else changes.
        QJsonArray devices = m_network.value("devices").toArray();
        QJsonObject ft1 = devices.at(0).toObject();
        QJsonObject vars = ft1.value("variables").toObject();
        vars.insert(".Flow", 7.25);
        ft1.insert("variables", vars);
        devices.replace(0, ft1);
        m_network.insert("devices", devices);
        writeNetwork();
        QTRY_COMPARE_WITH_TIMEOUT(probe({"read", "FT1.Flow"}), QStringLiteral("7.25 0"), 5000);
        QCOMPARE(probe({"read", "FT1.SetPoint"}), QStringLiteral("321.25 0"));
    }

    // The service goes away: the window shows why on its error line and goes on;
    // the service comes back: the next selection connects again.
    void serviceGoneAndBack()
    {
        TfrmKR715Config w(QStringList{QStringLiteral("FT1")});
        QTRY_COMPARE_WITH_TIMEOUT(errorLine(w), QStringLiteral("No error"), 5000);
        m_service.kill();
        QTRY_VERIFY_WITH_TIMEOUT(errorLine(w).contains(QLatin1String("KELO.PRO service")), 5000);
        const QString gone = errorLine(w);
        QVERIFY2(gone.startsWith("Connection to the KELO.PRO service lost") || gone.startsWith("Cannot reach the KELO.PRO service"),
                 qPrintable(gone));
        QVERIFY(w.ti715UpdateData->isActive());
        w.ti715UpdateData->stop();

        QVERIFY2(startService(), qPrintable(m_service.errors()));
        w.deviceLink->SelectDevice(QStringLiteral("FT1"));
        QVERIFY(w.session().device.contact);
        QCOMPARE(errorLine(w), QStringLiteral("No error"));
        QCOMPARE(field(w, "edGenDeviceNo"), QStringLiteral("715"));
        QTRY_VERIFY_WITH_TIMEOUT(!field(w, "edDataTemp").isEmpty(), 5000);
    }

    // Fifty programs at once, each writing and reading back values of its own.
    void fiftyClients()
    {
        const int before = ServiceProcess::objectCount();
        QVERIFY(before >= 0);
        std::vector<std::unique_ptr<QProcess>> clients;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELO_PRO_SERVER", "dbus");
        // Fifty processes starting on a shared machine: answers may take longer than
        // one polling tick here; what counts is that each gets its own values.
        env.insert("KELO_PRO_TIMEOUT_MS", "10000");
        for (int i = 1; i <= 50; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->start(QStringLiteral(KELO_PROBE_PATH), {"loop", QStringLiteral("PT1.V%1").arg(i), "20"});
            clients.push_back(std::move(p));
        }
        int ok = 0;
        for (auto &p : clients) {
            QVERIFY(p->waitForFinished(30000));
            if (p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0)
                ++ok;
            else
                qWarning() << p->readAllStandardError();
        }
        QCOMPARE(ok, 50);
        QVERIFY(m_service.running());
        QTRY_COMPARE_WITH_TIMEOUT(ServiceProcess::objectCount(), before, 5000);
    }

    // A client killed in the middle of its calls: the service frees its object and
    // serves the others on.
    void clientGoneMidCall()
    {
        const int before = ServiceProcess::objectCount();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELO_PRO_SERVER", "dbus");
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELO_PROBE_PATH), {"hold"});
        QVERIFY(p.waitForReadyRead(10000));
        QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
        QTRY_COMPARE_WITH_TIMEOUT(ServiceProcess::objectCount(), before + 1, 5000);
        QTest::qWait(100); // well inside its stream of calls
        p.kill();
        p.waitForFinished(5000);
        QTRY_COMPARE_WITH_TIMEOUT(ServiceProcess::objectCount(), before, 5000);
        QVERIFY(m_service.running());
        // (the service restarted above: FT1 is as the network file has it)
        QCOMPARE(probe({"read", "FT1.Flow"}), QStringLiteral("7.25 0"));
    }

    // A second service on the same bus, a bad network file or bad feed settings:
    // the program ends with the reason, the running service goes on.
    void startRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("name taken") << QStringList{} << 1 << "is taken on the session bus";
        QTest::newRow("no such network file") << QStringList{"--network", "/nonexistent/plant.json"} << 1
                                              << "Network file \"/nonexistent/plant.json\": cannot be read";
        QTest::newRow("broker not host:port") << QStringList{"--mqtt", "host:99999"} << 2 << "is not host[:port]";
        QTest::newRow("rate too small") << QStringList{"--mqtt", "127.0.0.1:1", "--mqtt-rate", "5"} << 2
                                        << "is not a number of milliseconds";
    }
    void startRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, reason);
        QProcess p;
        p.start(QStringLiteral(KELO_PRO_SERVER_PATH), arguments);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        const QString said = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(said.contains(reason), qPrintable(said));
        QVERIFY(m_service.running());
        QCOMPARE(probe({"read", "FT1.DeviceType"}), QStringLiteral("715 0"));
    }

    // A service that stops answering (stopped, not gone): the access raises after
    // the call timeout instead of holding the program up; once the service answers
    // again the next selection connects anew.
    void stalledService()
    {
        auto client = kelobus::KeloProClient::connect({50, 1000});
        client->put("PhysId", "FT1.Flow");
        client->put("InformationInErrorCode", true);
        QVERIFY(client->get("value").isValid());
        QVERIFY(m_service.pid() > 0);
        ::kill(static_cast<pid_t>(m_service.pid()), SIGSTOP);
        auto resume = qScopeGuard([this] { ::kill(static_cast<pid_t>(m_service.pid()), SIGCONT); });
        QString raised;
        try {
            client->get("value");
        } catch (const automation::AutomationError &e) {
            raised = e.text();
        }
        QCOMPARE(raised, QStringLiteral("Connection to the KELO.PRO service lost: no answer within 50 ms"));
        QVERIFY(!client->isConnected());
        // The selection tries to connect, in vain, and stays silent; the access says why.
        client->put("PhysId", "FT1.Flow");
        client->put("InformationInErrorCode", true);
        QVERIFY(!client->isConnected());
        raised.clear();
        try {
            client->get("ErrorCode");
        } catch (const automation::AutomationError &e) {
            raised = e.text();
        }
        QVERIFY2(raised.startsWith("Cannot reach the KELO.PRO service"), qPrintable(raised));

        resume.dismiss();
        ::kill(static_cast<pid_t>(m_service.pid()), SIGCONT);
        client->put("PhysId", "FT1.Flow");
        client->put("InformationInErrorCode", true);
        QVERIFY(client->isConnected());
        QCOMPARE(client->get("value"), QVariant(7.25));
        QCOMPARE(client->get("ErrorCode"), QVariant(0));
    }
};

QTEST_MAIN(TestKeloProService)
#include "tst_keloproservice.moc"
