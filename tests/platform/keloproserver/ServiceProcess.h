#pragma once
// Runs kelo-pro-server for a test on the private session bus that the test runs on
// (the test is started by dbus-run-session), and reads what it says on stderr.

#include "KeloProClient.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <memory>

class ServiceProcess {
public:
    ~ServiceProcess() { stop(); }

    // Starts the service and waits until it owns its name; false when it did not.
    bool start(const QStringList &arguments)
    {
        stop();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(m_process.get(), &QProcess::readyReadStandardError, [this] {
            m_stderr += QString::fromLocal8Bit(m_process->readAllStandardError());
        });
        m_process->start(QStringLiteral(KELO_PRO_SERVER_PATH), arguments);
        if (!m_process->waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (kelobus::KeloProClient::serviceOnBus(500))
                return true;
            if (m_process->state() == QProcess::NotRunning)
                return false;
            QTest::qWait(20);
        }
        return false;
    }

    void stop()
    {
        if (!m_process)
            return;
        if (m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(5000))
                m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_stderr += QString::fromLocal8Bit(m_process->readAllStandardError());
        m_process.reset();
    }

    // Ends the service at once, as a crash would.
    void kill()
    {
        if (!m_process)
            return;
        m_process->kill();
        m_process->waitForFinished(5000);
        m_process.reset();
    }

    bool running() const { return m_process && m_process->state() == QProcess::Running; }
    qint64 pid() const { return m_process ? m_process->processId() : 0; }
    QString errors()
    {
        if (m_process)
            m_stderr += QString::fromLocal8Bit(m_process->readAllStandardError());
        return m_stderr;
    }

    // Server objects the service holds.
    static int objectCount()
    {
        QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("com.kr.KeloPro"), QStringLiteral("/com/kr/KeloPro"),
                                                        QStringLiteral("com.kr.KeloPro.Server"), QStringLiteral("ObjectCount"));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(m, QDBus::Block, 2000);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toInt() : -1;
    }

private:
    std::unique_ptr<QProcess> m_process;
    QString m_stderr;
};
