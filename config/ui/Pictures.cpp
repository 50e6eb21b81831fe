#include "Pictures.h"

#include "ToolkitControls.h"

#include <QAbstractButton>
#include <QIcon>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// One palette for all pictures so that they look like one family.
const QColor Ink(0x2b, 0x30, 0x38);
const QColor Steel(0x3b, 0x6e, 0xa5);
const QColor SteelLight(0x8f, 0xb4, 0xdc);
const QColor Metal(0x9a, 0xa1, 0xab);
const QColor MetalLight(0xdd, 0xe1, 0xe6);
const QColor Liquid(0x4a, 0x90, 0xd9);
const QColor LitGreen(0x3d, 0xd6, 0x5c);
const QColor LitYellow(0xf3, 0xe8, 0x5a);
const QColor Signal(0xd9, 0x53, 0x2b);
const QColor Paper(0xfb, 0xfb, 0xf8);
const QColor Lcd(0xb8, 0xd8, 0x8c);

enum class Direction { Left, Right, Down, Up };

// Maps a drawing made for a logical canvas of the given size onto the target,
// centred, keeping its proportions.
void fitCanvas(QPainter &p, const QSizeF &target, const QSizeF &canvas)
{
    const double scale = std::min(target.width() / canvas.width(), target.height() / canvas.height());
    p.translate((target.width() - canvas.width() * scale) / 2.0, (target.height() - canvas.height() * scale) / 2.0);
    p.scale(scale, scale);
}

QFont pictureFont(double pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    return font;
}

void drawArrowShape(QPainter &p, const QRectF &r, Direction direction, const QColor &fill)
{
    // An arrow along the longer axis of a horizontal canvas, then turned as asked.
    const bool vertical = direction == Direction::Down || direction == Direction::Up;
    const QSizeF canvas = vertical ? QSizeF(r.height(), r.width()) : r.size();
    const double w = canvas.width();
    const double h = canvas.height();
    const double head = std::min(w * 0.45, h * 0.9);
    const double shaft = h * 0.36;
    QPolygonF arrow;
    arrow << QPointF(w * 0.04, h / 2 - shaft / 2) << QPointF(w - head, h / 2 - shaft / 2) << QPointF(w - head, h * 0.08)
          << QPointF(w * 0.97, h / 2) << QPointF(w - head, h * 0.92) << QPointF(w - head, h / 2 + shaft / 2)
          << QPointF(w * 0.04, h / 2 + shaft / 2);

    p.save();
    p.translate(r.center());
    switch (direction) {
    case Direction::Right: break;
    case Direction::Left: p.rotate(180); break;
    case Direction::Down: p.rotate(90); break;
    case Direction::Up: p.rotate(-90); break;
    }
    p.translate(-w / 2, -h / 2);
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0, fill.lighter(135));
    gradient.setColorAt(1, fill.darker(115));
    p.setBrush(gradient);
    p.setPen(QPen(fill.darker(160), std::max(1.0, h / 22.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(arrow);
    p.restore();
}

void drawArrow(QPainter &p, const QSize &size, Direction direction)
{
    drawArrowShape(p, QRectF(QPointF(1, 1), QSizeF(size) - QSizeF(2, 2)), direction, Steel);
}

void drawLamp(QPainter &p, const QSize &size, bool lit)
{
    const double d = std::max(2.0, std::min(size.width(), size.height()) - 3.0);
    const QRectF bulb((size.width() - d) / 2.0, (size.height() - d) / 2.0, d, d);
    // Bezel
    p.setPen(QPen(Ink.lighter(150), std::max(1.0, d / 16.0)));
    QRadialGradient glass(bulb.center() - QPointF(d * 0.18, d * 0.2), d * 0.65);
    if (lit) {
        glass.setColorAt(0.0, QColor(0xfd, 0xff, 0xe8));
        glass.setColorAt(0.35, LitYellow);
        glass.setColorAt(0.75, LitGreen);
        glass.setColorAt(1.0, LitGreen.darker(140));
    } else {
        glass.setColorAt(0.0, QColor(0xf2, 0xf3, 0xf4));
        glass.setColorAt(0.45, QColor(0xb5, 0xb9, 0xbe));
        glass.setColorAt(1.0, QColor(0x6e, 0x73, 0x79));
    }
    p.setBrush(glass);
    p.drawEllipse(bulb);
    // Highlight
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, lit ? 170 : 120));
    p.drawEllipse(QRectF(bulb.left() + d * 0.22, bulb.top() + d * 0.14, d * 0.3, d * 0.2));
}

void drawDevice(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(300, 124));
    // Pipe with flanges
    QLinearGradient pipe(0, 84, 0, 112);
    pipe.setColorAt(0, MetalLight);
    pipe.setColorAt(0.5, Metal);
    pipe.setColorAt(1, Metal.darker(130));
    p.setPen(QPen(Ink, 1));
    p.setBrush(pipe);
    p.drawRect(QRectF(14, 86, 272, 24));
    QLinearGradient flange(0, 74, 0, 122);
    flange.setColorAt(0, MetalLight);
    flange.setColorAt(1, Metal.darker(125));
    p.setBrush(flange);
    for (double x : {22.0, 98.0, 190.0, 266.0})
        p.drawRect(QRectF(x, 76, 12, 44));
    // Measuring tube body
    QLinearGradient body(0, 78, 0, 118);
    body.setColorAt(0, SteelLight);
    body.setColorAt(1, Steel.darker(120));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(110, 80, 80, 36), 5, 5);
    // Flow direction on the pipe
    drawArrowShape(p, QRectF(38, 91, 52, 14), Direction::Right, Liquid);
    drawArrowShape(p, QRectF(210, 91, 52, 14), Direction::Right, Liquid);
    // Neck
    p.setBrush(pipe);
    p.drawRect(QRectF(140, 58, 20, 24));
    // Transmitter housing
    QLinearGradient housing(0, 2, 0, 60);
    housing.setColorAt(0, QColor(0x5a, 0x64, 0x72));
    housing.setColorAt(1, QColor(0x2f, 0x36, 0x40));
    p.setBrush(housing);
    p.setPen(QPen(Ink, 1.2));
    p.drawRoundedRect(QRectF(86, 2, 128, 58), 9, 9);
    // Cable glands
    p.setBrush(Metal);
    p.drawRect(QRectF(214, 22, 10, 12));
    p.drawRect(QRectF(76, 22, 10, 12));
    // Display
    p.setBrush(Lcd);
    p.setPen(QPen(Ink, 1));
    p.drawRoundedRect(QRectF(98, 10, 78, 26), 3, 3);
    p.setPen(QColor(0x1f, 0x33, 0x14));
    p.setFont(pictureFont(15, true));
    p.drawText(QRectF(98, 10, 74, 26), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("12.50"));
    p.setFont(pictureFont(7));
    p.drawText(QRectF(101, 12, 30, 10), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("l/min"));
    // Keys
    p.setPen(QPen(Ink, 1));
    p.setBrush(MetalLight);
    p.drawEllipse(QRectF(186, 12, 10, 10));
    p.drawEllipse(QRectF(186, 27, 10, 10));
    // Name plate
    p.setPen(Paper);
    p.setFont(pictureFont(11, true));
    p.drawText(QRectF(86, 38, 128, 20), Qt::AlignCenter, QStringLiteral("KR 715"));
}

// Frame of a small signal diagram: returns the plotting rectangle.
QRectF drawAxes(QPainter &p, const QRectF &area, const QString &yLabel, const QString &xLabel)
{
    p.setPen(QPen(Ink, 1.2));
    const QRectF plot = area.adjusted(16, 6, -8, -16);
    p.drawLine(plot.bottomLeft(), plot.topLeft() + QPointF(0, -2));
    p.drawLine(plot.bottomLeft(), plot.bottomRight() + QPointF(4, 0));
    p.setBrush(Ink);
    p.drawPolygon(QPolygonF({plot.topLeft() + QPointF(-3, 2), plot.topLeft() + QPointF(3, 2), plot.topLeft() + QPointF(0, -5)}));
    p.drawPolygon(QPolygonF({plot.bottomRight() + QPointF(0, -3), plot.bottomRight() + QPointF(0, 3), plot.bottomRight() + QPointF(7, 0)}));
    p.setFont(pictureFont(9));
    p.drawText(QRectF(area.left(), area.top(), 16, 14), Qt::AlignCenter, yLabel);
    p.drawText(QRectF(plot.right() - 40, plot.bottom() + 2, 48, 14), Qt::AlignRight | Qt::AlignTop, xLabel);
    return plot;
}

void drawSquareWave(QPainter &p, const QRectF &plot, int periods, const QColor &colour, double duty = 0.5)
{
    QPainterPath wave;
    const double low = plot.bottom() - 2;
    const double high = plot.top() + plot.height() * 0.25;
    const double period = plot.width() / (periods + 0.5);
    double x = plot.left() + period * 0.25;
    wave.moveTo(plot.left(), low);
    wave.lineTo(x, low);
    for (int i = 0; i < periods; ++i) {
        wave.lineTo(x, high);
        wave.lineTo(x + period * duty, high);
        wave.lineTo(x + period * duty, low);
        x += period;
        wave.lineTo(std::min(x, plot.right()), low);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(wave);
}

void drawPulseTrain(QPainter &p, const QSize &size, const QString &caption, int periods)
{
    fitCanvas(p, size, QSizeF(200, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1, 1, 198, 108), 6, 6);
    const QRectF plot = drawAxes(p, QRectF(6, 22, 188, 84), QStringLiteral("U"), QStringLiteral("t"));
    drawSquareWave(p, plot, periods, Steel);
    p.setPen(Ink);
    p.setFont(pictureFont(12, true));
    p.drawText(QRectF(6, 3, 188, 18), Qt::AlignCenter, caption);
}

void drawBatchTank(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(200, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1, 1, 198, 108), 6, 6);
    // Feed pipe with valve
    p.setPen(QPen(Ink, 1));
    p.setBrush(Metal);
    p.drawRect(QRectF(8, 14, 92, 8));
    p.drawRect(QRectF(92, 14, 8, 22));
    QPolygonF valve({QPointF(38, 8), QPointF(38, 28), QPointF(58, 8), QPointF(58, 28)});
    p.setBrush(Signal);
    p.drawPolygon(valve);
    p.drawLine(QPointF(48, 18), QPointF(48, 4));
    p.drawRect(QRectF(43, 1, 10, 4));
    // Falling liquid
    p.setPen(QPen(Liquid, 3));
    p.drawLine(QPointF(96, 36), QPointF(96, 62));
    // Tank
    const QRectF tank(62, 38, 76, 64);
    QLinearGradient level(0, 66, 0, 102);
    level.setColorAt(0, Liquid.lighter(130));
    level.setColorAt(1, Liquid.darker(115));
    p.setPen(Qt::NoPen);
    p.setBrush(level);
    p.drawRect(QRectF(tank.left(), 64, tank.width(), tank.bottom() - 64));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Ink, 2));
    QPainterPath walls;
    walls.moveTo(tank.topLeft());
    walls.lineTo(tank.bottomLeft());
    walls.lineTo(tank.bottomRight());
    walls.lineTo(tank.topRight());
    p.drawPath(walls);
    // Setpoint mark
    p.setPen(QPen(Signal, 1.5, Qt::DashLine));
    p.drawLine(QPointF(tank.left() - 6, 50), QPointF(tank.right() + 10, 50));
    p.setPen(Ink);
    p.setFont(pictureFont(10));
    p.drawText(QRectF(tank.right() + 12, 42, 60, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Setpoint"));
    p.setFont(pictureFont(12, true));
    p.drawText(QRectF(104, 4, 92, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Batch"));
}

void drawLimitSwitch(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(200, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1, 1, 198, 108), 6, 6);
    const QRectF plot = drawAxes(p, QRectF(6, 4, 188, 70), QStringLiteral("x"), QString());
    // Limit
    const double limit = plot.top() + plot.height() * 0.45;
    p.setPen(QPen(Signal, 1.5, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), limit), QPointF(plot.right(), limit));
    p.setPen(Signal);
    p.setFont(pictureFont(9));
    p.drawText(QRectF(plot.right() - 44, limit - 14, 44, 12), Qt::AlignRight, QStringLiteral("Limit"));
    // Measured value rising above the limit and falling again
    QPainterPath value;
    const int steps = 60;
    QList<double> crossings;
    double previous = 0;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double y = plot.bottom() - plot.height() * (0.15 + 0.7 * std::sin(t * 3.14159265));
        const QPointF point(plot.left() + t * plot.width(), y);
        if (i == 0)
            value.moveTo(point);
        else
            value.lineTo(point);
        if (i > 0 && ((previous > limit) != (y > limit)))
            crossings.append(point.x());
        previous = y;
    }
    p.setPen(QPen(Steel, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(value);
    // Output: on while the value is above the limit
    const QRectF out(plot.left(), 80, plot.width(), 24);
    p.setPen(QPen(Ink, 1));
    p.drawLine(out.bottomLeft(), out.bottomRight());
    if (crossings.size() == 2) {
        QPainterPath step;
        step.moveTo(out.left(), out.bottom() - 1);
        step.lineTo(crossings[0], out.bottom() - 1);
        step.lineTo(crossings[0], out.top() + 4);
        step.lineTo(crossings[1], out.top() + 4);
        step.lineTo(crossings[1], out.bottom() - 1);
        step.lineTo(out.right(), out.bottom() - 1);
        p.setPen(QPen(LitGreen.darker(130), 2));
        p.drawPath(step);
    }
    p.setPen(Ink);
    p.setFont(pictureFont(9));
    p.drawText(QRectF(6, 80, 18, 24), Qt::AlignCenter, QStringLiteral("Out"));
}

void drawSign(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(200, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1, 1, 198, 108), 6, 6);
    // Forward flow: output off; backward flow: output on
    drawArrowShape(p, QRectF(54, 14, 110, 28), Direction::Right, Liquid);
    drawArrowShape(p, QRectF(54, 66, 110, 28), Direction::Left, Signal);
    p.setFont(pictureFont(30, true));
    p.setPen(Liquid.darker(130));
    p.drawText(QRectF(8, 6, 40, 44), Qt::AlignCenter, QStringLiteral("+"));
    p.setPen(Signal.darker(120));
    p.drawText(QRectF(8, 58, 40, 44), Qt::AlignCenter, QString(QChar(0x2212)));
    p.setPen(Ink);
    p.setFont(pictureFont(10));
    p.drawText(QRectF(166, 14, 32, 28), Qt::AlignCenter, QStringLiteral("Off"));
    p.drawText(QRectF(166, 66, 32, 28), Qt::AlignCenter, QStringLiteral("On"));
}

void drawCurrentLoop(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(160, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(1, 1, 158, 88), 6, 6);
    // Loop wire
    p.setPen(QPen(Ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(28, 22, 104, 50));
    // Source (left) and meter (right) on the wire
    p.setBrush(Paper);
    p.setPen(QPen(Ink, 2));
    p.drawEllipse(QPointF(28, 47), 14, 14);
    p.drawEllipse(QPointF(132, 47), 14, 14);
    p.setPen(QPen(Signal, 2));
    p.drawLine(QPointF(28, 55), QPointF(28, 39));
    p.setBrush(Signal);
    p.drawPolygon(QPolygonF({QPointF(24, 42), QPointF(32, 42), QPointF(28, 36)}));
    p.setPen(Ink);
    p.setFont(pictureFont(10, true));
    p.drawText(QRectF(118, 40, 28, 14), Qt::AlignCenter, QStringLiteral("mA"));
    // Current direction on the top wire
    drawArrowShape(p, QRectF(66, 16, 28, 12), Direction::Right, Signal);
    p.setFont(pictureFont(13, true));
    p.setPen(Steel.darker(120));
    p.drawText(QRectF(0, 70, 160, 18), Qt::AlignCenter, QStringLiteral("4-20 mA"));
}

void drawPIExample(QPainter &p, const QSize &size)
{
    const QSizeF canvas(386, 300);
    fitCanvas(p, size, canvas);
    p.setPen(QPen(Metal, 1));
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(0.5, 0.5, canvas.width() - 1, canvas.height() - 1), 8, 8);

    p.setPen(Ink);
    p.setFont(pictureFont(14, true));
    p.drawText(QRectF(12, 8, 362, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PI-regulator, step response"));

    // Upper diagram: data and setpoint
    const QRectF upper = drawAxes(p, QRectF(12, 34, 362, 132), QString(), QStringLiteral("t"));
    const double setpoint = upper.top() + upper.height() * 0.28;
    const double start = upper.bottom() - 4;
    p.setPen(QPen(Signal, 1.5, Qt::DashLine));
    p.drawLine(QPointF(upper.left(), setpoint), QPointF(upper.right(), setpoint));
    QPainterPath data;
    QPainterPath output;
    const QRectF lower(upper.left(), 196, upper.width(), 78);
    const int steps = 160;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double s = t * 9.0;
        // Second order answer with some overshoot
        const double response = 1.0 - std::exp(-0.75 * s) * (std::cos(1.6 * s) + 0.47 * std::sin(1.6 * s));
        const QPointF dp(upper.left() + t * upper.width(), start - (start - setpoint) * response);
        // Regulator output: proportional kick, then the integral part settles
        const double u = 0.55 + 0.45 * std::exp(-0.75 * s) * std::cos(1.6 * s);
        const QPointF op(lower.left() + t * lower.width(), lower.bottom() - lower.height() * 0.9 * u);
        if (i == 0) {
            data.moveTo(dp);
            output.moveTo(op);
        } else {
            data.lineTo(dp);
            output.lineTo(op);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Steel, 2.2));
    p.drawPath(data);

    // Lower diagram: output 0-100 %
    p.setPen(QPen(Ink, 1.2));
    p.drawLine(lower.bottomLeft(), lower.topLeft());
    p.drawLine(lower.bottomLeft(), lower.bottomRight());
    p.setPen(QPen(LitGreen.darker(140), 2.2));
    p.drawPath(output);

    // Legend and notes
    p.setFont(pictureFont(11));
    p.setPen(Signal);
    p.drawText(QRectF(upper.right() - 150, setpoint - 18, 150, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Setpoint"));
    p.setPen(Steel);
    p.drawText(QRectF(upper.left() + 120, start - 34, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Data (measured value)"));
    p.setPen(LitGreen.darker(150));
    p.drawText(QRectF(lower.left() + 120, lower.top() - 16, 220, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Output 0-100 % (4-20 mA)"));
    p.setPen(Ink);
    p.setFont(pictureFont(10));
    p.drawText(QRectF(12, 278, 362, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Small P-band: fast, more overshoot. Large Ti: slow integral action."));
}

void drawHelpCursor(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(32, 32));
    // Pointer arrow
    QPolygonF pointer({QPointF(2, 2), QPointF(2, 22), QPointF(7, 17), QPointF(10.5, 25), QPointF(14, 23.5), QPointF(10.5, 16),
                       QPointF(17, 16)});
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(pointer);
    // Question mark badge
    QRadialGradient badge(QPointF(22, 19), 10);
    badge.setColorAt(0, SteelLight);
    badge.setColorAt(1, Steel);
    p.setBrush(badge);
    p.setPen(QPen(Steel.darker(150), 1));
    p.drawEllipse(QRectF(14, 12, 17, 17));
    p.setPen(Qt::white);
    p.setFont(pictureFont(14, true));
    p.drawText(QRectF(14, 12, 17, 17), Qt::AlignCenter, QStringLiteral("?"));
}

void drawOpenFile(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(32, 32));
    p.setPen(QPen(QColor(0x8a, 0x6a, 0x1c), 1));
    p.setBrush(QColor(0xe8, 0xb9, 0x4a));
    QPolygonF back({QPointF(2, 8), QPointF(11, 8), QPointF(14, 11), QPointF(27, 11), QPointF(27, 27), QPointF(2, 27)});
    p.drawPolygon(back);
    p.setBrush(QColor(0xf6, 0xd3, 0x7a));
    QPolygonF front({QPointF(2, 27), QPointF(7, 15), QPointF(31, 15), QPointF(27, 27)});
    p.drawPolygon(front);
    // Data goes from the file into the device: arrow up out of the folder
    drawArrowShape(p, QRectF(15, 0, 12, 14), Direction::Up, Steel);
}

void drawSaveFile(QPainter &p, const QSize &size)
{
    fitCanvas(p, size, QSizeF(32, 32));
    p.setPen(QPen(Steel.darker(160), 1));
    p.setBrush(Steel);
    QPolygonF disk({QPointF(3, 3), QPointF(25, 3), QPointF(29, 7), QPointF(29, 29), QPointF(3, 29)});
    p.drawPolygon(disk);
    p.setBrush(MetalLight);
    p.drawRect(QRectF(8, 3, 15, 9));
    p.setBrush(Steel.darker(140));
    p.drawRect(QRectF(18, 4.5, 3, 6));
    p.setBrush(Paper);
    p.drawRect(QRectF(7, 16, 18, 13));
    p.setPen(QPen(Metal, 1));
    for (double y : {20.0, 23.0, 26.0})
        p.drawLine(QPointF(10, y), QPointF(22, y));
}

using Painter = std::function<void(QPainter &, const QSize &)>;

struct Entry {
    QString name;
    Painter paint;
};

const QList<Entry> &catalogue()
{
    static const QList<Entry> entries = [] {
        const Painter lampOn = [](QPainter &p, const QSize &s) { drawLamp(p, s, true); };
        const Painter lampOff = [](QPainter &p, const QSize &s) { drawLamp(p, s, false); };
        const Painter left = [](QPainter &p, const QSize &s) { drawArrow(p, s, Direction::Left); };
        const Painter right = [](QPainter &p, const QSize &s) { drawArrow(p, s, Direction::Right); };
        const Painter down = [](QPainter &p, const QSize &s) { drawArrow(p, s, Direction::Down); };
        return QList<Entry>{
            {QStringLiteral("imgGenKR715"), drawDevice},
            {QStringLiteral("imgDataOut2On"), lampOn},
            {QStringLiteral("imgDataOut2Off"), lampOff},
            {QStringLiteral("imgDataOut3On"), lampOn},
            {QStringLiteral("imgDataOut3Off"), lampOff},
            {QStringLiteral("imgOut2Pulse"),
             [](QPainter &p, const QSize &s) { drawPulseTrain(p, s, QStringLiteral("Pulse 0-10 Hz"), 5); }},
            {QStringLiteral("imgOut2Batch"), drawBatchTank},
            {QStringLiteral("imgOut2Limit"), drawLimitSwitch},
            {QStringLiteral("imgOut2Sign"), drawSign},
            {QStringLiteral("imgOut2PilVenstre"), left},
            {QStringLiteral("imgOut3PIPil"), down},
            {QStringLiteral("imgOut3FuncPil"), down},
            {QStringLiteral("imgOut3CurrentImage"), drawCurrentLoop},
            {QStringLiteral("imgOut3PulseImage"),
             [](QPainter &p, const QSize &s) { drawPulseTrain(p, s, QStringLiteral("0-1000 Hz"), 9); }},
            {QStringLiteral("imgOut3PIEks"), drawPIExample},
            {QStringLiteral("imgOut3PIHint"), drawHelpCursor},
            {QStringLiteral("bbConLoadE1_8"), drawOpenFile},
            {QStringLiteral("bbConSaveE1_8"), drawSaveFile},
            {QStringLiteral("LampOn"), lampOn},
            {QStringLiteral("LampOff"), lampOff},
            {QStringLiteral("ArrowLeft"), left},
            {QStringLiteral("ArrowRight"), right},
            {QStringLiteral("ArrowDown"), down},
            {QStringLiteral("ArrowUp"), [](QPainter &p, const QSize &s) { drawArrow(p, s, Direction::Up); }},
            {QStringLiteral("HelpCursor"), drawHelpCursor},
            {QStringLiteral("OpenFile"), drawOpenFile},
            {QStringLiteral("SaveFile"), drawSaveFile},
        };
    }();
    return entries;
}

const Entry *findEntry(const QString &name)
{
    for (const Entry &entry : catalogue()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

} // namespace

QPixmap krPicture(const QString &name, const QSize &size)
{
    if (size.isEmpty())
        return QPixmap();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    if (const Entry *entry = findEntry(name)) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        entry->paint(painter, size);
    }
    return pixmap;
}

bool krHasPicture(const QString &name)
{
    return findEntry(name) != nullptr;
}

QStringList krPictureNames()
{
    QStringList names;
    for (const Entry &entry : catalogue())
        names.append(entry.name);
    return names;
}

void krApplyPictures(QWidget *root)
{
    if (!root)
        return;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : std::as_const(widgets)) {
        if (auto *image = qobject_cast<TImage *>(widget)) {
            const QString name = image->Picture().isEmpty() ? image->objectName() : image->Picture();
            image->setPixmap(krPicture(name, image->size()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            if (krHasPicture(button->objectName()))
                button->setIcon(QIcon(krPicture(button->objectName(), button->iconSize())));
        }
    }
}
