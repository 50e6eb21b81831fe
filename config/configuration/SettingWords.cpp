#include "SettingWords.h"

#include "RegisterCodec.h"
#include "RegisterDigits.h"

namespace settingwords {

const QList<Setting> &settings()
{
    static const QList<Setting> table = {
        // Units / Input
        {QStringLiteral("cmbInpFlowUnitConst"), QStringLiteral("grpInpFlow"), QStringLiteral("Flow"),
         QStringLiteral("laInpFlowUnit"), QStringLiteral("Flow unit:"), 8, 1,
         {QStringLiteral("Unit/minute"), QStringLiteral("Unit/hour")}, {}},
        {QStringLiteral("cmbInpFlowDirection"), QStringLiteral("grpInpFlow"), QStringLiteral("Flow"),
         QStringLiteral("laInpFlowDir"), QStringLiteral("Flow directions:"), 8, 2,
         {QStringLiteral("Unidirectional flow"), QStringLiteral("Bidirectional flow")}, {}},
        {QStringLiteral("cmbInpTimeConst"), QStringLiteral("grpInpFlow"), QStringLiteral("Flow"),
         QStringLiteral("laInpTimeConst"), QStringLiteral("Filter time constant:"), 8, 1,
         {QStringLiteral("Time : 0.15 s"), QStringLiteral("Time : 1.0 s"), QStringLiteral("Time : 5.0 s"),
          QStringLiteral("Time : 10.0 s")},
         {}},
        {QStringLiteral("cmbInpFlowCalc"), QStringLiteral("grpInpFlow"), QStringLiteral("Flow"),
         QStringLiteral("laInpFlowCalc"), QStringLiteral("Flow supression:"), 8, 2,
         {QStringLiteral("Flow<0.2% -> 0"), QStringLiteral("Non")}, {}},
        {QStringLiteral("cmbInpMode"), QStringLiteral("grpInpFlow"), QStringLiteral("Flow"),
         QStringLiteral("laInpMode"), QStringLiteral("Mode of operation:"), 7, 5,
         {QStringLiteral("Normal"), QStringLiteral("Test")}, {QStringLiteral("0"), QStringLiteral("8")}},
        {QStringLiteral("cmbInpTempUnit"), QStringLiteral("grpInpTemp"), QStringLiteral("Temp unit"), QString(), QString(),
         8, 3, {QStringLiteral("°C"), QStringLiteral("°F")}, {QStringLiteral("2"), QStringLiteral("3")}},
        {QStringLiteral("cmbInpFunc"), QStringLiteral("grpInpFunc"), QStringLiteral("Input1 function"), QString(), QString(),
         8, 4,
         {QStringLiteral("Stop counters > No Error"), QStringLiteral("Stop counters > Error equal 5"),
          QStringLiteral("Clear Volume, Start Batch")},
         {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}},
        // Output2
        {QStringLiteral("cmbOut2FuncOut"), QStringLiteral("grpOut2"), QStringLiteral("Output 2"),
         QStringLiteral("laOut2FuncOut"), QStringLiteral("Function of output:"), 7, 3,
         {QStringLiteral("No function"), QStringLiteral("Pulse output 0-10 Hz"), QStringLiteral("Batch control"),
          QStringLiteral("Limit switch"), QStringLiteral("Error code equal 0"), QStringLiteral("Sign for output 3")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("6"),
          QStringLiteral("8")}},
        {QStringLiteral("cmbOut2DataForBatchLimit"), QStringLiteral("grpOut2"), QStringLiteral("Output 2"),
         QStringLiteral("laOut2DataForBatchLimit"), QStringLiteral("Data for batch/limit:"), 7, 6,
         {QStringLiteral("No batch/limit"), QStringLiteral("Flow"), QStringLiteral("Temperature compensated flow"),
          QStringLiteral("Temperature"), QStringLiteral("Available"), QStringLiteral("Volume1"), QStringLiteral("Volume2"),
          QStringLiteral("Instant flow")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
          QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("8")}},
        {QStringLiteral("cmbOut2Vol1Res"), QStringLiteral("grpOut2"), QStringLiteral("Output 2"),
         QStringLiteral("laOut2Vol1Res"), QStringLiteral("Resolution of Volume 1:"), 6, 3,
         {QStringLiteral("######"), QStringLiteral("#####.#"), QStringLiteral("####.##"), QStringLiteral("###.###"),
          QStringLiteral("##.####"), QStringLiteral("#.#####"), QStringLiteral(".######")},
         {}},
        {QStringLiteral("cmbOut2DataForVolCount"), QStringLiteral("grpOut2Volume"), QStringLiteral("Data for volume counter"),
         QString(), QString(), 7, 4,
         {QStringLiteral("No counting"), QStringLiteral("Flow"), QStringLiteral("Temperature compensated flow"),
          QStringLiteral("Instant flow")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("8")}},
        // Output 3 / PI-reg
        {QStringLiteral("cmbOut3FuncOut3"), QStringLiteral("grpOut3"), QStringLiteral("Output 3"),
         QStringLiteral("laOut3FuncOfOut3"), QStringLiteral("Function of output:"), 7, 1,
         {QStringLiteral("No function"), QStringLiteral("PI-regulator"), QStringLiteral("Current output 4-20 mA"),
          QStringLiteral("Pulse output 0-1000 Hz")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")}},
        {QStringLiteral("cmbOut3DataForOut3"), QStringLiteral("grpOut3"), QStringLiteral("Output 3"),
         QStringLiteral("laOut3DataForOut"), QStringLiteral("Data for output:"), 7, 2,
         {QStringLiteral("No function (data)"), QStringLiteral("Flow"), QStringLiteral("Temperature compensated flow"),
          QStringLiteral("Temperature"), QStringLiteral("Available"), QStringLiteral("Instant flow")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
          QStringLiteral("8")}},
        {QStringLiteral("cmbOut3PIRegCalcInp"), QStringLiteral("grpOut3Reg"), QStringLiteral("Regulator function"),
         QString(), QString(), 3, 5,
         {QStringLiteral("Heating (in = setpoint - data)"), QStringLiteral("Cooling (in = data - setpoint)")}, {}},
        {QStringLiteral("cmbOut3PIRegContrDir"), QStringLiteral("grpOut3Reg"), QStringLiteral("Regulator function"),
         QString(), QString(), 3, 5,
         {QStringLiteral("Out 0-100%: 4-20 mA"), QStringLiteral("Out 0-100%: 20-4 mA")}, {}},
        {QStringLiteral("grpOut3PIRegMode"), QStringLiteral("grpOut3PIRegMode"), QStringLiteral("PI-regulator mode"),
         QString(), QString(), 3, 6,
         {QStringLiteral("Auto"), QStringLiteral("Manual"), QStringLiteral("Input ON > manual operation")}, {}},
    };
    return table;
}

const Setting *find(const QString &list)
{
    for (const Setting &s : settings())
        if (s.list == list)
            return &s;
    return nullptr;
}

std::optional<int> choiceOf(const Setting &setting, const QString &registerText)
{
    // A register is spread over its lists digit by digit from the left: a list is
    // decided only when every digit up to its own is a hexadecimal digit.
    for (int k = 1; k < setting.digit; ++k)
        if (!regcodec::digit(registerText, k))
            return std::nullopt;
    const std::optional<int> found = regcodec::digit(registerText, setting.digit);
    if (!found)
        return std::nullopt;
    const int d = *found;
    auto byCode = [&](bool legal) {
        return legal ? int(setting.valueItems.indexOf(QString::number(d, 16).toUpper())) : IllegalChoice;
    };
    const QString &l = setting.list;
    if (setting.reg == 3) {
        if (l == QLatin1String("grpOut3PIRegMode"))
            return d > 2 ? IllegalChoice : d;
        if (d > 3)
            return IllegalChoice;
        return l == QLatin1String("cmbOut3PIRegCalcInp") ? d % 2 : d / 2;
    }
    if (setting.reg == 6)
        return d > 6 ? IllegalChoice : d;
    if (setting.reg == 7)
        return byCode(regdigits::typedDigitLegal(7, setting.digit, d));
    // E8
    switch (setting.digit) {
    case 1:
        if (d > 7)
            return IllegalChoice;
        return l == QLatin1String("cmbInpFlowUnitConst") ? d % 2 : d / 2;
    case 2:
        if (d > 7)
            return IllegalChoice;
        if (l == QLatin1String("cmbInpFlowDirection"))
            return (d == 4 || d == 6) ? 1 : 0;
        return (d == 0 || d == 4) ? 0 : 1;
    case 3:
        return byCode(d == 2 || d == 3);
    case 4:
        return byCode(d >= 2 && d <= 4);
    default:
        return std::nullopt;
    }
}

} // namespace settingwords
