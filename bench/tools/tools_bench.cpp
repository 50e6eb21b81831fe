// What the live trend and the bus monitor cost KR715Config while it polls: the
// process CPU time of the shown main window polling the flowing KR 715 "FT101" of the
// default simulated network with its real 50 ms timer and event loop, without the
// tools and with the trend and the bus monitor open (both shown and drawing), in
// alternating runs; and the memory the trend store takes for 24 hours of values.
//
//   tools_bench [seconds per run] [rounds] [modes]     (default 20 s, 3 rounds, "01234")
//
// The modes of a round, in the order given: 0 no tool (the tool windows destroyed, as
// in a program where they were never opened), 1 the trend open, 2 the bus monitor
// open, 3 both open, 4 the trend closed (it goes on recording the poll's values).
// A single mode repeated ("tools_bench 30 1 2") is the way to profile one of them.
//
// Runs on the offscreen platform with private settings folders unless QT_QPA_PLATFORM
// is set. Times are the process's CPU time (CLOCK_PROCESS_CPUTIME_ID).
#include "BenchCommon.h"
#include "BusMonitorU.h"
#include "ConfigKR715U.h"
#include "KRTools.h"
#include "KeloProServer.h"
#include "TrendStore.h"
#include "TrendU.h"

#include <QApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {
double cpuSeconds()
{
    return bench::cpuMicroseconds() / 1e6;
}

using bench::median;
} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    bench::usePrivateFolders(home);
    qunsetenv("KELO_PRO_NETWORK"); // the default network: FT101 flows

    QApplication app(argc, argv);
    kelopro::registerServer();
    QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));
    TfrmKR715Config window(QStringList{QStringLiteral("FT101")});
    if (!window.session().device.contact) {
        std::fprintf(stderr, "FT101 was not selected\n");
        return 1;
    }
    KRTools tools(window);
    window.show();

    QString modes = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("01234");
    modes.remove(QRegularExpression(QStringLiteral("[^0-4]")));
    if (modes.isEmpty())
        modes = QStringLiteral("01234");
    // Which windows the modes want: the trend open, the trend there at all, the monitor open.
    static const bool TrendOpen[5] = {false, true, false, true, false};
    static const bool TrendThere[5] = {false, true, false, true, true};
    static const bool MonitorOpen[5] = {false, false, true, true, false};
    auto run = [&](int mode) {
        if (TrendOpen[mode]) {
            tools.actTrendExecute();
        } else if (TrendThere[mode]) {
            if (!tools.trend())
                tools.actTrendExecute();
            tools.trend()->close();
        } else {
            delete tools.trend();
        }
        if (MonitorOpen[mode])
            tools.actBusMonitorExecute();
        else
            delete tools.busMonitor();
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        const double start = cpuSeconds();
        loop.exec();
        return (cpuSeconds() - start) / seconds * 100.0; // percent of one core
    };

    static const char *const Names[5] = {"no tool", "trend", "bus monitor", "trend and bus monitor",
                                         "trend closed, recording"};
    std::vector<double> results[5];
    for (int p = 0; p < pairs; ++p) {
        std::printf("round %d:", p + 1);
        for (const QChar m : modes) {
            const int mode = m.unicode() - '0';
            results[mode].push_back(run(mode));
            std::printf(" %s %.3f %%;", Names[mode], results[mode].back());
            std::fflush(stdout);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    const double base = results[0].empty() ? 0 : median(results[0]);
    std::printf("polling FT101 every 50 ms, %d s a run, median CPU in %% of one core:\n", seconds);
    for (int mode = 0; mode < 5; ++mode) {
        if (results[mode].empty())
            continue;
        const double m = median(results[mode]);
        std::printf("  %-24s %.3f %%  (%+.3f points, %+.1f %% of the program's CPU)\n", Names[mode], m, m - base,
                    base > 0 ? (m - base) / base * 100.0 : 0.0);
    }
    if (tools.trend())
        std::printf("trend samples held: %zu\n", tools.trend()->store().samples(trend::Flow).size());
    if (tools.busMonitor())
        std::printf("bus monitor entries held: %d of %d\n", tools.busMonitor()->buffer().size(),
                    tools.busMonitor()->buffer().capacity());

    if (argc > 3)
        return 0; // a chosen set of modes: the CPU figures only (for profiling)

    // The watching itself: one server access without and with the monitor's record
    // watching (the 24-hour trend and the chart aside). The tool windows go first: the
    // trend, also closed, watches every access.
    delete tools.trend();
    delete tools.busMonitor();
    {
        auto server = kelopro::KeloProServer::fromJson(
            R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true,"variables":{".Flow":12.5}}]})");
        server->put(QStringLiteral("PhysId"), QStringLiteral("FT1.Flow"));
        server->put(QStringLiteral("InformationInErrorCode"), true);
        const int n = 200000;
        auto time = [&] {
            const double start = cpuSeconds();
            for (int i = 0; i < n; ++i)
                server->get(QStringLiteral("value"));
            return (cpuSeconds() - start) / n * 1e6;
        };
        const double plain = time();
        int seen = 0;
        int id = automation::addAccessObserver([&](const automation::Access &) { ++seen; });
        const double observed = time();
        automation::removeAccessObserver(id);
        monitor::MonitorBuffer record;
        id = automation::addAccessObserver([&](const automation::Access &a) { record.add(a, 0); });
        const double watched = time();
        automation::removeAccessObserver(id);
        std::printf("one server access: %.2f us unwatched, %.2f us watched by an observer that does nothing, "
                    "%.2f us recorded by the monitor\n",
                    plain, observed, watched);
    }

    // 24 hours of trend data at the poll's rate (each channel once a second).
    trend::TrendStore store;
    const qint64 t0 = 1'800'000'000'000LL;
    for (qint64 s = 0; s < 86400; ++s)
        for (int c = 0; c < trend::ChannelCount; ++c)
            store.add(c, t0 + s * 1000 + c * 50, std::sin(double(s) / 300.0) + c);
    std::printf("trend store after 24 h at the poll's rate: %.2f MB (bound 20 MB)\n", double(store.memoryBytes()) / 1e6);
    return 0;
}
