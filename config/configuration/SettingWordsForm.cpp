#include "SettingWordsForm.h"

#include "KRComboBox.h"
#include "SettingWords.h"
#include "ToolkitControls.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>

void applySettingWords(QWidget *form)
{
    if (!form)
        return;
    for (const settingwords::Setting &setting : settingwords::settings()) {
        if (auto *group = form->findChild<TRadioGroup *>(setting.list)) {
            group->setItems(setting.entries);
        } else if (auto *list = form->findChild<QComboBox *>(setting.list)) {
            const QSignalBlocker blocker(list);
            list->clear();
            list->addItems(setting.entries);
            if (auto *krList = qobject_cast<TKRComboBox *>(list))
                krList->setValueItems(setting.valueItems);
        } else {
            continue; // a list of another tab
        }
        if (auto *group = form->findChild<QGroupBox *>(setting.groupControl))
            group->setTitle(setting.groupTitle);
        if (!setting.labelControl.isEmpty())
            if (auto *label = form->findChild<QLabel *>(setting.labelControl))
                label->setText(setting.label);
    }
}
