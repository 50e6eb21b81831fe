// The calibration dialog: its controls with captions and hints, the fixed size,
// the formula layout and the refresh timer at rest.

#include "CalibrationU.h"
#include "FormInventory.h"
#include "KR715Session.h"

#include <QTest>
#include <QTimer>

#include <memory>

namespace {

QList<Control> calibRows()
{
    return {
        Control("TfrmCalib", "TfrmCalib", QString(), "Calibration").hide(), // created hidden, shown on request
        Control("btnCalibInit", "QPushButton", "TfrmCalib", "Init calibration").hint("Clear Volume2"),
        Control("laCalibNewMeterSize", "QLabel", "TfrmCalib", "NewMeterSize=").hint("NewMeterSize is the calibrated meter size"),
        Control("laCalibMeterSize", "QLabel", "TfrmCalib", "OldMeterSize * ").hint("OldMeterSize equals the current meter size"),
        Control("edCalibActualVol", "QLineEdit", "TfrmCalib", "Actual volume")
            .hint("Input actual measured volume, Important! Use the same metric unit as Volume2"),
        Control("laCalibUnit", "QLabel", "TfrmCalib", "Unit").hint("Metric unit of extern measured volume"),
        Control("Shape1", "QFrame", "TfrmCalib"),
        Control("laCalib", "QLabel", "TfrmCalib", "Volume2").hint("Volume2 is the volume measured by the KR 715"),
        Control("btnCalibCalcNewMeterSize", "QPushButton", "TfrmCalib", "Calculate and save new metersize")
            .disable()
            .hint("Calculates a new metersize and stores this metersize in the KR 715"),
    };
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT

private:
    KR715Session m_session;
    std::unique_ptr<TfrmCalib> m_dialog;

private slots:
    void initTestCase() { m_dialog = std::make_unique<TfrmCalib>(m_session); }

    void inventory_data() { addInventoryRows(calibRows()); }
    void inventory()
    {
        QFETCH(Control, control);
        checkInventoryRow(m_dialog.get(), control);
    }

    void everythingNamedIsListedAndRegistered()
    {
        QCOMPARE(unlistedControls(m_dialog.get(), calibRows()), QStringList());
        for (const Control &row : calibRows())
            QVERIFY2(m_session.controls.object(row.name), qPrintable(row.name));
        QCOMPARE(m_session.controls.object("tiCalibration"), static_cast<QObject *>(m_dialog->tiCalibration));
    }

    void fixedClientAreaWithSystemMenuOnly()
    {
        QCOMPARE(m_dialog->size(), QSize(385, 116));
        QCOMPARE(m_dialog->minimumSize(), QSize(385, 116));
        QCOMPARE(m_dialog->maximumSize(), QSize(385, 116));
        const Qt::WindowFlags flags = m_dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!m_dialog->isModal());

        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        QCOMPARE(controlsOutsideParent(m_dialog.get()), QStringList());
        m_dialog->hide();
    }

    void timerStoppedAtHundredMilliseconds()
    {
        QTimer *timer = m_dialog->tiCalibration;
        QVERIFY(timer);
        QCOMPARE(timer->objectName(), QStringLiteral("tiCalibration"));
        QCOMPARE(timer->interval(), 100);
        QVERIFY(!timer->isActive());
        QVERIFY(!timer->isSingleShot());
        QCOMPARE(timer->parent(), static_cast<QObject *>(m_dialog.get()));
    }

    void formulaLayout()
    {
        const auto &ui = m_dialog->ui;
        // The fraction bar: a horizontal line of 190 pixels.
        QCOMPARE(ui.Shape1->frameShape(), QFrame::HLine);
        QCOMPARE(ui.Shape1->width(), 190);
        const QRect bar = ui.Shape1->geometry();
        // Numerator above the bar, Volume2 below it, the new meter size left of it.
        for (QWidget *above : {static_cast<QWidget *>(ui.laCalibMeterSize), static_cast<QWidget *>(ui.edCalibActualVol),
                               static_cast<QWidget *>(ui.laCalibUnit)})
            QVERIFY2(above->geometry().bottom() < bar.top(), qPrintable(above->objectName()));
        QVERIFY(ui.laCalib->geometry().top() > bar.bottom());
        QVERIFY(ui.laCalib->geometry().left() >= bar.left() && ui.laCalib->geometry().right() <= bar.right());
        QVERIFY(ui.laCalibNewMeterSize->geometry().right() < bar.left());
        QVERIFY(ui.laCalibNewMeterSize->geometry().top() < bar.center().y());
        QVERIFY(ui.laCalibNewMeterSize->geometry().bottom() > bar.center().y());
        // Reading order of the numerator: old size, actual volume, unit.
        QVERIFY(ui.laCalibMeterSize->geometry().right() < ui.edCalibActualVol->geometry().left());
        QVERIFY(ui.edCalibActualVol->geometry().right() < ui.laCalibUnit->geometry().left());
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
