#include "ToolSupport.h"

#include "ConfigKR715U.h"
#include "DialogService.h"
#include "KRLanguage.h"
#include "RegistryClient.h"
#include "WindowPlace.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>

namespace krtools {

Translate translatorOf(TfrmKR715Config &main)
{
    QPointer<TKRLanguage> language = main.lanTrans;
    return [language](const QString &text) { return language ? language->Translate(text) : text; };
}

void translateForm(QWidget *form, const Translate &tr)
{
    form->setWindowTitle(tr(form->windowTitle()));
    for (QLabel *label : form->findChildren<QLabel *>())
        if (!label->text().isEmpty())
            label->setText(tr(label->text()));
    for (QAbstractButton *button : form->findChildren<QAbstractButton *>())
        if (!button->text().isEmpty())
            button->setText(tr(button->text()));
    for (QGroupBox *group : form->findChildren<QGroupBox *>())
        group->setTitle(tr(group->title()));
    for (QComboBox *list : form->findChildren<QComboBox *>())
        for (int i = 0; i < list->count(); ++i)
            list->setItemText(i, tr(list->itemText(i)));
}

void restorePlace(QWidget *window, const QString &section, const QString &prefix)
{
    RegistryClient registry(section);
    int left = 0, top = 0, width = 0, height = 0;
    if (!registry.readInteger(QString(), prefix + QStringLiteral("Width"), width)
        || !registry.readInteger(QString(), prefix + QStringLiteral("Height"), height) || width <= 0 || height <= 0)
        return; // never placed: the window opens where the system puts it
    registry.readInteger(QString(), prefix + QStringLiteral("Left"), left);
    registry.readInteger(QString(), prefix + QStringLiteral("Top"), top);
    windowplace::restore(window, QPoint(left, top), QSize(width, height));
}

void savePlace(QWidget *window, const QString &section, const QString &prefix)
{
    RegistryClient registry(section);
    const QRect frame = window->frameGeometry();
    registry.writeInteger(QString(), prefix + QStringLiteral("Left"), frame.left());
    registry.writeInteger(QString(), prefix + QStringLiteral("Top"), frame.top());
    registry.writeInteger(QString(), prefix + QStringLiteral("Width"), window->width());
    registry.writeInteger(QString(), prefix + QStringLiteral("Height"), window->height());
}

void warnNotWritten(DialogService &dialogs, QWidget *parent, const Translate &translate, const QString &path,
                    const QString &error)
{
    dialogs.warning(parent, translate(QStringLiteral("The file could not be written:")) + QLatin1Char('\n') + path
                                + QLatin1Char('\n') + error);
}

} // namespace krtools
