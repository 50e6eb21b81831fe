#include "Kr715Device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelopro {

namespace {
constexpr double MaxStep = 0.1;        // seconds per simulation step
constexpr int MaxSteps = 20000;        // bound of the work for one long gap
constexpr double ReferenceTemperature = 15.0; // °C, reference of TCFlow
constexpr double CompensationPerKelvin = 0.001;
constexpr double TimeConstants[4] = {0.15, 1.0, 5.0, 10.0};
constexpr double TwoPi = 2.0 * std::numbers::pi;
} // namespace

std::shared_ptr<const VariableTable> Kr715Device::table()
{
    static const std::shared_ptr<const VariableTable> t = [] {
        auto table = std::make_shared<VariableTable>();
        struct Entry { const char *name; VarKind kind; Var index; };
        static const Entry entries[] = {
            {".Meternumber", VarKind::Integer, MeterNumber},
            {".SerialNo", VarKind::Integer, SerialNo},
            {".Code3", VarKind::Integer, Code3},
            {".MeterSize", VarKind::Real, MeterSize},
            {".Ti", VarKind::Real, Ti},
            {".PiCode", VarKind::Integer, PiCode},
            {".Scale", VarKind::Real, Scale},
            {".Code1", VarKind::Integer, Code1},
            {".Code2", VarKind::Integer, Code2},
            {".Flow", VarKind::Real, Flow},
            {".Volume1", VarKind::Real, Volume1},
            {".Volume2", VarKind::Real, Volume2},
            {".InstantFlow", VarKind::Real, InstantFlow},
            {".TCFlow", VarKind::Real, TCFlow},
            {".Temperature", VarKind::Real, Temperature},
            {".SetPoint", VarKind::Real, SetPoint},
            {".Input1", VarKind::Integer, Input1},
            {".Output2", VarKind::Integer, Output2},
            {".Output3", VarKind::Integer, Output3},
            {".Available", VarKind::Real, Available},
            {".BatchStart", VarKind::Integer, BatchStart},
        };
        for (const Entry &e : entries) {
            const int index = table->add(QString::fromLatin1(e.name), e.kind);
            Q_ASSERT(index == e.index);
            Q_UNUSED(index)
        }
        Q_ASSERT(table->count() == VarCount);
        return std::shared_ptr<const VariableTable>(std::move(table));
    }();
    return t;
}

Kr715Device::Kr715Device(const QString &physId)
    : SimDevice(physId, Type, table())
{
    slot(PrgVers).integer = 105;
    slot(MeterNumber).integer = static_cast<qint32>(0x78563F00u);
    slot(Code3).integer = DefaultCode3 | (0x34 << 8);
    slot(MeterSize).real = 1.0;
    slot(Ti).real = 10.0;
    slot(PiCode).integer = 0;
    slot(Scale).real = 100.0;
    slot(Code1).integer = DefaultCode1;
    slot(Code2).integer = DefaultCode2;
    slot(Flow).real = 12.5;
    slot(Temperature).real = 20.0;
    slot(SetPoint).real = 100.0;

    // A fixed phase per PhysId so that devices of one network do not move in step.
    unsigned sum = 0;
    for (const QChar c : physId)
        sum = sum * 31u + c.toLower().unicode();
    m_phase = static_cast<double>(sum % 600u) / 10.0;
}

int Kr715Device::digit(Var reg, int position) const
{
    const quint32 code = static_cast<quint32>(slot(reg).integer);
    return static_cast<int>((code >> (4 * (8 - position))) & 0xFu);
}

int Kr715Device::node() const
{
    return static_cast<int>((static_cast<quint32>(slot(Code3).integer) >> 8) & 0xFFu);
}

void Kr715Device::setNode(int node)
{
    const quint32 code = static_cast<quint32>(slot(Code3).integer);
    slot(Code3).integer = static_cast<qint32>((code & ~0xFF00u) | (static_cast<quint32>(node & 0xFF) << 8));
}

std::optional<quint32> Kr715Device::serialNumber() const
{
    return static_cast<quint32>(slot(MeterNumber).integer) >> 8;
}

bool Kr715Device::testMode() const
{
    return digit(Code2, 5) == 8;
}

bool Kr715Device::perHour() const
{
    return (digit(Code3, 1) & 1) != 0;
}

double Kr715Device::filterTimeConstant() const
{
    return TimeConstants[(digit(Code3, 1) >> 1) & 3];
}

void Kr715Device::finishSetup(quint64 givenMask)
{
    const auto given = [givenMask](Var v) { return (givenMask >> v) & 1u; };
    if (!given(Temperature) && digit(Code3, 3) == 3)
        slot(Temperature).real = 68.0; // 20 °C in °F
    if (!given(InstantFlow))
        slot(InstantFlow).real = real(Flow);
    if (!given(TCFlow))
        updateCompensatedFlow();
    m_nominalFlow = real(Flow);
    m_temperatureBase = real(Temperature) - temperatureDrift(lastTime());
    m_batchRunning = slot(BatchStart).integer != 0;
    updateOutputs();
}

double Kr715Device::profileFlow(double t) const
{
    const double x = t + m_phase;
    return m_nominalFlow * (1.0 + 0.2 * std::sin(TwoPi * x / 60.0) + 0.05 * std::sin(TwoPi * x / 7.3 + 1.3));
}

double Kr715Device::temperatureDrift(double t) const
{
    const double x = t + m_phase;
    const double kelvin = 1.5 * std::sin(TwoPi * x / 600.0) + 0.3 * std::sin(TwoPi * x / 97.0);
    return digit(Code3, 3) == 3 ? kelvin * 1.8 : kelvin;
}

void Kr715Device::updateCompensatedFlow()
{
    double celsius = real(Temperature);
    if (digit(Code3, 3) == 3)
        celsius = (celsius - 32.0) / 1.8;
    slot(TCFlow).real = real(Flow) * (1.0 - CompensationPerKelvin * (celsius - ReferenceTemperature));
}

double Kr715Device::dataValue(int code) const
{
    switch (code) {
    case 1: return real(Flow);
    case 2: return real(TCFlow);
    case 3: return real(Temperature);
    case 4: return real(Available);
    case 5: return real(Volume1);
    case 8: return real(InstantFlow);
    default: return real(Volume2);
    }
}

void Kr715Device::startBatch()
{
    slot(Volume2).real = 0.0;
    slot(BatchStart).integer = 1;
    m_batchRunning = true;
}

void Kr715Device::updateOutputs()
{
    const int batchData = digit(Code2, 6);
    if (m_batchRunning) {
        if (dataValue(batchData) >= real(SetPoint)) {
            m_batchRunning = false;
            slot(BatchStart).integer = 0;
            slot(Output2).integer = 0;
        } else {
            slot(Output2).integer = 1;
        }
        return;
    }
    switch (digit(Code2, 3)) {
    case 4: // limit switch
        if (batchData != 0)
            slot(Output2).integer = dataValue(batchData) >= real(SetPoint) ? 1 : 0;
        break;
    case 6: // error code equal 0
        slot(Output2).integer = fault() == 0 ? 1 : 0;
        break;
    default:
        break;
    }
}

void Kr715Device::simulate(double lastTime, double now)
{
    const double gap = now - lastTime;
    const int steps = std::clamp(static_cast<int>(std::ceil(gap / MaxStep)), 1, MaxSteps);
    const double h = gap / steps;
    const double alpha = 1.0 - std::exp(-h / filterTimeConstant());
    const double perUnit = perHour() ? 3600.0 : 60.0;
    const bool test = testMode();
    const int volumeSource = digit(Code2, 4);
    const int inputFunction = digit(Code3, 4);
    const bool countersHeld = slot(Input1).integer != 0 && (inputFunction == 2 || inputFunction == 3);

    for (int k = 1; k <= steps; ++k) {
        const double t = lastTime + h * k;
        if (test) {
            slot(InstantFlow).real = real(Flow);
        } else {
            const double instant = profileFlow(t);
            slot(InstantFlow).real = instant;
            slot(Flow).real += (instant - real(Flow)) * alpha;
        }
        slot(Temperature).real = m_temperatureBase + temperatureDrift(t);
        updateCompensatedFlow();
        if (!countersHeld) {
            double counted = 0.0;
            switch (volumeSource) {
            case 1: counted = real(Flow); break;
            case 2: counted = real(TCFlow); break;
            case 8: counted = real(InstantFlow); break;
            default: break;
            }
            const double volume = counted * h / perUnit;
            slot(Volume1).real += volume;
            slot(Volume2).real += volume;
        }
        updateOutputs();
    }
}

SimValue Kr715Device::readVariable(int index) const
{
    if (index == SerialNo) {
        const quint32 serial = static_cast<quint32>(slot(MeterNumber).integer) >> 8;
        return SimValue::fromInt(static_cast<qint32>((serial << 8) | static_cast<quint32>(node())));
    }
    return SimDevice::readVariable(index);
}

int Kr715Device::writeVariable(int index, const SimValue &value)
{
    switch (index) {
    case SerialNo: {
        // Node address by serial number: the device takes the low byte as its node
        // number when the upper 24 bits are its serial number, and ignores the write
        // otherwise.
        const quint32 raw = static_cast<quint32>(value.integer);
        if ((raw >> 8) != *serialNumber())
            return Outcome::NoError;
        if ((raw & 0xFFu) > MaxNodeNumber)
            return Outcome::ValueOutOfRange;
        setNode(static_cast<int>(raw & 0xFFu));
        return Outcome::NoError;
    }
    case Code3:
        if (((static_cast<quint32>(value.integer) >> 8) & 0xFFu) > MaxNodeNumber)
            return Outcome::ValueOutOfRange;
        slot(Code3) = value;
        break;
    case Flow:
        slot(Flow) = value;
        if (testMode())
            slot(InstantFlow).real = value.real;
        updateCompensatedFlow();
        break;
    case Temperature:
        slot(Temperature) = value;
        m_temperatureBase = value.real - temperatureDrift(lastTime());
        updateCompensatedFlow();
        break;
    case Input1: {
        const bool wasOn = slot(Input1).integer != 0;
        slot(Input1) = value;
        if (!wasOn && value.integer != 0 && digit(Code3, 4) == 4)
            startBatch();
        break;
    }
    case BatchStart:
        if (value.integer != 0) {
            startBatch();
        } else {
            m_batchRunning = false;
            slot(BatchStart).integer = 0;
            slot(Output2).integer = 0;
        }
        break;
    default:
        slot(index) = value;
        break;
    }
    updateOutputs();
    return Outcome::NoError;
}

} // namespace kelopro
