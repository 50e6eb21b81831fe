#include "RegisterDigits.h"

#include <QHash>
#include <array>
#include <initializer_list>

namespace regdigits {

namespace {

// Legal values of each digit as bit sets (Any: every digit).
using DigitSets = std::array<int, 6>;
constexpr int Any = 0xFFFF;
constexpr int Set(std::initializer_list<int> values)
{
    int mask = 0;
    for (int v : values)
        mask |= 1 << v;
    return mask;
}
constexpr int ZeroToSix = Set({0, 1, 2, 3, 4, 5, 6});
constexpr DigitSets TypedE3 = {Any, Any, Any, Any, Set({0, 1, 2, 3}), Set({0, 1, 2})};
constexpr DigitSets TypedE6 = {ZeroToSix, ZeroToSix, ZeroToSix, ZeroToSix, ZeroToSix, ZeroToSix};
constexpr DigitSets TypedE7 = {Set({0, 1, 2, 4}), Set({0, 1, 2, 3, 4, 8}), Set({0, 1, 2, 4, 6, 8}),
                               Set({0, 1, 2, 8}), Set({0, 8}), Set({0, 1, 2, 3, 4, 5, 6, 8})};
constexpr DigitSets TypedE8 = {Set({0, 1, 2, 3, 4, 5, 6, 7}), Set({0, 2, 4, 6}), Set({2, 3}), Set({2, 3, 4}), Any, Any};

const DigitSets *setsOf(int reg)
{
    switch (reg) {
    case 3: return &TypedE3;
    case 6: return &TypedE6;
    case 7: return &TypedE7;
    case 8: return &TypedE8;
    default: return nullptr;
    }
}

} // namespace

bool isCheckedRegister(int reg) { return setsOf(reg) != nullptr; }

bool typedDigitChecked(int reg, int k)
{
    const DigitSets *sets = setsOf(reg);
    return sets && k >= 1 && k <= 6 && (*sets)[static_cast<size_t>(k - 1)] != Any;
}

bool typedDigitLegal(int reg, int k, int value)
{
    const DigitSets *sets = setsOf(reg);
    if (!sets || k < 1 || k > 6 || value < 0 || value > 15)
        return false;
    return (*sets)[static_cast<size_t>(k - 1)] & (1 << value);
}

QString e7List(int k)
{
    static const char *const Lists[7] = {"", "cmbOut3FuncOut3", "cmbOut3DataForOut3", "cmbOut2FuncOut",
                                         "cmbOut2DataForVolCount", "cmbInpMode", "cmbOut2DataForBatchLimit"};
    return k >= 1 && k <= 6 ? QLatin1String(Lists[k]) : QString();
}

int registerOfList(const QString &name)
{
    static const QHash<QString, int> map = {
        {QStringLiteral("cmbOut3PIRegCalcInp"), 3}, {QStringLiteral("cmbOut3PIRegContrDir"), 3},
        {QStringLiteral("cmbOut2Vol1Res"), 6},      {QStringLiteral("cmbOut3FuncOut3"), 7},
        {QStringLiteral("cmbOut3DataForOut3"), 7},  {QStringLiteral("cmbOut2FuncOut"), 7},
        {QStringLiteral("cmbOut2DataForBatchLimit"), 7}, {QStringLiteral("cmbOut2DataForVolCount"), 7},
        {QStringLiteral("cmbInpMode"), 7},          {QStringLiteral("cmbInpTempUnit"), 8},
        {QStringLiteral("cmbInpFunc"), 8},          {QStringLiteral("cmbInpFlowUnitConst"), 8},
        {QStringLiteral("cmbInpTimeConst"), 8},     {QStringLiteral("cmbInpFlowDirection"), 8},
        {QStringLiteral("cmbInpFlowCalc"), 8},
    };
    return map.value(name, 0);
}

} // namespace regdigits
