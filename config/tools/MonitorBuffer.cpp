#include "MonitorBuffer.h"

namespace monitor {

QString Entry::traceLine() const
{
    QString line = automation::accessKindText(kind) + QLatin1Char(' ') + member;
    if (hasValue)
        line += QLatin1Char(' ') + valueText();
    return line;
}

MonitorBuffer::MonitorBuffer(int capacity) : m_capacity(qMax(1, capacity)) {}

const Entry &MonitorBuffer::at(int index) const
{
    return m_ring[(m_head + size_t(index)) % m_ring.size()];
}

void MonitorBuffer::clear()
{
    m_ring.clear();
    m_ring.shrink_to_fit();
    m_head = 0;
    m_size = 0;
}

void MonitorBuffer::add(const automation::Access &access, qint64 ms)
{
    if (access.kind == automation::Access::Kind::Put
        && access.member.compare(QLatin1String("PhysId"), Qt::CaseInsensitive) == 0) {
        m_selectionOf = access.object;
        m_selection = access.valueText();
    }
    Entry e;
    e.ms = ms;
    e.kind = access.kind;
    if (access.object == m_selectionOf)
        e.variable = m_selection;
    e.member = access.member;
    e.value = access.value;
    e.hasValue = access.hasValue;
    e.errorCode = access.outcome;
    e.formatter = access.formatter;
    add(std::move(e));
}

void MonitorBuffer::add(Entry entry)
{
    const qint64 second = entry.ms / 1000;
    if (second != m_second) {
        m_lastSecondCount = second == m_second + 1 ? m_secondCount : 0;
        m_second = second;
        m_secondCount = 0;
    }
    ++m_secondCount;
    ++m_total;
    if (m_ring.size() < size_t(m_capacity)) {
        m_ring.push_back(std::move(entry));
        ++m_size;
        return;
    }
    // Full: the newest entry takes the place of the oldest.
    m_ring[m_head] = std::move(entry);
    m_head = (m_head + 1) % m_ring.size();
}

int MonitorBuffer::perSecond(qint64 ms) const
{
    const qint64 second = ms / 1000;
    if (second == m_second)
        return m_lastSecondCount;
    if (second == m_second + 1)
        return m_secondCount;
    return 0;
}

bool MonitorBuffer::matches(const Entry &entry, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    return entry.variable.contains(filter, Qt::CaseInsensitive) || entry.traceLine().contains(filter, Qt::CaseInsensitive)
           || QString::number(entry.errorCode) == filter;
}

} // namespace monitor
