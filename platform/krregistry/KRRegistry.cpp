// KRRegistry: settings by section, key and name in one per-user file.
//
// Every call reads the settings file afresh so that values written by another
// program (or another instance) are seen at once. A change is a
// read-modify-write under a lock file, and the new contents replace the old
// file atomically, so readers always see either the old or the new file.

#include "RegDllHeader.h"
#include "SettingsStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <climits>
#include <cstring>
#include <mutex>
#include <new>

using krregistry::SettingsStore;

namespace {

// Settings files are small; a file beyond this size is damaged. Only its first
// part (up to the last complete line) is read, and a change that would make
// the file larger is refused.
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

// Reads the settings file into store. A file that does not exist is an empty store.
int loadStore(const QString &path, SettingsStore &store)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        store = SettingsStore();
        return KRREG_SUCCESS;
    }
    if (!info.isFile())
        return KRREG_ERROR_IO; // a folder or device where the file belongs; never block on it

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return KRREG_ERROR_IO;
    QByteArray data = file.read(MaxFileBytes);
    if (file.error() != QFileDevice::NoError)
        return KRREG_ERROR_IO;
    if (!file.atEnd()) {
        // Oversized: keep only the complete lines of what was read.
        data.truncate(data.lastIndexOf('\n') + 1);
    }
    store = SettingsStore::parse(data);
    return KRREG_SUCCESS;
}

int readStore(SettingsStore &store)
{
    const QString directory = productConfigDirectory();
    if (directory.isEmpty())
        return KRREG_ERROR_IO;
    return loadStore(settingsFilePath(directory), store);
}

// Reads the stored settings and hands the text stored for name to use (a callable
// taking const QByteArray& and returning a status); KRREG_ERROR_NOT_FOUND when there
// is none.
template <typename Use>
int useStoredValue(const char *section, const char *key, const char *name, Use use)
{
    SettingsStore store;
    const int status = readStore(store);
    if (status != KRREG_SUCCESS)
        return status;
    const QByteArray *stored = store.value(section, key, name);
    if (!stored)
        return KRREG_ERROR_NOT_FOUND;
    return use(*stored);
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

    // Read again under the lock: another process may have written meanwhile.
    // A file that exists but cannot be read is never overwritten.
    SettingsStore store;
    const int status = loadStore(path, store);
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
    return file.commit() ? KRREG_SUCCESS : KRREG_ERROR_IO;
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
