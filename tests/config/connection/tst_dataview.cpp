// The Data tab as the operator uses it: switching the outputs, entering volumes, test
// flow, setpoint and the manual output value, starting a batch and watching its
// progress; and the values shown after a read going back to the device once.
#include "OperatorDriver.h"

#include "DataTabU.h"
#include "DialogAnswerer.h"

#include <QLocale>
#include <QProgressBar>

using kelopro::SimValue;

namespace {

bool shows(QWidget *image) { return !image->isHidden(); }

} // namespace

class DataViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // --- outputs -------------------------------------------------------------------

    void aClickOnTheShownLampSwitchesTheOutput()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Output2", 1}}));
        op.open();
        op.cycle(2);
        QWidget *on2 = op.get("imgDataOut2On"), *off2 = op.get("imgDataOut2Off");
        QWidget *on3 = op.get("imgDataOut3On"), *off3 = op.get("imgDataOut3Off");
        QVERIFY(shows(on2) && !shows(off2));
        QVERIFY(!shows(on3) && shows(off3));

        op.click(on2);
        QVERIFY(!shows(on2) && shows(off2));
        QCOMPARE(op.serve(SlotOutput2), QStringLiteral("write 0"));
        QCOMPARE(op.deviceCode(".Output2"), 0);
        QCOMPARE(op.serve(SlotOutput2), QStringLiteral("read"));
        QVERIFY(!shows(on2) && shows(off2));
        op.click(off2);
        QVERIFY(shows(on2) && !shows(off2));
        QCOMPARE(op.serve(SlotOutput2), QStringLiteral("write 1"));
        QCOMPARE(op.deviceCode(".Output2"), 1);

        op.click(off3);
        QVERIFY(shows(on3) && !shows(off3));
        QCOMPARE(op.serve(SlotOutput3), QStringLiteral("write 1"));
        QCOMPARE(op.deviceCode(".Output3"), 1);
        op.click(on3);
        QCOMPARE(op.serve(SlotOutput3), QStringLiteral("write 0"));
        QCOMPARE(op.deviceCode(".Output3"), 0);
        QVERIFY(!shows(on3) && shows(off3));
        KR_VERIFY_DIALOGS(answers);
    }

    // An output with a function (or with an illegal function code) is not switched by hand.
    void lampsOfOutputsWithAFunctionIgnoreClicks_data()
    {
        QTest::addColumn<int>("code2");
        QTest::newRow("current output and batch control") << 0x21200000;
        QTest::newRow("illegal functions") << 0x30300000;
    }
    void lampsOfOutputsWithAFunctionIgnoreClicks()
    {
        QFETCH(int, code2);
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", code2}, {".Output2", 1}}));
        op.open();
        op.cycle(2);
        QVERIFY(op.list("cmbOut2FuncOut")->currentIndex() != 0);
        QVERIFY(op.list("cmbOut3FuncOut3")->currentIndex() != 0);
        op.click("imgDataOut2On");
        op.click("imgDataOut3Off");
        QVERIFY(shows(op.get("imgDataOut2On")) && !shows(op.get("imgDataOut2Off")));
        QVERIFY(!shows(op.get("imgDataOut3On")) && shows(op.get("imgDataOut3Off")));
        QCOMPARE(op.serve(SlotOutput2), QStringLiteral("read"));
        QCOMPARE(op.serve(SlotOutput3), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }

    // Switching output 2 off is kept for the device while it does not answer; a click on
    // output 3 then changes the lamps only, and the next read puts them back.
    void lampClicksWhileTheDeviceDoesNotAnswer()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Output2", 1}}));
        op.open();
        op.cycle(2);
        op.setAnswering(false);
        op.tick();
        QVERIFY(!op.session().device.contact);
        op.click("imgDataOut2On");
        op.click("imgDataOut3Off");
        QVERIFY(shows(op.get("imgDataOut2Off")));
        QVERIFY(shows(op.get("imgDataOut3On")));
        op.clearTrace();
        op.tick(40);
        QCOMPARE(op.writes(), QStringList());
        QCOMPARE(op.deviceCode(".Output2"), 1);

        op.setAnswering(true);
        QCOMPARE(op.serve(SlotOutput2), QStringLiteral("write 0"));
        QCOMPARE(op.deviceCode(".Output2"), 0);
        QCOMPARE(op.serve(SlotOutput3), QStringLiteral("read"));
        QVERIFY(!shows(op.get("imgDataOut3On")) && shows(op.get("imgDataOut3Off")));
        QCOMPARE(op.deviceCode(".Output3"), 0);
        KR_VERIFY_DIALOGS(answers);
    }

    // --- values entered ----------------------------------------------------------

    // Passing the focus through a value field writes nothing: the text shown is the
    // device's own (a volume counter written back would lose the counts added since).
    // Enter, or leaving after a change, sends the field's text.
    void leavingAValueFieldUnchangedWritesNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Volume1") << "edDataVol1" << int(SlotVolume1) << "1234.500";
        QTest::newRow("Volume1 of the bottom strip") << "ed715Vol1" << int(SlotVolume1) << "1234.500";
        QTest::newRow("Volume2") << "edDataVol2" << int(SlotVolume2) << "77.00000";
        QTest::newRow("Volume2 of the bottom strip") << "ed715Vol2" << int(SlotVolume2) << "77.00000";
        QTest::newRow("setpoint") << "edDataSetP" << int(SlotSetPoint) << "25.00000";
        QTest::newRow("setpoint of output 3") << "edOut3SetP" << int(SlotSetPoint) << "25.00000";
        QTest::newRow("test flow") << "edDataFlow" << int(SlotFlow) << "12.50000";
    }
    void leavingAValueFieldUnchangedWritesNothing()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, shown);
        DialogAnswerer answers;
        // Test mode, output 3 as PI regulator (setpoint writable).
        OperatorDriver op(OperatorDriver::kr715(
            {{".Volume1", 1234.5}, {".Volume2", 77}, {".SetPoint", 25}, {".Code2", 0x10018000}}));
        op.open();
        op.cycle(2);
        TKREdit *edit = op.edit(field);
        edit->setReadOnly(false);
        QCOMPARE(edit->text(), shown);
        op.focus(edit);
        QCOMPARE(op.serve(slot), QStringLiteral("skip"));
        op.leave();
        op.clearTrace();
        op.cycle(2);
        QVERIFY2(op.writes().isEmpty(), qPrintable(op.writes().join(QLatin1Char(','))));

        // Enter sends the text shown, changed or not.
        op.focus(edit);
        QTest::keyClick(edit, Qt::Key_Return);
        op.leave();
        QCOMPARE(op.serve(slot), QStringLiteral("write ") + QString::number(shown.toDouble()));
        QCOMPARE(op.serve(slot), QStringLiteral("read"));

        // Leaving after a change sends the new value once.
        op.typeAndLeave(edit, QStringLiteral("5"));
        QCOMPARE(op.serve(slot), QStringLiteral("write 5"));
        QCOMPARE(op.serve(slot), QStringLiteral("read"));
        // (A setpoint read shows a new text, which is written back once.)
        op.cycle(2);
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.writes(), QStringList());
        KR_VERIFY_DIALOGS(answers);
    }

    // A value the device cannot take is never sent: the operator is told once, with
    // the caption of the field, and the field shows the device's value again.
    void aValueThatIsNoNumberIsRefusedOnce_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enterKey");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("test flow abc") << "edDataFlow" << int(SlotFlow) << "abc" << true << "Flow" << "12.50000";
        QTest::newRow("bottom-strip volume, left") << "ed715Vol2" << int(SlotVolume2) << "7x" << false << "Vol. 2" << "77.00000";
        QTest::newRow("volume beyond single precision") << "edDataVol1" << int(SlotVolume1) << "1e39" << true << "Volume1" << "1234.500";
        QTest::newRow("setpoint") << "edDataSetP" << int(SlotSetPoint) << "abc" << false << "Setpoint" << "25.00000";
        QTest::newRow("meter size") << "edInpMeterSize" << int(SlotMeterSize) << "abc" << true << "Meter size" << "100.0000";
        QTest::newRow("meter size register") << "edConE1" << int(SlotMeterSize) << "1e40" << false << "MeterSize (E1)" << "100.0000";
        QTest::newRow("P-band") << "edOut3PiPBand" << int(SlotScale) << "x" << true << "P-band" << "100.0000";
    }
    void aValueThatIsNoNumberIsRefusedOnce()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, typed);
        QFETCH(bool, enterKey);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Volume1", 1234.5}, {".Volume2", 77}, {".SetPoint", 25},
                                                 {".MeterSize", 100}, {".Scale", 100}, {".Code2", 0x10018000}}));
        op.open();
        op.cycle(2);
        TKREdit *edit = op.edit(field);
        edit->setReadOnly(false);
        QCOMPARE(edit->text(), shown);
        answers.answerMessageBox(QMessageBox::Ok, QLatin1Char('"') + caption + QLatin1Char('"'));
        if (enterKey) {
            op.typeAndEnter(edit, typed);
            op.leave();
        } else {
            op.typeAndLeave(edit, typed);
        }
        op.activate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().size(), 1);
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);
        op.clearTrace();
        op.cycle(2);
        // Nothing of the refused text reached the device (a setpoint shown again is
        // written back once as the device's own value).
        for (const QString &written : op.writesOf(pollVariable(slot)))
            QCOMPARE(written.toDouble(), shown.toDouble());
        QCOMPARE(op.deviceReal(pollVariable(slot)), shown.toDouble());
        QCOMPARE(edit->text(), shown);
        QCOMPARE(op.session().state(slot), ExchangeState::Reading);
        KR_VERIFY_DIALOGS(answers);
    }

    void bottomStripVolumesAreCopiedAndSent()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle(2);
        op.focus(op.edit("ed715Vol1"));
        QCOMPARE(op.serve(SlotVolume1), QStringLiteral("skip"));
        op.typeAndLeave(op.edit("ed715Vol1"), QStringLiteral("250"));
        QCOMPARE(op.edit("edDataVol1")->text(), QStringLiteral("250"));
        QCOMPARE(op.serve(SlotVolume1), QStringLiteral("write 250"));
        QCOMPARE(op.deviceReal(".Volume1"), 250.0);
        QCOMPARE(op.serve(SlotVolume1), QStringLiteral("read"));
        QCOMPARE(op.edit("ed715Vol1")->text(), QStringLiteral("250.0000"));

        op.typeAndEnter(op.edit("ed715Vol2"), QStringLiteral("77"));
        QCOMPARE(op.edit("edDataVol2")->text(), QStringLiteral("77"));
        QCOMPARE(op.serve(SlotVolume2), QStringLiteral("write 77"));
        QCOMPARE(op.deviceReal(".Volume2"), 77.0);

        // A text that is no number is never sent: the operator is told, and the fields
        // show the device's value again.
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("\"Vol. 2\""));
        op.typeAndLeave(op.edit("ed715Vol2"), QStringLiteral("7x"));
        op.activate();
        QCOMPARE(op.serve(SlotVolume2), QStringLiteral("read"));
        QCOMPARE(op.edit("edDataVol2")->text(), QStringLiteral("77.00000"));
        QCOMPARE(op.edit("ed715Vol2")->text(), QStringLiteral("77.00000"));
        QCOMPARE(op.deviceReal(".Volume2"), 77.0);
        KR_VERIFY_DIALOGS(answers);
    }

    void bottomStripVolumesAreCopiedOffline()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        op.typeAndLeave(op.edit("ed715Vol1"), QStringLiteral("5"));
        op.typeAndEnter(op.edit("ed715Vol2"), QStringLiteral("6"));
        QCOMPARE(op.edit("edDataVol1")->text(), QStringLiteral("5"));
        QCOMPARE(op.edit("edDataVol2")->text(), QStringLiteral("6"));
        KR_VERIFY_DIALOGS(answers);
    }

    // The flow fields are writable only in test mode (the input settings make them so;
    // here they are made writable directly): only then are they copied and sent.
    void flowIsEnteredOnlyInTestMode()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x00018000}})); // test mode
        op.open();
        op.cycle(2);
        QCOMPARE(op.list("cmbInpMode")->currentIndex(), 1);
        TKREdit *strip = op.edit("ed715Flow"), *data = op.edit("edDataFlow");
        strip->setReadOnly(false);
        data->setReadOnly(false);
        op.focus(strip);
        QCOMPARE(op.serve(SlotFlow), QStringLiteral("skip"));
        op.typeAndLeave(strip, QStringLiteral("33"));
        QCOMPARE(data->text(), QStringLiteral("33"));
        QCOMPARE(op.serve(SlotFlow), QStringLiteral("write 33"));
        QCOMPARE(op.deviceReal(".Flow"), 33.0);
        op.typeAndEnter(data, QStringLiteral("44"));
        QCOMPARE(op.serve(SlotFlow), QStringLiteral("write 44"));
        QCOMPARE(op.deviceReal(".Flow"), 44.0);
        KR_VERIFY_DIALOGS(answers);
    }

    void flowIsNeitherCopiedNorSentInNormalMode()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle(2);
        QCOMPARE(op.list("cmbInpMode")->currentIndex(), 0);
        TKREdit *strip = op.edit("ed715Flow"), *data = op.edit("edDataFlow");
        strip->setReadOnly(false);
        data->setReadOnly(false);
        op.focus(strip);
        QCOMPARE(op.serve(SlotFlow), QStringLiteral("read"));
        op.typeAndLeave(strip, QStringLiteral("33"));
        QCOMPARE(data->text(), QStringLiteral("12.50000"));
        op.typeAndEnter(data, QStringLiteral("44"));
        op.leave();
        QCOMPARE(op.serve(SlotFlow), QStringLiteral("read"));
        QCOMPARE(op.deviceReal(".Flow"), 12.5);
        QCOMPARE(strip->text(), QStringLiteral("12.50000"));
        KR_VERIFY_DIALOGS(answers);
    }

    void setpointFieldsShowEachOthersEntryAtOnce()
    {
        DialogAnswerer answers;
        {
            // Output 2 on batch control shows its setpoint field.
            OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x00200000}}));
            op.open();
            op.cycle(2);
            op.typeAndEnter(op.edit("edOut2SetP"), QStringLiteral("12"));
            QCOMPARE(op.edit("edDataSetP")->text(), QStringLiteral("12"));
            QCOMPARE(op.edit("edOut3SetP")->text(), QStringLiteral("12"));
            QCOMPARE(op.deviceReal(".SetPoint"), 100.0);
            QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("write 12"));
            QCOMPARE(op.deviceReal(".SetPoint"), 12.0);
        }
        // Output 3 as PI regulator shows the regulator's setpoint field.
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x10000000}}));
        op.open();
        op.cycle(2);

        op.focus(op.edit("edOut3SetP"));
        QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("skip"));
        op.typeAndLeave(op.edit("edOut3SetP"), QStringLiteral("15"));
        QCOMPARE(op.edit("edDataSetP")->text(), QStringLiteral("15"));
        QCOMPARE(op.edit("edOut2SetP")->text(), QStringLiteral("15"));
        QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("write 15"));
        QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("read"));
        QCOMPARE(op.edit("edOut2SetP")->text(), QStringLiteral("15.00000"));
        QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("write 15")); // the shown text, once
        QCOMPARE(op.serve(SlotSetPoint), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }

    // Output 3 as current output on "Available": the manual value field shows after the
    // "0..<full scale>:" label and is sent as entered; a text that is no number gives the
    // value back to the device.
    void theManualValueOfOutput3()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x24000000}, {".Available", 3.5}}));
        op.open();
        op.cycle(2);
        auto *label = op.get<QLabel>("laDataManSetOut3");
        TKREdit *manual = op.edit("edDataManSetOut3");
        QWidget *panel = op.get("pnDataOut3Ana");
        QCOMPARE(label->text(), QStringLiteral("0..100.0000:"));
        QVERIFY(!manual->isReadOnly());
        QVERIFY(manual->x() > label->geometry().right());
        QVERIFY(panel->rect().contains(manual->geometry()));
        QCOMPARE(manual->text(), QStringLiteral("3.500000"));

        op.focus(manual);
        QCOMPARE(op.serve(SlotAvailable), QStringLiteral("skip"));
        op.typeAndEnter(manual, QStringLiteral("7.5"));
        QCOMPARE(op.serve(SlotAvailable), QStringLiteral("write 7.5"));
        QCOMPARE(op.deviceReal(".Available"), 7.5);
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("\"Output3\""));
        op.typeAndEnter(manual, QStringLiteral("abc"));
        op.activate();
        QCOMPARE(op.serve(SlotAvailable), QStringLiteral("read"));
        QCOMPARE(manual->text(), QStringLiteral("7.500000"));
        QCOMPARE(op.deviceReal(".Available"), 7.5);

        // Another data source: at the end of the next setting entry the panel is cut
        // after the "mA" label again.
        QVERIFY(op.choose("cmbOut3DataForOut3", 1));
        op.typeAndEnter(op.edit("edOut3ScaleOut3"), QStringLiteral("100"));
        QVERIFY(!panel->rect().intersects(manual->geometry()));
        KR_VERIFY_DIALOGS(answers);
    }

    void batchStartIsSentAlsoWithoutContact()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x00200600}, {".Volume2", 40}}));
        op.open();
        op.cycle(2);
        QCOMPARE(op.serve(SlotBatchStart), QStringLiteral("skip")); // nothing pending
        op.click("btnOut2BatchStart");
        QCOMPARE(op.serve(SlotBatchStart), QStringLiteral("write 1"));
        QCOMPARE(op.deviceReal(".Volume2"), 0.0);
        QCOMPARE(op.deviceCode(".Output2"), 1);
        QCOMPARE(op.serve(SlotBatchStart), QStringLiteral("skip"));

        op.setDevice(".BatchStart", SimValue::fromInt(0)); // the batch ends
        op.setAnswering(false);
        op.tick();
        op.click("btnOut2BatchStart");
        op.setAnswering(true);
        QCOMPARE(op.serve(SlotBatchStart), QStringLiteral("write 1"));
        QCOMPARE(op.deviceCode(".BatchStart"), 1);
        KR_VERIFY_DIALOGS(answers);
    }

    void batchProgress()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715(
            {{".Code2", 0x00200100}, {".Output2", 1}, {".Flow", 50}, {".SetPoint", 200}}));
        TfrmKR715Config &w = op.open();
        op.cycle(2);
        auto *bar = op.get<QProgressBar>("pbOut2BatchProgress");
        auto progress = [&] {
            w.dataTab->tiOut2BatchCalcTimer(); // what the 250 ms timer runs
            return bar->value();
        };
        auto flow = [&](double v) {
            op.setDevice(".Flow", SimValue::fromReal(v));
            op.serve(SlotFlow);
        };
        auto setpoint = [&](double v) {
            op.setDevice(".SetPoint", SimValue::fromReal(v));
            op.serve(SlotSetPoint); // read
            op.serve(SlotSetPoint); // the shown value written back once
        };
        QCOMPARE(progress(), 25);
        flow(200); // reached: the bar stays
        QCOMPARE(progress(), 25);
        flow(250);
        QCOMPARE(progress(), 25);
        setpoint(8);
        flow(1); // 12.5 %, rounded to the even 12
        QCOMPARE(progress(), 12);
        flow(3); // 37.5 %
        QCOMPARE(progress(), 38);
        flow(5); // 62.5 %
        QCOMPARE(progress(), 62);

        // Temperature as the batch value, shown as dashes: the bar stays.
        op.setDevice(".Code2", SimValue::fromInt(0x00200300));
        op.setDevice(".Temperature", SimValue::fromReal(-250));
        op.serve(SlotCode2);
        op.serve(SlotTemperature);
        QCOMPARE(op.list("cmbOut2DataForBatchLimit")->currentIndex(), 3);
        QCOMPARE(op.edit("edDataTemp")->text(), QStringLiteral("- - - - - - -"));
        QCOMPARE(progress(), 62);
        // A zero setpoint: the bar stays.
        op.setDevice(".Code2", SimValue::fromInt(0x00200100));
        op.serve(SlotCode2);
        setpoint(0);
        flow(1);
        QCOMPARE(progress(), 62);

        // Output 2 off, or another function: the bar is at 0.
        setpoint(8);
        QCOMPARE(progress(), 12);
        op.setDevice(".Output2", SimValue::fromInt(0));
        op.serve(SlotOutput2);
        QCOMPARE(progress(), 0);
        op.setDevice(".Output2", SimValue::fromInt(1));
        op.serve(SlotOutput2);
        QCOMPARE(progress(), 12);
        op.setDevice(".Code2", SimValue::fromInt(0x00400100)); // limit switch
        op.serve(SlotCode2);
        QCOMPARE(progress(), 0);
        KR_VERIFY_DIALOGS(answers);
    }

    // --- read and written back ---------------------------------------------------------

    // A read that changes the shown setpoint or manual value completes the field as an
    // entry would: the shown value is written back once, and the next read settles.
    void readValuesAreWrittenBackOnceAndSettle()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle(3);
        QCOMPARE(op.writesOf(".SetPoint"), QStringList{"100"});
        QCOMPARE(op.writesOf(".Available"), QStringList{"0"});
        QCOMPARE(op.writes().size(), 2);
        QCOMPARE(op.edit("edOut3SetP")->text(), QStringLiteral("100.0000"));
        QCOMPARE(op.edit("edOut2SetP")->text(), QStringLiteral("100.0000"));

        op.setDevice(".SetPoint", SimValue::fromReal(300));
        op.clearTrace();
        op.cycle(3);
        QCOMPARE(op.writes(), QStringList{"FT1.SetPoint 300"});
        QCOMPARE(op.edit("edOut2SetP")->text(), QStringLiteral("300.0000"));
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.writes(), QStringList());
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(DataViewTest)
#include "tst_dataview.moc"
