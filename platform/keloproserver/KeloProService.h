#pragma once
// KeloProService: the "KELO.PRO" service on a bus connection. One simulated
// network, one trace (bus monitor) for all, and one KeloProServer (its own
// selection cursor) per CreateObject call, owned by the calling connection and
// freed when the owner releases it or leaves the bus. See KeloProBus.h for the
// protocol.

#include "KeloProServer.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QHash>
#include <QSet>
#include <memory>
#include <unordered_map>

class QDBusServiceWatcher;
class QFile;

namespace kelobus {

class KeloProService : public QDBusVirtualObject {
    Q_OBJECT
public:
    KeloProService(std::shared_ptr<kelopro::SimNetwork> network, std::shared_ptr<QFile> trace, const QDBusConnection &bus,
                   QObject *parent = nullptr);
    ~KeloProService() override;

    // Registers the objects and takes the service name; false with the reason when
    // the name is taken or the bus refuses.
    bool start(QString *error);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

    int objectCount() const { return static_cast<int>(m_objects.size()); }
    kelopro::SimNetwork &network() { return *m_network; }

private:
    struct Entry {
        QString owner;
        std::unique_ptr<kelopro::KeloProServer> server;
    };

    void reply(const QDBusMessage &message, const QVariantList &arguments);
    void replyError(const QDBusMessage &message, const QString &name, const QString &text);
    void handleFactory(const QDBusMessage &message);
    void handleObject(const QDBusMessage &message, quint64 id);
    void release(quint64 id);
    void ownerLeft(const QString &owner);

    std::shared_ptr<kelopro::SimNetwork> m_network;
    std::shared_ptr<QFile> m_trace;
    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    std::unordered_map<quint64, Entry> m_objects;
    QHash<QString, QSet<quint64>> m_byOwner;
    quint64 m_nextId = 1;
};

} // namespace kelobus
