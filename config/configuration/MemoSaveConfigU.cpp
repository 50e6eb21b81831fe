#include "MemoSaveConfigU.h"
#include "ConfigFileText.h"

#include <QFont>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

TfrmSaveConfigMemo::TfrmSaveConfigMemo(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setMinimumSize(MinimumWidth, MinimumHeight);

    // A fixed-pitch font, so that descriptions laid out with blanks and tabs keep
    // their columns.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(16);
    ui.reSaveConfig->setFont(font);
    ui.reSaveConfig->setTabChangesFocus(false);
    ui.reSaveConfig->setLineWrapMode(QPlainTextEdit::NoWrap);

    connect(ui.btnSaveMemo, &QPushButton::clicked, this, &TfrmSaveConfigMemo::btnSaveMemoClick);
    connect(ui.btnCancelSaveMemo, &QPushButton::clicked, this, &TfrmSaveConfigMemo::btnCancelSaveMemoClick);

    centreOnScreen();
    ui.reSaveConfig->setFocus(Qt::OtherFocusReason);
}

void TfrmSaveConfigMemo::centreOnScreen()
{
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TfrmSaveConfigMemo::btnSaveMemoClick() { accept(); }

void TfrmSaveConfigMemo::btnCancelSaveMemoClick() { reject(); }

QStringList TfrmSaveConfigMemo::lines() const { return linesOfText(ui.reSaveConfig->toPlainText()); }

void TfrmSaveConfigMemo::addLines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    ui.reSaveConfig->setPlainText(textOfLines(this->lines() + lines));
}

QStringList TfrmSaveConfigMemo::linesOfText(const QString &text)
{
    return configfile::linesOfText(text);
}

QString TfrmSaveConfigMemo::textOfLines(const QStringList &lines)
{
    QString text = lines.join(QLatin1Char('\n'));
    // A last line that is empty needs its own line end to be a line at all.
    if (!lines.isEmpty() && lines.last().isEmpty())
        text += QLatin1Char('\n');
    return text;
}
