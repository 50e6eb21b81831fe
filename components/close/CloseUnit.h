#pragma once
// Unit CloseUnit: the close symbol, a small push button placed on a work floor;
// clicking it closes the floor it lies on.

#include "ChildElements.h"
#include "Krsymbols.h"
#include "OpenFloorInterface.h"

class TKRClose : public TKrGraphicControl, public IKrRotatable {
    Q_OBJECT

public:
    explicit TKRClose(TKrComponent *owner);
    bool GetInterface(const TGUID &iid, void **obj) override;

    // IKrRotatable
    int GetRotation() override;
    bool GetMirrored() override;
    bool CanRotate() override { return true; }
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre) override;

    void Paint() override;
    void Validate() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    bool Pressed() const { return m_pressed; }

private:
    TKRFrame *m_upFrame;
    TKRFrame *m_downFrame;
    TKRImage *m_image;
    bool m_pressed = false;
};
