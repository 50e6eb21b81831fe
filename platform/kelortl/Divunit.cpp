#include "Divunit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
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


// ---------------------------------------------------------------- registered programs
//
// How the program for a document is chosen (the one place that decides):
//
// 1. The document's MIME type: QMimeDatabase, from the file's name and content
//    when the file exists, from its name alone otherwise (FindProgram with
//    feDocument only has an extension and uses that).
// 2. That type, then each type it derives from (nearest first, as QMimeDatabase
//    lists them; text/x-csrc falls back to text/plain), is looked up in the
//    desktop's association lists, "mimeapps.list" (and "<desktop>-mimeapps.list"
//    for each desktop named in XDG_CURRENT_DESKTOP), in this order:
//    XDG_CONFIG_HOME, each XDG_CONFIG_DIRS entry, XDG_DATA_HOME/applications,
//    each XDG_DATA_DIRS entry + "/applications".
// 3. For one type, the entries of "[Default Applications]" are tried in that
//    order of files and, within a line, from left to right; then those of
//    "[Added Associations]" likewise. An entry that a "[Removed Associations]"
//    line of the same or an earlier file names is passed over. The first entry
//    that is installed wins: its desktop file is found in an applications
//    folder (an id "vendor-app.desktop" also as "vendor/app.desktop"), is of
//    type Application, not Hidden, its TryExec (if any) and the first word of
//    its Exec line name an executable file (a bare name on PATH).
// 4. The Exec line is split into words by the desktop-entry quoting rules (no
//    shell is involved), and its field codes are expanded into words: %f %F
//    %u %U become the document's absolute path (a file path also for the URL
//    codes), %i becomes "--icon" and the entry's Icon, %c its Name, %k the
//    desktop file's path, %% a percent sign; the obsolete %d %D %n %N %v %m
//    vanish. An Exec line without a file code gets the document appended as a
//    last word.
// 5. Nothing is found when no list names an installed entry for the type or
//    its ancestors; programs that merely declare the type in their own desktop
//    entry are not picked, so only a program the desktop (or the operator, by
//    "xdg-mime default") made the type's handler is ever started.

namespace {

QStringList XdgDirs(const char *var, const QString &fallback)
{
    QStringList dirs;
    const QString value = qEnvironmentVariable(var);
    for (const QString &d : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d))
            dirs << QDir::cleanPath(d);
    if (dirs.isEmpty())
        dirs << fallback;
    return dirs;
}

QString XdgHome(const char *var, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(var);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackBelowHome;
}

QStringList ApplicationDirs()
{
    QStringList dirs{XdgHome("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/applications")};
    for (const QString &d : XdgDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        dirs << d + QStringLiteral("/applications");
    return dirs;
}

// The association lists, most important first.
QStringList MimeAppsLists()
{
    QStringList desktops;
    for (const QString &d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << d.toLower();
    QStringList folders{XdgHome("XDG_CONFIG_HOME", QStringLiteral(".config"))};
    folders += XdgDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    folders += ApplicationDirs();
    QStringList files;
    for (const QString &f : folders) {
        for (const QString &d : desktops)
            files << f + QLatin1Char('/') + d + QStringLiteral("-mimeapps.list");
        files << f + QStringLiteral("/mimeapps.list");
    }
    return files;
}

// Groups of an ini-style file: group name -> key -> value (first occurrence).
using TIniGroups = QHash<QString, QHash<QString, QString>>;

TIniGroups ReadIni(const QString &file)
{
    TIniGroups groups;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text) || f.size() > 4 * 1024 * 1024)
        return groups;
    QTextStream in(&f);
    QString group;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || group.isEmpty())
            continue;
        const QString key = line.left(eq).trimmed();
        auto &keys = groups[group];
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return groups;
}

QStringList DesktopIds(const QString &value)
{
    QStringList ids;
    for (const QString &id : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = id.trimmed();
        if (!t.isEmpty() && !t.contains(QLatin1Char('/')) && t != QLatin1String("..") && t.endsWith(QLatin1String(".desktop")))
            ids << t;
    }
    return ids;
}

// The value escapes of desktop files: \s \n \t \r \\ (others kept as they are).
QString UnescapeValue(const QString &v)
{
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= v.size()) {
            out += c;
            continue;
        }
        const QChar n = v.at(++i);
        switch (n.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case '\\': out += QLatin1Char('\\'); break;
        default: out += QLatin1Char('\\'); out += n; break;
        }
    }
    return out;
}

QString ProgramPath(const QString &word)
{
    if (word.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(word)) {
        const QFileInfo fi(word);
        return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
    }
    if (word.contains(QLatin1Char('/')))
        return QString(); // relative paths in Exec lines are not allowed
    return QStandardPaths::findExecutable(word);
}

// The desktop file of an id, or empty.
QString DesktopFile(const QString &id)
{
    QStringList names{id};
    for (qsizetype i = id.indexOf(QLatin1Char('-')); i > 0; i = id.indexOf(QLatin1Char('-'), i + 1)) {
        QString n = id;
        n[i] = QLatin1Char('/');
        names << n;
    }
    for (const QString &dir : ApplicationDirs())
        for (const QString &n : names) {
            const QString path = dir + QLatin1Char('/') + n;
            if (QFileInfo(path).isFile())
                return path;
        }
    return QString();
}

// The installed application of a desktop id, or an invalid one.
TKrRegisteredApplication Installed(const QString &id, const QString &mime)
{
    TKrRegisteredApplication app;
    const QString file = DesktopFile(id);
    if (file.isEmpty())
        return app;
    const TIniGroups groups = ReadIni(file);
    const auto entry = groups.value(QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Type"), QStringLiteral("Application")) != QLatin1String("Application"))
        return app;
    if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return app;
    const QString tryExec = UnescapeValue(entry.value(QStringLiteral("TryExec")));
    if (!tryExec.isEmpty() && ProgramPath(tryExec).isEmpty())
        return app;
    bool ok = false;
    const QStringList words = KrSplitExecLine(UnescapeValue(entry.value(QStringLiteral("Exec"))), &ok);
    if (!ok || words.isEmpty())
        return app;
    const QString program = ProgramPath(words.first());
    if (program.isEmpty())
        return app;
    app.program = program;
    app.execArguments = words.mid(1);
    app.mimeType = mime;
    app.desktopId = id;
    app.entryFile = file;
    app.name = UnescapeValue(entry.value(QStringLiteral("Name")));
    app.icon = UnescapeValue(entry.value(QStringLiteral("Icon")));
    return app;
}

} // namespace

QStringList KrSplitExecLine(const QString &exec, bool *ok)
{
    // Words are separated by spaces (and tabs); a word may be quoted in double
    // quotes, inside which a backslash escapes '"', '`', '$' and '\'.
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()
                       && QStringLiteral("\"`$\\").contains(exec.at(i + 1))) {
                word += exec.at(++i);
            } else {
                word += c;
            }
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    if (ok)
        *ok = !quoted;
    return quoted ? QStringList() : words;
}

QString KrQuoteExecWord(const QString &word)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool plain = !word.isEmpty();
    for (const QChar c : word)
        if (reserved.contains(c))
            plain = false;
    if (plain)
        return word;
    QString q = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            q += QLatin1Char('\\');
        q += c;
    }
    return q + QLatin1Char('"');
}

TKrRegisteredApplication KrRegisteredApplication(const QMimeType &mime)
{
    if (!mime.isValid() || mime.isDefault())
        return TKrRegisteredApplication();
    QStringList types{mime.name()};
    for (const QString &a : mime.allAncestors())
        if (!types.contains(a) && a != QLatin1String("application/octet-stream"))
            types << a;
    const QStringList lists = MimeAppsLists();
    QList<TIniGroups> parsed;
    for (const QString &file : lists)
        parsed << ReadIni(file);
    for (const QString &type : types) {
        for (const char *section : {"Default Applications", "Added Associations"}) {
            QStringList removed;
            for (const TIniGroups &g : parsed) {
                removed += DesktopIds(g.value(QStringLiteral("Removed Associations")).value(type));
                for (const QString &id : DesktopIds(g.value(QLatin1String(section)).value(type))) {
                    if (removed.contains(id))
                        continue;
                    const TKrRegisteredApplication app = Installed(id, type);
                    if (app.IsValid())
                        return app;
                }
            }
        }
    }
    return TKrRegisteredApplication();
}

QStringList KrExpandExecArguments(const TKrRegisteredApplication &app, const QStringList &files, bool *ok)
{
    QStringList out;
    bool fileGiven = false;
    if (ok)
        *ok = app.IsValid();
    for (const QString &word : app.execArguments) {
        if (word == QLatin1String("%f") || word == QLatin1String("%u")) {
            if (!files.isEmpty())
                out << files.first();
            fileGiven = true;
            continue;
        }
        if (word == QLatin1String("%F") || word == QLatin1String("%U")) {
            out += files;
            fileGiven = true;
            continue;
        }
        if (word == QLatin1String("%i")) {
            if (!app.icon.isEmpty())
                out << QStringLiteral("--icon") << app.icon;
            continue;
        }
        // Codes inside a word are replaced in place.
        QString w;
        bool any = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            const QChar c = word.at(i);
            if (c != QLatin1Char('%') || i + 1 >= word.size()) {
                w += c;
                any = true;
                continue;
            }
            const QChar code = word.at(++i);
            switch (code.unicode()) {
            case '%': w += QLatin1Char('%'); any = true; break;
            case 'c': w += app.name; any = true; break;
            case 'k': w += app.entryFile; any = true; break;
            case 'f': case 'u': case 'F': case 'U':
                if (!files.isEmpty())
                    w += files.first();
                fileGiven = true;
                any = true;
                break;
            default: break; // obsolete or unknown codes vanish
            }
        }
        if (any)
            out << w;
    }
    if (!fileGiven)
        out += files;
    return out;
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
    const TKrRegisteredApplication app = KrRegisteredApplication(mime);
    if (!app.IsValid())
        return QString();
    QString result = app.program;
    for (const QString &word : app.execArguments)
        result += QLatin1Char(' ') + KrQuoteExecWord(word);
    return result;
}

TKrCommand FindDocumentCommand(const QString &document)
{
    TKrCommand cmd;
    if (document.isEmpty())
        return cmd;
    const QFileInfo fi(document);
    const QMimeType mime = fi.exists() ? QMimeDatabase().mimeTypeForFile(fi)
                                       : QMimeDatabase().mimeTypeForFile(document, QMimeDatabase::MatchExtension);
    const TKrRegisteredApplication app = KrRegisteredApplication(mime);
    if (!app.IsValid())
        return cmd;
    bool ok = false;
    const QStringList args = KrExpandExecArguments(app, {fi.absoluteFilePath()}, &ok);
    if (!ok)
        return cmd;
    cmd.program = app.program;
    cmd.arguments = args;
    cmd.mimeType = app.mimeType;
    cmd.desktopEntry = app.entryFile;
    return cmd;
}

bool TurnRotation(TRotateFunction function, int &rotDeg, bool &mirrored)
{
    int deg = ((rotDeg % 360) + 360) % 360;
    switch (function) {
    case rfRotateRight: deg = (deg + 90) % 360; break;
    case rfRotateLeft: deg = (deg + 270) % 360; break;
    case rfMirrorHorizontal:
        mirrored = !mirrored;
        if (deg == 90 || deg == 270)
            deg = 360 - deg;
        break;
    case rfMirrorVertical:
        mirrored = !mirrored;
        if (deg == 0 || deg == 180)
            deg = 180 - deg;
        break;
    default:
        return false;
    }
    rotDeg = deg;
    return true;
}
