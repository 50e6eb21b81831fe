#pragma once
// The setting lists of the configuration tabs, without widgets: for every list that
// shows digits of a code register, its control, the captions the tab shows for it,
// its entries with their value codes, and which entry a register text selects.
//
// The tabs fill their lists and captions from this table when they are created (the
// main window translates them afterwards), the register editor decodes registers
// through choiceOf, and the command-line tool words its settings with the same texts.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace settingwords {

struct Setting {
    QString list;          // the list control ("cmbInpFlowUnitConst"; "grpOut3PIRegMode" is a radio group)
    QString groupControl;  // the group box the list sits in
    QString groupTitle;    // its title ("Flow")
    QString labelControl;  // the label beside the list; empty when the group title names it
    QString label;         // its text ("Flow unit:")
    int reg = 0;           // the code register (3, 6, 7 or 8)
    int digit = 0;         // the register digit the list shows (1 to 6)
    QStringList entries;   // entry texts, in list order
    QStringList valueItems; // value code of each entry (hexadecimal digit); empty when the index decides
};

// Every setting list, in the order of the tabs: Units / Input, Output2, Output 3 / PI-reg.
const QList<Setting> &settings();
// The setting of a list control; nullptr for a control that is no setting list.
const Setting *find(const QString &list);

// What a list shows for a register text: the entry index, IllegalChoice for a digit
// the list has no entry for, or nothing when the text does not decide (one of the
// digits up to the list's own is missing or no hexadecimal digit).
constexpr int IllegalChoice = -1;
std::optional<int> choiceOf(const Setting &setting, const QString &registerText);

// The text a list shows for a digit it has no entry for.
inline QString illegalChoiceText() { return QStringLiteral("Illegal Choice"); }

} // namespace settingwords
