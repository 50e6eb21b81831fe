// One polling tick of KR715Config through the kelo-pro-server service and through
// the embedded server, side by side in one run.
//
//   keloproserver_bench [cycles]
//
// Runs on a private session bus of its own (it starts itself again under
// dbus-run-session) with kelo-pro-server from its own folder serving a frozen KR 715
// (every slot served, nothing traced). For each server: the main window selects FT1,
// two cycles of 20 ticks warm up, then `cycles` cycles (default 200) are timed tick
// by tick: wall-clock time (what the window waits for) and the process's CPU time.
// Prints median, 90th percentile and maximum in microseconds.
// Then, on the same network, "kr715ctl read" of 100 further KR 715 (FT001 ... FT100)
// as a user starts it, through each server: median of 5 runs (goal: under 2 s).

#include "BenchCommon.h"
#include "ConfigKR715U.h"
#include "KeloProClient.h"
#include "KeloProServer.h"
#include "PollCycle.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

using bench::cpuMicroseconds;
using bench::percentile;

struct Result {
    std::vector<double> wall;
    std::vector<double> cpu;
    bool ok = false;
};

Result measure(const char *choice, int cycles)
{
    Result r;
    qputenv("KELO_PRO_SERVER", choice);
    TfrmKR715Config window(QStringList{QStringLiteral("FT1")});
    window.ti715UpdateData->stop();
    window.tiOut2BatchCalc->stop();
    KR715Session &session = window.session();
    if (!session.device.deviceAccepted || !session.device.contact) {
        std::fprintf(stderr, "%s: FT1 was not selected\n", choice);
        return r;
    }
    PollCycle &poll = *window.pollCycle;
    for (int i = 0; i < 2 * KR715Session::SlotCount; ++i)
        poll.ti715UpdateDataTimer();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    for (int c = 0; c < cycles; ++c) {
        for (int t = 0; t < KR715Session::SlotCount; ++t) {
            const double cpu = cpuMicroseconds();
            clock.start();
            poll.ti715UpdateDataTimer();
            r.wall.push_back(static_cast<double>(clock.nsecsElapsed()) / 1000.0);
            r.cpu.push_back(cpuMicroseconds() - cpu);
        }
        QCoreApplication::processEvents();
    }
    r.ok = session.device.contact && session.device.lastErrorCode == 0;
    if (!r.ok)
        std::fprintf(stderr, "%s: the poll ended with \"%s\"\n", choice, qPrintable(session.device.lastErrorText));
    return r;
}

// The benchmark's network: FT1 for the ticks and FT001 ... FT100 for the command line.
QByteArray networkWithHundredDevices(QStringList &physIds)
{
    QJsonObject network = QJsonDocument::fromJson(bench::FrozenKr715Network).object();
    QJsonArray devices = network.value(QStringLiteral("devices")).toArray();
    bench::appendHundredKr715(devices, physIds);
    network.insert(QStringLiteral("devices"), devices);
    return QJsonDocument(network).toJson();
}

// Median seconds of "kr715ctl read" of the devices through the server chosen; a
// negative value when a run failed.
double commandLineRead(const char *choice, const QStringList &physIds)
{
    QList<double> seconds;
    for (int run = 0; run < 5; ++run) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELO_PRO_SERVER"), QString::fromLatin1(choice));
        p.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kr715ctl"), QStringList{QStringLiteral("read")} + physIds);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "%s: kr715ctl read failed: %s\n", choice, p.readAllStandardError().constData());
            return -1;
        }
        seconds.append(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds.at(seconds.size() / 2);
}

void print(const char *name, const Result &r)
{
    std::printf("%-28s wall median %7.1f us  p90 %7.1f us  max %8.1f us | CPU median %6.1f us  p90 %6.1f us\n", name,
                percentile(r.wall, 0.5), percentile(r.wall, 0.9), percentile(r.wall, 1.0), percentile(r.cpu, 0.5),
                percentile(r.cpu, 0.9));
}

} // namespace

int main(int argc, char **argv)
{
    // A private bus: the benchmark never meets the user's session or service.
    if (qEnvironmentVariable("KELO_BENCH_PRIVATE_BUS") != QLatin1String("1")) {
        qputenv("KELO_BENCH_PRIVATE_BUS", "1");
        QStringList args{QStringLiteral("--"), QString::fromLocal8Bit(argv[0])};
        for (int i = 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        QCoreApplication app(argc, argv);
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        p.setStandardErrorFile(QProcess::nullDevice()); // the bus daemon's notes
        p.start(QStringLiteral("dbus-run-session"), args);
        if (!p.waitForStarted(5000)) {
            std::fprintf(stderr, "dbus-run-session cannot be started\n");
            return 1;
        }
        p.waitForFinished(-1);
        return p.exitCode();
    }
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    bench::usePrivateFolders(home);
    qunsetenv("KELO_PRO_TIMEOUT_MS");
    const QString networkPath = home.filePath(QStringLiteral("network.json"));
    QStringList physIds;
    {
        QFile file(networkPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(networkWithHundredDevices(physIds)) < 0)
            return 1;
    }
    qputenv("KELO_PRO_NETWORK", networkPath.toLocal8Bit());

    QApplication app(argc, argv);
    kelopro::registerServer();
    QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));

    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kelo-pro-server"), {QStringLiteral("--network"), networkPath});
    bool up = false;
    for (int i = 0; i < 250 && !up; ++i) {
        up = kelobus::KeloProClient::serviceOnBus(500);
        if (!up)
            QThread::msleep(20);
    }
    if (!up) {
        std::fprintf(stderr, "kelo-pro-server did not come up\n");
        return 1;
    }

    std::printf("one polling tick of the main window on a frozen KR 715, %d cycles of %d ticks (offscreen)\n", cycles,
                KR715Session::SlotCount);
    const Result embedded = measure("embedded", cycles);
    const Result dbus = measure("dbus", cycles);
    print("embedded server", embedded);
    print("kelo-pro-server (D-Bus)", dbus);
    std::printf("kr715ctl read of %lld devices, median of 5 runs (goal: under 2 s):\n", static_cast<long long>(physIds.size()));
    const double readEmbedded = commandLineRead("embedded", physIds);
    const double readDbus = commandLineRead("dbus", physIds);
    std::printf("%-28s %.3f s\n%-28s %.3f s\n", "embedded server", readEmbedded, "kelo-pro-server (D-Bus)", readDbus);
    service.terminate();
    service.waitForFinished(5000);
    return embedded.ok && dbus.ok && readEmbedded >= 0 && readDbus >= 0 ? 0 : 1;
}
