#pragma once
// TKRFrame: the border of a symbol or of a part of it. It is given a bounds
// rectangle, paints its border there and reports the inner (clip) rectangle.
//
// Styles: 0 none, 1 single line, 2 double line, 3 raised (a button that is up),
// 4 lowered (a button that is down), 5 etched. The border takes BorderWidth
// pixels on each side (none for style 0).

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class QPainter;

class KRCE_EXPORT TKRFrame : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(int Style READ GetStyle WRITE SetStyle)
    Q_PROPERTY(int BorderWidth READ GetBorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(uint Color READ GetColor WRITE SetColor)

public:
    enum { fsNone = 0, fsSingle = 1, fsDouble = 2, fsRaised = 3, fsLowered = 4, fsEtched = 5 };

    explicit TKRFrame(TKrComponent *owner);

    void SetBounds(const TRect &r) { m_bounds = r; }
    TRect GetBounds() const { return m_bounds; }
    // The bounds less the border.
    TRect GetClipRect() const;
    void Paint(QPainter *canvas);

    int GetStyle() const { return m_style; }
    void SetStyle(int style);
    int GetBorderWidth() const { return m_width; }
    void SetBorderWidth(int width);
    // Colour of the line styles (1, 2).
    TColor GetColor() const { return m_color; }
    void SetColor(TColor c);
    // Called when the border changes (and with it the clip rectangle).
    void SetOnFrameChanged(TNotifyEvent handler) { m_onFrameChanged = std::move(handler); }

    QList<TKrPropField> DetailsFields() const override;

private:
    void FrameChanged();
    TRect m_bounds;
    int m_style = fsRaised;
    int m_width = 2;
    TColor m_color = clWindowText;
    TNotifyEvent m_onFrameChanged;
};
