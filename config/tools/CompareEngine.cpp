#include "CompareEngine.h"

#include "ConfigFileText.h"
#include "NumberFormat.h"
#include "RegisterCodec.h"
#include "RegisterDigits.h"

#include <QLocale>
#include <cmath>

namespace compare {

const QList<Setting> &settings()
{
    static const QList<Setting> list = {
        {"edConE1", "Meter size", 1, SettingKind::Real},
        {"cmbInpFlowUnitConst", "Flow unit", 8, SettingKind::List},
        {"cmbInpTimeConst", "Filter time constant", 8, SettingKind::List},
        {"cmbInpFlowDirection", "Flow direction", 8, SettingKind::List},
        {"cmbInpFlowCalc", "Low-flow suppression", 8, SettingKind::List},
        {"cmbInpMode", "Mode of operation", 7, SettingKind::List},
        {"cmbInpTempUnit", "Temperature unit", 8, SettingKind::List},
        {"cmbInpFunc", "Input 1 function", 8, SettingKind::List},
        {"cmbOut2FuncOut", "Output 2 function", 7, SettingKind::List},
        {"cmbOut2DataForBatchLimit", "Output 2 data for batch/limit", 7, SettingKind::List},
        {"cmbOut2DataForVolCount", "Output 2 data for volume counter", 7, SettingKind::List},
        {"cmbOut2Vol1Res", "Resolution of Volume 1", 6, SettingKind::List},
        {"cmbOut3FuncOut3", "Output 3 function", 7, SettingKind::List},
        {"cmbOut3DataForOut3", "Output 3 data", 7, SettingKind::List},
        {"edConE5", "Output 3 full scale / P-band", 5, SettingKind::Real},
        {"cmbOut3PIRegCalcInp", "PI-regulator function", 3, SettingKind::List},
        {"cmbOut3PIRegContrDir", "PI-regulator output", 3, SettingKind::List},
        {"grpOut3PIRegMode", "PI-regulator mode", 3, SettingKind::Radio},
        {"edConE2", "PI-regulator Ti", 2, SettingKind::Real},
    };
    return list;
}

namespace {

// Digit k of the text, only when digits 1 to k-1 are there too (the decoding stops
// at the first digit that is missing).
std::optional<int> digitAfter(const QString &text, int k, int from = 1)
{
    for (int i = from; i < k; ++i)
        if (!regcodec::digit(text, i))
            return std::nullopt;
    return regcodec::digit(text, k);
}

int codeIndex(const ListTexts &texts, const char *control, int code)
{
    return texts.codes.value(QLatin1String(control)).indexOf(QString::number(code, 16).toUpper());
}

Value listValue(const Setting &s, const QString &text, const ListTexts &texts)
{
    Value v;
    const QLatin1String name(s.control);
    auto set = [&](std::optional<int> d, auto rule) {
        if (!d)
            return;
        v.known = true;
        v.index = rule(*d);
    };
    switch (s.reg) {
    case 3: {
        // Digits 1 to 4 must be digits before digit 5 means anything (as decoded).
        if (name == QLatin1String("grpOut3PIRegMode")) {
            if (!digitAfter(text, 5))
                return v;
            set(regcodec::digit(text, 6), [](int d) { return d > 2 ? -1 : d; });
        } else {
            const bool input = name == QLatin1String("cmbOut3PIRegCalcInp");
            set(digitAfter(text, 5), [input](int d) { return d > 3 ? -1 : (input ? d % 2 : d / 2); });
        }
        break;
    }
    case 6:
        if (!regcodec::digit(text, 1) || !regcodec::digit(text, 2))
            return v;
        set(regcodec::digit(text, 3), [](int d) { return d > 6 ? -1 : d; });
        break;
    case 7: {
        for (int k = 1; k <= 6; ++k) {
            if (regdigits::e7List(k) != name)
                continue;
            // The lists are decoded from the left up to the first digit that is missing.
            const std::optional<int> digit = digitAfter(text, k);
            if (!digit)
                return v;
            const int d = *digit;
            v.known = true;
            v.index = regdigits::typedDigitLegal(7, k, d) ? codeIndex(texts, s.control, d) : -1;
        }
        break;
    }
    case 8: {
        if (name == QLatin1String("cmbInpFlowUnitConst"))
            set(digitAfter(text, 1), [](int d) { return d > 7 ? -1 : d % 2; });
        else if (name == QLatin1String("cmbInpTimeConst"))
            set(digitAfter(text, 1), [](int d) { return d > 7 ? -1 : d / 2; });
        else if (name == QLatin1String("cmbInpFlowDirection"))
            set(digitAfter(text, 2), [](int d) { return d > 7 ? -1 : (d == 4 || d == 6) ? 1 : 0; });
        else if (name == QLatin1String("cmbInpFlowCalc"))
            set(digitAfter(text, 2), [](int d) { return d > 7 ? -1 : (d == 0 || d == 4) ? 0 : 1; });
        else if (name == QLatin1String("cmbInpTempUnit"))
            set(digitAfter(text, 3), [&](int d) { return d == 2 || d == 3 ? codeIndex(texts, s.control, d) : -1; });
        else if (name == QLatin1String("cmbInpFunc"))
            set(digitAfter(text, 4), [&](int d) { return d >= 2 && d <= 4 ? codeIndex(texts, s.control, d) : -1; });
        break;
    }
    default:
        break;
    }
    return v;
}

QString words(const Setting &s, const Value &v, const ListTexts &texts, const Translate &translate)
{
    if (!v.known)
        return translate(QStringLiteral("(no value)"));
    if (s.kind == SettingKind::Real)
        return numfmt::generalText(v.number);
    const QStringList entries = texts.entries.value(QLatin1String(s.control));
    if (v.index < 0 || v.index >= entries.size())
        return texts.illegal;
    return entries.at(v.index);
}

bool sameValue(const Setting &s, const Value &a, const Value &b)
{
    if (a.known != b.known)
        return false;
    if (!a.known)
        return true;
    if (s.kind == SettingKind::Real) // the device holds single precision
        return float(a.number) == float(b.number);
    return a.index == b.index;
}

// A real register as written in the user's locale, or else with the other separator.
std::optional<QString> realText(int reg, const QString &text, bool &otherSeparator)
{
    if (auto t = regcodec::fileRegisterText(reg, text))
        return t;
    const QLocale user = numfmt::userLocale();
    const QChar mine = user.decimalPoint().at(0);
    const QChar other = mine == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.');
    const QString trimmed = text.trimmed();
    // Only a plain number: digits, one separator, a sign or an exponent; no grouping.
    if (!trimmed.contains(other) || trimmed.count(other) != 1 || trimmed.contains(mine))
        return std::nullopt;
    QString swapped = trimmed;
    swapped.replace(other, mine);
    if (auto t = regcodec::fileRegisterText(reg, swapped)) {
        otherSeparator = true;
        return t;
    }
    return std::nullopt;
}

} // namespace

Value valueOf(const Setting &setting, const Registers &registers, const ListTexts &texts)
{
    const QString &text = registers[size_t(setting.reg)];
    if (setting.kind == SettingKind::Real) {
        Value v;
        v.text = text;
        v.known = !text.isEmpty() && numfmt::parseReal(text, v.number) && std::isfinite(float(v.number));
        return v;
    }
    return listValue(setting, text, texts);
}

bool FileContents::complete() const
{
    for (int reg : {1, 2, 3, 5, 6, 7, 8})
        if (registers[size_t(reg)].isEmpty())
            return false;
    return true;
}

FileContents readFile(const QByteArray &bytes)
{
    FileContents f;
    const QStringList lines = configfile::linesOf(bytes);
    if (lines.isEmpty() || lines.first().trimmed() != QLatin1String("[Reg values]"))
        f.problems.append(QStringLiteral("The file does not start with [Reg values]"));
    for (int reg = 1; reg <= 8; ++reg) {
        const std::optional<QString> raw = configfile::registerText(lines, reg);
        if (!raw) {
            f.problems.append(QStringLiteral("Reg E%1 is missing").arg(reg));
            continue;
        }
        f.present[size_t(reg)] = true;
        std::optional<QString> text = regcodec::isRealRegister(reg) ? realText(reg, *raw, f.otherSeparator)
                                                                    : regcodec::fileRegisterText(reg, *raw);
        if (!text) {
            f.problems.append(QStringLiteral("Reg E%1 is not valid").arg(reg));
            continue;
        }
        f.registers[size_t(reg)] = *text;
    }
    f.description = configfile::descriptionOf(lines);
    return f;
}

QList<Row> compareSettings(const Registers &device, const FileContents &file, const ListTexts &texts,
                           const Translate &translate)
{
    QList<Row> rows;
    for (const Setting &s : settings()) {
        Row row;
        row.setting = s;
        row.device = valueOf(s, device, texts);
        row.file = valueOf(s, file.registers, texts);
        row.deviceText = words(s, row.device, texts, translate);
        row.fileText = file.registers[size_t(s.reg)].isEmpty()
                           ? translate(file.present[size_t(s.reg)] ? QStringLiteral("(not valid in the file)")
                                                                   : QStringLiteral("(missing in the file)"))
                           : words(s, row.file, texts, translate);
        row.differs = !sameValue(s, row.device, row.file);
        // Only a value the list can show (or a number) can be taken over.
        row.takeable = row.differs && row.file.known && (s.kind == SettingKind::Real || row.file.index >= 0);
        const QString caption = translate(QLatin1String(s.caption)) + QStringLiteral(": ");
        row.line = row.differs ? caption + row.deviceText + QStringLiteral(" \u2260 ") + row.fileText
                               : caption + row.deviceText;
        rows.append(row);
    }
    return rows;
}

QStringList describe(const Registers &registers, const ListTexts &texts, const Translate &translate)
{
    QStringList lines;
    for (const Setting &s : settings())
        lines.append(translate(QLatin1String(s.caption)) + QStringLiteral(": ")
                     + words(s, valueOf(s, registers, texts), texts, translate));
    return lines;
}

} // namespace compare
