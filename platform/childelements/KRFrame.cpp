#include "KRFrame.h"

#include "Krpropertypage.h"

#include <QPainter>

TKRFrame::TKRFrame(TKrComponent *owner) : TKrChild(owner) {}

TRect TKRFrame::GetClipRect() const
{
    if (m_style == fsNone)
        return m_bounds;
    TRect r = m_bounds.Deflated(m_width);
    if (r.Right < r.Left)
        r.Left = r.Right = (m_bounds.Left + m_bounds.Right) / 2;
    if (r.Bottom < r.Top)
        r.Top = r.Bottom = (m_bounds.Top + m_bounds.Bottom) / 2;
    return r;
}

static void Bevel(QPainter *p, const TRect &r, const QColor &topLeft, const QColor &bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        const TRect b = r.Deflated(i);
        if (b.Width() <= 0 || b.Height() <= 0)
            break;
        p->setPen(topLeft);
        p->drawLine(b.Left, b.Top, b.Right - 1, b.Top);
        p->drawLine(b.Left, b.Top, b.Left, b.Bottom - 1);
        p->setPen(bottomRight);
        p->drawLine(b.Left, b.Bottom - 1, b.Right - 1, b.Bottom - 1);
        p->drawLine(b.Right - 1, b.Top, b.Right - 1, b.Bottom - 1);
    }
}

void TKRFrame::Paint(QPainter *canvas)
{
    if (!canvas || m_style == fsNone || m_bounds.IsEmpty())
        return;
    canvas->save();
    canvas->setBrush(Qt::NoBrush);
    const QColor light = KrColor(clBtnHighlight);
    const QColor dark = KrColor(clBtnShadow);
    switch (m_style) {
    case fsSingle:
        Bevel(canvas, m_bounds, KrColor(m_color), KrColor(m_color), m_width);
        break;
    case fsDouble: {
        const QColor c = KrColor(m_color);
        Bevel(canvas, m_bounds, c, c, 1);
        if (m_width >= 3)
            Bevel(canvas, m_bounds.Deflated(m_width - 1), c, c, 1);
        break;
    }
    case fsRaised:
        Bevel(canvas, m_bounds, light, dark, m_width);
        break;
    case fsLowered:
        Bevel(canvas, m_bounds, dark, light, m_width);
        break;
    case fsEtched: {
        const int half = qMax(1, m_width / 2);
        Bevel(canvas, m_bounds, dark, light, half);
        Bevel(canvas, m_bounds.Deflated(half), light, dark, qMax(1, m_width - half));
        break;
    }
    default:
        break;
    }
    canvas->restore();
}

void TKRFrame::SetStyle(int style)
{
    if (style < fsNone || style > fsEtched)
        style = fsSingle;
    if (style == m_style)
        return;
    m_style = style;
    FrameChanged();
}

void TKRFrame::SetBorderWidth(int width)
{
    width = qBound(1, width, 50);
    if (width == m_width)
        return;
    m_width = width;
    FrameChanged();
}

void TKRFrame::SetColor(TColor c)
{
    if (c == m_color)
        return;
    m_color = c;
    Validate();
}

void TKRFrame::FrameChanged()
{
    if (m_onFrameChanged)
        m_onFrameChanged(this);
    Validate();
}

QList<TKrPropField> TKRFrame::DetailsFields() const
{
    TKrPropField style;
    style.property = "Style";
    style.caption = QStringLiteral("Style");
    style.kind = TKrPropField::Choice;
    style.choices = {QStringLiteral("None"), QStringLiteral("Single"), QStringLiteral("Double"), QStringLiteral("Raised"), QStringLiteral("Lowered"), QStringLiteral("Etched")};
    TKrPropField width;
    width.property = "BorderWidth";
    width.caption = QStringLiteral("Width");
    width.minimum = 1;
    width.maximum = 50;
    TKrPropField color;
    color.property = "Color";
    color.caption = QStringLiteral("Colour");
    color.kind = TKrPropField::Color;
    return {style, width, color};
}
