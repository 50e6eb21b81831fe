#pragma once
// The bus monitor's record of server accesses, without widgets: a ring of the newest
// entries (older ones drop out, so memory stays bounded however long it runs), the
// variable each access applies to, a filter and the number of accesses per second.
// Recording copies shared data only; values become text when they are shown.
#include "AccessObserver.h"

#include <QList>
#include <QString>

#include <vector>

namespace monitor {

// One access as recorded: the value as it was put or got, written as text only when
// it is shown (valueText()), in the server's trace form.
struct Entry {
    qint64 ms = 0;           // when the access ended (milliseconds since the epoch)
    automation::Access::Kind kind = automation::Access::Kind::Get;
    QString variable;        // the selection the access applied to (the last PhysId put)
    QString member;
    QVariant value;          // invalid for a call
    bool hasValue = false;
    int errorCode = 0;       // the server's outcome after the access
    automation::ValueFormatter formatter = nullptr; // the server's trace form of values

    // The value as in the trace; empty for a call.
    QString valueText() const { return automation::Access::formatValue(value, hasValue, formatter); }
    // The line of the bus trace: "get value 12.5", "put PhysId FT1.Flow", "call DoRead".
    QString traceLine() const;
};

class MonitorBuffer {
public:
    static constexpr int DefaultCapacity = 20000;
    explicit MonitorBuffer(int capacity = DefaultCapacity);

    int capacity() const { return m_capacity; }
    // Entries held, at most the capacity; index 0 is the oldest.
    int size() const { return int(m_size); }
    const Entry &at(int index) const;
    // Entries ever added (also those that dropped out).
    qint64 total() const { return m_total; }
    void clear();

    // Records an access at ms; a put of PhysId changes the variable of the accesses that
    // follow (the selection of the server object that made the access).
    void add(const automation::Access &access, qint64 ms);
    void add(Entry entry);

    // Accesses counted in the last whole second before ms.
    int perSecond(qint64 ms) const;

    // Whether the entry contains the text (without regard to case) in its variable,
    // member, value, kind or error code; an empty filter matches every entry.
    static bool matches(const Entry &entry, const QString &filter);

private:
    int m_capacity;
    std::vector<Entry> m_ring;
    size_t m_head = 0; // index of the oldest entry
    size_t m_size = 0;
    qint64 m_total = 0;
    const automation::AutomationObject *m_selectionOf = nullptr;
    QString m_selection;
    qint64 m_second = -1;    // the second being counted
    int m_secondCount = 0;
    int m_lastSecondCount = 0;
};

} // namespace monitor
