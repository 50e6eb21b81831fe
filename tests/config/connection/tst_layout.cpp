// The main window as the operator reads it, at the default font and at the dots per
// inch the test runs with (the suite runs this program at 96 and at 120 DPI): texts
// the program puts into fields show from their first character and fit their fields,
// captions and list entries are not cut, and the error line shows the start of a long
// message with the whole message as its tool tip.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"
#include "LayoutCheck.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QScreen>
#include <QTabWidget>

using namespace layoutcheck;

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        // The dots per inch asked for (QT_FONT_DPI): where the platform keeps its own
        // (the offscreen platform stays at 96), the default font grows as it would.
        const int dpi = qEnvironmentVariableIntValue("QT_FONT_DPI");
        const qreal platformDpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
        QFont font = QApplication::font();
        if (dpi > 0 && qAbs(platformDpi - dpi) > 1) {
            font.setPointSizeF(font.pointSizeF() * dpi / platformDpi);
            QApplication::setFont(font);
        }
        qInfo("font %s, %d pixels high, at %d DPI", qPrintable(font.family()), QFontMetrics(font).height(),
              dpi > 0 ? dpi : qRound(platformDpi));
    }

    // Output 2 counting pulses on the flow, output 3 as PI regulator: the long texts
    // of the Data tab and the registers.
    void programSetTextsShowFromTheirStart()
    {
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".Flow", 25.123535}, {".Code1", 0}, {".Code2", 0x00110000},
                                                 {".Ti", 0.0001234}, {".Scale", 100}}));
        op.open();
        op.cycle(2);
        op.leave();
        op.cycle();
        QVERIFY(op.edit("edDataOut2FVal")->text().size() > 15);
        int checked = 0;
        for (QLineEdit *edit : op.window().findChildren<QLineEdit *>()) {
            if (edit->hasFocus() || edit->text().isEmpty())
                continue;
            ++checked;
            QVERIFY2(edit->cursorPosition() == 0, qPrintable(where(edit) + QLatin1String(" shows the end of ") + edit->text()));
        }
        QVERIFY(checked > 20);
        KR_VERIFY_DIALOGS(answers);
    }

    // The longest texts the program puts into each field fit it.
    void fieldsAreWideEnoughForTheirTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        const QString sevenDigits = QStringLiteral("-0.1234567"); // FormatSevenDigits at its longest
        for (const char *name : {"edDataFlow", "edDataVol1", "edDataVol2", "edDataInsFlow", "edDataTCFlow",
                                 "edDataSetP", "edDataManSetOut3", "ed715Flow", "ed715Vol1", "ed715Vol2",
                                 "edOut2SetP", "edOut3SetP", "edOut3PiPBand", "edOut3PiTi", "edOut3ScaleOut3",
                                 "edInpMeterSize", "edConE1", "edConE2", "edConE5"})
            QTest::newRow(name) << name << sevenDigits;
        QTest::newRow("edDataTCFlow dashes") << "edDataTCFlow" << "- - - - - - -";
        QTest::newRow("edDataTemp") << "edDataTemp" << "-199.9";
        QTest::newRow("edDataTemp dashes") << "edDataTemp" << "- - - - - - -";
        QTest::newRow("edDataOut2FVal") << "edDataOut2FVal" << "0.418725583333333";
        QTest::newRow("edDataOut3FVal") << "edDataOut3FVal" << "0.418725583333333";
        QTest::newRow("edDataOut3AVal current") << "edDataOut3AVal" << "19.9999999999999";
        QTest::newRow("edDataOut3AVal regulator") << "edDataOut3AVal" << "12.3456789";
        for (const char *name : {"edConE3", "edConE4", "edConE6", "edConE7", "edConE8", "edGenNAddr"})
            QTest::newRow(name) << name << "ABCDEF";
        QTest::newRow("edGenNodeNo") << "edGenNodeNo" << "255";
        QTest::newRow("edGenDeviceNo") << "edGenDeviceNo" << "715";
        QTest::newRow("edGenPrgVer") << "edGenPrgVer" << "65535";
    }
    void fieldsAreWideEnoughForTheirTexts()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        OperatorDriver op;
        op.open({});
        QLineEdit *edit = op.get<QLineEdit>(field);
        QVERIFY(edit);
        const int needed = edit->fontMetrics().horizontalAdvance(text);
        QVERIFY2(needed <= textRoom(edit), qPrintable(QStringLiteral("%1 needs %2 pixels, has %3")
                                                          .arg(text).arg(needed).arg(textRoom(edit))));
    }

    // Every caption, list entry and button text of every tab can be read whole.
    void captionsAreReadableOnEveryTab_data()
    {
        QTest::addColumn<int>("tab");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(QStringLiteral("tab %1").arg(i))) << i;
    }
    void captionsAreReadableOnEveryTab()
    {
        QFETCH(int, tab);
        OperatorDriver op;
        TfrmKR715Config &w = op.open({});
        QTabWidget *pages = w.ui.pc715;
        QVERIFY(tab < pages->count());
        pages->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        QWidget *page = pages->widget(tab);
        // The tab's content, also the parts a setting shows only in some modes.
        showWholePage(page);
        QCoreApplication::processEvents();
        const QStringList problems = cutCaptions(page);
        QVERIFY2(problems.isEmpty(), qPrintable(pages->tabText(tab) + QLatin1String(":\n") + problems.join(QLatin1Char('\n'))));
        // The tab itself is reachable: the tab bar shows every tab whole.
        QVERIFY(pages->tabBar()->sizeHint().width() <= pages->width());
    }

    // A long error shows its start in the error line, the whole of it as tool tip.
    void theErrorLineShowsTheStartOfItsText()
    {
        DialogAnswerer answers;
        OperatorDriver op;
        TfrmKR715Config &w = op.open({QStringLiteral("NO.SUCH.PHYSID.WITH.A.VERY.LONG.NAME.THAT.GOES.ON")});
        QComboBox *error = w.ui.cmb715Error;
        QVERIFY(error->currentText().size() > 20);
        QCOMPARE(error->toolTip(), error->currentText());
        QCOMPARE(error->lineEdit()->cursorPosition(), 0);
        QVERIFY(error->currentText().startsWith(QLatin1String("Unknown PhysId")));
        QVERIFY(error->lineEdit()->fontMetrics().horizontalAdvance(QStringLiteral("Unknown PhysId"))
                <= error->lineEdit()->width());
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
