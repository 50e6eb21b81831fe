#include "ExecuteProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int PidfdOpen(qint64 pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid_t(pid), 0);
    return fd < 0 ? -1 : int(fd);
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

bool PidfdSignal(int pidfd, int sig)
{
#ifdef SYS_pidfd_send_signal
    return ::syscall(SYS_pidfd_send_signal, pidfd, sig, nullptr, 0) == 0;
#else
    Q_UNUSED(pidfd);
    Q_UNUSED(sig);
    return false;
#endif
}

// Without a pidfd: the process exists and is no zombie.
bool PidAlive(qint64 pid)
{
    if (pid <= 1)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype paren = line.lastIndexOf(')');
    return paren < 0 || paren + 2 >= line.size() || (line.at(paren + 2) != 'Z' && line.at(paren + 2) != 'X');
}

} // namespace

TKRExecProcess::~TKRExecProcess()
{
    Release();
}

bool TKRExecProcess::Start(const QString &program, const QStringList &arguments, const QString &workingDirectory, QString *error)
{
    Release();
    QProcess p;
    p.setProgram(program);
    p.setArguments(arguments);
    p.setWorkingDirectory(workingDirectory);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!p.startDetached(&pid) || pid <= 0) {
        if (error)
            *error = p.errorString();
        return false;
    }
    m_pid = pid;
    // A program that ended at once (and was reaped) has no pidfd any more: it
    // counts as ended.
    m_pidfd = PidfdOpen(pid);
    if (m_pidfd < 0 && errno == ESRCH)
        m_pidfd = -2;
    return true;
}

bool TKRExecProcess::IsActive() const
{
    if (m_pid <= 0 || m_pidfd == -2)
        return false;
    if (m_pidfd >= 0) {
        pollfd pfd{m_pidfd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&pfd, 1, 0);
        } while (r < 0 && errno == EINTR);
        return r == 0;
    }
    return PidAlive(m_pid);
}

TKRExecProcess::TCloseRequest TKRExecProcess::RequestClose()
{
    if (!IsActive())
        return crNone;
    if (KrRequestWindowsClose(m_pid) > 0)
        return crWindows;
    const bool sent = m_pidfd >= 0 ? PidfdSignal(m_pidfd, SIGTERM) : ::kill(pid_t(m_pid), SIGTERM) == 0;
    return sent ? crSignal : crNone;
}

bool TKRExecProcess::WaitForEnd(int ms) const
{
    QDeadlineTimer deadline(qMax(0, ms));
    while (IsActive()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        if (m_pidfd >= 0) {
            pollfd pfd{m_pidfd, POLLIN, 0};
            ::poll(&pfd, 1, int(qMin<qint64>(left, 100)));
        } else {
            ::usleep(useconds_t(qMin<qint64>(left, 20)) * 1000);
        }
    }
    return true;
}

void TKRExecProcess::Release()
{
    if (m_pidfd >= 0)
        ::close(m_pidfd);
    m_pidfd = -1;
    m_pid = 0;
}
