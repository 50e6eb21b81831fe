#include "KrPalette.h"

#include "KrHostLoader.h"
#include "KrModules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>

void KrPalette::Scan(const QStringList &folders)
{
    m_entries.clear();
    QSet<QString> seenFolders;
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString canonical = QDir(folder).canonicalPath();
        if (canonical.isEmpty() || seenFolders.contains(canonical))
            continue;
        seenFolders.insert(canonical);
        const QDir dir(canonical);
        const QStringList files = dir.entryList(QDir::Files, QDir::Name);
        for (const QString &file : files) {
            const QString guid = TKrHostLoader::GuidOfFileName(file);
            if (guid.isEmpty())
                continue;
            KrPaletteEntry e;
            e.path = dir.filePath(file);
            e.guid = guid;
            e.name = file;
            TKrComponentLibrary *already = m_loader->Library(guid);
            if (already && already->Path() != e.path) {
                e.refused = true;
                e.reason = QCoreApplication::translate("KrPalette", "a library of the same component type is already loaded from %1").arg(already->Path());
                m_entries.append(e);
                continue;
            }
            const int problems = int(m_loader->Problems().size());
            TKrComponentLibrary *lib = m_loader->Load(e.path);
            if (!lib) {
                e.refused = true;
                const QList<TKrLoadProblem> all = m_loader->Problems();
                e.reason = all.size() > problems ? all.last().reason : QCoreApplication::translate("KrPalette", "the library cannot be loaded");
                m_entries.append(e);
                continue;
            }
            e.library = lib;
            e.guid = lib->Guid();
            for (const TKrModuleInfo &m : KrModules()) {
                if (m.guid.compare(e.guid, Qt::CaseInsensitive) == 0) {
                    e.name = m.name;
                    e.version = m.version;
                }
            }
            const QString res = QStringLiteral(":/krcomponents/") + e.guid.toUpper();
            e.picture = QImage(res + QStringLiteral("/ABOUTBITMAP"), "BMP");
            QFile version(res + QStringLiteral("/VERSION"));
            if (version.open(QIODevice::ReadOnly)) {
                const QStringList lines = QString::fromUtf8(version.readAll()).split(QLatin1Char('\n'));
                if (lines.size() > 1)
                    e.description = lines.at(1);
                if (e.version.isEmpty() && !lines.isEmpty())
                    e.version = lines.first().section(QLatin1Char(' '), 1, 1);
            }
            m_entries.append(e);
        }
    }
}

const KrPaletteEntry *KrPalette::Entry(const QString &guid) const
{
    for (const KrPaletteEntry &e : m_entries)
        if (!e.refused && e.guid.compare(guid, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}
