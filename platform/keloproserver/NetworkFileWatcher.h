#pragma once
// Live fault injection: watches the service's network file and applies each valid
// change to the running network, so that every client sees it at its next access.
//
// Only what changed between the last good file and the new one is applied:
//   "answers"  the device stops answering or answers again;
//   "fault"    the device reports the fault code (0: repaired), as a write of ".Error3";
//   "frozen"   the simulation of the device stops or runs on;
//   a variable value: written to the device (its logic applies; read-only variables
//              are set);
//   a new device: joins the network;
//   a device no longer in the file: stops answering (clients may still hold it).
// A device whose "deviceType" changed is left as it is (that needs a restart).
// A file that is not a valid network keeps the last good network. Each change and
// each refusal is reported by the signal report (the service prints it on stderr).

#include "SimNetwork.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <memory>

class QFileSystemWatcher;
class QTimer;

namespace kelobus {

class NetworkFileWatcher : public QObject {
    Q_OBJECT
public:
    // network: the running network, read from path whose text was initialJson.
    NetworkFileWatcher(const QString &path, const QByteArray &initialJson, std::shared_ptr<kelopro::SimNetwork> network,
                       QObject *parent = nullptr);

    // Reads the file now and applies what changed; returns false when the file is
    // not a valid network (the running network stays as it was).
    bool check();

signals:
    void report(const QString &line);
    // After a valid change was applied.
    void applied();

private:
    void watch();
    void remember(const QByteArray &json);

    QString m_path;
    std::shared_ptr<kelopro::SimNetwork> m_network;
    QByteArray m_lastJson;
    QHash<QString, QJsonObject> m_lastDevices; // by lower-case PhysId
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
    QTimer *m_poll;
};

} // namespace kelobus
