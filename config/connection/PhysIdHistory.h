#pragma once
// The PhysId history: most recent first, at most 100 entries, compared without
// regard to case.
#include <QStringList>

namespace physid {

constexpr int MaxHistory = 100;

// Position of id in list (case-insensitive), -1 when absent.
int indexIn(const QStringList &list, const QString &id);

// The history as stored between runs ("0" at the top): each text once, at most 100.
QStringList fromStored(const QStringList &stored);

} // namespace physid
