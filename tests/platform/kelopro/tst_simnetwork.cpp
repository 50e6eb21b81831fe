// Network files, the default network and the behaviour of simulated KR 715 devices.

#include "Kr715Device.h"
#include "SimNetwork.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelopro;

namespace {

int digitOf(qint32 code, int position)
{
    return static_cast<int>((static_cast<quint32>(code) >> (4 * (8 - position))) & 0xF);
}

qint32 withDigit(qint32 code, int position, int value)
{
    const int shift = 4 * (8 - position);
    return static_cast<qint32>((static_cast<quint32>(code) & ~(0xFu << shift)) | (static_cast<quint32>(value) << shift));
}

struct Live {
    std::shared_ptr<SimNetwork> net;
    SimDevice *dev = nullptr;

    double real(Kr715Device::Var v) { return dev->read(v, net->clock().now()).real; }
    qint32 integer(Kr715Device::Var v) { return dev->read(v, net->clock().now()).integer; }
    void write(Kr715Device::Var v, const SimValue &value) { QCOMPARE(dev->write(v, value, net->clock().now()), Outcome::NoError); }
    void advance(double seconds) { net->clock().advance(seconds); }
};

// One live KR 715 on manual time; code3 and code2 set the filter, time unit and counting.
Live liveDevice(qint32 code3, qint32 code2, double flow = 12.5)
{
    const QByteArray json = QStringLiteral(R"({ "devices": [ { "physId": "L1", "deviceType": 715,
        "variables": { ".Code3": %1, ".Code2": %2, ".Flow": %3, ".Temperature": 20.0, ".SetPoint": 25.0 } } ] })")
                                .arg(code3)
                                .arg(code2)
                                .arg(flow)
                                .toUtf8();
    Live live;
    live.net = SimNetwork::fromJson(json, QStringLiteral("live"));
    live.net->clock().useManualTime(0.0);
    live.dev = live.net->device(QStringLiteral("l1"));
    return live;
}

} // namespace

class TestSimNetwork : public QObject {
    Q_OBJECT

private slots:
    void invalidFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("not JSON") << QByteArray("{ devices: ") << "not valid JSON";
        QTest::newRow("top level array") << QByteArray("[]") << "top level";
        QTest::newRow("no devices") << QByteArray("{}") << "\"devices\"";
        QTest::newRow("devices not array") << QByteArray(R"({"devices": {}})") << "\"devices\"";
        QTest::newRow("unknown top field") << QByteArray(R"({"devices": [], "extra": 1})") << "extra";
        QTest::newRow("device not object") << QByteArray(R"({"devices": [7]})") << "device 1";
        QTest::newRow("missing physId") << QByteArray(R"({"devices": [{"deviceType": 715}]})") << "physId";
        QTest::newRow("empty physId") << QByteArray(R"({"devices": [{"physId": "", "deviceType": 715}]})") << "physId";
        QTest::newRow("physId number") << QByteArray(R"({"devices": [{"physId": 5, "deviceType": 715}]})") << "physId";
        QTest::newRow("missing deviceType") << QByteArray(R"({"devices": [{"physId": "X1"}]})") << "deviceType";
        QTest::newRow("deviceType text") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": "715"}]})") << "deviceType";
        QTest::newRow("answers text") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "answers": "yes"}]})") << "answers";
        QTest::newRow("frozen number") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "frozen": 1}]})") << "frozen";
        QTest::newRow("fault too big") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "fault": 300}]})") << "fault";
        QTest::newRow("variables array") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": []}]})") << "variables";
        QTest::newRow("unknown field") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "anwsers": true}]})") << "anwsers";
        QTest::newRow("duplicate physId") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715}, {"physId": "x1", "deviceType": 702}]})")
                                          << "device 2";
        QTest::newRow("unknown KR 715 variable") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".Flux": 1}}]})")
                                                 << ".Flux";
        QTest::newRow("variable text") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".Flow": "1"}}]})")
                                       << ".Flow";
        QTest::newRow("integer register real") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".Code1": 1.5}}]})")
                                               << ".Code1";
        QTest::newRow("variable twice") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".Flow": 1, ".FLOW": 2}}]})")
                                        << "twice";
        QTest::newRow("SerialNo given") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".SerialNo": 1}}]})")
                                        << ".SerialNo";
        QTest::newRow("name without point") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 702, "variables": {"Pressure": 1}}]})")
                                            << "Pressure";
        QTest::newRow("same node") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".Code3": 13312}},
                                                              {"physId": "X2", "deviceType": 715, "variables": {".Code3": 13312}}]})")
                                   << "node";
    }

    void invalidFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, fragment);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("network.json"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(json);
        f.close();
        try {
            SimNetwork::fromFile(path);
            QFAIL("the file was accepted");
        } catch (const NetworkError &e) {
            QVERIFY2(e.text().contains(path), qPrintable(e.text()));
            QVERIFY2(e.text().contains(fragment), qPrintable(e.text()));
        }
    }

    // Files that are not what they seem: each gives one clear error at once.
    void specialFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("FIFO") << "fifo" << "not a regular file";
        QTest::newRow("link to /dev/zero") << "zero" << "not a regular file";
        QTest::newRow("folder") << "folder" << "not a regular file";
        QTest::newRow("larger than 16 MiB") << "large" << "larger than";
    }
    void specialFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fragment);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("network.json"));
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("network.json")));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray line(1024 * 1024, ' ');
            for (int i = 0; i < 17; ++i)
                QVERIFY(f.write(line) == line.size());
        }
        auto reading = std::async(std::launch::async, [path]() -> QString {
            try {
                SimNetwork::fromFile(path);
                return QStringLiteral("accepted");
            } catch (const NetworkError &e) {
                return e.text();
            } catch (const std::bad_alloc &) {
                return QStringLiteral("out of memory");
            }
        });
        if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // A reader blocked in opening the FIFO: a writer that comes and goes lets it go.
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            reading.wait();
            QFAIL("reading the network file blocked");
        }
        const QString error = reading.get();
        QVERIFY2(error.contains(fragment), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
    }

    // A huge text of a broken file is quoted in the message only in part.
    void hugeTextsAreQuotedInPart_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("PhysId with blanks") << QByteArray(R"({"devices": [{"physId": " X)") << QByteArray(R"(", "deviceType": 715}]})");
        QTest::newRow("unknown field") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "X)")
                                       << QByteArray(R"(": 1}]})");
        QTest::newRow("unknown top field") << QByteArray(R"({"devices": [], "X)") << QByteArray(R"(": 1})");
        QTest::newRow("variable name") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 715, "variables": {".X)")
                                       << QByteArray(R"(": 1}}]})");
        QTest::newRow("variable of a bad device") << QByteArray(R"({"devices": [{"physId": "X1", "deviceType": 702, "variables": {"X)")
                                                  << QByteArray(R"(": 1}}]})");
        QTest::newRow("in the device of a later error") << QByteArray(R"({"devices": [{"physId": "X)")
                                                        << QByteArray(R"(", "deviceType": 715, "fault": 300}]})");
    }
    void hugeTextsAreQuotedInPart()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QByteArray text = QByteArray("LONG") + QByteArray(15 * 1000 * 1000, 'y');
        try {
            SimNetwork::fromJson(before + text + after, QStringLiteral("net.json"));
            QFAIL("the network was accepted");
        } catch (const NetworkError &e) {
            QVERIFY2(e.text().size() < 600, qPrintable(e.text().left(600)));
            QVERIFY2(e.text().contains(QLatin1String("LONGyyy")), qPrintable(e.text()));
            QVERIFY2(e.text().contains(QLatin1String("yyy...")), qPrintable(e.text()));
        }
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("absent.json"));
        qputenv(SimNetwork::NetworkFileVariable, path.toLocal8Bit());
        try {
            SimNetwork::fromEnvironment();
            QFAIL("a missing file gave a network");
        } catch (const NetworkError &e) {
            QVERIFY2(e.text().contains(path), qPrintable(e.text()));
        }
        qunsetenv(SimNetwork::NetworkFileVariable);
    }

    void defaultNetwork()
    {
        qunsetenv(SimNetwork::NetworkFileVariable);
        const auto net = SimNetwork::fromEnvironment();
        SimDevice *ft101 = net->device(QStringLiteral("FT101"));
        SimDevice *ft102 = net->device(QStringLiteral("ft102"));
        SimDevice *ft103 = net->device(QStringLiteral("FT103"));
        SimDevice *pt201 = net->device(QStringLiteral("PT201"));
        QVERIFY(ft101 && ft102 && ft103 && pt201);
        QCOMPARE(ft101->deviceType(), 715);
        QVERIFY(ft101->answers() && !ft101->frozen() && ft101->fault() == 0);
        QVERIFY(ft102->answers() && ft102->fault() != 0);
        QVERIFY(!ft103->answers());
        QCOMPARE(ft103->deviceType(), 715);
        QVERIFY(pt201->deviceType() != 715);
        QCOMPARE(ft101->serialNumber().value(), 0x78563Fu);
        QCOMPARE(ft101->node(), 0x34);

        // Distinct nodes and serial numbers, and legal register digits on every KR 715.
        QSet<int> nodes;
        QSet<quint32> serials;
        for (const auto &d : net->devices()) {
            QVERIFY(!nodes.contains(d->node()));
            nodes.insert(d->node());
            if (d->deviceType() != 715)
                continue;
            QVERIFY(!serials.contains(*d->serialNumber()));
            serials.insert(*d->serialNumber());
            const qint32 e3 = d->read(Kr715Device::PiCode, 0).integer;
            const qint32 e6 = d->read(Kr715Device::Code1, 0).integer;
            const qint32 e7 = d->read(Kr715Device::Code2, 0).integer;
            const qint32 e8 = d->read(Kr715Device::Code3, 0).integer;
            QVERIFY(digitOf(e3, 5) <= 3 && digitOf(e3, 6) <= 2);
            for (int p = 1; p <= 6; ++p)
                QVERIFY(digitOf(e6, p) <= 6);
            QVERIFY(QList<int>({0, 1, 2, 4}).contains(digitOf(e7, 1)));
            QVERIFY(QList<int>({0, 1, 2, 3, 4, 8}).contains(digitOf(e7, 2)));
            QVERIFY(QList<int>({0, 1, 2, 4, 6, 8}).contains(digitOf(e7, 3)));
            QVERIFY(QList<int>({0, 1, 2, 8}).contains(digitOf(e7, 4)));
            QVERIFY(QList<int>({0, 8}).contains(digitOf(e7, 5)));
            QVERIFY(QList<int>({0, 1, 2, 3, 4, 5, 6, 8}).contains(digitOf(e7, 6)));
            QVERIFY(digitOf(e8, 1) <= 7);
            QVERIFY(QList<int>({0, 2, 4, 6}).contains(digitOf(e8, 2)));
            QVERIFY(QList<int>({2, 3}).contains(digitOf(e8, 3)));
            QVERIFY(QList<int>({2, 3, 4}).contains(digitOf(e8, 4)));
            QVERIFY(d->read(Kr715Device::MeterSize, 0).real > 0);
        }
        // FT101 flows.
        net->clock().useManualTime(0.0);
        const double v1 = ft101->read(Kr715Device::Volume1, 0).real;
        net->clock().advance(30.0);
        QVERIFY(ft101->read(Kr715Device::Flow, net->clock().now()).real > 0);
        QVERIFY(ft101->read(Kr715Device::Volume1, net->clock().now()).real > v1);
    }

    void missingValuesGetDefaults()
    {
        const auto net = SimNetwork::fromJson(R"({"devices": [
            {"physId": "N1", "deviceType": 715}, {"physId": "N2", "deviceType": 715},
            {"physId": "G1", "deviceType": 401, "variables": {".Level": 0.75}}]})",
                                              QStringLiteral("defaults"));
        SimDevice *n1 = net->device(QStringLiteral("N1"));
        SimDevice *n2 = net->device(QStringLiteral("N2"));
        SimDevice *g1 = net->device(QStringLiteral("G1"));
        QVERIFY(n1->node() != n2->node() && n1->node() != g1->node() && n2->node() != g1->node());
        QVERIFY(*n1->serialNumber() != *n2->serialNumber());
        QVERIFY(n1->answers() && !n1->frozen() && n1->fault() == 0);
        QVERIFY(n1->read(Kr715Device::PrgVers, 0).integer > 0);
        QVERIFY(n1->read(Kr715Device::MeterSize, 0).real > 0);
        // The node number lives in bits 8 to 15 of .Code3.
        QCOMPARE((n1->read(Kr715Device::Code3, 0).integer >> 8) & 0xFF, n1->node());
        QCOMPARE(g1->read(VariableTable::DeviceType, 0).integer, 401);
        QCOMPARE(g1->read(g1->variableIndex(QStringLiteral(".level")), 0).real, 0.75);
    }

    void filterTimeConstant()
    {
        // E8 digit 1 = 0: 0.15 s; the filtered flow follows the instant flow closely.
        Live fast = liveDevice(0x00223400, 0x00010000);
        fast.advance(20.0);
        const double inst = fast.real(Kr715Device::InstantFlow);
        QVERIFY(inst > 0);
        QVERIFY(std::abs(fast.real(Kr715Device::Flow) - inst) < 0.01 * inst);

        // Digit 1 = 6: 10 s. From 0 the flow rises by about 1 - e^-0.1 of the instant flow in 1 s.
        Live slow = liveDevice(0x60223400, 0x00010000);
        slow.write(Kr715Device::Flow, SimValue::fromReal(0.0));
        slow.advance(1.0);
        const double ratio = slow.real(Kr715Device::Flow) / slow.real(Kr715Device::InstantFlow);
        QVERIFY2(ratio > 0.05 && ratio < 0.2, qPrintable(QString::number(ratio)));
    }

    // E8 digit 1 chooses the filter time constant by digit / 2 (0.15 s, 1 s, 5 s, 10 s);
    // its lowest bit is the time unit of the counters and must not change the filter.
    // From 0 the filtered flow approaches the instant flow as a first-order filter; it is
    // followed for three time constants in steps of 1/16 s (one simulation step each, at
    // times the clock holds exactly).
    void filterTimeConstantPerDigit_data()
    {
        QTest::addColumn<int>("digit1");
        QTest::addColumn<double>("timeConstant");
        const double constants[4] = {0.15, 1.0, 5.0, 10.0};
        for (int digit = 0; digit <= 7; ++digit)
            QTest::addRow("digit 1 = %d", digit) << digit << constants[digit / 2];
    }

    void filterTimeConstantPerDigit()
    {
        QFETCH(int, digit1);
        QFETCH(double, timeConstant);
        Live live = liveDevice(withDigit(0x00223400, 1, digit1), 0x00010000);
        live.write(Kr715Device::Flow, SimValue::fromReal(0.0));
        constexpr double Step = 0.0625;
        const double alpha = 1.0 - std::exp(-Step / timeConstant);
        double expected = 0.0;
        const int steps = static_cast<int>(std::ceil(3.0 * timeConstant / Step));
        for (int k = 1; k <= steps; ++k) {
            live.advance(Step);
            const double instant = live.real(Kr715Device::InstantFlow);
            expected += (instant - expected) * alpha;
            const double flow = live.real(Kr715Device::Flow);
            QVERIFY2(std::abs(flow - expected) <= 1e-9 * std::max(1.0, std::abs(expected)),
                     qPrintable(QStringLiteral("after %1 s: flow %2, expected %3").arg(k * Step).arg(flow).arg(expected)));
        }
        // The flow has left 0 and come near the instant flow.
        QVERIFY(live.real(Kr715Device::Flow) > 0.5 * live.real(Kr715Device::InstantFlow));
    }

    void volumesPerMinuteAndPerHour()
    {
        // Over ten full periods of the flow profile the counted volume is nominal flow x time.
        const double nominal = 12.5;
        Live perMinute = liveDevice(0x00223400, 0x00010000, nominal);
        Live perHour = liveDevice(0x10223400, 0x00010000, nominal);
        const double m0 = perMinute.real(Kr715Device::Volume1);
        const double h0 = perHour.real(Kr715Device::Volume1);
        for (int i = 0; i < 600; ++i) { // as a poll would see it, one access per second
            perMinute.advance(1.0);
            perHour.advance(1.0);
            perMinute.real(Kr715Device::Volume1);
            perHour.real(Kr715Device::Volume1);
        }
        const double countedMinute = perMinute.real(Kr715Device::Volume1) - m0;
        const double countedHour = perHour.real(Kr715Device::Volume1) - h0;
        QVERIFY2(std::abs(countedMinute - nominal * 10.0) < 0.02 * nominal * 10.0, qPrintable(QString::number(countedMinute)));
        QVERIFY2(std::abs(countedHour - nominal * 10.0 / 60.0) < 0.02 * nominal * 10.0 / 60.0, qPrintable(QString::number(countedHour)));
        QVERIFY(std::abs(perMinute.real(Kr715Device::Volume2) - perMinute.real(Kr715Device::Volume1)) < 1e-9);

        // E7 digit 4 = 0: no counting.
        Live none = liveDevice(0x00223400, 0x00000000, nominal);
        none.advance(120.0);
        QCOMPARE(none.real(Kr715Device::Volume1), 0.0);

        // One long gap is integrated in bounded steps.
        Live gap = liveDevice(0x10223400, 0x00010000, nominal);
        gap.advance(10 * 3600.0);
        const double counted = gap.real(Kr715Device::Volume1);
        QVERIFY2(std::abs(counted - nominal * 10.0) < 0.05 * nominal * 10.0, qPrintable(QString::number(counted)));
    }

    void temperatureAndCompensatedFlow()
    {
        Live live = liveDevice(0x00223400, 0x00010000);
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 300; ++i) {
            live.advance(1.0);
            const double t = live.real(Kr715Device::Temperature);
            low = std::min(low, t);
            high = std::max(high, t);
            const double flow = live.real(Kr715Device::Flow);
            const double expected = flow * (1.0 - 0.001 * (t - 15.0));
            QVERIFY(std::abs(live.real(Kr715Device::TCFlow) - expected) < 1e-9 * std::max(1.0, flow));
        }
        QVERIFY(high - low > 0.1);          // it drifts
        QVERIFY(low > 17.0 && high < 23.0); // around its start value of 20 °C
    }

    void testModeHoldsWrittenFlow()
    {
        Live live = liveDevice(0x00223400, withDigit(0x00010000, 5, 8));
        live.write(Kr715Device::Flow, SimValue::fromReal(40.0));
        const double v0 = live.real(Kr715Device::Volume1);
        live.advance(30.0);
        QCOMPARE(live.real(Kr715Device::Flow), 40.0);
        QCOMPARE(live.real(Kr715Device::InstantFlow), 40.0);
        QVERIFY(std::abs(live.real(Kr715Device::Volume1) - v0 - 40.0 * 0.5) < 1e-6);
        // Back to normal mode, the flow follows the profile again.
        live.write(Kr715Device::Code2, SimValue::fromInt(0x00010000));
        live.advance(30.0);
        QVERIFY(live.real(Kr715Device::Flow) < 20.0);
    }

    void batchRunsToSetpoint()
    {
        Live live = liveDevice(0x00223400, 0x00010000); // per minute, setpoint 25
        live.advance(5.0);
        QVERIFY(live.real(Kr715Device::Volume2) > 0);
        live.write(Kr715Device::BatchStart, SimValue::fromInt(1));
        QCOMPARE(live.real(Kr715Device::Volume2), 0.0);
        QCOMPARE(live.integer(Kr715Device::Output2), 1);
        live.advance(60.0);
        QCOMPARE(live.integer(Kr715Device::Output2), 1);
        QVERIFY(live.real(Kr715Device::Volume2) < 25.0);
        int seconds = 60;
        while (live.integer(Kr715Device::Output2) == 1 && seconds < 600) {
            live.advance(1.0);
            ++seconds;
        }
        QCOMPARE(live.integer(Kr715Device::Output2), 0);
        QCOMPARE(live.integer(Kr715Device::BatchStart), 0);
        QVERIFY(seconds > 90 && seconds < 180); // about two minutes at 12.5 per minute
        // Output 2 stays off while Volume2 keeps counting.
        live.advance(60.0);
        QCOMPARE(live.integer(Kr715Device::Output2), 0);
        QVERIFY(live.real(Kr715Device::Volume2) > 25.0);
    }

    void frozenDeviceStandsStill()
    {
        auto net = SimNetwork::fromJson(R"({"devices": [{"physId": "F1", "deviceType": 715, "frozen": true,
            "variables": {".Flow": 9.0, ".Volume1": 100.0, ".Temperature": 30.0}}]})",
                                        QStringLiteral("frozen"));
        net->clock().useManualTime(0.0);
        SimDevice *dev = net->device(QStringLiteral("F1"));
        net->clock().advance(1000.0);
        const double now = net->clock().now();
        QCOMPARE(dev->read(Kr715Device::Flow, now).real, 9.0);
        QCOMPARE(dev->read(Kr715Device::InstantFlow, now).real, 9.0);
        QCOMPARE(dev->read(Kr715Device::Volume1, now).real, 100.0);
        QCOMPARE(dev->read(Kr715Device::Temperature, now).real, 30.0);
    }

    void clock()
    {
        SimClock c;
        c.useManualTime(5.0);
        QCOMPARE(c.now(), 5.0);
        c.advance(2.5);
        c.advance(-1.0);
        QCOMPARE(c.now(), 7.5);
        c.useMonotonicTime();
        QVERIFY(c.now() >= 7.5 && c.now() < 60.0);
    }
};

QTEST_GUILESS_MAIN(TestSimNetwork)
#include "tst_simnetwork.moc"
