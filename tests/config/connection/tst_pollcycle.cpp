// The polling cycle against the simulated network: the server calls of one tick,
// the order of the cycle, a whole cycle that fills the Data tab, the derived output
// values, the temperature rules, the write rules of the slots, and a device that
// stops answering in the middle of the cycle.
#include "ConnectionTestSupport.h"
#include "DialogAnswerer.h"

#include "DataTabU.h"
#include "KRBevel.h"

#include <QTabWidget>

using namespace conn;

namespace {

// A KR 715 whose every variable is given: E6 resolution index 2, E7 current output on
// flow, batch control, volume counting on flow, E8 per minute, node 34.
QByteArray kr715Variables(const QMap<QString, QString> &changes = {})
{
    QMap<QString, QString> v{
        {".MeterSize", "2.5"},        {".Ti", "10"},
        {".PiCode", "0"},             {".Meternumber", "2018918144"}, // 78563F00
        {".Scale", "100"},            {".Code1", "2097152"},          // 00200000
        {".Code2", "555812352"},      {".Code3", "539112448"},        // 21210600, 20223400
        {".Flow", "12.5"},            {".Volume1", "1234.5"},
        {".Volume2", "10.25"},        {".InstantFlow", "13"},
        {".TCFlow", "12.4"},          {".Temperature", "21.5"},
        {".SetPoint", "500"},         {".Input1", "1"},
        {".Output2", "1"},            {".Output3", "0"},
        {".Available", "3.25"},
    };
    for (auto it = changes.begin(); it != changes.end(); ++it)
        v[it.key()] = it.value();
    QStringList fields;
    for (auto it = v.begin(); it != v.end(); ++it)
        fields << QStringLiteral("\"%1\":%2").arg(it.key(), it.value());
    return "{" + fields.join(QLatin1Char(',')).toLatin1() + "}";
}

QByteArray oneKr715(const QMap<QString, QString> &changes = {}, const QByteArray &extra = QByteArray())
{
    return network({device("FT1", 715, kr715Variables(changes), extra)});
}

// The server calls of a tick up to the slot's selection.
QStringList tickHead(const QString &errorQueries, int prgVers = 105)
{
    QStringList lines{"put PhysId FT1.DeviceType", "put InformationInErrorCode true", "get value 715"};
    lines << errorQueries.split(QLatin1Char('|'));
    lines << QStringList{"put PhysId FT1.PrgVers", "put InformationInErrorCode true",
                         QStringLiteral("get value %1").arg(prgVers)};
    return lines;
}
const QString NoError = QStringLiteral("get ErrorCode 0|get ErrorString No error");

// The variables of the cycle in their order.
const QStringList CycleVariables{
    ".MeterSize", ".Ti", ".PiCode", ".MeterNumber", ".Scale", ".Code1", ".Code2", ".Code3",
    ".Flow", ".Volume1", ".Volume2", ".InstantFlow", ".TCFlow", ".Temperature", ".SetPoint",
    ".Input1", ".Output2", ".Output3", ".Available", ".BatchStart",
};

// Sets the user's locale for number texts while it lives.
struct LocaleScope {
    explicit LocaleScope(const QLocale &locale) : saved(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved); }
    QLocale saved;
};

// Every text the Data tab and the bottom strip show.
QStringList dataTexts(KR715Session &s)
{
    QStringList texts;
    for (const char *name : {"edDataFlow", "edDataVol1", "edDataVol2", "edDataInsFlow", "edDataTCFlow", "edDataTemp",
                             "edDataSetP", "edDataOut2FVal", "edDataOut3FVal", "edDataOut3AVal", "edDataManSetOut3",
                             "ed715Flow", "ed715Vol1", "ed715Vol2", "edGenDeviceNo", "edGenPrgVer"})
        texts << QLatin1String(name) + QLatin1Char('=') + text(s, name);
    texts << QStringLiteral("pbevDataInp=") + s.controls.get<TKRBevel>(QStringLiteral("pbevDataInp"))->Caption();
    return texts;
}

} // namespace

class PollCycleTest : public QObject {
    Q_OBJECT
private slots:
    void aTickWithContactMakesThreeSelections()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        f.clearTrace();
        f.tick();
        KR_COMPARE_TRACE(f.traceLines(), tickHead(NoError) + QStringList{"put PhysId FT1.MeterSize",
                                                                         "put InformationInErrorCode true",
                                                                         "get value 2.5"});
        QCOMPARE(w.session().pollSlot, 2);
        QCOMPARE(text(w.session(), "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(text(w.session(), "edGenPrgVer"), QStringLiteral("105"));
    }

    void aDeviceFaultAddsTheFaultCodeSelection()
    {
        MainWindowFixture f(oneKr715({}, R"(,"fault":7)"));
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        f.clearTrace();
        f.tick();
        KR_COMPARE_TRACE(f.traceLines(),
                         tickHead(QStringLiteral("get ErrorCode 256|put PhysId FT1.Error3|put InformationInErrorCode true|get Value 7"))
                             + QStringList{"put PhysId FT1.MeterSize", "put InformationInErrorCode true", "get value 2.5"});
        // The device still answers: the cycle goes on.
        QVERIFY(w.session().device.contact);
        QCOMPARE(w.session().pollSlot, 2);
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("0x007"));
    }

    void aTickWritesOrSkipsByTheExchangeState()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(9);
        w.ui.pc715->setCurrentWidget(w.ui.tsData);

        // The operator enters Volume1 and confirms with Enter.
        TKREdit *volume1 = w.dataTab->ui.edDataVol1;
        volume1->setFocus(Qt::TabFocusReason);
        QCOMPARE(s.state(10), ExchangeState::Editing);
        volume1->selectAll();
        QTest::keyClicks(volume1, num("77.5"));
        QTest::keyClick(volume1, Qt::Key_Return);
        w.ui.cmb715PhysId->setFocus(Qt::TabFocusReason);
        QCOMPARE(s.state(10), ExchangeState::WritePending);
        f.clearTrace();
        f.tick();
        KR_COMPARE_TRACE(f.traceLines(), tickHead(NoError) + QStringList{"put PhysId FT1.Volume1",
                                                                         "put InformationInErrorCode true",
                                                                         "put value 77.5"});
        QCOMPARE(s.state(10), ExchangeState::Reading);
        QCOMPARE(deviceValue(s, "FT1", ".Volume1").real, 77.5);

        // While the operator edits Volume2 its turn selects it and does nothing more.
        w.dataTab->ui.edDataVol2->setFocus(Qt::TabFocusReason);
        QCOMPARE(s.state(11), ExchangeState::Editing);
        f.clearTrace();
        f.tick();
        KR_COMPARE_TRACE(f.traceLines(), tickHead(NoError) + QStringList{"put PhysId FT1.Volume2",
                                                                         "put InformationInErrorCode true"});
        QCOMPARE(s.pollSlot, 12);

        // Volume1 is read back at its next turn.
        f.tick(19);
        QCOMPARE(text(s, "edDataVol1"), num("77.50000"));
        QCOMPARE(text(s, "ed715Vol1"), num("77.50000"));
    }

    void aTickWithoutContactOrKR715EndsAfterTheErrorQuery_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("physId");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("contact");
        QTest::newRow("no contact")
            << network({device("FT1", 715, "{}", R"(,"answers":false)")}) << "FT1"
            << QStringList{"put PhysId FT1.DeviceType", "put InformationInErrorCode true", "get value 0",
                           "get ErrorCode 1024", "get ErrorString No contact: FT1 does not answer"}
            << false;
        QTest::newRow("another device type")
            << network({device("PT1", 702)}) << "PT1"
            << QStringList{"put PhysId PT1.DeviceType", "put InformationInErrorCode true", "get value 702",
                           "get ErrorCode 0", "get ErrorString No error"}
            << true;
        QTest::newRow("not accepted") << network({device("FT1")}) << "FT7" << QStringList() << false;
    }
    void aTickWithoutContactOrKR715EndsAfterTheErrorQuery()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, physId);
        QFETCH(QStringList, expected);
        QFETCH(bool, contact);
        MainWindowFixture f(json);
        TfrmKR715Config &w = f.open();
        DialogAnswerer answers;
        if (!expected.isEmpty())
            answers.answerMessageBox(QMessageBox::Ok);
        selectDevice(w, physId);
        KR_VERIFY_DIALOGS(answers);
        w.session().pollSlot = 5;
        f.clearTrace();
        f.tick();
        KR_COMPARE_TRACE(f.traceLines(), expected);
        f.tick(25);
        QCOMPARE(f.traceLines().size(), expected.size() * 26);
        QCOMPARE(w.session().pollSlot, 5); // the cycle stands still
        QCOMPARE(w.session().device.contact, contact);
    }

    void theCycleServesEverySlotOnceInItsOrder()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        QVERIFY(w.session().initialLoadPending);
        QStringList served;
        for (int tick = 1; tick <= 20; ++tick) {
            f.clearTrace();
            f.tick();
            const QStringList ids = f.traceLines().filter(QStringLiteral("put PhysId "));
            QCOMPARE(ids.size(), 3);
            served << ids.at(2).mid(QStringLiteral("put PhysId FT1").size());
            // The initial load ends with the read of E8.
            QCOMPARE(w.session().initialLoadPending, tick < 8);
            if (tick == 20) // nothing is read for the batch start
                QCOMPARE(f.traceLines().last(), QStringLiteral("put InformationInErrorCode true"));
        }
        QCOMPARE(served, CycleVariables);
        QCOMPARE(w.session().pollSlot, 1);
    }

    void aWholeCycleFillsTheDataTab()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        DialogAnswerer answers;
        selectDevice(w, QStringLiteral("FT1"));
        // Fields that only show what is read start empty (the register edits and the
        // setpoint fields show their design texts: emptying them would be an entry).
        for (const char *name : {"edDataFlow", "edDataVol1", "edDataVol2", "edDataInsFlow", "edDataTCFlow",
                                 "edDataTemp", "edDataOut2FVal", "edDataOut3FVal", "edDataOut3AVal", "ed715Flow",
                                 "ed715Vol1", "ed715Vol2", "edGenDeviceNo", "edGenPrgVer", "edGenNAddr", "edGenNodeNo"})
            edit(s, name)->clear();
        QCOMPARE(text(s, "edConE1"), QStringLiteral("00000000"));
        f.tick(20);

        const QStringList registers{num("2.500000"), num("10.00000"), "000000", "78563F",
                                    num("100.0000"), "002000", "212106", "202234"};
        for (int reg = 1; reg <= 8; ++reg)
            QCOMPARE(text(s, qPrintable(QStringLiteral("edConE%1").arg(reg))), registers.at(reg - 1));
        QCOMPARE(text(s, "edGenNAddr"), QStringLiteral("78563F"));
        QCOMPARE(text(s, "edGenNodeNo"), QStringLiteral("52"));

        QCOMPARE(text(s, "edDataFlow"), num("12.50000"));
        QCOMPARE(text(s, "ed715Flow"), num("12.50000"));
        QCOMPARE(text(s, "edDataVol1"), num("1234.500"));
        QCOMPARE(text(s, "ed715Vol1"), num("1234.500"));
        QCOMPARE(text(s, "edDataVol2"), num("10.25000"));
        QCOMPARE(text(s, "ed715Vol2"), num("10.25000"));
        QCOMPARE(text(s, "edDataInsFlow"), num("13.00000"));
        QCOMPARE(text(s, "edDataTCFlow"), num("12.40000"));
        QCOMPARE(text(s, "edDataTemp"), num("21.5"));
        QCOMPARE(text(s, "edDataSetP"), num("500.0000"));
        QCOMPARE(text(s, "edOut2SetP"), num("500.0000"));
        QCOMPARE(text(s, "edOut3SetP"), num("500.0000"));
        auto *input = s.controls.get<TKRBevel>(QStringLiteral("pbevDataInp"));
        QCOMPARE(input->Caption(), QStringLiteral("On"));
        QCOMPARE(input->Style(), TKRBevel::bsLowered);
        QVERIFY(!s.controls.get<QWidget>(QStringLiteral("imgDataOut2On"))->isHidden());
        QVERIFY(s.controls.get<QWidget>(QStringLiteral("imgDataOut2Off"))->isHidden());
        QVERIFY(s.controls.get<QWidget>(QStringLiteral("imgDataOut3On"))->isHidden());
        QVERIFY(!s.controls.get<QWidget>(QStringLiteral("imgDataOut3Off"))->isHidden());
        // 12.5 units/min at resolution 100 pulses/unit; output 3 at full scale 100.
        QCOMPARE(text(s, "edDataOut2FVal"), num("20.8333333333333"));
        QCOMPARE(text(s, "edDataOut3FVal"), num("20.8333333333333"));
        QCOMPARE(text(s, "edDataOut3AVal"), QStringLiteral("6"));
        QCOMPARE(text(s, "edDataManSetOut3"), num("3.250000"));
        QCOMPARE(s.availableValue, 3.25);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(text(s, "edGenPrgVer"), QStringLiteral("105"));
        QVERIFY(!s.initialLoadPending);

        // What the device changes shows in the next cycle.
        kelopro::SimDevice &ft1 = liveDevice(s, "FT1");
        const double now = liveNetwork(s).clock().now();
        ft1.write(ft1.variableIndex(QStringLiteral(".input1")), kelopro::SimValue::fromInt(0), now);
        ft1.write(ft1.variableIndex(QStringLiteral(".output3")), kelopro::SimValue::fromInt(1), now);
        ft1.write(ft1.variableIndex(QStringLiteral(".flow")), kelopro::SimValue::fromReal(-3.75), now);
        f.tick(20);
        QCOMPARE(input->Caption(), QStringLiteral("Off"));
        QCOMPARE(input->Style(), TKRBevel::bsRaised);
        QVERIFY(!s.controls.get<QWidget>(QStringLiteral("imgDataOut3On"))->isHidden());
        QVERIFY(s.controls.get<QWidget>(QStringLiteral("imgDataOut3Off"))->isHidden());
        QCOMPARE(text(s, "edDataFlow"), num("-3.750000"));
        QCOMPARE(text(s, "ed715Flow"), num("-3.750000"));
        QCOMPARE(text(s, "edDataOut2FVal"), num("-6.25"));
        QCOMPARE(text(s, "edDataOut3AVal"), num("3.4"));
        KR_VERIFY_DIALOGS(answers);
    }

    void theTemperatureText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<QString>("shown");
        const QLocale c = QLocale::c();
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("zero") << c << "0" << "0";
        QTest::newRow("zero, decimal comma") << german << "0" << "0";
        QTest::newRow("one decimal") << c << "21.54" << "21.5";
        QTest::newRow("one decimal, decimal comma") << german << "21.54" << "21,5";
        QTest::newRow("-200 stays") << c << "-200" << "-200.0";
        QTest::newRow("-200.04 rounds to -200.0") << c << "-200.04" << "-200.0";
        QTest::newRow("-200.06 is below") << c << "-200.06" << "- - - - - - -";
        QTest::newRow("-250") << c << "-250" << "- - - - - - -";
        QTest::newRow("-250, decimal comma") << german << "-250" << "- - - - - - -";
    }
    void theTemperatureText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, temperature);
        QFETCH(QString, shown);
        LocaleScope scope(locale);
        MainWindowFixture f(oneKr715({{".Temperature", temperature}}));
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(14);
        QCOMPARE(text(w.session(), "edDataTemp"), shown);
        // Temperature-compensated flow (slot 13 of the next cycle) needs the sensor.
        f.tick(19);
        const bool sensorFault = shown == QLatin1String("- - - - - - -");
        QCOMPARE(text(w.session(), "edDataTCFlow") == QLatin1String("- - - - - - -"), sensorFault);
    }

    void theOutput2Frequency_data()
    {
        QTest::addColumn<QString>("code1");
        QTest::addColumn<QString>("code2");
        QTest::addColumn<QString>("code3");
        QTest::addColumn<QString>("shown");
        // 00200000 resolution index 2; 21210600 counting flow; 20223400 per minute.
        QTest::newRow("flow, 100 per unit, per minute") << "2097152" << "555812352" << "539112448" << "20.8333333333333";
        QTest::newRow("flow, 100 per unit, per hour") << "2097152" << "555812352" << "807547904" << "0.347222222222222";
        QTest::newRow("TCFlow, 1 per unit") << "0" << "555877888" << "539112448" << "0.206666666666667";
        QTest::newRow("instant flow, 1000000 per unit") << "6291456" << "556271104" << "539112448" << "216666.666666667";
        QTest::newRow("no volume counting") << "2097152" << "555746816" << "539112448" << "";
        QTest::newRow("resolution code 7 is no choice") << "7340032" << "555812352" << "539112448" << "";
    }
    void theOutput2Frequency()
    {
        QFETCH(QString, code1);
        QFETCH(QString, code2);
        QFETCH(QString, code3);
        QFETCH(QString, shown);
        MainWindowFixture f(oneKr715({{".Code1", code1}, {".Code2", code2}, {".Code3", code3}}));
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        edit(w.session(), "edDataOut2FVal")->setText(QStringLiteral("old"));
        f.tick(20);
        QCOMPARE(text(w.session(), "edDataOut2FVal"), num(qPrintable(shown)));
    }

    void theOutput3Values_data()
    {
        QTest::addColumn<QString>("code2");
        QTest::addColumn<QString>("flow");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("analog");
        // Digit 1: 1 PI regulator, 2 current output; digit 2: the value it follows;
        // output 2 gives pulses (batch control would conflict with the regulator).
        QTest::newRow("current, flow 50 of 100") << "554763776" << "50" << "100" << "83.3333333333333" << "12";
        QTest::newRow("current, temperature") << "588318208" << "50" << "100" << "" << "7.44";
        QTest::newRow("current, available") << "605095424" << "50" << "100" << "" << "4.52";
        QTest::newRow("current, instant flow") << "672204288" << "50" << "100" << "21.6666666666667" << "6.08";
        QTest::newRow("current, full scale 0") << "554763776" << "50" << "0" << "0" << "";
        QTest::newRow("PI regulator") << "286328320" << "50" << "100" << "83.3333333333333" << "3.2500000";
    }
    void theOutput3Values()
    {
        QFETCH(QString, code2);
        QFETCH(QString, flow);
        QFETCH(QString, scale);
        QFETCH(QString, frequency);
        QFETCH(QString, analog);
        MainWindowFixture f(oneKr715({{".Code2", code2}, {".Flow", flow}, {".Scale", scale}}));
        TfrmKR715Config &w = f.open();
        selectDevice(w, QStringLiteral("FT1"));
        edit(w.session(), "edDataOut3FVal")->setText(QStringLiteral("old"));
        edit(w.session(), "edDataOut3AVal")->setText(QStringLiteral("old"));
        // Two cycles: output 3 comes before the available value in the cycle.
        f.tick(40);
        QCOMPARE(text(w.session(), "edDataOut3FVal"), num(qPrintable(frequency)));
        QCOMPARE(text(w.session(), "edDataOut3AVal"), num(qPrintable(analog)));
    }

    void theWriteRulesOfTheSlots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sourceText");
        QTest::addColumn<QString>("written");
        QTest::newRow("E1 as a real") << 1 << "edConE1" << "3.5" << "put value 3.5";
        QTest::newRow("E3 as digits and 00") << 3 << "edConE3" << "0A0B0C" << "put value 168496128";
        QTest::newRow("E7 with the top bit") << 7 << "edConE7" << "FFFFFF" << "put value -256";
        QTest::newRow("flow") << 9 << "edDataFlow" << "12.75" << "put value 12.75";
        QTest::newRow("setpoint") << 15 << "edDataSetP" << "250" << "put value 250";
        QTest::newRow("output 2 on") << 17 << "imgDataOut2On" << "shown" << "put Value 1";
        QTest::newRow("output 3 off") << 18 << "imgDataOut3On" << "hidden" << "put Value 0";
        QTest::newRow("available") << 19 << "availableValue" << "4.5" << "put value 4.5";
        QTest::newRow("batch start") << 20 << "" << "" << "put value 1";
        QTest::newRow("empty E2 waits") << 2 << "edConE2" << "" << "";
        QTest::newRow("E8 no hex waits") << 8 << "edConE8" << "20G234" << "";
    }
    void theWriteRulesOfTheSlots()
    {
        QFETCH(int, slot);
        QFETCH(QString, source);
        QFETCH(QString, sourceText);
        QFETCH(QString, written);
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        DialogAnswerer answers;
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(slot - 1);
        if (source.startsWith(QLatin1String("img")))
            s.controls.get<QWidget>(source)->setVisible(sourceText == QLatin1String("shown"));
        else if (source == QLatin1String("availableValue"))
            s.availableValue = sourceText.toDouble();
        else if (!source.isEmpty())
            edit(s, qPrintable(source))->setText(num(qPrintable(sourceText)));
        s.state(slot) = ExchangeState::WritePending;
        f.clearTrace();
        f.tick();
        const QStringList trace = f.traceLines();
        QCOMPARE(trace.value(8), QStringLiteral("put PhysId FT1") + CycleVariables.at(slot - 1));
        if (written.isEmpty()) {
            // Nothing converts: nothing is sent and the write waits for the next turn.
            QCOMPARE(trace.size(), 10);
            QCOMPARE(s.state(slot), ExchangeState::WritePending);
            f.clearTrace();
            f.tick(20);
            QVERIFY(f.writes().filter(CycleVariables.at(slot - 1) + QLatin1Char(' ')).isEmpty());
            QCOMPARE(s.state(slot), ExchangeState::WritePending);
        } else {
            QCOMPARE(trace.size(), 11);
            QCOMPARE(trace.last(), written);
            QCOMPARE(s.state(slot), ExchangeState::Reading);
        }
        KR_VERIFY_DIALOGS(answers);
    }

    // A volume that is no number is refused when the field is left: the operator is
    // told, nothing is sent, and the field shows the device's value again.
    void anUnconvertibleVolumeIsRefused()
    {
        DialogAnswerer answers;
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(20);
        w.ui.pc715->setCurrentWidget(w.ui.tsData);
        TKREdit *volume1 = w.dataTab->ui.edDataVol1;
        const QString shown = volume1->text();
        volume1->setFocus(Qt::TabFocusReason);
        volume1->selectAll();
        QTest::keyClicks(volume1, QStringLiteral("12 l"));
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("\"Volume1\""));
        w.ui.cmb715PhysId->setFocus(Qt::TabFocusReason); // left without Enter
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(s.state(10), ExchangeState::Reading);
        f.clearTrace();
        f.tick(60);
        QVERIFY2(f.writes().filter(QStringLiteral("Volume1")).isEmpty(), qPrintable(f.writes().join(QLatin1Char('\n'))));
        QCOMPARE(volume1->text(), shown);
        QCOMPARE(deviceValue(s, "FT1", ".Volume1").real, 1234.5);

        // Corrected, it goes at the next turn.
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        volume1->setFocus(Qt::TabFocusReason);
        volume1->selectAll();
        QTest::keyClicks(volume1, QStringLiteral("12"));
        QTest::keyClick(volume1, Qt::Key_Return);
        f.clearTrace();
        f.tick(20);
        QCOMPARE(f.writes().filter(QStringLiteral("Volume1")), QStringList{"FT1.Volume1 12"});
        QCOMPARE(deviceValue(s, "FT1", ".Volume1").real, 12.0);
        KR_VERIFY_DIALOGS(answers);
    }

    void aPendingWriteSurvivesLostContact()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(25); // one cycle and five slots of the next: slot 6 is next
        w.ui.pc715->setCurrentWidget(w.ui.tsData);
        TKREdit *volume1 = w.dataTab->ui.edDataVol1;
        volume1->setFocus(Qt::TabFocusReason);
        volume1->selectAll();
        QTest::keyClicks(volume1, QStringLiteral("77"));
        QTest::keyClick(volume1, Qt::Key_Return);
        QCOMPARE(s.state(10), ExchangeState::WritePending);
        const QStringList shownBefore = dataTexts(s);

        // The cable is pulled.
        liveDevice(s, "FT1").setAnswers(false);
        f.clearTrace();
        f.tick(30);
        QVERIFY(!s.device.contact);
        QCOMPARE(s.pollSlot, 6);
        QCOMPARE(f.traceLines().size(), 30 * 5);
        QVERIFY(f.traceLines().filter(QStringLiteral("put PhysId")).filter(QStringLiteral(".DeviceType")).size() == 30);
        QVERIFY(f.writes().isEmpty());
        QCOMPARE(s.state(10), ExchangeState::WritePending);
        QCOMPARE(dataTexts(s), shownBefore);
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("No contact: FT1 does not answer"));
        QCOMPARE(w.ui.cmb715Error->count(), 1);

        // Back again: the cycle resumes at slot 6 and the write goes at slot 10.
        liveDevice(s, "FT1").setAnswers(true);
        f.clearTrace();
        f.tick();
        QVERIFY(s.device.contact);
        QCOMPARE(f.traceLines().filter(QStringLiteral("put PhysId")).last(), QStringLiteral("put PhysId FT1.Code1"));
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("No error"));
        QCOMPARE(w.ui.cmb715Error->count(), 1);
        f.tick(4);
        QCOMPARE(f.writes(), QStringList{"FT1.Volume1 77"});
        QCOMPARE(deviceValue(s, "FT1", ".Volume1").real, 77.0);
        QCOMPARE(s.state(10), ExchangeState::Reading);
        f.tick(20);
        QCOMPARE(volume1->text(), num("77.00000"));
    }

    void lostContactAtTheWriteSlotKeepsTheWrite()
    {
        MainWindowFixture f(oneKr715());
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(14);
        edit(s, "edDataSetP")->setText(num("42.5"));
        s.state(15) = ExchangeState::WritePending;
        liveDevice(s, "FT1").setAnswers(false);
        f.tick(3);
        QCOMPARE(s.pollSlot, 15);
        liveDevice(s, "FT1").setAnswers(true);
        f.clearTrace();
        f.tick();
        QCOMPARE(f.writes(), QStringList{"FT1.SetPoint 42.5"});
        QCOMPARE(deviceValue(s, "FT1", ".SetPoint").real, 42.5);
    }
};

QTEST_MAIN(PollCycleTest)
#include "tst_pollcycle.moc"
