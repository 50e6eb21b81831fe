#pragma once
// The list of the bus monitor: a table whose model can move its contents up by a number
// of rows in one step (the oldest rows drop out at the top, the newest come in at the
// bottom, the number of rows stays). The view then moves the pixels it shows by as many
// rows and draws only the rows that came in, instead of drawing every row again.
#include <QTableView>

class BusMonitorView : public QTableView {
    Q_OBJECT
public:
    explicit BusMonitorView(QWidget *parent = nullptr);

    // Around a move of the model's contents by rows: the model's report of changed data
    // in between draws nothing, endShift moves the picture and draws what came in.
    void beginShift();
    void endShift(int rows);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    bool m_shifting = false;
};
