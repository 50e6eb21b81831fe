#include "SettingsStore.h"

namespace krregistry {

namespace {

// Which part of a line a string goes into; each part has its own special characters.
enum class Part { Header, Name, Value };

constexpr char HexDigits[] = "0123456789ABCDEF";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool mustEscape(unsigned char c, qsizetype pos, qsizetype length, Part part, bool validUtf8)
{
    if (c == '%' || c < 0x20 || c == 0x7F)
        return true;
    if (c >= 0x80)
        return !validUtf8;
    if (c == ' ' && (pos == 0 || pos == length - 1))
        return true; // the reader trims the ends of every field
    switch (part) {
    case Part::Header:
        return c == '\\' || c == '[' || c == ']';
    case Part::Name:
        return c == '=' || (pos == 0 && (c == '[' || c == ';' || c == '#'));
    case Part::Value:
        return false;
    }
    return false;
}

QByteArray encode(const QByteArray &raw, Part part)
{
    const bool validUtf8 = raw.isValidUtf8();
    QByteArray out;
    out.reserve(raw.size());
    const qsizetype length = raw.size();
    for (qsizetype i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (mustEscape(c, i, length, part, validUtf8)) {
            out += '%';
            out += HexDigits[c >> 4];
            out += HexDigits[c & 0xF];
        } else {
            out += char(c);
        }
    }
    return out;
}

// The settings travel as zero-terminated strings, so a zero byte (raw or
// escaped) can only come from damage and is dropped.
QByteArray decode(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < length) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                c = char(high * 16 + low);
                i += 2;
            }
        }
        if (c != '\0')
            out += c;
    }
    return out;
}

} // namespace

SettingsStore SettingsStore::parse(QByteArrayView text)
{
    SettingsStore store;
    bool inGroup = false;
    GroupId current;

    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = text.sliced(start, end - start).trimmed();
        start = end + 1;

        if (line.isEmpty() || line.front() == ';' || line.front() == '#')
            continue;

        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']') {
                // A damaged header: what follows cannot be assigned to any group.
                inGroup = false;
                continue;
            }
            const QByteArrayView inner = line.sliced(1, line.size() - 2);
            const qsizetype separator = inner.indexOf('\\');
            if (separator < 0) {
                current = {decode(inner), QByteArray()};
            } else {
                current = {decode(inner.first(separator)), decode(inner.sliced(separator + 1))};
            }
            inGroup = true;
            continue;
        }

        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue; // half a line or garbage
        const QByteArray name = decode(line.first(equals).trimmed());
        const QByteArray value = decode(line.sliced(equals + 1).trimmed());
        store.m_groups[current][name] = value;
    }
    return store;
}

QByteArray SettingsStore::serialize() const
{
    QByteArray out;
    out += "; KRRegistry settings: one group per program section and key, one \"name=value\" per line.\n";
    out += "; Rewritten as a whole by the KR programs whenever a setting changes.\n";
    for (const auto &[id, values] : m_groups) {
        out += "\n[";
        out += encode(id.first, Part::Header);
        if (!id.second.isEmpty()) {
            out += '\\';
            out += encode(id.second, Part::Header);
        }
        out += "]\n";
        for (const auto &[name, value] : values) {
            out += encode(name, Part::Name);
            out += '=';
            out += encode(value, Part::Value);
            out += '\n';
        }
    }
    return out;
}

const QByteArray *SettingsStore::value(const QByteArray &section, const QByteArray &key,
                                       const QByteArray &name) const
{
    const auto group = m_groups.find({section, key});
    if (group == m_groups.end())
        return nullptr;
    const auto entry = group->second.find(name);
    return entry == group->second.end() ? nullptr : &entry->second;
}

bool SettingsStore::setValue(const QByteArray &section, const QByteArray &key,
                             const QByteArray &name, const QByteArray &value)
{
    Values &values = m_groups[{section, key}];
    const auto [entry, inserted] = values.try_emplace(name, value);
    if (inserted)
        return true;
    if (entry->second == value)
        return false;
    entry->second = value;
    return true;
}

bool SettingsStore::removeSection(const QByteArray &section)
{
    bool changed = false;
    auto it = m_groups.lower_bound({section, QByteArray()});
    while (it != m_groups.end() && it->first.first == section) {
        it = m_groups.erase(it);
        changed = true;
    }
    return changed;
}

bool SettingsStore::removeKey(const QByteArray &section, const QByteArray &key)
{
    return m_groups.erase({section, key}) > 0;
}

bool SettingsStore::removeValue(const QByteArray &section, const QByteArray &key,
                                const QByteArray &name)
{
    const auto group = m_groups.find({section, key});
    if (group == m_groups.end() || group->second.erase(name) == 0)
        return false;
    if (group->second.empty())
        m_groups.erase(group);
    return true;
}

} // namespace krregistry
