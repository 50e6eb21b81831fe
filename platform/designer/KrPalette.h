#pragma once
// The designer's palette: the component libraries of the plug-in folders, each
// with its about picture, name, version and description, and the libraries the
// loader refused, with its reason.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class TKrHostLoader;
class TKrComponentLibrary;

struct KrPaletteEntry {
    QString path;
    QString guid;
    QString name;        // the component's name ("Floor"); the file name when refused
    QString version;
    QString description;
    QImage picture;      // the library's about picture (32 x 32)
    bool refused = false;
    QString reason;      // why the loader refused it
    TKrComponentLibrary *library = nullptr;
};

class KrPalette {
public:
    explicit KrPalette(TKrHostLoader *loader) : m_loader(loader) {}

    // Loads every component library in the folders (in that order; a folder that
    // does not exist is passed over). A second library of a type already loaded
    // is listed as refused.
    void Scan(const QStringList &folders);
    QList<KrPaletteEntry> Entries() const { return m_entries; }
    // The accepted entry of a component type, or nullptr.
    const KrPaletteEntry *Entry(const QString &guid) const;

private:
    TKrHostLoader *m_loader;
    QList<KrPaletteEntry> m_entries;
};
