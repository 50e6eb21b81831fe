#pragma once
// Number texts as the operator sees and types them, in the user's locale
// (decimal separator, no digit grouping).

#include <QLocale>
#include <QString>

namespace numfmt {

// The locale used for number texts: the user's, without digit grouping.
QLocale userLocale();

// Fixed-point text of a value reduced to single precision, with seven significant
// digits: 7 decimals below 1, 6 from 1, 5 from 10 ... 0 from 1 000 000; "0" for zero.
// From ten million on a single-precision value has no fixed seven-digit form; it is
// written with as few significant digits (7 to 9) as give back the same
// single-precision value: in plain digits below 1E15 ("123456790"), above that in
// exponent form ("1.500000E+20", "3.4028235E+38"). Not-a-number and infinities read "NAN", "INF", "-INF".
QString FormatSevenDigits(double x, const QLocale &locale = userLocale());

// Shortest decimal text with at most 15 significant digits (the general number form).
QString generalText(double x, const QLocale &locale = userLocale());

// Fixed notation after rounding to `precision` significant digits, with `decimals`
// decimals; a value with more integer digits than the precision is given in the
// general form instead.
QString fixedText(double x, int precision, int decimals, const QLocale &locale = userLocale());

// The temperature as the Data tab shows it: one decimal (fixedText(x, 15, 1)), and a
// plain "0" for zero.
QString temperatureText(double x, const QLocale &locale = userLocale());

// A real typed by the operator, in the locale (leading and trailing blanks allowed).
bool parseReal(const QString &text, double &value, const QLocale &locale = userLocale());

} // namespace numfmt
