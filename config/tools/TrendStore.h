#pragma once
// The values of the live trend, without widgets: six channels (flow, instant flow,
// temperature-compensated flow, temperature, volume 1 and 2) fed with the values the
// polling cycle reads, kept at full rate for the recent span (ten minutes) and as
// averages with their minimum and maximum over fixed intervals for the long span (24
// hours). Memory is bounded whatever the run time and the feed rate.
//
// A gap (the device lost, a failed read, no value for longer than gapMs) is kept as a
// break of the line: the views get a point with a NaN value there, never a line
// drawn to zero.
#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>

#include <deque>
#include <vector>

namespace trend {

enum Channel : int { Flow, InstantFlow, TCFlow, Temperature, Volume1, Volume2, ChannelCount };

// The channel a slot of the polling cycle feeds; -1 for slots the trend does not show.
int channelOfSlot(int slot);
// Untranslated caption and the column name of the CSV file.
QString channelCaption(int channel);
QString channelKey(int channel);

struct Limits {
    qint64 recentSpanMs = 10 * 60 * 1000;       // full rate
    qint64 longSpanMs = 24LL * 60 * 60 * 1000;  // decimated
    qint64 bucketMs = 10 * 1000;                // one averaged point per channel and bucket
    qint64 gapMs = 5000;                        // longer without a value: a gap
    int maxRecentPoints = 20 * 60 * 10;         // per channel: ten minutes at 20 values a second
};

struct Sample {
    qint64 ms = 0;    // milliseconds since the epoch (UTC)
    double value = 0; // NaN: a gap starts here
};

struct Bucket {
    qint64 startMs = 0;
    double sum = 0;
    float minimum = 0;
    float maximum = 0;
    int count = 0;
    bool gapBefore = false; // the line is broken before this bucket
    double mean() const { return count ? sum / count : 0; }
};

class TrendStore {
public:
    explicit TrendStore(const Limits &limits = Limits());

    const Limits &limits() const { return m_limits; }

    // A value read at ms; a value that is not finite counts as a gap. Values older than
    // the channel's newest one are ignored (a clock set back).
    void add(int channel, qint64 ms, double value);
    // The device stopped answering at ms: every channel breaks its line.
    void addGap(qint64 ms);
    void clear();

    // Full-rate points of the recent span, oldest first, NaN where the line breaks.
    QList<QPointF> recent(int channel) const;
    // Averages of the long span, oldest first, NaN where the line breaks.
    QList<QPointF> history(int channel) const;
    // The stored samples and buckets, for export and tests.
    const std::deque<Sample> &samples(int channel) const { return m_channels[size_t(channel)].recent; }
    const std::deque<Bucket> &buckets(int channel) const { return m_channels[size_t(channel)].buckets; }

    qint64 newestMs() const { return m_newestMs; }
    // Changes with every value, gap or clearing that changes what is stored: a view
    // that has drawn this revision has nothing new to draw.
    quint64 revision() const { return m_revision; }
    bool isEmpty() const;
    // What the stored data takes in memory, in bytes (samples, buckets, containers).
    size_t memoryBytes() const;

    // The recent (full-rate) samples as CSV, independent of the user's locale:
    // "time,channel,value" with ISO 8601 UTC times to the millisecond, values with "."
    // and up to nine significant digits; a gap is a line with an empty value.
    QByteArray recentCsv() const;
    // The long span's averages as CSV: "time,channel,mean,minimum,maximum".
    QByteArray historyCsv() const;

private:
    struct ChannelData {
        std::deque<Sample> recent;
        std::deque<Bucket> buckets;
        qint64 lastMs = -1;
        bool gapPending = false; // the next bucket starts after a gap
    };
    void trim(ChannelData &data, qint64 now);

    Limits m_limits;
    std::vector<ChannelData> m_channels;
    qint64 m_newestMs = -1;
    quint64 m_revision = 0;
};

// Reads a CSV written by recentCsv back (time, channel and value of each line);
// false when a line does not parse.
struct CsvRow {
    qint64 ms = 0;
    QString channel;
    double value = 0; // NaN for a gap
};
bool parseCsv(const QByteArray &csv, QList<CsvRow> &rows);

} // namespace trend
