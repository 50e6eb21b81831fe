// kelo-pro-server: the process-variable server "KELO.PRO" as a service on the
// session bus, shared by every program of the user's session, with an optional
// plant-wide feed through an MQTT broker. See README.md.

#include "KeloProBus.h"
#include "KeloProService.h"
#include "MqttFeed.h"
#include "NetworkFileWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void say(const QString &line)
{
    std::fprintf(stderr, "kelo-pro-server: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/KR/KeloPro.ini");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelo-pro-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the process-variable server KELO.PRO (a simulated P-NET network) on the session bus as %1.")
                                         .arg(kelobus::serviceName()));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption networkOption(QStringLiteral("network"),
        QStringLiteral("The network file (default: KELO_PRO_NETWORK, else the built-in network). Changes to it apply while the service runs."),
        QStringLiteral("file"));
    const QCommandLineOption traceOption(QStringLiteral("trace"), QStringLiteral("The trace file, one line per access (default: KELO_PRO_TRACE)."),
                                         QStringLiteral("file"));
    const QCommandLineOption mqttOption(QStringLiteral("mqtt"), QStringLiteral("Publish the feed through this MQTT broker (default: setting Mqtt/Broker)."),
                                        QStringLiteral("host[:port]"));
    const QCommandLineOption rateOption(QStringLiteral("mqtt-rate"), QStringLiteral("Milliseconds between live values (default: setting Mqtt/Rate, else 1000)."),
                                        QStringLiteral("ms"));
    const QCommandLineOption writableOption(QStringLiteral("mqtt-writable"),
        QStringLiteral("PhysIds, separated by commas, whose variables MQTT commands may write (default: setting Mqtt/Writable; none)."),
        QStringLiteral("physids"));
    const QCommandLineOption clientIdOption(QStringLiteral("mqtt-client-id"), QStringLiteral("The MQTT client id."), QStringLiteral("id"));
    parser.addOptions({networkOption, traceOption, mqttOption, rateOption, writableOption, clientIdOption});
    parser.process(app);

    const QSettings settings(settingsPath(), QSettings::IniFormat);

    // The network.
    const QString networkPath = parser.isSet(networkOption) ? parser.value(networkOption)
                                                            : qEnvironmentVariable(kelopro::SimNetwork::NetworkFileVariable);
    std::shared_ptr<kelopro::SimNetwork> network;
    QByteArray networkJson;
    try {
        if (networkPath.isEmpty()) {
            network = kelopro::SimNetwork::defaultNetwork();
        } else {
            QFile file(networkPath);
            if (file.open(QIODevice::ReadOnly))
                networkJson = file.read(16 * 1024 * 1024 + 1);
            network = kelopro::SimNetwork::fromFile(networkPath);
        }
    } catch (const kelopro::NetworkError &e) {
        say(e.text());
        return 1;
    }

    // One trace for every client.
    std::shared_ptr<QFile> trace;
    const QString tracePath = parser.isSet(traceOption) ? parser.value(traceOption)
                                                        : qEnvironmentVariable(kelopro::KeloProServer::TraceFileVariable);
    if (!tracePath.isEmpty()) {
        trace = std::make_shared<QFile>(tracePath);
        if (!trace->open(QIODevice::WriteOnly | QIODevice::Append)) {
            say(QStringLiteral("cannot open the trace file \"%1\": %2; no trace").arg(tracePath, trace->errorString()));
            trace.reset();
        }
    }

    // The feed's settings are checked before the service takes its name.
    std::unique_ptr<kelobus::MqttFeed> feed;
    const QString broker = parser.isSet(mqttOption) ? parser.value(mqttOption) : settings.value(QStringLiteral("Mqtt/Broker")).toString();
    if (!broker.trimmed().isEmpty()) {
        kelobus::MqttFeed::Options options;
        if (!kelobus::MqttFeed::parseBroker(broker, &options.host, &options.port)) {
            say(QStringLiteral("the MQTT broker \"%1\" is not host[:port]").arg(broker));
            return 2;
        }
        const QString rateText = parser.isSet(rateOption) ? parser.value(rateOption) : settings.value(QStringLiteral("Mqtt/Rate")).toString();
        if (!rateText.isEmpty()) {
            bool ok = false;
            options.rateMs = rateText.toInt(&ok);
            if (!ok || options.rateMs < 50 || options.rateMs > 3600 * 1000) {
                say(QStringLiteral("the MQTT rate \"%1\" is not a number of milliseconds from 50 to 3600000").arg(rateText));
                return 2;
            }
        }
        QString writable = parser.isSet(writableOption) ? parser.value(writableOption) : QString();
        if (!parser.isSet(writableOption)) {
            const QVariant w = settings.value(QStringLiteral("Mqtt/Writable"));
            writable = w.typeId() == QMetaType::QStringList ? w.toStringList().join(QLatin1Char(',')) : w.toString();
        }
        for (const QString &id : writable.split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!id.trimmed().isEmpty())
                options.writable.insert(id.trimmed().toLower());
        options.clientId = parser.isSet(clientIdOption) ? parser.value(clientIdOption) : settings.value(QStringLiteral("Mqtt/ClientId")).toString();
        feed = std::make_unique<kelobus::MqttFeed>(options, std::make_unique<kelopro::KeloProServer>(network, std::shared_ptr<QFile>()),
                                                   std::make_unique<kelopro::KeloProServer>(network, trace));
        QObject::connect(feed.get(), &kelobus::MqttFeed::report, &say);
    }

    kelobus::KeloProService service(network, trace, QDBusConnection::sessionBus());
    QString error;
    if (!service.start(&error)) {
        say(error);
        return 1;
    }

    std::unique_ptr<kelobus::NetworkFileWatcher> watcher;
    if (!networkPath.isEmpty()) {
        watcher = std::make_unique<kelobus::NetworkFileWatcher>(networkPath, networkJson, network);
        QObject::connect(watcher.get(), &kelobus::NetworkFileWatcher::report, &say);
    }
    if (feed && !feed->start(&error)) {
        say(error);
        return 2;
    }

    // SIGTERM and SIGINT end the service cleanly (the name is given back, the feed
    // says goodbye).
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    say(QStringLiteral("serving %1 as %2 on the session bus%3")
            .arg(networkPath.isEmpty() ? QStringLiteral("the built-in network") : QStringLiteral("\"%1\"").arg(networkPath),
                 kelobus::serviceName(),
                 feed ? QStringLiteral(", feed through MQTT broker %1").arg(broker.trimmed()) : QString()));
    const int rc = app.exec();
    feed.reset();
    return rc;
}
