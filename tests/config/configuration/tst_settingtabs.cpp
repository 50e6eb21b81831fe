// The setting tabs "Units / Input", "Output2" and "Output 3 / PI-reg": what each choice
// shows, the conflicts between the outputs, the unit handling and what reaches the
// registers.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"

#include "ToolkitControls.h"

#include <QLabel>
#include <QLocale>

namespace {

// E7 (Code2) as the device holds it after the writes: digit k of its six-digit text.
QChar e7Digit(OperatorDriver &op, int k) { return op.edit("edConE7")->text().at(k - 1); }

const QString Illegal = QStringLiteral("This choice is illegal because ");

} // namespace

class SettingTabsTest : public QObject {
    Q_OBJECT
private slots:
    // --- output 2 --------------------------------------------------------------

    void limitSwitchIsRefusedWhileOutput3Regulates()
    {
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("the regulator function of output 3"));
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x10000000}})); // output 3: PI regulator
        op.open();
        op.cycle();
        op.choose("cmbOut2FuncOut", 3); // refused: the list falls back
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts().first(),
                 Illegal + QStringLiteral("\nthe regulator function of output 3\nis selected"));
        QCOMPARE(op.list("cmbOut2FuncOut")->currentIndex(), 0);
        QCOMPARE(e7Digit(op, 3), QLatin1Char('0'));
        QCOMPARE(op.serve(7), QStringLiteral("write 268435456")); // 10000000: digit 3 still 0
    }

    void batchControlShowsItsControls()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.get("pnOut2SetP")->isHidden());
        QVERIFY(op.edit("edDataSetP")->isReadOnly());
        QVERIFY(op.choose("cmbOut2FuncOut", 2));
        for (const char *shown : {"pnOut2SetP", "btnOut2BatchStart", "grpOut2BatchProgress", "imgOut2Batch", "imgOut2PilVenstre"})
            QVERIFY2(!op.get(QLatin1String(shown))->isHidden(), shown);
        for (const char *hidden : {"pnOut2Resolution", "imgOut2Pulse", "imgOut2Limit", "imgOut2Sign", "pnDataOut2F"})
            QVERIFY2(op.get(QLatin1String(hidden))->isHidden(), hidden);
        QVERIFY(!op.get("pnDataOut2OnOff")->isHidden());
        QVERIFY(op.list("cmbOut2DataForBatchLimit")->isEnabled());
        QVERIFY(!op.edit("edDataSetP")->isReadOnly());
        QCOMPARE(op.get<QLabel>("laOut2DataForBatchLimit")->text(), QStringLiteral("Data for Batch control:"));
        QCOMPARE(e7Digit(op, 3), QLatin1Char('2'));
        QCOMPARE(op.serve(7), QStringLiteral("write %1").arg(0x00210000)); // 002100
        KR_VERIFY_DIALOGS(answers);
    }

    void errorCodeLeavesTheSetpointReadOnly()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbOut2FuncOut", 4));
        QCOMPARE(e7Digit(op, 3), QLatin1Char('6'));
        QVERIFY(op.edit("edDataSetP")->isReadOnly());
        QVERIFY(!op.list("cmbOut2DataForBatchLimit")->isEnabled());
        QCOMPARE(op.get<QLabel>("laOut2DataForBatchLimit")->text(), QStringLiteral("Data for batch/limit:"));
        // Pulses: the frequency instead of the lamps on the Data tab.
        QVERIFY(op.choose("cmbOut2FuncOut", 1));
        QVERIFY(!op.get("pnDataOut2F")->isHidden());
        QVERIFY(op.get("pnDataOut2OnOff")->isHidden());
        QVERIFY(!op.get("pnOut2Resolution")->isHidden());
        KR_VERIFY_DIALOGS(answers);
    }

    void theResolutionSetsThePulseWeight()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({}); // offline: the unit is chosen first
        QVERIFY(op.choose("cmbInpUnitChoice", 1)); // liter, from "Unit": nothing to ask
        QVERIFY(op.choose("cmbOut2Vol1Res", 3));
        QCOMPARE(op.list("cmbOut2Vol1Res")->toolTip(), QStringLiteral("3 digits after decimal seperator(1000 Pulse/l)"));
        QCOMPARE(op.edit("edConE6")->text().at(2), QLatin1Char('3'));
        KR_VERIFY_DIALOGS(answers);
    }

    // --- output 3 --------------------------------------------------------------

    void theRegulatorIsRefusedWhileOutput2RunsABatch()
    {
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("the batch control or the limit switch"));
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x00200000}})); // output 2: batch control
        op.open();
        op.cycle();
        op.choose("cmbOut3FuncOut3", 1); // refused
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts().first(),
                 Illegal + QStringLiteral("\nthe batch control or the limit switch\nfunction of output 2 is selected"));
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentIndex(), 0);
        QCOMPARE(e7Digit(op, 1), QLatin1Char('0'));
    }

    void theRegulatorAndAvailableExcludeEachOther()
    {
        {
            DialogAnswerer answers;
            answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("available is selected"));
            OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x04000000}})); // data: Available
            op.open();
            op.cycle();
            op.choose("cmbOut3FuncOut3", 1); // refused
            KR_VERIFY_DIALOGS(answers);
            QCOMPARE(answers.texts().first(), Illegal + QStringLiteral("\navailable is selected"));
            QCOMPARE(op.list("cmbOut3FuncOut3")->currentIndex(), 0);
        }
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("the regulator function of output 3"));
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x11000000}})); // PI regulator on flow
        op.open();
        op.cycle();
        op.choose("cmbOut3DataForOut3", 4); // refused
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(op.list("cmbOut3DataForOut3")->currentIndex(), 0);
        QCOMPARE(e7Digit(op, 2), QLatin1Char('0'));
    }

    void aConflictReadFromTheDeviceIsMendedAndWrittenOnce()
    {
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("output 2 is selected"));
        // PI regulator with batch control: output 3 falls back to "No function".
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x10200000}}));
        op.open();
        op.runTo(7);
        QCOMPARE(op.serve(7), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("002000"));
        QCOMPARE(op.serve(7), QStringLiteral("write %1").arg(0x00200000));
        QCOMPARE(op.serve(7), QStringLiteral("read"));
        QCOMPARE(op.serve(7), QStringLiteral("read"));
    }

    void thePulseOutputShowsItsScaleAndFrequency()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbOut3FuncOut3", 3));
        QCOMPARE(e7Digit(op, 1), QLatin1Char('4'));
        QVERIFY(!op.get("grpOut3ScaleOut3")->isHidden());
        QVERIFY(!op.get("imgOut3PulseImage")->isHidden());
        QVERIFY(op.get("imgOut3CurrentImage")->isHidden());
        QVERIFY(op.get("grpOut3PIGroup")->isHidden());
        QVERIFY(op.get("pnDataOut3OnOff")->isHidden());
        QCOMPARE(op.get("pnDataOut3F")->isHidden(), op.list("cmbOut3DataForOut3")->currentIndex() < 1);
        QVERIFY(op.choose("cmbOut3DataForOut3", 0));
        QVERIFY(op.get("pnDataOut3F")->isHidden());
        QVERIFY(op.get("imgOut3FuncPil")->isHidden());
        QVERIFY(op.choose("cmbOut3DataForOut3", 1));
        QVERIFY(!op.get("pnDataOut3F")->isHidden());
        QVERIFY(!op.get("imgOut3FuncPil")->isHidden());
        QCOMPARE(op.get<QLabel>("laOut3DataForOut")->text(), QStringLiteral("Data for Pulse output 0-1000 Hz:"));
        KR_VERIFY_DIALOGS(answers);
    }

    void theRegulatorFunctionAndDirectionMakeE3Digit5()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x10000000}}));
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbOut3PIRegCalcInp", 1)); // cooling
        QVERIFY(op.choose("cmbOut3PIRegContrDir", 0)); // 4-20 mA
        QCOMPARE(op.edit("edConE3")->text().at(4), QLatin1Char('1'));
        QVERIFY(op.choose("cmbOut3PIRegCalcInp", 0)); // heating
        QVERIFY(op.choose("cmbOut3PIRegContrDir", 1)); // 20-4 mA
        QCOMPARE(op.edit("edConE3")->text().at(4), QLatin1Char('2'));
        QVERIFY(!op.edit("edDataSetP")->isReadOnly());
        QCOMPARE(op.get<QLabel>("laOut3DataForOut")->text(), QStringLiteral("Data for PI-regulator:"));
        KR_VERIFY_DIALOGS(answers);
    }

    void theRegulatorModeReachesE3WhileItsListsShowAnIllegalDigit()
    {
        DialogAnswerer answers;
        // E3 digit 5 = 4: no legal regulator function; output 3 is the regulator.
        OperatorDriver op(OperatorDriver::kr715({{".PiCode", 0x00004000}, {".Code2", 0x10000000}}));
        op.open();
        op.cycle();
        QCOMPARE(op.list("cmbOut3PIRegCalcInp")->currentIndex(), -1);
        auto *mode = op.get<TRadioGroup>("grpOut3PIRegMode");
        op.click(mode->button(1)); // "Manual"
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("000041"));
        QCOMPARE(op.serve(3), QStringLiteral("write %1").arg(0x00004100));
        KR_VERIFY_DIALOGS(answers);
    }

    void thePBandIsTheFullScaleToo()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x10000000}}));
        op.open();
        op.cycle();
        op.typeAndLeave(op.edit("edOut3PiPBand"), QStringLiteral("250"));
        QCOMPARE(op.edit("edConE5")->text(), QStringLiteral("250"));
        QCOMPARE(op.serve(5), QStringLiteral("write 250"));
        QCOMPARE(op.serve(5), QStringLiteral("read"));
        QCOMPARE(op.edit("edOut3ScaleOut3")->text(), op.edit("edConE5")->text());
        KR_VERIFY_DIALOGS(answers);
    }

    // --- units and input -------------------------------------------------------

    void theFirstRealUnitAsksNothing()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        QVERIFY(op.choose("cmbInpUnitChoice", 1));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(op.list("cmbInpFlowUnitConst")->itemText(0), QStringLiteral("liter/minute"));
        QCOMPARE(op.list("cmbInpFlowUnitConst")->itemText(1), QStringLiteral("liter/hour"));
        QCOMPARE(op.get<QLabel>("la715FlowUnit")->text(), QStringLiteral("l/min"));
        QCOMPARE(op.get<QLabel>("laDataVol1Unit")->text(), QStringLiteral("l"));
        QCOMPARE(op.session().previousUnitName, QStringLiteral("liter"));
        // Per hour: the flow captions follow.
        QVERIFY(op.choose("cmbInpFlowUnitConst", 1));
        QCOMPARE(op.get<QLabel>("laDataFlowUnit")->text(), QStringLiteral("l/h"));
    }

    void theMeterSizeIsRecalculatedOnRequest_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("result");
        QTest::newRow("m3 to liter") << 2 << "2" << 1 << "2000";
        QTest::newRow("m3 to Hektoliter") << 2 << "2" << 5 << "20";
        QTest::newRow("Hektoliter to m3") << 5 << "20" << 2 << "2";
    }
    void theMeterSizeIsRecalculatedOnRequest()
    {
        QFETCH(int, from);
        QFETCH(QString, size);
        QFETCH(int, to);
        QFETCH(QString, result);
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Yes, QStringLiteral("recalculate"));
        OperatorDriver op;
        op.open({});
        QVERIFY(op.choose("cmbInpUnitChoice", from)); // from "Unit": no question
        op.typeAndLeave(op.edit("edInpMeterSize"), size);
        QVERIFY(op.choose("cmbInpUnitChoice", to));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts().first(),
                 QStringLiteral("Shall the program recalculate data\nin accordance with the new unit selection"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), result);
    }

    void answeringNoKeepsTheMeterSize()
    {
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::No, QStringLiteral("recalculate"));
        OperatorDriver op;
        op.open({});
        QVERIFY(op.choose("cmbInpUnitChoice", 2));
        op.typeAndLeave(op.edit("edInpMeterSize"), QStringLiteral("2"));
        QVERIFY(op.choose("cmbInpUnitChoice", 1));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2"));
    }

    void theFitToTheMeterType()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        QVERIFY(op.choose("cmbInpUnitChoice", 1));
        op.typeAndLeave(op.edit("edInpMeterSize"), QStringLiteral("4000"));
        QVERIFY(op.choose("cmbInpDevCalc", 1)); // C25: 8000 l
        QCOMPARE(op.edit("edInpDevCalc")->text(), QStringLiteral("50,00%"));
        QVERIFY(op.choose("cmbInpDevCalc", 0)); // no meter: the last result stays
        QCOMPARE(op.edit("edInpDevCalc")->text(), QStringLiteral("50,00%"));
        op.typeAndLeave(op.edit("edInpMeterSize"), QStringLiteral("abc"));
        QCOMPARE(op.edit("edInpDevCalc")->text(), QStringLiteral("50,00%"));
        KR_VERIFY_DIALOGS(answers);
        QLocale::setDefault(before);
    }

    void testModeMakesTheFlowWritableAndRed()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.edit("edDataFlow")->isReadOnly());
        QVERIFY(op.choose("cmbInpMode", 1));
        for (const char *name : {"edDataFlow", "ed715Flow"}) {
            QVERIFY2(!op.edit(QLatin1String(name))->isReadOnly(), name);
            QVERIFY2(op.edit(QLatin1String(name))->KRSimMode(), name);
        }
        for (const char *name : {"edDataVol1", "edDataVol2", "ed715Vol1", "ed715Vol2"})
            QVERIFY2(op.edit(QLatin1String(name))->KRSimMode(), name);
        QCOMPARE(e7Digit(op, 5), QLatin1Char('8'));
        // Counting instant flow: the volumes do not follow the written flow.
        QVERIFY(op.choose("cmbOut2DataForVolCount", 3));
        QVERIFY(op.choose("cmbInpMode", 0));
        QVERIFY(op.choose("cmbInpMode", 1));
        QVERIFY(!op.edit("edDataVol1")->KRSimMode());
        QVERIFY(op.edit("edDataFlow")->KRSimMode());
        QVERIFY(op.choose("cmbInpMode", 0));
        QVERIFY(op.edit("edDataFlow")->isReadOnly());
        QVERIFY(!op.edit("edDataFlow")->KRSimMode());
        KR_VERIFY_DIALOGS(answers);
    }

    void fahrenheitNamesTheTemperatureUnit()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbInpTempUnit", 1));
        QCOMPARE(op.get<QLabel>("laDataTempUnit")->text(), QStringLiteral("°F"));
        QCOMPARE(op.edit("edConE8")->text().at(2), QLatin1Char('3'));
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(SettingTabsTest)
#include "tst_settingtabs.moc"
