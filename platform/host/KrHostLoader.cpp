#include "KrHostLoader.h"

#include "KrModules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <QtDebug>
#include <cerrno>
#include <cstring>
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
    // The QLibrary objects go; the libraries stay mapped (they are pinned when
    // accepted, and QLibrary does not unload on destruction), so symbols made
    // from them stay valid.
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

namespace {

// Little readers of an ELF file's header fields, bounds-checked against the
// file: anything out of range makes the whole lookup give up.
struct ElfFile {
    const uchar *data = nullptr;
    qint64 size = 0;
    bool bigEndian = false;

    bool Has(quint64 offset, quint64 count) const
    {
        return offset <= quint64(size) && count <= quint64(size) - offset;
    }
    quint64 Read(quint64 offset, int bytes, bool *ok) const
    {
        if (!Has(offset, quint64(bytes))) {
            *ok = false;
            return 0;
        }
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i) {
            const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            v |= quint64(data[offset + quint64(i)]) << shift;
        }
        return v;
    }
};

enum class Recorded { Found, Absent };

// The runtime version a component library records in its version section, read
// from the file without loading it (so none of its code runs). Absent when the
// file is no ELF file or has no such section (a library of an older build, or
// another platform): the exported record is checked after loading then.
Recorded ReadRecordedVersion(const QString &path, unsigned int *version)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64)
        return Recorded::Absent;
    ElfFile elf;
    elf.size = file.size();
    elf.data = file.map(0, elf.size);
    if (!elf.data)
        return Recorded::Absent;
    const uchar *d = elf.data;
    if (d[0] != 0x7F || d[1] != 'E' || d[2] != 'L' || d[3] != 'F')
        return Recorded::Absent;
    const bool wide = d[4] == 2; // ELFCLASS64
    if (d[4] != 1 && d[4] != 2)
        return Recorded::Absent;
    if (d[5] != 1 && d[5] != 2)
        return Recorded::Absent;
    elf.bigEndian = d[5] == 2;
    bool ok = true;
    const quint64 shoff = wide ? elf.Read(0x28, 8, &ok) : elf.Read(0x20, 4, &ok);
    const quint64 shentsize = elf.Read(wide ? 0x3A : 0x2E, 2, &ok);
    const quint64 shnum = elf.Read(wide ? 0x3C : 0x30, 2, &ok);
    const quint64 shstrndx = elf.Read(wide ? 0x3E : 0x32, 2, &ok);
    if (!ok || shoff == 0 || shnum == 0 || shstrndx >= shnum || shentsize < (wide ? 64u : 40u) || !elf.Has(shoff, shnum * shentsize))
        return Recorded::Absent;
    struct Section {
        quint64 name, type, offset, size;
    };
    auto section = [&](quint64 i) {
        const quint64 h = shoff + i * shentsize;
        Section sec;
        sec.name = elf.Read(h, 4, &ok);
        sec.type = elf.Read(h + 4, 4, &ok);
        sec.offset = wide ? elf.Read(h + 24, 8, &ok) : elf.Read(h + 16, 4, &ok);
        sec.size = wide ? elf.Read(h + 32, 8, &ok) : elf.Read(h + 20, 4, &ok);
        return sec;
    };
    const Section names = section(shstrndx);
    if (!ok || !elf.Has(names.offset, names.size))
        return Recorded::Absent;
    const QByteArray wanted(KR_RUNTIME_VERSION_SECTION);
    constexpr quint64 kNoBits = 8; // SHT_NOBITS: no bytes in the file
    for (quint64 i = 1; i < shnum; ++i) {
        const Section sec = section(i);
        if (!ok)
            return Recorded::Absent;
        if (sec.name >= names.size || quint64(wanted.size()) + 1 > names.size - sec.name)
            continue;
        const char *name = reinterpret_cast<const char *>(d + names.offset + sec.name);
        if (std::memcmp(name, wanted.constData(), size_t(wanted.size()) + 1) != 0)
            continue;
        if (sec.type == kNoBits || sec.size < 4)
            return Recorded::Absent;
        const quint64 v = elf.Read(sec.offset, 4, &ok);
        if (!ok)
            return Recorded::Absent;
        *version = unsigned(v);
        return Recorded::Found;
    }
    return Recorded::Absent;
}

// How many bytes an ELF file needs to be whole: the end of the furthest of its
// loaded segments and of its section header table; 0 when the file is no ELF
// file (or its headers cannot be read). The system loader maps a file that was
// cut short without a word, and the first call into a missing part of it
// ends the process, so such a file is refused before it is loaded.
quint64 ElfBytesNeeded(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64)
        return 0;
    const QByteArray head = file.read(64);
    ElfFile elf;
    elf.data = reinterpret_cast<const uchar *>(head.constData());
    elf.size = head.size();
    const uchar *d = elf.data;
    if (d[0] != 0x7F || d[1] != 'E' || d[2] != 'L' || d[3] != 'F' || (d[4] != 1 && d[4] != 2) || (d[5] != 1 && d[5] != 2))
        return 0;
    const bool wide = d[4] == 2;
    elf.bigEndian = d[5] == 2;
    bool ok = true;
    const quint64 phoff = wide ? elf.Read(0x20, 8, &ok) : elf.Read(0x1C, 4, &ok);
    const quint64 phentsize = elf.Read(wide ? 0x36 : 0x2A, 2, &ok);
    const quint64 phnum = elf.Read(wide ? 0x38 : 0x2C, 2, &ok);
    const quint64 shoff = wide ? elf.Read(0x28, 8, &ok) : elf.Read(0x20, 4, &ok);
    const quint64 shentsize = elf.Read(wide ? 0x3A : 0x2E, 2, &ok);
    const quint64 shnum = elf.Read(wide ? 0x3C : 0x30, 2, &ok);
    if (!ok || phentsize < (wide ? 56u : 32u) || phnum > 4096 || shnum > 65535 || phoff > (quint64(1) << 40) || shoff > (quint64(1) << 40))
        return 0;
    quint64 needed = phoff + phnum * phentsize;
    if (shoff)
        needed = qMax(needed, shoff + shnum * shentsize);
    if (!file.seek(qint64(phoff)))
        return needed;
    const QByteArray table = file.read(qint64(phnum * phentsize));
    ElfFile ph;
    ph.data = reinterpret_cast<const uchar *>(table.constData());
    ph.size = table.size();
    ph.bigEndian = elf.bigEndian;
    for (quint64 i = 0; i < phnum; ++i) {
        const quint64 h = i * phentsize;
        const quint64 offset = wide ? ph.Read(h + 8, 8, &ok) : ph.Read(h + 4, 4, &ok);
        const quint64 size = wide ? ph.Read(h + 32, 8, &ok) : ph.Read(h + 16, 4, &ok);
        if (!ok || offset > (quint64(1) << 40) || size > (quint64(1) << 40))
            break;
        needed = qMax(needed, offset + size);
    }
    return needed;
}

QString VersionMismatchText(unsigned int recorded)
{
    return QStringLiteral("the library was built for KeloRTL runtime version %1, but the loaded runtime is version %2")
        .arg(recorded)
        .arg(KrRuntimeVersion());
}

bool SameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

void TKrHostLoader::Refuse(QLibrary &lib, const QString &path, const QString &reason)
{
    Report(path, reason);
    // Undo the library's start-up: unloading runs its clean-up (it leaves the
    // module list and removes its language satellite). Whatever is still
    // registered from that file afterwards (the library could not be unloaded
    // because something else holds it) is taken out here.
    lib.unload();
    for (const TKrModuleInfo &m : KrModules()) {
        if (!SameFile(m.path, path))
            continue;
        if (m.translator && QCoreApplication::instance())
            QCoreApplication::removeTranslator(m.translator);
        KrUnregisterModule(m.guid);
    }
}

TKrComponentLibrary *TKrHostLoader::Load(const QString &fileName)
{
    const QFileInfo fi(fileName);
    const QString path = fi.absoluteFilePath();
    for (TKrComponentLibrary *l : m_libraries)
        if (l->m_path == path)
            return l;

    if (!fi.exists()) {
        // Nothing is asked of the system loader: it would try other names (a
        // "lib" prefix, other suffixes) and might load another library.
        Report(path, QStringLiteral("cannot load the library: %1").arg(QString::fromLocal8Bit(std::strerror(ENOENT))));
        return nullptr;
    }
    // A library built for another runtime is refused before it is loaded.
    unsigned int recorded = 0;
    if (ReadRecordedVersion(path, &recorded) == Recorded::Found && recorded != KrRuntimeVersion()) {
        Report(path, VersionMismatchText(recorded));
        return nullptr;
    }

    // A file cut short (an interrupted copy) is refused before it is mapped.
    if (const quint64 needed = ElfBytesNeeded(path); needed > quint64(fi.size())) {
        Report(path, QStringLiteral("cannot load the library: the file is cut short (%1 bytes of %2)").arg(fi.size()).arg(needed));
        return nullptr;
    }
    // An absolute name of an existing file: the loader takes exactly that file.
    auto lib = std::make_unique<QLibrary>(path);
    if (!lib->load()) {
        Report(path, QStringLiteral("cannot load the library: %1").arg(lib->errorString()));
        return nullptr;
    }
    auto create = reinterpret_cast<TKrSymbolCreateProc>(lib->resolve("SymbolCreate"));
    if (!create) {
        Refuse(*lib, path, QStringLiteral("the library does not export SymbolCreate: %1").arg(MissingSymbolText(*lib, path, "SymbolCreate")));
        return nullptr;
    }
    auto version = reinterpret_cast<const unsigned int *>(lib->resolve("KeloRTLVersion"));
    if (!version) {
        Refuse(*lib, path, QStringLiteral("the library records no KeloRTL runtime version: %1").arg(MissingSymbolText(*lib, path, "KeloRTLVersion")));
        return nullptr;
    }
    if (*version != KrRuntimeVersion()) {
        Refuse(*lib, path, VersionMismatchText(*version));
        return nullptr;
    }
#if defined(Q_OS_UNIX)
    // Accepted: the library stays mapped for the life of the process, whatever
    // any other user of the file does.
    dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
#endif
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
