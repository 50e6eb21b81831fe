// kr715ctl as a user runs it: the real program, started with an argument list,
// against a network file of the simulated network. Every run writes the server's bus
// trace, so the tests see what reached each device: the values written and the values
// the devices gave back afterwards.

#include "SimNetwork.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.trimmed()).object(); }
    QList<QJsonObject> jsonLines() const
    {
        QList<QJsonObject> result;
        for (const QByteArray &line : out.split('\n'))
            if (!line.trimmed().isEmpty())
                result.append(QJsonDocument::fromJson(line).object());
        return result;
    }
    QJsonObject device(const QString &physId) const
    {
        for (const QJsonValue &d : json().value(QStringLiteral("devices")).toArray())
            if (d.toObject().value(QStringLiteral("physId")).toString() == physId)
                return d.toObject();
        return {};
    }
};

// One access to a device variable as the trace shows it.
struct Access {
    QString variable; // "ft101.code2", lower case
    bool put = false; // put value, else get value
    QString value;
};

} // namespace

class TestKr715Ctl : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_network;
    QString m_trace;

    QProcessEnvironment environment(const QProcessEnvironment &extra = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELO_PRO_NETWORK"), m_network);
        env.insert(QStringLiteral("KELO_PRO_TRACE"), m_trace);
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // a console program needs no display
        for (const QString &key : extra.keys())
            env.insert(key, extra.value(key));
        return env;
    }

    Run run(const QStringList &args, const QProcessEnvironment &extra = {})
    {
        QFile::remove(m_trace);
        QProcess p;
        p.setProcessEnvironment(environment(extra));
        p.start(QStringLiteral(KR715CTL_PATH), args);
        Run r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray configFile(const QStringList &registers, const QByteArray &description = "Line one\r\n")
    {
        QByteArray b = "[Reg values]\r\n";
        for (int i = 0; i < registers.size(); ++i)
            b += QStringLiteral("Reg E%1: %2\r\n").arg(i + 1).arg(registers.at(i)).toLatin1();
        return b + "\r\n[Setup description]\r\n" + description;
    }

    // The device-variable accesses of the last run, in order.
    QList<Access> traceAccesses()
    {
        QList<Access> result;
        QFile f(m_trace);
        if (!f.open(QIODevice::ReadOnly))
            return result;
        QString selected;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() < 2)
                continue;
            const QString kind = parts.at(0);
            const QString member = parts.at(1).toLower();
            const QString value = parts.mid(2).join(QLatin1Char(' '));
            if (kind == QLatin1String("put") && member == QLatin1String("physid"))
                selected = value.toLower();
            else if (member == QLatin1String("value") && (kind == QLatin1String("put") || kind == QLatin1String("get")))
                result.append({selected, kind == QLatin1String("put"), value});
        }
        return result;
    }

    // What the device gave back at the last read of the variable after the last write
    // to it; empty when it was not read after being written.
    QString readBackAfterWrite(const QList<Access> &accesses, const QString &variable)
    {
        int lastPut = -1;
        for (int i = 0; i < accesses.size(); ++i)
            if (accesses.at(i).put && accesses.at(i).variable == variable.toLower())
                lastPut = i;
        QString readBack;
        for (int i = lastPut + 1; lastPut >= 0 && i < accesses.size(); ++i)
            if (!accesses.at(i).put && accesses.at(i).variable == variable.toLower())
                readBack = accesses.at(i).value;
        return readBack;
    }

    int putsTo(const QList<Access> &accesses, const QString &prefix)
    {
        int n = 0;
        for (const Access &a : accesses)
            if (a.put && a.variable.startsWith(prefix.toLower()))
                ++n;
        return n;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_network = writeFile(QStringLiteral("network.json"), kelopro::SimNetwork::defaultNetworkJson());
        m_trace = m_dir.filePath(QStringLiteral("trace.txt"));
    }

    void identify_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("errorCode");
        QTest::addColumn<QString>("text"); // serial, or a part of the error text
        QTest::newRow("answering KR 715") << "FT101" << 0 << true << 0 << "78563F";
        QTest::newRow("letter case of the PhysId") << "ft101" << 0 << true << 0 << "78563F";
        QTest::newRow("device with a fault") << "FT102" << 0 << true << 0 << "785640";
        QTest::newRow("silent device") << "FT103" << 1 << false << 1024 << "No contact";
        QTest::newRow("unknown PhysId") << "FT999" << 1 << false << 4097 << "Unknown PhysId";
        QTest::newRow("not a KR 715") << "PT201" << 1 << false << 0 << "Selected PhysId is not a flowmeter";
        QTest::newRow("a network, not a node") << "NET1:" << 1 << false << 0 << "Selected PhysId is not a node";
    }

    void identify()
    {
        QFETCH(QString, physId);
        QFETCH(int, exitCode);
        QFETCH(bool, ok);
        QFETCH(int, errorCode);
        QFETCH(QString, text);
        const Run r = run({QStringLiteral("--json"), QStringLiteral("identify"), physId});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.isEmpty(), r.err.constData()); // no progress line without a terminal
        const QJsonObject d = r.device(physId);
        QCOMPARE(d.value(QStringLiteral("ok")).toBool(), ok);
        QCOMPARE(r.json().value(QStringLiteral("ok")).toBool(), ok);
        if (ok) {
            QCOMPARE(d.value(QStringLiteral("deviceType")).toInt(), 715);
            QCOMPARE(d.value(QStringLiteral("serial")).toString(), text);
            QCOMPARE(d.value(QStringLiteral("programVersion")).toInt(), 105);
        } else {
            QCOMPARE(d.value(QStringLiteral("errorCode")).toInt(), errorCode);
            QVERIFY2(d.value(QStringLiteral("error")).toString().contains(text),
                     qPrintable(d.value(QStringLiteral("error")).toString()));
        }

        // The table for people says the same.
        const Run t = run({QStringLiteral("identify"), physId});
        QCOMPARE(t.exitCode, exitCode);
        QVERIFY(t.out.startsWith("PhysId"));
        QVERIFY2(t.out.contains(text.toUtf8()), t.out.constData());
    }

    void identifyShowsNodeAndFault()
    {
        const Run r = run({QStringLiteral("--json"), QStringLiteral("identify"), QStringLiteral("FT101"),
                           QStringLiteral("FT102"), QStringLiteral("FT103")});
        QCOMPARE(r.exitCode, 1); // one device failed
        QCOMPARE(r.json().value(QStringLiteral("devices")).toArray().size(), 3);
        QCOMPARE(r.device(QStringLiteral("FT101")).value(QStringLiteral("node")).toInt(), 0x34);
        QCOMPARE(r.device(QStringLiteral("FT101")).value(QStringLiteral("fault")).toInt(), 0);
        QCOMPARE(r.device(QStringLiteral("FT102")).value(QStringLiteral("node")).toInt(), 0x35);
        QCOMPARE(r.device(QStringLiteral("FT102")).value(QStringLiteral("fault")).toInt(), 5);
        QVERIFY(r.device(QStringLiteral("FT102")).value(QStringLiteral("faultText")).toString().contains(QLatin1String("fault")));
        QCOMPARE(r.device(QStringLiteral("FT103")).value(QStringLiteral("ok")).toBool(), false);
    }

    void readOnce()
    {
        const Run r = run({QStringLiteral("--json"), QStringLiteral("read"), QStringLiteral("FT101"), QStringLiteral("FT102")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject ft101 = r.device(QStringLiteral("FT101"));
        const QJsonObject values = ft101.value(QStringLiteral("values")).toObject();
        // Flow moves around its start value 12.5 by at most a quarter.
        const double flow = values.value(QStringLiteral("Flow")).toDouble();
        QVERIFY2(flow > 12.5 * 0.7 && flow < 12.5 * 1.3, qPrintable(QString::number(flow)));
        QCOMPARE(values.value(QStringLiteral("SetPoint")).toDouble(), 500.0);
        QCOMPARE(ft101.value(QStringLiteral("texts")).toObject().value(QStringLiteral("SetPoint")).toString(),
                 QStringLiteral("500.0000"));
        for (const char *name : {"Volume1", "Volume2", "InstantFlow", "TCFlow", "Temperature", "Input1", "Output2", "Output3"})
            QVERIFY2(values.contains(QLatin1String(name)), name);
        QCOMPARE(r.device(QStringLiteral("FT102")).value(QStringLiteral("fault")).toInt(), 5);

        const Run t = run({QStringLiteral("read"), QStringLiteral("FT101"), QStringLiteral("FT103")});
        QCOMPARE(t.exitCode, 1);
        const QList<QByteArray> lines = t.out.split('\n');
        QVERIFY(lines.value(0).startsWith("PhysId") && lines.value(0).contains("Flow") && lines.value(0).contains("Result"));
        QVERIFY(lines.value(2).startsWith("FT101") && lines.value(2).contains("500.0000") && lines.value(2).endsWith("OK"));
        QVERIFY(lines.value(3).startsWith("FT103") && lines.value(3).contains("No contact"));
    }

    void readEvery()
    {
        QElapsedTimer timer;
        timer.start();
        const Run r = run({QStringLiteral("--json"), QStringLiteral("--every"), QStringLiteral("0.2"),
                           QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("read"), QStringLiteral("FT101")});
        QCOMPARE(r.exitCode, 0);
        const QList<QJsonObject> rounds = r.jsonLines();
        QCOMPARE(rounds.size(), 3);
        for (const QJsonObject &round : rounds)
            QVERIFY(round.value(QStringLiteral("ok")).toBool());
        QVERIFY2(timer.elapsed() >= 400, qPrintable(QString::number(timer.elapsed()))); // two waits between three rounds
    }

    // Reading every few seconds goes on until the user interrupts it; the program then
    // ends normally after a whole table.
    void readEveryUntilInterrupted()
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(KR715CTL_PATH), {QStringLiteral("--every"), QStringLiteral("0.1"), QStringLiteral("read"),
                                                QStringLiteral("FT101"), QStringLiteral("FT103")});
        QVERIFY(p.waitForStarted());
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (out.count("\nFT103 ") < 2 && timer.elapsed() < 20000) {
            p.waitForReadyRead(200);
            out += p.readAllStandardOutput();
        }
        QCOMPARE(p.state(), QProcess::Running);
        p.terminate();
        QVERIFY(p.waitForFinished(10000));
        out += p.readAllStandardOutput();
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1); // FT103 does not answer
        QVERIFY(out.endsWith('\n'));
        // Every round: its time, the header, the rule and both devices.
        const QList<QByteArray> lines = out.split('\n');
        QVERIFY(out.count("PhysId") >= 2);
        QCOMPARE(out.count("\nFT101 "), out.count("PhysId"));
        QCOMPARE(out.count("\nFT103 "), out.count("PhysId"));
        QVERIFY(QTime::fromString(QString::fromLatin1(lines.first()), QStringLiteral("HH:mm:ss")).isValid());
    }

    void dump()
    {
        const Run r = run({QStringLiteral("dump"), QStringLiteral("FT101")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("[Reg values]\r\n"
                                   "Reg E1: 1.000000\r\n"
                                   "Reg E2: 10.00000\r\n"
                                   "Reg E3: 000000\r\n"
                                   "Reg E4: 78563F\r\n"
                                   "Reg E5: 100.0000\r\n"
                                   "Reg E6: 002000\r\n"
                                   "Reg E7: 212106\r\n"
                                   "Reg E8: 2022XX\r\n"
                                   "\r\n"
                                   "[Setup description]\r\n"));

        // A dumped file differs in nothing from its device, and applies to another.
        const QString file = writeFile(QStringLiteral("ft101.txt"), r.out);
        const Run same = run({QStringLiteral("diff"), file, QStringLiteral("FT101")});
        QCOMPARE(same.exitCode, 0);
        QVERIFY(same.out.contains("FT101 holds the configuration of"));

        const Run failed = run({QStringLiteral("dump"), QStringLiteral("FT103")});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(failed.out.isEmpty()); // nothing for the file
        QVERIFY(failed.err.contains("No contact"));

        // --output replaces a file only with a device's whole configuration.
        const QString kept = writeFile(QStringLiteral("kept.txt"), "my own notes\r\n");
        const Run notWritten = run({QStringLiteral("dump"), QStringLiteral("FT103"), QStringLiteral("--output"), kept});
        QCOMPARE(notWritten.exitCode, 1);
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), QByteArray("my own notes\r\n"));
        keptFile.close();
        const Run written = run({QStringLiteral("dump"), QStringLiteral("FT101"), QStringLiteral("--output"), kept});
        QCOMPARE(written.exitCode, 0);
        QVERIFY(written.out.isEmpty());
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), r.out);
        const Run nowhere = run({QStringLiteral("dump"), QStringLiteral("FT101"), QStringLiteral("--output"),
                                 m_dir.filePath(QStringLiteral("no/such/folder.txt"))});
        QCOMPARE(nowhere.exitCode, 2);
        QVERIFY(nowhere.err.contains("Failed to save setup to file"));
    }

    // The case of the commissioning engineer: one configuration to several devices, one
    // of which does not answer.
    void applyWithSilentDevice()
    {
        const QString file = writeFile(QStringLiteral("plant.txt"),
                                       configFile({QStringLiteral("2.5"), QStringLiteral("20"), QStringLiteral("000012"),
                                                   QStringLiteral("123456"), QStringLiteral("250"), QStringLiteral("003000"),
                                                   QStringLiteral("112106"), QStringLiteral("3032XX")}));
        const Run r = run({QStringLiteral("--json"), QStringLiteral("apply"), file, QStringLiteral("FT101"),
                           QStringLiteral("FT103"), QStringLiteral("FT102")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.json().value(QStringLiteral("ok")).toBool(), false);
        QVERIFY(r.device(QStringLiteral("FT101")).value(QStringLiteral("verified")).toBool());
        QVERIFY(r.device(QStringLiteral("FT102")).value(QStringLiteral("verified")).toBool());
        QCOMPARE(r.device(QStringLiteral("FT103")).value(QStringLiteral("ok")).toBool(), false);
        QCOMPARE(r.device(QStringLiteral("FT103")).value(QStringLiteral("errorCode")).toInt(), 1024);
        QCOMPARE(r.device(QStringLiteral("FT101")).value(QStringLiteral("registers")).toObject().value(QStringLiteral("E8")).toString(),
                 QStringLiteral("303234"));

        // What the devices hold afterwards, as they answered the read-back.
        const QList<Access> accesses = traceAccesses();
        struct Expect { const char *physId; const char *variable; QString value; };
        const Expect expected[] = {
            {"FT101", ".MeterSize", QStringLiteral("2.5")},
            {"FT101", ".Ti", QStringLiteral("20")},
            {"FT101", ".PiCode", QString::number(0x00001200)},
            {"FT101", ".Scale", QStringLiteral("250")},
            {"FT101", ".Code1", QString::number(0x00300000)},
            {"FT101", ".Code2", QString::number(0x11210600)},
            {"FT101", ".Code3", QString::number(0x30323400)}, // node 34 kept
            {"FT102", ".Code2", QString::number(0x11210600)},
            {"FT102", ".Code3", QString::number(0x30323500)}, // node 35 kept
        };
        for (const Expect &e : expected) {
            const QString variable = QLatin1String(e.physId) + QLatin1String(e.variable);
            QCOMPARE(readBackAfterWrite(accesses, variable), e.value);
        }
        // The serial number belongs to the device, and the silent device got nothing.
        QCOMPARE(putsTo(accesses, QStringLiteral("FT101.Meternumber")), 0);
        QCOMPARE(putsTo(accesses, QStringLiteral("FT102.Meternumber")), 0);
        QCOMPARE(putsTo(accesses, QStringLiteral("FT103")), 0);
        QCOMPARE(putsTo(accesses, QStringLiteral("FT101")), 7);

        // The summary table for people.
        const Run t = run({QStringLiteral("apply"), file, QStringLiteral("FT101"), QStringLiteral("FT103"), QStringLiteral("FT102")});
        QCOMPARE(t.exitCode, 1);
        QVERIFY2(t.out.contains("2 of 3 devices written and verified"), t.out.constData());
        for (const QByteArray &line : t.out.split('\n')) {
            if (line.startsWith("FT103"))
                QVERIFY(line.contains("No contact"));
            if (line.startsWith("FT101") || line.startsWith("FT102"))
                QVERIFY(line.endsWith("Written and verified"));
        }
    }

    void applyAllAnswering()
    {
        const QString file = writeFile(QStringLiteral("ok.txt"),
                                       configFile({QStringLiteral("1.5"), QStringLiteral("10"), QStringLiteral("000000"),
                                                   QStringLiteral("000000"), QStringLiteral("100"), QStringLiteral("002000"),
                                                   QStringLiteral("212106"), QStringLiteral("2022XX")}));
        // The same device twice is written once.
        const Run r = run({QStringLiteral("--json"), QStringLiteral("apply"), file, QStringLiteral("FT101"),
                           QStringLiteral("ft101"), QStringLiteral("FT102")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.json().value(QStringLiteral("devices")).toArray().size(), 2);
        QCOMPARE(readBackAfterWrite(traceAccesses(), QStringLiteral("FT102.MeterSize")), QStringLiteral("1.5"));
    }

    void applyBadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::addColumn<QString>("message");
        const QStringList good{QStringLiteral("2.5"), QStringLiteral("20"), QStringLiteral("000012"), QStringLiteral("123456"),
                               QStringLiteral("250"), QStringLiteral("003000"), QStringLiteral("112106"), QStringLiteral("3032XX")};
        auto with = [&](int reg, const QString &text) {
            QStringList r = good;
            r[reg - 1] = text;
            return configFile(r);
        };
        QTest::newRow("no such file") << QByteArray() << "Failed to load setup from file";
        QTest::newRow("E7 not hexadecimal") << with(7, QStringLiteral("21Z106")) << "Reg E7: \"21Z106\"";
        QTest::newRow("E3 too short") << with(3, QStringLiteral("0012")) << "Reg E3";
        QTest::newRow("E1 no number") << with(1, QStringLiteral("abc")) << "Reg E1";
        QTest::newRow("E5 beyond single precision") << with(5, QStringLiteral("1e40")) << "Reg E5";
        QTest::newRow("E8 too short") << with(8, QStringLiteral("20")) << "Reg E8";
        QTest::newRow("file ends after E5") << QByteArray("[Reg values]\r\nReg E1: 1\r\nReg E2: 1\r\nReg E3: 000000\r\n"
                                                         "Reg E4: 000000\r\nReg E5: 1\r\n")
                                            << "no line Reg E6";
        QTest::newRow("empty file") << QByteArray("\n") << "no line Reg E1";
    }

    void applyBadFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = bytes.isEmpty() ? m_dir.filePath(QStringLiteral("missing.txt"))
                                             : writeFile(QStringLiteral("bad.txt"), bytes);
        const Run r = run({QStringLiteral("apply"), path, QStringLiteral("FT101"), QStringLiteral("FT102")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(path.toUtf8()) && r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        // No device was reached at all, so none was written.
        QCOMPARE(putsTo(traceAccesses(), QString()), 0);
        QVERIFY(traceAccesses().isEmpty());

        const Run j = run({QStringLiteral("--json"), QStringLiteral("apply"), path, QStringLiteral("FT101")});
        QCOMPARE(j.exitCode, 2);
        QVERIFY(j.json().value(QStringLiteral("error")).toString().contains(message));
    }

    // Only a regular file is a configuration file: a folder is refused, and a pipe is
    // never opened (it would wait for a writer for ever).
    void applyNeedsARegularFile()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {m_dir.path(), fifo}) {
            const Run r = run({QStringLiteral("apply"), path, QStringLiteral("FT101")});
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.err.contains("Failed to load setup from file"));
            QVERIFY(traceAccesses().isEmpty());
        }
    }

    void diff_data()
    {
        QTest::addColumn<QStringList>("registers");
        QTest::addColumn<QStringList>("expected"); // "setting|device|file"
        // FT101 holds E1 1, E2 10, E3 000000, E5 100, E6 002000, E7 212106, E8 2022.
        const QStringList same{QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("000000"), QStringLiteral("000000"),
                               QStringLiteral("100"), QStringLiteral("002000"), QStringLiteral("212106"), QStringLiteral("2022XX")};
        auto with = [&](std::initializer_list<std::pair<int, QString>> changes) {
            QStringList r = same;
            for (const auto &c : changes)
                r[c.first - 1] = c.second;
            return r;
        };
        QTest::newRow("nothing differs") << same << QStringList();
        QTest::newRow("serial number and node address are the device's own")
            << with({{4, QStringLiteral("ABCDEF")}, {8, QStringLiteral("202277")}}) << QStringList();
        QTest::newRow("output 2 function")
            << with({{7, QStringLiteral("211106")}})
            << QStringList{QStringLiteral("Output 2: Function of output|Batch control|Pulse output 0-10 Hz")};
        QTest::newRow("temperature unit and flow time")
            << with({{8, QStringLiteral("3032XX")}})
            << QStringList{QStringLiteral("Flow: Flow unit|Unit/minute|Unit/hour"), QStringLiteral("Temp unit|°C|°F")};
        QTest::newRow("illegal choice in the file")
            << with({{8, QStringLiteral("2025XX")}})
            << QStringList{QStringLiteral("Input1 function|Stop counters > No Error|Illegal Choice")};
        QTest::newRow("regulator and mode")
            << with({{3, QStringLiteral("000032")}, {7, QStringLiteral("112106")}})
            << QStringList{QStringLiteral("Output 3: Function of output|Current output 4-20 mA|PI-regulator"),
                           QStringLiteral("Regulator function|Heating (in = setpoint - data)|Cooling (in = data - setpoint)"),
                           QStringLiteral("Regulator function|Out 0-100%: 4-20 mA|Out 0-100%: 20-4 mA"),
                           QStringLiteral("PI-regulator mode|Auto|Input ON > manual operation")};
        QTest::newRow("real registers compared as values")
            << with({{1, QStringLiteral("1.00000001")}, {2, QStringLiteral("12.5")}})
            << QStringList{QStringLiteral("Reg E2|10.00000|12.5")};
        QTest::newRow("digits no list shows")
            << with({{3, QStringLiteral("010000")}, {6, QStringLiteral("102000")}})
            << QStringList{QStringLiteral("Reg E3|000000|010000"), QStringLiteral("Reg E6|002000|102000")};
    }

    void diff()
    {
        QFETCH(QStringList, registers);
        QFETCH(QStringList, expected);
        const QString file = writeFile(QStringLiteral("diff.txt"), configFile(registers));
        const Run r = run({QStringLiteral("--json"), QStringLiteral("diff"), file, QStringLiteral("FT101")});
        QCOMPARE(r.exitCode, expected.isEmpty() ? 0 : 1);
        QStringList found;
        for (const QJsonValue &v : r.json().value(QStringLiteral("differences")).toArray()) {
            const QJsonObject d = v.toObject();
            found.append(d.value(QStringLiteral("setting")).toString() + QLatin1Char('|') + d.value(QStringLiteral("device")).toString()
                         + QLatin1Char('|') + d.value(QStringLiteral("file")).toString());
        }
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        // diff reads, never writes.
        QCOMPARE(putsTo(traceAccesses(), QString()), 0);

        const Run t = run({QStringLiteral("diff"), file, QStringLiteral("FT101")});
        QCOMPARE(t.exitCode, r.exitCode);
        for (const QString &e : std::as_const(expected))
            for (const QString &part : e.split(QLatin1Char('|')))
                QVERIFY2(t.out.contains(part.toUtf8()), qPrintable(part));
    }

    // The words are the program's in the user's language: the tool reads the translation
    // table next to it, as the program does, and adds the texts it lacks for the translator.
    void diffInTheUsersLanguage()
    {
        // A program folder of its own: the tool and the shipped German table.
        QTemporaryDir program;
        QVERIFY(program.isValid());
        const QString tool = program.filePath(QStringLiteral("kr715ctl"));
        QVERIFY(QFile::copy(QStringLiteral(KR715CTL_PATH), tool));
        const QString table = program.filePath(QStringLiteral("KR715 config.deu"));
        QVERIFY(QFile::copy(QStringLiteral(KR715_TRANSLATIONS "/KR715 config.deu"), table));
        QFile::setPermissions(table, QFile::permissions(table) | QFileDevice::WriteOwner);
        // A table that lacks one of the tool's texts: its column title "Setting".
        {
            QFile f(table);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray text = f.readAll();
            f.close();
            QVERIFY(text.contains("\r\nSetting=Einstellung\r\n"));
            text.replace("\r\nSetting=Einstellung\r\n", "\r\n");
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(f.write(text), text.size());
        }

        const QString file = writeFile(QStringLiteral("de.txt"),
                                       configFile({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("000000"),
                                                   QStringLiteral("000000"), QStringLiteral("100"), QStringLiteral("002000"),
                                                   QStringLiteral("211106"), QStringLiteral("3022XX")}));
        QProcessEnvironment german;
        german.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        german.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
        QProcess p;
        p.setProcessEnvironment(environment(german));
        p.start(tool, {QStringLiteral("diff"), file, QStringLiteral("FT101")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        for (const char *word : {"Ausgang 2: Funktion", "Chargensteuerung", "Impulse 0-10 Hz", "Fluss: Flusseinheit",
                                 "Einheit/Minute", "Einheit/Stunde"})
            QVERIFY2(out.contains(QString::fromUtf8(word)), qPrintable(out));

        // The text the table lacked is shown as it is and added to the table, waiting
        // for its translation; the translations it had stay.
        QVERIFY2(out.contains(QStringLiteral("Setting")), qPrintable(out));
        QFile f(table);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        QVERIFY(after.contains("\r\nSetting=\r\n"));
        QVERIFY(after.contains("\r\nBatch control=Chargensteuerung\r\n"));
    }

    void diffOfFailedDevice()
    {
        const QString file = writeFile(QStringLiteral("d.txt"),
                                       configFile({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("000000"),
                                                   QStringLiteral("000000"), QStringLiteral("100"), QStringLiteral("002000"),
                                                   QStringLiteral("212106"), QStringLiteral("2022XX")}));
        const Run r = run({QStringLiteral("diff"), file, QStringLiteral("FT103")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("No contact"));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList() << "Usage:";
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate"), QStringLiteral("FT101")} << "Unknown command";
        QTest::newRow("read without PhysId") << QStringList{QStringLiteral("read")} << "No PhysId given";
        QTest::newRow("dump of two") << QStringList{QStringLiteral("dump"), QStringLiteral("FT101"), QStringLiteral("FT102")}
                                     << "dump takes one PhysId";
        QTest::newRow("apply without PhysId") << QStringList{QStringLiteral("apply"), QStringLiteral("x.txt")} << "apply takes";
        QTest::newRow("diff of two") << QStringList{QStringLiteral("diff"), QStringLiteral("x.txt"), QStringLiteral("FT101"),
                                                    QStringLiteral("FT102")}
                                     << "diff takes";
        QTest::newRow("every zero") << QStringList{QStringLiteral("--every"), QStringLiteral("0"), QStringLiteral("read"),
                                                   QStringLiteral("FT101")}
                                    << "--every needs";
        QTest::newRow("every for identify") << QStringList{QStringLiteral("--every"), QStringLiteral("1"), QStringLiteral("identify"),
                                                           QStringLiteral("FT101")}
                                            << "--every is for read only";
        QTest::newRow("count without every") << QStringList{QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("read"),
                                                            QStringLiteral("FT101")}
                                             << "--count needs --every";
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus"), QStringLiteral("read"), QStringLiteral("FT101")}
                                        << "Unknown option: --bogus";
        QTest::newRow("output for read") << QStringList{QStringLiteral("--output"), QStringLiteral("x.txt"), QStringLiteral("read"),
                                                        QStringLiteral("FT101")}
                                         << "--output is for dump only";
        QTest::newRow("network without file") << QStringList{QStringLiteral("read"), QStringLiteral("FT101"), QStringLiteral("--network")}
                                              << "--network needs a value";
    }

    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message.toUtf8()) && r.err.contains("Usage:"), r.err.constData());
        QVERIFY(traceAccesses().isEmpty());
    }

    void networkChoice()
    {
        const QString other = writeFile(QStringLiteral("other.json"),
                                        R"({"devices":[{"physId":"FT500","deviceType":715}]})");
        // --network names the file ...
        Run r = run({QStringLiteral("--network"), other, QStringLiteral("--json"), QStringLiteral("identify"), QStringLiteral("FT500")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.device(QStringLiteral("FT500")).value(QStringLiteral("serial")).toString(), QStringLiteral("785640"));
        // ... else the environment the program reads.
        QProcessEnvironment env;
        env.insert(QStringLiteral("KELO_PRO_NETWORK"), other);
        r = run({QStringLiteral("--json"), QStringLiteral("identify"), QStringLiteral("FT500")}, env);
        QCOMPARE(r.exitCode, 0);
        r = run({QStringLiteral("--json"), QStringLiteral("identify"), QStringLiteral("FT101")}, env);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.device(QStringLiteral("FT101")).value(QStringLiteral("errorCode")).toInt(), 4097);

        // A network file that is not one is a clear error, for every command.
        const QString nonsense = writeFile(QStringLiteral("nonsense.json"), "{ devices: ");
        for (const QStringList &command : {QStringList{QStringLiteral("identify"), QStringLiteral("FT101")},
                                           QStringList{QStringLiteral("dump"), QStringLiteral("FT101")}}) {
            r = run(QStringList{QStringLiteral("--network"), nonsense} + command);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.err.contains("Network file") && r.err.contains(nonsense.toUtf8()), r.err.constData());
            QVERIFY(r.out.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestKr715Ctl)
#include "tst_kr715ctl.moc"
