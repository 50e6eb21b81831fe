#include "DialogService.h"
#include "KRLanguage.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPushButton>

DialogService::DialogService(TKRLanguage *language, QObject *parent)
    : QObject(parent), m_language(language)
{
}

QString DialogService::title()
{
    return QGuiApplication::applicationDisplayName();
}

QString DialogService::buttonText(const char *english) const
{
    const QString text = QString::fromLatin1(english);
    return krTranslate(m_language, text);
}

int DialogService::runMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title(), text, buttons, parent);
    box.setObjectName(QLatin1String(messageBoxName));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(defaultButton);
    if (m_language) {
        static const struct {
            QMessageBox::StandardButton button;
            const char *text;
        } names[] = {{QMessageBox::Ok, "OK"}, {QMessageBox::Yes, "Yes"}, {QMessageBox::No, "No"}};
        for (const auto &n : names) {
            if (QAbstractButton *b = box.button(n.button))
                b->setText(buttonText(n.text));
        }
    }
    return box.exec();
}

void DialogService::warning(QWidget *parent, const QString &text)
{
    runMessageBox(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool DialogService::question(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    return runMessageBox(parent, icon, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

void DialogService::information(QWidget *parent, const QString &text)
{
    runMessageBox(parent, QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

QString DialogService::cleanSuffix(const QString &suffix)
{
    QString s = suffix.trimmed();
    if (s.startsWith(QLatin1Char('*')))
        s.remove(0, 1);
    if (s.startsWith(QLatin1Char('.')))
        s.remove(0, 1);
    // "*" or "*.*" means no particular suffix.
    if (s.contains(QLatin1Char('*')) || s.contains(QLatin1Char('?')))
        return QString();
    return s;
}

QStringList DialogService::convertFilter(const QString &filter)
{
    QStringList result;
    if (filter.trimmed().isEmpty())
        return result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        QString patternText = i + 1 < parts.size() ? parts.at(i + 1).trimmed() : QString();
        if (description.isEmpty() && patternText.isEmpty())
            continue;
        QStringList patterns;
        for (const QString &pattern : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (p.isEmpty())
                continue;
            patterns.append(p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        // The description usually repeats the patterns in parentheses; Qt reads the
        // patterns from the last parentheses, so they are written there once.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        const QString patternList = patterns.join(QLatin1Char(' '));
        result.append(description.isEmpty()
                          ? QStringLiteral("(%1)").arg(patternList)
                          : QStringLiteral("%1 (%2)").arg(description, patternList));
    }
    return result;
}

QString DialogService::runFileDialog(QWidget *parent, bool save, const QString &caption,
                                     const QString &dir, const QString &filter,
                                     const QString &defaultSuffix)
{
    QFileDialog dialog(parent, caption, dir);
    dialog.setObjectName(QLatin1String(fileDialogName));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList filters = convertFilter(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    const QString suffix = cleanSuffix(defaultSuffix);
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QString DialogService::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(parent, true, caption, dir, filter, defaultSuffix);
}

QString DialogService::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(parent, false, caption, dir, filter, defaultSuffix);
}
