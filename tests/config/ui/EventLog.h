#pragma once
// Records the events of the data-entry controls in the order they fire.
#include "KRComboBox.h"
#include "KREdit.h"

#include <QStringList>

// Connections end with the log, so controls that outlive it never write into it.
class EventLog : public QObject {
public:
    void watch(TKREdit *edit)
    {
        QObject::connect(edit, &TKREdit::OnChange, this, [this](QObject *) { log << "OnChange"; });
        QObject::connect(edit, &TKREdit::OnKREditUpDate, this, [this](QObject *) { log << "OnKREditUpDate"; });
        QObject::connect(edit, &TKREdit::OnEnter, this, [this](QObject *) { log << "OnEnter"; });
        QObject::connect(edit, &TKREdit::OnExit, this, [this](QObject *) { log << "OnExit"; });
        QObject::connect(edit, &TKREdit::OnKeyDown, this, [this](QObject *, int) { log << "OnKeyDown"; });
        QObject::connect(edit, &TKREdit::OnKeyPress, this, [this](QObject *, QChar c) { log << QStringLiteral("OnKeyPress:%1").arg(c); });
    }
    void watch(TKRComboBox *combo)
    {
        QObject::connect(combo, &TKRComboBox::OnChange, this, [this](QObject *) { log << "OnChange"; });
        QObject::connect(combo, &TKRComboBox::OnItemIndexChange, this, [this](QObject *) { log << "OnItemIndexChange"; });
        QObject::connect(combo, &TKRComboBox::OnKRCmbUpDate, this, [this](QObject *) { log << "OnKRCmbUpDate"; });
        QObject::connect(combo, &TKRComboBox::OnEnter, this, [this](QObject *) { log << "OnEnter"; });
        QObject::connect(combo, &TKRComboBox::OnExit, this, [this](QObject *) { log << "OnExit"; });
        QObject::connect(combo, &TKRComboBox::OnKeyDown, this, [this](QObject *, int) { log << "OnKeyDown"; });
        QObject::connect(combo, &TKRComboBox::OnKeyPress, this, [this](QObject *, QChar c) { log << QStringLiteral("OnKeyPress:%1").arg(c); });
        QObject::connect(combo, &TKRComboBox::OnDropDown, this, [this](QObject *) { log << "OnDropDown"; });
        QObject::connect(combo, &TKRComboBox::OnCloseUp, this, [this](QObject *) { log << "OnCloseUp"; });
    }
    // The events since the last take, and forgets them.
    QStringList take()
    {
        QStringList result = log;
        log.clear();
        return result;
    }
    int count(const QString &name) const { return int(log.count(name)); }

    QStringList log;
};
