#pragma once
// Unit OpenListU: the auto-show open symbols among a floor's relations, in
// z-order, and the pick of the top-most one that passes a test.

#include "OpenFloorInterface.h"

#include <QList>
#include <functional>

namespace OpenListU {

// The relations of the floor that are open symbols with auto show on, lowest
// first (sorted with CompTopMost when there is more than one).
QList<QObject *> AutoShowOpens(QObject *floor);
// From the last (top-most) down, the first symbol accept answers true for; nullptr
// when none does.
QObject *TopMost(const QList<QObject *> &list, const std::function<bool(QObject *)> &accept);

} // namespace OpenListU
