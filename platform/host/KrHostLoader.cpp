#include "KrHostLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtDebug>
#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#endif

TKrSymbol *TKrComponentLibrary::Create(TKrComponent *owner) const
{
    return m_create ? m_create(owner) : nullptr;
}

TKrHostLoader::TKrHostLoader() = default;

TKrHostLoader::~TKrHostLoader()
{
    // The QLibrary objects go; the libraries stay mapped (QLibrary does not
    // unload on destruction), so symbols made from them stay valid.
    qDeleteAll(m_libraries);
}

static QString SharedSuffix()
{
#if defined(Q_OS_WIN)
    return QStringLiteral(".dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral(".dylib");
#else
    return QStringLiteral(".so");
#endif
}

QString TKrHostLoader::LibraryFileName(const QString &guid)
{
    QString g = guid.trimmed().toUpper();
    if (!g.startsWith(QLatin1Char('{')))
        g.prepend(QLatin1Char('{'));
    if (!g.endsWith(QLatin1Char('}')))
        g.append(QLatin1Char('}'));
    return g + QStringLiteral("[02]") + SharedSuffix();
}

QString TKrHostLoader::GuidOfFileName(const QString &fileName)
{
    static const QRegularExpression re(QStringLiteral("^(\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\})\\[02\\]") + QRegularExpression::escape(SharedSuffix())
                                           + QStringLiteral("$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(QFileInfo(fileName).fileName());
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

// The system loader's text for a symbol the library lacks.
static QString MissingSymbolText(const QLibrary &lib, const QString &path, const char *symbol)
{
#if defined(Q_OS_UNIX)
    if (void *h = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_NOLOAD)) {
        dlerror();
        dlsym(h, symbol);
        const char *err = dlerror();
        const QString text = err ? QString::fromLocal8Bit(err) : QString();
        dlclose(h);
        if (!text.isEmpty())
            return text;
    }
#endif
    return lib.errorString();
}

void TKrHostLoader::Report(const QString &path, const QString &reason)
{
    m_problems.append({path, reason});
    qWarning().noquote() << "Component library" << path << "skipped:" << reason;
}

TKrComponentLibrary *TKrHostLoader::Load(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString path = fi.absoluteFilePath();
    for (TKrComponentLibrary *l : m_libraries)
        if (l->m_path == path)
            return l;

    auto lib = std::make_unique<QLibrary>(path);
    // Symbols of every library resolve on their own; nothing is shared globally.
    lib->setLoadHints(QLibrary::PreventUnloadHint);
    if (!fi.exists()) {
        // Still ask the system loader so that the report carries its text.
        lib->load();
        Report(path, QStringLiteral("cannot load the library: %1").arg(lib->errorString()));
        return nullptr;
    }
    if (!lib->load()) {
        Report(path, QStringLiteral("cannot load the library: %1").arg(lib->errorString()));
        return nullptr;
    }
    auto create = reinterpret_cast<TKrSymbolCreateProc>(lib->resolve("SymbolCreate"));
    if (!create) {
        Report(path, QStringLiteral("the library does not export SymbolCreate: %1").arg(MissingSymbolText(*lib, path, "SymbolCreate")));
        return nullptr;
    }
    auto version = reinterpret_cast<const unsigned int *>(lib->resolve("KeloRTLVersion"));
    if (!version) {
        Report(path, QStringLiteral("the library records no KeloRTL runtime version: %1").arg(MissingSymbolText(*lib, path, "KeloRTLVersion")));
        return nullptr;
    }
    if (*version != KrRuntimeVersion()) {
        Report(path, QStringLiteral("the library was built for KeloRTL runtime version %1, but the loaded runtime is version %2")
                         .arg(*version)
                         .arg(KrRuntimeVersion()));
        return nullptr;
    }
    auto *l = new TKrComponentLibrary;
    l->m_path = path;
    l->m_guid = GuidOfFileName(path);
    l->m_runtimeVersion = *version;
    l->m_create = create;
    l->m_library = std::move(lib);
    m_libraries.append(l);
    return l;
}

int TKrHostLoader::LoadDirectory(const QString &directory)
{
    const QDir dir(directory);
    int loaded = 0;
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    for (const QString &f : files) {
        if (GuidOfFileName(f).isEmpty())
            continue;
        if (Load(dir.absoluteFilePath(f)))
            ++loaded;
    }
    return loaded;
}

QList<TKrComponentLibrary *> TKrHostLoader::Libraries() const
{
    return m_libraries;
}

TKrComponentLibrary *TKrHostLoader::Library(const QString &guid) const
{
    QString g = guid.trimmed().toUpper();
    if (!g.startsWith(QLatin1Char('{')))
        g = QLatin1Char('{') + g + QLatin1Char('}');
    for (TKrComponentLibrary *l : m_libraries)
        if (l->m_guid == g)
            return l;
    return nullptr;
}
