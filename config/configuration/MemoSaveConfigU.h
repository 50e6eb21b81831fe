#pragma once
// Configuration memo: the free-text setup description kept in a configuration file.
// Shown modally before a register set is saved to a file or loaded from one; the
// operator reads and edits the description and continues (OK) or cancels.
//
// The description is held as lines of text: a final line end adds no empty line, so
// a description read from a file and shown unchanged gives back the same lines.

#include "ui_MemoSaveConfigU.h"

#include <QDialog>
#include <QStringList>

class TfrmSaveConfigMemo : public QDialog {
    Q_OBJECT
public:
    // The dialog can be made larger, not smaller than this.
    static constexpr int MinimumWidth = 349;
    static constexpr int MinimumHeight = 213;

    explicit TfrmSaveConfigMemo(QWidget *parent = nullptr);

    Ui::TfrmSaveConfigMemo ui;

    // "Continue" (or the caption the caller gives it): closes with the result OK.
    void btnSaveMemoClick();
    // "Cancel": closes with the result Cancel.
    void btnCancelSaveMemoClick();

    // The lines of the description as the memo holds them.
    QStringList lines() const;
    // Appends lines to the description.
    void addLines(const QStringList &lines);

    // Text to lines and back: lines end at CR LF, LF or CR; a final line end adds no
    // empty line, and an empty text has no lines.
    static QStringList linesOfText(const QString &text);
    static QString textOfLines(const QStringList &lines);

private:
    void centreOnScreen();
};
