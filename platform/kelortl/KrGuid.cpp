#include "KrGuid.h"

QString TGUID::ToString() const
{
    QString s = QStringLiteral("{%1-%2-%3-%4%5-")
                    .arg(D1, 8, 16, QLatin1Char('0'))
                    .arg(D2, 4, 16, QLatin1Char('0'))
                    .arg(D3, 4, 16, QLatin1Char('0'))
                    .arg(D4[0], 2, 16, QLatin1Char('0'))
                    .arg(D4[1], 2, 16, QLatin1Char('0'));
    for (int i = 2; i < 8; ++i)
        s += QStringLiteral("%1").arg(D4[i], 2, 16, QLatin1Char('0'));
    s += QLatin1Char('}');
    return s.toUpper();
}

TGUID TGUID::FromString(const QString &text, bool *ok)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('{')) && t.endsWith(QLatin1Char('}')))
        t = t.mid(1, t.size() - 2);
    TGUID g;
    auto fail = [&]() {
        if (ok)
            *ok = false;
        return TGUID();
    };
    if (t.size() != 36 || t[8] != QLatin1Char('-') || t[13] != QLatin1Char('-') || t[18] != QLatin1Char('-') || t[23] != QLatin1Char('-'))
        return fail();
    auto hex = [&](int from, int count, bool &good) -> quint64 {
        bool convOk = false;
        quint64 v = t.mid(from, count).toULongLong(&convOk, 16);
        good = good && convOk;
        return v;
    };
    bool good = true;
    g.D1 = quint32(hex(0, 8, good));
    g.D2 = quint16(hex(9, 4, good));
    g.D3 = quint16(hex(14, 4, good));
    g.D4[0] = quint8(hex(19, 2, good));
    g.D4[1] = quint8(hex(21, 2, good));
    for (int i = 0; i < 6; ++i)
        g.D4[2 + i] = quint8(hex(24 + 2 * i, 2, good));
    // toULongLong accepts signs and "0x"; insist on plain hex digits.
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (i == 8 || i == 13 || i == 18 || i == 23)
            continue;
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))))
            good = false;
    }
    if (!good)
        return fail();
    if (ok)
        *ok = true;
    return g;
}
