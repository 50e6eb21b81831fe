#pragma once
// The forms are laid out in pixels for the default font at 96 dots per inch (9 points,
// 12 pixels). With a larger font (a screen of 120 DPI, a bigger desktop font) every
// position and size grows by the same factor, as scaled forms of the toolkit do, so
// that captions, entries and messages stay readable in the fixed-size window.
#include <QFont>

class QWidget;

namespace krscale {

// The design font's pixel size.
constexpr double DesignPixels = 12.0;

// The factor for a font (the application's default font when none is given): its
// pixel size over the design's, never below 1.
double factor(const QFont &font);
double factor();

// Scales the geometry of every child of parent that no layout places (those of a
// layout follow their layout), down to the last descendant.
void scaleChildren(QWidget *parent, double factor);

// A length of the design scaled by factor.
inline int scaled(int length, double factor) { return static_cast<int>(length * factor + 0.5); }

} // namespace krscale
