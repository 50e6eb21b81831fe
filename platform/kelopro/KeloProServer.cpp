#include "KeloProServer.h"

#include "KeloProClient.h"
#include "Kr715Device.h"

#include <QDebug>
#include <cmath>

namespace kelopro {

using automation::AutomationError;

namespace {

const QString &noErrorText()
{
    static const QString text = QStringLiteral("No error");
    return text;
}

QString hex2(int node)
{
    return QString::number(node & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// Prefix of the node address of every device: port 0001, route 0000.
const QString &addressPrefix()
{
    static const QString prefix = QStringLiteral("0001.0000.");
    return prefix;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// A device with a fault code set reports the fault on every access but one to
// ".Error3", the variable that holds the code.
bool reportsFault(const SimDevice &device, int variable)
{
    return device.fault() != 0 && variable != VariableTable::Error3;
}

// The outcome of a read of variable from device.
int readOutcome(const SimDevice &device, int variable)
{
    return reportsFault(device, variable) ? Outcome::DeviceFaultOnRead : Outcome::NoError;
}

// The outcome of a write of variable to device that the device itself took with
// outcome.
int writeOutcome(const SimDevice &device, int variable, int outcome)
{
    return outcome == Outcome::NoError && reportsFault(device, variable) ? Outcome::DeviceFaultOnWrite : outcome;
}

AutomationError unknownMember(const QString &member)
{
    return AutomationError(QStringLiteral("Unknown name: KELO.PRO has no member \"%1\"").arg(member));
}

QString invalidNodeAddressText(const QString &address)
{
    return QStringLiteral("Invalid node address: \"%1\" does not end in two hexadecimal digits").arg(address);
}

QString typeName(const QVariant &v)
{
    return v.isValid() ? QString::fromLatin1(v.typeName()) : QStringLiteral("empty");
}

// A value given to value or InValue as a device value; nullopt when it does not
// convert. Integers keep their 32-bit pattern (-2^31 .. 2^32-1); larger ones are
// carried as reals so that they show as out of range for an integer variable.
std::optional<SimValue> toSimValue(const QVariant &v)
{
    const auto fromWide = [](qint64 n) {
        if (n >= -2147483648LL && n <= 4294967295LL)
            return SimValue::fromInt(static_cast<qint32>(static_cast<quint32>(n)));
        return SimValue::fromReal(static_cast<double>(n));
    };
    switch (v.typeId()) {
    case QMetaType::Bool:
        return SimValue::fromInt(v.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return fromWide(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong n = v.toULongLong();
        if (n <= 4294967295ULL)
            return SimValue::fromInt(static_cast<qint32>(static_cast<quint32>(n)));
        return SimValue::fromReal(static_cast<double>(n));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return SimValue::fromReal(v.toDouble());
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (ok)
            return fromWide(n);
        const double d = text.toDouble(&ok);
        if (ok)
            return SimValue::fromReal(d);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> toText(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return v.toString();
    default:
        return std::nullopt;
    }
}

std::optional<bool> toBoolean(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return v.toLongLong() != 0;
    case QMetaType::Double:
        return v.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1") || t == QLatin1String("-1"))
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return false;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

// ---------------------------------------------------------------------------

KeloProServer::KeloProServer(std::shared_ptr<SimNetwork> network, const QString &traceFile)
    : m_network(std::move(network))
{
    Q_ASSERT(m_network);
    if (!traceFile.isEmpty()) {
        auto file = std::make_unique<QFile>(traceFile);
        if (file->open(QIODevice::WriteOnly | QIODevice::Append))
            m_trace = std::move(file);
        else
            qWarning().noquote() << QStringLiteral("KELO.PRO: cannot open the trace file \"%1\": %2").arg(traceFile, file->errorString());
    }
}

KeloProServer::KeloProServer(std::shared_ptr<SimNetwork> network, std::shared_ptr<QFile> sharedTrace)
    : m_network(std::move(network))
    , m_trace(std::move(sharedTrace))
{
    Q_ASSERT(m_network);
}

KeloProServer::~KeloProServer() = default;

QString KeloProServer::errorString() const
{
    return m_outcome == Outcome::NoError ? noErrorText() : m_outcomeText;
}

std::unique_ptr<KeloProServer> KeloProServer::createFromEnvironment()
{
    std::shared_ptr<SimNetwork> network;
    try {
        network = SimNetwork::fromEnvironment();
    } catch (const NetworkError &e) {
        throw AutomationError(e.text());
    }
    return std::make_unique<KeloProServer>(std::move(network), qEnvironmentVariable(TraceFileVariable));
}

std::unique_ptr<KeloProServer> KeloProServer::fromJson(const QByteArray &json, const QString &sourceName, const QString &traceFile)
{
    return std::make_unique<KeloProServer>(SimNetwork::fromJson(json, sourceName), traceFile);
}

KeloProServer::Member KeloProServer::lookup(const QString &member)
{
    struct Entry { QLatin1String name; Member member; };
    static const Entry entries[] = {
        {QLatin1String("PhysId"), Member::PhysId},
        {QLatin1String("InformationInErrorCode"), Member::InformationInErrorCode},
        {QLatin1String("Value"), Member::Value},
        {QLatin1String("ErrorCode"), Member::ErrorCode},
        {QLatin1String("ErrorString"), Member::ErrorString},
        {QLatin1String("NodeAddress"), Member::NodeAddress},
        {QLatin1String("InValue"), Member::InValue},
        {QLatin1String("DoRead"), Member::DoRead},
        {QLatin1String("DoWrite"), Member::DoWrite},
    };
    // Member names are ASCII and compared without regard to case.
    const auto sameName = [&member](QLatin1String name) {
        if (name.size() != member.size())
            return false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            const char16_t a = member.at(i).unicode();
            const char16_t b = static_cast<unsigned char>(name.at(i).toLatin1());
            if (a != b && !(a >= u'A' && a <= u'Z' && a + 32 == b) && !(a >= u'a' && a <= u'z' && a - 32 == b))
                return false;
        }
        return true;
    };
    for (const Entry &e : entries) {
        if (sameName(e.name))
            return e.member;
    }
    return Member::Unknown;
}

// ---------------------------------------------------------------------------
// The three access kinds, with the trace around them.

void KeloProServer::put(const QString &member, const QVariant &value)
{
    if (m_trace) {
        const QString text = traceText(value);
        trace("put", member, &text);
    }
    if (!automation::accessObserved()) {
        putMember(lookup(member), member, value);
        return;
    }
    try {
        putMember(lookup(member), member, value);
    } catch (...) {
        observe(automation::Access::Kind::Put, member, &value);
        throw;
    }
    observe(automation::Access::Kind::Put, member, &value);
}

QVariant KeloProServer::get(const QString &member)
{
    const bool observed = automation::accessObserved();
    if (!m_trace && !observed)
        return getMember(lookup(member), member);
    QVariant result;
    try {
        result = getMember(lookup(member), member);
    } catch (...) {
        if (m_trace)
            trace("get", member, nullptr);
        if (observed)
            observe(automation::Access::Kind::Get, member, nullptr);
        throw;
    }
    if (m_trace) {
        const QString text = traceText(result);
        trace("get", member, &text);
    }
    if (observed)
        observe(automation::Access::Kind::Get, member, &result);
    return result;
}

QVariant KeloProServer::call(const QString &member, const QVariantList &args)
{
    if (m_trace)
        trace("call", member, nullptr);
    if (!automation::accessObserved()) {
        callMember(lookup(member), member, args);
        return QVariant();
    }
    try {
        callMember(lookup(member), member, args);
    } catch (...) {
        observe(automation::Access::Kind::Call, member, nullptr);
        throw;
    }
    observe(automation::Access::Kind::Call, member, nullptr);
    return QVariant();
}

// Watchers of the traffic see each access after it has run, with its value, the way
// the trace writes values (applied only when a watcher shows the value) and the
// outcome it left.
void KeloProServer::observe(automation::Access::Kind kind, const QString &member, const QVariant *value)
{
    automation::notifyAccess(this, kind, member, value, m_outcome, &automation::traceText);
}

// ---------------------------------------------------------------------------

void KeloProServer::putMember(Member m, const QString &member, const QVariant &value)
{
    const auto mismatch = [&](const QString &expected) {
        m_outcome = Outcome::TypeMismatch;
        m_outcomeText = QStringLiteral("Type mismatch: %1 needs %2, not a value of type %3").arg(member, expected, typeName(value));
        return AutomationError(m_outcomeText);
    };

    switch (m) {
    case Member::PhysId: {
        const std::optional<QString> name = toText(value);
        if (!name)
            throw mismatch(QStringLiteral("a text"));
        select(*name);
        return;
    }
    case Member::InformationInErrorCode: {
        const std::optional<bool> on = toBoolean(value);
        if (!on)
            throw mismatch(QStringLiteral("a Boolean"));
        m_informationInErrorCode = *on;
        return;
    }
    case Member::Value: {
        const std::optional<SimValue> v = toSimValue(value);
        if (!v)
            throw mismatch(QStringLiteral("a number"));
        if (!checkVariableAccess())
            return;
        const int outcome = m_device->write(m_variable, *v, m_network->clock().now());
        finishDevice(writeOutcome(*m_device, m_variable, outcome), m_device);
        return;
    }
    case Member::NodeAddress: {
        const std::optional<QString> address = toText(value);
        if (!address)
            throw mismatch(QStringLiteral("a text"));
        m_nodeAddressOverride = *address;
        const qsizetype n = address->size();
        const int high = n >= 2 ? hexDigit(address->at(n - 2)) : -1;
        const int low = n >= 2 ? hexDigit(address->at(n - 1)) : -1;
        m_overrideNode = (high < 0 || low < 0) ? -2 : high * 16 + low;
        if (!m_device) {
            finish(m_selectionOutcome ? m_selectionOutcome : Outcome::NoVariableSelected,
                   m_selectionOutcome ? m_selectionText : QStringLiteral("No variable selected"));
        } else if (m_overrideNode == -2) {
            finish(Outcome::InvalidNodeAddress, invalidNodeAddressText(*address));
        } else {
            finish(Outcome::NoError);
        }
        return;
    }
    case Member::InValue: {
        const std::optional<SimValue> v = toSimValue(value);
        const std::optional<SimValue> n = v ? convertTo(*v, VarKind::Integer) : std::nullopt;
        if (!n)
            throw mismatch(QStringLiteral("a 32-bit integer"));
        m_inValue = n->integer;
        return;
    }
    case Member::ErrorCode:
    case Member::ErrorString:
        throw AutomationError(QStringLiteral("Member \"%1\" of KELO.PRO is read-only").arg(member));
    case Member::DoRead:
    case Member::DoWrite:
        throw AutomationError(QStringLiteral("Member \"%1\" of KELO.PRO is a method; it cannot be assigned").arg(member));
    case Member::Unknown:
        break;
    }
    throw unknownMember(member);
}

QVariant KeloProServer::getMember(Member m, const QString &member)
{
    switch (m) {
    case Member::PhysId:
        return m_selectedName;
    case Member::InformationInErrorCode:
        return m_informationInErrorCode;
    case Member::Value: {
        if (!checkVariableAccess())
            return 0;
        const SimValue v = m_device->read(m_variable, m_network->clock().now());
        finishDevice(readOutcome(*m_device, m_variable), m_device);
        if (v.kind == VarKind::Integer)
            return v.integer;
        return v.real;
    }
    case Member::ErrorCode:
        return m_outcome;
    case Member::ErrorString:
        return m_outcome == Outcome::NoError ? noErrorText() : m_outcomeText;
    case Member::NodeAddress:
        if (m_overrideNode != -1)
            return m_nodeAddressOverride;
        if (m_device)
            return addressPrefix() + hex2(m_device->node());
        return QString();
    case Member::InValue:
        return m_inValue;
    case Member::DoRead:
    case Member::DoWrite:
        throw AutomationError(QStringLiteral("Member \"%1\" of KELO.PRO is a method; it cannot be read").arg(member));
    case Member::Unknown:
        break;
    }
    throw unknownMember(member);
}

void KeloProServer::callMember(Member m, const QString &member, const QVariantList &args)
{
    if (m == Member::Unknown)
        throw unknownMember(member);
    if (m != Member::DoRead && m != Member::DoWrite)
        throw AutomationError(QStringLiteral("Member \"%1\" of KELO.PRO is a property; it cannot be called").arg(member));
    if (!args.isEmpty())
        throw AutomationError(QStringLiteral("Member \"%1\" of KELO.PRO takes no arguments, %2 given").arg(member).arg(args.size()));
    if (m == Member::DoRead)
        doRead();
    else
        doWrite();
}

// ---------------------------------------------------------------------------

void KeloProServer::select(const QString &name)
{
    m_selectedName = name;
    m_selectedVariable.clear();
    m_device = nullptr;
    m_variable = -1;
    m_informationInErrorCode = false;
    m_nodeAddressOverride.clear();
    m_overrideNode = -1;
    m_selectionOutcome = Outcome::NoError;
    m_selectionText.clear();

    if (m_resolvedGeneration != m_network->generation() || m_resolved.size() > 1024) {
        m_resolved.clear();
        m_resolvedGeneration = m_network->generation();
    }
    auto known = m_resolved.constFind(name);
    if (known == m_resolved.cend()) {
        Resolved r;
        const QString lower = name.toLower();
        if (SimDevice *device = m_network->deviceByLowerId(lower)) {
            r.device = device;
        } else {
            const qsizetype dot = lower.lastIndexOf(QLatin1Char('.'));
            SimDevice *owner = dot > 0 ? m_network->deviceByLowerId(lower.left(dot)) : nullptr;
            if (!owner) {
                r.outcome = Outcome::UnknownPhysId;
                r.text = QStringLiteral("Unknown PhysId: %1").arg(name);
            } else {
                r.device = owner;
                r.selectedVariable = lower.mid(dot);
                r.variable = owner->variableIndex(r.selectedVariable);
                if (r.variable < 0) {
                    r.outcome = Outcome::UnknownVariable;
                    r.text = QStringLiteral("Unknown variable: %1").arg(name);
                }
            }
        }
        known = m_resolved.insert(name, r);
    }
    m_device = known->device;
    m_variable = known->variable;
    m_selectedVariable = known->selectedVariable;
    m_selectionOutcome = known->outcome;
    m_selectionText = known->text;
    m_outcome = m_selectionOutcome;
    m_outcomeText = m_selectionText;
}

void KeloProServer::finish(int outcome, const QString &text)
{
    m_outcome = outcome;
    if (outcome == Outcome::NoError)
        return;
    m_outcomeText = text;
    if (!m_informationInErrorCode)
        throw AutomationError(text);
}

void KeloProServer::finishDevice(int outcome, const SimDevice *device)
{
    if (outcome == Outcome::NoError) {
        m_outcome = outcome;
        return;
    }
    finish(outcome, deviceOutcomeText(outcome, device));
}

QString KeloProServer::deviceOutcomeText(int outcome, const SimDevice *device) const
{
    switch (outcome) {
    case Outcome::DeviceFaultOnRead:
        return QStringLiteral("Device fault: %1 reports fault code %2").arg(device->physId()).arg(device->fault());
    case Outcome::DeviceFaultOnWrite:
        return QStringLiteral("Device fault on write: %1 reports fault code %2").arg(device->physId()).arg(device->fault());
    case Outcome::NoContact:
        return QStringLiteral("No contact: %1 does not answer").arg(device->physId());
    case Outcome::ReadOnlyVariable:
        return QStringLiteral("Read-only variable: %1").arg(m_selectedName);
    case Outcome::ValueOutOfRange:
        return QStringLiteral("Value out of range for %1").arg(m_selectedName);
    case Outcome::UnknownVariable:
        return QStringLiteral("Unknown variable: %1 has no variable \"%2\"").arg(device->physId(), m_selectedVariable);
    default:
        return QStringLiteral("Error %1").arg(outcome);
    }
}

bool KeloProServer::checkVariableAccess()
{
    if (m_selectionOutcome != Outcome::NoError) {
        finish(m_selectionOutcome, m_selectionText);
        return false;
    }
    if (!m_device || m_variable < 0) {
        finish(Outcome::NoVariableSelected,
               m_device ? QStringLiteral("No variable selected: %1 names a device").arg(m_selectedName) : QStringLiteral("No variable selected"));
        return false;
    }
    if (!m_device->answers()) {
        finishDevice(Outcome::NoContact, m_device);
        return false;
    }
    return true;
}

void KeloProServer::doRead()
{
    if (!checkVariableAccess())
        return;
    m_inValue = m_device->readRaw(m_variable, m_network->clock().now());
    finishDevice(readOutcome(*m_device, m_variable), m_device);
}

void KeloProServer::doWrite()
{
    // The selection must name a variable of a known device; whether a device
    // answers is checked on the device that the node address reaches.
    if (m_selectionOutcome != Outcome::NoError || !m_device || m_variable < 0) {
        checkVariableAccess();
        return;
    }
    if (m_overrideNode == -2) {
        finish(Outcome::InvalidNodeAddress, invalidNodeAddressText(m_nodeAddressOverride));
        return;
    }

    SimDevice *target = m_device;
    int index = m_variable;
    if (m_overrideNode >= 0 && m_overrideNode != m_device->node()) {
        if (m_overrideNode == SerialNumberNode) {
            // Addressing by serial number: every device hears it, the one whose
            // serial number is the upper 24 bits of InValue answers.
            const quint32 serial = static_cast<quint32>(m_inValue) >> 8;
            target = m_selectedVariable == QLatin1String(".serialno") ? m_network->deviceWithSerial(serial) : nullptr;
            if (!target) {
                finish(Outcome::NoContact,
                       QStringLiteral("No contact: no device with serial number %1 answers at node 7E")
                           .arg(QString::number(serial, 16).toUpper().rightJustified(6, QLatin1Char('0'))));
                return;
            }
        } else {
            target = m_network->deviceAtNode(m_overrideNode);
            if (!target) {
                finish(Outcome::NoContact, QStringLiteral("No contact: no device at node %1").arg(hex2(m_overrideNode)));
                return;
            }
        }
        if (target != m_device) {
            index = target->variableIndex(m_selectedVariable);
            if (index < 0) {
                finishDevice(Outcome::UnknownVariable, target);
                return;
            }
        }
    }
    if (!target->answers()) {
        finishDevice(Outcome::NoContact, target);
        return;
    }
    const int outcome = target->writeRaw(index, m_inValue, m_network->clock().now());
    finishDevice(writeOutcome(*target, index, outcome), target);
}

// ---------------------------------------------------------------------------

QString KeloProServer::traceText(const QVariant &value)
{
    return automation::traceText(value);
}

void KeloProServer::trace(const char *kind, const QString &member, const QString *value)
{
    QByteArray line(kind);
    line += ' ';
    line += member.toUtf8();
    if (value) {
        line += ' ';
        line += value->toUtf8();
    }
    line += '\n';
    if (m_trace->write(line) != line.size() || !m_trace->flush()) {
        qWarning().noquote() << QStringLiteral("KELO.PRO: writing the trace file \"%1\" failed: %2; tracing stops")
                                    .arg(m_trace->fileName(), m_trace->errorString());
        m_trace.reset();
    }
}

// ---------------------------------------------------------------------------

void registerServer()
{
    automation::registerClass(QString::fromLatin1(KeloProServer::ProgId), []() -> std::unique_ptr<automation::AutomationObject> {
        // The kelo-pro-server service when it is on the session bus (or chosen), the
        // simulator in this process otherwise; see KeloProClient.h.
        if (kelobus::chooseServer() == kelobus::ServerChoice::Service)
            return kelobus::KeloProClient::connect(kelobus::clientOptions());
        return KeloProServer::createFromEnvironment();
    });
}

QStringList networkPhysIds()
{
    try {
        if (kelobus::chooseServer() == kelobus::ServerChoice::Service)
            return kelobus::KeloProClient::servicePhysIds().value_or(QStringList());
        const std::shared_ptr<SimNetwork> network = SimNetwork::fromEnvironment();
        QStringList ids;
        for (const auto &device : network->devices())
            ids.append(device->physId());
        return ids;
    } catch (const AutomationError &) {
        // A server choice that names nothing: the first selection reports it.
    } catch (const NetworkError &) {
        // An unreadable network file: the embedded server reports it at the first selection.
    }
    return {};
}

} // namespace kelopro
