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

inline bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

inline bool startsEditing(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::MiddleButton || button == Qt::RightButton;
}

} // namespace KRFocus
