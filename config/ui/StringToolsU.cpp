#include "StringToolsU.h"

QString AsciiLowerCase(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(char16_t(u + (u'a' - u'A')));
    }
    return result;
}

QString ReplaceRange(const QString &text, const QString &insert, int count, int position)
{
    QString result = text;
    const qsizetype length = result.size();
    if (position >= 1 && position <= length && count > 0) {
        const qsizetype start = position - 1;
        const qsizetype removed = qMin<qsizetype>(count, length - start);
        result.remove(start, removed);
    }
    qsizetype at = qsizetype(position) - 1;
    if (at < 0)
        at = 0;
    if (at > result.size())
        at = result.size();
    result.insert(at, insert);
    return result;
}

QString ReplaceAll(const QString &text, const QString &pattern, bool caseSensitive,
                   const QString &replacement)
{
    if (pattern.isEmpty())
        return text;
    const QString haystack = caseSensitive ? text : AsciiLowerCase(text);
    const QString needle = caseSensitive ? pattern : AsciiLowerCase(pattern);
    QString result;
    qsizetype from = 0;
    while (true) {
        const qsizetype found = haystack.indexOf(needle, from, Qt::CaseSensitive);
        if (found < 0)
            break;
        result += QStringView(text).mid(from, found - from);
        result += replacement;
        from = found + needle.size();
    }
    if (from == 0)
        return text;
    result += QStringView(text).mid(from);
    return result;
}

QString RightStr(const QString &text, int n)
{
    if (n <= 0)
        return QString();
    if (n >= text.size())
        return text;
    return text.right(n);
}
