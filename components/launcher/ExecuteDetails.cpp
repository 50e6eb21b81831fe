#include "ExecuteDetails.h"

#include <QLineEdit>

TfrmExecuteDetails::TfrmExecuteDetails(std::function<QString(const QString &)> describe, QWidget *parent)
    : QWidget(parent), m_describe(std::move(describe))
{
    ui.setupUi(this);
    // The form's texts pass through the library's translation like every other
    // text of the component.
    ui.grpExecProc->setTitle(tr("Program or document to open"));
    ui.laHint->setText(tr("Parameters for the program and its working folder are set in the elements "
                          "\"Execute params\" and \"Start in\". Parameters are passed as words, split at "
                          "blanks; quotes and backslashes group them. Nothing else in them is interpreted."));
}

void TfrmExecuteDetails::WatchEdit(QLineEdit *edit)
{
    if (!edit)
        return;
    connect(edit, &QLineEdit::textChanged, this, &TfrmExecuteDetails::ExecProcChange);
    ExecProcChange(edit->text());
}

void TfrmExecuteDetails::ExecProcChange(const QString &execProc)
{
    ui.laFound->setText(m_describe ? m_describe(execProc) : QString());
}
