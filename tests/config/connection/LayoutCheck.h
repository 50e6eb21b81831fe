#pragma once
// Checks of what the operator can read on a form: the room a line edit has for its
// text, and the captions, button texts, group titles and list entries of a tab page
// that are cut (or reach beyond the page).
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabWidget>

namespace layoutcheck {


// The width a line edit has for its text.
inline int textRoom(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    room = room.marginsRemoved(edit->textMargins());
    return room.width() - 2 * 2; // the line edit's own margin left and right of the text
}

inline QString where(const QWidget *w) { return w->objectName() + QLatin1String(" (") + w->metaObject()->className() + QLatin1Char(')'); }

// Every caption of the controls on one tab page, as a list of problems.
inline QStringList cutCaptions(QWidget *page)
{
    QStringList problems;
    const QRect pageRect = page->rect();
    for (QWidget *w : page->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(page) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect onPage(w->mapTo(page, QPoint(0, 0)), w->size());
        if (!pageRect.contains(onPage))
            problems << where(w) + QLatin1String(" reaches beyond its tab page");
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->wordWrap() && !label->text().isEmpty()
                                                       && label->pixmap().isNull()) {
            if (label->sizeHint().width() > label->width() + 1 || label->fontMetrics().height() > label->height())
                problems << where(w) + QLatin1String(" cuts \"") + label->text() + QLatin1Char('"');
        } else if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty()) {
            if (button->sizeHint().width() > button->width() + 1)
                problems << where(w) + QLatin1String(" cuts \"") + button->text() + QLatin1Char('"');
        } else if (auto *group = qobject_cast<QGroupBox *>(w); group && !group->title().isEmpty()) {
            if (group->fontMetrics().horizontalAdvance(group->title()) + 16 > group->width())
                problems << where(w) + QLatin1String(" cuts \"") + group->title() + QLatin1Char('"');
        } else if (auto *list = qobject_cast<QComboBox *>(w); list && !list->isEditable()) {
            // Each entry can be read in the closed list, selected, and in its drop-down.
            QStyleOptionComboBox option;
            option.initFrom(list);
            option.rect = list->rect();
            option.editable = false;
            option.frame = list->hasFrame();
            const int room = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list).width() - 2;
            for (int i = 0; i < list->count(); ++i)
                if (list->fontMetrics().horizontalAdvance(list->itemText(i)) > room)
                    problems << where(w) + QLatin1String(" cuts \"") + list->itemText(i) + QLatin1Char('"');
        }
    }
    return problems;
}


// Shows the whole content of a tab page, also the parts a setting shows only in some
// modes (of the lamp pairs the "on" lamp), for cutCaptions.
inline void showWholePage(QWidget *page)
{
    for (QWidget *w : page->findChildren<QWidget *>())
        if (!w->objectName().startsWith(QLatin1String("qt_")) && w->isHidden()
            && !qobject_cast<QTabWidget *>(w->parentWidget()) && !w->objectName().contains(QLatin1String("Off")))
            w->show();
}

} // namespace layoutcheck
