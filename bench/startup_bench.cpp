// Start-up benchmark of KR715Config: the time from process start to the main window
// shown, and the peak memory of the process, over a number of fresh processes.
//
//   startup_bench [runs]        runs child processes (default 15) and prints the
//                               median and the range of the times and the peak memory
//   startup_bench --once        one start-up; prints "<milliseconds> <peak KiB>"
//
// Runs on the offscreen platform with private settings folders.

#include "CalibrationU.h"
#include "ConfigKR715U.h"
#include "KeloProServer.h"
#include "MibViewU.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

// Milliseconds since the process was started by the kernel.
double msSinceProcessStart()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    FILE *stat = std::fopen("/proc/self/stat", "r");
    if (!stat)
        return -1;
    char buffer[1024] = {};
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, stat);
    std::fclose(stat);
    buffer[n] = 0;
    // Field 22 (starttime, clock ticks since boot) follows the ")" that ends field 2.
    const char *p = std::strrchr(buffer, ')');
    if (!p)
        return -1;
    unsigned long long start = 0;
    int field = 2;
    for (const char *q = p + 1; *q; ++q) {
        if (*q == ' ') {
            ++field;
            if (field == 22) {
                start = std::strtoull(q + 1, nullptr, 10);
                break;
            }
        }
    }
    const double startMs = 1000.0 * static_cast<double>(start) / static_cast<double>(sysconf(_SC_CLK_TCK));
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6; // CLOCK_MONOTONIC counts from boot on Linux
    return nowMs - startMs;
}

int once(int argc, char **argv)
{
    QApplication app(argc, argv);
    kelopro::registerServer();
    QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));
    TfrmKR715Config mainWindow(QStringList{QStringLiteral("FT101")});
    TfrmMIBView mibView;
    TfrmCalib calibration(mainWindow.session());
    mainWindow.attachWindows(&mibView, &calibration);
    mainWindow.show();
    if (!QTest::qWaitForWindowExposed(&mainWindow))
        return 2;
    const double ms = msSinceProcessStart();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f %ld\n", ms, usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0)
        return once(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    env.remove(QStringLiteral("KELO_PRO_TRACE"));

    std::vector<double> times;
    long peakKiB = 0;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--once")});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            std::fprintf(stderr, "start-up run %d failed: %s\n", i, child.readAllStandardError().constData());
            return 1;
        }
        double ms = 0;
        long kib = 0;
        if (std::sscanf(child.readAllStandardOutput().constData(), "%lf %ld", &ms, &kib) != 2)
            return 1;
        if (i == 0)
            continue; // the first run warms the file cache
        times.push_back(ms);
        peakKiB = std::max(peakKiB, kib);
    }
    std::sort(times.begin(), times.end());
    const double median = times.size() % 2 ? times[times.size() / 2]
                                           : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
    std::printf("start-up to main window shown (offscreen), %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
                runs, median, times.front(), times.back());
    std::printf("peak memory (max resident set): %.1f MB\n", peakKiB / 1024.0);
    return 0;
}
