// Members of the KELO.PRO server against a network of frozen devices.

#include "KeloProServer.h"
#include "Kr715Device.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <bit>

using automation::AutomationError;
using kelopro::KeloProServer;

namespace {

// A1: KR 715, serial 123456, node 21; B2: KR 715 with fault 7, node 22;
// C3: KR 715 that does not answer, node 23; P4: device type 702; D5: KR 715 with
// serial FEDCBA at node 24. All frozen.
const char TestNetwork[] = R"({ "devices": [
  { "physId": "A1", "deviceType": 715, "frozen": true,
    "variables": { ".Meternumber": 305419776, ".Code3": 539107584, ".Code2": 67072,
                   ".Flow": 12.5, ".SetPoint": 50.0, ".Volume2": 3.0, ".PrgVers": 107 } },
  { "physId": "B2", "deviceType": 715, "frozen": true, "fault": 7,
    "variables": { ".Meternumber": 11259136, ".Code3": 539107840, ".Flow": 4.0 } },
  { "physId": "C3", "deviceType": 715, "frozen": true, "answers": false,
    "variables": { ".Code3": 539108096 } },
  { "physId": "P4", "deviceType": 702, "frozen": true,
    "variables": { ".Pressure": 2.5, ".Count": 7 } },
  { "physId": "D5", "deviceType": 715, "frozen": true,
    "variables": { ".Meternumber": -19088896, ".Code3": 539108352 } }
] })";

class Client {
public:
    explicit Client(automation::AutomationObject &server) : s(server) {}
    void select(const QString &name)
    {
        s.put(QStringLiteral("PhysId"), name);
        s.put(QStringLiteral("InformationInErrorCode"), true);
    }
    int code() { return s.get(QStringLiteral("ErrorCode")).toInt(); }
    QString text() { return s.get(QStringLiteral("ErrorString")).toString(); }
    QVariant value() { return s.get(QStringLiteral("value")); }
    QVariant read(const QString &name)
    {
        select(name);
        return value();
    }
    int write(const QString &name, const QVariant &v)
    {
        select(name);
        s.put(QStringLiteral("Value"), v);
        return code();
    }
    automation::AutomationObject &s;
};

int nodeOf(qint32 code3)
{
    return static_cast<int>((static_cast<quint32>(code3) >> 8) & 0xFF);
}

} // namespace

class TestKeloProServer : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        server = KeloProServer::fromJson(TestNetwork, QStringLiteral("test network"));
        client = std::make_unique<Client>(*server);
    }
    void cleanup()
    {
        client.reset();
        server.reset();
    }

    void selectionOutcomes()
    {
        Client &c = *client;
        c.select(QStringLiteral("A1"));
        QCOMPARE(c.code(), 0);
        QCOMPARE(c.text(), QStringLiteral("No error"));
        QCOMPARE(server->get(QStringLiteral("PhysId")).toString(), QStringLiteral("A1"));

        c.select(QStringLiteral("C3")); // known node that does not answer
        QCOMPARE(c.code(), 0);

        c.select(QStringLiteral("ZZ9"));
        const int unknownId = c.code();
        QVERIFY(unknownId != 0 && unknownId != 256 && unknownId != 512 && unknownId != 1024);
        QVERIFY(c.text().contains(QStringLiteral("ZZ9")));
        c.select(QStringLiteral("ZZ9.Flow"));
        QCOMPARE(c.code(), unknownId);

        c.select(QStringLiteral("A1.Flux"));
        const int unknownVar = c.code();
        QVERIFY(unknownVar != 0 && unknownVar != unknownId && unknownVar != 1024 && unknownVar != 256);
        QVERIFY(c.text().contains(QStringLiteral("Flux")));
        // The outcome of the failed selection stays for the access that follows.
        QCOMPARE(c.value().toInt(), 0);
        QCOMPARE(c.code(), unknownVar);

        c.select(QStringLiteral("A1.Flow"));
        QCOMPARE(c.code(), 0);
        // Reading a bare PhysId's value is not a variable access.
        c.select(QStringLiteral("A1"));
        c.value();
        QVERIFY(c.code() != 0);
    }

    void namesIgnoreCase()
    {
        Client &c = *client;
        QCOMPARE(c.read(QStringLiteral("a1.FLOW")).toDouble(), 12.5);
        QCOMPARE(c.code(), 0);
        const QVariant lower = c.read(QStringLiteral("A1.Meternumber"));
        const QVariant upper = c.read(QStringLiteral("A1.MeterNumber"));
        QCOMPARE(lower.toInt(), 0x12345600);
        QCOMPARE(upper.toInt(), lower.toInt());

        server->put(QStringLiteral("PHYSID"), QStringLiteral("A1.SetPoint"));
        server->put(QStringLiteral("informationinerrorcode"), true);
        QCOMPARE(server->get(QStringLiteral("VALUE")).toDouble(), 50.0);
        QCOMPARE(server->get(QStringLiteral("Value")).toDouble(), 50.0);
        QCOMPARE(server->get(QStringLiteral("errorcode")).toInt(), 0);
        QCOMPARE(server->get(QStringLiteral("ERRORSTRING")).toString(), QStringLiteral("No error"));
        server->put(QStringLiteral("value"), 51);
        QCOMPARE(server->get(QStringLiteral("vAlUe")).toDouble(), 51.0);
    }

    // A name selected before keeps up with devices that leave and join the running
    // network (as the service's network file brings them).
    void selectionFollowsDevicesJoiningAndLeaving()
    {
        auto network = kelopro::SimNetwork::fromJson(TestNetwork, QStringLiteral("test network"));
        KeloProServer live(network, QString());
        Client c(live);
        QCOMPARE(c.read(QStringLiteral("A1.Flow")).toDouble(), 12.5);
        QCOMPARE(c.code(), 0);
        c.select(QStringLiteral("E6.Flow"));
        const int unknownId = c.code();
        QVERIFY(unknownId != 0);

        std::unique_ptr<kelopro::SimDevice> a1 = network->takeDevice(QStringLiteral("A1"));
        QVERIFY(a1);
        c.select(QStringLiteral("A1.Flow"));
        QCOMPARE(c.code(), unknownId);
        QVERIFY(c.text().contains(QStringLiteral("A1.Flow")));

        auto other = kelopro::SimNetwork::fromJson(
            R"({"devices":[{"physId":"E6","deviceType":715,"frozen":true,"variables":{".Flow":7.5}}]})",
            QStringLiteral("joining"));
        network->addDevice(other->takeDevice(QStringLiteral("E6")));
        QCOMPARE(c.read(QStringLiteral("E6.Flow")).toDouble(), 7.5);
        QCOMPARE(c.code(), 0);

        network->addDevice(std::move(a1));
        QCOMPARE(c.read(QStringLiteral("A1.Flow")).toDouble(), 12.5);
        QCOMPARE(c.code(), 0);
    }

    void everyKr715VariableIsServed()
    {
        Client &c = *client;
        const char *names[] = {".DeviceType", ".PrgVers", ".Meternumber", ".MeterNumber", ".SerialNo", ".Error3", ".Code3",
                               ".MeterSize", ".Ti", ".PiCode", ".Scale", ".Code1", ".Code2", ".Flow", ".Volume1", ".Volume2",
                               ".InstantFlow", ".TCFlow", ".Temperature", ".SetPoint", ".Input1", ".Output2", ".Output3",
                               ".Available", ".BatchStart"};
        for (const char *name : names) {
            c.read(QStringLiteral("A1") + QLatin1String(name));
            QVERIFY2(c.code() == 0, name);
        }
        QCOMPARE(c.read(QStringLiteral("A1.DeviceType")).toInt(), 715);
        QCOMPARE(c.read(QStringLiteral("A1.PrgVers")).toInt(), 107);
        // Register kinds: reals for E1, E2, E5, integers for the code registers.
        QCOMPARE(c.read(QStringLiteral("A1.MeterSize")).typeId(), int(QMetaType::Double));
        QCOMPARE(c.read(QStringLiteral("A1.Scale")).typeId(), int(QMetaType::Double));
        QCOMPARE(c.read(QStringLiteral("A1.PiCode")).typeId(), int(QMetaType::Int));
        QCOMPARE(c.read(QStringLiteral("A1.Code3")).typeId(), int(QMetaType::Int));

        // Another device type serves its type, version and file variables only.
        QCOMPARE(c.read(QStringLiteral("P4.DeviceType")).toInt(), 702);
        QCOMPARE(c.read(QStringLiteral("P4.Pressure")).toDouble(), 2.5);
        QCOMPARE(c.read(QStringLiteral("p4.count")).toInt(), 7);
        c.read(QStringLiteral("P4.PrgVers"));
        QCOMPARE(c.code(), 0);
        c.read(QStringLiteral("P4.Flow"));
        QVERIFY(c.code() != 0);
    }

    void noContact()
    {
        Client &c = *client;
        QCOMPARE(c.read(QStringLiteral("C3.DeviceType")).toInt(), 0);
        QCOMPARE(c.code(), 1024);
        QVERIFY(c.text().contains(QStringLiteral("C3")));
        QCOMPARE(c.write(QStringLiteral("C3.SetPoint"), 5.0), 1024);
        c.select(QStringLiteral("C3.Meternumber"));
        server->put(QStringLiteral("InValue"), 99);
        server->call(QStringLiteral("DoRead"));
        QCOMPARE(c.code(), 1024);
        QCOMPARE(server->get(QStringLiteral("InValue")).toInt(), 99);
        // The error queries themselves leave the outcome alone.
        QCOMPARE(c.code(), 1024);
        QCOMPARE(c.code(), 1024);
    }

    void deviceFaultAndReset()
    {
        Client &c = *client;
        QCOMPARE(c.read(QStringLiteral("B2.DeviceType")).toInt(), 715); // the device answers, with a fault
        QCOMPARE(c.code(), 256);
        QVERIFY(c.text().contains(QStringLiteral("7")));
        QCOMPARE(c.read(QStringLiteral("B2.Error3")).toInt(), 7);
        QCOMPARE(c.code(), 0);
        const int writeCode = c.write(QStringLiteral("B2.SetPoint"), 20.0);
        QVERIFY(writeCode == 256 || writeCode == 512);

        QCOMPARE(c.write(QStringLiteral("B2.Error3"), 255), 0);
        QCOMPARE(c.read(QStringLiteral("B2.Error3")).toInt(), 0);
        QCOMPARE(c.read(QStringLiteral("B2.Flow")).toDouble(), 4.0);
        QCOMPARE(c.code(), 0);

        // Writing another code reports it as a fault from then on.
        QCOMPARE(c.write(QStringLiteral("B2.Error3"), 3), 0);
        c.read(QStringLiteral("B2.Flow"));
        QCOMPARE(c.code(), 256);
        QCOMPARE(c.read(QStringLiteral("B2.Error3")).toInt(), 3);
    }

    void nodeAddress()
    {
        Client &c = *client;
        const auto address = [&](const QString &name) {
            c.select(name);
            return server->get(QStringLiteral("NodeAddress")).toString();
        };
        QVERIFY(address(QStringLiteral("A1.Flow")).endsWith(QStringLiteral("21")));
        QVERIFY(address(QStringLiteral("A1")).endsWith(QStringLiteral("21")));
        QVERIFY(address(QStringLiteral("B2.Code3")).endsWith(QStringLiteral("22")));
        QVERIFY(address(QStringLiteral("C3")).endsWith(QStringLiteral("23")));
        // The last two characters agree with bits 8 to 15 of .Code3.
        const int node = nodeOf(c.read(QStringLiteral("D5.Code3")).toInt());
        QCOMPARE(address(QStringLiteral("D5.Code3")).right(2).toInt(nullptr, 16), node);
    }

    void valuePutAndGet()
    {
        Client &c = *client;
        QCOMPARE(c.write(QStringLiteral("A1.SetPoint"), 42), 0);
        QCOMPARE(c.read(QStringLiteral("A1.SetPoint")).toDouble(), 42.0);
        QCOMPARE(c.write(QStringLiteral("A1.SetPoint"), 12.75), 0);
        QCOMPARE(c.read(QStringLiteral("A1.SetPoint")).toDouble(), 12.75);
        QCOMPARE(c.write(QStringLiteral("A1.Code1"), 0x00300000), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Code1")).toInt(), 0x00300000);
        QCOMPARE(c.write(QStringLiteral("A1.Code1"), -1), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Code1")).toInt(), -1);
        QCOMPARE(c.write(QStringLiteral("A1.PiCode"), qlonglong(0xFFFFFF00u)), 0); // unsigned pattern
        QCOMPARE(c.read(QStringLiteral("A1.PiCode")).toInt(), qint32(0xFFFFFF00u));
        QCOMPARE(c.write(QStringLiteral("A1.Output3"), 3.6), 0); // a real to an integer is rounded
        QCOMPARE(c.read(QStringLiteral("A1.Output3")).toInt(), 4);
        QCOMPARE(c.write(QStringLiteral("A1.Available"), QStringLiteral("17.5")), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Available")).toDouble(), 17.5);

        const int outOfRange = c.write(QStringLiteral("A1.Code1"), 1e12);
        QVERIFY(outOfRange != 0);
        QCOMPARE(c.read(QStringLiteral("A1.Code1")).toInt(), -1);
        const int readOnly = c.write(QStringLiteral("A1.DeviceType"), 1);
        QVERIFY(readOnly != 0 && readOnly != outOfRange);
        QCOMPARE(c.read(QStringLiteral("A1.DeviceType")).toInt(), 715);
        QVERIFY(c.write(QStringLiteral("A1.Code3"), 0x20227F00) != 0); // node 7F is not a device node

        c.select(QStringLiteral("A1.SetPoint"));
        QVERIFY_THROWS_EXCEPTION(AutomationError, server->put(QStringLiteral("value"), QVariantList{1, 2}));
        QVERIFY(c.code() != 0);
        QVERIFY_THROWS_EXCEPTION(AutomationError, server->put(QStringLiteral("value"), QStringLiteral("twelve")));
        QVERIFY_THROWS_EXCEPTION(AutomationError, server->put(QStringLiteral("InValue"), QVariant()));
        QCOMPARE(c.read(QStringLiteral("A1.SetPoint")).toDouble(), 12.75);
    }

    void rawReadAndWrite()
    {
        Client &c = *client;
        c.select(QStringLiteral("A1.Meternumber"));
        server->call(QStringLiteral("DoRead"));
        QCOMPARE(c.code(), 0);
        QCOMPARE(server->get(QStringLiteral("InValue")).toInt(), 0x12345600);

        // Reals travel as the bit pattern of their single-precision form.
        c.select(QStringLiteral("A1.SetPoint"));
        server->call(QStringLiteral("DoRead"));
        QCOMPARE(std::bit_cast<float>(server->get(QStringLiteral("InValue")).toInt()), 50.0f);
        server->put(QStringLiteral("InValue"), std::bit_cast<qint32>(2.25f));
        server->call(QStringLiteral("DoWrite"));
        QCOMPARE(c.code(), 0);
        QCOMPARE(c.read(QStringLiteral("A1.SetPoint")).toDouble(), 2.25);

        c.select(QStringLiteral("A1.Output3"));
        server->put(QStringLiteral("InValue"), 1);
        server->call(QStringLiteral("dowrite"));
        QCOMPARE(c.read(QStringLiteral("A1.Output3")).toInt(), 1);
    }

    void nodeAddressBySerialNumber()
    {
        Client &c = *client;
        // As the program does it: the node of the selected device A1 goes to the
        // device whose serial number is typed (D5, serial FEDCBA).
        c.select(QStringLiteral("A1.Code3"));
        const QString a = server->get(QStringLiteral("NodeAddress")).toString();
        const QString n = a.right(2);
        c.select(QStringLiteral("A1.SerialNo"));
        QCOMPARE(c.code(), 0);
        server->put(QStringLiteral("InValue"), qint32((QStringLiteral("FEDCBA") + n).toUInt(nullptr, 16)));
        server->put(QStringLiteral("NodeAddress"), a.chopped(2) + QStringLiteral("7E"));
        server->call(QStringLiteral("DoWrite"));
        QCOMPARE(c.code(), 0);

        QCOMPARE(nodeOf(c.read(QStringLiteral("D5.Code3")).toInt()), n.toInt(nullptr, 16));
        QVERIFY(server->get(QStringLiteral("NodeAddress")).toString().endsWith(n));
        QCOMPARE(c.read(QStringLiteral("D5.SerialNo")).toInt(), qint32(0xFEDCBA00u | n.toUInt(nullptr, 16)));
        QCOMPARE(nodeOf(c.read(QStringLiteral("A1.Code3")).toInt()), 0x21);

        // A serial number no device has: nobody answers at 7E.
        c.select(QStringLiteral("A1.SerialNo"));
        server->put(QStringLiteral("InValue"), 0x11111130);
        server->put(QStringLiteral("NodeAddress"), QStringLiteral("0001.0000.7E"));
        server->call(QStringLiteral("DoWrite"));
        QCOMPARE(c.code(), 1024);
        // At 7E only .SerialNo is served.
        c.select(QStringLiteral("A1.SetPoint"));
        server->put(QStringLiteral("InValue"), 0xFEDCBA30);
        server->put(QStringLiteral("NodeAddress"), QStringLiteral("0001.0000.7E"));
        server->call(QStringLiteral("DoWrite"));
        QCOMPARE(c.code(), 1024);
        // An address that does not end in two hexadecimal digits.
        c.select(QStringLiteral("A1.SerialNo"));
        server->put(QStringLiteral("NodeAddress"), QStringLiteral("0001.0000.7"));
        const int invalid = c.code();
        QVERIFY(invalid != 0 && invalid != 1024);
        server->call(QStringLiteral("DoWrite"));
        QCOMPARE(c.code(), invalid);
        // A new selection forgets the address that was put.
        c.select(QStringLiteral("A1.SerialNo"));
        QVERIFY(server->get(QStringLiteral("NodeAddress")).toString().endsWith(QStringLiteral("21")));
    }

    // The node a device takes by its serial number must be a node a device may hold:
    // 7D, the highest, is taken; 7E (the address that reaches a device by its serial
    // number) and beyond are refused and the device keeps its node.
    void nodeBySerialNumberBounds_data()
    {
        QTest::addColumn<int>("node");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("00") << 0x00 << true;
        QTest::newRow("7C") << 0x7C << true;
        QTest::newRow("7D, the highest node") << 0x7D << true;
        QTest::newRow("7E, the serial number address") << 0x7E << false;
        QTest::newRow("7F") << 0x7F << false;
        QTest::newRow("FF") << 0xFF << false;
    }

    void nodeBySerialNumberBounds()
    {
        QFETCH(int, node);
        QFETCH(bool, accepted);
        Client &c = *client;
        c.select(QStringLiteral("A1.SerialNo"));
        QCOMPARE(c.code(), 0);
        server->put(QStringLiteral("InValue"), qint32(0xFEDCBA00u | quint32(node)));
        server->put(QStringLiteral("NodeAddress"), QStringLiteral("0001.0000.7E"));
        server->call(QStringLiteral("DoWrite"));
        if (accepted) {
            QCOMPARE(c.code(), 0);
            QCOMPARE(nodeOf(c.read(QStringLiteral("D5.Code3")).toInt()), node);
        } else {
            QCOMPARE(c.code(), kelopro::Outcome::ValueOutOfRange);
            QVERIFY(c.text().contains(QStringLiteral("out of range")));
            QCOMPARE(nodeOf(c.read(QStringLiteral("D5.Code3")).toInt()), 0x24);
        }
        QCOMPARE(c.read(QStringLiteral("D5.SerialNo")).toInt(), qint32(0xFEDCBA00u | quint32(accepted ? node : 0x24)));
        // The device whose serial number was not given keeps its node.
        QCOMPARE(nodeOf(c.read(QStringLiteral("A1.Code3")).toInt()), 0x21);
    }

    void testModeFlowIsWritten()
    {
        Client &c = *client;
        const qint32 code2 = c.read(QStringLiteral("A1.Code2")).toInt();
        QCOMPARE(c.write(QStringLiteral("A1.Code2"), qint32((code2 & ~0x0000F000) | 0x00008000)), 0); // E7 digit 5 = 8
        QCOMPARE(c.write(QStringLiteral("A1.Flow"), 33.5), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Flow")).toDouble(), 33.5);
        QCOMPARE(c.read(QStringLiteral("A1.InstantFlow")).toDouble(), 33.5);
    }

    void batchOnFrozenDevice()
    {
        Client &c = *client;
        QCOMPARE(c.read(QStringLiteral("A1.Volume2")).toDouble(), 3.0);
        QCOMPARE(c.write(QStringLiteral("A1.BatchStart"), 1), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Volume2")).toDouble(), 0.0);
        QCOMPARE(c.read(QStringLiteral("A1.Output2")).toInt(), 1);
        QCOMPARE(c.write(QStringLiteral("A1.Volume2"), 49.0), 0);
        QCOMPARE(c.read(QStringLiteral("A1.Output2")).toInt(), 1);
        QCOMPARE(c.write(QStringLiteral("A1.Volume2"), 50.0), 0); // reaches the setpoint
        QCOMPARE(c.read(QStringLiteral("A1.Output2")).toInt(), 0);
        QCOMPARE(c.read(QStringLiteral("A1.BatchStart")).toInt(), 0);
    }

    void informationInErrorCode()
    {
        // Without the flag a failed access raises, with the outcome text.
        server->put(QStringLiteral("PhysId"), QStringLiteral("C3.Flow"));
        try {
            server->get(QStringLiteral("value"));
            QFAIL("no error raised");
        } catch (const AutomationError &e) {
            QVERIFY(e.text().contains(QStringLiteral("C3")));
        }
        QCOMPARE(server->get(QStringLiteral("ErrorCode")).toInt(), 1024);
        // The selection itself never raises, and a new selection clears the flag.
        server->put(QStringLiteral("PhysId"), QStringLiteral("nothing.here"));
        server->put(QStringLiteral("InformationInErrorCode"), true);
        QCOMPARE(server->get(QStringLiteral("InformationInErrorCode")).toBool(), true);
        server->put(QStringLiteral("PhysId"), QStringLiteral("A1.Flow"));
        QCOMPARE(server->get(QStringLiteral("InformationInErrorCode")).toBool(), false);
        QCOMPARE(server->get(QStringLiteral("value")).toDouble(), 12.5);
    }

    void memberMisuseRaises()
    {
        const auto raises = [](const std::function<void()> &f, const QString &name) {
            try {
                f();
            } catch (const AutomationError &e) {
                return e.text().contains(name);
            }
            return false;
        };
        QVERIFY(raises([&] { server->get(QStringLiteral("Flux")); }, QStringLiteral("Flux")));
        QVERIFY(raises([&] { server->put(QStringLiteral("Bogus"), 1); }, QStringLiteral("Bogus")));
        QVERIFY(raises([&] { server->call(QStringLiteral("DoNothing")); }, QStringLiteral("DoNothing")));
        QVERIFY(raises([&] { server->get(QStringLiteral("DoRead")); }, QStringLiteral("DoRead")));
        QVERIFY(raises([&] { server->put(QStringLiteral("ErrorCode"), 0); }, QStringLiteral("ErrorCode")));
        QVERIFY(raises([&] { server->call(QStringLiteral("Value")); }, QStringLiteral("Value")));
        QVERIFY(raises([&] { server->call(QStringLiteral("DoRead"), {1}); }, QStringLiteral("DoRead")));
        QVERIFY(raises([&] { server->put(QStringLiteral("PhysId"), QVariantList{}); }, QStringLiteral("PhysId")));
    }

    void traceLines()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("bus.log"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier line\n");
        }
        auto traced = KeloProServer::fromJson(TestNetwork, QStringLiteral("test network"), path);
        QVERIFY(traced->tracing());
        traced->put(QStringLiteral("PhysId"), QStringLiteral("A1.Flow"));
        traced->put(QStringLiteral("informationInErrorCode"), true);
        traced->get(QStringLiteral("value"));
        traced->get(QStringLiteral("ErrorCode"));
        traced->get(QStringLiteral("ErrorString"));
        traced->put(QStringLiteral("Value"), 0.1);
        traced->put(QStringLiteral("Value"), 7);
        traced->call(QStringLiteral("DoRead"));
        traced->get(QStringLiteral("InValue"));
        traced->put(QStringLiteral("NodeAddress"), QStringLiteral("a\\b\nc"));
        QVERIFY_THROWS_EXCEPTION(AutomationError, traced->get(QStringLiteral("Nope")));

        const QStringList expected = {
            QStringLiteral("earlier line"),
            QStringLiteral("put PhysId A1.Flow"),
            QStringLiteral("put informationInErrorCode true"),
            QStringLiteral("get value 12.5"),
            QStringLiteral("get ErrorCode 0"),
            QStringLiteral("get ErrorString No error"),
            QStringLiteral("put Value 0.10000000000000001"),
            QStringLiteral("put Value 7"),
            QStringLiteral("call DoRead"),
            QStringLiteral("get InValue %1").arg(std::bit_cast<qint32>(7.0f)),
            QStringLiteral("put NodeAddress a\\\\b\\nc"),
            QStringLiteral("get Nope"),
        };
        // Each line is on disk as soon as the access returns.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines, expected);

        // No trace file: nothing is written.
        QVERIFY(!server->tracing());
    }

    void factoryReadsEnvironment()
    {
        kelopro::registerServer();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString networkPath = dir.filePath(QStringLiteral("net.json"));
        const QString tracePath = dir.filePath(QStringLiteral("trace.log"));
        {
            QFile f(networkPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(TestNetwork);
        }
        qputenv("KELO_PRO_NETWORK", networkPath.toLocal8Bit());
        qputenv("KELO_PRO_TRACE", tracePath.toLocal8Bit());
        {
            auto object = automation::createObject(QStringLiteral("kelo.pro"));
            Client c(*object);
            QCOMPARE(c.read(QStringLiteral("A1.PrgVers")).toInt(), 107);
            c.select(QStringLiteral("FT101"));
            QVERIFY(c.code() != 0); // only the file's devices
        }
        QFile trace(tracePath);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QVERIFY(trace.readAll().startsWith("put PhysId A1.PrgVers\n"));

        // An invalid file makes the creation fail with a text naming the file.
        {
            QFile f(networkPath);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("{ \"devices\": [ { \"deviceType\": 715 } ] }");
        }
        try {
            automation::createObject(QStringLiteral("KELO.PRO"));
            QFAIL("an invalid network file was accepted");
        } catch (const AutomationError &e) {
            QVERIFY2(e.text().contains(networkPath), qPrintable(e.text()));
            QVERIFY2(e.text().contains(QStringLiteral("physId")), qPrintable(e.text()));
        }

        // Without a file name, the default network.
        qputenv("KELO_PRO_NETWORK", QByteArray());
        qputenv("KELO_PRO_TRACE", QByteArray());
        auto object = automation::createObject(QStringLiteral("KELO.PRO"));
        Client c(*object);
        QCOMPARE(c.read(QStringLiteral("FT101.DeviceType")).toInt(), 715);
        QCOMPARE(c.code(), 0);
        QVERIFY(!static_cast<KeloProServer &>(*object).tracing());
    }

private:
    std::unique_ptr<KeloProServer> server;
    std::unique_ptr<Client> client;
};

QTEST_GUILESS_MAIN(TestKeloProServer)
#include "tst_keloproserver.moc"
