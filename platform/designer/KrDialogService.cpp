#include "KrDialogService.h"

#include <QFileDialog>
#include <QMessageBox>

void KrDialogService::Warning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool KrDialogService::Question(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int KrDialogService::QuestionCancel(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return 1;
    case QMessageBox::No:
        return 0;
    default:
        return -1;
    }
}

QString KrDialogService::OpenFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QString KrDialogService::SaveFileName(QWidget *parent, const QString &title, const QString &directory, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, directory, filter);
}

QString KrDialogService::DirectoryName(QWidget *parent, const QString &title, const QString &directory)
{
    return QFileDialog::getExistingDirectory(parent, title, directory);
}
