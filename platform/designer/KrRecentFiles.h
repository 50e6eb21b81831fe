#pragma once
// The list of recently used page files, newest first, without repeats.

#include <QStringList>

class KrRecentFiles {
public:
    static constexpr int kMaxFiles = 8;
    void SetFiles(const QStringList &files);
    QStringList Files() const { return m_files; }
    // Puts the file first (its absolute path), removing an older entry of it.
    void Add(const QString &file);
    void Remove(const QString &file);

private:
    QStringList m_files;
};
