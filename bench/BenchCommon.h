#pragma once
// What the benchmarks share: process CPU time, medians and percentiles, private
// settings folders, a frozen KR 715 whose every value the program can show, and a
// hundred flowing KR 715s for the command line.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <algorithm>
#include <ctime>
#include <vector>

namespace bench {

// Every variable of a KR 715 "FT1" that does not change, with the settings that make
// every Data-tab value derivable: current output on flow, batch control, counting on flow.
inline const char *const FrozenKr715Network = R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true,"variables":{
  ".MeterSize":2.5, ".Ti":10, ".PiCode":0, ".Meternumber":2018918144, ".Scale":100,
  ".Code1":2097152, ".Code2":555812352, ".Code3":539112448,
  ".Flow":12.5, ".Volume1":1234.5, ".Volume2":10.25, ".InstantFlow":13, ".TCFlow":12.4,
  ".Temperature":21.5, ".SetPoint":500, ".Input1":1, ".Output2":1, ".Output3":0, ".Available":3.25}}]})";

// The CPU time of the whole process so far (waiting and other processes do not count).
inline double cpuMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

// Settings and data folders inside home, the offscreen platform unless another is
// asked for, and no bus trace: a run never touches the user's own.
inline void usePrivateFolders(const QTemporaryDir &home)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qunsetenv("KELO_PRO_TRACE");
}

// Appends the KR 715s FT001 ... FT100 (flow 6 ... 105, setpoint 100) to devices and
// their PhysIds to physIds.
inline void appendHundredKr715(QJsonArray &devices, QStringList &physIds)
{
    for (int i = 1; i <= 100; ++i) {
        const QString id = QStringLiteral("FT%1").arg(i, 3, 10, QLatin1Char('0'));
        physIds.append(id);
        devices.append(QJsonObject{{QStringLiteral("physId"), id}, {QStringLiteral("deviceType"), 715},
                                   {QStringLiteral("variables"),
                                    QJsonObject{{QStringLiteral(".Flow"), 5.0 + i}, {QStringLiteral(".SetPoint"), 100.0}}}});
    }
}

} // namespace bench
