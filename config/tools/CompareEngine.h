#pragma once
// Device against configuration file, setting by setting, without widgets.
//
// A setting is one list (or the radio group of the PI mode) whose entry is coded in a
// digit of a code register, or one real register. What a register text means is read
// here as the main window's register decoding reads it, so the compare names a setting
// by the same entry text the list shows ("Illegal Choice" for a digit no entry has).
// The entry texts come from the caller (the real lists, translated), so the compare
// speaks the window's language.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace compare {

enum class SettingKind { List, Radio, Real };

struct Setting {
    const char *control;   // the control that shows the setting (a list, a radio group or a register edit)
    const char *caption;   // untranslated
    int reg;               // register 1 to 8
    SettingKind kind;
};

// Every setting, in the order of the tabs.
const QList<Setting> &settings();

// Register texts by register number 1 to 8 (index 0 unused).
using Registers = std::array<QString, 9>;

// A setting's value in a register set: for lists and radio groups the entry index
// (-1: "Illegal Choice"), for reals the number; known is false when the register does
// not hold the digits the setting needs (or no number).
struct Value {
    bool known = false;
    int index = -1;
    double number = 0;
    QString text; // the register text of a real setting, as given
};

// The entries of the lists (and the radio group) and their value codes, by control name.
struct ListTexts {
    QHash<QString, QStringList> entries;
    QHash<QString, QStringList> codes; // ValueItems; empty when the list has none
    QString illegal = QStringLiteral("Illegal Choice");
};

Value valueOf(const Setting &setting, const Registers &registers, const ListTexts &texts);

// The configuration file as the compare reads it. A register line that is missing or
// not valid leaves its register empty and is named in problems; a real written with
// the other decimal separator than the user's is read all the same and noted.
struct FileContents {
    Registers registers;             // empty where the file gives nothing usable
    std::array<bool, 9> present{};   // the register's line is there
    QStringList description;
    QStringList problems;            // untranslated notes, one a register
    bool otherSeparator = false;
    bool complete() const;           // E1, E2, E3, E5, E6, E7 and E8 all usable
};
FileContents readFile(const QByteArray &bytes);

struct Row {
    Setting setting;
    Value device;
    Value file;
    QString deviceText;  // in words
    QString fileText;
    bool differs = false;
    bool takeable = false; // the file's value can be taken over
    // "Output 2 function: Batch control ≠ Limit switch" or "Flow unit: Unit/minute"
    QString line;
};

using Translate = std::function<QString(const QString &)>;

// The rows of every setting; device and file register texts by register.
QList<Row> compareSettings(const Registers &device, const FileContents &file, const ListTexts &texts,
                           const Translate &translate);
// Every setting of one register set in words ("Output 2 function: Batch control").
QStringList describe(const Registers &registers, const ListTexts &texts, const Translate &translate);

} // namespace compare
