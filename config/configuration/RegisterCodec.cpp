#include "RegisterCodec.h"

#include "NumberFormat.h"

#include <cmath>

namespace regcodec {

QString sixDigitHex(qint32 value)
{
    return QStringLiteral("%1").arg(static_cast<quint32>(value), 8, 16, QLatin1Char('0')).toUpper().left(6);
}

QString serialText(qint32 value)
{
    return QStringLiteral("%1").arg(static_cast<quint32>(value), 2, 16, QLatin1Char('0')).toUpper().left(6);
}

std::optional<qint32> codeWriteValue(const QString &text)
{
    if (text.size() != 6)
        return std::nullopt;
    quint32 value = 0;
    for (int k = 1; k <= text.size(); ++k) {
        const std::optional<int> d = digit(text, k);
        if (!d)
            return std::nullopt;
        value = (value << 4) | static_cast<quint32>(*d);
    }
    return static_cast<qint32>(value << 8);
}

std::optional<int> digit(const QString &text, int k)
{
    if (k < 1 || k > text.size())
        return std::nullopt;
    const QChar c = text.at(k - 1);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    return std::nullopt;
}

QString withDigit(const QString &text, int k, int value)
{
    QString result = text.size() >= 6 ? text : QStringLiteral("000000");
    if (k >= 1 && k <= result.size() && value >= 0 && value < 16)
        result[k - 1] = QString::number(value, 16).toUpper().at(0);
    return result;
}

static bool allHexDigits(const QString &text)
{
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
              || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

std::optional<QString> fileRegisterText(int reg, const QString &text)
{
    const QString t = text.trimmed();
    if (isRealRegister(reg)) {
        double v = 0;
        if (t.isEmpty() || !numfmt::parseReal(t, v) || !std::isfinite(static_cast<float>(v)))
            return std::nullopt;
        return t;
    }
    if (reg == 8) {
        const QString first = t.left(4);
        if (first.size() < 4 || !allHexDigits(first))
            return std::nullopt;
        return first.toUpper();
    }
    if (isCodeRegister(reg)) {
        if (t.size() != 6 || !allHexDigits(t))
            return std::nullopt;
        return t.toUpper();
    }
    return std::nullopt;
}

} // namespace regcodec
