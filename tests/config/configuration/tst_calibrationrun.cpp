// A calibration run with the real main window and the calibration dialog against a
// frozen KR 715: clearing Volume2, the formula following the device, the new meter
// size computed, confirmed and written to E1, and the inputs that give no meter size.
#include "OperatorDriver.h"

#include "CalibrationU.h"
#include "DialogAnswerer.h"
#include "KRLanguage.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>

namespace {

QByteArray network(double meterSize, double volume2)
{
    return OperatorDriver::kr715({{".MeterSize", meterSize}, {".Volume2", volume2}});
}

// The main window online with FT1, all values read, and the calibration dialog shown
// beside it as the "Calibration" button shows it.
struct Run {
    explicit Run(const QByteArray &net, bool online = true) : op(net)
    {
        op.open(online ? QStringList{QStringLiteral("FT1")} : QStringList{});
        op.leave();
        if (online)
            op.cycle(2);
        dialog = std::make_unique<TfrmCalib>(op.session());
        dialog->show();
        static_cast<void>(QTest::qWaitForWindowExposed(dialog.get()));
        op.activate();
    }
    ~Run() { dialog.reset(); }

    QString field(const char *name) { return op.get<QLineEdit>(QLatin1String(name))->text(); }
    void typeActualVolume(const QString &text)
    {
        QLineEdit *edit = dialog->ui.edCalibActualVol;
        QApplication::setActiveWindow(dialog.get());
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void clickInit() { QTest::mouseClick(dialog->ui.btnCalibInit, Qt::LeftButton); }
    void clickCalculate() { QTest::mouseClick(dialog->ui.btnCalibCalcNewMeterSize, Qt::LeftButton); }

    OperatorDriver op;
    std::unique_ptr<TfrmCalib> dialog;
};

const QString ClearQuestion = QStringLiteral("This will clear volume2, is this OK");
const QString NumbersWarning =
    QStringLiteral("The fields (Meter size, Actual volume and Volume2)\nshall contain numerical expressions");

} // namespace

class CalibrationRunTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // --- creation ----------------------------------------------------------------

    void createdInTheUsersLanguageWithTheEqualsSign()
    {
        QTemporaryDir dir;
        OperatorDriver op(network(1, 0));
        op.open({});
        const QString table = dir.filePath(QStringLiteral("texts.deu"));
        QFile file(table);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Calibration=Kalibrierung\r\n"
                   "Init calibration=Kalibrierung beginnen\r\n"
                   "Calculate and save new metersize=Berechnen und speichern\r\n"
                   "NewMeterSize=NeueGroesse\r\n"
                   "OldMeterSize * =AlteGroesse * \r\n"
                   "Unit=Einheit\r\n"
                   "Volume2=Volumen2\r\n"
                   "Actual volume=Istvolumen\r\n"
                   "Clear Volume2=Volumen2 loeschen\r\n"
                   "NewMeterSize is the calibrated meter size=h2\r\n"
                   "OldMeterSize equals the current meter size=h3\r\n"
                   "Input actual measured volume, Important! Use the same metric unit as Volume2=h4\r\n"
                   "Metric unit of extern measured volume=h5\r\n"
                   "Volume2 is the volume measured by the KR 715=h6\r\n"
                   "Calculates a new metersize and stores this metersize in the KR 715=h7\r\n");
        file.close();
        op.window().lanTrans->setFileName(table);

        TfrmCalib dialog(op.session());
        const auto &ui = dialog.ui;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Kalibrierung"));
        QCOMPARE(ui.btnCalibInit->text(), QStringLiteral("Kalibrierung beginnen"));
        QCOMPARE(ui.btnCalibCalcNewMeterSize->text(), QStringLiteral("Berechnen und speichern"));
        QCOMPARE(ui.laCalibNewMeterSize->text(), QStringLiteral("NeueGroesse="));
        QCOMPARE(ui.laCalibMeterSize->text(), QStringLiteral("AlteGroesse * "));
        QCOMPARE(ui.laCalibUnit->text(), QStringLiteral("Einheit"));
        QCOMPARE(ui.laCalib->text(), QStringLiteral("Volumen2"));
        QCOMPARE(ui.edCalibActualVol->text(), QStringLiteral("Istvolumen"));
        QCOMPARE(ui.btnCalibInit->toolTip(), QStringLiteral("Volumen2 loeschen"));
        QStringList hints;
        for (QWidget *w : {static_cast<QWidget *>(ui.laCalibNewMeterSize), static_cast<QWidget *>(ui.laCalibMeterSize),
                           static_cast<QWidget *>(ui.edCalibActualVol), static_cast<QWidget *>(ui.laCalibUnit),
                           static_cast<QWidget *>(ui.laCalib), static_cast<QWidget *>(ui.btnCalibCalcNewMeterSize)})
            hints.append(w->toolTip());
        QCOMPARE(hints, QStringList({"h2", "h3", "h4", "h5", "h6", "h7"}));
        // The translated text of the actual volume is no entry: nothing to calculate yet.
        QVERIFY(!ui.btnCalibCalcNewMeterSize->isEnabled());
        QVERIFY(!dialog.tiCalibration->isActive());
    }

    void createdUntranslatedWithTheEqualsSign()
    {
        Run run(network(1, 0), false);
        QCOMPARE(run.dialog->ui.laCalibNewMeterSize->text(), QStringLiteral("NewMeterSize="));
        QCOMPARE(run.dialog->ui.edCalibActualVol->text(), QStringLiteral("Actual volume"));
        QVERIFY(!run.dialog->ui.btnCalibCalcNewMeterSize->isEnabled());
    }

    // --- clearing Volume2 --------------------------------------------------------

    void initClearsVolume2OnTheDeviceAndFollowsIt()
    {
        DialogAnswerer answers;
        Run run(network(1, 55.5));
        QCOMPARE(run.field("edDataVol2"), QStringLiteral("55.50000"));
        answers.answerMessageBox(QMessageBox::Yes, ClearQuestion);
        run.clickInit();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().first().text, ClearQuestion);
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);

        QCOMPARE(run.field("edDataVol2"), QStringLiteral("0"));
        QCOMPARE(run.op.session().state(SlotVolume2), ExchangeState::WritePending);
        QCOMPARE(run.dialog->ui.laCalibMeterSize->text(), QStringLiteral("1.000000 *"));
        QVERIFY(run.dialog->tiCalibration->isActive());
        QCOMPARE(run.op.serve(SlotVolume2), QStringLiteral("write 0"));
        QCOMPARE(run.op.deviceReal(".Volume2"), 0.0);

        // Volume2 below the fraction bar follows the device from now on.
        QTRY_COMPARE(run.dialog->ui.laCalib->text(), QStringLiteral("0"));
        run.op.setDevice(".Volume2", kelopro::SimValue::fromReal(100));
        run.op.cycle(2);
        QTRY_COMPARE(run.dialog->ui.laCalib->text(), QStringLiteral("100.0000"));
    }

    void answeringNoLeavesEverything()
    {
        DialogAnswerer answers;
        Run run(network(1, 55.5));
        answers.answerMessageBox(QMessageBox::No, ClearQuestion);
        run.clickInit();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(run.field("edDataVol2"), QStringLiteral("55.50000"));
        QCOMPARE(run.op.session().state(SlotVolume2), ExchangeState::Reading);
        QCOMPARE(run.dialog->ui.laCalibMeterSize->text(), QStringLiteral("OldMeterSize * "));
        QCOMPARE(run.dialog->ui.laCalib->text(), QStringLiteral("Volume2"));
        QVERIFY(!run.dialog->tiCalibration->isActive());
        run.op.clearTrace();
        run.op.cycle();
        QVERIFY(run.op.writesOf(".Volume2").isEmpty());
        QCOMPARE(run.op.deviceReal(".Volume2"), 55.5);
    }

    void offlineInitKeepsVolume2ButStartsTheRun()
    {
        DialogAnswerer answers;
        Run run(network(1, 55.5), false);
        run.op.get<QLineEdit>("edDataVol2")->setText(QStringLiteral("12.5")); // left from an earlier device
        answers.answerMessageBox(QMessageBox::Yes, ClearQuestion);
        run.clickInit();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(run.field("edDataVol2"), QStringLiteral("12.5"));
        QCOMPARE(run.op.session().state(SlotVolume2), ExchangeState::Reading);
        QCOMPARE(run.dialog->ui.laCalibMeterSize->text(), run.field("edInpMeterSize") + QStringLiteral(" *"));
        QVERIFY(run.dialog->tiCalibration->isActive());
        QTRY_COMPARE(run.dialog->ui.laCalib->text(), QStringLiteral("12.5"));
    }

    // --- the new meter size ---------------------------------------------------------

    void theNewMeterSizeIsOfferedAndWrittenToE1_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("offered");
        QTest::newRow("decimal point") << QLocale(QLocale::English, QLocale::UnitedStates) << "1.02";
        QTest::newRow("decimal comma") << QLocale(QLocale::German, QLocale::Germany) << "1,02";
    }
    void theNewMeterSizeIsOfferedAndWrittenToE1()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, offered);
        QLocale::setDefault(locale);
        DialogAnswerer answers;
        Run run(network(1, 100));
        run.typeActualVolume(locale.toString(102));
        QVERIFY(run.dialog->ui.btnCalibCalcNewMeterSize->isEnabled());
        const QString question = QStringLiteral("Save %1 as the new metersize, is this OK").arg(offered);
        answers.answerMessageBox(QMessageBox::Yes, question);
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().first().text, question);
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);

        QCOMPARE(run.field("edConE1"), offered);
        QCOMPARE(run.op.session().state(SlotMeterSize), ExchangeState::WritePending);
        QCOMPARE(run.op.serve(SlotMeterSize), QStringLiteral("write 1.02"));
        QVERIFY(qAbs(run.op.deviceReal(".MeterSize") - 1.02) < 1e-6);
        run.op.cycle(2);
        QCOMPARE(run.field("edInpMeterSize"), locale.toString(1.02, 'f', 6));
    }

    void noToTheSaveQuestionStoresNothing()
    {
        DialogAnswerer answers;
        Run run(network(1, 100));
        run.typeActualVolume(QStringLiteral("102"));
        answers.answerMessageBox(QMessageBox::No, QStringLiteral("Save 1.02 as"));
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(run.field("edConE1"), QStringLiteral("1.000000"));
        QCOMPARE(run.op.session().state(SlotMeterSize), ExchangeState::Reading);
        run.op.clearTrace();
        run.op.cycle();
        QVERIFY(run.op.writesOf(".MeterSize").isEmpty());
    }

    void offlineTheMeterSizeFieldFollowsAtOnce()
    {
        DialogAnswerer answers;
        Run run(network(1, 100), false);
        run.op.typeAndEnter(run.op.edit("edConE1"), QStringLiteral("2"));
        run.op.get<QLineEdit>("edDataVol2")->setText(QStringLiteral("80"));
        run.typeActualVolume(QStringLiteral("50"));
        answers.answerMessageBox(QMessageBox::Yes, QStringLiteral("Save 1.25 as the new metersize"));
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(run.field("edConE1"), QStringLiteral("1.25"));
        QCOMPARE(run.field("edInpMeterSize"), QStringLiteral("1.25"));
        QCOMPARE(run.op.session().state(SlotMeterSize), ExchangeState::Reading);
    }

    // --- inputs that give no meter size ---------------------------------------------

    void aFieldThatIsNoNumberIsReported_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("meterSize");
        QTest::addColumn<QString>("volume2");
        QTest::newRow("actual volume") << "abc" << "" << "";
        QTest::newRow("actual volume emptied") << "" << "" << "";
        QTest::newRow("meter size") << "102" << "x1" << "";
        QTest::newRow("Volume2") << "102" << "" << "----";
    }
    void aFieldThatIsNoNumberIsReported()
    {
        QFETCH(QString, actual);
        QFETCH(QString, meterSize);
        QFETCH(QString, volume2);
        DialogAnswerer answers;
        Run run(network(1, 100), false);
        if (!meterSize.isEmpty())
            run.op.typeAndEnter(run.op.edit("edConE1"), meterSize);
        run.op.get<QLineEdit>("edDataVol2")->setText(volume2.isEmpty() ? QStringLiteral("100") : volume2);
        const QString e1 = run.field("edConE1");
        // Any change enables the button, whether or not it is a number.
        run.typeActualVolume(actual.isEmpty() ? QStringLiteral("1") : actual);
        if (actual.isEmpty())
            QTest::keyClick(run.dialog->ui.edCalibActualVol, Qt::Key_Backspace);
        QVERIFY(run.dialog->ui.btnCalibCalcNewMeterSize->isEnabled());
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("shall contain numerical expressions"));
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().first().text, NumbersWarning);
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);
        QCOMPARE(run.field("edConE1"), e1);
    }

    void aVolume2OfZeroGivesNoMeterSize()
    {
        DialogAnswerer answers;
        Run run(network(1, 0));
        QCOMPARE(run.field("edDataVol2"), QStringLiteral("0"));
        run.typeActualVolume(QStringLiteral("102"));
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Volume2 is zero"));
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);
        QCOMPARE(run.field("edConE1"), QStringLiteral("1.000000"));
        QCOMPARE(run.op.session().state(SlotMeterSize), ExchangeState::Reading);
        run.op.clearTrace();
        run.op.cycle();
        QVERIFY(run.op.writesOf(".MeterSize").isEmpty());
        QCOMPARE(run.op.deviceReal(".MeterSize"), 1.0);
    }

    void aMeterSizeBeyondTheDevicesRangeIsRefused()
    {
        DialogAnswerer answers;
        // 1E30 * 1E10 / 0.5 is beyond what a single-precision meter size can hold.
        Run run(network(1e30, 0.5));
        run.typeActualVolume(QStringLiteral("1e10"));
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("out of range"));
        run.clickCalculate();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(run.op.session().state(SlotMeterSize), ExchangeState::Reading);
        run.op.clearTrace();
        run.op.cycle();
        QVERIFY(run.op.writesOf(".MeterSize").isEmpty());
    }
};

QTEST_MAIN(CalibrationRunTest)
#include "tst_calibrationrun.moc"
