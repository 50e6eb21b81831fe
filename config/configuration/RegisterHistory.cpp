#include "RegisterHistory.h"

void RegisterHistoryState::clear()
{
    entries.fill(RegisterSnapshot{});
    historyPosition = 1;
    undoRedoActive = false;
}

void RegisterHistoryState::record(const RegisterSnapshot &current, bool initialLoadPending)
{
    if (initialLoadPending) {
        entries[0] = current;
    } else if (!undoRedoActive) {
        std::array<RegisterSnapshot, Size> next;
        next[0] = current;
        int to = 1;
        for (int from = historyPosition - 1; from < Size && to < Size; ++from, ++to)
            next[static_cast<size_t>(to)] = entries[static_cast<size_t>(from)];
        entries = std::move(next);
        historyPosition = 1;
    }
    undoRedoActive = false;
}

std::optional<RegisterSnapshot> RegisterHistoryState::undo()
{
    undoRedoActive = true;
    if (historyPosition <= 1)
        return std::nullopt;
    --historyPosition;
    return entries[static_cast<size_t>(historyPosition - 1)];
}

std::optional<RegisterSnapshot> RegisterHistoryState::redo()
{
    undoRedoActive = true;
    if (historyPosition >= Size || entries[static_cast<size_t>(historyPosition)].texts[0].isEmpty())
        return std::nullopt;
    ++historyPosition;
    return entries[static_cast<size_t>(historyPosition - 1)];
}
