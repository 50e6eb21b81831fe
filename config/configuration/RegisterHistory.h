#pragma once
// The undo history of the register set.
//
// A snapshot holds the texts of the seven editable registers E1, E2, E3, E5, E6, E7,
// E8 (E4, the meter number, is never part of it). The history keeps 100 snapshots,
// entry 1 the newest; historyPosition is the entry the register edits show.
// "Redo" steps to the next older snapshot and "Undo" to the next newer one.

#include <QString>
#include <array>
#include <optional>

struct RegisterSnapshot {
    static constexpr int Count = 7;
    std::array<QString, Count> texts;
    bool operator==(const RegisterSnapshot &) const = default;

    // The register number (1 to 8, without 4) of text i.
    static int registerOf(int i) { return i < 3 ? i + 1 : i + 2; }
    // The text index of register reg; -1 for E4 and numbers that are no register.
    static int indexOf(int reg) { return reg >= 1 && reg <= 3 ? reg - 1 : reg >= 5 && reg <= 8 ? reg - 2 : -1; }
};

struct RegisterHistoryState {
    static constexpr int Size = 100;
    std::array<RegisterSnapshot, Size> entries; // index 0 is entry 1
    int historyPosition = 1;
    bool undoRedoActive = false;
    RegisterSnapshot lastRecorded;

    // A new device: all entries empty, position 1.
    void clear();

    // Records the current texts. While the first load from a device is pending the
    // newest entry is replaced; after an undo or redo nothing is stored; otherwise the
    // texts become entry 1, the entries newer than the shown one are dropped.
    void record(const RegisterSnapshot &current, bool initialLoadPending);

    // The snapshot to show, or nothing when there is no newer / older one.
    std::optional<RegisterSnapshot> undo();
    std::optional<RegisterSnapshot> redo();
};
