#pragma once
// Live trend: flow, instant flow, temperature-compensated flow, temperature and the two
// volumes of the selected device over time, from the values the polling cycle reads
// (no access of its own). The last ten minutes at full rate, the last 24 hours as
// averages; pause, zoom (drag a rectangle), export as CSV and PNG.
//
// The trend records from its first opening until the program ends, also while its
// window is closed; it draws only while it is shown. A device that stops answering,
// or a read that fails, breaks the lines; another device starts a new trend.
#include "TrendStore.h"
#include "ToolSupport.h"
#include "ui_TrendU.h"

#include <QPair>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QTimer;
class QValueAxis;
class TfrmKR715Config;

class TfrmTrend : public QWidget {
    Q_OBJECT
public:
    // The ten-minute view is about a second a pixel wide: a new picture every two
    // seconds keeps it live at half the drawing.
    static constexpr int RefreshMs = 2000;
    // The time axis moves in steps of its span divided by this.
    static constexpr int TimeSteps = 60;
    explicit TfrmTrend(TfrmKR715Config &main, QWidget *parent = nullptr);
    ~TfrmTrend() override;

    Ui::TfrmTrend ui;
    QChartView *chartView = nullptr;
    QTimer *tiTrendRefresh = nullptr;

    trend::TrendStore &store() { return m_store; }
    // The clock of the samples (milliseconds since the epoch); tests may set their own.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // Handlers
    void cmbTrendRangeChange();
    void btnTrendPauseClick();
    void btnTrendResetZoomClick();
    void btnTrendExportCsvClick();
    void btnTrendExportPngClick();
    void cbTrendChannelClick();
    void tiTrendRefreshTimer();

    // A value the polling cycle read.
    void pollValueRead(int slot, const QVariant &value);
    // Draws the stored values again.
    void refresh();
    // Writes the shown range as CSV / the chart as PNG; false with the reason.
    bool exportCsv(const QString &path, QString *error) const;
    void exportAs(const QString &caption, const QString &kind, const QString &extension,
                  const std::function<bool(const QString &, QString *)> &write);
    bool exportPng(const QString &path, QString *error);

    // The points drawn for a channel: one list per unbroken piece of line.
    QList<QList<QPointF>> drawnSegments(int channel) const;
    // The caption of a channel with the unit the program shows for it.
    QString channelTitle(int channel) const;

    // The range the time axis shows for the newest value; the range the value axis
    // shows for values from low to high when it shows shownLow to shownHigh now.
    static QPair<qint64, qint64> timeRange(qint64 newest, qint64 span);
    static QPair<double, double> valueRange(double low, double high, double shownLow, double shownHigh);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString unitOf(int channel) const;
    QString channelTitle(int channel, const QString &unit) const;
    bool channelShown(int channel) const;
    void watchContact(qint64 now);

    TfrmKR715Config &m_main;
    krtools::Translate m_tr;
    trend::TrendStore m_store;
    std::function<qint64()> m_clock;
    QChart *m_chart = nullptr;
    QDateTimeAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    std::array<std::vector<QLineSeries *>, trend::ChannelCount> m_series;
    QString m_physId;          // the device being recorded
    int m_observer = 0;        // access observer id
    int m_lastValueOutcome = 0; // outcome of the last value read of the main window's server
    bool m_hadContact = true;
    int m_refreshTicks = 0;
    quint64 m_drawnRevision = ~quint64(0); // the store's revision last drawn
};
