#include "Krfiler.h"

#include <limits>

void TKrFilerWriter::WriteInteger(qint64 v)
{
    if (v >= std::numeric_limits<qint8>::min() && v <= std::numeric_limits<qint8>::max()) {
        m_s.WriteByte(vaInt8);
        m_s.WriteByte(quint8(qint8(v)));
    } else if (v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max()) {
        m_s.WriteByte(vaInt16);
        m_s.WriteInt16(qint16(v));
    } else if (v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max()) {
        m_s.WriteByte(vaInt32);
        m_s.WriteInt32(qint32(v));
    } else {
        m_s.WriteByte(vaInt64);
        m_s.WriteInt64(v);
    }
}

void TKrFilerWriter::WriteString(const QString &v)
{
    const QByteArray bytes = v.toUtf8();
    if (bytes.size() <= 255) {
        m_s.WriteByte(vaString);
        m_s.WriteByte(quint8(bytes.size()));
    } else {
        m_s.WriteByte(vaLString);
        m_s.WriteUInt32(quint32(bytes.size()));
    }
    m_s.WriteRaw(bytes);
}

void TKrFilerWriter::WriteStringList(const QStringList &list)
{
    WriteListBegin();
    for (const QString &s : list)
        WriteString(s);
    WriteListEnd();
}

bool TKrFilerReader::NextIsInteger()
{
    const int t = NextValue();
    return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64;
}

bool TKrFilerReader::NextIsString()
{
    const int t = NextValue();
    return t == vaString || t == vaLString || t == vaWString || t == vaUTF8String;
}

void TKrFilerReader::ReadListBegin()
{
    const quint8 t = m_s.ReadByte();
    if (t != vaList)
        m_s.Fail(QStringLiteral("expected a list, found value type %1").arg(t));
}

bool TKrFilerReader::EndOfList()
{
    return m_s.PeekByte() == vaNull;
}

void TKrFilerReader::ReadListEnd()
{
    const quint8 t = m_s.ReadByte();
    if (t != vaNull)
        m_s.Fail(QStringLiteral("expected the end of a list, found value type %1").arg(t));
}

qint64 TKrFilerReader::ReadInt64()
{
    const quint8 t = m_s.ReadByte();
    switch (t) {
    case vaInt8: return qint8(m_s.ReadByte());
    case vaInt16: return m_s.ReadInt16();
    case vaInt32: return m_s.ReadInt32();
    case vaInt64: return m_s.ReadInt64();
    default: m_s.Fail(QStringLiteral("expected an integer, found value type %1").arg(t));
    }
}

qint32 TKrFilerReader::ReadInteger()
{
    const qint64 pos = m_s.Position();
    const qint64 v = ReadInt64();
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()) {
        m_s.Seek(pos);
        m_s.Fail(QStringLiteral("integer %1 out of range").arg(v));
    }
    return qint32(v);
}

QString TKrFilerReader::ReadString()
{
    const qint64 start = m_s.Position();
    const quint8 t = m_s.ReadByte();
    qint64 length;
    switch (t) {
    case vaString: length = m_s.ReadByte(); break;
    case vaLString:
    case vaUTF8String: length = m_s.ReadUInt32(); break;
    case vaWString: {
        const quint32 units = m_s.ReadUInt32();
        if (qint64(units) > m_s.Remaining() / 2)
            m_s.Fail(QStringLiteral("corrupt text length %1").arg(units));
        const QByteArray raw = m_s.ReadRaw(qint64(units) * 2);
        QString s(qsizetype(units), Qt::Uninitialized);
        for (quint32 i = 0; i < units; ++i)
            s[i] = QChar(char16_t(quint8(raw[2 * i]) | (quint8(raw[2 * i + 1]) << 8)));
        // Unpaired surrogates are not text.
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            if (s[i].isSurrogate()) {
                m_s.Seek(start);
                m_s.Fail(QStringLiteral("text holds an unpaired surrogate"));
            }
        }
        return s;
    }
    default: m_s.Fail(QStringLiteral("expected a text, found value type %1").arg(t));
    }
    if (length > m_s.Remaining())
        m_s.Fail(QStringLiteral("corrupt text length %1: only %2 bytes left").arg(length).arg(m_s.Remaining()));
    if (length > TKeloStream::kMaxTextBytes)
        m_s.Fail(QStringLiteral("text of %1 bytes exceeds the limit").arg(length));
    const QByteArray bytes = m_s.ReadRaw(length);
    QString s;
    if (!TKeloStream::DecodeUtf8(bytes, &s)) {
        m_s.Seek(start);
        m_s.Fail(QStringLiteral("text is not valid UTF-8"));
    }
    return s;
}

bool TKrFilerReader::ReadBoolean()
{
    const quint8 t = m_s.ReadByte();
    if (t == vaTrue)
        return true;
    if (t == vaFalse)
        return false;
    m_s.Fail(QStringLiteral("expected a boolean, found value type %1").arg(t));
}

QStringList TKrFilerReader::ReadStringList()
{
    ReadListBegin();
    QStringList list;
    while (!EndOfList())
        list.append(ReadString());
    ReadListEnd();
    return list;
}

void TKrFilerReader::SkipValue()
{
    SkipValue(0);
}

void TKrFilerReader::SkipValue(int depth)
{
    if (depth > TKeloStream::kMaxDepth)
        m_s.Fail(QStringLiteral("lists nested too deeply"));
    const int t = NextValue();
    switch (t) {
    case vaList:
        m_s.ReadByte();
        while (!EndOfList())
            SkipValue(depth + 1);
        m_s.ReadByte();
        return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        ReadInt64();
        return;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        ReadString();
        return;
    case vaFalse:
    case vaTrue:
    case vaNil:
    case vaNull:
        m_s.ReadByte();
        return;
    case vaExtended:
        m_s.ReadByte();
        m_s.ReadRaw(10);
        return;
    case vaSingle:
        m_s.ReadByte();
        m_s.ReadRaw(4);
        return;
    case vaCurrency:
    case vaDate:
        m_s.ReadByte();
        m_s.ReadRaw(8);
        return;
    case vaBinary: {
        m_s.ReadByte();
        const quint32 n = m_s.ReadUInt32();
        if (qint64(n) > m_s.Remaining())
            m_s.Fail(QStringLiteral("corrupt binary length %1").arg(n));
        m_s.ReadRaw(n);
        return;
    }
    case vaIdent: {
        m_s.ReadByte();
        const quint8 n = m_s.ReadByte();
        m_s.ReadRaw(n);
        return;
    }
    case -1:
        m_s.Fail(QStringLiteral("stream truncated: a value is missing"));
    default:
        m_s.Fail(QStringLiteral("unknown value type %1").arg(t));
    }
}
