#pragma once
// What the digits of the code registers mean to the setting controls.

#include <QString>

namespace regdigits {

// Whether a hand-typed digit k (1 to 6) of register reg (3, 6, 7 or 8) may hold the
// value; digits no setting uses take any value.
bool typedDigitLegal(int reg, int k, int value);
// Whether digit k of register reg is checked at all when typed by hand.
bool typedDigitChecked(int reg, int k);
bool isCheckedRegister(int reg);

// The list that shows digit k (1 to 6) of E7.
QString e7List(int k);

// The register a setting list belongs to (3, 6, 7 or 8); 0 for a list of no register.
int registerOfList(const QString &name);

} // namespace regdigits
