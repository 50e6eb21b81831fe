#pragma once
// Rules shared by the data-entry controls for entering and leaving a field.
//
// A control is entered when it becomes the focused control of its window and left when
// another control of the same window takes that place. A window losing or regaining
// activation (a modal dialog opening or closing, another program's window taking over)
// and popups opening or closing leave the window's focused control as it is: no
// entering or leaving. The first focus a window gives a control when it is shown does
// enter it.
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <Qt>

namespace KRFocus {

// Focus moving because a window or popup (de)activates, not between controls.
inline bool isWindowSwitch(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// A focus-out of control that leaves it for another control of its own window (or for
// none at all). The focus going to a popup or another window is no leaving, whatever
// reason Qt gives: a combo box's popup takes the focus into its list with an ordinary
// focus change, for one.
inline bool leavesForOwnWindow(const QWidget *control, Qt::FocusReason reason)
{
    if (isWindowSwitch(reason))
        return false;
    const QWidget *now = QApplication::focusWidget();
    return !now || now->window() == control->window();
}

// control was the focused control of its window and now is another control of the same
// window: control has been left without a focus-out of its own (focus moved while the
// window was inactive).
inline bool takenOver(const QWidget *control, const QWidget *now)
{
    return now && now != control && !control->isAncestorOf(now) && now->window() == control->window();
}

// Whether a control is entered (the focused control of its window), kept by the control
// from its own focus events and the application's focus changes by the rules above.
class Entry {
public:
    bool isEntered() const { return m_entered; }

    // A focus-in of the control: true when it enters the control. The window coming back
    // or a popup closing returns the focus to the control that had it: no new entering.
    bool focusIn(Qt::FocusReason reason)
    {
        if (m_entered && isWindowSwitch(reason))
            return false;
        m_entered = true;
        return true;
    }

    // A focus-out of control: true when it leaves the control.
    bool focusOut(const QWidget *control, Qt::FocusReason reason) const
    {
        return m_entered && leavesForOwnWindow(control, reason);
    }

    // The application's focus moved to now: true when that leaves control without a
    // focus-out of its own.
    bool focusChanged(const QWidget *control, const QWidget *now) const
    {
        return m_entered && takenOver(control, now);
    }

    // Leaves the control: update (the end of editing) runs with the control no longer
    // entered. True when it is still left afterwards; false when it was not entered or a
    // handler of the update has put the focus back into it.
    template <typename Update>
    bool leave(Update update)
    {
        if (!m_entered)
            return false;
        m_entered = false;
        update();
        return !m_entered;
    }

private:
    bool m_entered = false;
};

inline bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

inline bool startsEditing(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::MiddleButton || button == Qt::RightButton;
}

// The entry protocol of a data-entry control built on the widget class Base, the same
// for a value field and a value list: it is entered and left by the rules above, from
// its own focus events and the application's focus changes; the control starts editing
// when entered (startEditing) and runs its update step and exit when left (leave).
// A key is reported first (keyDown); Enter ends the entry (enterKey) after the base
// class has handled it; any other key, and a mouse button that edits, start an entry
// when none is running, and a key's character is reported (keyTyped) before the base
// class takes it.
template <class Base>
class EntryControl : public Base {
public:
    explicit EntryControl(QWidget *parent) : Base(parent)
    {
        if (qApp)
            m_focusChanges = QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
                if (m_entry.focusChanged(this, now))
                    leave();
            });
    }
    // The application's focus changes reach the control only while it is whole: the
    // base class clears the focus while it is destroyed, and that must not call back.
    ~EntryControl() override { QObject::disconnect(m_focusChanges); }

    virtual bool isEditing() const = 0;

protected:
    virtual void startEditing() = 0;
    virtual void leave() = 0;
    virtual void keyDown(int key) = 0;
    virtual void keyTyped(QChar character) = 0;
    virtual void enterKey() = 0;

    void focusInEvent(QFocusEvent *event) override
    {
        Base::focusInEvent(event);
        // The window coming back or a popup closing does not enter the control again.
        if (m_entry.focusIn(event->reason()))
            startEditing();
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        Base::focusOutEvent(event);
        // A dialog, another window or a popup on top does not leave the control.
        if (m_entry.focusOut(this, event->reason()))
            leave();
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const int key = event->key();
        keyDown(key);
        if (isEnterKey(key)) {
            Base::keyPressEvent(event);
            enterKey();
            return;
        }
        if (!isEditing())
            startEditing();
        const QString typed = event->text();
        if (!typed.isEmpty())
            keyTyped(typed.at(0));
        Base::keyPressEvent(event);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        Base::mousePressEvent(event);
        if (!isEditing() && startsEditing(event->button()))
            startEditing();
    }

    Entry m_entry;

private:
    QMetaObject::Connection m_focusChanges;
};

} // namespace KRFocus
