#include "TrendStore.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

namespace trend {

namespace {
constexpr double Gap = std::numeric_limits<double>::quiet_NaN();

QByteArray isoTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
}

QByteArray number(double v)
{
    return QByteArray::number(v, 'g', 9);
}
} // namespace

int channelOfSlot(int slot)
{
    switch (slot) {
    case 9: return Flow;
    case 10: return Volume1;
    case 11: return Volume2;
    case 12: return InstantFlow;
    case 13: return TCFlow;
    case 14: return Temperature;
    default: return -1;
    }
}

QString channelCaption(int channel)
{
    switch (channel) {
    case Flow: return QStringLiteral("Flow");
    case InstantFlow: return QStringLiteral("Instant flow");
    case TCFlow: return QStringLiteral("Temperature compensated flow");
    case Temperature: return QStringLiteral("Temperature");
    case Volume1: return QStringLiteral("Volume1");
    case Volume2: return QStringLiteral("Volume2");
    default: return QString();
    }
}

QString channelKey(int channel)
{
    static const char *const Keys[] = {"flow", "instant_flow", "tc_flow", "temperature", "volume1", "volume2"};
    return channel >= 0 && channel < ChannelCount ? QLatin1String(Keys[channel]) : QString();
}

TrendStore::TrendStore(const Limits &limits) : m_limits(limits), m_channels(ChannelCount) {}

void TrendStore::clear()
{
    m_channels.assign(ChannelCount, ChannelData());
    m_newestMs = -1;
    ++m_revision;
}

bool TrendStore::isEmpty() const
{
    for (const ChannelData &c : m_channels)
        if (!c.recent.empty() || !c.buckets.empty())
            return false;
    return true;
}

void TrendStore::add(int channel, qint64 ms, double value)
{
    if (channel < 0 || channel >= ChannelCount)
        return;
    ChannelData &data = m_channels[size_t(channel)];
    if (ms < data.lastMs)
        return;
    const bool finite = std::isfinite(value);
    // A long silence breaks the line as a lost device does.
    if (finite && data.lastMs >= 0 && ms - data.lastMs > m_limits.gapMs
        && !(!data.recent.empty() && std::isnan(data.recent.back().value))) {
        data.recent.push_back({data.lastMs + 1, Gap});
        data.gapPending = true;
    }
    data.lastMs = ms;
    m_newestMs = qMax(m_newestMs, ms);
    ++m_revision;
    if (!finite) {
        if (data.recent.empty() || !std::isnan(data.recent.back().value))
            data.recent.push_back({ms, Gap});
        data.gapPending = true;
        trim(data, ms);
        return;
    }
    data.recent.push_back({ms, value});

    const qint64 start = ms - ms % m_limits.bucketMs;
    if (!data.buckets.empty() && data.buckets.back().startMs == start) {
        Bucket &b = data.buckets.back();
        b.sum += value;
        b.minimum = qMin(b.minimum, float(value));
        b.maximum = qMax(b.maximum, float(value));
        ++b.count;
        // A gap inside a bucket breaks the line after it.
    } else {
        Bucket b;
        b.startMs = start;
        b.sum = value;
        b.minimum = b.maximum = float(value);
        b.count = 1;
        b.gapBefore = data.gapPending
                      || (!data.buckets.empty() && start - data.buckets.back().startMs > m_limits.bucketMs);
        data.buckets.push_back(b);
    }
    data.gapPending = false;
    trim(data, ms);
}

void TrendStore::addGap(qint64 ms)
{
    for (int c = 0; c < ChannelCount; ++c) {
        ChannelData &data = m_channels[size_t(c)];
        if (data.lastMs < 0 || ms < data.lastMs)
            continue;
        if (!data.recent.empty() && std::isnan(data.recent.back().value))
            continue;
        data.recent.push_back({ms, Gap});
        data.gapPending = true;
        data.lastMs = ms;
        m_newestMs = qMax(m_newestMs, ms);
        ++m_revision;
        trim(data, ms);
    }
}

void TrendStore::trim(ChannelData &data, qint64 now)
{
    const qint64 recentFrom = now - m_limits.recentSpanMs;
    while (!data.recent.empty() && (data.recent.front().ms < recentFrom
                                    || data.recent.size() > size_t(m_limits.maxRecentPoints)))
        data.recent.pop_front();
    // A break at the very start breaks nothing.
    while (!data.recent.empty() && std::isnan(data.recent.front().value))
        data.recent.pop_front();
    const qint64 longFrom = now - m_limits.longSpanMs;
    const size_t maxBuckets = size_t(m_limits.longSpanMs / m_limits.bucketMs) + 2;
    while (!data.buckets.empty() && (data.buckets.front().startMs < longFrom || data.buckets.size() > maxBuckets))
        data.buckets.pop_front();
}

QList<QPointF> TrendStore::recent(int channel) const
{
    QList<QPointF> points;
    if (channel < 0 || channel >= ChannelCount)
        return points;
    const ChannelData &data = m_channels[size_t(channel)];
    points.reserve(qsizetype(data.recent.size()));
    for (const Sample &s : data.recent)
        points.append(QPointF(double(s.ms), s.value));
    return points;
}

QList<QPointF> TrendStore::history(int channel) const
{
    QList<QPointF> points;
    if (channel < 0 || channel >= ChannelCount)
        return points;
    const ChannelData &data = m_channels[size_t(channel)];
    points.reserve(qsizetype(data.buckets.size()) * 2);
    bool first = true;
    for (const Bucket &b : data.buckets) {
        if (b.gapBefore && !first)
            points.append(QPointF(double(b.startMs), Gap));
        // The average is drawn in the middle of its interval.
        points.append(QPointF(double(b.startMs + m_limits.bucketMs / 2), b.mean()));
        first = false;
    }
    return points;
}

size_t TrendStore::memoryBytes() const
{
    size_t bytes = sizeof(*this) + m_channels.capacity() * sizeof(ChannelData);
    for (const ChannelData &c : m_channels) {
        // A deque allocates whole blocks: count what they can hold, plus the block map.
        bytes += (c.recent.size() + 512 / sizeof(Sample) + 1) * sizeof(Sample);
        bytes += (c.buckets.size() + 512 / sizeof(Bucket) + 1) * sizeof(Bucket);
        bytes += (c.recent.size() * sizeof(Sample) / 512 + c.buckets.size() * sizeof(Bucket) / 512 + 16) * sizeof(void *);
    }
    return bytes;
}

QByteArray TrendStore::recentCsv() const
{
    struct Row {
        qint64 ms;
        int channel;
        double value;
    };
    std::vector<Row> rows;
    for (int c = 0; c < ChannelCount; ++c)
        for (const Sample &s : m_channels[size_t(c)].recent)
            rows.push_back({s.ms, c, s.value});
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.ms < b.ms; });
    QByteArray csv = "time,channel,value\r\n";
    for (const Row &r : rows) {
        csv += isoTime(r.ms) + ',' + channelKey(r.channel).toLatin1() + ',';
        if (!std::isnan(r.value))
            csv += number(r.value);
        csv += "\r\n";
    }
    return csv;
}

QByteArray TrendStore::historyCsv() const
{
    QByteArray csv = "time,channel,mean,minimum,maximum\r\n";
    struct Row {
        qint64 ms;
        int channel;
        const Bucket *bucket;
    };
    std::vector<Row> rows;
    for (int c = 0; c < ChannelCount; ++c)
        for (const Bucket &b : m_channels[size_t(c)].buckets)
            rows.push_back({b.startMs, c, &b});
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.ms < b.ms; });
    for (const Row &r : rows)
        csv += isoTime(r.ms) + ',' + channelKey(r.channel).toLatin1() + ',' + number(r.bucket->mean()) + ','
               + number(r.bucket->minimum) + ',' + number(r.bucket->maximum) + "\r\n";
    return csv;
}

bool parseCsv(const QByteArray &csv, QList<CsvRow> &rows)
{
    rows.clear();
    const QList<QByteArray> lines = csv.split('\n');
    bool header = true;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (header) {
            header = false;
            if (line.startsWith("time,"))
                continue;
        }
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 3)
            return false;
        const QDateTime t = QDateTime::fromString(QString::fromLatin1(fields.at(0)), Qt::ISODateWithMs);
        if (!t.isValid())
            return false;
        CsvRow row;
        row.ms = t.toMSecsSinceEpoch();
        row.channel = QString::fromLatin1(fields.at(1));
        if (fields.at(2).isEmpty()) {
            row.value = Gap;
        } else {
            bool ok = false;
            row.value = fields.at(2).toDouble(&ok); // QByteArray::toDouble is C-locale
            if (!ok)
                return false;
        }
        rows.append(row);
    }
    return !header;
}

} // namespace trend
