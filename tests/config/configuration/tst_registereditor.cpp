// The configuration registers as the operator meets them in the main window: registers
// read from a KR 715 and spread over the setting lists and fields, settings and hand-typed
// registers going back to the device, the checks on typed digits and which register each
// field and list holds while the operator works on it.
#include "OperatorDriver.h"
#include "NumberFormat.h"

#include "DialogAnswerer.h"
#include "RegisterEditorU.h"

#include <QLocale>

namespace {

const QString IllegalChoice = QStringLiteral("Illegal Choice");
const QString MissingDigit = QStringLiteral("Missing digit in register");

QString digitMessage(int k)
{
    return QStringLiteral("Digit %1 illegal entry, digit is automatically set to old value").arg(k);
}

// Sets the default locale for the life of a test.
struct LocaleGuard {
    explicit LocaleGuard(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

bool isIllegal(TKRComboBox *list)
{
    return list->currentIndex() == -1 && list->isEditable() && list->currentText() == IllegalChoice;
}

QString describe(TKRComboBox *list)
{
    return QStringLiteral("%1: index %2, text \"%3\"%4")
        .arg(list->objectName())
        .arg(list->currentIndex())
        .arg(list->currentText(), list->isEditable() ? QStringLiteral(", editable") : QString());
}

#define KR_VERIFY_ILLEGAL(list) QVERIFY2(isIllegal(list), qPrintable(describe(list)))
#define KR_VERIFY_INDEX(list, i) QVERIFY2((list)->currentIndex() == (i) && !(list)->isEditable(), qPrintable(describe(list)))

} // namespace

class RegisterEditorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // --- registers read from the device ---------------------------------------

    void plainReadsShowTheRegistersAndWriteNothingBack()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        TfrmKR715Config &w = op.open();
        op.cycle();
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("1.000000"));
        QCOMPARE(op.edit("edConE2")->text(), QStringLiteral("10.00000"));
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("000000"));
        QCOMPARE(op.edit("edConE4")->text(), QStringLiteral("785640"));
        QCOMPARE(op.edit("edConE5")->text(), QStringLiteral("100.0000"));
        QCOMPARE(op.edit("edConE6")->text(), QStringLiteral("002000"));
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("000100"));
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("202210"));
        // The fields that show the registers.
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("1.000000"));
        QCOMPARE(op.edit("edOut3PiTi")->text(), QStringLiteral("10.00000"));
        QCOMPARE(op.edit("edOut3ScaleOut3")->text(), QStringLiteral("100.0000"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("100.0000"));
        QCOMPARE(op.get<QLineEdit>("edGenNAddr")->text(), QStringLiteral("785640"));
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("16"));
        KR_VERIFY_INDEX(op.list("cmbOut2Vol1Res"), 2);
        KR_VERIFY_INDEX(op.list("cmbOut2DataForVolCount"), 1);
        KR_VERIFY_INDEX(op.list("cmbInpTimeConst"), 1);

        // Reads that decode to the text they show are never written back.
        op.clearTrace();
        op.cycle(3);
        QCOMPARE(op.registerWrites(), QStringList());
        for (int reg = 1; reg <= 8; ++reg)
            QCOMPARE(op.serve(reg), QStringLiteral("read"));
        QCOMPARE(w.registerEditor->registerText(8), QStringLiteral("202210"));
        KR_VERIFY_DIALOGS(answers);
    }

    void readE7WithAnIllegalDigitShowsIllegalChoiceUntilAnEntryIsPicked()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x12100A00}}));
        op.open();
        op.cycle();
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("12100A"));
        TKRComboBox *batchData = op.list("cmbOut2DataForBatchLimit");
        KR_VERIFY_ILLEGAL(batchData);
        QVERIFY(!batchData->HasValueCode());
        KR_VERIFY_INDEX(op.list("cmbOut3FuncOut3"), 1);        // PI-regulator
        KR_VERIFY_INDEX(op.list("cmbOut3DataForOut3"), 2);     // temperature compensated flow
        KR_VERIFY_INDEX(op.list("cmbOut2FuncOut"), 1);         // pulse output
        KR_VERIFY_INDEX(op.list("cmbOut2DataForVolCount"), 0); // no counting
        KR_VERIFY_INDEX(op.list("cmbInpMode"), 0);             // normal
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentText(), QStringLiteral("PI-regulator"));

        // The illegal digit stays as the device holds it: nothing is written, and the
        // next reads keep the look.
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        KR_VERIFY_ILLEGAL(batchData);

        // Picking an entry ends the look and puts its code into digit 6.
        QVERIFY(op.choose(batchData, 6)); // Volume2
        KR_VERIFY_INDEX(batchData, 6);
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("121006"));
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("write 303040000")); // 0x12100600
        QCOMPARE(op.deviceCode(".Code2"), qint32(0x12100600));
        op.leave();
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("read"));
        KR_VERIFY_INDEX(batchData, 6);
        KR_VERIFY_DIALOGS(answers);
    }

    // E8 digit 2 holds the flow direction (4) and the suppression (2): every legal value
    // reads into both lists and encodes back to itself, so no read is written back.
    void readE8SetsTheInputListsAndTheNodeNumber_data()
    {
        QTest::addColumn<qint32>("code3");
        QTest::addColumn<QString>("registerText");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("directionText");
        QTest::addColumn<int>("suppression");
        QTest::addColumn<QString>("suppressionText");
        const QString uni = QStringLiteral("Unidirectional flow");
        const QString bi = QStringLiteral("Bidirectional flow");
        const QString cut = QStringLiteral("Flow<0.2% -> 0");
        const QString non = QStringLiteral("Non");
        QTest::newRow("digit 2 = 0: unidirectional, cut-off") << qint32(0x30241500) << "302415" << 0 << uni << 0 << cut;
        QTest::newRow("digit 2 = 2: unidirectional, Non") << qint32(0x32241500) << "322415" << 0 << uni << 1 << non;
        QTest::newRow("digit 2 = 4: bidirectional, cut-off") << qint32(0x34241500) << "342415" << 1 << bi << 0 << cut;
        QTest::newRow("digit 2 = 6: bidirectional, Non") << qint32(0x36241500) << "362415" << 1 << bi << 1 << non;
    }

    void readE8SetsTheInputListsAndTheNodeNumber()
    {
        QFETCH(qint32, code3);
        QFETCH(QString, registerText);
        QFETCH(int, direction);
        QFETCH(QString, directionText);
        QFETCH(int, suppression);
        QFETCH(QString, suppressionText);
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code3", code3}}));
        op.open();
        op.cycle();
        QCOMPARE(op.edit("edConE8")->text(), registerText);
        KR_VERIFY_INDEX(op.list("cmbInpFlowUnitConst"), 1); // units per hour
        KR_VERIFY_INDEX(op.list("cmbInpTimeConst"), 1);
        KR_VERIFY_INDEX(op.list("cmbInpFlowDirection"), direction);
        QCOMPARE(op.list("cmbInpFlowDirection")->currentText(), directionText);
        KR_VERIFY_INDEX(op.list("cmbInpFlowCalc"), suppression);
        QCOMPARE(op.list("cmbInpFlowCalc")->currentText(), suppressionText);
        QCOMPARE(op.list("cmbInpTempUnit")->currentText(), QStringLiteral("°C"));
        QCOMPARE(op.list("cmbInpFunc")->ValueCode(), QStringLiteral("4"));
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("21"));
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.edit("edConE8")->text(), registerText);
        QCOMPARE(op.deviceCode(".Code3"), code3);
        KR_VERIFY_DIALOGS(answers);
    }

    // E8 digit 2 = 5 reads as unidirectional without suppression; the lists encode that
    // as 2, so this read changes the register text: it is written back once, and the
    // read after that settles.
    void aReadThatDecodingChangesIsWrittenBackOnce()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Code3", 0x25221000}}));
        op.open();
        op.cycle();
        KR_VERIFY_INDEX(op.list("cmbInpFlowDirection"), 0);
        KR_VERIFY_INDEX(op.list("cmbInpFlowCalc"), 1);
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("222210"));
        op.clearTrace();
        op.cycle(3);
        QCOMPARE(op.registerWrites(), QStringList{"FT1.Code3 572657664"}); // 0x22221000
        QCOMPARE(op.deviceCode(".Code3"), qint32(0x22221000));
        QCOMPARE(op.serve(SlotCode3), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }

    void illegalRegulatorAndResolutionDigits()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".PiCode", 0x00004300}, {".Code1", 0x00700000}}));
        op.open();
        op.cycle();
        KR_VERIFY_ILLEGAL(op.list("cmbOut3PIRegCalcInp"));
        KR_VERIFY_ILLEGAL(op.list("cmbOut3PIRegContrDir"));
        QCOMPARE(op.get<TRadioGroup>("grpOut3PIRegMode")->ItemIndex(), -1);
        KR_VERIFY_ILLEGAL(op.list("cmbOut2Vol1Res"));
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());

        // A resolution picked by the operator replaces digit 3 of E6.
        QVERIFY(op.choose("cmbOut2Vol1Res", 2));
        QCOMPARE(op.edit("edConE6")->text(), QStringLiteral("002000"));
        QCOMPARE(op.serve(SlotCode1), QStringLiteral("write 2097152"));
        QCOMPARE(op.deviceCode(".Code1"), qint32(0x00200000));

        // A legal E3 from the device makes the regulator lists pick lists again.
        op.setDevice(".PiCode", kelopro::SimValue::fromInt(0x00002200));
        QCOMPARE(op.serve(SlotPiCode), QStringLiteral("read"));
        KR_VERIFY_INDEX(op.list("cmbOut3PIRegCalcInp"), 0);
        KR_VERIFY_INDEX(op.list("cmbOut3PIRegContrDir"), 1);
        QCOMPARE(op.get<TRadioGroup>("grpOut3PIRegMode")->ItemIndex(), 2);
        KR_VERIFY_DIALOGS(answers);
    }

    // --- settings written back --------------------------------------------------

    void regulatorSettingsEncodeE3()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbOut3PIRegCalcInp", 1)); // Cooling
        QVERIFY(op.choose("cmbOut3PIRegContrDir", 1)); // 20-4 mA
        op.click(op.get<TRadioGroup>("grpOut3PIRegMode")->button(1)); // Manual
        QCOMPARE(op.get<TRadioGroup>("grpOut3PIRegMode")->ItemIndex(), 1);
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("000031"));
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList{"FT1.PiCode 12544"}); // 0x00003100
        QCOMPARE(op.deviceCode(".PiCode"), qint32(0x00003100));
        KR_VERIFY_DIALOGS(answers);
    }

    // Every setting list writes its entry into its own digits and leaves the others alone.
    void everyListEncodesItsDigits_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("reg");
        QTest::addColumn<QString>("text");
        // The device starts with E6 002000, E7 000100, E8 202210.
        QTest::newRow("output 3 pulse") << "cmbOut3FuncOut3" << 3 << 7 << "400100";
        QTest::newRow("output 3 data instant flow") << "cmbOut3DataForOut3" << 5 << 7 << "080100";
        QTest::newRow("output 2 error code") << "cmbOut2FuncOut" << 4 << 7 << "006100";
        QTest::newRow("volume counting instant flow") << "cmbOut2DataForVolCount" << 3 << 7 << "000800";
        QTest::newRow("test mode") << "cmbInpMode" << 1 << 7 << "000180";
        QTest::newRow("batch data instant flow") << "cmbOut2DataForBatchLimit" << 7 << 7 << "000108";
        QTest::newRow("resolution 5 decimals") << "cmbOut2Vol1Res" << 5 << 6 << "005000";
        QTest::newRow("time constant 10 s") << "cmbInpTimeConst" << 3 << 8 << "602210";
        QTest::newRow("bidirectional") << "cmbInpFlowDirection" << 1 << 8 << "242210";
        QTest::newRow("no suppression") << "cmbInpFlowCalc" << 1 << 8 << "222210";
        QTest::newRow("°F") << "cmbInpTempUnit" << 1 << 8 << "203210";
        QTest::newRow("clear volume, start batch") << "cmbInpFunc" << 2 << 8 << "202410";
    }
    void everyListEncodesItsDigits()
    {
        QFETCH(QString, list);
        QFETCH(int, index);
        QFETCH(int, reg);
        QFETCH(QString, text);
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose(list, index));
        QCOMPARE(op.edit(QStringLiteral("edConE%1").arg(reg))->text(), text);
        const qint32 value = static_cast<qint32>(text.toUInt(nullptr, 16) << 8);
        QCOMPARE(op.serve(reg), QStringLiteral("write %1").arg(value));
        QCOMPARE(op.deviceCode(OperatorDriver::RegisterVariables.at(reg - 1)), value);
        op.leave();
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.list(list)->currentIndex(), index);
        KR_VERIFY_DIALOGS(answers);
    }

    void aChoiceStaysPendingWhenTheListIsLeft()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.choose("cmbInpTempUnit", 1)); // °F
        op.leave();
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("203210"));
        QCOMPARE(op.serve(SlotCode3), QStringLiteral("write 540151808")); // 0x20321000
        QCOMPARE(op.serve(SlotCode3), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }

    void handTypedCodeRegistersAreWrittenAsTheTextFollowedBy00()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        op.typeAndEnter(op.edit("edConE3"), QStringLiteral("001230"));
        QCOMPARE(op.serve(SlotPiCode), QStringLiteral("write 1191936"));
        QCOMPARE(op.deviceCode(".PiCode"), qint32(0x00123000));
        QCOMPARE(op.serve(SlotPiCode), QStringLiteral("read"));
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("001230"));

        // Lower-case digits become the upper-case text form.
        op.typeAndLeave(op.edit("edConE3"), QStringLiteral("0ab011"));
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("0AB011"));
        QCOMPARE(op.serve(SlotPiCode), QStringLiteral("write 179310848")); // 0x0AB01100
        QCOMPARE(op.deviceCode(".PiCode"), qint32(0x0AB01100));

        // A register edit takes six characters at most.
        op.type(op.edit("edConE6"), QStringLiteral("00300012"));
        QCOMPARE(op.edit("edConE6")->text(), QStringLiteral("003000"));
        QTest::keyClick(op.edit("edConE6"), Qt::Key_Return);
        QCOMPARE(op.serve(SlotCode1), QStringLiteral("write 3145728")); // 0x00300000
        KR_VERIFY_DIALOGS(answers);
    }

    void illegalTypedDigitsAreRestoredFromTheTextAtEnter()
    {
        OperatorDriver op(OperatorDriver::kr715({{".Code2", 0x21210600}}));
        op.open();
        op.cycle();
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, digitMessage(2))
            .answerMessageBox(QMessageBox::Ok, digitMessage(4))
            .answerMessageBox(QMessageBox::Ok, digitMessage(6));
        op.typeAndEnter(op.edit("edConE7"), QStringLiteral("4a1k8f"));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts(), (QStringList{digitMessage(2), digitMessage(4), digitMessage(6)}));
        op.activate();
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("411186"));
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("write 1091667456")); // 0x41118600
        QCOMPARE(op.deviceCode(".Code2"), qint32(0x41118600));
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("read"));
        KR_VERIFY_INDEX(op.list("cmbOut3FuncOut3"), 3);          // pulse output
        KR_VERIFY_INDEX(op.list("cmbInpMode"), 1);               // test
        KR_VERIFY_INDEX(op.list("cmbOut2DataForBatchLimit"), 6); // Volume2
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), QStringList());
    }

    // Typed in lower case, a register is shown and written in upper case, also when
    // the digit check puts an old digit back into it.
    void aRestoredDigitKeepsTheRegisterUpperCase_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("illegalDigit");
        QTest::addColumn<QString>("shown");
        // E3 digits 1 to 4 take any digit; digit 5 is 0 to 3 (the device holds 0).
        QTest::newRow("E3, digit 5 restored") << "edConE3" << int(SlotPiCode) << "0ab0f1" << 5 << "0AB001";
        QTest::newRow("E3, digit 6 restored") << "edConE3" << int(SlotPiCode) << "cafe1e" << 6 << "CAFE10";
        // E8 digits 5 and 6 (the node) take any digit; digit 1 is 0 to 7 (the device holds 2).
        QTest::newRow("E8, digit 1 restored") << "edConE8" << int(SlotCode3) << "e0221a" << 1 << "20221A";
    }

    void aRestoredDigitKeepsTheRegisterUpperCase()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, typed);
        QFETCH(int, illegalDigit);
        QFETCH(QString, shown);
        OperatorDriver op;
        op.open();
        op.cycle();
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, digitMessage(illegalDigit));
        op.typeAndEnter(op.edit(field), typed);
        KR_VERIFY_DIALOGS(answers);
        op.activate();
        QCOMPARE(op.edit(field)->text(), shown);
        // Written as typed, with the old digit back in its place.
        const qint32 code = qint32(shown.toUInt(nullptr, 16) << 8);
        QCOMPARE(op.serve(slot), QStringLiteral("write %1").arg(code));
        QCOMPARE(op.deviceCode(OperatorDriver::RegisterVariables.at(field.right(1).toInt() - 1)), code);
        QCOMPARE(op.serve(slot), QStringLiteral("read"));
        QCOMPARE(op.edit(field)->text(), shown);
    }

    void everyCheckedDigitOfE8()
    {
        OperatorDriver op;
        op.open();
        op.cycle();
        DialogAnswerer answers;
        for (int k = 1; k <= 4; ++k)
            answers.answerMessageBox(QMessageBox::Ok, digitMessage(k));
        // 8: no time constant, 3: no direction code, 4: no temperature unit, 5: no input function.
        op.typeAndLeave(op.edit("edConE8"), QStringLiteral("834510"));
        KR_VERIFY_DIALOGS(answers);
        op.activate();
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("202210"));
        QCOMPARE(op.serve(SlotCode3), QStringLiteral("write 539103232")); // 0x20221000
    }

    void aShortCodeRegisterWarnsAndKeepsTheFocus()
    {
        OperatorDriver op;
        op.open();
        op.cycle();
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, MissingDigit);
        TKREdit *e7 = op.edit("edConE7");
        op.typeAndLeave(e7, QStringLiteral("0100"));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts(), QStringList{MissingDigit});
        op.activate();
        QCOMPARE(QApplication::focusWidget(), e7);
        // Not written, not read: the register stays with the operator.
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("skip"));
        QCOMPARE(e7->text(), QStringLiteral("0100"));

        QTest::keyClick(e7, Qt::Key_End);
        QTest::keyClicks(e7, QStringLiteral("08"));
        QTest::keyClick(e7, Qt::Key_Return);
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("write 16779264")); // 0x01000800
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("read"));
        KR_VERIFY_INDEX(op.list("cmbOut2DataForBatchLimit"), 7); // Instant flow, after the read
        answers.reset();
        op.leave();
        KR_VERIFY_DIALOGS(answers);
    }

    void aShortCodeRegisterDecodesNothingOffline()
    {
        OperatorDriver op;
        op.open({});
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, MissingDigit);
        op.type(op.edit("edConE7"), QStringLiteral("4010"));
        KR_VERIFY_INDEX(op.list("cmbOut3FuncOut3"), 0);
        KR_VERIFY_INDEX(op.list("cmbOut2FuncOut"), 0);
        op.leave();
        KR_VERIFY_DIALOGS(answers);
        op.activate();
        QCOMPARE(QApplication::focusWidget(), op.edit("edConE7"));
        KR_VERIFY_INDEX(op.list("cmbOut3FuncOut3"), 0);
    }

    // Digits that no setting uses are not checked; a text that is then no hexadecimal
    // number can never be written: it stays pending, without a message, and is not
    // replaced by what the device holds.
    void aCodeRegisterThatCannotBeWrittenStaysPending()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        op.typeAndEnter(op.edit("edConE3"), QStringLiteral("0G0000"));
        op.typeAndEnter(op.edit("edConE8"), QStringLiteral("2022ZZ"));
        for (int turn = 0; turn < 3; ++turn) {
            QCOMPARE(op.serve(SlotPiCode), QStringLiteral("skip"));
            QCOMPARE(op.serve(SlotCode3), QStringLiteral("skip"));
        }
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("0G0000"));
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("2022ZZ"));
        QCOMPARE(op.deviceCode(".PiCode"), qint32(0));
        QCOMPARE(op.deviceCode(".Code3"), qint32(0x20221000));
        KR_VERIFY_DIALOGS(answers);

        // Corrected, it goes out at the next turn.
        op.typeAndEnter(op.edit("edConE3"), QStringLiteral("000010"));
        QCOMPARE(op.serve(SlotPiCode), QStringLiteral("write 4096"));
        KR_VERIFY_DIALOGS(answers);
    }

    // --- real registers typed by hand --------------------------------------------

    void realRegisterTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // empty: never written
        QTest::newRow("E1 decimal") << "edConE1" << int(SlotMeterSize) << "2.5" << "2.5";
        QTest::newRow("E1 blanks around") << "edConE1" << int(SlotMeterSize) << " 7 " << "7";
        QTest::newRow("E1 negative") << "edConE1" << int(SlotMeterSize) << "-0.001" << "-0.001";
        QTest::newRow("E1 exponent") << "edConE1" << int(SlotMeterSize) << "1.5E3" << "1500";
        QTest::newRow("E2 many digits") << "edConE2" << int(SlotTi) << "12345678901234567890"
                                        << "1.2345678901234567e+19";
        QTest::newRow("E1 empty") << "edConE1" << int(SlotMeterSize) << "" << "";
        QTest::newRow("E2 letters") << "edConE2" << int(SlotTi) << "abc" << "";
        QTest::newRow("E5 huge exponent") << "edConE5" << int(SlotScale) << "1E400" << "";
        QTest::newRow("E5 beyond single precision") << "edConE5" << int(SlotScale) << "1E39" << "";
        QTest::newRow("E1 thousands point in a point locale") << "edConE1" << int(SlotMeterSize) << "1,250" << "";
        QTest::newRow("E5 two points") << "edConE5" << int(SlotScale) << "1.2.3" << "";
        QTest::newRow("E5 comma") << "edConE5" << int(SlotScale) << "2,5" << "";
    }
    void realRegisterTexts()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        const double before = op.deviceReal(OperatorDriver::RegisterVariables.at(slot - 1));
        if (written.isEmpty()) {
            const QString caption = field == QLatin1String("edConE1")   ? QStringLiteral("\"MeterSize (E1)\"")
                                    : field == QLatin1String("edConE2") ? QStringLiteral("\"Ti (E2)\"")
                                                                        : QStringLiteral("\"Scale (E5)\"");
            answers.answerMessageBox(QMessageBox::Ok, caption);
        }
        op.typeAndEnter(op.edit(field), typed);
        op.activate();
        if (!written.isEmpty()) {
            QCOMPARE(op.serve(slot), QStringLiteral("write ") + written);
            QCOMPARE(op.serve(slot), QStringLiteral("read"));
            QCOMPARE(op.deviceReal(OperatorDriver::RegisterVariables.at(slot - 1)), written.toDouble());
        } else {
            // Refused at once with the field's caption, never sent: the register is read
            // again and shows the device's value.
            for (int turn = 0; turn < 3; ++turn)
                QCOMPARE(op.serve(slot), QStringLiteral("read"));
            QCOMPARE(op.deviceReal(OperatorDriver::RegisterVariables.at(slot - 1)), before);
            QCOMPARE(op.edit(field)->text(), numfmt::FormatSevenDigits(before));
        }
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().size(), written.isEmpty() ? 1 : 0);
    }

    void realsAreReadAndWrittenInTheUsersLocale()
    {
        const LocaleGuard danish(QLocale(QLocale::Danish, QLocale::Denmark));
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("1,000000"));
        // A decimal point is no decimal separator here: refused, never sent.
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("\"MeterSize (E1)\""));
        op.typeAndEnter(op.edit("edConE1"), QStringLiteral("2.5"));
        op.activate();
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("read"));
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("1,000000"));
        QCOMPARE(op.deviceReal(".MeterSize"), 1.0);
        op.typeAndEnter(op.edit("edConE1"), QStringLiteral("2,5"));
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("write 2.5"));
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("read"));
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("2,500000"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2,500000"));
        KR_VERIFY_DIALOGS(answers);
    }

    // --- the field editors and lists of the setting tabs ---------------------------

    // Entering a field or register edit hands its register to the operator (the poll
    // neither reads nor writes it); leaving it, even unchanged, sends the shown value of
    // a register. The manual value of output 3 is a live value: left unchanged, it is
    // read again and nothing is sent (written is empty).
    void fieldsHoldTheirRegisterWhileEntered_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("written");
        QTest::addColumn<double>("code2"); // output functions that show the field; 0: as the device has them
        QTest::newRow("edConE1") << "edConE1" << int(SlotMeterSize) << "1" << double(0);
        QTest::newRow("edInpMeterSize") << "edInpMeterSize" << int(SlotMeterSize) << "1" << double(0);
        QTest::newRow("edConE2") << "edConE2" << int(SlotTi) << "10" << double(0);
        QTest::newRow("edOut3PiTi") << "edOut3PiTi" << int(SlotTi) << "10" << double(0x10000000);
        QTest::newRow("edConE3") << "edConE3" << int(SlotPiCode) << "0" << double(0);
        QTest::newRow("edConE5") << "edConE5" << int(SlotScale) << "100" << double(0);
        QTest::newRow("edOut3PiPBand") << "edOut3PiPBand" << int(SlotScale) << "100" << double(0x10000000);
        QTest::newRow("edOut3ScaleOut3") << "edOut3ScaleOut3" << int(SlotScale) << "100" << double(0x20000000);
        QTest::newRow("edConE6") << "edConE6" << int(SlotCode1) << "2097152" << double(0);
        QTest::newRow("edConE7") << "edConE7" << int(SlotCode2) << "65536" << double(0);
        QTest::newRow("edConE8") << "edConE8" << int(SlotCode3) << "539103232" << double(0);
        QTest::newRow("edDataManSetOut3") << "edDataManSetOut3" << int(SlotAvailable) << "" << double(0x24000000);
    }
    void fieldsHoldTheirRegisterWhileEntered()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, written);
        QFETCH(double, code2);
        DialogAnswerer answers;
        OperatorDriver op(code2 != 0 ? OperatorDriver::kr715({{".Code2", code2}}) : OperatorDriver::kr715());
        op.open();
        op.cycle(2); // the first reads of the data values are written back once
        op.focus(op.edit(field));
        QCOMPARE(op.serve(slot), QStringLiteral("skip"));
        QCOMPARE(op.serve(slot), QStringLiteral("skip"));
        op.leave();
        if (!written.isEmpty())
            QCOMPARE(op.serve(slot), QStringLiteral("write ") + written);
        QCOMPARE(op.serve(slot), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }

    void fieldEditorsWriteTheirRegisterOnline()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        op.typeAndEnter(op.edit("edOut3PiPBand"), QStringLiteral("55"));
        QCOMPARE(op.edit("edConE5")->text(), QStringLiteral("55"));
        op.typeAndLeave(op.edit("edInpMeterSize"), QStringLiteral("2.5"));
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("2.5"));
        op.typeAndEnter(op.edit("edOut3PiTi"), QStringLiteral("7"));
        QCOMPARE(op.edit("edConE2")->text(), QStringLiteral("7"));
        op.leave();
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), (QStringList{"FT1.MeterSize 2.5", "FT1.Ti 7", "FT1.Scale 55"}));
        QCOMPARE(op.deviceReal(".Scale"), 55.0);
        // The next reads show the device values everywhere, and settle.
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.edit("edOut3ScaleOut3")->text(), QStringLiteral("55.00000"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("55.00000"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2.500000"));
        QCOMPARE(op.edit("edOut3PiTi")->text(), QStringLiteral("7.000000"));
        KR_VERIFY_DIALOGS(answers);
    }

    // The meter size and P-band fields take 7 and 6 typed characters, yet show a longer
    // register text whole: leaving them unchanged writes the value the device holds.
    void fieldsShowTheWholeRegisterAndLimitOnlyTyping()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".MeterSize", 1234.567}, {".Scale", 1234567}}));
        op.open();
        op.cycle(2);
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("1234.567"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("1234567"));
        op.focus(op.edit("edInpMeterSize"));
        op.focus(op.edit("edOut3PiPBand"));
        op.leave();
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("write 1234.567"));
        QCOMPARE(op.serve(SlotScale), QStringLiteral("write 1234567"));
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("1234.567"));

        op.type(op.edit("edInpMeterSize"), QStringLiteral("123456789"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("1234567"));
        op.type(op.edit("edOut3PiPBand"), QStringLiteral("98765432"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("987654"));
        op.leave();
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("write 1234567"));
        QCOMPARE(op.serve(SlotScale), QStringLiteral("write 987654"));
        KR_VERIFY_DIALOGS(answers);
    }

    void offlineFieldEditorsLeaveTheRegistersAlone()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        op.typeAndEnter(op.edit("edInpMeterSize"), QStringLiteral("2.5"));
        op.typeAndLeave(op.edit("edOut3PiPBand"), QStringLiteral("5"));
        op.typeAndLeave(op.edit("edOut3PiTi"), QStringLiteral("3"));
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("00000000"));
        QCOMPARE(op.edit("edConE2")->text(), QStringLiteral("00000000"));
        QCOMPARE(op.edit("edConE5")->text(), QStringLiteral("00000000"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2.5"));
        KR_VERIFY_DIALOGS(answers);
    }

    // While the device does not answer, entries change the register texts but mark
    // nothing: when it answers again, the poll reads and shows what the device holds.
    void entriesWithoutContactAreNotSent()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        op.setAnswering(false);
        op.tick();
        QVERIFY(!op.session().device.contact);
        QVERIFY(op.choose("cmbInpTempUnit", 1)); // °F
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("203210"));
        op.typeAndEnter(op.edit("edConE1"), QStringLiteral("4"));
        op.typeAndLeave(op.edit("edOut3PiPBand"), QStringLiteral("9"));
        op.setAnswering(true);
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.edit("edConE1")->text(), QStringLiteral("1.000000"));
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("202210"));
        QCOMPARE(op.list("cmbInpTempUnit")->currentIndex(), 0);
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("100.0000"));
        KR_VERIFY_DIALOGS(answers);
    }

    // Opening a list hands its register to the operator; closing it without a choice
    // and leaving gives it back to the poll.
    void listsBelongToTheirRegister_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("reg");
        const std::pair<const char *, int> lists[] = {
            {"cmbOut3PIRegCalcInp", 3},      {"cmbOut3PIRegContrDir", 3},   {"cmbOut2Vol1Res", 6},
            {"cmbOut3FuncOut3", 7},          {"cmbOut3DataForOut3", 7},     {"cmbOut2FuncOut", 7},
            {"cmbOut2DataForBatchLimit", 7}, {"cmbOut2DataForVolCount", 7}, {"cmbInpMode", 7},
            {"cmbInpTempUnit", 8},           {"cmbInpFunc", 8},             {"cmbInpFlowUnitConst", 8},
            {"cmbInpTimeConst", 8},          {"cmbInpFlowDirection", 8},    {"cmbInpFlowCalc", 8},
            {"cmbInpUnitChoice", 0},
        };
        for (const auto &[name, reg] : lists)
            QTest::newRow(name) << QString::fromLatin1(name) << reg;
    }
    void listsBelongToTheirRegister()
    {
        QFETCH(QString, list);
        QFETCH(int, reg);
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        QVERIFY(op.openAndClose(op.list(list)));
        for (int r = 1; r <= 8; ++r)
            QCOMPARE(op.serve(r), r == reg ? QStringLiteral("skip") : QStringLiteral("read"));
        op.leave();
        for (int r = 1; r <= 8; ++r)
            QCOMPARE(op.serve(r), QStringLiteral("read"));
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(RegisterEditorTest)
#include "tst_registereditor.moc"
