#pragma once
// Drop-down list whose entries carry the value codes the device stores for them.
//
// Line i of ValueItems is the value code of entry i. The selection operations of the
// control (SelectIndex, SelectValueCode) keep ValueCode and HasValueCode up to date and
// fire OnItemIndexChange when the selected index differs from the one seen last.
//
// Event protocol (all events pass the control as sender):
//  - an operator's choice (popup, arrow keys, wheel) or an operator's typing in the
//    edit field: OnChange, the selection check (OnItemIndexChange when the index
//    changed), then, while editing: an editable list turns blue, a pick list finishes
//    editing (update step). Selections made by code fire no OnChange;
//  - entering (the list becomes the focused control of its window): editing starts
//    (blue when editable), OnEnter; leaving (another control of the window takes the
//    focus): update step, OnExit, the caret of the edit field goes to its start. Window
//    activation and popups (the list's own drop-down too) are neither;
//  - key down: OnKeyDown first; Enter/Return: normal colour and update step; any other
//    key while idle: editing starts (blue when editable), OnEnter;
//  - mouse button down while idle: editing starts (blue when editable), OnEnter;
//  - opening the list: OnDropDown before it shows; closing it: OnCloseUp.
// The update step sets the normal colour (red in simulation mode, else black), ends
// editing and fires OnKRCmbUpDate.
//
// An editable list (setEditable(true)) behaves like an edit box; a pick list finishes
// editing at every change of selection. Other code may switch a pick list to editable
// with a text of its own and no selection (for a value that is no legal choice) and
// back again at any time.
#include <QColor>
#include <QComboBox>
#include <QPointer>
#include <QStringList>

#include "KRFocus.h"

class QLineEdit;

class TKRComboBox : public KRFocus::EntryControl<QComboBox> {
    Q_OBJECT
    Q_PROPERTY(bool KRSimMode READ KRSimMode WRITE setKRSimMode)
    Q_PROPERTY(QStringList ValueItems READ ValueItems WRITE setValueItems)
    Q_PROPERTY(QString ValueCode READ ValueCode)
    Q_PROPERTY(bool HasValueCode READ HasValueCode)
public:
    explicit TKRComboBox(QWidget *parent = nullptr);
    ~TKRComboBox() override;
    bool KRSimMode() const { return m_simMode; }
    // A new value colours the text red (on) or black (off) at once.
    void setKRSimMode(bool on);
    QStringList ValueItems() const { return m_valueItems; }
    void setValueItems(const QStringList &items) { m_valueItems = items; }
    // Value code of the selected entry as of the last refresh; empty when none.
    QString ValueCode() const { return m_valueCode; }
    bool HasValueCode() const { return m_hasValueCode; }

    // The selected index (-1 for none). With ValueItems not empty it also refreshes
    // ValueCode and HasValueCode.
    int SelectedIndex();
    // Selects index (-1 or an index outside the list clears the selection) when it
    // differs from the current one, then runs the selection check.
    void SelectIndex(int index);
    // Selects the entry whose value code equals code (ignoring case); a code that is not
    // in ValueItems clears the selection.
    void SelectValueCode(const QString &code);

    bool isEditing() const override { return m_editing; }
    QColor textColour() const;

    void showPopup() override;
    void hidePopup() override;

signals:
    void OnChange(QObject *sender);
    void OnItemIndexChange(QObject *sender);
    void OnKRCmbUpDate(QObject *sender);
    void OnEnter(QObject *sender);
    void OnExit(QObject *sender);
    void OnDropDown(QObject *sender);
    void OnCloseUp(QObject *sender);
    // key is a Qt::Key value; emitted before the list handles the key.
    void OnKeyDown(QObject *sender, int key);
    // The character a key types, emitted before the list handles it.
    void OnKeyPress(QObject *sender, QChar character);

protected:
    // Fires OnItemIndexChange when the selected index differs from the one seen last.
    virtual void CheckSelection();
    // Editing finished: normal colour, idle, OnKRCmbUpDate.
    virtual void KRCmbUpDate();
    void setTextColour(const QColor &colour);

    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void operatorChange();
    void startEditing() override;
    void leave() override;
    void keyDown(int key) override { emit OnKeyDown(this, key); }
    void keyTyped(QChar character) override { emit OnKeyPress(this, character); }
    // Enter: the normal (or simulation) colour, then the update step.
    void enterKey() override;
    void refreshValueCode(int index);
    void attachLineEdit();

    QStringList m_valueItems;
    QString m_valueCode;
    bool m_hasValueCode = false;
    int m_lastIndex = -1;
    bool m_editing = false;
    bool m_simMode = false;
    QPointer<QLineEdit> m_attachedLineEdit;
};
