#include "KrUndoHistory.h"

void KrUndoHistory::Reset(const QByteArray &page)
{
    m_current = page;
    m_saved = page;
    m_undo.clear();
    m_redo.clear();
}

bool KrUndoHistory::Record(const QByteArray &page)
{
    if (page == m_current)
        return false;
    m_undo.append(m_current);
    if (m_undo.size() > kMaxSteps)
        m_undo.removeFirst();
    m_redo.clear();
    m_current = page;
    return true;
}

QByteArray KrUndoHistory::Undo()
{
    if (m_undo.isEmpty())
        return m_current;
    m_redo.append(m_current);
    m_current = m_undo.takeLast();
    return m_current;
}

QByteArray KrUndoHistory::Redo()
{
    if (m_redo.isEmpty())
        return m_current;
    m_undo.append(m_current);
    m_current = m_redo.takeLast();
    return m_current;
}
