#pragma once
// TKRScale: a scale with ticks and labels along one edge of a rectangle, and
// the mapping between values and pixel positions along it.
//
// AxisKind: the edge the scale lies on: 0 left, 1 top, 2 right, 3 bottom (0 and
// 2 give a vertical axis). Direction: 0 up (the minimum at the bottom), 1 down,
// 2 to the right (the minimum at the left), 3 to the left; as a rotation 0, 180,
// 90 and 270 degrees. A vertical axis runs up unless Direction is 1 or 3; a
// horizontal one runs right unless Direction is 1 or 3.
//
// SetBounds lays the scale out in a rectangle: the outer rectangle keeps the
// rectangle's length and the scale's own breadth (ticks and labels) at the
// chosen edge; the axis rectangle is the outer one less half a label at each
// end, so the end labels fit. The minimum lies at one end of the axis
// rectangle, the maximum at the other. A scale whose minimum equals its maximum
// puts every value at the minimum's end.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class QPainter;

class KRCE_EXPORT TKRScale : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(double Min READ GetMin WRITE SetMin)
    Q_PROPERTY(double Max READ GetMax WRITE SetMax)
    Q_PROPERTY(int AxisKind READ GetAxisKind WRITE SetAxisKind)
    Q_PROPERTY(int Direction READ GetDirection WRITE SetDirection)
    Q_PROPERTY(bool Visible READ GetVisible WRITE SetVisible)
    Q_PROPERTY(int Ticks READ GetTicks WRITE SetTicks)
    Q_PROPERTY(int Decimals READ GetDecimals WRITE SetDecimals)
    Q_PROPERTY(uint Color READ GetColor WRITE SetColor)

public:
    explicit TKRScale(TKrComponent *owner);

    void SetBounds(const TRect &r);
    TRect GetOuterRect() const { return m_outer; }
    TRect GetAxisRect() const { return m_axis; }
    void Paint(QPainter *canvas);
    void Rotate_Mirror(TRotateFunction function, const QPoint &centre);

    double GetMin() const { return m_min; }
    void SetMin(double v);
    double GetMax() const { return m_max; }
    void SetMax(double v);
    int GetAxisKind() const { return m_axisKind; }
    void SetAxisKind(int kind);
    int GetDirection() const { return m_direction; }
    void SetDirection(int direction);
    bool GetVisible() const { return m_visible; }
    void SetVisible(bool visible);
    int GetTicks() const { return m_ticks; }
    void SetTicks(int ticks);
    int GetDecimals() const { return m_decimals; }
    void SetDecimals(int decimals);
    TColor GetColor() const { return m_color; }
    void SetColor(TColor c);

    bool IsVertical() const { return m_axisKind == 0 || m_axisKind == 2; }
    // Pixel coordinate along the axis (y for a vertical axis, x for a horizontal one).
    int ValueToPos(double value) const;
    double PosToValue(int pos) const;
    // The label text of a value.
    QString LabelText(double value) const;

    void SetOnScaleChanged(TNotifyEvent handler) { m_onScaleChanged = std::move(handler); }
    // Offers the axis kind and direction in the property page (for symbols whose
    // layout follows the scale).
    void SetShowJointInterface(bool show) { m_showJoint = show; }
    bool ShowJointInterface() const { return m_showJoint; }

    QList<TKrPropField> DetailsFields() const override;

private:
    void Changed();
    bool Reversed() const { return m_direction == 1 || m_direction == 3; }
    double m_min = 0;
    double m_max = 100;
    int m_axisKind = 0;
    int m_direction = 0;
    bool m_visible = true;
    int m_ticks = 4;
    int m_decimals = 0;
    TColor m_color = clWindowText;
    bool m_showJoint = false;
    TRect m_outer;
    TRect m_axis;
    TNotifyEvent m_onScaleChanged;
};
