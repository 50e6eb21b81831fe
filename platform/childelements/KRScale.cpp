#include "KRScale.h"

#include "Krpropertypage.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <cmath>

namespace {
constexpr int kTick = 5;
constexpr int kGap = 2;
} // namespace

TKRScale::TKRScale(TKrComponent *owner) : TKrChild(owner) {}

QString TKRScale::LabelText(double value) const
{
    return QLocale::system().toString(value, 'f', m_decimals);
}

void TKRScale::SetBounds(const TRect &r)
{
    const QFontMetrics fm{QFont()};
    const int labelW = qMax(fm.horizontalAdvance(LabelText(m_min)), fm.horizontalAdvance(LabelText(m_max)));
    const int labelH = fm.height();
    if (IsVertical()) {
        const int breadth = qMin(qMax(0, r.Width()), kTick + kGap + labelW + kGap);
        m_outer = m_axisKind == 0 ? TRect(r.Left, r.Top, r.Left + breadth, r.Bottom) : TRect(r.Right - breadth, r.Top, r.Right, r.Bottom);
        const int m = qMin(labelH / 2 + 1, qMax(0, r.Height()) / 2);
        m_axis = TRect(m_outer.Left, m_outer.Top + m, m_outer.Right, m_outer.Bottom - m);
    } else {
        const int breadth = qMin(qMax(0, r.Height()), kTick + kGap + labelH);
        m_outer = m_axisKind == 1 ? TRect(r.Left, r.Top, r.Right, r.Top + breadth) : TRect(r.Left, r.Bottom - breadth, r.Right, r.Bottom);
        const int m = qMin(labelW / 2 + 1, qMax(0, r.Width()) / 2);
        m_axis = TRect(m_outer.Left + m, m_outer.Top, m_outer.Right - m, m_outer.Bottom);
    }
}

int TKRScale::ValueToPos(double value) const
{
    const double span = m_max - m_min;
    double frac = 0;
    if (span != 0 && std::isfinite(value))
        frac = (value - m_min) / span;
    frac = qBound(-1.0e6, frac, 1.0e6);
    if (IsVertical()) {
        const double len = m_axis.Bottom - m_axis.Top;
        const double p = Reversed() ? m_axis.Top + frac * len : m_axis.Bottom - frac * len;
        return int(std::lround(p));
    }
    const double len = m_axis.Right - m_axis.Left;
    const double p = Reversed() ? m_axis.Right - frac * len : m_axis.Left + frac * len;
    return int(std::lround(p));
}

double TKRScale::PosToValue(int pos) const
{
    double frac = 0;
    if (IsVertical()) {
        const double len = m_axis.Bottom - m_axis.Top;
        if (len > 0)
            frac = Reversed() ? (pos - m_axis.Top) / len : (m_axis.Bottom - pos) / len;
    } else {
        const double len = m_axis.Right - m_axis.Left;
        if (len > 0)
            frac = Reversed() ? (m_axis.Right - pos) / len : (pos - m_axis.Left) / len;
    }
    return m_min + frac * (m_max - m_min);
}

void TKRScale::Paint(QPainter *canvas)
{
    if (!canvas || !m_visible || m_outer.IsEmpty())
        return;
    canvas->save();
    canvas->setPen(KrColor(m_color));
    canvas->setFont(QFont());
    const QFontMetrics fm = canvas->fontMetrics();
    const int n = qMax(1, m_ticks);
    for (int i = 0; i <= n; ++i) {
        const double v = m_min + (m_max - m_min) * i / n;
        const int p = ValueToPos(v);
        const QString label = LabelText(v);
        switch (m_axisKind) {
        case 0: // left edge: baseline on the right, labels to the left
            canvas->drawLine(m_outer.Right - 1 - kTick, p, m_outer.Right - 1, p);
            canvas->drawText(QRect(m_outer.Left, p - fm.height() / 2, m_outer.Width() - kTick - kGap, fm.height()), Qt::AlignRight | Qt::AlignVCenter, label);
            break;
        case 2:
            canvas->drawLine(m_outer.Left, p, m_outer.Left + kTick, p);
            canvas->drawText(QRect(m_outer.Left + kTick + kGap, p - fm.height() / 2, m_outer.Width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter, label);
            break;
        case 1: // top edge: baseline at the bottom, labels above
            canvas->drawLine(p, m_outer.Bottom - 1 - kTick, p, m_outer.Bottom - 1);
            canvas->drawText(QRect(p - 100, m_outer.Top, 200, fm.height()), Qt::AlignHCenter | Qt::AlignTop, label);
            break;
        default:
            canvas->drawLine(p, m_outer.Top, p, m_outer.Top + kTick);
            canvas->drawText(QRect(p - 100, m_outer.Top + kTick + kGap, 200, fm.height()), Qt::AlignHCenter | Qt::AlignTop, label);
            break;
        }
    }
    switch (m_axisKind) {
    case 0: canvas->drawLine(m_outer.Right - 1, m_axis.Top, m_outer.Right - 1, m_axis.Bottom); break;
    case 2: canvas->drawLine(m_outer.Left, m_axis.Top, m_outer.Left, m_axis.Bottom); break;
    case 1: canvas->drawLine(m_axis.Left, m_outer.Bottom - 1, m_axis.Right, m_outer.Bottom - 1); break;
    default: canvas->drawLine(m_axis.Left, m_outer.Top, m_axis.Right, m_outer.Top); break;
    }
    canvas->restore();
}

void TKRScale::Rotate_Mirror(TRotateFunction function, const QPoint &)
{
    static const int right[4] = {2, 3, 1, 0}; // direction after a clockwise turn: 0->2->1->3->0
    static const int left[4] = {3, 2, 0, 1};
    const int d = (m_direction >= 0 && m_direction <= 3) ? m_direction : 0;
    switch (function) {
    case rfRotateRight:
        m_axisKind = (m_axisKind + 1) % 4;
        m_direction = right[d];
        break;
    case rfRotateLeft:
        m_axisKind = (m_axisKind + 3) % 4;
        m_direction = left[d];
        break;
    case rfMirrorHorizontal:
        if (m_axisKind == 0 || m_axisKind == 2)
            m_axisKind = 2 - m_axisKind;
        if (d == 2 || d == 3)
            m_direction = 5 - d;
        break;
    case rfMirrorVertical:
        if (m_axisKind == 1 || m_axisKind == 3)
            m_axisKind = 4 - m_axisKind;
        if (d == 0 || d == 1)
            m_direction = 1 - d;
        break;
    default:
        return;
    }
    Changed();
}

void TKRScale::SetMin(double v)
{
    if (!std::isfinite(v) || v == m_min)
        return;
    m_min = v;
    Changed();
}

void TKRScale::SetMax(double v)
{
    if (!std::isfinite(v) || v == m_max)
        return;
    m_max = v;
    Changed();
}

void TKRScale::SetAxisKind(int kind)
{
    if (kind < 0 || kind > 3 || kind == m_axisKind)
        return;
    m_axisKind = kind;
    Changed();
}

void TKRScale::SetDirection(int direction)
{
    if (direction < 0 || direction > 3 || direction == m_direction)
        return;
    m_direction = direction;
    Changed();
}

void TKRScale::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    Changed();
}

void TKRScale::SetTicks(int ticks)
{
    ticks = qBound(1, ticks, 100);
    if (ticks == m_ticks)
        return;
    m_ticks = ticks;
    Changed();
}

void TKRScale::SetDecimals(int decimals)
{
    decimals = qBound(0, decimals, 10);
    if (decimals == m_decimals)
        return;
    m_decimals = decimals;
    Changed();
}

void TKRScale::SetColor(TColor c)
{
    m_color = c;
    Validate();
}

void TKRScale::Changed()
{
    if (m_onScaleChanged)
        m_onScaleChanged(this);
    Validate();
}

QList<TKrPropField> TKRScale::DetailsFields() const
{
    QList<TKrPropField> fields;
    TKrPropField f;
    f.property = "Min";
    f.caption = QStringLiteral("Minimum");
    fields << f;
    f.property = "Max";
    f.caption = QStringLiteral("Maximum");
    fields << f;
    f = TKrPropField();
    f.property = "Visible";
    f.caption = QStringLiteral("Visible");
    fields << f;
    f.property = "Ticks";
    f.caption = QStringLiteral("Intervals");
    f.minimum = 1;
    f.maximum = 100;
    fields << f;
    f.property = "Decimals";
    f.caption = QStringLiteral("Decimals");
    f.minimum = 0;
    f.maximum = 10;
    fields << f;
    f = TKrPropField();
    f.property = "Color";
    f.caption = QStringLiteral("Colour");
    f.kind = TKrPropField::Color;
    fields << f;
    if (m_showJoint) {
        f = TKrPropField();
        f.property = "AxisKind";
        f.caption = QStringLiteral("Edge");
        f.kind = TKrPropField::Choice;
        f.choices = {QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Right"), QStringLiteral("Bottom")};
        fields << f;
        f.property = "Direction";
        f.caption = QStringLiteral("Direction");
        f.choices = {QStringLiteral("Up"), QStringLiteral("Down"), QStringLiteral("Right"), QStringLiteral("Left")};
        fields << f;
    }
    return fields;
}
