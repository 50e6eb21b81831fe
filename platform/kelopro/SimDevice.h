#pragma once
// Devices of the simulated P-NET network.
//
// Every device holds a table of named variables (names compared without regard to
// case, looked up by their lower-case form), each an integer (32-bit) or a real.
// Every device serves ".DeviceType", ".PrgVers" and ".Error3" at the indices 0, 1
// and 2 of its table; ".Error3" holds the device's fault code (0: no fault).

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

namespace kelopro {

// Outcome codes of a server access, as ErrorCode reports them.
namespace Outcome {
constexpr int NoError = 0;
constexpr int DeviceFaultOnRead = 256;    // the device answered and reports a fault (".Error3")
constexpr int DeviceFaultOnWrite = 512;   // the same, on a write
constexpr int NoContact = 1024;           // the node does not answer
constexpr int UnknownPhysId = 4097;       // no device of that PhysId in the network
constexpr int UnknownVariable = 4098;     // the device has no variable of that name
constexpr int NoVariableSelected = 4099;  // nothing selected, or a bare PhysId
constexpr int ReadOnlyVariable = 4100;    // the variable cannot be written
constexpr int TypeMismatch = 4101;        // the value given does not convert
constexpr int InvalidNodeAddress = 4102;  // NodeAddress does not end in two hexadecimal digits
constexpr int ValueOutOfRange = 4103;     // the value does not fit the variable
} // namespace Outcome

// Highest node number a device may hold; 0x7E addresses by serial number.
constexpr int MaxNodeNumber = 0x7D;
constexpr int SerialNumberNode = 0x7E;

enum class VarKind : quint8 { Integer, Real };

// A variable's value: a 32-bit integer or a real.
struct SimValue {
    VarKind kind = VarKind::Integer;
    qint32 integer = 0;
    double real = 0.0;

    static SimValue fromInt(qint32 v) { return SimValue{VarKind::Integer, v, 0.0}; }
    static SimValue fromReal(double v) { return SimValue{VarKind::Real, 0, v}; }
    double toReal() const { return kind == VarKind::Real ? real : static_cast<double>(integer); }
};

// Converts a value to the kind of a variable. A real becomes an integer by rounding
// to the nearest; reals outside -2^31 .. 2^32-1 (and NaN or infinity) do not convert
// (values from 2^31 up are taken as the 32-bit pattern).
std::optional<SimValue> convertTo(const SimValue &value, VarKind kind);

struct VariableDef {
    QString name;       // spelling used in messages and listings
    VarKind kind = VarKind::Integer;
    bool readOnly = false;
};

class VariableTable {
public:
    // A table that holds the three variables every device serves.
    VariableTable();

    static constexpr int DeviceType = 0;
    static constexpr int PrgVers = 1;
    static constexpr int Error3 = 2;

    // Adds a variable; returns its index, or -1 when the name is taken.
    int add(const QString &name, VarKind kind, bool readOnly = false);
    // Index of a variable by its lower-case name; -1 when unknown.
    int indexOf(const QString &lowerName) const { return m_index.value(lowerName, -1); }
    int count() const { return static_cast<int>(m_defs.size()); }
    const VariableDef &at(int index) const { return m_defs[static_cast<size_t>(index)]; }

private:
    std::vector<VariableDef> m_defs;
    QHash<QString, int> m_index;
};

class SimDevice {
public:
    SimDevice(const QString &physId, int deviceType, std::shared_ptr<const VariableTable> table);
    virtual ~SimDevice() = default;
    SimDevice(const SimDevice &) = delete;
    SimDevice &operator=(const SimDevice &) = delete;

    const QString &physId() const { return m_physId; }
    int deviceType() const { return m_deviceType; }

    // A device that does not answer is known to the network but every access to
    // its variables ends without contact.
    bool answers() const { return m_answers; }
    void setAnswers(bool answers) { m_answers = answers; }

    // The fault code the device reports in ".Error3"; 0 means no fault.
    int fault() const { return m_fault; }
    void setFault(int code) { m_fault = code; }

    // A frozen device changes its values only when they are written.
    bool frozen() const { return m_frozen; }
    void setFrozen(bool frozen) { m_frozen = frozen; }

    // P-NET node number (0 .. 0x7D).
    virtual int node() const = 0;
    virtual void setNode(int node) = 0;
    // Serial number (24 bits) for devices that can be addressed by it.
    virtual std::optional<quint32> serialNumber() const { return std::nullopt; }

    const VariableTable &variables() const { return *m_table; }
    int variableIndex(const QString &lowerName) const { return m_table->indexOf(lowerName); }

    // Brings the simulated values up to the given time. Time that goes backwards
    // moves the device's time base back without changing any value.
    void advanceTo(double now);

    // Reads a variable (index from the table) at the given time.
    SimValue read(int index, double now);
    // Writes a variable: the value is converted to the variable's kind. Returns
    // Outcome::NoError, ReadOnlyVariable or ValueOutOfRange.
    int write(int index, const SimValue &value, double now);

    // Raw 32-bit forms as DoRead and DoWrite carry them: integers as they are,
    // reals as the bit pattern of their single-precision form.
    qint32 readRaw(int index, double now);
    int writeRaw(int index, qint32 raw, double now);

    // Stores a start value without running any device logic (network loading).
    void setInitialValue(int index, const SimValue &value);

protected:
    // Advances the simulation from lastTime to now (now > lastTime, not frozen).
    virtual void simulate(double lastTime, double now) { Q_UNUSED(lastTime) Q_UNUSED(now) }
    // Value of a variable other than the three common ones.
    virtual SimValue readVariable(int index) const { return m_values[static_cast<size_t>(index)]; }
    // Stores a value (already of the variable's kind) of a variable other than the
    // three common ones and applies the device's logic; returns an Outcome code.
    virtual int writeVariable(int index, const SimValue &value);
    // Runs after the fault code changed.
    virtual void faultChanged() {}

    SimValue &slot(int index) { return m_values[static_cast<size_t>(index)]; }
    const SimValue &slot(int index) const { return m_values[static_cast<size_t>(index)]; }
    double lastTime() const { return m_lastTime; }

private:
    QString m_physId;
    int m_deviceType;
    std::shared_ptr<const VariableTable> m_table;
    std::vector<SimValue> m_values;
    double m_lastTime = 0.0;
    int m_fault = 0;
    bool m_answers = true;
    bool m_frozen = false;
};

// A device of a type other than KR 715: it serves ".DeviceType", ".PrgVers",
// ".Error3" and the variables its network file gives. Its node number is bits 8 to
// 15 of its ".Code3" when it has one, otherwise a number of its own.
class GenericDevice : public SimDevice {
public:
    GenericDevice(const QString &physId, int deviceType, std::shared_ptr<const VariableTable> table);

    int node() const override;
    void setNode(int node) override;

protected:
    int writeVariable(int index, const SimValue &value) override;

private:
    int m_code3 = -1; // index of ".Code3" when it is an integer variable
    int m_node = 0;
};

} // namespace kelopro
