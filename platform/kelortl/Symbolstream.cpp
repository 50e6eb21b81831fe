#include "Symbolstream.h"

#include <QtEndian>
#include <cstring>

EKrStreamError::EKrStreamError(const QString &text, qint64 offset)
    : std::runtime_error(QStringLiteral("%1 (at byte %2)").arg(text).arg(offset).toStdString()), m_text(text), m_offset(offset)
{
}

TKeloStream::TKeloStream() = default;
TKeloStream::TKeloStream(const QByteArray &data) : m_data(data) {}
TKeloStream::~TKeloStream() = default;

void TKeloStream::Fail(const QString &cause) const
{
    throw EKrStreamError(cause, m_pos);
}

void TKeloStream::Seek(qint64 pos)
{
    if (pos < 0 || pos > Limit())
        Fail(QStringLiteral("seek outside the data"));
    m_pos = pos;
}

void TKeloStream::Need(qint64 count, const char *what)
{
    if (count < 0 || count > Remaining())
        Fail(QStringLiteral("stream truncated: %1 needs %2 bytes, %3 left").arg(QLatin1String(what)).arg(count).arg(Remaining()));
}

template <class T>
T TKeloStream::ReadLE(const char *what)
{
    Need(qint64(sizeof(T)), what);
    T v;
    std::memcpy(&v, m_data.constData() + m_pos, sizeof(T));
    m_pos += qint64(sizeof(T));
    return qFromLittleEndian(v);
}

template <class T>
void TKeloStream::WriteLE(T v)
{
    v = qToLittleEndian(v);
    m_data.append(reinterpret_cast<const char *>(&v), qsizetype(sizeof(T)));
}

void TKeloStream::WriteByte(quint8 v) { m_data.append(char(v)); }
void TKeloStream::WriteBool(bool v) { WriteByte(v ? 1 : 0); }
void TKeloStream::WriteInt16(qint16 v) { WriteLE(v); }
void TKeloStream::WriteUInt16(quint16 v) { WriteLE(v); }
void TKeloStream::WriteInt32(qint32 v) { WriteLE(v); }
void TKeloStream::WriteUInt32(quint32 v) { WriteLE(v); }
void TKeloStream::WriteInt64(qint64 v) { WriteLE(v); }

void TKeloStream::WriteDouble(double v)
{
    quint64 bits;
    static_assert(sizeof(bits) == sizeof(v));
    std::memcpy(&bits, &v, sizeof(v));
    WriteLE(bits);
}

void TKeloStream::WriteRaw(const QByteArray &bytes) { m_data.append(bytes); }

void TKeloStream::WriteBytes(const QByteArray &bytes)
{
    WriteUInt32(quint32(bytes.size()));
    WriteRaw(bytes);
}

void TKeloStream::WriteString(const QString &s) { WriteBytes(s.toUtf8()); }

void TKeloStream::WriteStringList(const QStringList &list)
{
    WriteUInt32(quint32(list.size()));
    for (const QString &s : list)
        WriteString(s);
}

quint8 TKeloStream::ReadByte()
{
    Need(1, "a byte");
    return quint8(m_data.at(m_pos++));
}

quint8 TKeloStream::PeekByte()
{
    Need(1, "a byte");
    return quint8(m_data.at(m_pos));
}

int TKeloStream::PeekByteOrEnd()
{
    return AtEnd() ? -1 : int(quint8(m_data.at(m_pos)));
}

bool TKeloStream::ReadBool()
{
    const quint8 b = ReadByte();
    if (b > 1)
        Fail(QStringLiteral("corrupt boolean value %1").arg(b));
    return b == 1;
}

qint16 TKeloStream::ReadInt16() { return ReadLE<qint16>("a 16-bit integer"); }
quint16 TKeloStream::ReadUInt16() { return ReadLE<quint16>("a 16-bit integer"); }
qint32 TKeloStream::ReadInt32() { return ReadLE<qint32>("a 32-bit integer"); }
quint32 TKeloStream::ReadUInt32() { return ReadLE<quint32>("a 32-bit integer"); }
qint64 TKeloStream::ReadInt64() { return ReadLE<qint64>("a 64-bit integer"); }

double TKeloStream::ReadDouble()
{
    const quint64 bits = ReadLE<quint64>("a real");
    double v;
    std::memcpy(&v, &bits, sizeof(v));
    return v;
}

QByteArray TKeloStream::ReadRaw(qint64 count)
{
    Need(count, "raw data");
    QByteArray out = m_data.mid(m_pos, count);
    m_pos += count;
    return out;
}

QByteArray TKeloStream::ReadBytes()
{
    const quint32 n = ReadUInt32();
    if (qint64(n) > Remaining())
        Fail(QStringLiteral("corrupt length %1: only %2 bytes left").arg(n).arg(Remaining()));
    return ReadRaw(qint64(n));
}

bool TKeloStream::TryReadString(QString *out)
{
    const quint32 n = ReadUInt32();
    if (qint64(n) > kMaxTextBytes)
        Fail(QStringLiteral("text of %1 bytes exceeds the limit").arg(n));
    if (qint64(n) > Remaining())
        Fail(QStringLiteral("corrupt text length %1: only %2 bytes left").arg(n).arg(Remaining()));
    const QByteArray bytes = ReadRaw(qint64(n));
    QString text;
    if (!DecodeUtf8(bytes, &text)) {
        if (out)
            out->clear();
        return false;
    }
    if (out)
        *out = text;
    return true;
}

QString TKeloStream::ReadString()
{
    const qint64 start = m_pos;
    QString out;
    if (!TryReadString(&out)) {
        m_pos = start;
        Fail(QStringLiteral("text is not valid UTF-8"));
    }
    return out;
}

QStringList TKeloStream::ReadStringList()
{
    const quint32 n = ReadUInt32();
    CheckCount(n, 4);
    QStringList list;
    list.reserve(qsizetype(n));
    for (quint32 i = 0; i < n; ++i)
        list.append(ReadString());
    return list;
}

void TKeloStream::CheckCount(quint32 count, qint64 minItemBytes)
{
    if (minItemBytes < 1)
        minItemBytes = 1;
    if (qint64(count) > Remaining() / minItemBytes)
        Fail(QStringLiteral("corrupt count %1: at most %2 items can follow").arg(count).arg(Remaining() / minItemBytes));
}

qint64 TKeloStream::BeginBlock(quint8 tag)
{
    WriteByte(tag);
    const qint64 marker = m_data.size();
    WriteUInt32(0);
    return marker;
}

void TKeloStream::EndBlock(qint64 marker)
{
    if (marker < 0 || marker + 4 > m_data.size())
        return;
    const qint64 length = m_data.size() - marker - 4;
    const quint32 le = qToLittleEndian(quint32(length));
    std::memcpy(m_data.data() + marker, &le, 4);
}

TKeloStream::Block TKeloStream::EnterBlock()
{
    if (m_limits.size() >= kMaxDepth)
        Fail(QStringLiteral("blocks nested deeper than %1").arg(kMaxDepth));
    Block b;
    b.tag = ReadByte();
    const quint32 length = ReadUInt32();
    if (qint64(length) > Remaining())
        Fail(QStringLiteral("corrupt block length %1: only %2 bytes left").arg(length).arg(Remaining()));
    b.start = m_pos;
    b.end = m_pos + qint64(length);
    m_limits.append(b.end);
    return b;
}

bool TKeloStream::EnterBlockIf(quint8 tag, Block *block)
{
    if (PeekByteOrEnd() != int(tag))
        return false;
    *block = EnterBlock();
    return true;
}

void TKeloStream::LeaveBlock(const Block &block)
{
    if (m_limits.isEmpty() || m_limits.last() != block.end)
        Fail(QStringLiteral("blocks left out of order"));
    m_limits.removeLast();
    m_pos = block.end;
}

bool TKeloStream::DecodeUtf8(const QByteArray &bytes, QString *out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString s;
    s.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const unsigned c = p[i];
        char32_t cp;
        int extra;
        if (c < 0x80) {
            s.append(QChar(char16_t(c)));
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp >= 0x10000) {
            s.append(QChar(QChar::highSurrogate(cp)));
            s.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            s.append(QChar(char16_t(cp)));
        }
        i += extra + 1;
    }
    if (out)
        *out = s;
    return true;
}

namespace krstream {

bool CanEncode(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QStringList:
    case QMetaType::UInt:
        return true;
    default:
        return false;
    }
}

void WriteValue(TKeloStream &s, const QVariant &v)
{
    quint8 type;
    switch (v.typeId()) {
    case QMetaType::Bool: type = vtBool; break;
    case QMetaType::Int: type = vtInt32; break;
    case QMetaType::LongLong: type = vtInt64; break;
    case QMetaType::Double: type = vtDouble; break;
    case QMetaType::QString: type = vtString; break;
    case QMetaType::QByteArray: type = vtBytes; break;
    case QMetaType::QStringList: type = vtStringList; break;
    case QMetaType::UInt: type = vtUInt32; break;
    default:
        throw std::invalid_argument(std::string("no stream encoding for values of type ") + (v.typeName() ? v.typeName() : "invalid"));
    }
    s.WriteByte(type);
    TKeloBlockWriter block(s, kValueTag);
    switch (type) {
    case vtBool: s.WriteBool(v.toBool()); break;
    case vtInt32: s.WriteInt32(v.toInt()); break;
    case vtInt64: s.WriteInt64(v.toLongLong()); break;
    case vtDouble: s.WriteDouble(v.toDouble()); break;
    case vtString: s.WriteString(v.toString()); break;
    case vtBytes: s.WriteBytes(v.toByteArray()); break;
    case vtStringList: s.WriteStringList(v.toStringList()); break;
    case vtUInt32: s.WriteUInt32(v.toUInt()); break;
    }
}

// The value's block is its framing: a bad tag or a length that does not fit
// raises. What lies inside is decoded on its own; a value that does not decode
// (a boolean byte other than 0 or 1, text that is not UTF-8, a length or count
// that overruns the block) is invalid, and reading goes on after the block.
static QVariant ReadValue(TKeloStream &s)
{
    const quint8 type = s.ReadByte();
    const TKeloStream::Block b = s.EnterBlock();
    if (b.tag != kValueTag)
        s.Fail(QStringLiteral("bad value tag %1").arg(b.tag));
    QVariant v;
    try {
        switch (type) {
        case vtBool: v = s.ReadBool(); break;
        case vtInt32: v = s.ReadInt32(); break;
        case vtInt64: v = s.ReadInt64(); break;
        case vtDouble: v = s.ReadDouble(); break;
        case vtString: v = s.ReadString(); break;
        case vtBytes: v = s.ReadBytes(); break;
        case vtStringList: v = s.ReadStringList(); break;
        case vtUInt32: v = s.ReadUInt32(); break;
        default: break; // a type of a later version: skipped, left invalid
        }
    } catch (const EKrStreamError &) {
        v = QVariant();
    }
    s.LeaveBlock(b);
    return v;
}

void WriteProperties(TKeloStream &s, const QList<Property> &props)
{
    s.WriteUInt32(quint32(props.size()));
    for (const Property &p : props) {
        s.WriteString(p.name);
        WriteValue(s, p.value);
    }
}

QList<Property> ReadProperties(TKeloStream &s)
{
    const quint32 n = s.ReadUInt32();
    s.CheckCount(n, 4 + 1 + 5);
    QList<Property> props;
    props.reserve(qsizetype(n));
    for (quint32 i = 0; i < n; ++i) {
        Property p;
        // A name that is not valid text names nothing; its value is still read
        // past, and the property is left out.
        const bool named = s.TryReadString(&p.name);
        p.value = ReadValue(s);
        if (named)
            props.append(p);
    }
    return props;
}

void WriteObject(TKeloStream &s, const ObjectRecord &rec)
{
    TKeloBlockWriter object(s, kObjectTag);
    s.WriteUInt16(rec.version);
    {
        TKeloBlockWriter block(s, kPropertiesTag);
        WriteProperties(s, rec.properties);
    }
    {
        TKeloBlockWriter block(s, kElementsTag);
        s.WriteUInt32(quint32(rec.elements.size()));
        for (const ElementRecord &e : rec.elements) {
            s.WriteString(e.label);
            s.WriteString(e.className);
            s.WriteRaw(e.data);
        }
    }
}

ObjectRecord ReadObject(TKeloStream &s)
{
    ObjectRecord rec;
    const TKeloStream::Block object = s.EnterBlock();
    if (object.tag != kObjectTag)
        s.Fail(QStringLiteral("expected object data, found tag %1").arg(object.tag));
    rec.version = s.ReadUInt16();
    if (rec.version == 0)
        s.Fail(QStringLiteral("corrupt object format version 0"));
    while (!s.AtEnd()) {
        const TKeloStream::Block b = s.EnterBlock();
        if (b.tag == kPropertiesTag && !rec.hasProperties) {
            rec.properties = ReadProperties(s);
            rec.hasProperties = true;
        } else if (b.tag == kElementsTag && !rec.hasElements) {
            const quint32 n = s.ReadUInt32();
            s.CheckCount(n, 4 + 4 + 5);
            rec.elements.reserve(qsizetype(n));
            for (quint32 i = 0; i < n; ++i) {
                // Label and class that are not valid text match no element;
                // data that is not an object leaves its element at its
                // defaults when it is read (KrReadElement). Either way the
                // element's block is passed and the others still load.
                ElementRecord e;
                s.TryReadString(&e.label);
                s.TryReadString(&e.className);
                const qint64 start = s.Position();
                s.SkipBlock();
                e.data = s.Data().mid(start, s.Position() - start);
                rec.elements.append(e);
            }
            rec.hasElements = true;
        }
        // Blocks of later versions (and repeated blocks) are skipped.
        s.LeaveBlock(b);
    }
    s.LeaveBlock(object);
    return rec;
}

} // namespace krstream
