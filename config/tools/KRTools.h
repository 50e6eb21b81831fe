#pragma once
// The tools around the main window: live trend, compare with a file, commissioning
// report and bus monitor. They open from the "Tools" button of the main window's
// bottom strip (or their shortcuts), each in a window of its own that keeps its place
// between runs. Nothing of the main window changes otherwise.
#include "ReportBuilder.h"
#include "ToolSupport.h"

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QToolButton;
class TfrmKR715Config;
class TfrmTrend;
class TfrmCompare;
class TfrmReport;
class TfrmBusMonitor;

class KRTools : public QObject {
    Q_OBJECT
public:
    // calibration: the calibration dialog of the program (may be null).
    KRTools(TfrmKR715Config &main, QWidget *calibration = nullptr);
    ~KRTools() override;

    QToolButton *sbTools = nullptr;
    QMenu *pmTools = nullptr;
    QAction *actTrend = nullptr;
    QAction *actCompare = nullptr;
    QAction *actReport = nullptr;
    QAction *actBusMonitor = nullptr;

    // Handlers of the menu: show (creating on first use) and raise the window.
    void actTrendExecute();
    void actCompareExecute();
    void actReportExecute();
    void actBusMonitorExecute();

    // The windows; null until first opened.
    TfrmTrend *trend() const;
    TfrmCompare *compareWindow() const;
    TfrmReport *reportWindow() const;
    TfrmBusMonitor *busMonitor() const;

    // The last calibration calculated and stored (kept between runs).
    report::Calibration lastCalibration() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void showWindow(QWidget *window, const QString &placeName, bool firstTime);
    void calibrationCalculated();

    TfrmKR715Config &m_main;
    krtools::Translate m_tr;
    QPointer<QWidget> m_calibration;
    QPointer<TfrmTrend> m_trend;
    QPointer<TfrmCompare> m_compare;
    QPointer<TfrmReport> m_report;
    QPointer<TfrmBusMonitor> m_monitor;
    QString m_meterSizeBefore;
};
