#pragma once
// TKrKeyboard: the keys of a symbol. Activate gives the symbol the keyboard
// focus; from then on each press of a key raises key down and then key press,
// each release key up, all three with the key's virtual key code (37 left,
// 38 up, 39 right, 40 down, 13 return, 27 escape, letters and digits as their
// upper-case character codes). A held key repeats key down and key press. Keys
// without a virtual key code raise nothing.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class KRCE_EXPORT TKrKeyboard : public TKrChild {
    Q_OBJECT
public:
    explicit TKrKeyboard(TKrComponent *owner);
    ~TKrKeyboard() override;

    void Activate();
    bool IsActive() const;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    void SetOnKeyDown(TKeyEvent h) { OnKeyDown = std::move(h); }
    void SetOnKeyUp(TKeyEvent h) { OnKeyUp = std::move(h); }
    void SetOnKeyPress(TKeyPressEvent h) { OnKeyPress = std::move(h); }

    // The virtual key code of a Qt key (0 when it has none).
    static int VirtualKey(int qtKey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_installed = false;
};
