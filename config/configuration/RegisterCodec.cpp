#include "RegisterCodec.h"

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

} // namespace regcodec
