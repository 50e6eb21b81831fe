#pragma once
// TfrmExecuteDetails: the property page of the execute button. It holds the
// file selector that picks ExecProc and tells the operator, while the name is
// typed or chosen, what a click will start (or why nothing can be started).

#include "ui_ExecuteDetails.h"

#include <QWidget>
#include <functional>

class TfrmExecuteDetails : public QWidget {
    Q_OBJECT
public:
    // describe: the line shown for a program name.
    TfrmExecuteDetails(std::function<QString(const QString &)> describe, QWidget *parent);

    // The panel the file selector shows its page in.
    QWidget *FileSelectPanel() const { return ui.pnFileSelect; }
    // Follows the selector's name edit from now on.
    void WatchEdit(class QLineEdit *edit);
    // The name changed: shows what it starts.
    void ExecProcChange(const QString &execProc);
    QString FoundText() const { return ui.laFound->text(); }

private:
    Ui::TfrmExecuteDetails ui;
    std::function<QString(const QString &)> m_describe;
};
