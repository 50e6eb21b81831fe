// AppEnroll: desktop entries for the product line's programs.
//
// A registration is one file "<id>.desktop" in the user's applications folder,
// written atomically; unregistering removes it. The entry follows the freedesktop.org
// Desktop Entry format, so every desktop that reads that folder lists the program.

#include "AppEnroll.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <new>

namespace {

// Longest part of the file name taken from the title.
constexpr qsizetype MaxTitleIdLength = 100;

bool validKind(int kind)
{
    return kind == APPENROLL_KIND_CONFIGURATION_TOOL;
}

// "KR715 Config" -> "kr715-config": ASCII letters and digits in lower case,
// every other run of characters one '-', none at either end.
QString sanitizedTitle(const QString &title)
{
    QString id;
    bool pendingDash = false;
    for (const QChar c : title) {
        const char16_t u = c.unicode();
        const bool keep = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (!keep) {
            pendingDash = !id.isEmpty();
            continue;
        }
        if (pendingDash)
            id += QLatin1Char('-');
        pendingDash = false;
        id += QChar(c.toLower());
        if (id.size() >= MaxTitleIdLength)
            break;
    }
    while (id.endsWith(QLatin1Char('-')))
        id.chop(1);
    return id;
}

// The desktop file id: the sanitized title under the product's prefix "kr<productNo>".
QString entryId(int productNo, const QString &title)
{
    const QString product = QStringLiteral("kr") + QString::number(productNo);
    const QString id = sanitizedTitle(title);
    if (id.isEmpty())
        return product;
    if (id == product || id.startsWith(product + QLatin1Char('-')))
        return id;
    return product + QLatin1Char('-') + id;
}

QString entryPath(const QString &directory, int productNo, const QString &title)
{
    return directory + QLatin1Char('/') + entryId(productNo, title) + QStringLiteral(".desktop");
}

// The user's applications folder by the XDG rules: $XDG_DATA_HOME when it is
// an absolute path (relative values are to be ignored), else
// ~/.local/share, followed by "applications". Empty when neither is known.
QString applicationsDirectory()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home))
            return {};
        base = home + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(base + QStringLiteral("/applications"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
#endif
}

// The escapes of a string value in a desktop entry: backslash, line breaks,
// tabs, and a leading space (which a reader would otherwise trim). Other
// control characters have no place in a value and are dropped.
QString escapeValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case ' ':
            out += i == 0 ? QStringLiteral("\\s") : QStringLiteral(" ");
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                out += c;
        }
    }
    return out;
}

// One argument of the Exec key: always in double quotes, with '"', '`', '$'
// and '\' escaped by a backslash inside them and '%' doubled (a single '%'
// would start a field code). The string escapes of escapeValue() then apply
// on top, as the format reads them first: a '\' in the path becomes four.
QString quotedExecArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return escapeValue(quoted);
}

bool hasControlCharacters(const QByteArray &text)
{
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return true;
    }
    return false;
}

QByteArray desktopEntry(int productNo, const QString &title, const QString &executable, int flag)
{
    QString entry;
    entry += QStringLiteral("[Desktop Entry]\n");
    entry += QStringLiteral("Type=Application\n");
    entry += QStringLiteral("Version=1.5\n");
    entry += QStringLiteral("Name=") + escapeValue(title) + QLatin1Char('\n');
    entry += QStringLiteral("Exec=") + quotedExecArgument(executable) + QLatin1Char('\n');
    entry += QStringLiteral("TryExec=") + escapeValue(executable) + QLatin1Char('\n');
    entry += QStringLiteral("Terminal=false\n");
    entry += QStringLiteral("Categories=Settings;HardwareSettings;\n");
    entry += QStringLiteral("NoDisplay=")
             + ((flag & APPENROLL_FLAG_SHOW_IN_MENUS) ? QStringLiteral("false") : QStringLiteral("true"))
             + QLatin1Char('\n');
    entry += QStringLiteral("X-KR-ProductNumber=") + QString::number(productNo) + QLatin1Char('\n');
    return entry.toUtf8();
}

template <typename Body>
int guarded(Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return APPENROLL_ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return APPENROLL_ERROR_IO;
    }
}

bool validTitle(const char *title)
{
    return title && *title;
}

} // namespace

extern "C" {

APPENROLL_API int AddRegistration(int productNo, int kind, const char *title,
                                  const char *executablePath, int flag)
{
    if (productNo < 1 || !validKind(kind) || !validTitle(title) || !executablePath)
        return APPENROLL_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const QByteArray pathBytes(executablePath);
        if (pathBytes.isEmpty() || !pathBytes.isValidUtf8() || hasControlCharacters(pathBytes))
            return APPENROLL_ERROR_INVALID_PARAMETER;
        const QString executable = QString::fromUtf8(pathBytes);
        if (!QDir::isAbsolutePath(executable))
            return APPENROLL_ERROR_INVALID_PARAMETER;
        const QString name = QString::fromUtf8(title);

        const QString directory = applicationsDirectory();
        if (directory.isEmpty())
            return APPENROLL_ERROR_NO_FOLDER;
        if (!QDir().mkpath(directory) || !QFileInfo(directory).isDir())
            return APPENROLL_ERROR_IO;

        const QByteArray contents = desktopEntry(productNo, name, executable, flag);
        QSaveFile file(entryPath(directory, productNo, name));
        if (!file.open(QIODevice::WriteOnly))
            return APPENROLL_ERROR_IO;
        if (file.write(contents) != contents.size()) {
            file.cancelWriting();
            return APPENROLL_ERROR_IO;
        }
        return file.commit() ? APPENROLL_SUCCESS : APPENROLL_ERROR_IO;
    });
}

APPENROLL_API int DeleteRegistration(int productNo, const char *title, int kind)
{
    if (productNo < 1 || !validKind(kind) || !validTitle(title))
        return APPENROLL_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const QString directory = applicationsDirectory();
        if (directory.isEmpty())
            return APPENROLL_ERROR_NO_FOLDER;
        const QString path = entryPath(directory, productNo, QString::fromUtf8(title));
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return APPENROLL_SUCCESS;
        return QFile::remove(path) ? APPENROLL_SUCCESS : APPENROLL_ERROR_IO;
    });
}

} // extern "C"
