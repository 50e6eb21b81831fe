#include "TrendU.h"

#include "ConfigKR715U.h"
#include "DialogService.h"
#include "PollCycle.h"
#include "AccessObserver.h"
#include "VariableServer.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QEvent>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSaveFile>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
const char *const ChannelBoxes[trend::ChannelCount] = {"cbTrendFlow", "cbTrendInstantFlow", "cbTrendTCFlow",
                                                        "cbTrendTemp", "cbTrendVol1", "cbTrendVol2"};
// The unit label of the main window that belongs to each channel.
const char *const UnitLabels[trend::ChannelCount] = {"la715FlowUnit", "laDataInstantFlowUnit", "laDataTCFlowUnit",
                                                      "laDataTempUnit", "la715Volume1Unit", "la715Volume2Unit"};
const QColor Colours[trend::ChannelCount] = {QColor(0, 90, 200), QColor(0, 160, 80), QColor(150, 60, 200),
                                             QColor(220, 60, 40), QColor(120, 120, 120), QColor(200, 140, 0)};
} // namespace

TfrmTrend::TfrmTrend(TfrmKR715Config &main, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_tr(krtools::translatorOf(main))
{
    ui.setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    krtools::translateForm(this, m_tr);
    m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };

    m_chart = new QChart();
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    // Square corners: the plot is drawn again with every new value, and a rounded
    // background is painted as a path, a plain one as a filled rectangle.
    m_chart->setBackgroundRoundness(0);
    m_axisX = new QDateTimeAxis(m_chart);
    m_axisX->setFormat(QStringLiteral("HH:mm:ss"));
    m_axisX->setTickCount(6);
    m_axisY = new QValueAxis(m_chart);
    // The time axis needs a real range before the chart is first laid out, or it
    // never shows its labels.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_axisX->setRange(QDateTime::fromMSecsSinceEpoch(now - m_store.limits().recentSpanMs), QDateTime::fromMSecsSinceEpoch(now));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    chartView = new QChartView(m_chart, ui.pnTrendChart);
    chartView->setObjectName(QStringLiteral("chartTrend"));
    chartView->setRenderHint(QPainter::Antialiasing, false);
    chartView->setRubberBand(QChartView::RectangleRubberBand);
    auto *layout = new QVBoxLayout(ui.pnTrendChart);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chartView);

    tiTrendRefresh = new QTimer(this);
    tiTrendRefresh->setObjectName(QStringLiteral("tiTrendRefresh"));
    tiTrendRefresh->setInterval(RefreshMs);

    connect(ui.cmbTrendRange, QOverload<int>::of(&QComboBox::activated), this, [this] { cmbTrendRangeChange(); });
    connect(ui.btnTrendPause, &QAbstractButton::clicked, this, &TfrmTrend::btnTrendPauseClick);
    connect(ui.btnTrendResetZoom, &QAbstractButton::clicked, this, &TfrmTrend::btnTrendResetZoomClick);
    connect(ui.btnTrendExportCsv, &QAbstractButton::clicked, this, &TfrmTrend::btnTrendExportCsvClick);
    connect(ui.btnTrendExportPng, &QAbstractButton::clicked, this, &TfrmTrend::btnTrendExportPngClick);
    for (const char *name : ChannelBoxes)
        if (auto *box = findChild<QAbstractButton *>(QLatin1String(name)))
            connect(box, &QAbstractButton::clicked, this, &TfrmTrend::cbTrendChannelClick);
    connect(tiTrendRefresh, &QTimer::timeout, this, &TfrmTrend::tiTrendRefreshTimer);
    if (main.pollCycle)
        connect(main.pollCycle, &PollCycle::valueRead, this, &TfrmTrend::pollValueRead);

    // A read that failed gives no value: the outcome of the main window's reads of
    // "value" tells (seen as the server reports it, without asking the device again).
    m_observer = automation::addAccessObserver([this](const automation::Access &access) {
        const KR715Session &session = m_main.session();
        if (access.kind != automation::Access::Kind::Get || !session.server
            || access.object != &session.server->object()
            || access.member.compare(QLatin1String("value"), Qt::CaseInsensitive) != 0)
            return;
        m_lastValueOutcome = access.outcome & 0xFFFF;
    });
    tiTrendRefresh->start();
}

TfrmTrend::~TfrmTrend()
{
    automation::removeAccessObserver(m_observer);
}

QString TfrmTrend::unitOf(int channel) const
{
    if (channel < 0 || channel >= trend::ChannelCount)
        return QString();
    auto *label = m_main.session().controls.get<QLabel>(QLatin1String(UnitLabels[channel]));
    return label ? label->text() : QString();
}

QString TfrmTrend::channelTitle(int channel) const
{
    return channelTitle(channel, unitOf(channel));
}

QString TfrmTrend::channelTitle(int channel, const QString &unit) const
{
    const QString caption = m_tr(trend::channelCaption(channel));
    return unit.isEmpty() ? caption : caption + QStringLiteral(" [") + unit + QLatin1Char(']');
}

bool TfrmTrend::channelShown(int channel) const
{
    auto *box = findChild<QAbstractButton *>(QLatin1String(ChannelBoxes[channel]));
    return box && box->isChecked();
}

void TfrmTrend::pollValueRead(int slot, const QVariant &value)
{
    const int channel = trend::channelOfSlot(slot);
    if (channel < 0)
        return;
    const qint64 now = m_clock();
    const QString physId = m_main.session().device.currentPhysId;
    if (physId.compare(m_physId, Qt::CaseInsensitive) != 0) {
        // Another device: its values are not continued from the last one's.
        m_store.clear();
        m_physId = physId;
    }
    double v = std::numeric_limits<double>::quiet_NaN();
    // A device with a fault still delivers its values (256); any other outcome means
    // the read gave nothing.
    if ((m_lastValueOutcome == 0 || m_lastValueOutcome == 256) && value.isValid()) {
        // The device holds single precision, and the program shows it so.
        v = double(float(variantToDouble(value)));
        // A temperature below -200 is a sensor fault, shown as dashes: no value.
        if (channel == trend::Temperature && v < -200)
            v = std::numeric_limits<double>::quiet_NaN();
    }
    m_store.add(channel, now, v);
    m_hadContact = true;
}

void TfrmTrend::watchContact(qint64 now)
{
    const DeviceState &device = m_main.session().device;
    const bool contact = device.deviceAccepted && device.contact;
    if (!contact && m_hadContact)
        m_store.addGap(now);
    m_hadContact = contact;
}

void TfrmTrend::tiTrendRefreshTimer()
{
    watchContact(m_clock());
    if (!isVisible() || isMinimized() || ui.btnTrendPause->isChecked())
        return;
    // The 24-hour averages change once an interval: no need to draw them every second.
    const int every = ui.cmbTrendRange->currentIndex() == 1 ? int(m_store.limits().bucketMs / RefreshMs) : 1;
    if (++m_refreshTicks >= qMax(1, every)) {
        m_refreshTicks = 0;
        // Nothing new (the device not polled, the program busy elsewhere): no drawing.
        if (m_store.revision() != m_drawnRevision)
            refresh();
    }
}

void TfrmTrend::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back from minimized: the values that came meanwhile at once.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized() && !ui.btnTrendPause->isChecked()
        && m_store.revision() != m_drawnRevision)
        refresh();
}

// The time axis moves in steps of a sixtieth of its span (ten seconds of the
// ten-minute view), its end ahead of the newest value: between steps only the lines
// grow, and the labels of the axis, which are costly to lay out, stay as they are.
QPair<qint64, qint64> TfrmTrend::timeRange(qint64 newest, qint64 span)
{
    const qint64 step = qMax<qint64>(1, span / TimeSteps);
    const qint64 end = (newest / step + 1) * step;
    return {end - span, end};
}

// The value axis keeps its range while the values stay inside it and fill at least
// half of it; otherwise it takes the values with a fifth of their span as room on
// either side, so that a slowly growing value (a volume) moves it now and then, not
// with every picture.
QPair<double, double> TfrmTrend::valueRange(double low, double high, double shownLow, double shownHigh)
{
    if (low > high) {
        low = 0;
        high = 1;
    }
    const double needed = high - low;
    if (shownLow < shownHigh && shownLow <= low && high <= shownHigh && shownHigh - shownLow <= 2 * needed)
        return {shownLow, shownHigh};
    const double margin = high > low ? needed * 0.2 : qMax(1.0, std::abs(high) * 0.05);
    return {low - margin, high + margin};
}

QList<QList<QPointF>> TfrmTrend::drawnSegments(int channel) const
{
    const QList<QPointF> points = ui.cmbTrendRange->currentIndex() == 1 ? m_store.history(channel) : m_store.recent(channel);
    QList<QList<QPointF>> segments;
    QList<QPointF> current;
    for (const QPointF &p : points) {
        if (std::isnan(p.y())) {
            if (!current.isEmpty())
                segments.append(current);
            current.clear();
        } else {
            current.append(p);
        }
    }
    if (!current.isEmpty())
        segments.append(current);
    return segments;
}

void TfrmTrend::refresh()
{
    m_drawnRevision = m_store.revision();
    double low = std::numeric_limits<double>::max(), high = -std::numeric_limits<double>::max();
    QStringList units;
    for (int c = 0; c < trend::ChannelCount; ++c) {
        std::vector<QLineSeries *> &pool = m_series[size_t(c)];
        const bool shown = channelShown(c);
        const QList<QList<QPointF>> segments = shown ? drawnSegments(c) : QList<QList<QPointF>>();
        const QString unit = unitOf(c);
        const QString title = channelTitle(c, unit);
        // One series per unbroken piece; the first carries the legend entry.
        while (pool.size() < size_t(qMax<qsizetype>(1, segments.size()))) {
            auto *series = new QLineSeries();
            series->setName(title);
            // A one-pixel line is drawn as such; a wider one is stroked as an outline,
            // several times the work with every new picture.
            QPen pen(Colours[c], 1);
            pen.setCosmetic(true);
            series->setPen(pen);
            m_chart->addSeries(series);
            series->attachAxis(m_axisX);
            series->attachAxis(m_axisY);
            if (!pool.empty())
                for (QLegendMarker *marker : m_chart->legend()->markers(series))
                    marker->setVisible(false);
            pool.push_back(series);
        }
        for (size_t i = 0; i < pool.size(); ++i) {
            QLineSeries *series = pool[i];
            if (i < size_t(segments.size())) {
                series->replace(segments.at(qsizetype(i)));
                for (const QPointF &p : segments.at(qsizetype(i))) {
                    low = qMin(low, p.y());
                    high = qMax(high, p.y());
                }
            } else if (series->count()) {
                series->clear();
            }
            if (series->isVisible() != shown)
                series->setVisible(shown);
        }
        // Titles and legend change with the units and the channels chosen, not with the
        // values: set them only then (each change lays the legend out again).
        if (pool.front()->name() != title)
            pool.front()->setName(title);
        for (QLegendMarker *marker : m_chart->legend()->markers(pool.front()))
            if (marker->isVisible() != shown)
                marker->setVisible(shown);
        if (shown && !unit.isEmpty() && !units.contains(unit))
            units.append(unit);
    }
    const QString unitsTitle = units.join(QStringLiteral(" / "));
    if (m_axisY->titleText() != unitsTitle)
        m_axisY->setTitleText(unitsTitle);
    if (!m_chart->isZoomed()) {
        const bool longSpan = ui.cmbTrendRange->currentIndex() == 1;
        const qint64 now = m_store.newestMs() >= 0 ? m_store.newestMs() : m_clock();
        const qint64 span = longSpan ? m_store.limits().longSpanMs : m_store.limits().recentSpanMs;
        const QString format = longSpan ? QStringLiteral("dd.MM HH:mm") : QStringLiteral("HH:mm:ss");
        if (m_axisX->format() != format)
            m_axisX->setFormat(format);
        const QPair<qint64, qint64> x = timeRange(now, span);
        if (m_axisX->min().toMSecsSinceEpoch() != x.first || m_axisX->max().toMSecsSinceEpoch() != x.second)
            m_axisX->setRange(QDateTime::fromMSecsSinceEpoch(x.first), QDateTime::fromMSecsSinceEpoch(x.second));
        const QPair<double, double> y = valueRange(low, high, m_axisY->min(), m_axisY->max());
        if (m_axisY->min() != y.first || m_axisY->max() != y.second)
            m_axisY->setRange(y.first, y.second);
    }
    const QString paused = ui.btnTrendPause->isChecked() ? m_tr(QStringLiteral("Paused")) + QStringLiteral(" - ") : QString();
    const QString status = paused + m_tr(QStringLiteral("Meter:")) + QLatin1Char(' ') + m_physId;
    if (ui.laTrendStatus->text() != status)
        ui.laTrendStatus->setText(status);
}

void TfrmTrend::cmbTrendRangeChange()
{
    m_chart->zoomReset();
    refresh();
}

void TfrmTrend::btnTrendPauseClick()
{
    // Paused, the picture stands still; the values go on being recorded.
    ui.btnTrendPause->setText(ui.btnTrendPause->isChecked() ? m_tr(QStringLiteral("Continue")) : m_tr(QStringLiteral("Pause")));
    refresh();
}

void TfrmTrend::btnTrendResetZoomClick()
{
    m_chart->zoomReset();
    refresh();
}

void TfrmTrend::cbTrendChannelClick()
{
    refresh();
}

bool TfrmTrend::exportCsv(const QString &path, QString *error) const
{
    const QByteArray csv = ui.cmbTrendRange->currentIndex() == 1 ? m_store.historyCsv() : m_store.recentCsv();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool TfrmTrend::exportPng(const QString &path, QString *error)
{
    refresh();
    const QPixmap picture = chartView->grab();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// Asks where to save (caption, kind of file, its extension), writes there with write
// and tells the operator when that failed.
void TfrmTrend::exportAs(const QString &caption, const QString &kind, const QString &extension,
                         const std::function<bool(const QString &, QString *)> &write)
{
    DialogService *dialogs = m_main.session().dialogs;
    if (!dialogs)
        return;
    const QString path = dialogs->getSaveFileName(this, m_tr(caption), m_main.dataDirectory(),
                                                  m_tr(kind) + QStringLiteral(" (*.%1)|*.%1").arg(extension), extension);
    if (path.isEmpty())
        return;
    QString error;
    if (!write(path, &error))
        krtools::warnNotWritten(*dialogs, this, m_tr, path, error);
}

void TfrmTrend::btnTrendExportCsvClick()
{
    exportAs(QStringLiteral("Export CSV..."), QStringLiteral("CSV file"), QStringLiteral("csv"),
             [this](const QString &path, QString *error) { return exportCsv(path, error); });
}

void TfrmTrend::btnTrendExportPngClick()
{
    exportAs(QStringLiteral("Export PNG..."), QStringLiteral("PNG picture"), QStringLiteral("png"),
             [this](const QString &path, QString *error) { return exportPng(path, error); });
}

void TfrmTrend::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void TfrmTrend::closeEvent(QCloseEvent *event)
{
    krtools::savePlace(this, m_main.settingsSection(), QStringLiteral("Trend"));
    QWidget::closeEvent(event);
}
