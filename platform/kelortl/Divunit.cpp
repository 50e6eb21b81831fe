#include "Divunit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTextStream>
#include <QWidget>

int WorkAreaW = 1024;
int WorkAreaH = 768;
double GlobZoomFactor = 1.0;

void RotateRect(TRect &rect, const QPoint &c, bool direction)
{
    // Screen coordinates grow downwards: a clockwise quarter turn takes the
    // offset (dx, dy) to (-dy, dx).
    auto turn = [&](int x, int y) {
        const int dx = x - c.x();
        const int dy = y - c.y();
        return direction ? QPoint(c.x() - dy, c.y() + dx) : QPoint(c.x() + dy, c.y() - dx);
    };
    const QPoint a = turn(rect.Left, rect.Top);
    const QPoint b = turn(rect.Right, rect.Bottom);
    rect = TRect(a.x(), a.y(), b.x(), b.y()).Normalized();
}

TRect RotatedRect(const TRect &rect, const QPoint &centre, bool direction)
{
    TRect r = rect;
    RotateRect(r, centre, direction);
    return r;
}

static QList<QObject *> Chain(QObject *o)
{
    QList<QObject *> chain;
    for (; o; o = o->parent())
        chain.prepend(o);
    return chain;
}

int CompTopMost(QObject *a, QObject *b)
{
    if (a == b)
        return 0;
    if (!a)
        return -1;
    if (!b)
        return 1;
    const QList<QObject *> ca = Chain(a);
    const QList<QObject *> cb = Chain(b);
    int i = 0;
    while (i < ca.size() && i < cb.size() && ca[i] == cb[i])
        ++i;
    if (i == ca.size())
        return -1; // a contains b
    if (i == cb.size())
        return 1;  // b contains a
    if (i == 0)
        return 0;  // unrelated trees
    const QObjectList &siblings = ca[i - 1]->children();
    const qsizetype ia = siblings.indexOf(ca[i]);
    const qsizetype ib = siblings.indexOf(cb[i]);
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

namespace {
QString &basePath()
{
    static QString p;
    return p;
}
} // namespace

QString GetBasePath()
{
    QString p = basePath();
    if (p.isEmpty())
        p = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    p = QDir::toNativeSeparators(p);
    if (!p.endsWith(QDir::separator()))
        p += QDir::separator();
    return p;
}

void KrSetBasePath(const QString &path)
{
    basePath() = path;
}

bool IsPathRel(const QString &path)
{
    return !path.isEmpty() && QDir::isRelativePath(path);
}

// The desktop entry of the default application for a MIME type, after the
// mimeapps.list files the desktop keeps (freedesktop.org layout).
static QString DefaultDesktopEntry(const QString &mime)
{
    QStringList lists;
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << dir + QStringLiteral("/mimeapps.list") << dir + QStringLiteral("/defaults.list");
    for (const QString &file : lists) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&f);
        bool inDefaults = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inDefaults = line == QLatin1String("[Default Applications]");
                continue;
            }
            if (!inDefaults)
                continue;
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0 || line.left(eq).trimmed() != mime)
                continue;
            const QStringList entries = line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            if (!entries.isEmpty())
                return entries.first().trimmed();
        }
    }
    return QString();
}

static QString DesktopExec(const QString &entry)
{
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QFile f(dir + QLatin1Char('/') + entry);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&f);
        bool inEntry = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inEntry = line == QLatin1String("[Desktop Entry]");
                continue;
            }
            if (inEntry && line.startsWith(QLatin1String("Exec=")))
                return line.mid(5).trimmed();
        }
    }
    return QString();
}

namespace {
QString &programDirectory(int which)
{
    static QString dirs[2];
    return dirs[which];
}

// An executable file of that name: an absolute name as it is, else from the
// search path and then from the system program folders.
QString FindExecutableFile(const QString &name)
{
    const QFileInfo fi(name);
    if (fi.isAbsolute())
        return fi.isFile() && fi.isExecutable() ? name : QString();
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name, {KrWindowsDirectory(), KrSystemDirectory()});
    return found;
}
} // namespace

QString KrWindowsDirectory()
{
    const QString d = programDirectory(0);
    return d.isEmpty() ? QStringLiteral("/usr/bin") : d;
}

QString KrSystemDirectory()
{
    const QString d = programDirectory(1);
    return d.isEmpty() ? QStringLiteral("/bin") : d;
}

void KrSetProgramDirectories(const QString &windowsDirectory, const QString &systemDirectory)
{
    programDirectory(0) = windowsDirectory;
    programDirectory(1) = systemDirectory;
}

QString FindProgram(int command, const QString &text)
{
    if (text.isEmpty())
        return QString();
    if (command == feExecutable) {
        const QString exact = FindExecutableFile(text);
        if (!exact.isEmpty())
            return exact;
        // Programs carry no ".exe" or ".com" here: a name given with one is
        // looked for without it.
        const QString lower = text.toLower();
        if (lower.endsWith(QLatin1String(".exe")) || lower.endsWith(QLatin1String(".com"))) {
            const QString stem = text.left(text.size() - 4);
            if (!stem.isEmpty() && !stem.endsWith(QLatin1Char('/')))
                return FindExecutableFile(stem);
        }
        return QString();
    }
    if (command != feDocument)
        return QString();
    QString ext = text;
    if (ext.contains(QLatin1Char('.')))
        ext = ext.mid(ext.lastIndexOf(QLatin1Char('.')) + 1);
    if (ext.isEmpty())
        return QString();
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(QStringLiteral("document.") + ext, QMimeDatabase::MatchExtension);
    if (!mime.isValid() || mime.isDefault())
        return QString();
    QStringList names{mime.name()};
    names += mime.parentMimeTypes();
    for (const QString &name : names) {
        const QString entry = DefaultDesktopEntry(name);
        if (entry.isEmpty())
            continue;
        const QString exec = DesktopExec(entry);
        if (exec.isEmpty())
            continue;
        // "program %f" -> the program's path, then its arguments.
        const qsizetype space = exec.indexOf(QLatin1Char(' '));
        const QString program = space < 0 ? exec : exec.left(space);
        const QString path = QFileInfo(program).isAbsolute() ? program : QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            continue;
        return space < 0 ? path : path + exec.mid(space);
    }
    return QString();
}
