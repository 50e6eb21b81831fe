// Times "kr715ctl read" of 100 KR 715 transmitters on the simulated network: the whole
// program as a user starts it (process start, network file, 100 identifications and
// live reads, table), several runs, median reported against the goal of 2 s.
//
//   kr715ctl_bench [--network FILE] [--runs N] [--kr715ctl PATH]
// Without --network a network file with 100 devices (FT001 ... FT100) is written to a
// temporary folder; a given file is used as it is and all its devices are read.

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString network;
    QString program = QStringLiteral(KR715CTL_PATH);
    int runs = 7;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--network"))
            network = args.at(i + 1);
        else if (args.at(i) == QLatin1String("--runs"))
            runs = qMax(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--kr715ctl"))
            program = args.at(i + 1);
    }

    QTemporaryDir dir;
    QStringList physIds;
    if (network.isEmpty()) {
        QJsonArray devices;
        bench::appendHundredKr715(devices, physIds);
        network = dir.filePath(QStringLiteral("network100.json"));
        QFile f(network);
        if (!f.open(QIODevice::WriteOnly)
            || f.write(QJsonDocument(QJsonObject{{QStringLiteral("devices"), devices}}).toJson()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(network));
            return 2;
        }
    } else {
        QFile f(network);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(network));
            return 2;
        }
        for (const QJsonValue &d : QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("devices")).toArray())
            physIds.append(d.toObject().value(QStringLiteral("physId")).toString());
    }

    QList<double> seconds;
    for (int run = 0; run < runs; ++run) {
        QProcess p;
        QElapsedTimer timer;
        timer.start();
        p.start(program, QStringList{QStringLiteral("--network"), network, QStringLiteral("read")} + physIds);
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
            std::fprintf(stderr, "kr715ctl did not finish\n");
            return 2;
        }
        const double s = timer.nsecsElapsed() / 1e9;
        const int rows = int(p.readAllStandardOutput().count('\n')) - 2;
        if (p.exitCode() != 0 || rows != physIds.size()) {
            std::fprintf(stderr, "kr715ctl read ended with %d and %d rows: %s\n", p.exitCode(), rows,
                         p.readAllStandardError().constData());
            return 2;
        }
        seconds.append(s);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds.at(seconds.size() / 2);
    std::printf("kr715ctl read of %lld devices, %d runs: median %.3f s, fastest %.3f s, slowest %.3f s (goal: under 2 s) %s\n",
                static_cast<long long>(physIds.size()), runs, median, seconds.first(), seconds.last(),
                median < 2.0 ? "met" : "MISSED");
    return median < 2.0 ? 0 : 1;
}
