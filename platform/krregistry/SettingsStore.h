#pragma once
// The contents of the KRRegistry settings file, held in memory.
//
// File format (UTF-8 text, one setting per line):
//
//   ; comment
//   [<section>]              values of a section's top-level key ""
//   [<section>\<key>]        values of one key of a section
//   <name>=<value>
//
// Sections, keys, names and values are stored byte for byte, with "%XX"
// (two hexadecimal digits) standing for any byte that would break the line
// structure: '%' itself, control characters such as newlines, '\', '[' and
// ']' in group headers, '=' in names, a leading '[', ';' or '#' in names,
// spaces at either end, and every byte of 0x80 and above when the string is
// not valid UTF-8 (valid UTF-8 is written as it is, so the file stays readable).
//
// Parsing never fails: whatever cannot be understood is skipped. Lines
// without '=' are ignored, a broken group header ("[abc" without "]")
// discards the lines that follow it up to the next good header, lines before
// the first header are ignored, and a "%" not followed by two hexadecimal
// digits stands for itself. A name given twice keeps the last value.

#include <QByteArray>
#include <QByteArrayView>

#include <map>
#include <utility>

namespace krregistry {

class SettingsStore {
public:
    static SettingsStore parse(QByteArrayView text);
    QByteArray serialize() const;

    // The value of section/key/name, or null when there is none.
    const QByteArray *value(const QByteArray &section, const QByteArray &key,
                            const QByteArray &name) const;

    // Each returns true when the contents changed.
    bool setValue(const QByteArray &section, const QByteArray &key, const QByteArray &name,
                  const QByteArray &value);
    bool removeSection(const QByteArray &section);
    bool removeKey(const QByteArray &section, const QByteArray &key);
    bool removeValue(const QByteArray &section, const QByteArray &key, const QByteArray &name);

    bool isEmpty() const { return m_groups.empty(); }

private:
    using GroupId = std::pair<QByteArray, QByteArray>; // section, key
    using Values = std::map<QByteArray, QByteArray>;   // name -> value
    std::map<GroupId, Values> m_groups;                // never holds an empty Values
};

} // namespace krregistry
