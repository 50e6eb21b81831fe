#pragma once
// The cycle of 20 device variables the poll serves, one a tick.

#include <QString>

// The variables of the cycle, by slot 1 to 20; slots 1 to 8 are the registers E1 to E8.
enum PollSlot : int {
    SlotMeterSize = 1, SlotTi, SlotPiCode, SlotMeterNumber, SlotScale, SlotCode1, SlotCode2, SlotCode3,
    SlotFlow, SlotVolume1, SlotVolume2, SlotInstantFlow, SlotTCFlow, SlotTemperature, SlotSetPoint,
    SlotInput1, SlotOutput2, SlotOutput3, SlotAvailable, SlotBatchStart
};

constexpr int PollSlotCount = 20;

// The device variable of a slot (".MeterSize" ... ".BatchStart"); empty outside 1 to 20.
QString pollVariable(int slot);

// The register edit of slots 1 to 8 ("edConE1" ... "edConE8"); empty for other slots.
QString registerEditName(int slot);

// E1, E2 and E5 hold reals; the other registers six hexadecimal digits.
inline bool isRealRegisterSlot(int slot) { return slot == SlotMeterSize || slot == SlotTi || slot == SlotScale; }
