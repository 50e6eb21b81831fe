#pragma once
// Small value types shared by the symbols and their elements: rectangles with an
// exclusive right and bottom edge, the shift state of mouse and key events, the
// paper dimension of a symbol, colours in the designer's encoding and the
// notification signatures.

#include "KrGlobal.h"

#include <QColor>
#include <QFlags>
#include <QPoint>
#include <QRect>
#include <QVariant>
#include <functional>

class QObject;

// A rectangle given by its edges; Right and Bottom lie just outside it, so the
// width is Right - Left. Converts to and from QRect.
struct KRTL_EXPORT TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    static TRect fromQRect(const QRect &r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool Contains(const QPoint &p) const { return Contains(p.x(), p.y()); }
    // Left/Top ordered below Right/Bottom.
    TRect Normalized() const;
    // The rectangle moved inwards by d on every side (outwards for negative d).
    TRect Inflated(int d) const { return TRect(Left - d, Top - d, Right + d, Bottom + d); }
    TRect Deflated(int d) const { return Inflated(-d); }
    TRect Offset(int dx, int dy) const { return TRect(Left + dx, Top + dy, Right + dx, Bottom + dy); }
    QPoint TopLeft() const { return QPoint(Left, Top); }

    friend constexpr bool operator==(const TRect &a, const TRect &b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
    }
    friend constexpr bool operator!=(const TRect &a, const TRect &b) { return !(a == b); }
};
Q_DECLARE_TYPEINFO(TRect, Q_PRIMITIVE_TYPE);

// A symbol's place and size on its paper, in fractions of the work area at zoom 1:
// pixel = value x WorkAreaW (or WorkAreaH) x GlobZoomFactor.
struct KRTL_EXPORT TDim {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    friend bool operator==(const TDim &a, const TDim &b)
    {
        return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
    }
};

enum TShiftFlag {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Cursor codes of the designer (hand point is the one the components use).
enum TKrCursor { crDefault = 0, crArrow = -2, crCross = -3, crIBeam = -4, crSizeAll = -22, crHandPoint = -21 };

// Rotate and mirror functions: 0 a quarter turn clockwise, 1 a quarter turn
// anticlockwise, 2 mirror left to right, 3 mirror top to bottom.
using TRotateFunction = int;
enum { rfRotateRight = 0, rfRotateLeft = 1, rfMirrorHorizontal = 2, rfMirrorVertical = 3 };

// How the host created a symbol: placed new by the operator, loaded from a page,
// or pasted.
enum TKrCreateMode { cmNew = 0, cmLoad = 1, cmPaste = 2 };

// Colours in the designer's 32-bit encoding: 0x00BBGGRR, or, with the top bit set,
// the index of a system colour in the low byte (0x8000000F is the button face).
using TColor = quint32;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clBtnHighlight = 0x80000014;
constexpr TColor clBlack = 0x00000000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clNone = 0x1FFFFFFF;
KRTL_EXPORT QColor KrColor(TColor c);
KRTL_EXPORT TColor KrColorFromQColor(const QColor &c);

using TNotifyEvent = std::function<void(QObject *sender)>;
using TMouseEvent = std::function<void(QObject *sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject *sender, TShiftState shift, int x, int y)>;
// Key events carry the virtual key code (37 left, 38 up, 39 right, 40 down, ...);
// key down and key up with the shift state, key press with the code alone.
using TKeyEvent = std::function<void(QObject *sender, int &key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(QObject *sender, int &key)>;
