#include "KrKeyboard.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

TKrKeyboard::TKrKeyboard(TKrComponent *owner) : TKrChild(owner)
{
    SetShowInTree(false);
}

TKrKeyboard::~TKrKeyboard()
{
    if (m_installed)
        if (QWidget *w = OwnerWidget())
            w->removeEventFilter(this);
}

void TKrKeyboard::Activate()
{
    QWidget *w = OwnerWidget();
    if (!w)
        return;
    if (!m_installed) {
        w->installEventFilter(this);
        m_installed = true;
    }
    if (w->focusPolicy() == Qt::NoFocus || w->focusPolicy() == Qt::ClickFocus)
        w->setFocusPolicy(Qt::StrongFocus);
    w->setFocus(Qt::OtherFocusReason);
}

bool TKrKeyboard::IsActive() const
{
    QWidget *w = OwnerWidget();
    return m_installed && w && w->hasFocus();
}

int TKrKeyboard::VirtualKey(int k)
{
    switch (k) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Home: return 36;
    case Qt::Key_End: return 35;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: break;
    }
    if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z))
        return k; // same codes
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return 112 + (k - Qt::Key_F1);
    return 0;
}

static TShiftState Shift(Qt::KeyboardModifiers m)
{
    TShiftState s;
    if (m & Qt::ShiftModifier)
        s |= ssShift;
    if (m & Qt::ControlModifier)
        s |= ssCtrl;
    if (m & Qt::AltModifier)
        s |= ssAlt;
    return s;
}

bool TKrKeyboard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != OwnerWidget())
        return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    const int code = VirtualKey(ke->key());
    if (!code)
        return true; // a key without a virtual key code raises nothing
    QPointer<TKrKeyboard> self(this);
    if (event->type() == QEvent::KeyPress) {
        // Each handler gets its own copy of the code.
        if (OnKeyDown) {
            int key = code;
            OnKeyDown(this, key, Shift(ke->modifiers()));
        }
        if (self && OnKeyPress) {
            int key = code;
            OnKeyPress(this, key);
        }
        return true;
    }
    if (ke->isAutoRepeat())
        return true;
    if (OnKeyUp) {
        int key = code;
        OnKeyUp(this, key, Shift(ke->modifiers()));
    }
    return true;
}
