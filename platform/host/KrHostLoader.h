#pragma once
// The host's component loader: loads component libraries by file name, checks
// that each was built for the loaded KeloRTL runtime, and creates symbols
// through their export SymbolCreate.
//
// A library that is missing, lacks the export or records another runtime
// version is reported (its path and the cause, with the system's own text where
// it has one) and skipped; loading goes on with the rest. Exactly the file named
// is loaded: a missing file is reported ("No such file or directory") without
// asking the system loader, which would try other names. The runtime version is
// read from the library's version section before loading, so a library built
// for another runtime is refused before any of its code runs; one refused after
// loading (no export, or no version section) is unloaded again and taken out
// of the runtime's module list, with its language satellite removed. Accepted
// libraries stay loaded for the life of the process: symbols of a library may
// live as long as the host.

#include "KrHostGlobal.h"
#include "KrPageFile.h"
#include "KrPlugin.h"
#include "Krsymbols.h"

#include <QLibrary>
#include <QList>
#include <QString>
#include <memory>


class KRHOST_EXPORT TKrComponentLibrary {
public:
    QString Path() const { return m_path; }
    // The component type's GUID in registry form, from the file name.
    QString Guid() const { return m_guid; }
    unsigned int RuntimeVersion() const { return m_runtimeVersion; }
    // A new symbol with that owner (nullptr when the library fails to make one).
    TKrSymbol *Create(TKrComponent *owner) const;

private:
    friend class TKrHostLoader;
    QString m_path;
    QString m_guid;
    unsigned int m_runtimeVersion = 0;
    std::unique_ptr<QLibrary> m_library;
    TKrSymbolCreateProc m_create = nullptr;
};

class KRHOST_EXPORT TKrHostLoader {
public:
    TKrHostLoader();
    ~TKrHostLoader();

    // "{" + GUID + "}[02]" with the platform's shared-library suffix.
    static QString LibraryFileName(const QString &guid);
    // The GUID in a component library's file name, or empty when the name is
    // not one.
    static QString GuidOfFileName(const QString &fileName);

    // Loads one library; nullptr (and a problem recorded) when it cannot be used.
    // Loading the same file twice gives the same library.
    TKrComponentLibrary *Load(const QString &fileName);
    // Loads every component library in a directory; returns how many loaded.
    int LoadDirectory(const QString &directory);

    QList<TKrComponentLibrary *> Libraries() const;
    TKrComponentLibrary *Library(const QString &guid) const;
    QList<TKrLoadProblem> Problems() const { return m_problems; }
    void ClearProblems() { m_problems.clear(); }

private:
    void Report(const QString &path, const QString &reason);
    // Reports a loaded library and undoes its loading.
    void Refuse(QLibrary &lib, const QString &path, const QString &reason);
    QList<TKrComponentLibrary *> m_libraries;
    QList<TKrLoadProblem> m_problems;
};
