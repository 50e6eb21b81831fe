#include "MqttFeed.h"

#include "Kr715Device.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>
#include <cmath>
#include <mosquitto.h>
#include <mutex>

namespace kelobus {

using kelopro::Kr715Device;
using kelopro::SimDevice;

namespace {

constexpr int MaxCommandSize = 4096;

QString timestamp()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QByteArray compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonValue jsonNumber(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double)
        return std::isfinite(v.toDouble()) ? QJsonValue(v.toDouble()) : QJsonValue();
    return QJsonValue(v.toLongLong());
}

// The live values of a KR 715 (variable name as published, as served).
const char *const Kr715Live[] = {"Flow", "Volume1", "Volume2", "InstantFlow", "TCFlow", "Temperature",
                                 "SetPoint", "Input1", "Output2", "Output3", "Available", "BatchStart"};

int digit(qint32 code, int position) // hexadecimal digit 1..8 from the left
{
    return static_cast<int>((static_cast<quint32>(code) >> (4 * (8 - position))) & 0xF);
}

} // namespace

MqttFeed::MqttFeed(const Options &options, std::unique_ptr<kelopro::KeloProServer> reader,
                   std::unique_ptr<kelopro::KeloProServer> writer, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_reader(std::move(reader))
    , m_writer(std::move(writer))
    , m_timer(new QTimer(this))
{
    static std::once_flag init;
    std::call_once(init, [] { mosquitto_lib_init(); });
    if (m_options.clientId.isEmpty())
        m_options.clientId = QStringLiteral("kelo-pro-server-%1").arg(QCoreApplication::applicationPid());
    m_timer->setInterval(qMax(50, m_options.rateMs));
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_connected)
            publishAll(true);
    });
}

MqttFeed::~MqttFeed()
{
    if (m_mosq) {
        // A clean goodbye: the broker keeps the retained offline state of the will
        // only for a lost connection, so it is published here.
        if (m_connected) {
            const QByteArray offline = compact({{QStringLiteral("online"), false}, {QStringLiteral("timestamp"), timestamp()}});
            mosquitto_publish(m_mosq, nullptr, "kelo/status", int(offline.size()), offline.constData(), 1, true);
        }
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
        mosquitto_destroy(m_mosq);
    }
}

bool MqttFeed::parseBroker(const QString &text, QString *host, int *port)
{
    const QString t = text.trimmed();
    const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
    QString h = colon >= 0 ? t.left(colon) : t;
    int p = 1883;
    if (colon >= 0) {
        bool ok = false;
        p = t.mid(colon + 1).toInt(&ok);
        if (!ok || p < 1 || p > 65535)
            return false;
    }
    if (h.isEmpty())
        h = QStringLiteral("127.0.0.1");
    *host = h;
    *port = p;
    return true;
}

bool MqttFeed::start(QString *error)
{
    const QByteArray id = m_options.clientId.toUtf8();
    m_mosq = mosquitto_new(id.constData(), true, this);
    if (!m_mosq) {
        *error = QStringLiteral("the MQTT client cannot be created");
        return false;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttFeed::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttFeed::onDisconnect);
    mosquitto_message_callback_set(m_mosq, &MqttFeed::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 5, true);
    const QByteArray offline = compact({{QStringLiteral("online"), false}});
    mosquitto_will_set(m_mosq, "kelo/status", int(offline.size()), offline.constData(), 1, true);
    const QByteArray host = m_options.host.toUtf8();
    const int rc = mosquitto_connect_async(m_mosq, host.constData(), m_options.port, 10);
    if (rc == MOSQ_ERR_INVAL) {
        *error = QStringLiteral("invalid MQTT broker %1:%2").arg(m_options.host).arg(m_options.port);
        return false;
    }
    if (rc != MOSQ_ERR_SUCCESS)
        emit report(QStringLiteral("MQTT broker %1:%2 not reachable yet (%3); retrying")
                        .arg(m_options.host).arg(m_options.port).arg(QString::fromUtf8(mosquitto_strerror(rc))));
    if (mosquitto_loop_start(m_mosq) != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("the MQTT client thread cannot be started");
        return false;
    }
    m_timer->start();
    return true;
}

void MqttFeed::onConnect(mosquitto *m, void *self, int rc)
{
    auto *feed = static_cast<MqttFeed *>(self);
    if (rc != 0) {
        const QString reason = QString::fromUtf8(mosquitto_connack_string(rc));
        QMetaObject::invokeMethod(feed, [feed, reason] { emit feed->report(QStringLiteral("MQTT broker refused the connection: %1").arg(reason)); },
                                  Qt::QueuedConnection);
        return;
    }
    mosquitto_subscribe(m, nullptr, "kelo/+/set/+", 1);
    QMetaObject::invokeMethod(feed, [feed] { feed->connected(); }, Qt::QueuedConnection);
}

void MqttFeed::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *feed = static_cast<MqttFeed *>(self);
    QMetaObject::invokeMethod(feed, [feed, rc] {
        if (feed->m_connected && rc != 0)
            emit feed->report(QStringLiteral("MQTT broker %1:%2 lost; reconnecting").arg(feed->m_options.host).arg(feed->m_options.port));
        feed->m_connected = false;
    }, Qt::QueuedConnection);
}

void MqttFeed::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *feed = static_cast<MqttFeed *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    const bool retained = message->retain;
    QMetaObject::invokeMethod(feed, [feed, topic, payload, retained] { feed->handleCommand(topic, payload, retained); },
                              Qt::QueuedConnection);
}

void MqttFeed::connected()
{
    m_connected = true;
    emit report(QStringLiteral("MQTT broker %1:%2 connected").arg(m_options.host).arg(m_options.port));
    publish(QStringLiteral("kelo/status"), {{QStringLiteral("online"), true}, {QStringLiteral("timestamp"), timestamp()}}, true);
    // A broker that restarted may have lost the retained topics: all anew.
    m_lastIdentification.clear();
    m_lastError.clear();
    publishAll(false);
}

void MqttFeed::publish(const QString &topic, const QJsonObject &payload, bool retain)
{
    if (!m_mosq)
        return;
    const QByteArray t = topic.toUtf8();
    const QByteArray p = compact(payload);
    mosquitto_publish(m_mosq, nullptr, t.constData(), int(p.size()), p.constData(), retain ? 1 : 0, retain);
}

QVariant MqttFeed::read(const QString &name, int *outcome, QString *text)
{
    QVariant value;
    try {
        m_reader->put(QStringLiteral("PhysId"), name);
        m_reader->put(QStringLiteral("InformationInErrorCode"), true);
        value = m_reader->get(QStringLiteral("value"));
    } catch (const automation::AutomationError &) {
    }
    const int code = m_reader->errorCode();
    if (outcome)
        *outcome = code;
    if (text)
        *text = m_reader->errorString();
    const int low = code & 0xFFFF;
    return (low == 0 || low == kelopro::Outcome::DeviceFaultOnRead) ? value : QVariant();
}

QJsonObject MqttFeed::identification(const SimDevice &device)
{
    const QString id = device.physId();
    QJsonObject o{{QStringLiteral("physId"), id}};
    int outcome = 0;
    const QVariant type = read(id + QStringLiteral(".DeviceType"), &outcome);
    o.insert(QStringLiteral("contact"), (outcome & 0xFFFF) != kelopro::Outcome::NoContact);
    if (type.isValid()) {
        o.insert(QStringLiteral("deviceType"), type.toInt());
        const QVariant version = read(id + QStringLiteral(".PrgVers"));
        if (version.isValid())
            o.insert(QStringLiteral("programVersion"), version.toInt());
        if (device.variableIndex(QStringLiteral(".meternumber")) >= 0) {
            const QVariant meter = read(id + QStringLiteral(".Meternumber"));
            if (meter.isValid())
                o.insert(QStringLiteral("serialNumber"),
                         QString::number(static_cast<quint32>(meter.toLongLong()) >> 8, 16).toUpper().rightJustified(6, QLatin1Char('0')));
        }
    }
    try {
        m_reader->put(QStringLiteral("PhysId"), id);
        const QString address = m_reader->get(QStringLiteral("NodeAddress")).toString();
        o.insert(QStringLiteral("nodeAddress"), address);
        o.insert(QStringLiteral("node"), address.right(2));
    } catch (const automation::AutomationError &) {
    }
    return o;
}

QJsonObject MqttFeed::errorState(const SimDevice &device)
{
    const QString id = device.physId();
    int outcome = 0;
    QString text;
    read(id + QStringLiteral(".DeviceType"), &outcome, &text);
    const int code = outcome & 0xFFFF;
    QJsonObject o{{QStringLiteral("physId"), id}, {QStringLiteral("code"), code}, {QStringLiteral("text"), text},
                  {QStringLiteral("contact"), code != kelopro::Outcome::NoContact}};
    if (code != kelopro::Outcome::NoContact) {
        const QVariant fault = read(id + QStringLiteral(".Error3"));
        o.insert(QStringLiteral("fault"), fault.isValid() ? fault.toInt() : 0);
    }
    return o;
}

QJsonObject MqttFeed::liveValues(const SimDevice &device, bool *contact)
{
    const QString id = device.physId();
    QJsonObject values;
    *contact = device.answers();
    if (!*contact)
        return values;
    if (device.deviceType() == Kr715Device::Type) {
        const qint32 code2 = read(id + QStringLiteral(".Code2")).toInt();
        const qint32 code3 = read(id + QStringLiteral(".Code3")).toInt();
        // The volume unit is not kept in the device: "unit" stands for the one the
        // configuration program names.
        const QString volume = QStringLiteral("unit");
        const QString flow = volume + (digit(code3, 1) % 2 ? QStringLiteral("/h") : QStringLiteral("/min"));
        const QString temperature = digit(code3, 3) == 3 ? QStringLiteral("°F") : QStringLiteral("°C");
        QString batch = volume;
        switch (digit(code2, 6)) {
        case 1: case 2: case 8: batch = flow; break;
        case 3: batch = temperature; break;
        case 4: batch = QString(); break;
        default: break;
        }
        const QHash<QString, QString> units{{QStringLiteral("Flow"), flow}, {QStringLiteral("InstantFlow"), flow},
                                            {QStringLiteral("TCFlow"), flow}, {QStringLiteral("Volume1"), volume},
                                            {QStringLiteral("Volume2"), volume}, {QStringLiteral("Temperature"), temperature},
                                            {QStringLiteral("SetPoint"), batch}};
        for (const char *name : Kr715Live) {
            const QString n = QLatin1String(name);
            const QVariant v = read(id + QLatin1Char('.') + n);
            if (v.isValid())
                values.insert(n, QJsonObject{{QStringLiteral("value"), jsonNumber(v)}, {QStringLiteral("unit"), units.value(n)}});
        }
    } else {
        const kelopro::VariableTable &table = device.variables();
        for (int i = 0; i < table.count(); ++i) {
            if (i == kelopro::VariableTable::DeviceType || i == kelopro::VariableTable::PrgVers || i == kelopro::VariableTable::Error3)
                continue;
            const QString n = table.at(i).name.mid(1);
            const QVariant v = read(id + table.at(i).name);
            if (v.isValid())
                values.insert(n, QJsonObject{{QStringLiteral("value"), jsonNumber(v)}, {QStringLiteral("unit"), QString()}});
        }
    }
    return values;
}

void MqttFeed::publishAll(bool values)
{
    const QString now = timestamp();
    for (const auto &owned : m_reader->network().devices()) {
        const SimDevice &device = *owned;
        const QString id = device.physId();
        // A PhysId with a level separator or a wildcard cannot name a topic level.
        if (id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('+')) || id.contains(QLatin1Char('#'))) {
            if (!m_unpublishable.contains(id)) {
                m_unpublishable.insert(id);
                emit report(QStringLiteral("MQTT: %1 is not published; a PhysId with \"/\", \"+\" or \"#\" cannot be a topic level").arg(id));
            }
            continue;
        }
        const QString base = QStringLiteral("kelo/") + id;
        // Identification and error state are retained and sent again only when they
        // changed (the time of the change with them).
        const auto publishChanged = [&](const QString &topic, QJsonObject payload, QHash<QString, QByteArray> &last) {
            const QByteArray key = compact(payload);
            if (last.value(id) == key)
                return;
            last.insert(id, key);
            payload.insert(QStringLiteral("timestamp"), now);
            publish(base + topic, payload, true);
        };
        publishChanged(QStringLiteral("/identification"), identification(device), m_lastIdentification);
        publishChanged(QStringLiteral("/error"), errorState(device), m_lastError);
        if (values) {
            bool contact = false;
            const QJsonObject live = liveValues(device, &contact);
            if (contact)
                publish(base + QStringLiteral("/values"),
                        {{QStringLiteral("physId"), id}, {QStringLiteral("timestamp"), now}, {QStringLiteral("values"), live}}, false);
        }
    }
}

void MqttFeed::refuse(const QString &topic, const QString &reason)
{
    emit report(QStringLiteral("MQTT command on \"%1\" refused: %2").arg(topic, reason));
    publish(QStringLiteral("kelo/errors"),
            {{QStringLiteral("topic"), topic}, {QStringLiteral("error"), reason}, {QStringLiteral("timestamp"), timestamp()}}, false);
}

void MqttFeed::handleCommand(const QString &topic, const QByteArray &payload, bool retained)
{
    const QStringList levels = topic.split(QLatin1Char('/'));
    if (levels.size() != 4 || levels.at(0) != QLatin1String("kelo") || levels.at(2) != QLatin1String("set")) {
        refuse(topic, QStringLiteral("not a command topic; commands are kelo/<PhysId>/set/<Variable>"));
        return;
    }
    const QString physId = levels.at(1);
    const QString variable = levels.at(3);
    if (retained) {
        refuse(topic, QStringLiteral("a retained command is not carried out (it would be repeated on every connection)"));
        return;
    }
    if (!m_options.writable.contains(physId.toLower())) {
        refuse(topic, QStringLiteral("writes to %1 are not enabled").arg(physId));
        return;
    }
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_]{1,64}$"));
    if (!name.match(variable).hasMatch()) {
        refuse(topic, QStringLiteral("\"%1\" is not a variable name").arg(variable.left(64)));
        return;
    }
    if (payload.size() > MaxCommandSize) {
        refuse(topic, QStringLiteral("the command is longer than %1 bytes").arg(MaxCommandSize));
        return;
    }
    // {"value": number} or a bare number.
    bool ok = false;
    double number = payload.trimmed().toDouble(&ok);
    if (!ok) {
        QJsonParseError parseError{};
        const QJsonDocument doc = QJsonDocument::fromJson(payload, &parseError);
        const QJsonValue v = doc.isObject() ? doc.object().value(QStringLiteral("value")) : QJsonValue();
        ok = v.isDouble();
        number = v.toDouble();
    }
    if (!ok || !std::isfinite(number)) {
        refuse(topic, QStringLiteral("malformed command: the payload must be {\"value\": <number>} or a number"));
        return;
    }
    if (!m_writer->network().device(physId)) {
        refuse(topic, QStringLiteral("unknown PhysId %1").arg(physId));
        return;
    }
    const QVariant value = (std::floor(number) == number && number >= -2147483648.0 && number <= 2147483647.0)
        ? QVariant(static_cast<int>(number)) : QVariant(number);
    try {
        m_writer->put(QStringLiteral("PhysId"), physId + QLatin1Char('.') + variable);
        m_writer->put(QStringLiteral("InformationInErrorCode"), true);
        m_writer->put(QStringLiteral("Value"), value);
    } catch (const automation::AutomationError &) {
        // The outcome below says what went wrong.
    }
    const int code = m_writer->errorCode() & 0xFFFF;
    const QString text = m_writer->errorString();
    publish(QStringLiteral("kelo/%1/written").arg(physId),
            {{QStringLiteral("physId"), physId}, {QStringLiteral("variable"), variable}, {QStringLiteral("value"), jsonNumber(value)},
             {QStringLiteral("code"), code}, {QStringLiteral("text"), text}, {QStringLiteral("timestamp"), timestamp()}},
            false);
    if (code != 0) {
        emit report(QStringLiteral("MQTT command on \"%1\" failed: %2").arg(topic, text));
        publish(QStringLiteral("kelo/errors"),
                {{QStringLiteral("topic"), topic}, {QStringLiteral("error"), text}, {QStringLiteral("code"), code},
                 {QStringLiteral("timestamp"), timestamp()}},
                false);
    }
}

} // namespace kelobus
