#pragma once
// The designer's one way to ask and tell the user: message boxes and file
// dialogs. Every text reaches it already translated.

#include <QString>

class QWidget;

class KrDialogService {
public:
    virtual ~KrDialogService() = default;
    // A warning with an OK button.
    virtual void Warning(QWidget *parent, const QString &title, const QString &text);
    // A question with Yes and No; true for Yes.
    virtual bool Question(QWidget *parent, const QString &title, const QString &text);
    // A question with Yes, No and Cancel: 1 Yes, 0 No, -1 Cancel.
    virtual int QuestionCancel(QWidget *parent, const QString &title, const QString &text);
    // File names; empty when the user cancels.
    virtual QString OpenFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filter);
    virtual QString SaveFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filter);
    virtual QString DirectoryName(QWidget *parent, const QString &title, const QString &directory);
};
