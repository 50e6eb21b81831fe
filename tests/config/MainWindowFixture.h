#pragma once
// Runs the real main window against the simulated network: a network file of frozen
// devices written by the test, the "KELO.PRO" server created by ProgID as in the
// program, and the server's bus trace to see what reached the devices.
//
//     MainWindowFixture f(R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true}]})");
//     auto window = f.open({"FT1"});          // selects FT1 as the program would at start
//     f.tick(20);                             // one whole polling cycle
//     QCOMPARE(f.traceLines().count(), ...);

#include "CalibrationU.h"
#include "ConfigKR715U.h"
#include "KeloProServer.h"
#include "MibViewU.h"
#include "PollCycle.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

class MainWindowFixture {
public:
    explicit MainWindowFixture(const QByteArray &networkJson = QByteArray())
    {
        kelopro::registerServer();
        QCoreApplication::setApplicationName(QStringLiteral("KR715 config"));
        m_networkPath = m_dir.filePath(QStringLiteral("network.json"));
        m_tracePath = m_dir.filePath(QStringLiteral("trace.txt"));
        if (!networkJson.isEmpty()) {
            QFile file(m_networkPath);
            if (file.open(QIODevice::WriteOnly))
                file.write(networkJson);
            qputenv("KELO_PRO_NETWORK", m_networkPath.toLocal8Bit());
        } else {
            qunsetenv("KELO_PRO_NETWORK");
        }
        qputenv("KELO_PRO_TRACE", m_tracePath.toLocal8Bit());
    }

    ~MainWindowFixture()
    {
        m_window.reset();
        qunsetenv("KELO_PRO_NETWORK");
        qunsetenv("KELO_PRO_TRACE");
    }

    // The main window as the program creates it (arguments without the program name).
    // The polling timer is stopped so that the test drives the ticks itself.
    TfrmKR715Config &open(const QStringList &arguments = {})
    {
        m_window = std::make_unique<TfrmKR715Config>(arguments);
        m_window->ti715UpdateData->stop();
        m_window->tiOut2BatchCalc->stop();
        return *m_window;
    }

    TfrmKR715Config &window() { return *m_window; }
    KR715Session &session() { return m_window->session(); }

    // Runs n ticks of the polling cycle.
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            m_window->pollCycle->ti715UpdateDataTimer();
    }

    // The bus trace, one access a line ("get value 12.5", "put PhysId FT1.Flow", ...).
    QStringList traceLines() const
    {
        QFile file(m_tracePath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Forgets the trace so far.
    void clearTrace() const
    {
        QFile file(m_tracePath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.close();
    }
    // The lines since the last clearTrace that write a value: "put value ..." after
    // the variable's selection, as "<variable> <value>".
    QStringList writes() const
    {
        QStringList result;
        QString current;
        for (const QString &line : traceLines()) {
            if (line.startsWith(QLatin1String("put PhysId ")))
                current = line.mid(11);
            else if (line.startsWith(QLatin1String("put value "), Qt::CaseInsensitive))
                result.append(current + QLatin1Char(' ') + line.mid(10));
        }
        return result;
    }

    QString networkPath() const { return m_networkPath; }
    QString tracePath() const { return m_tracePath; }

private:
    QTemporaryDir m_dir;
    QString m_networkPath;
    QString m_tracePath;
    std::unique_ptr<TfrmKR715Config> m_window;
};
