#pragma once
// Unit AutoShowU: open symbols with "Auto show" and the floors they show.

#include "OpenFloorInterface.h"

class TKrComponent;

namespace AutoShowU {

// Whether the symbol is an open symbol whose auto show is on.
bool IsAutoShowOpen(QObject *symbol);
// The work floor of that name, found through the lookup of the top-most
// drawing item of from; nullptr when missing or not a floor.
IKRWorkFloor *FindWorkFloor(QObject *from, const QString &name);
// Calls Refresh on every auto-show open symbol owned by owner, last to first;
// the index is clamped again when a refresh removed components.
void RefreshEmbeddedOpens(TKrComponent *owner);

} // namespace AutoShowU
