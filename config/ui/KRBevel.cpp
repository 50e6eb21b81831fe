#include "KRBevel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace {

// A line from (x1, y1) up to, not including, (x2, y2); the bevel only draws
// horizontal and vertical lines.
void lineTo(QPainter &p, int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2)
        return;
    if (y1 == y2) {
        p.drawLine(x1, y1, x2 > x1 ? x2 - 1 : x2 + 1, y2);
    } else if (x1 == x2) {
        p.drawLine(x1, y1, x2, y2 > y1 ? y2 - 1 : y2 + 1);
    } else {
        p.drawLine(x1, y1, x2, y2);
    }
}

// The outline of the box (l, t, r, b): left and top edges in c1, right and bottom in c2.
void boxOutline(QPainter &p, int l, int t, int r, int b, const QColor &c1, const QColor &c2)
{
    p.setPen(QPen(c1, 1));
    lineTo(p, l, b, l, t);
    lineTo(p, l, t, r, t);
    p.setPen(QPen(c2, 1));
    lineTo(p, r, t, r, b);
    lineTo(p, r, b, l, b);
}

// A window-system box (right and bottom edges excluded) as a painter outline rectangle.
QRect outlineRect(int l, int t, int r, int b)
{
    return QRect(l, t, r - l - 1, b - t - 1);
}

// Angle in degrees, counter-clockwise from three o'clock, of the point (x, y) seen from
// the centre of the box (l, t, r, b), measured on the box's ellipse.
double ellipseAngle(int l, int t, int r, int b, int x, int y)
{
    const double cx = (l + r) / 2.0;
    const double cy = (t + b) / 2.0;
    const double hw = qMax(0.5, (r - l) / 2.0);
    const double hh = qMax(0.5, (b - t) / 2.0);
    return qRadiansToDegrees(std::atan2(-(y - cy) / hh, (x - cx) / hw));
}

// An arc of the ellipse of box (l, t, r, b), counter-clockwise from the radial of the
// start point to the radial of the end point.
void arc(QPainter &p, int l, int t, int r, int b, QPoint start, QPoint end)
{
    const double a0 = ellipseAngle(l, t, r, b, start.x(), start.y());
    const double a1 = ellipseAngle(l, t, r, b, end.x(), end.y());
    double span = a1 - a0;
    while (span <= 0)
        span += 360.0;
    while (span > 360.0)
        span -= 360.0;
    p.drawArc(outlineRect(l, t, r, b), qRound(a0 * 16), qRound(span * 16));
}

} // namespace

TKRBevel::TKRBevel(QWidget *parent) : QWidget(parent), m_brush(QColor(192, 192, 192), Qt::NoBrush)
{
    resize(53, 38);
}

int TKRBevel::cornerRadius(int width, int height, int percent)
{
    return qMin(width, height) * percent / 100;
}

void TKRBevel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    adjustBounds();
    update();
}

void TKRBevel::setStyle(TKRBevelStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    update();
}

void TKRBevel::setShape(TKRBevelShape shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    update();
}

void TKRBevel::setAlignment(TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void TKRBevel::setWordWrap(bool on)
{
    if (on == m_wordWrap)
        return;
    m_wordWrap = on;
    adjustBounds();
    update();
}

void TKRBevel::setShowAccelChar(bool on)
{
    if (on == m_showAccelChar)
        return;
    m_showAccelChar = on;
    adjustBounds();
    update();
}

void TKRBevel::setAutoSize(bool on)
{
    m_autoSize = on;
    adjustBounds();
}

void TKRBevel::setCornerRadiusPercent(int percent)
{
    if (percent == m_cornerRadiusPercent)
        return;
    m_cornerRadiusPercent = qBound(1, percent, 49);
    update();
}

void TKRBevel::setBrush(const QBrush &brush)
{
    if (brush == m_brush)
        return;
    m_brush = brush;
    update();
}

int TKRBevel::textFlags(bool withAlignment) const
{
    int flags = Qt::TextExpandTabs | Qt::AlignTop;
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    if (withAlignment) {
        switch (m_alignment) {
        case taLeftJustify: flags |= Qt::AlignLeft; break;
        case taRightJustify: flags |= Qt::AlignRight; break;
        case taCenter: flags |= Qt::AlignHCenter; break;
        }
    } else {
        flags |= Qt::AlignLeft;
    }
    return flags;
}

QString TKRBevel::measureText() const
{
    // An empty caption (or a lone accelerator mark) still measures one text line.
    if (m_caption.isEmpty() || (m_showAccelChar && m_caption == QLatin1String("&")))
        return m_caption + QLatin1Char(' ');
    return m_caption;
}

int TKRBevel::measuredCaptionBottom() const
{
    const QFontMetrics metrics(font());
    const QRect area(-2, -1, width(), height());
    const QRect block = metrics.boundingRect(area, textFlags(true), measureText());
    return area.top() + block.height();
}

QSize TKRBevel::autoSizeFor() const
{
    const QFontMetrics metrics(font());
    const QRect block = metrics.boundingRect(QRect(0, 0, width(), height()), textFlags(false),
                                             measureText());
    return QSize(block.width(), block.height());
}

QSize TKRBevel::sizeHint() const
{
    return m_autoSize ? autoSizeFor() : QSize(53, 38);
}

void TKRBevel::adjustBounds()
{
    if (!m_autoSize)
        return;
    const QSize wanted = autoSizeFor();
    if (wanted == size())
        return;
    int left = x();
    if (m_alignment == taRightJustify)
        left += width() - wanted.width();
    setGeometry(left, y(), wanted.width(), wanted.height());
    updateGeometry();
}

void TKRBevel::drawShape(QPainter &p, const QColor &c1, const QColor &c2) const
{
    const int w = width();
    const int h = height();
    switch (m_shape) {
    case bsBox:
        boxOutline(p, 0, 0, w - 1, h - 1, c1, c2);
        break;
    case bsFrame:
        boxOutline(p, 1, 1, w - 1, h - 1, c2, c2);
        boxOutline(p, 0, 0, w - 2, h - 2, c1, c1);
        break;
    case bsTopLine:
        p.setPen(QPen(c1, 1));
        lineTo(p, 0, 0, w, 0);
        p.setPen(QPen(c2, 1));
        lineTo(p, 0, 1, w, 1);
        break;
    case bsBottomLine:
        p.setPen(QPen(c1, 1));
        lineTo(p, 0, h - 2, w, h - 2);
        p.setPen(QPen(c2, 1));
        lineTo(p, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        p.setPen(QPen(c1, 1));
        lineTo(p, 0, 0, 0, h);
        p.setPen(QPen(c2, 1));
        lineTo(p, 1, 0, 1, h);
        break;
    case bsRightLine:
        p.setPen(QPen(c1, 1));
        lineTo(p, w - 2, 0, w - 2, h);
        p.setPen(QPen(c2, 1));
        lineTo(p, w - 1, 0, w - 1, h);
        break;
    case bsRoundRect: {
        const int r = cornerRadius(w, h, m_cornerRadiusPercent);
        p.setPen(QPen(c1, 1));
        lineTo(p, 0, h - r, 0, r);
        lineTo(p, r, 0, w - r, 0);
        p.setPen(QPen(c2, 1));
        lineTo(p, w - 1, h - r, w - 1, r);
        lineTo(p, r, h - 1, w - r, h - 1);
        const bool filled = m_brush.style() != Qt::NoBrush;
        if (filled) {
            p.fillRect(QRect(QPoint(1, r), QPoint(w - 2, h - r - 1)), m_brush);
            p.fillRect(QRect(QPoint(r, 1), QPoint(w - r - 1, h - 2)), m_brush);
        }
        if (r <= 0)
            break;
        struct Corner {
            int fl, ft, fr, fb; // fill ellipse box
            int al, at, ar, ab; // arc box
            QPoint start, end;
            bool firstColour;
        };
        const Corner corners[] = {
            {1, 1, 2 * r, 2 * r + 2, 0, 0, 2 * r, 2 * r + 2, {r, 0}, {0, r + 1}, true},
            {1, h + 1 - 2 * r, 2 * r, h, 0, h - 2 * r, 2 * r, h, {0, h - r}, {r, h}, true},
            {w - 2 * r - 1, 1, w - 1, 2 * r, w - 2 * r, 0, w - 1, 2 * r, {w - 1, r}, {w - r, 0}, false},
            {w - 2 * r - 1, h - 2 * r - 1, w - 1, h - 1, w - 2 * r, h - 2 * r, w - 1, h - 1,
             {w - r, h - 1}, {w - 1, h - r}, false},
        };
        for (const Corner &c : corners) {
            if (filled) {
                p.setPen(QPen(m_brush.color(), 1));
                p.setBrush(m_brush);
                p.drawEllipse(outlineRect(c.fl, c.ft, c.fr, c.fb));
                p.setBrush(Qt::NoBrush);
            }
            p.setPen(QPen(c.firstColour ? c1 : c2, 1));
            arc(p, c.al, c.at, c.ar, c.ab, c.start, c.end);
        }
        break;
    }
    }
}

void TKRBevel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    QColor c1;
    QColor c2;
    switch (m_style) {
    case bsRaised:
        c1 = palette().color(QPalette::Light);
        c2 = palette().color(QPalette::Dark);
        break;
    case bsLowered:
        c1 = palette().color(QPalette::Dark);
        c2 = palette().color(QPalette::Light);
        break;
    case bsFlat:
        c1 = c2 = m_brush.color();
        break;
    }
    drawShape(p, c1, c2);

    // Caption, centred vertically on the measured block.
    const int d = (height() - measuredCaptionBottom()) / 2;
    const QRect textRect(QPoint(2, d - 1), QPoint(width() - 3, height() + d - 2));
    const int flags = textFlags(true);
    p.setFont(font());
    if (!isEnabled()) {
        p.setPen(palette().color(QPalette::Light));
        p.drawText(textRect.translated(1, 1), flags, m_caption);
        p.setPen(palette().color(QPalette::Dark));
        p.drawText(textRect, flags, m_caption);
    } else {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(textRect, flags, m_caption);
    }
    p.end();

    if (m_autoSize && autoSizeFor() != size())
        QMetaObject::invokeMethod(this, &TKRBevel::adjustBounds, Qt::QueuedConnection);
}

void TKRBevel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        adjustBounds();
        update();
    }
}

void TKRBevel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TKRBevel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressed
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit OnClick(this);
}
