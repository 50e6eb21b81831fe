#pragma once
// Interface identifiers: a 128-bit GUID written in registry form,
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}". Every interface that crosses a
// library boundary carries one fixed identifier in its static member IID and is
// asked for with GetInterface; a library never relies on run-time type
// information of a class defined in another library.

#include "KrGlobal.h"

#include <QString>
#include <cstdint>

struct KRTL_EXPORT TGUID {
    quint32 D1 = 0;
    quint16 D2 = 0;
    quint16 D3 = 0;
    quint8 D4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

    friend constexpr bool operator==(const TGUID &a, const TGUID &b)
    {
        if (a.D1 != b.D1 || a.D2 != b.D2 || a.D3 != b.D3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.D4[i] != b.D4[i])
                return false;
        return true;
    }
    friend constexpr bool operator!=(const TGUID &a, const TGUID &b) { return !(a == b); }
    constexpr bool IsNull() const { return *this == TGUID(); }

    // Registry form with braces and upper-case digits.
    QString ToString() const;
    // Parses the registry form (braces optional, any case); a null GUID when invalid.
    static TGUID FromString(const QString &text, bool *ok = nullptr);
};

namespace krguid_detail {
constexpr int hexDigit(char c)
{
    return (c >= '0' && c <= '9') ? c - '0'
        : (c >= 'a' && c <= 'f')  ? c - 'a' + 10
        : (c >= 'A' && c <= 'F')  ? c - 'A' + 10
                                  : throw "invalid hex digit in GUID";
}
constexpr std::uint64_t hexValue(const char *s, int from, int count)
{
    std::uint64_t v = 0;
    for (int i = 0; i < count; ++i)
        v = v * 16 + std::uint64_t(hexDigit(s[from + i]));
    return v;
}
} // namespace krguid_detail

// Compile-time GUID from its registry form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
consteval TGUID KrGuid(const char (&s)[39])
{
    using namespace krguid_detail;
    if (s[0] != '{' || s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-' || s[37] != '}')
        throw "GUID not in registry form";
    TGUID g;
    g.D1 = quint32(hexValue(s, 1, 8));
    g.D2 = quint16(hexValue(s, 10, 4));
    g.D3 = quint16(hexValue(s, 15, 4));
    g.D4[0] = quint8(hexValue(s, 20, 2));
    g.D4[1] = quint8(hexValue(s, 22, 2));
    for (int i = 0; i < 6; ++i)
        g.D4[2 + i] = quint8(hexValue(s, 25 + 2 * i, 2));
    return g;
}
