// KRRegistry: settings by section, key and name in one per-user file.
//
// The contents are read again whenever the file changes (another program or
// another instance wrote it), and only then: every call compares the file's
// identity, size and modification time with those of the contents held. A
// change is a read-modify-write under a lock file, and the new contents replace
// the old file atomically, so readers always see either the old or the new file.

#include "RegDllHeader.h"
#include "SettingsStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

using krregistry::SettingsStore;

namespace {

// Settings files are small; a file beyond this size is damaged. Only its first
// part (up to the last complete line) is read, a file read in part is never
// written over (what could not be read would be lost), and a change that would
// make the file larger is refused.
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

// How long a change waits for another process that is changing the file.
constexpr int LockTimeoutMs = 5000;

// Serialises changes within this process; the lock file serialises processes.
std::mutex g_changeMutex;

// A per-user base folder by the XDG rules: the variable when it holds an
// absolute path (relative values are to be ignored), else the default under
// the home folder. Empty when neither is known.
QString userFolder(const char *variable, const char *homeDefault,
                   [[maybe_unused]] QStandardPaths::StandardLocation location)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString folder = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(folder))
        return QDir::cleanPath(folder);
    const QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home))
        return {};
    return QDir::cleanPath(home + QLatin1Char('/') + QLatin1String(homeDefault));
#else
    Q_UNUSED(variable);
    Q_UNUSED(homeDefault);
    return QStandardPaths::writableLocation(location);
#endif
}

QString productConfigDirectory()
{
    const QString base = userFolder("XDG_CONFIG_HOME", ".config", QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return {};
    return base + QStringLiteral("/KR");
}

QString productDataDirectory()
{
    const QString base = userFolder("XDG_DATA_HOME", ".local/share", QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return base + QStringLiteral("/KR");
}

QString settingsFilePath(const QString &directory)
{
    return directory + QStringLiteral("/KRRegistry.ini");
}

// What tells one version of the settings file from another: a file replaced
// (a new inode), grown, shrunk or touched is read again.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    qint64 device = 0;
    qint64 inode = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
#if defined(Q_OS_UNIX)
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.device = qint64(st.st_dev);
    stamp.inode = qint64(st.st_ino);
    stamp.seconds = qint64(st.st_mtim.tv_sec);
    stamp.nanoseconds = qint64(st.st_mtim.tv_nsec);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.seconds = info.lastModified().toMSecsSinceEpoch();
#endif
    return stamp;
}

// A file time this close to now may be followed by a rewrite in place (same file,
// same size) that file systems stamp with the very same time: until the time is
// older, the contents are compared, not only the stamp.
constexpr qint64 RecentStampSeconds = 2;

bool isRecent(const FileStamp &stamp)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    return stamp.exists && now - stamp.seconds <= RecentStampSeconds;
}

// The contents of the settings file as last read, with the version they belong to.
struct LoadedStore {
    QString path;
    FileStamp stamp;
    SettingsStore store;
    bool whole = true; // false: the file was larger than MaxFileBytes
    QByteArray raw;    // the bytes read, kept only while the stamp is recent
};

// The settings as last read; guarded by g_cacheMutex.
std::mutex g_cacheMutex;
LoadedStore g_cache;
bool g_cacheValid = false;

// Reads at most MaxFileBytes of the settings file; whole tells whether that was all
// of it. A file that does not exist reads as empty.
int readFileBytes(const QString &path, QByteArray &data, bool &whole)
{
    data.clear();
    whole = true;
    const QFileInfo info(path);
    if (!info.exists())
        return KRREG_SUCCESS;
    if (!info.isFile())
        return KRREG_ERROR_IO; // a folder or device where the file belongs; never block on it

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return KRREG_ERROR_IO;
    data = file.read(MaxFileBytes);
    if (file.error() != QFileDevice::NoError)
        return KRREG_ERROR_IO;
    whole = file.atEnd();
    return KRREG_SUCCESS;
}

// Makes loaded hold data, read from path with the given stamp.
void takeBytes(LoadedStore &loaded, const QString &path, const FileStamp &stamp, QByteArray data, bool whole)
{
    loaded.path = path;
    loaded.stamp = stamp;
    loaded.whole = whole;
    // Oversized: only the complete lines of what was read count.
    loaded.store = SettingsStore::parse(whole ? QByteArrayView(data)
                                              : QByteArrayView(data).first(data.lastIndexOf('\n') + 1));
    loaded.raw = isRecent(stamp) ? std::move(data) : QByteArray();
}

// Runs use (a callable taking const LoadedStore&) on the current settings of path,
// reading the file only when it changed since it was last read. Call with
// g_cacheMutex held.
template <typename Use>
int withCurrentStore(const QString &path, Use use)
{
    const FileStamp stamp = stampOf(path);
    const bool sameStamp = g_cacheValid && g_cache.path == path && g_cache.stamp == stamp;
    if (!sameStamp || !g_cache.raw.isNull()) {
        QByteArray data;
        bool whole = true;
        g_cacheValid = false;
        const int status = readFileBytes(path, data, whole);
        if (status != KRREG_SUCCESS)
            return status;
        if (sameStamp && whole == g_cache.whole && data == g_cache.raw) {
            if (!isRecent(stamp))
                g_cache.raw = QByteArray(); // from now on the stamp tells
        } else {
            takeBytes(g_cache, path, stamp, std::move(data), whole);
        }
        // A file changing while it was read is read again at the next call.
        g_cacheValid = stampOf(path) == stamp;
    }
    return use(std::as_const(g_cache));
}

// Says once per file version that a settings file is kept as it is.
void reportPartialFile(const LoadedStore &loaded)
{
    static FileStamp reported;
    if (reported == loaded.stamp)
        return;
    reported = loaded.stamp;
    std::fprintf(stderr,
                 "KRRegistry: the settings file %s is larger than %lld bytes; only its first part "
                 "was read, and it is left as it is (no setting is saved until it is repaired)\n",
                 QFile::encodeName(QDir::toNativeSeparators(loaded.path)).constData(),
                 static_cast<long long>(MaxFileBytes));
}

// Reads the stored settings and hands the text stored for name to use (a callable
// taking const QByteArray& and returning a status); KRREG_ERROR_NOT_FOUND when there
// is none.
template <typename Use>
int useStoredValue(const char *section, const char *key, const char *name, Use use)
{
    const QString directory = productConfigDirectory();
    if (directory.isEmpty())
        return KRREG_ERROR_IO;
    std::lock_guard<std::mutex> guard(g_cacheMutex);
    return withCurrentStore(settingsFilePath(directory), [&](const LoadedStore &loaded) {
        const QByteArray *stored = loaded.store.value(section, key, name);
        if (!stored)
            return KRREG_ERROR_NOT_FOUND;
        return use(*stored);
    });
}

// Applies change (a callable taking SettingsStore& and returning whether it
// changed anything) to the stored settings and saves the result.
template <typename Change>
int changeStore(Change change)
{
    const QString directory = productConfigDirectory();
    if (directory.isEmpty())
        return KRREG_ERROR_IO;
    const QString path = settingsFilePath(directory);

    // Deleting from a store that was never written needs no folder and no file.
    if (!QFileInfo::exists(path)) {
        SettingsStore empty;
        if (!change(empty))
            return KRREG_SUCCESS;
    }

    if (!QDir().mkpath(directory) || !QFileInfo(directory).isDir())
        return KRREG_ERROR_IO;

    std::lock_guard<std::mutex> guard(g_changeMutex);
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockTimeoutMs))
        return KRREG_ERROR_IO;

    // Looked at again under the lock: another process may have written meanwhile.
    // A file that exists but cannot be read, or was read only in part, is never
    // overwritten.
    std::lock_guard<std::mutex> cacheGuard(g_cacheMutex);
    SettingsStore store;
    const int status = withCurrentStore(path, [&](const LoadedStore &loaded) {
        if (!loaded.whole) {
            reportPartialFile(loaded);
            return KRREG_ERROR_IO;
        }
        store = loaded.store;
        return KRREG_SUCCESS;
    });
    if (status != KRREG_SUCCESS)
        return status;
    if (!change(store))
        return KRREG_SUCCESS;

    const QByteArray data = store.serialize();
    if (data.size() > MaxFileBytes)
        return KRREG_ERROR_IO;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return KRREG_ERROR_IO;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return KRREG_ERROR_IO;
    }
    if (!file.commit()) {
        g_cacheValid = false;
        return KRREG_ERROR_IO;
    }
    // The new contents are what this process holds now, for the file as written.
    g_cache.path = path;
    g_cache.stamp = stampOf(path);
    g_cache.store = std::move(store);
    g_cache.whole = true;
    g_cache.raw = isRecent(g_cache.stamp) ? data : QByteArray();
    g_cacheValid = g_cache.stamp.exists;
    return KRREG_SUCCESS;
}

// The size protocol shared by every function that returns a text.
int copyText(const QByteArray &text, char *buffer, int *size)
{
    if (text.size() > INT_MAX - 1)
        return KRREG_ERROR_IO;
    const int length = int(text.size());
    if (*size <= length) {
        *size = length;
        return KRREG_ERROR_MORE_DATA;
    }
    std::memcpy(buffer, text.constData(), size_t(length));
    buffer[length] = '\0';
    *size = length;
    return KRREG_SUCCESS;
}

bool validSizeArguments(const char *buffer, const int *size)
{
    return size && *size >= 0 && (buffer || *size == 0);
}

// Keeps failures inside the library: nothing may unwind through the C interface.
template <typename Body>
int guarded(Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return KRREG_ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return KRREG_ERROR_IO;
    }
}

} // namespace

extern "C" {

KRREGISTRY_API int WriteSettingInteger(const char *section, const char *key, int reserved,
                                       const char *name, int value)
{
    if (!section || !key || !name || reserved != 0)
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const QByteArray text = QByteArray::number(value);
        return changeStore([&](SettingsStore &store) {
            return store.setValue(section, key, name, text);
        });
    });
}

KRREGISTRY_API int WriteSettingString(const char *section, const char *key, int reserved,
                                      const char *name, const char *text)
{
    if (!section || !key || !name || !text || reserved != 0)
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        return changeStore([&](SettingsStore &store) {
            return store.setValue(section, key, name, QByteArray(text));
        });
    });
}

KRREGISTRY_API int ReadSettingInteger(const char *section, const char *key, int reserved,
                                      const char *name, int *value)
{
    if (!section || !key || !name || !value || reserved != 0)
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        return useStoredValue(section, key, name, [&](const QByteArray &stored) {
            bool ok = false;
            const int number = stored.trimmed().toInt(&ok, 10);
            if (!ok)
                return KRREG_ERROR_INVALID_DATA;
            *value = number;
            return KRREG_SUCCESS;
        });
    });
}

KRREGISTRY_API int ReadSettingString(const char *section, const char *key, int reserved,
                                     const char *name, char *buffer, int *size)
{
    if (!section || !key || !name || reserved != 0 || !validSizeArguments(buffer, size))
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        return useStoredValue(section, key, name,
                              [&](const QByteArray &stored) { return copyText(stored, buffer, size); });
    });
}

KRREGISTRY_API int DeleteSettings(const char *section, const char *key, int reserved,
                                  const char *name)
{
    if (!section || !key || !name || reserved != 0)
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const QByteArray sectionName(section);
        const QByteArray keyName(key);
        const QByteArray valueName(name);
        return changeStore([&](SettingsStore &store) {
            if (!valueName.isEmpty())
                return store.removeValue(sectionName, keyName, valueName);
            if (!keyName.isEmpty())
                return store.removeKey(sectionName, keyName);
            return store.removeSection(sectionName);
        });
    });
}

KRREGISTRY_API int GetDataDirectory(char *buffer, int *size)
{
    if (!validSizeArguments(buffer, size))
        return KRREG_ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const QString folder = productDataDirectory();
        if (folder.isEmpty())
            return KRREG_ERROR_NOT_FOUND;
        QString directory = QDir::toNativeSeparators(folder);
        // Programs append their own folder (their settings section) straight
        // after the returned text, so it always ends with the separator.
        if (!directory.endsWith(QDir::separator()))
            directory += QDir::separator();
        return copyText(directory.toUtf8(), buffer, size);
    });
}

} // extern "C"
