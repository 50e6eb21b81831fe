// Polling benchmark of KR715Config: the processor time of one tick of ti715UpdateData
// and of a whole cycle of 20 ticks, with the main window polling a frozen KR 715 of
// the in-process simulated network (every slot is served, nothing is traced).
//
//   poll_bench [cycles] [seconds]
//       in-process: measures that many cycles (default 500) after two cycles of
//       warm-up and prints the medians of the tick alone in microseconds;
//       whole process: then runs the shown window with its real 50 ms timer and event
//       loop (repaints, posted work and all) for that many seconds (default 20), and
//       as long again with the timer stopped, a second of each in turn; the difference
//       of the process CPU time of the two, divided by the ticks served, is what one
//       polling tick costs the whole process. Also shown: the same for a timer that does nothing (the
//       event loop's own cost), the tick timed inside the running loop, and what the
//       machine itself charges a process for sleeping 50 ms in poll() and waking up (no
//       event loop at all): the floor under any 50 ms timer on this machine.
//
// Runs on the offscreen platform with private settings folders. Times are the
// process's CPU time (CLOCK_PROCESS_CPUTIME_ID), so waiting and other processes do
// not count.

#include "BenchCommon.h"
#include "ConfigKR715U.h"
#include "KeloProServer.h"
#include "PollCycle.h"

#include <QApplication>
#include <QEventLoop>
#include <QMap>
#include <QGuiApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// Counts the paint events of each widget while it is installed.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            ++counts[watched->objectName().isEmpty() ? QString::fromLatin1(watched->metaObject()->className())
                                                     : watched->objectName()];
        return false;
    }
    QMap<QString, int> counts;
};

} // namespace

using bench::cpuMicroseconds;
using bench::median;
using bench::percentile;

int main(int argc, char **argv)
{
    const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    bench::usePrivateFolders(home);
    const QString networkPath = home.filePath(QStringLiteral("network.json"));
    {
        QFile file(networkPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(bench::FrozenKr715Network) < 0)
            return 1;
    }
    qputenv("KELO_PRO_NETWORK", networkPath.toLocal8Bit());

    QApplication app(argc, argv);
    kelopro::registerServer();
    QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));

    // The window selects FT1 as it does with a PhysId on the command line; the
    // benchmark drives the ticks instead of the timers.
    TfrmKR715Config window(QStringList{QStringLiteral("FT1")});
    window.ti715UpdateData->stop();
    window.tiOut2BatchCalc->stop();
    KR715Session &session = window.session();
    if (!session.device.deviceAccepted || !session.device.contact) {
        std::fprintf(stderr, "FT1 was not selected\n");
        return 1;
    }
    PollCycle &poll = *window.pollCycle;

    // Warm-up: the first cycles load the configuration and write back the setpoint
    // and the available value once; after them the cycle only reads.
    for (int i = 0; i < 2 * KR715Session::SlotCount; ++i)
        poll.ti715UpdateDataTimer();
    QCoreApplication::processEvents();

    std::vector<double> ticks;
    std::vector<double> cycleTimes;
    std::vector<std::vector<double>> bySlot(KR715Session::SlotCount + 1);
    ticks.reserve(static_cast<size_t>(cycles) * KR715Session::SlotCount);
    for (int c = 0; c < cycles; ++c) {
        if (session.pollSlot != 1) {
            std::fprintf(stderr, "the cycle stood still at slot %d\n", session.pollSlot);
            return 1;
        }
        const double cycleStart = cpuMicroseconds();
        double last = cycleStart;
        for (int t = 0; t < KR715Session::SlotCount; ++t) {
            const int slot = session.pollSlot;
            poll.ti715UpdateDataTimer();
            const double now = cpuMicroseconds();
            ticks.push_back(now - last);
            bySlot[static_cast<size_t>(slot)].push_back(now - last);
            last = now;
        }
        cycleTimes.push_back(last - cycleStart);
        // Repaints and other posted work, as the event loop runs them between ticks.
        QCoreApplication::processEvents();
    }

    std::printf("poll tick against a frozen KR 715 (in-process simulator, offscreen), %d cycles of %d ticks\n",
                cycles, KR715Session::SlotCount);
    std::printf("tick:           median %.1f us, 90th percentile %.1f us, max %.1f us\n", median(ticks),
                percentile(ticks, 0.9), percentile(ticks, 1.0));
    std::printf("20-tick cycle:  median %.1f us, 90th percentile %.1f us\n", median(cycleTimes),
                percentile(cycleTimes, 0.9));
    std::printf("median by slot (us):");
    for (int slot = 1; slot <= KR715Session::SlotCount; ++slot)
        std::printf("%s %d:%.1f", slot == 11 ? "\n                   " : "", slot,
                    median(bySlot[static_cast<size_t>(slot)]));
    std::printf("\n");

    // Whole process: the window on screen, the timers and the event loop as in use.
    window.show();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    // mode 0: idle; 1: polling; 2: a timer of the same interval that does nothing (the
    // event loop's own cost of a wake-up); 3: polling through that timer, timing each
    // tick inside the running event loop.
    double insideLoop = 0;
    QTimer bare;
    bare.setInterval(window.ti715UpdateData->interval());
    // One second of a mode; the CPU time it used.
    auto run = [&](int mode, int &ticksServed) {
        int served = 0;
        QTimer *timer = mode == 1 ? window.ti715UpdateData : &bare;
        QMetaObject::Connection counter = QObject::connect(timer, &QTimer::timeout, [&] {
            ++served;
            if (mode == 3) {
                const double start = cpuMicroseconds();
                poll.ti715UpdateDataTimer();
                insideLoop += cpuMicroseconds() - start;
            }
        });
        if (mode != 0)
            timer->start();
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        const double start = cpuMicroseconds();
        loop.exec();
        const double used = cpuMicroseconds() - start;
        timer->stop();
        QObject::disconnect(counter);
        ticksServed += served;
        return used;
    };
    // The modes take turns second by second, so that a change of the machine's load
    // during the run weighs on all of them alike.
    int idleTicks = 0, pollTicks = 0, bareTicks = 0, loopTicks = 0, sleeps = 0;
    double idle = 0, polling = 0, bareRun = 0, sleeping = 0;
    PaintCounter paints;
    const int interval = window.ti715UpdateData->interval();
    for (int s = 0; s < seconds; ++s) {
        idle += run(0, idleTicks);
        app.installEventFilter(&paints);
        polling += run(1, pollTicks);
        app.removeEventFilter(&paints);
        bareRun += run(2, bareTicks);
        run(3, loopTicks);
        // A second of plain sleeps of the timer's interval, outside any event loop.
        const double start = cpuMicroseconds();
        for (int i = 0; i < 1000 / interval; ++i, ++sleeps)
            ::poll(nullptr, 0, interval);
        sleeping += cpuMicroseconds() - start;
    }
    if (pollTicks == 0) {
        std::fprintf(stderr, "the polling timer never fired\n");
        return 1;
    }
    std::printf("whole process, window shown (%s), %d s runs:\n", qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("  polling run %.0f us CPU for %d ticks, idle run %.0f us CPU\n", polling, pollTicks, idle);
    std::printf("  per tick:   %.1f us (in-process tick alone: %.1f us)\n", (polling - idle) / pollTicks,
                median(ticks));
    std::printf("  of which the event loop's own wake-up: %.1f us; the tick inside the loop: %.1f us\n",
                bareTicks ? (bareRun - idle) / bareTicks : 0.0, loopTicks ? insideLoop / loopTicks : 0.0);
    std::printf("  the machine's floor, a bare %d ms sleep in poll() and its wake-up: %.1f us\n", interval,
                sleeps ? sleeping / sleeps : 0.0);
    // What the polling run repainted (a frozen device: ideally nothing).
    QList<QPair<int, QString>> painted;
    for (auto it = paints.counts.cbegin(); it != paints.counts.cend(); ++it)
        painted.append({it.value(), it.key()});
    std::sort(painted.begin(), painted.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::printf("  repaints during the polling run:");
    for (int i = 0; i < painted.size() && i < 8; ++i)
        std::printf(" %s %d", qPrintable(painted.at(i).second), painted.at(i).first);
    std::printf("%s\n", painted.isEmpty() ? " none" : "");
    return 0;
}
