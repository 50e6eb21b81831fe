#pragma once
// What the launcher tests share: the test program that records its arguments,
// a private desktop (XDG folders with MIME associations) and reading what the
// program recorded.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

struct TArgvRecord {
    bool valid = false;
    qint64 pid = 0;
    QString cwd;
    QStringList argv; // argv[0] included
};

inline TArgvRecord ReadArgvRecord(const QString &file)
{
    TArgvRecord r;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const QList<QByteArray> lines = f.readAll().split('\n');
    if (lines.size() < 3)
        return r;
    r.pid = lines.at(0).toLongLong();
    r.cwd = QString::fromUtf8(QByteArray::fromPercentEncoding(lines.at(1)));
    const int argc = lines.at(2).toInt();
    for (int i = 0; i < argc && 3 + i < lines.size(); ++i)
        r.argv << QString::fromUtf8(QByteArray::fromPercentEncoding(lines.at(3 + i)));
    r.valid = r.argv.size() == argc && argc > 0;
    return r;
}

// Copies the test program to path (made executable).
inline bool InstallProgram(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(KR_ARGVDUMP), path))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// A private desktop: XDG_CONFIG_HOME, XDG_CONFIG_DIRS and XDG_DATA_HOME below
// root, with no associations until a test writes them.
inline void UsePrivateDesktop(const QString &root)
{
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/etc-xdg")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    qunsetenv("XDG_CURRENT_DESKTOP");
    QDir().mkpath(root + QStringLiteral("/config"));
    QDir().mkpath(root + QStringLiteral("/data/applications"));
}

inline bool ProcessAlive(qint64 pid)
{
    if (pid <= 1)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype paren = line.lastIndexOf(')');
    return paren > 0 && paren + 2 < line.size() && line.at(paren + 2) != 'Z';
}

inline void KillProcess(qint64 pid)
{
    if (pid > 1)
        ::kill(pid_t(pid), SIGKILL);
}
