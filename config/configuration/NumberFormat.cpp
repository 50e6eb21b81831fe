#include "NumberFormat.h"

#include <cmath>

namespace numfmt {

QLocale userLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

namespace {

QString specialText(double x)
{
    if (std::isnan(x))
        return QStringLiteral("NAN");
    return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Significant digits (7 to 9) that give back the same single-precision value.
int roundTripDigits(float f)
{
    for (int digits = 7; digits < 9; ++digits) {
        const double rounded = QString::number(static_cast<double>(f), 'e', digits - 1).toDouble();
        if (static_cast<float>(rounded) == f)
            return digits;
    }
    return 9;
}

QString withLocaleSeparators(QString text, const QLocale &locale)
{
    // Text made with the C locale: "." decimal point, "e" exponent, "-" sign.
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    if (locale.negativeSign() != QLatin1String("-"))
        text.replace(QLatin1Char('-'), locale.negativeSign());
    return text;
}

} // namespace

QString FormatSevenDigits(double x, const QLocale &locale)
{
    const float f = static_cast<float>(x);
    if (!std::isfinite(f))
        return specialText(f);
    if (f == 0.0f)
        return QStringLiteral("0");
    const double a = std::fabs(static_cast<double>(f));
    if (a >= 1e7) {
        const int digits = roundTripDigits(f);
        const double rounded = QString::number(static_cast<double>(f), 'e', digits - 1).toDouble();
        if (a < 1e15)
            return locale.toString(rounded, 'f', 0);
        // Exponent form: mantissa with the needed decimals, "E", sign and at least two digits.
        QString text = QString::number(rounded, 'E', digits - 1);
        return withLocaleSeparators(text, locale);
    }
    int decimals = 7;
    for (double limit = 1; decimals > 0 && a >= limit; limit *= 10)
        --decimals;
    return locale.toString(static_cast<double>(f), 'f', decimals);
}

QString generalText(double x, const QLocale &locale)
{
    if (!std::isfinite(x))
        return specialText(x);
    // Up to 15 significant digits, trailing zeros dropped; the exponent form for very
    // large and very small magnitudes is written as "1.5E-6", "1E15".
    QString text = QString::number(x, 'g', 15);
    const int e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const QString mantissa = text.left(e);
        const int exponent = text.mid(e + 1).toInt();
        text = mantissa + QLatin1Char('E') + QString::number(exponent);
    }
    return withLocaleSeparators(text, locale);
}

QString fixedText(double x, int precision, int decimals, const QLocale &locale)
{
    if (!std::isfinite(x))
        return specialText(x);
    const double a = std::fabs(x);
    if (a >= std::pow(10.0, precision))
        return generalText(x, locale);
    // Round to the precision first, then show the decimals.
    const double rounded = a == 0 ? 0 : QString::number(x, 'e', precision - 1).toDouble();
    return locale.toString(rounded, 'f', decimals);
}

bool parseReal(const QString &text, double &value, const QLocale &locale)
{
    // Digit grouping is never accepted: in a decimal-comma locale "1.250" is a typing
    // mistake, not one thousand two hundred and fifty.
    QLocale strict = locale;
    strict.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = strict.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString temperatureText(double x, const QLocale &locale)
{
    const QString t = fixedText(x, 15, 1, locale);
    return t == QStringLiteral("0") + locale.decimalPoint() + QStringLiteral("0") ? QStringLiteral("0") : t;
}

} // namespace numfmt
