#pragma once
// Bus monitor: the program's accesses of the process-variable server as they happen
// (time, get/put/call, variable, member, value, error code), the same lines as the bus
// trace file, fed by the automation layer. Filter, pause, accesses per second. The
// record is a ring of the newest accesses, so memory stays bounded; it records while
// the window is open.
#include "MonitorBuffer.h"
#include "ToolSupport.h"
#include "ui_BusMonitorU.h"

#include <QAbstractTableModel>
#include <QAbstractItemView>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>

class QTimer;
class TfrmKR715Config;

// The rows shown: a copy of the matching entries, the newest last.
class BusMonitorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Access, Variable, Member, Value, ErrorCode, ColumnCount };
    explicit BusMonitorModel(const krtools::Translate &translate, QObject *parent = nullptr);
    void setEntries(QList<monitor::Entry> entries);
    // Adds entries at the end and drops the oldest beyond limit rows. shiftInPlace: a
    // full list keeps its number of rows and moves its contents up (one change of data,
    // no rows removed and inserted: the view's scroll range stays as it is).
    // Returns the number of rows the contents moved (0: rows were inserted and removed).
    int append(const QList<monitor::Entry> &entries, int limit, bool shiftInPlace = false);
    const QList<monitor::Entry> &entries() const { return m_entries; }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The text of a cell as shown; whether the access of a row failed.
    QString text(int row, int column) const;
    bool failed(int row) const;

private:
    QList<monitor::Entry> m_entries;
    QStringList m_headers;
    mutable qint64 m_timeMs = -1; // the time last written, and its text
    mutable QString m_timeText;
};

// Draws the cells of the list as single lines of plain text (red for a failed access)
// with the grid of a table, keeping the layout of the texts that recur.
class BusMonitorDelegate : public QStyledItemDelegate {
public:
    static constexpr int MaxKeptTexts = 1000;
    explicit BusMonitorDelegate(QAbstractItemView *view);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // The text laid out, kept for the next time.
    const QStaticText &laidOut(const QString &text) const;

    mutable QHash<QString, QStaticText> m_texts;
    mutable QHash<QString, QStaticText> m_elided; // by text and width
    mutable QString m_lastTime;                   // the time last drawn, laid out
    mutable QStaticText m_lastTimeText;
    QColor m_gridColour;
    int m_margin = 3;
};

class TfrmBusMonitor : public QWidget {
    Q_OBJECT
public:
    static constexpr int RefreshMs = 1000;
    // At most this many of the newest matching entries are shown.
    static constexpr int ShownRows = 2000;

    explicit TfrmBusMonitor(TfrmKR715Config &main, int capacity = monitor::MonitorBuffer::DefaultCapacity,
                            QWidget *parent = nullptr);
    ~TfrmBusMonitor() override;

    Ui::TfrmBusMonitor ui;
    QTimer *tiMonitorRefresh = nullptr;
    BusMonitorModel *model() const { return m_model; }
    monitor::MonitorBuffer &buffer() { return m_buffer; }
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    bool recording() const { return m_observer != 0; }

    // Handlers
    void edMonitorFilterChange();
    void btnMonitorPauseClick();
    void btnMonitorClearClick();
    void tiMonitorRefreshTimer();
    // Shows what the record holds now (unless paused).
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void startRecording();
    void stopRecording();
    void showRate();

    TfrmKR715Config &m_main;
    krtools::Translate m_tr;
    monitor::MonitorBuffer m_buffer;
    BusMonitorModel *m_model = nullptr;
    std::function<qint64()> m_clock;
    int m_observer = 0;
    qint64 m_shownTotal = -1;   // the buffer's total when the list was last brought up to date
    QString m_shownFilter;
    int m_shownRate = -1;    // the count per second shown
    int m_shownSize = -1;    // the number of entries held shown
};
