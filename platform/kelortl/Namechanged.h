#pragma once
// Unit Namechanged: the renames of the last paste. When the host pastes symbols
// whose names are taken, it gives them new names and records each old and new
// name here before the pasted symbols run InitSymbol; the record lasts until the
// next paste begins.

#include "KrGlobal.h"

#include <QString>

// The name that a pasted symbol (now called name) had before the paste; the name
// itself when it was not renamed.
KRTL_EXPORT QString FindNameChangedOld(const QString &name);
// The name now held by the symbol formerly called name; the name itself when
// nothing was renamed.
KRTL_EXPORT QString FindNameChangedNew(const QString &name);

// Host side.
KRTL_EXPORT void KrNameChangedClear();
KRTL_EXPORT void KrNameChangedAdd(const QString &oldName, const QString &newName);
