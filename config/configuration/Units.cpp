#include "Units.h"

namespace units {

namespace {

// Rows: from, columns: to; liter, m3, US_gallon, UK_gallon, Hektoliter.
constexpr double Factors[5][5] = {
    {0, 0.001, 0.264172052358, 0.219969151526, 0.01},
    {1000, 0, 264.172052358, 219.969151526, 10},
    {3.785411784, 0.003785411784, 0, 0.832673818304, 0.03785411784},
    {4.546092, 0.004546092, 1.20095045385, 0, 0.04546092},
    {100, 0.1, 26.4172052358, 21.9969151526, 0},
};
constexpr double Litres[5] = {1, 1000, 3.785411784, 4.546092, 100};
constexpr double Nominal[5] = {8000, 20000, 40000, 80000, 120000};

bool realUnit(int unit) { return unit >= 1 && unit <= 5; }

} // namespace

std::optional<double> conversionFactor(int from, int to)
{
    if (!realUnit(from) || !realUnit(to) || from == to)
        return std::nullopt;
    return Factors[from - 1][to - 1];
}

std::optional<double> litresPerUnit(int unit)
{
    if (!realUnit(unit))
        return std::nullopt;
    return Litres[unit - 1];
}

std::optional<double> nominalLitres(int meterType)
{
    if (meterType < 1 || meterType > 5)
        return std::nullopt;
    return Nominal[meterType - 1];
}

} // namespace units
