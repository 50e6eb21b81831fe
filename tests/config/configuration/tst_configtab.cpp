// The Config tab of the main window: the register edits and what follows them, the
// history of register sets stepped through with "Redo" (older) and "Undo" (newer), and
// the reset of the device.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"

#include <QLocale>

namespace {

// The register E1 as the edit shows it.
QString e1(OperatorDriver &op) { return op.edit("edConE1")->text(); }

// A completed edit of E1: a new register set.
void enterE1(OperatorDriver &op, const QString &text) { op.typeAndEnter(op.edit("edConE1"), text); }

void redo(OperatorDriver &op) { op.click("bbConRedo"); }
void undo(OperatorDriver &op) { op.click("bbConUndo"); }

} // namespace

class ConfigTabTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // --- register edits ------------------------------------------------------

    void offlineTheSettingsFollowTheRegisterEdits()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        TKREdit *e7 = op.edit("edConE7");
        op.type(e7, QStringLiteral("40100"));
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentIndex(), 0);
        QCOMPARE(op.list("cmbOut2FuncOut")->currentIndex(), 0);
        QCOMPARE(op.list("cmbOut2DataForVolCount")->currentIndex(), 0);
        QTest::keyClick(e7, Qt::Key_0); // the sixth character
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentText(), QStringLiteral("Pulse output 0-1000 Hz"));
        QCOMPARE(op.list("cmbOut2FuncOut")->currentText(), QStringLiteral("Pulse output 0-10 Hz"));
        QCOMPARE(op.list("cmbOut2DataForVolCount")->currentIndex(), 0);
        QTest::keyClick(e7, Qt::Key_Return);
        QCOMPARE(e7->text(), QStringLiteral("401000"));

        // The real registers follow at every change.
        op.type(op.edit("edConE1"), QStringLiteral("2.2"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("2.2"));
        op.type(op.edit("edConE2"), QStringLiteral("33"));
        QCOMPARE(op.edit("edOut3PiTi")->text(), QStringLiteral("33"));
        op.type(op.edit("edConE5"), QStringLiteral("44"));
        QCOMPARE(op.edit("edOut3ScaleOut3")->text(), QStringLiteral("44"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("44"));

        // A character that is no hexadecimal digit ends the decoding there; the digit
        // check then puts the old digit back, and the whole register is decoded.
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Digit 2 illegal entry"));
        op.type(op.edit("edConE8"), QStringLiteral("3G2415"));
        QCOMPARE(op.list("cmbInpFlowUnitConst")->currentIndex(), 1);
        QCOMPARE(op.list("cmbInpTimeConst")->currentIndex(), 1);
        QCOMPARE(op.list("cmbInpFunc")->currentIndex(), 0);
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QString());
        op.leave();
        KR_VERIFY_DIALOGS(answers);
        op.activate();
        QCOMPARE(op.edit("edConE8")->text(), QStringLiteral("302415"));
        QCOMPARE(op.list("cmbInpFunc")->currentIndex(), 2);
        QCOMPARE(op.list("cmbInpFlowCalc")->currentIndex(), 0);
        QCOMPARE(op.get<QLineEdit>("edGenNodeNo")->text(), QStringLiteral("21"));
    }

    void onlineTheRegisterEditsWaitForTheDevice()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        op.typeAndEnter(op.edit("edConE7"), QStringLiteral("401000"));
        op.typeAndEnter(op.edit("edConE1"), QStringLiteral("3"));
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentIndex(), 0);
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("1.000000"));
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("write 3"));
        QCOMPARE(op.serve(SlotCode2), QStringLiteral("write 1074790400")); // 0x40100000
        op.cycle();
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentText(), QStringLiteral("Pulse output 0-1000 Hz"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("3.000000"));
        KR_VERIFY_DIALOGS(answers);
    }

    // --- the history ---------------------------------------------------------------

    void redoStepsToOlderAndUndoToNewerSets()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        enterE1(op, QStringLiteral("5")); // A
        enterE1(op, QStringLiteral("6")); // B
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("5"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("5")); // the settings follow offline
        redo(op); // nothing older
        QCOMPARE(e1(op), QStringLiteral("5"));
        undo(op);
        QCOMPARE(e1(op), QStringLiteral("6"));
        QCOMPARE(op.edit("edInpMeterSize")->text(), QStringLiteral("6"));
        undo(op); // nothing newer
        QCOMPARE(e1(op), QStringLiteral("6"));
        KR_VERIFY_DIALOGS(answers);
    }

    void anEditAfterRedoDropsTheNewerSets()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        enterE1(op, QStringLiteral("4")); // Z
        enterE1(op, QStringLiteral("5")); // A
        enterE1(op, QStringLiteral("6")); // B
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("5"));
        enterE1(op, QStringLiteral("7")); // C: the first edit after a step records nothing
        enterE1(op, QStringLiteral("8")); // D: recorded in front of A; B is gone
        QStringList seen;
        for (int i = 0; i < 3; ++i) {
            redo(op);
            seen << e1(op);
        }
        for (int i = 0; i < 3; ++i) {
            undo(op);
            seen << e1(op);
        }
        QCOMPARE(seen, (QStringList{"5", "4", "4", "5", "8", "8"}));
        KR_VERIFY_DIALOGS(answers);
    }

    void theHundredAndFirstSetDropsTheOldest()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        for (int i = 1; i <= 101; ++i)
            enterE1(op, QString::number(i));
        QStringList seen;
        for (int i = 0; i < 100; ++i) {
            redo(op);
            seen << e1(op);
        }
        QStringList expected;
        for (int i = 100; i >= 2; --i)
            expected << QString::number(i);
        expected << QStringLiteral("2"); // the hundredth entry is the oldest left
        QCOMPARE(seen, expected);
        KR_VERIFY_DIALOGS(answers);
    }

    void undoAtTheNewestSetSkipsTheNextRecording()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        enterE1(op, QStringLiteral("5")); // A
        enterE1(op, QStringLiteral("6")); // B
        undo(op);
        QCOMPARE(e1(op), QStringLiteral("6"));
        enterE1(op, QStringLiteral("7")); // not recorded
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("5"));
        undo(op);
        QCOMPARE(e1(op), QStringLiteral("6"));
        KR_VERIFY_DIALOGS(answers);
    }

    // Real registers are compared as numbers; a text that is no number records nothing.
    void onlyChangedReadableSetsAreRecorded()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        enterE1(op, QStringLiteral("5"));   // A
        enterE1(op, QStringLiteral("5.0")); // the same number
        enterE1(op, QStringLiteral("abc")); // no number
        enterE1(op, QStringLiteral("6"));   // B
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("5"));
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("5"));
        KR_VERIFY_DIALOGS(answers);
    }

    void aStepPutsTheWholeSetIntoTheEditsAndSettings()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        op.typeAndEnter(op.edit("edConE7"), QStringLiteral("401000"));
        op.typeAndEnter(op.edit("edConE5"), QStringLiteral("250"));
        op.typeAndEnter(op.edit("edConE3"), QStringLiteral("000031"));
        op.typeAndEnter(op.edit("edConE7"), QStringLiteral("000100"));
        op.typeAndEnter(op.edit("edConE5"), QStringLiteral("80"));
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentIndex(), 0);
        redo(op); // E5 back to 250
        QCOMPARE(op.edit("edConE5")->text(), QStringLiteral("250"));
        QCOMPARE(op.edit("edOut3PiPBand")->text(), QStringLiteral("250"));
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("000100"));
        redo(op); // E7 back to 401000
        QCOMPARE(op.edit("edConE7")->text(), QStringLiteral("401000"));
        QCOMPARE(op.list("cmbOut3FuncOut3")->currentText(), QStringLiteral("Pulse output 0-1000 Hz"));
        QCOMPARE(op.list("cmbOut2FuncOut")->currentText(), QStringLiteral("Pulse output 0-10 Hz"));
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("000031"));
        QCOMPARE(op.list("cmbOut3PIRegCalcInp")->currentIndex(), 1);
        QCOMPARE(op.get<TRadioGroup>("grpOut3PIRegMode")->ItemIndex(), 1);
        redo(op); // the set before E3 was typed
        QCOMPARE(op.edit("edConE3")->text(), QStringLiteral("000000"));
        QCOMPARE(op.list("cmbOut3PIRegCalcInp")->currentIndex(), 0);
        QCOMPARE(op.get<TRadioGroup>("grpOut3PIRegMode")->ItemIndex(), 0);
        KR_VERIFY_DIALOGS(answers);
    }

    // Online the steps only show older sets: the device keeps its registers, the poll
    // shows them again at their turns, and a shown set goes out only when the operator
    // completes a register.
    void onlineStepsWriteNothing()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open();
        op.cycle();
        enterE1(op, QStringLiteral("2"));
        op.cycle();
        enterE1(op, QStringLiteral("3"));
        // Out of the edit before stepping: leaving a register edit online completes it.
        op.leave();
        op.cycle(2);
        QCOMPARE(op.deviceReal(".MeterSize"), 3.0);
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("2"));
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(e1(op), QStringLiteral("3.000000"));
        QCOMPARE(op.deviceReal(".MeterSize"), 3.0);

        redo(op); // the set as first read from the device
        QCOMPARE(e1(op), QStringLiteral("1.000000"));
        op.focus(op.edit("edConE1"));
        op.leave();
        QCOMPARE(op.serve(SlotMeterSize), QStringLiteral("write 1"));
        QCOMPARE(op.deviceReal(".MeterSize"), 1.0);
        KR_VERIFY_DIALOGS(answers);
    }

    void selectingADeviceStartsANewHistory()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        op.open({});
        enterE1(op, QStringLiteral("5"));
        enterE1(op, QStringLiteral("6"));
        auto *physId = op.window().ui.cmb715PhysId;
        op.focus(physId);
        QTest::keyClicks(physId, QStringLiteral("FT1"));
        QTest::keyClick(physId, Qt::Key_Return);
        op.activate();
        QVERIFY(op.session().device.contact);
        op.cycle();
        QCOMPARE(e1(op), QStringLiteral("1.000000"));
        redo(op);
        QCOMPARE(e1(op), QStringLiteral("1.000000"));
        op.clearTrace();
        op.cycle();
        QCOMPARE(op.registerWrites(), QStringList());
        KR_VERIFY_DIALOGS(answers);
    }

    // --- reset -------------------------------------------------------------------

    void resetClearsTheDeviceFaultOnceAndOnlyOnline()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({}, 5));
        op.open();
        op.cycle();
        QCOMPARE(op.device()->fault(), 5);
        op.clearTrace();
        op.click("btnConReset");
        QCOMPARE(op.writes(), QStringList{"FT1.Error3 255"});
        QCOMPARE(op.device()->fault(), 0);

        op.device()->setFault(7);
        op.setAnswering(false);
        op.tick(); // the poll notices
        op.clearTrace();
        op.click("btnConReset");
        QCOMPARE(op.fixture().traceLines(), QStringList());
        QCOMPARE(op.device()->fault(), 7);
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(ConfigTabTest)
#include "tst_configtab.moc"
