#include "KrTypes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>

TRect TRect::Normalized() const
{
    return TRect(qMin(Left, Right), qMin(Top, Bottom), qMax(Left, Right), qMax(Top, Bottom));
}

QColor KrColor(TColor c)
{
    if (c == clNone)
        return QColor(Qt::transparent);
    if (c & 0x80000000u) {
        QPalette pal = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::palette() : QPalette();
        switch (c & 0xFF) {
        case 0x05: return pal.color(QPalette::Base);            // window background
        case 0x08: return pal.color(QPalette::Text);            // window text
        case 0x0F: return pal.color(QPalette::Button);          // button face
        case 0x10: return pal.color(QPalette::Dark);            // button shadow
        case 0x12: return pal.color(QPalette::ButtonText);      // button text
        case 0x14: return pal.color(QPalette::Light);           // button highlight
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x15: return pal.color(QPalette::Shadow);          // 3D dark shadow
        case 0x16: return pal.color(QPalette::Midlight);        // 3D light
        case 0x11: return pal.color(QPalette::Disabled, QPalette::Text); // gray text
        default: return pal.color(QPalette::Window);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor KrColorFromQColor(const QColor &c)
{
    if (!c.isValid() || c.alpha() == 0)
        return clNone;
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}
