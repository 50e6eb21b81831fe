#include "KRTools.h"

#include "BusMonitorU.h"
#include "CompareU.h"
#include "ConfigKR715U.h"
#include "RegistryClient.h"
#include "ReportU.h"
#include "TrendU.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace {
const char *const CalibrationKey = "Calibration";
} // namespace

KRTools::KRTools(TfrmKR715Config &main, QWidget *calibration)
    : QObject(&main), m_main(main), m_tr(krtools::translatorOf(main)), m_calibration(calibration)
{
    setObjectName(QStringLiteral("krTools"));
    sbTools = new QToolButton(&main);
    sbTools->setObjectName(QStringLiteral("sbTools"));
    sbTools->setText(m_tr(QStringLiteral("Tools")));
    sbTools->setPopupMode(QToolButton::InstantPopup);
    sbTools->setToolTip(m_tr(QStringLiteral("Live trend, compare, report and bus monitor")));
    pmTools = new QMenu(sbTools);
    pmTools->setObjectName(QStringLiteral("pmTools"));
    auto action = [this](const char *name, const char *text, const QKeySequence &keys) {
        auto *a = new QAction(m_tr(QLatin1String(text)), &m_main);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        pmTools->addAction(a);
        m_main.addAction(a); // the shortcut works without opening the menu
        return a;
    };
    actTrend = action("actTrend", "Live trend", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    actCompare = action("actCompare", "Compare with file", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    actReport = action("actReport", "Commissioning report", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    actBusMonitor = action("actBusMonitor", "Bus monitor", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    sbTools->setMenu(pmTools);
    connect(actTrend, &QAction::triggered, this, &KRTools::actTrendExecute);
    connect(actCompare, &QAction::triggered, this, &KRTools::actCompareExecute);
    connect(actReport, &QAction::triggered, this, &KRTools::actReportExecute);
    connect(actBusMonitor, &QAction::triggered, this, &KRTools::actBusMonitorExecute);
    place();
    sbTools->show();

    // The tool windows close with the main window.
    main.installEventFilter(this);
    if (calibration)
        if (auto *calculate = calibration->findChild<QAbstractButton *>(QStringLiteral("btnCalibCalcNewMeterSize"))) {
            // Before the dialog's own handler (pressed comes first) and after it.
            connect(calculate, &QAbstractButton::pressed, this, [this] {
                auto *e1 = m_main.session().controls.get<QLineEdit>(QStringLiteral("edConE1"));
                m_meterSizeBefore = e1 ? e1->text() : QString();
            });
            connect(calculate, &QAbstractButton::clicked, this, &KRTools::calibrationCalculated);
        }
}

KRTools::~KRTools()
{
    delete m_trend.data();
    delete m_compare.data();
    delete m_report.data();
    delete m_monitor.data();
}

TfrmTrend *KRTools::trend() const { return m_trend.data(); }
TfrmCompare *KRTools::compareWindow() const { return m_compare.data(); }
TfrmReport *KRTools::reportWindow() const { return m_report.data(); }
TfrmBusMonitor *KRTools::busMonitor() const { return m_monitor.data(); }

// In the bottom strip, under the Redo button and beside the error caption: a place no
// control of the strip uses, whatever the window's scale.
void KRTools::place()
{
    QWidget *redo = m_main.ui.bbConRedo;
    QWidget *errors = m_main.ui.cmb715Error;
    const int top = redo->geometry().bottom() + 3;
    const int height = qMax(16, errors->geometry().top() - top - 2);
    sbTools->setGeometry(redo->x(), top, redo->width(), height);
}

void KRTools::showWindow(QWidget *window, const QString &placeName, bool firstTime)
{
    if (firstTime)
        krtools::restorePlace(window, m_main.settingsSection(), placeName);
    window->show();
    window->raise();
    window->activateWindow();
}

void KRTools::actTrendExecute()
{
    const bool first = !m_trend;
    if (first)
        m_trend = new TfrmTrend(m_main);
    showWindow(m_trend, QStringLiteral("Trend"), first);
}

void KRTools::actCompareExecute()
{
    const bool first = !m_compare;
    if (first)
        m_compare = new TfrmCompare(m_main);
    showWindow(m_compare, QStringLiteral("Compare"), first);
}

void KRTools::actReportExecute()
{
    const bool first = !m_report;
    if (first)
        m_report = new TfrmReport(m_main, [this] { return lastCalibration(); });
    showWindow(m_report, QStringLiteral("Report"), first);
}

void KRTools::actBusMonitorExecute()
{
    const bool first = !m_monitor;
    if (first)
        m_monitor = new TfrmBusMonitor(m_main);
    showWindow(m_monitor, QStringLiteral("BusMonitor"), first);
}

bool KRTools::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_main && event->type() == QEvent::Close) {
        for (QWidget *window : {static_cast<QWidget *>(m_trend.data()), static_cast<QWidget *>(m_compare.data()),
                                static_cast<QWidget *>(m_report.data()), static_cast<QWidget *>(m_monitor.data())})
            if (window && window->isVisible())
                window->close();
    }
    return QObject::eventFilter(watched, event);
}

// After the calibration dialog has calculated a new meter size: when the operator
// accepted it (E1 changed), the calibration is kept for the report.
void KRTools::calibrationCalculated()
{
    if (!m_calibration)
        return;
    auto *e1 = m_main.session().controls.get<QLineEdit>(QStringLiteral("edConE1"));
    const QString now = e1 ? e1->text() : QString();
    if (now.isEmpty() || now == m_meterSizeBefore)
        return;
    auto text = [this](const char *name) {
        if (auto *label = m_calibration->findChild<QLabel *>(QLatin1String(name)))
            return label->text();
        if (auto *edit = m_calibration->findChild<QLineEdit *>(QLatin1String(name)))
            return edit->text();
        return QString();
    };
    RegistryClient registry(m_main.settingsSection());
    const QString key = QLatin1String(CalibrationKey);
    registry.writeString(key, QStringLiteral("OldMeterSize"), m_meterSizeBefore);
    registry.writeString(key, QStringLiteral("ActualVolume"), text("edCalibActualVol"));
    registry.writeString(key, QStringLiteral("CountedVolume"), text("laCalib"));
    registry.writeString(key, QStringLiteral("NewMeterSize"), now);
}

report::Calibration KRTools::lastCalibration() const
{
    report::Calibration c;
    RegistryClient registry(m_main.settingsSection());
    const QString key = QLatin1String(CalibrationKey);
    c.done = registry.readString(key, QStringLiteral("NewMeterSize"), c.newMeterSize) && !c.newMeterSize.isEmpty();
    registry.readString(key, QStringLiteral("OldMeterSize"), c.oldMeterSize);
    registry.readString(key, QStringLiteral("ActualVolume"), c.actualVolume);
    registry.readString(key, QStringLiteral("CountedVolume"), c.countedVolume);
    return c;
}
