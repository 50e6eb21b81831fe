#include "KrRecentFiles.h"

#include <QFileInfo>

void KrRecentFiles::SetFiles(const QStringList &files)
{
    m_files.clear();
    for (auto it = files.crbegin(); it != files.crend(); ++it)
        if (!it->isEmpty())
            Add(*it);
}

void KrRecentFiles::Add(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kMaxFiles)
        m_files.removeLast();
}

void KrRecentFiles::Remove(const QString &file)
{
    m_files.removeAll(QFileInfo(file).absoluteFilePath());
}
