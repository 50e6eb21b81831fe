#pragma once
// Volume units of the meter size and the manufacturer's meter types.
//
// The unit indexes are those of the unit list: 0 "Unit" (no real unit), 1 "liter",
// 2 "m3", 3 "US_gallon", 4 "UK_gallon", 5 "Hektoliter".

#include <optional>

namespace units {

constexpr int UnitCount = 6;

// Factor that converts a meter size given in unit `from` into unit `to` (both 1 to 5,
// different); empty for "Unit" or the same unit.
std::optional<double> conversionFactor(int from, int to);

// Litres in one unit (1 to 5); empty for "Unit".
std::optional<double> litresPerUnit(int unit);

// Nominal size in litres of the meter type by its index in the type list
// (1 "C25" ... 5 "C76"); empty for 0 "No meter" or an unknown index.
std::optional<double> nominalLitres(int meterType);

} // namespace units
