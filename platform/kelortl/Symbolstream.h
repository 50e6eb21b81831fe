#pragma once
// Design and run-time streams of the symbols.
//
// TKeloStream is a little-endian byte stream held in memory. Writing appends;
// reading is checked everywhere: a read past the end of the data (or of the block
// being read), a length or count that cannot fit in what is left, a nesting
// deeper than kMaxDepth or text that is not valid UTF-8 raises EKrStreamError
// with the offset and the cause. Nothing is allocated for a length before it has
// been checked against the bytes that are really there.
//
// Blocks: BeginBlock(tag) writes the tag byte and a four-byte length that
// EndBlock fills in. EnterBlock reads them, checks the length and limits every
// read to the block; LeaveBlock skips whatever the reader did not consume. So a
// reader skips data it does not know and sees the end of a block where newer
// data is missing.

#include "KrGlobal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>

class KRTL_EXPORT EKrStreamError : public std::runtime_error {
public:
    EKrStreamError(const QString &text, qint64 offset);
    QString Text() const { return m_text; }
    qint64 Offset() const { return m_offset; }

private:
    QString m_text;
    qint64 m_offset;
};

class KRTL_EXPORT TKeloStream {
public:
    static constexpr int kMaxDepth = 48;
    static constexpr qint64 kMaxTextBytes = 16 * 1024 * 1024;

    TKeloStream();                                  // empty, for writing
    explicit TKeloStream(const QByteArray &data);   // for reading (writing appends)
    virtual ~TKeloStream();

    const QByteArray &Data() const { return m_data; }
    qint64 Size() const { return m_data.size(); }
    qint64 Position() const { return m_pos; }
    // Moves the read position; must stay within the current block.
    void Seek(qint64 pos);
    // Bytes left to read in the current block (or in the whole stream).
    qint64 Remaining() const { return Limit() - m_pos; }
    bool AtEnd() const { return m_pos >= Limit(); }

    // Writing (always at the end of the data).
    void WriteByte(quint8 v);
    void WriteBool(bool v);
    void WriteInt16(qint16 v);
    void WriteUInt16(quint16 v);
    void WriteInt32(qint32 v);
    void WriteUInt32(quint32 v);
    void WriteInt64(qint64 v);
    void WriteDouble(double v);
    void WriteRaw(const QByteArray &bytes);
    // Four-byte byte count, then the bytes.
    void WriteBytes(const QByteArray &bytes);
    // Four-byte byte count, then the text in UTF-8.
    void WriteString(const QString &s);
    void WriteStringList(const QStringList &list);

    // Reading (from the read position, checked).
    quint8 ReadByte();
    quint8 PeekByte();            // next byte without consuming it
    int PeekByteOrEnd();          // next byte, or -1 at the end of the block
    bool ReadBool();              // a byte 0 or 1; anything else is corrupt
    qint16 ReadInt16();
    quint16 ReadUInt16();
    qint32 ReadInt32();
    quint32 ReadUInt32();
    qint64 ReadInt64();
    double ReadDouble();
    QByteArray ReadRaw(qint64 count);
    QByteArray ReadBytes();
    QString ReadString();
    // Reads a text like ReadString, but bytes that are not valid UTF-8 are
    // passed over and give false (and an empty text); only a length that does
    // not fit raises.
    bool TryReadString(QString *out);
    QStringList ReadStringList();
    // Raises unless count items of at least minItemBytes each fit in what is left.
    void CheckCount(quint32 count, qint64 minItemBytes);

    // Blocks.
    struct Block {
        quint8 tag = 0;
        qint64 start = 0; // first byte of the contents
        qint64 end = 0;   // just past the contents
    };
    qint64 BeginBlock(quint8 tag);
    void EndBlock(qint64 marker);
    Block EnterBlock();
    // Enters the next block only if its tag matches; returns false (reading
    // nothing) when the block ends here or a block of another tag follows.
    bool EnterBlockIf(quint8 tag, Block *block);
    void LeaveBlock(const Block &block);
    void SkipBlock() { LeaveBlock(EnterBlock()); }
    int Depth() const { return int(m_limits.size()); }

    [[noreturn]] void Fail(const QString &cause) const;

    // Strict UTF-8 decoding (no overlong forms, surrogates or truncated sequences).
    static bool DecodeUtf8(const QByteArray &bytes, QString *out);

private:
    qint64 Limit() const { return m_limits.isEmpty() ? m_data.size() : m_limits.last(); }
    void Need(qint64 count, const char *what);
    template <class T>
    T ReadLE(const char *what);
    template <class T>
    void WriteLE(T v);

    QByteArray m_data;
    qint64 m_pos = 0;
    QList<qint64> m_limits;
};

// Design data of a symbol: published properties and child elements, and any
// fields a component appends.
class KRTL_EXPORT TSymbolStream : public TKeloStream {
public:
    using TKeloStream::TKeloStream;
};

// Run-time data of a symbol: what the operator changed while the page ran.
class KRTL_EXPORT TRunTimeStream : public TKeloStream {
public:
    using TKeloStream::TKeloStream;
};

// RAII helpers for blocks.
class KRTL_EXPORT TKeloBlockWriter {
public:
    TKeloBlockWriter(TKeloStream &s, quint8 tag) : m_s(s), m_marker(s.BeginBlock(tag)) {}
    ~TKeloBlockWriter() { m_s.EndBlock(m_marker); }

private:
    TKeloStream &m_s;
    qint64 m_marker;
};

// Property lists and object records: the encoding the base classes use for the
// published properties and the child elements of symbols and elements.
//
//   object    := block 'K' { u16 format version, block 'P' properties, block 'E' elements, further blocks }
//   properties:= u32 count, count x (string name, u8 type, block 'V' value)
//   elements  := u32 count, count x (string label, string class name, object)
//
// Value types: 1 bool, 2 int32, 3 int64, 4 double, 5 string, 6 bytes,
// 7 string list, 8 uint32. A value of an unknown type is skipped; a reader that
// knows a newer version of an object reads what it knows and keeps defaults for
// the rest.
//
// Only framing errors (a block that does not fit, a bad block tag, a count that
// cannot fit) make a read raise. Inside a length-prefixed block damage stays in
// that block: a value that does not decode reads as an invalid value, a name or
// label that is not valid text is passed over, and element data that is not an
// object is kept as it is, for KrReadElement to refuse when it is applied.
namespace krstream {

constexpr quint8 kObjectTag = 'K';
constexpr quint8 kPropertiesTag = 'P';
constexpr quint8 kElementsTag = 'E';
constexpr quint8 kValueTag = 'V';
constexpr quint16 kObjectFormatVersion = 1;

enum ValueType : quint8 { vtBool = 1, vtInt32 = 2, vtInt64 = 3, vtDouble = 4, vtString = 5, vtBytes = 6, vtStringList = 7, vtUInt32 = 8 };

struct Property {
    QString name;
    QVariant value;   // invalid for a value of an unknown type or one that does not decode
    friend bool operator==(const Property &a, const Property &b) { return a.name == b.name && a.value == b.value; }
};

struct ElementRecord {
    QString label;
    QString className;
    QByteArray data;  // the element's block (an object block), tag and length included
    friend bool operator==(const ElementRecord &a, const ElementRecord &b)
    {
        return a.label == b.label && a.className == b.className && a.data == b.data;
    }
};

struct ObjectRecord {
    quint16 version = kObjectFormatVersion;
    QList<Property> properties;
    QList<ElementRecord> elements;
    bool hasProperties = false;
    bool hasElements = false;
};

// Writes a value with its type tag; raises std::invalid_argument for a type
// that has no encoding.
KRTL_EXPORT void WriteValue(TKeloStream &s, const QVariant &v);
KRTL_EXPORT bool CanEncode(const QVariant &v);
KRTL_EXPORT void WriteProperties(TKeloStream &s, const QList<Property> &props);
KRTL_EXPORT QList<Property> ReadProperties(TKeloStream &s);

KRTL_EXPORT void WriteObject(TKeloStream &s, const ObjectRecord &rec);
// Reads one object block from the stream (and only that block).
KRTL_EXPORT ObjectRecord ReadObject(TKeloStream &s);

} // namespace krstream
