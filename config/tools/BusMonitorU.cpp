#include "BusMonitorU.h"

#include "ConfigKR715U.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QScrollBar>
#include <QTimer>

BusMonitorModel::BusMonitorModel(const krtools::Translate &tr, QObject *parent) : QAbstractTableModel(parent)
{
    m_headers = {tr(QStringLiteral("Time")),  tr(QStringLiteral("Access")), tr(QStringLiteral("Variable")),
                 tr(QStringLiteral("Member")), tr(QStringLiteral("Value")), tr(QStringLiteral("Error code"))};
}

void BusMonitorModel::setEntries(QList<monitor::Entry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int BusMonitorModel::append(const QList<monitor::Entry> &entries, int limit, bool shiftInPlace)
{
    if (shiftInPlace && !entries.isEmpty() && m_entries.size() == limit) {
        const qsizetype n = qMin<qsizetype>(entries.size(), limit);
        m_entries.remove(0, n);
        m_entries.append(entries.mid(entries.size() - n));
        emit dataChanged(index(0, 0), index(limit - 1, ColumnCount - 1), {Qt::DisplayRole});
        return int(n);
    }
    if (!entries.isEmpty()) {
        const int first = int(m_entries.size());
        beginInsertRows(QModelIndex(), first, first + int(entries.size()) - 1);
        m_entries.append(entries);
        endInsertRows();
    }
    const int excess = int(m_entries.size()) - limit;
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, excess - 1);
        m_entries.remove(0, excess);
        endRemoveRows();
    }
    return 0;
}

int BusMonitorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int BusMonitorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BusMonitorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return QVariant();
    const monitor::Entry &e = m_entries.at(index.row());
    if (role == Qt::ForegroundRole && e.errorCode != 0)
        return QColor(Qt::red);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (index.column() == ErrorCode)
        return e.errorCode;
    return text(index.row(), index.column());
}

// The rows are written as text here, when they are shown: recording made no text.
QString BusMonitorModel::text(int row, int column) const
{
    const monitor::Entry &e = m_entries.at(row);
    switch (column) {
    case Time:
        // The accesses of one tick share their time: written once for them.
        if (e.ms != m_timeMs) {
            m_timeMs = e.ms;
            m_timeText = QDateTime::fromMSecsSinceEpoch(e.ms).toString(QStringLiteral("HH:mm:ss.zzz"));
        }
        return m_timeText;
    case Access:
        return automation::accessKindText(e.kind);
    case Variable:
        return e.variable;
    case Member:
        return e.member;
    case Value:
        return e.valueText();
    case ErrorCode:
        return QString::number(e.errorCode);
    default:
        return QString();
    }
}

bool BusMonitorModel::failed(int row) const
{
    return m_entries.at(row).errorCode != 0;
}

// Each cell is one line of plain text, drawn directly, without the style's measuring
// of the item (check box, icon, size, elision), which costs several text layouts a
// cell. Most texts come again and again (get/put/call, the members, the variables,
// many values): they are laid out once and kept, so a new row mostly costs only the
// drawing of its glyphs. Rows come in every second: this is most of what the open
// monitor costs.
BusMonitorDelegate::BusMonitorDelegate(QAbstractItemView *view) : QStyledItemDelegate(view)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    m_gridColour = QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    m_margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
}

const QStaticText &BusMonitorDelegate::laidOut(const QString &text) const
{
    auto found = m_texts.constFind(text);
    if (found != m_texts.constEnd())
        return found.value();
    // Bounded: an unusual run of distinct values only starts the store again.
    if (m_texts.size() >= MaxKeptTexts)
        m_texts.clear();
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    return m_texts.insert(text, laid).value();
}

void BusMonitorDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const BusMonitorModel *>(index.model());
    if (!model || index.row() >= model->rowCount()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect &rect = option.rect;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(rect, option.palette.brush(group, QPalette::Highlight));
    // The grid: a line under the cell and one at its right.
    painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), m_gridColour);
    painter->fillRect(QRect(rect.right(), rect.top(), 1, rect.height() - 1), m_gridColour);

    const QString text = model->text(index.row(), index.column());
    if (text.isEmpty())
        return;
    // Times change with every tick: not kept, but the rows of one tick (drawn one after
    // the other) share the layout of theirs.
    const bool time = index.column() == BusMonitorModel::Time;
    if (time && text != m_lastTime) {
        m_lastTime = text;
        m_lastTimeText = QStaticText(text);
        m_lastTimeText.setTextFormat(Qt::PlainText);
    }
    const QStaticText &laid = time ? m_lastTimeText : laidOut(text);
    QColor colour = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (model->failed(index.row()) && !selected)
        colour = QColor(Qt::red);
    painter->setPen(colour);
    const QRect area = rect.adjusted(m_margin, 0, -m_margin - 1, -1);
    const QSizeF size = laid.size();
    const QPointF at(area.left(), area.top() + (area.height() - size.height()) / 2);
    if (size.width() <= area.width()) {
        painter->drawStaticText(at, laid);
        return;
    }
    // Too wide for the column: cut short with an ellipsis, as the list always did (kept
    // too, for the width of the column).
    const QString key = text + QChar(0x1F) + QString::number(area.width());
    auto found = m_elided.constFind(key);
    if (found == m_elided.constEnd()) {
        if (m_elided.size() >= MaxKeptTexts)
            m_elided.clear();
        QStaticText cut(option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
        cut.setTextFormat(Qt::PlainText);
        found = m_elided.insert(key, cut);
    }
    painter->drawStaticText(QPointF(area.left(), area.top() + (area.height() - found.value().size().height()) / 2),
                            found.value());
}

QVariant BusMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

TfrmBusMonitor::TfrmBusMonitor(TfrmKR715Config &main, int capacity, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_tr(krtools::translatorOf(main)), m_buffer(capacity)
{
    ui.setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    krtools::translateForm(this, m_tr);
    m_clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    m_model = new BusMonitorModel(m_tr, this);
    ui.tvMonitor->setModel(m_model);
    ui.tvMonitor->setItemDelegate(new BusMonitorDelegate(ui.tvMonitor));
    ui.tvMonitor->setShowGrid(false); // the delegate draws it
    ui.tvMonitor->verticalHeader()->hide();
    ui.tvMonitor->verticalHeader()->setDefaultSectionSize(ui.tvMonitor->fontMetrics().height() + 4);
    ui.tvMonitor->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.tvMonitor->setWordWrap(false);
    ui.tvMonitor->horizontalHeader()->setStretchLastSection(true);
    ui.tvMonitor->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.tvMonitor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.tvMonitor->setColumnWidth(BusMonitorModel::Time, 90);
    ui.tvMonitor->setColumnWidth(BusMonitorModel::Access, 50);
    ui.tvMonitor->setColumnWidth(BusMonitorModel::Variable, 130);
    ui.tvMonitor->setColumnWidth(BusMonitorModel::Member, 130);
    ui.tvMonitor->setColumnWidth(BusMonitorModel::Value, 120);

    tiMonitorRefresh = new QTimer(this);
    tiMonitorRefresh->setObjectName(QStringLiteral("tiMonitorRefresh"));
    tiMonitorRefresh->setInterval(RefreshMs);
    connect(tiMonitorRefresh, &QTimer::timeout, this, &TfrmBusMonitor::tiMonitorRefreshTimer);
    connect(ui.edMonitorFilter, &QLineEdit::textChanged, this, &TfrmBusMonitor::edMonitorFilterChange);
    connect(ui.btnMonitorPause, &QAbstractButton::clicked, this, &TfrmBusMonitor::btnMonitorPauseClick);
    connect(ui.btnMonitorClear, &QAbstractButton::clicked, this, &TfrmBusMonitor::btnMonitorClearClick);
}

TfrmBusMonitor::~TfrmBusMonitor()
{
    stopRecording();
}

void TfrmBusMonitor::startRecording()
{
    if (m_observer)
        return;
    m_observer = automation::addAccessObserver([this](const automation::Access &access) {
        m_buffer.add(access, m_clock());
    });
    tiMonitorRefresh->start();
}

void TfrmBusMonitor::stopRecording()
{
    if (m_observer)
        automation::removeAccessObserver(m_observer);
    m_observer = 0;
    tiMonitorRefresh->stop();
}

void TfrmBusMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    startRecording();
    refresh();
}

void TfrmBusMonitor::closeEvent(QCloseEvent *event)
{
    krtools::savePlace(this, m_main.settingsSection(), QStringLiteral("BusMonitor"));
    stopRecording();
    QWidget::closeEvent(event);
}

void TfrmBusMonitor::tiMonitorRefreshTimer()
{
    // Hidden, minimized or paused, the window shows nothing new: only the record goes on.
    if (!isVisible() || isMinimized() || ui.btnMonitorPause->isChecked())
        return;
    showRate();
    if (m_buffer.total() != m_shownTotal)
        refresh();
}

void TfrmBusMonitor::showRate()
{
    const int perSecond = m_buffer.perSecond(m_clock());
    if (perSecond == m_shownRate)
        return;
    m_shownRate = perSecond;
    ui.laMonitorRate->setText(m_tr(QStringLiteral("Accesses per second:")) + QLatin1Char(' ') + QString::number(perSecond));
}

void TfrmBusMonitor::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Back from minimized: what came meanwhile at once.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMinimized())
        tiMonitorRefreshTimer();
}

void TfrmBusMonitor::refresh()
{
    if (ui.btnMonitorPause->isChecked())
        return;
    const QString filter = ui.edMonitorFilter->text().trimmed();
    const qint64 added = m_buffer.total() - m_shownTotal;
    QScrollBar *bar = ui.tvMonitor->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (m_shownTotal >= 0 && filter == m_shownFilter && added <= m_buffer.size()) {
        // Only what came since: the list grows at its end and drops its oldest rows.
        QList<monitor::Entry> fresh;
        for (int i = m_buffer.size() - int(added); i < m_buffer.size(); ++i)
            if (monitor::MonitorBuffer::matches(m_buffer.at(i), filter))
                fresh.append(m_buffer.at(i));
        // A full list with no row chosen moves its contents up (and the view its picture:
        // only the new rows are drawn); with a chosen row, rows go and come, so that the
        // choice stays with its access.
        ui.tvMonitor->beginShift();
        const int shifted = m_model->append(fresh, qMin(ShownRows, m_buffer.capacity()),
                                            !ui.tvMonitor->selectionModel()->hasSelection());
        ui.tvMonitor->endShift(shifted);
    } else {
        QList<monitor::Entry> shown;
        for (int i = m_buffer.size() - 1; i >= 0 && shown.size() < ShownRows; --i)
            if (monitor::MonitorBuffer::matches(m_buffer.at(i), filter))
                shown.append(m_buffer.at(i));
        std::reverse(shown.begin(), shown.end());
        m_model->setEntries(std::move(shown));
    }
    if (atEnd)
        ui.tvMonitor->scrollToBottom();
    m_shownTotal = m_buffer.total();
    m_shownFilter = filter;
    if (m_buffer.size() != m_shownSize) {
        m_shownSize = m_buffer.size();
        ui.laMonitorCount->setText(m_tr(QStringLiteral("Held:")) + QLatin1Char(' ') + QString::number(m_buffer.size())
                                   + QLatin1Char('/') + QString::number(m_buffer.capacity()));
    }
}

void TfrmBusMonitor::edMonitorFilterChange()
{
    refresh();
}

void TfrmBusMonitor::btnMonitorPauseClick()
{
    // Paused, the list stands still so it can be read; the record goes on.
    ui.btnMonitorPause->setText(ui.btnMonitorPause->isChecked() ? m_tr(QStringLiteral("Continue"))
                                                                : m_tr(QStringLiteral("Pause")));
    refresh();
}

void TfrmBusMonitor::btnMonitorClearClick()
{
    m_buffer.clear();
    m_shownTotal = -1; // the list is made again
    const bool paused = ui.btnMonitorPause->isChecked();
    ui.btnMonitorPause->setChecked(false);
    refresh();
    ui.btnMonitorPause->setChecked(paused);
}
