#pragma once
// The one place that shows operator messages and file dialogs. Callers pass texts
// already translated; the title of every dialog is the application's display name,
// and the button texts pass through the translator when one is set. All dialogs are
// real modal dialogs run with exec(), so tests answer them as an operator would.
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "KRLanguage.h"

class QWidget;


class DialogService : public QObject {
    Q_OBJECT
public:
    // language may be null: button texts then stay as Qt gives them.
    explicit DialogService(TKRLanguage *language, QObject *parent = nullptr);

    TKRLanguage *language() const { return m_language; }
    void setLanguage(TKRLanguage *language) { m_language = language; }
    // Title of the dialogs: the application display name.
    static QString title();

    // A warning with an OK button.
    void warning(QWidget *parent, const QString &text);
    // A question with Yes and No; true only for Yes.
    bool question(QWidget *parent, const QString &text,
                  QMessageBox::Icon icon = QMessageBox::Warning);
    // A plain message with an OK button.
    void information(QWidget *parent, const QString &text);

    // File dialogs; filter in the form "Description (*.txt)|*.txt|(*.*)|*.*", default
    // suffix with or without "*." ("*.txt", ".txt" and "txt" are the same). An empty
    // result means cancelled. Saving over an existing file asks nothing: the caller
    // decides what happens to its content.
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter, const QString &defaultSuffix = QString());
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter, const QString &defaultSuffix = QString());

    // "Description (*.txt)|*.txt|(*.*)|*.*" as Qt name filters. Patterns separated by
    // ";" become space separated; "*.*" (all files) becomes "*". Empty gives no filter.
    static QStringList convertFilter(const QString &filter);
    // "*.txt" -> "txt".
    static QString cleanSuffix(const QString &suffix);

    // Object names of the dialogs, for finding them.
    static constexpr const char *messageBoxName = "krMessageBox";
    static constexpr const char *fileDialogName = "krFileDialog";

private:
    int runMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                      QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton);
    QString runFileDialog(QWidget *parent, bool save, const QString &caption, const QString &dir,
                          const QString &filter, const QString &defaultSuffix);
    QString buttonText(const char *english) const;

    QPointer<TKRLanguage> m_language;
};
