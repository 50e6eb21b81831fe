#include "KeloProService.h"

#include "KeloProBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QFile>

namespace kelobus {

using automation::AutomationError;

namespace {

const char *const FactoryIntrospection =
    "  <interface name=\"com.kr.KeloPro.Server\">\n"
    "    <method name=\"CreateObject\"><arg direction=\"out\" type=\"o\"/></method>\n"
    "    <method name=\"ReleaseObject\"><arg direction=\"in\" type=\"o\"/></method>\n"
    "    <method name=\"ObjectCount\"><arg direction=\"out\" type=\"u\"/></method>\n"
    "    <method name=\"PhysIds\"><arg direction=\"out\" type=\"as\"/></method>\n"
    "  </interface>\n";

const char *const ObjectIntrospection =
    "  <interface name=\"com.kr.KeloPro.Object\">\n"
    "    <method name=\"Put\"><arg direction=\"in\" type=\"s\"/><arg direction=\"in\" type=\"av\"/>"
    "<arg direction=\"out\" type=\"i\"/><arg direction=\"out\" type=\"s\"/></method>\n"
    "    <method name=\"Get\"><arg direction=\"in\" type=\"s\"/><arg direction=\"out\" type=\"av\"/>"
    "<arg direction=\"out\" type=\"i\"/><arg direction=\"out\" type=\"s\"/></method>\n"
    "    <method name=\"Call\"><arg direction=\"in\" type=\"s\"/><arg direction=\"in\" type=\"av\"/>"
    "<arg direction=\"out\" type=\"av\"/><arg direction=\"out\" type=\"i\"/><arg direction=\"out\" type=\"s\"/></method>\n"
    "  </interface>\n";

QString invalidArgs() { return QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"); }
QString unknownMethod() { return QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"); }

} // namespace

KeloProService::KeloProService(std::shared_ptr<kelopro::SimNetwork> network, std::shared_ptr<QFile> trace,
                               const QDBusConnection &bus, QObject *parent)
    : QDBusVirtualObject(parent)
    , m_network(std::move(network))
    , m_trace(std::move(trace))
    , m_bus(bus)
    , m_watcher(new QDBusServiceWatcher(this))
{
    m_watcher->setConnection(m_bus);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &KeloProService::ownerLeft);
}

KeloProService::~KeloProService()
{
    m_bus.unregisterObject(factoryPath(), QDBusConnection::UnregisterTree);
    m_bus.unregisterService(serviceName());
}

bool KeloProService::start(QString *error)
{
    if (!m_bus.isConnected()) {
        *error = QStringLiteral("no session bus: %1").arg(m_bus.lastError().message());
        return false;
    }
    if (!m_bus.registerVirtualObject(factoryPath(), this, QDBusConnection::SubPath)) {
        *error = QStringLiteral("cannot register the object %1: %2").arg(factoryPath(), m_bus.lastError().message());
        return false;
    }
    if (!m_bus.registerService(serviceName())) {
        m_bus.unregisterObject(factoryPath(), QDBusConnection::UnregisterTree);
        const QString owner = m_bus.interface() ? m_bus.interface()->serviceOwner(serviceName()).value() : QString();
        *error = owner.isEmpty() ? QStringLiteral("cannot take the name %1 on the session bus: %2").arg(serviceName(), m_bus.lastError().message())
                                 : QStringLiteral("the name %1 is taken on the session bus (by %2): another service runs").arg(serviceName(), owner);
        return false;
    }
    return true;
}

QString KeloProService::introspect(const QString &path) const
{
    if (path == factoryPath())
        return QString::fromLatin1(FactoryIntrospection) + QStringLiteral("  <node name=\"objects\"/>\n");
    if (path == factoryPath() + QStringLiteral("/objects")) {
        QString nodes;
        for (const auto &entry : m_objects)
            nodes += QStringLiteral("  <node name=\"%1\"/>\n").arg(entry.first);
        return nodes;
    }
    if (path.startsWith(objectPathPrefix()))
        return QString::fromLatin1(ObjectIntrospection);
    return QString();
}

void KeloProService::reply(const QDBusMessage &message, const QVariantList &arguments)
{
    if (!message.isReplyRequired())
        return;
    m_bus.send(message.createReply(arguments));
}

void KeloProService::replyError(const QDBusMessage &message, const QString &name, const QString &text)
{
    if (!message.isReplyRequired())
        return;
    m_bus.send(message.createErrorReply(name, text));
}

bool KeloProService::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    Q_UNUSED(connection)
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString path = message.path();
    if (path == factoryPath()) {
        handleFactory(message);
        return true;
    }
    if (path.startsWith(objectPathPrefix())) {
        bool ok = false;
        const quint64 id = QStringView(path).mid(objectPathPrefix().size()).toULongLong(&ok);
        handleObject(message, ok ? id : 0);
        return true;
    }
    return false;
}

void KeloProService::handleFactory(const QDBusMessage &message)
{
    if (!message.interface().isEmpty() && message.interface() != factoryInterface()) {
        replyError(message, unknownMethod(), QStringLiteral("No interface %1 at %2").arg(message.interface(), factoryPath()));
        return;
    }
    const QString member = message.member();
    const QString owner = message.service();
    if (member == QLatin1String("CreateObject")) {
        const quint64 id = m_nextId++;
        Entry entry;
        entry.owner = owner;
        entry.server = std::make_unique<kelopro::KeloProServer>(m_network, m_trace);
        m_objects.emplace(id, std::move(entry));
        QSet<quint64> &owned = m_byOwner[owner];
        if (owned.isEmpty()) {
            m_watcher->addWatchedService(owner);
            // An owner that left before the watch was set is not reported by it.
            if (m_bus.interface() && !m_bus.interface()->isServiceRegistered(owner).value()) {
                owned.insert(id);
                ownerLeft(owner);
                return;
            }
        }
        owned.insert(id);
        reply(message, {QVariant::fromValue(QDBusObjectPath(objectPathPrefix() + QString::number(id)))});
    } else if (member == QLatin1String("ReleaseObject")) {
        const QVariant arg = message.arguments().value(0);
        const QString path = arg.userType() == qMetaTypeId<QDBusObjectPath>() ? qvariant_cast<QDBusObjectPath>(arg).path() : QString();
        bool ok = path.startsWith(objectPathPrefix());
        const quint64 id = ok ? QStringView(path).mid(objectPathPrefix().size()).toULongLong(&ok) : 0;
        const auto it = ok ? m_objects.find(id) : m_objects.end();
        if (it == m_objects.end() || it->second.owner != owner) {
            replyError(message, noSuchObjectErrorName(), QStringLiteral("No server object %1 of this client").arg(path));
            return;
        }
        release(id);
        reply(message, {});
    } else if (member == QLatin1String("ObjectCount")) {
        reply(message, {QVariant::fromValue(static_cast<uint>(m_objects.size()))});
    } else if (member == QLatin1String("PhysIds")) {
        QStringList ids;
        for (const auto &device : m_network->devices())
            ids.append(device->physId());
        reply(message, {ids});
    } else {
        replyError(message, unknownMethod(), QStringLiteral("No method %1 at %2").arg(member, factoryPath()));
    }
}

void KeloProService::handleObject(const QDBusMessage &message, quint64 id)
{
    const auto it = m_objects.find(id);
    // A client reaches only the server objects it created.
    if (it == m_objects.end() || it->second.owner != message.service()) {
        replyError(message, noSuchObjectErrorName(), QStringLiteral("No server object %1 of this client").arg(message.path()));
        return;
    }
    if (!message.interface().isEmpty() && message.interface() != objectInterface()) {
        replyError(message, unknownMethod(), QStringLiteral("No interface %1 at %2").arg(message.interface(), message.path()));
        return;
    }
    kelopro::KeloProServer &server = *it->second.server;
    const QString method = message.member();
    const QList<QVariant> args = message.arguments();
    if (args.isEmpty() || args.first().typeId() != QMetaType::QString) {
        replyError(message, invalidArgs(), QStringLiteral("%1 needs the member name first").arg(method));
        return;
    }
    const QString member = args.first().toString();
    try {
        if (method == QLatin1String("Put") && args.size() == 2) {
            server.put(member, fromWire(args.at(1)));
            reply(message, {server.errorCode(), server.errorString()});
        } else if ((method == QLatin1String("Get") && args.size() == 1) || (method == QLatin1String("Call") && args.size() == 2)) {
            const QVariant result = method == QLatin1String("Get") ? server.get(member) : server.call(member, listFromWire(args.at(1)));
            if (!message.isReplyRequired())
                return;
            QVariantList wire;
            if (!toWire(result, wire))
                wire = {result.toString()};
            reply(message, {QVariant(wire), server.errorCode(), server.errorString()});
        } else {
            replyError(message, unknownMethod(), QStringLiteral("No method %1 with %2 arguments at %3").arg(method).arg(args.size()).arg(message.path()));
        }
    } catch (const AutomationError &e) {
        replyError(message, automationErrorName(), e.text());
    }
}

void KeloProService::release(quint64 id)
{
    const auto it = m_objects.find(id);
    if (it == m_objects.end())
        return;
    const QString owner = it->second.owner;
    m_objects.erase(it);
    auto owned = m_byOwner.find(owner);
    if (owned != m_byOwner.end()) {
        owned->remove(id);
        if (owned->isEmpty()) {
            m_byOwner.erase(owned);
            m_watcher->removeWatchedService(owner);
        }
    }
}

void KeloProService::ownerLeft(const QString &owner)
{
    const QSet<quint64> owned = m_byOwner.take(owner);
    for (quint64 id : owned)
        m_objects.erase(id);
    m_watcher->removeWatchedService(owner);
}

} // namespace kelobus
