#include "SimNetwork.h"

#include "Kr715Device.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace kelopro {

namespace {

// Network files larger than this are refused rather than read into memory.
constexpr qint64 MaxNetworkFileSize = 16 * 1024 * 1024;

// A text taken from outside (a PhysId, a name, a key, a path) is quoted in a message
// with at most this many characters: a damaged file can hold megabytes in one text.
constexpr qsizetype MaxQuotedLength = 60;
constexpr qsizetype MaxQuotedPathLength = 200;

// text as a message quotes it: cut to limit characters with "..." at the cut, and
// line breaks and other control characters shown as blanks.
QString quoted(const QString &text, qsizetype limit = MaxQuotedLength)
{
    QString shown = text.size() > limit ? text.left(limit - 3) + QLatin1String("...") : text;
    for (QChar &c : shown)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return shown;
}

// The default network, also shown in README.md:
// FT101 a KR 715 that answers and flows, FT102 a KR 715 reporting fault 5, FT103 a
// KR 715 that does not answer, PT201 a device of type 702.
const char DefaultNetworkJson[] = R"({
  "devices": [
    { "physId": "FT101", "deviceType": 715,
      "variables": {
        ".PrgVers": 105,
        ".MeterSize": 1.0, ".Ti": 10.0, ".PiCode": 0, ".Meternumber": 2018918144,
        ".Scale": 100.0, ".Code1": 2097152, ".Code2": 555812352, ".Code3": 539112448,
        ".Flow": 12.5, ".Volume1": 1234.5, ".Volume2": 0.0, ".Temperature": 21.5,
        ".SetPoint": 500.0 } },
    { "physId": "FT102", "deviceType": 715, "fault": 5,
      "variables": {
        ".PrgVers": 105,
        ".MeterSize": 2.5, ".Ti": 10.0, ".PiCode": 0, ".Meternumber": 2018918400,
        ".Scale": 100.0, ".Code1": 2097152, ".Code2": 65536, ".Code3": 539112704,
        ".Flow": 8.0, ".Volume1": 250.0, ".Temperature": 18.0, ".SetPoint": 100.0 } },
    { "physId": "FT103", "deviceType": 715, "answers": false,
      "variables": { ".Meternumber": 2018918656, ".Code3": 539112960 } },
    { "physId": "PT201", "deviceType": 702,
      "variables": { ".PrgVers": 100, ".Code3": 14080, ".Pressure": 2.5 } }
  ]
}
)";

// Lowest node number handed to a device whose file gives none.
constexpr int FirstFreeNode = 0x10;
// Lowest serial number handed to a KR 715 whose file gives no ".Meternumber".
constexpr quint32 FirstFreeSerial = 0x785640;

QString jsonTypeName(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a Boolean");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("a text");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("missing");
}

bool isIntegral(const QJsonValue &v)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::trunc(d) == d;
}

// A JSON number as a 32-bit integer: signed values and the unsigned 32-bit range
// both give the 32-bit pattern.
std::optional<qint32> toInt32(const QJsonValue &v)
{
    if (!isIntegral(v))
        return std::nullopt;
    const double d = v.toDouble();
    if (d < -2147483648.0 || d > 4294967295.0)
        return std::nullopt;
    return static_cast<qint32>(static_cast<quint32>(static_cast<qint64>(d)));
}

int nodeOfCode3(qint32 code3)
{
    return static_cast<int>((static_cast<quint32>(code3) >> 8) & 0xFFu);
}

struct LoadedDevice {
    std::unique_ptr<SimDevice> device;
    QString where;          // "device 2 (\"FT101\")"
    quint64 given = 0;      // KR 715: variables given by the file
    bool nodeGiven = false;
    bool serialGiven = false;
};

class Loader {
public:
    explicit Loader(const QString &sourceName) : m_source(sourceName) {}

    [[noreturn]] void fail(const QString &what) const
    {
        throw NetworkError(QStringLiteral("Network file \"%1\": %2").arg(quoted(m_source, MaxQuotedPathLength), what));
    }

    std::shared_ptr<SimNetwork> load(const QByteArray &json)
    {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            fail(QStringLiteral("not valid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
        if (!doc.isObject())
            fail(QStringLiteral("the top level is not a JSON object"));
        const QJsonObject root = doc.object();
        for (auto it = root.begin(); it != root.end(); ++it) {
            if (it.key() != QLatin1String("devices"))
                fail(QStringLiteral("unknown field \"%1\" at the top level (only \"devices\" is allowed)").arg(quoted(it.key())));
        }
        const QJsonValue devices = root.value(QLatin1String("devices"));
        if (!devices.isArray())
            fail(QStringLiteral("\"devices\" is %1; it must be an array of devices").arg(jsonTypeName(devices)));

        std::vector<LoadedDevice> loaded;
        QHash<QString, QString> seenIds; // lower-case PhysId -> where
        const QJsonArray array = devices.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            LoadedDevice d = loadDevice(array.at(i), static_cast<int>(i + 1));
            const QString lower = d.device->physId().toLower();
            const auto seen = seenIds.constFind(lower);
            if (seen != seenIds.constEnd())
                fail(QStringLiteral("%1: the PhysId is already used by %2 (PhysIds are compared without regard to case)").arg(d.where, *seen));
            seenIds.insert(lower, d.where);
            loaded.push_back(std::move(d));
        }
        assignNodesAndSerials(loaded);

        auto network = std::make_shared<SimNetwork>();
        for (LoadedDevice &d : loaded) {
            if (auto *kr = dynamic_cast<Kr715Device *>(d.device.get()))
                kr->finishSetup(d.given);
            network->addDevice(std::move(d.device));
        }
        return network;
    }

private:
    LoadedDevice loadDevice(const QJsonValue &value, int number)
    {
        LoadedDevice result;
        result.where = QStringLiteral("device %1").arg(number);
        if (!value.isObject())
            fail(QStringLiteral("%1 is %2; it must be an object").arg(result.where, jsonTypeName(value)));
        const QJsonObject obj = value.toObject();
        static const QSet<QString> fields = {QStringLiteral("physId"), QStringLiteral("deviceType"), QStringLiteral("answers"),
                                             QStringLiteral("fault"), QStringLiteral("frozen"), QStringLiteral("variables")};
        for (auto it = obj.begin(); it != obj.end(); ++it) {
            if (!fields.contains(it.key()))
                fail(QStringLiteral("%1: unknown field \"%2\"").arg(result.where, quoted(it.key())));
        }

        const QJsonValue physIdValue = obj.value(QLatin1String("physId"));
        if (!physIdValue.isString())
            fail(QStringLiteral("%1: \"physId\" is %2; it must be a text").arg(result.where, jsonTypeName(physIdValue)));
        const QString physId = physIdValue.toString();
        if (physId.trimmed().isEmpty())
            fail(QStringLiteral("%1: \"physId\" is empty").arg(result.where));
        if (physId.trimmed() != physId)
            fail(QStringLiteral("%1: \"physId\" \"%2\" begins or ends with blanks").arg(result.where, quoted(physId)));
        result.where = QStringLiteral("device %1 (\"%2\")").arg(number).arg(quoted(physId));

        const QJsonValue typeValue = obj.value(QLatin1String("deviceType"));
        if (!isIntegral(typeValue) || typeValue.toDouble() < 1 || typeValue.toDouble() > 65535)
            fail(QStringLiteral("%1: \"deviceType\" is %2; it must be a whole number from 1 to 65535")
                     .arg(result.where, typeValue.isDouble() ? QString::number(typeValue.toDouble(), 'g', 17) : jsonTypeName(typeValue)));
        const int deviceType = static_cast<int>(typeValue.toDouble());

        const bool answers = boolField(obj, QStringLiteral("answers"), true, result.where);
        const bool frozen = boolField(obj, QStringLiteral("frozen"), false, result.where);
        const QJsonValue faultValue = obj.value(QLatin1String("fault"));
        int fault = 0;
        if (!faultValue.isUndefined()) {
            if (!isIntegral(faultValue) || faultValue.toDouble() < 0 || faultValue.toDouble() > 254)
                fail(QStringLiteral("%1: \"fault\" must be a whole number from 0 to 254").arg(result.where));
            fault = static_cast<int>(faultValue.toDouble());
        }

        const QJsonValue varsValue = obj.value(QLatin1String("variables"));
        QJsonObject vars;
        if (!varsValue.isUndefined()) {
            if (!varsValue.isObject())
                fail(QStringLiteral("%1: \"variables\" is %2; it must be an object").arg(result.where, jsonTypeName(varsValue)));
            vars = varsValue.toObject();
        }

        if (deviceType == Kr715Device::Type)
            loadKr715(result, physId, vars);
        else
            loadGeneric(result, physId, deviceType, vars);
        result.device->setAnswers(answers);
        result.device->setFrozen(frozen);
        result.device->setFault(fault);
        return result;
    }

    bool boolField(const QJsonObject &obj, const QString &key, bool fallback, const QString &where) const
    {
        const QJsonValue v = obj.value(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(QStringLiteral("%1: \"%2\" is %3; it must be true or false").arg(where, key, jsonTypeName(v)));
        return v.toBool();
    }

    void checkVariableName(const QString &where, const QString &name, const QString &lower, QSet<QString> &seen) const
    {
        if (name.size() < 2 || !name.startsWith(QLatin1Char('.')))
            fail(QStringLiteral("%1: variable name \"%2\" must be a point followed by a name").arg(where, quoted(name)));
        if (lower == QLatin1String(".devicetype"))
            fail(QStringLiteral("%1: \".DeviceType\" cannot be given as a variable; it is \"deviceType\"").arg(where));
        if (lower == QLatin1String(".error3"))
            fail(QStringLiteral("%1: \".Error3\" cannot be given as a variable; the fault code is \"fault\"").arg(where));
        if (seen.contains(lower))
            fail(QStringLiteral("%1: variable \"%2\" is given twice (names are compared without regard to case)").arg(where, quoted(name)));
        seen.insert(lower);
    }

    void loadKr715(LoadedDevice &result, const QString &physId, const QJsonObject &vars)
    {
        auto device = std::make_unique<Kr715Device>(physId);
        QSet<QString> seen;
        for (auto it = vars.begin(); it != vars.end(); ++it) {
            const QString &name = it.key();
            const QString lower = name.toLower();
            checkVariableName(result.where, name, lower, seen);
            const int index = device->variableIndex(lower);
            if (index < 0)
                fail(QStringLiteral("%1: unknown KR 715 variable \"%2\"").arg(result.where, quoted(name)));
            if (index == Kr715Device::SerialNo)
                fail(QStringLiteral("%1: \".SerialNo\" cannot be given; it follows from \".Meternumber\" and \".Code3\"").arg(result.where));
            const QJsonValue v = it.value();
            if (!v.isDouble())
                fail(QStringLiteral("%1: variable \"%2\" is %3; it must be a number").arg(result.where, quoted(name), jsonTypeName(v)));
            if (device->variables().at(index).kind == VarKind::Integer) {
                const std::optional<qint32> n = toInt32(v);
                if (!n)
                    fail(QStringLiteral("%1: variable \"%2\" must be a whole number that fits 32 bits").arg(result.where, quoted(name)));
                if (index == Kr715Device::Code3 && nodeOfCode3(*n) > MaxNodeNumber)
                    fail(QStringLiteral("%1: the node number in \".Code3\" (bits 8 to 15) must be at most %2").arg(result.where).arg(MaxNodeNumber));
                device->setInitialValue(index, SimValue::fromInt(*n));
            } else {
                device->setInitialValue(index, SimValue::fromReal(v.toDouble()));
            }
            result.given |= quint64(1) << index;
        }
        result.nodeGiven = (result.given >> Kr715Device::Code3) & 1u;
        result.serialGiven = (result.given >> Kr715Device::MeterNumber) & 1u;
        result.device = std::move(device);
    }

    void loadGeneric(LoadedDevice &result, const QString &physId, int deviceType, const QJsonObject &vars)
    {
        auto table = std::make_shared<VariableTable>();
        QSet<QString> seen;
        std::vector<std::pair<int, SimValue>> values;
        for (auto it = vars.begin(); it != vars.end(); ++it) {
            const QString &name = it.key();
            const QString lower = name.toLower();
            checkVariableName(result.where, name, lower, seen);
            const QJsonValue v = it.value();
            if (!v.isDouble())
                fail(QStringLiteral("%1: variable \"%2\" is %3; it must be a number").arg(result.where, quoted(name), jsonTypeName(v)));
            const std::optional<qint32> n = toInt32(v);
            if (lower == QLatin1String(".prgvers")) {
                if (!n)
                    fail(QStringLiteral("%1: \".PrgVers\" must be a whole number that fits 32 bits").arg(result.where));
                values.emplace_back(VariableTable::PrgVers, SimValue::fromInt(*n));
                continue;
            }
            // Whole numbers that fit 32 bits make integer variables, all others reals.
            if (n && lower == QLatin1String(".code3") && nodeOfCode3(*n) > MaxNodeNumber)
                fail(QStringLiteral("%1: the node number in \".Code3\" (bits 8 to 15) must be at most %2").arg(result.where).arg(MaxNodeNumber));
            const int index = table->add(name, n ? VarKind::Integer : VarKind::Real);
            values.emplace_back(index, n ? SimValue::fromInt(*n) : SimValue::fromReal(v.toDouble()));
            if (n && lower == QLatin1String(".code3"))
                result.nodeGiven = true;
        }
        auto device = std::make_unique<GenericDevice>(physId, deviceType, std::move(table));
        for (const auto &[index, value] : values)
            device->setInitialValue(index, value);
        result.device = std::move(device);
    }

    void assignNodesAndSerials(std::vector<LoadedDevice> &loaded) const
    {
        QHash<int, QString> nodes;        // node -> where
        QHash<quint32, QString> serials;  // serial -> where
        for (const LoadedDevice &d : loaded) {
            if (d.nodeGiven) {
                const int node = d.device->node();
                if (nodes.contains(node))
                    fail(QStringLiteral("%1: node number 0x%2 is also held by %3")
                             .arg(d.where, QString::number(node, 16).toUpper().rightJustified(2, QLatin1Char('0')), nodes.value(node)));
                nodes.insert(node, d.where);
            }
            if (d.serialGiven) {
                const quint32 serial = *d.device->serialNumber();
                if (serials.contains(serial))
                    fail(QStringLiteral("%1: serial number %2 is also held by %3")
                             .arg(d.where, QString::number(serial, 16).toUpper().rightJustified(6, QLatin1Char('0')), serials.value(serial)));
                serials.insert(serial, d.where);
            }
        }
        int nextNode = FirstFreeNode;
        quint32 nextSerial = FirstFreeSerial;
        for (LoadedDevice &d : loaded) {
            if (!d.nodeGiven) {
                while (nextNode <= MaxNodeNumber && nodes.contains(nextNode))
                    ++nextNode;
                if (nextNode > MaxNodeNumber)
                    fail(QStringLiteral("%1: no node number is left for the device").arg(d.where));
                d.device->setNode(nextNode);
                nodes.insert(nextNode, d.where);
            }
            if (!d.serialGiven && d.device->serialNumber()) {
                while (serials.contains(nextSerial))
                    ++nextSerial;
                const qint32 meterNumber = static_cast<qint32>((nextSerial & 0xFFFFFFu) << 8);
                d.device->setInitialValue(Kr715Device::MeterNumber, SimValue::fromInt(meterNumber));
                serials.insert(nextSerial, d.where);
            }
        }
    }

    QString m_source;
};

} // namespace

std::shared_ptr<SimNetwork> SimNetwork::fromJson(const QByteArray &json, const QString &sourceName)
{
    return Loader(sourceName).load(json);
}

std::shared_ptr<SimNetwork> SimNetwork::fromFile(const QString &path)
{
    const QString shownPath = quoted(path, MaxQuotedPathLength);
    // Only a regular file (or a link to one) is opened: a FIFO would block the start
    // for good, a device such as /dev/zero never ends.
    const QFileInfo info(path);
    if (!info.exists())
        throw NetworkError(QStringLiteral("Network file \"%1\": cannot be read: no such file").arg(shownPath));
    if (!info.isFile())
        throw NetworkError(QStringLiteral("Network file \"%1\": not a regular file").arg(shownPath));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw NetworkError(QStringLiteral("Network file \"%1\": cannot be read: %2").arg(shownPath, file.errorString()));
    // The size a file reports is no bound (files of /proc report 0): the bytes
    // actually read are.
    QByteArray json;
    for (;;) {
        const QByteArray chunk = file.read(MaxNetworkFileSize + 1 - json.size());
        if (file.error() != QFileDevice::NoError)
            throw NetworkError(QStringLiteral("Network file \"%1\": cannot be read: %2").arg(shownPath, file.errorString()));
        if (chunk.isEmpty())
            break;
        json += chunk;
        if (json.size() > MaxNetworkFileSize)
            throw NetworkError(QStringLiteral("Network file \"%1\": larger than %2 bytes").arg(shownPath).arg(MaxNetworkFileSize));
    }
    return fromJson(json, path);
}

std::shared_ptr<SimNetwork> SimNetwork::fromEnvironment()
{
    const QString path = qEnvironmentVariable(NetworkFileVariable);
    if (path.isEmpty())
        return defaultNetwork();
    return fromFile(path);
}

QByteArray SimNetwork::defaultNetworkJson()
{
    return QByteArray(DefaultNetworkJson);
}

std::shared_ptr<SimNetwork> SimNetwork::defaultNetwork()
{
    return fromJson(defaultNetworkJson(), QStringLiteral("(default network)"));
}

std::unique_ptr<SimDevice> SimNetwork::takeDevice(const QString &physId)
{
    const QString lower = physId.toLower();
    SimDevice *device = m_byId.value(lower, nullptr);
    if (!device)
        return nullptr;
    m_byId.remove(lower);
    ++m_generation;
    const auto it = std::find_if(m_devices.begin(), m_devices.end(), [device](const auto &d) { return d.get() == device; });
    std::unique_ptr<SimDevice> taken = std::move(*it);
    m_devices.erase(it);
    return taken;
}

SimDevice &SimNetwork::addDevice(std::unique_ptr<SimDevice> device)
{
    const QString lower = device->physId().toLower();
    if (m_byId.contains(lower))
        throw NetworkError(QStringLiteral("PhysId \"%1\" is already used in the network").arg(quoted(device->physId())));
    SimDevice &ref = *device;
    m_byId.insert(lower, &ref);
    ++m_generation;
    m_devices.push_back(std::move(device));
    return ref;
}

SimDevice *SimNetwork::deviceAtNode(int node) const
{
    for (const auto &d : m_devices) {
        if (d->node() == node)
            return d.get();
    }
    return nullptr;
}

SimDevice *SimNetwork::deviceWithSerial(quint32 serial) const
{
    for (const auto &d : m_devices) {
        if (d->answers() && d->serialNumber() == serial)
            return d.get();
    }
    return nullptr;
}

} // namespace kelopro
