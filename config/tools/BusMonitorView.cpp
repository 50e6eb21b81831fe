#include "BusMonitorView.h"

#include <QHeaderView>

BusMonitorView::BusMonitorView(QWidget *parent) : QTableView(parent) {}

void BusMonitorView::beginShift()
{
    m_shifting = true;
}

void BusMonitorView::endShift(int rows)
{
    m_shifting = false;
    if (rows <= 0)
        return;
    // Every row has the same height: row r now shows what row r + rows showed.
    const int step = verticalHeader()->defaultSectionSize();
    QWidget *area = viewport();
    if (verticalHeader()->sectionResizeMode(0) == QHeaderView::Fixed && step > 0 && rows < area->height() / step) {
        area->scroll(0, -rows * step); // what scrolls in at the bottom is drawn
    } else {
        area->update();
    }
}

void BusMonitorView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (m_shifting)
        return;
    QTableView::dataChanged(topLeft, bottomRight, roles);
}
