#include "SimDevice.h"

#include <bit>
#include <cmath>

namespace kelopro {

std::optional<SimValue> convertTo(const SimValue &value, VarKind kind)
{
    if (value.kind == kind)
        return value;
    if (kind == VarKind::Real)
        return SimValue::fromReal(static_cast<double>(value.integer));
    const double d = value.real;
    if (!std::isfinite(d))
        return std::nullopt;
    const double r = std::nearbyint(d);
    if (r < -2147483648.0 || r > 4294967295.0)
        return std::nullopt;
    return SimValue::fromInt(static_cast<qint32>(static_cast<quint32>(static_cast<qint64>(r))));
}

// ---------------------------------------------------------------------------

VariableTable::VariableTable()
{
    add(QStringLiteral(".DeviceType"), VarKind::Integer, true);
    add(QStringLiteral(".PrgVers"), VarKind::Integer, true);
    add(QStringLiteral(".Error3"), VarKind::Integer, false);
}

int VariableTable::add(const QString &name, VarKind kind, bool readOnly)
{
    const QString lower = name.toLower();
    if (m_index.contains(lower))
        return -1;
    const int index = count();
    m_defs.push_back(VariableDef{name, kind, readOnly});
    m_index.insert(lower, index);
    return index;
}

// ---------------------------------------------------------------------------

SimDevice::SimDevice(const QString &physId, int deviceType, std::shared_ptr<const VariableTable> table)
    : m_physId(physId)
    , m_deviceType(deviceType)
    , m_table(std::move(table))
{
    m_values.resize(static_cast<size_t>(m_table->count()));
    for (int i = 0; i < m_table->count(); ++i)
        slot(i).kind = m_table->at(i).kind;
    slot(VariableTable::PrgVers).integer = 100;
}

void SimDevice::advanceTo(double now)
{
    if (now < m_lastTime) {
        m_lastTime = now;
        return;
    }
    if (now == m_lastTime)
        return;
    if (!m_frozen)
        simulate(m_lastTime, now);
    m_lastTime = now;
}

SimValue SimDevice::read(int index, double now)
{
    advanceTo(now);
    switch (index) {
    case VariableTable::DeviceType:
        return SimValue::fromInt(m_deviceType);
    case VariableTable::Error3:
        return SimValue::fromInt(m_fault);
    default:
        return readVariable(index);
    }
}

int SimDevice::write(int index, const SimValue &value, double now)
{
    const VariableDef &def = m_table->at(index);
    if (def.readOnly)
        return Outcome::ReadOnlyVariable;
    const std::optional<SimValue> v = convertTo(value, def.kind);
    if (!v)
        return Outcome::ValueOutOfRange;
    advanceTo(now);
    if (index == VariableTable::Error3) {
        // 255 acknowledges and clears the fault; any other code up to 254 is reported
        // from now on (0 again meaning no fault).
        if (v->integer < 0 || v->integer > 255)
            return Outcome::ValueOutOfRange;
        m_fault = v->integer == 255 ? 0 : v->integer;
        faultChanged();
        return Outcome::NoError;
    }
    return writeVariable(index, *v);
}

qint32 SimDevice::readRaw(int index, double now)
{
    const SimValue v = read(index, now);
    if (v.kind == VarKind::Integer)
        return v.integer;
    return std::bit_cast<qint32>(static_cast<float>(v.real));
}

int SimDevice::writeRaw(int index, qint32 raw, double now)
{
    if (m_table->at(index).kind == VarKind::Integer)
        return write(index, SimValue::fromInt(raw), now);
    const float f = std::bit_cast<float>(raw);
    if (!std::isfinite(f))
        return Outcome::ValueOutOfRange;
    return write(index, SimValue::fromReal(static_cast<double>(f)), now);
}

void SimDevice::setInitialValue(int index, const SimValue &value)
{
    const std::optional<SimValue> v = convertTo(value, m_table->at(index).kind);
    if (!v)
        return;
    if (index == VariableTable::Error3)
        m_fault = v->integer;
    else
        slot(index) = *v;
}

int SimDevice::writeVariable(int index, const SimValue &value)
{
    slot(index) = value;
    return Outcome::NoError;
}

// ---------------------------------------------------------------------------

GenericDevice::GenericDevice(const QString &physId, int deviceType, std::shared_ptr<const VariableTable> table)
    : SimDevice(physId, deviceType, std::move(table))
{
    const int code3 = variables().indexOf(QStringLiteral(".code3"));
    if (code3 >= 0 && variables().at(code3).kind == VarKind::Integer)
        m_code3 = code3;
}

int GenericDevice::node() const
{
    if (m_code3 >= 0)
        return static_cast<int>((static_cast<quint32>(slot(m_code3).integer) >> 8) & 0xFFu);
    return m_node;
}

void GenericDevice::setNode(int node)
{
    if (m_code3 >= 0) {
        const quint32 code = static_cast<quint32>(slot(m_code3).integer);
        slot(m_code3).integer = static_cast<qint32>((code & ~0xFF00u) | (static_cast<quint32>(node & 0xFF) << 8));
    } else {
        m_node = node;
    }
}

int GenericDevice::writeVariable(int index, const SimValue &value)
{
    if (index == m_code3 && ((static_cast<quint32>(value.integer) >> 8) & 0xFFu) > MaxNodeNumber)
        return Outcome::ValueOutOfRange;
    return SimDevice::writeVariable(index, value);
}

} // namespace kelopro
