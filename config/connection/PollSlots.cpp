#include "PollSlots.h"

namespace {
const char *const Variables[PollSlotCount + 1] = {
    "", ".MeterSize", ".Ti", ".PiCode", ".MeterNumber", ".Scale", ".Code1", ".Code2", ".Code3",
    ".Flow", ".Volume1", ".Volume2", ".InstantFlow", ".TCFlow", ".Temperature", ".SetPoint",
    ".Input1", ".Output2", ".Output3", ".Available", ".BatchStart",
};
} // namespace

QString pollVariable(int slot)
{
    return slot >= 1 && slot <= PollSlotCount ? QLatin1String(Variables[slot]) : QString();
}

QString registerEditName(int slot)
{
    return slot >= 1 && slot <= 8 ? QStringLiteral("edConE%1").arg(slot) : QString();
}
