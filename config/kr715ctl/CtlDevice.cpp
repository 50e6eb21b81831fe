#include "CtlDevice.h"

#include "ConfigFileText.h"
#include "NumberFormat.h"
#include "PollSlots.h"
#include "RegisterCodec.h"

#include <cmath>

namespace {

constexpr int DeviceFaultOnRead = 256;
constexpr int DeviceFaultOnWrite = 512;
constexpr int KR715 = 715;

// A single-precision register read back equals the value written when both are the
// same single-precision number.
bool sameReal(double a, double b) { return static_cast<float>(a) == static_cast<float>(b); }

} // namespace

CtlDevice::CtlDevice(VariableServer &server, const QString &physId, Translate translate)
    : m_server(server)
    , m_physId(physId)
    , m_translate(std::move(translate))
{
}

bool CtlDevice::serverFailure(int code, CtlFailure &failure)
{
    m_lastCode = code;
    if (code == 0 || code == DeviceFaultOnRead || code == DeviceFaultOnWrite)
        return false;
    failure.code = code;
    try {
        failure.text = m_server.ErrorString();
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
    }
    if (failure.text.isEmpty())
        failure.text = m_translate(QStringLiteral("Server error %1")).arg(code);
    return true;
}

bool CtlDevice::read(const QString &variable, QVariant &value, CtlFailure &failure)
{
    try {
        m_server.SelectVariable(m_physId + variable);
        value = m_server.value();
        return !serverFailure(m_server.ErrorCode() & 0xFFFF, failure);
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
        return false;
    }
}

bool CtlDevice::write(const QString &variable, const QVariant &value, CtlFailure &failure)
{
    try {
        m_server.SelectVariable(m_physId + variable);
        m_server.setValue(value);
        return !serverFailure(m_server.ErrorCode() & 0xFFFF, failure);
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
        return false;
    }
}

bool CtlDevice::identify(CtlIdentity &identity, CtlFailure &failure)
{
    // A name ending in ":" is a network or segment, not a node.
    if (m_physId.isEmpty() || m_physId.endsWith(QLatin1Char(':'))) {
        failure.text = m_translate(QStringLiteral("Selected PhysId is not a node"));
        return false;
    }
    try {
        m_server.SelectVariable(m_physId);
        if (serverFailure(m_server.ErrorCode() & 0xFFFF, failure))
            return false;
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
        return false;
    }
    QVariant value;
    if (!read(QStringLiteral(".DeviceType"), value, failure))
        return false;
    try {
        identity.deviceType = variantToInt32(value);
    } catch (const automation::AutomationError &) {
        identity.deviceType = 0;
    }
    const bool fault = m_lastCode == DeviceFaultOnRead;
    if (fault) {
        try {
            identity.faultText = m_server.ErrorString();
        } catch (const automation::AutomationError &e) {
            identity.faultText = e.text();
        }
    }
    if (identity.deviceType != KR715) {
        failure.text = m_translate(QStringLiteral("Selected PhysId is not a flowmeter"));
        return false;
    }
    try {
        if (!read(QStringLiteral(".PrgVers"), value, failure))
            return false;
        identity.programVersion = variantToInt32(value);
        if (!read(pollVariable(SlotMeterNumber), value, failure))
            return false;
        identity.serial = regcodec::serialText(variantToInt32(value));
        if (!read(pollVariable(SlotCode3), value, failure))
            return false;
        identity.node = static_cast<int>((static_cast<quint32>(variantToInt32(value)) >> 8) & 0xFF);
        if (fault) {
            if (!read(QStringLiteral(".Error3"), value, failure))
                return false;
            identity.fault = variantToInt32(value);
        }
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
        return false;
    }
    return true;
}

namespace {
// The values of the Data tab, by their slots of the polling cycle.
const int LiveSlots[] = {SlotFlow, SlotVolume1, SlotVolume2, SlotInstantFlow, SlotTCFlow, SlotTemperature,
                         SlotSetPoint, SlotInput1, SlotOutput2, SlotOutput3};
} // namespace

QStringList CtlDevice::liveNames()
{
    QStringList names;
    for (const int slot : LiveSlots)
        names.append(pollVariable(slot).mid(1));
    return names;
}

bool CtlDevice::readLive(QList<CtlLiveValue> &values, CtlFailure &failure)
{
    values.clear();
    for (const int slot : LiveSlots) {
        QVariant value;
        const QString variable = pollVariable(slot);
        if (!read(variable, value, failure))
            return false;
        CtlLiveValue live;
        live.name = variable.mid(1);
        try {
            live.value = variantToDouble(value);
        } catch (const automation::AutomationError &e) {
            failure.text = e.text();
            return false;
        }
        switch (slot) {
        case SlotTemperature:
            live.text = numfmt::temperatureText(live.value);
            break;
        case SlotInput1:
        case SlotOutput2:
        case SlotOutput3:
            live.text = m_translate(live.value != 0 ? QStringLiteral("On") : QStringLiteral("Off"));
            break;
        default:
            live.text = numfmt::FormatSevenDigits(live.value);
            // The device holds single precision: the number with the seven digits shown.
            live.value = QString::number(static_cast<float>(live.value), 'g', 7).toDouble();
            break;
        }
        values.append(live);
    }
    return true;
}

QString CtlDevice::registerText(int reg, const QVariant &value) const
{
    if (regcodec::isRealRegister(reg))
        return numfmt::FormatSevenDigits(static_cast<float>(variantToDouble(value)));
    return regcodec::sixDigitHex(variantToInt32(value));
}

bool CtlDevice::readRegisters(std::array<QString, 9> &texts, CtlFailure &failure)
{
    for (int reg = 1; reg <= 8; ++reg) {
        QVariant value;
        if (!read(pollVariable(reg), value, failure))
            return false;
        try {
            texts[static_cast<size_t>(reg)] = registerText(reg, value);
        } catch (const automation::AutomationError &e) {
            failure.text = e.text();
            return false;
        }
    }
    return true;
}

bool CtlDevice::writeRegisters(const std::array<QString, 9> &fileTexts, std::array<QString, 9> &written,
                               CtlFailure &failure)
{
    // The node address belongs to the device: E8 keeps the two digits it holds.
    QVariant value;
    if (!read(pollVariable(SlotCode3), value, failure))
        return false;
    QString nodeDigits;
    try {
        nodeDigits = regcodec::sixDigitHex(variantToInt32(value)).mid(4, 2);
    } catch (const automation::AutomationError &e) {
        failure.text = e.text();
        return false;
    }
    written = fileTexts;
    written[8] = fileTexts[8].left(4) + nodeDigits;

    for (const int reg : configfile::LoadedRegisters) {
        const QString &text = written[static_cast<size_t>(reg)];
        QVariant out;
        if (regcodec::isRealRegister(reg)) {
            double v = 0;
            if (!numfmt::parseReal(text, v) || !std::isfinite(static_cast<float>(v))) {
                failure.text = m_translate(QStringLiteral("Reg E%1: \"%2\" is no value for the register")).arg(QString::number(reg), text);
                return false;
            }
            out = v;
        } else {
            const std::optional<qint32> v = regcodec::codeWriteValue(text);
            if (!v) {
                failure.text = m_translate(QStringLiteral("Reg E%1: \"%2\" is no value for the register")).arg(QString::number(reg), text);
                return false;
            }
            out = *v;
        }
        if (!write(pollVariable(reg), out, failure)) {
            failure.text = QStringLiteral("Reg E%1: ").arg(reg) + failure.text;
            return false;
        }
    }

    // Every register written is read back and must hold what was written.
    for (const int reg : configfile::LoadedRegisters) {
        if (!read(pollVariable(reg), value, failure)) {
            failure.text = QStringLiteral("Reg E%1: ").arg(reg) + failure.text;
            return false;
        }
        const QString &expected = written[static_cast<size_t>(reg)];
        bool same = false;
        QString shown;
        try {
            shown = registerText(reg, value);
            if (regcodec::isRealRegister(reg)) {
                double v = 0;
                same = numfmt::parseReal(expected, v) && sameReal(variantToDouble(value), v);
            } else {
                same = shown == expected.toUpper();
            }
        } catch (const automation::AutomationError &e) {
            failure.text = e.text();
            return false;
        }
        if (!same) {
            failure.text = m_translate(QStringLiteral("Reg E%1 reads %2 after writing %3")).arg(QString::number(reg), shown, expected);
            return false;
        }
    }
    return true;
}
