#include "KrPageFile.h"

#include "Symbolstream.h"

#include <cmath>

namespace krpage {

// A page cut short (a truncated file) declares a symbols block longer than what
// is there: the records up to the cut are still read.
static QByteArray ClipSymbolsBlock(const QByteArray &data)
{
    constexpr int kLengthAt = 4 + 2 + 1; // magic, version, tag
    if (data.size() < kLengthAt + 4)
        return data;
    quint32 length = 0;
    for (int i = 3; i >= 0; --i)
        length = (length << 8) | quint8(data[kLengthAt + i]);
    const qint64 left = data.size() - (kLengthAt + 4);
    if (qint64(length) <= left)
        return data;
    QByteArray clipped = data;
    for (int i = 0; i < 4; ++i)
        clipped[kLengthAt + i] = char((quint64(left) >> (8 * i)) & 0xFF);
    return clipped;
}

QList<TKrPageRecord> ReadRecords(const QByteArray &original, QList<TKrLoadProblem> *problems, quint16 *version, bool *ok)
{
    QList<TKrPageRecord> records;
    *ok = false;
    *version = 0;
    const QByteArray data = ClipSymbolsBlock(original);
    const bool clipped = data != original;
    try {
        TKeloStream in(data);
        if (in.ReadUInt32() != kMagic)
            in.Fail(QStringLiteral("not a page file"));
        const quint16 v = in.ReadUInt16();
        if (v == 0)
            in.Fail(QStringLiteral("corrupt page format version"));
        *version = v;
        if (v > kFormatVersion)
            problems->append({QStringLiteral("page"), QStringLiteral("the page was written in format version %1 by a newer designer; what this version (%2) does not know is left out").arg(v).arg(kFormatVersion)});
        if (clipped)
            problems->append({QStringLiteral("page"), QStringLiteral("the page file is cut short; the symbols after the cut are missing")});
        const TKeloStream::Block block = in.EnterBlock();
        if (block.tag != 'S')
            in.Fail(QStringLiteral("the page holds no symbols block"));
        const quint32 n = in.ReadUInt32();
        // Nothing is allocated by the count: records are read while they are there.
        if (qint64(n) * 5 > in.Remaining())
            problems->append({QStringLiteral("page"), QStringLiteral("the page names %1 symbols, more than it holds").arg(n)});
        for (quint32 i = 0; i < n && !in.AtEnd(); ++i) {
            const qint64 recordStart = in.Position();
            const TKeloStream::Block rb = in.EnterBlock();
            TKrPageRecord r;
            r.position = int(i);
            try {
                if (rb.tag != 'Y')
                    in.Fail(QStringLiteral("not a symbol record"));
                r.guid = in.ReadString();
                r.name = in.ReadString();
                r.owner = in.ReadString();
                r.parent = in.ReadString();
                r.shown = in.ReadBool();
                r.grouped = in.ReadBool();
                r.left = in.ReadDouble();
                r.top = in.ReadDouble();
                r.width = in.ReadDouble();
                r.height = in.ReadDouble();
                r.scale = in.ReadDouble();
                r.design = in.ReadBytes();
                r.runtime = in.ReadBytes();
            } catch (const EKrStreamError &e) {
                // The record's frame is sound: only this record is lost.
                in.LeaveBlock(rb);
                problems->append({r.name.isEmpty() ? QStringLiteral("symbol %1").arg(i + 1) : r.name, QStringLiteral("corrupt symbol record (%1); the symbol is left out").arg(e.Text())});
                continue;
            }
            in.LeaveBlock(rb); // fields of later versions are skipped
            r.raw = data.mid(recordStart, rb.end - recordStart);
            auto finite = [](double x) { return std::isfinite(x) && std::abs(x) < 1.0e6; };
            if (!finite(r.left) || !finite(r.top) || !finite(r.width) || !finite(r.height) || r.width < 0 || r.height < 0) {
                problems->append({r.name, QStringLiteral("corrupt place and size; the symbol is placed at the origin")});
                r.left = r.top = 0;
                r.width = r.height = 0.05;
            }
            if (!(r.scale > 0) || !finite(r.scale))
                r.scale = 1.0;
            records.append(r);
        }
        in.LeaveBlock(block);
        *ok = true;
    } catch (const EKrStreamError &e) {
        problems->append({QStringLiteral("page"), QStringLiteral("cannot read the page: %1").arg(e.Text())});
        // Records read before the damage are still good.
        *ok = !records.isEmpty();
    }
    return records;
}

QByteArray WriteRawRecords(const QList<TKrPageRecord> &records)
{
    TKeloStream out;
    out.WriteUInt32(kMagic);
    out.WriteUInt16(kFormatVersion);
    const qint64 block = out.BeginBlock('S');
    out.WriteUInt32(quint32(records.size()));
    for (const TKrPageRecord &r : records)
        out.WriteRaw(r.raw);
    out.EndBlock(block);
    return out.Data();
}

} // namespace krpage
