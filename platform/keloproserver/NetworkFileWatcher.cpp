#include "NetworkFileWatcher.h"

#include "SimDevice.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTimer>
#include <cmath>

namespace kelobus {

using kelopro::SimDevice;
using kelopro::SimValue;
using kelopro::VariableTable;

namespace {

constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QHash<QString, QJsonObject> devicesOf(const QByteArray &json)
{
    QHash<QString, QJsonObject> result;
    const QJsonArray devices = QJsonDocument::fromJson(json).object().value(QStringLiteral("devices")).toArray();
    for (const QJsonValue &d : devices) {
        const QJsonObject device = d.toObject();
        result.insert(device.value(QStringLiteral("physId")).toString().toLower(), device);
    }
    return result;
}

bool answersOf(const QJsonObject &d) { return d.value(QStringLiteral("answers")).toBool(true); }
int faultOf(const QJsonObject &d) { return d.value(QStringLiteral("fault")).toInt(0); }
bool frozenOf(const QJsonObject &d) { return d.value(QStringLiteral("frozen")).toBool(false); }

// A number of the file as a device value: whole numbers that fit 32 bits (also as
// their unsigned pattern) are integers, all others reals.
SimValue valueOf(const QJsonValue &v)
{
    const double d = v.toDouble();
    if (std::isfinite(d) && std::floor(d) == d && d >= -2147483648.0 && d <= 4294967295.0)
        return SimValue::fromInt(static_cast<qint32>(static_cast<quint32>(static_cast<qint64>(d))));
    return SimValue::fromReal(d);
}

QString valueText(const QJsonValue &v)
{
    return QString::number(v.toDouble(), 'g', 17);
}

} // namespace

NetworkFileWatcher::NetworkFileWatcher(const QString &path, const QByteArray &initialJson,
                                       std::shared_ptr<kelopro::SimNetwork> network, QObject *parent)
    : QObject(parent)
    , m_path(QFileInfo(path).absoluteFilePath())
    , m_network(std::move(network))
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
    , m_poll(new QTimer(this))
{
    remember(initialJson);
    // An editor writes in pieces or replaces the file: the file is read once it has
    // been quiet for a moment.
    m_settle->setSingleShot(true);
    m_settle->setInterval(50);
    connect(m_settle, &QTimer::timeout, this, [this] { check(); });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    // A file system that does not report changes is still seen, a little later.
    m_poll->setInterval(1000);
    connect(m_poll, &QTimer::timeout, this, [this] { check(); });
    m_poll->start();
    watch();
}

void NetworkFileWatcher::watch()
{
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    const QString dir = QFileInfo(m_path).absolutePath();
    if (!m_watcher->directories().contains(dir))
        m_watcher->addPath(dir);
}

void NetworkFileWatcher::remember(const QByteArray &json)
{
    m_lastJson = json;
    m_lastDevices = devicesOf(json);
}

bool NetworkFileWatcher::check()
{
    watch(); // a file replaced by a new one is watched anew
    const QString shown = QStringLiteral("network file \"%1\"").arg(m_path);
    QByteArray json;
    {
        const QFileInfo info(m_path);
        QFile file(m_path);
        if (!info.exists() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
            if (!m_lastJson.isNull()) {
                emit report(QStringLiteral("%1 cannot be read; keeping the last good network").arg(shown));
                m_lastJson = QByteArray(); // reported once until it is back
            }
            return false;
        }
        json = file.read(MaxFileSize + 1);
    }
    if (json == m_lastJson)
        return true;
    std::shared_ptr<kelopro::SimNetwork> fresh;
    try {
        if (json.size() > MaxFileSize)
            throw kelopro::NetworkError(QStringLiteral("Network file \"%1\": larger than %2 bytes").arg(m_path).arg(MaxFileSize));
        fresh = kelopro::SimNetwork::fromJson(json, m_path);
    } catch (const kelopro::NetworkError &e) {
        emit report(QStringLiteral("%1; keeping the last good network").arg(e.text()));
        m_lastJson = json; // the same nonsense is reported once
        return false;
    }

    const double now = m_network->clock().now();
    const QHash<QString, QJsonObject> devices = devicesOf(json);
    // Devices that are new to the running network are moved over from the fresh one.
    QSet<QString> joined;
    for (;;) {
        bool moved = false;
        for (const auto &owned : fresh->devices()) {
            if (!m_network->deviceByLowerId(owned->physId().toLower())) {
                const QString id = owned->physId();
                std::unique_ptr<SimDevice> device = fresh->takeDevice(id);
                const bool frozen = device->frozen();
                device->setFrozen(true);
                device->advanceTo(now);
                device->setFrozen(frozen);
                m_network->addDevice(std::move(device));
                joined.insert(id.toLower());
                emit report(QStringLiteral("%1: %2 joins the network").arg(shown, id));
                moved = true;
                break;
            }
        }
        if (!moved)
            break;
    }

    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        const QString &lower = it.key();
        const QJsonObject &d = it.value();
        if (joined.contains(lower))
            continue; // joined above, with all its settings
        const QJsonObject before = m_lastDevices.value(lower);
        SimDevice *live = m_network->deviceByLowerId(lower);
        if (!live)
            continue;
        const QString id = live->physId();
        if (d.value(QStringLiteral("deviceType")).toInt() != live->deviceType()) {
            emit report(QStringLiteral("%1: the device type of %2 cannot change while the service runs; %2 is left as it was")
                            .arg(shown, id));
            continue;
        }
        if (answersOf(d) != answersOf(before) || answersOf(d) != live->answers()) {
            if (answersOf(d) != live->answers())
                emit report(QStringLiteral("%1: %2 %3").arg(shown, id, answersOf(d) ? QStringLiteral("answers again")
                                                                                    : QStringLiteral("stops answering")));
            live->setAnswers(answersOf(d));
        }
        if (frozenOf(d) != frozenOf(before)) {
            live->advanceTo(now);
            live->setFrozen(frozenOf(d));
            emit report(QStringLiteral("%1: %2 %3").arg(shown, id, frozenOf(d) ? QStringLiteral("is frozen") : QStringLiteral("runs on")));
        }
        if (faultOf(d) != faultOf(before)) {
            live->write(VariableTable::Error3, SimValue::fromInt(faultOf(d)), now);
            emit report(faultOf(d) ? QStringLiteral("%1: %2 reports fault %3").arg(shown, id).arg(faultOf(d))
                                   : QStringLiteral("%1: %2 is repaired").arg(shown, id));
        }
        const QJsonObject vars = d.value(QStringLiteral("variables")).toObject();
        const QJsonObject oldVars = before.value(QStringLiteral("variables")).toObject();
        QHash<QString, QJsonValue> oldByLower;
        for (auto v = oldVars.begin(); v != oldVars.end(); ++v)
            oldByLower.insert(v.key().toLower(), v.value());
        for (auto v = vars.begin(); v != vars.end(); ++v) {
            const QString varLower = v.key().toLower();
            if (oldByLower.value(varLower) == v.value())
                continue;
            const int index = live->variableIndex(varLower);
            if (index < 0) {
                emit report(QStringLiteral("%1: %2 has no variable \"%3\" while the service runs (new variables need a restart)")
                                .arg(shown, id, v.key()));
                continue;
            }
            const SimValue value = valueOf(v.value());
            int outcome = live->write(index, value, now);
            if (outcome == kelopro::Outcome::ReadOnlyVariable) {
                live->setInitialValue(index, value);
                outcome = kelopro::Outcome::NoError;
            }
            if (outcome == kelopro::Outcome::NoError)
                emit report(QStringLiteral("%1: %2%3 := %4").arg(shown, id, v.key(), valueText(v.value())));
            else
                emit report(QStringLiteral("%1: %2%3 := %4 refused by the device (outcome %5)")
                                .arg(shown, id, v.key(), valueText(v.value()))
                                .arg(outcome));
        }
    }
    for (auto it = m_lastDevices.cbegin(); it != m_lastDevices.cend(); ++it) {
        if (devices.contains(it.key()))
            continue;
        if (SimDevice *live = m_network->deviceByLowerId(it.key()); live && live->answers()) {
            live->setAnswers(false);
            emit report(QStringLiteral("%1: %2 is no longer in the file; it stops answering").arg(shown, live->physId()));
        }
    }
    remember(json);
    emit applied();
    return true;
}

} // namespace kelobus
