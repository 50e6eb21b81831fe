#pragma once
// The designer's undo history: the page as it stood after each change. A change
// of any kind (a symbol placed, moved, sized, deleted, pasted, turned, a
// property edited, a step a component recorded) is a new state; undo and redo
// step between the states. The page is modified while its state differs from
// the one last saved or loaded.

#include <QByteArray>
#include <QList>

class KrUndoHistory {
public:
    // Starts afresh with a page as loaded or saved: nothing to undo or redo.
    void Reset(const QByteArray &page);
    // Records a new state; false (nothing recorded) when it equals the present one.
    bool Record(const QByteArray &page);
    bool CanUndo() const { return !m_undo.isEmpty(); }
    bool CanRedo() const { return !m_redo.isEmpty(); }
    // The state to go back (or forward) to; the present state when there is none.
    QByteArray Undo();
    QByteArray Redo();
    QByteArray Current() const { return m_current; }
    // The present state is the one on disk.
    void MarkSaved() { m_saved = m_current; }
    bool IsModified() const { return m_current != m_saved; }
    int UndoCount() const { return int(m_undo.size()); }
    int RedoCount() const { return int(m_redo.size()); }
    // Steps kept at most; the oldest go first.
    static constexpr int kMaxSteps = 200;

private:
    QByteArray m_current;
    QByteArray m_saved;
    QList<QByteArray> m_undo;
    QList<QByteArray> m_redo;
};
