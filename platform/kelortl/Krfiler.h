#pragma once
// The standard component-filer binary encoding of values, as written by the
// designer's component streaming: every value starts with a one-byte type tag.
//
//   list         1, the values, 0
//   integer      2 + one byte, 3 + two bytes, 4 + four bytes (the smallest that
//                fits), 19 + eight bytes; all little-endian and signed
//   text         6 + one-byte length (up to 255 bytes), 12 + four-byte length;
//                18 + four-byte count of UTF-16 units; 20 + four-byte length
//   booleans     8 false, 9 true
//
// The writer writes texts as UTF-8 under tags 6 and 12. The reader accepts every
// form above, checks each length against the data that is there and raises
// EKrStreamError on corrupt input.

#include "Symbolstream.h"

enum TValueType : quint8 {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

class KRTL_EXPORT TKrFilerWriter {
public:
    explicit TKrFilerWriter(TKeloStream &s) : m_s(s) {}
    void WriteListBegin() { m_s.WriteByte(vaList); }
    void WriteListEnd() { m_s.WriteByte(vaNull); }
    void WriteInteger(qint64 v);
    void WriteString(const QString &v);
    void WriteBoolean(bool v) { m_s.WriteByte(v ? vaTrue : vaFalse); }
    // A list of texts: list start, each text, list end.
    void WriteStringList(const QStringList &list);

private:
    TKeloStream &m_s;
};

class KRTL_EXPORT TKrFilerReader {
public:
    explicit TKrFilerReader(TKeloStream &s) : m_s(s) {}
    // Type tag of the next value, or -1 at the end of the data.
    int NextValue() { return m_s.PeekByteOrEnd(); }
    bool NextIsInteger();
    bool NextIsString();
    void ReadListBegin();
    bool EndOfList();           // true when the list-end byte follows
    void ReadListEnd();
    qint64 ReadInt64();
    // An integer of 32 bits; a larger value is corrupt.
    qint32 ReadInteger();
    QString ReadString();
    bool ReadBoolean();
    // A list of texts (list start, texts, list end).
    QStringList ReadStringList();
    // Skips one value of any type this reader knows (lists nest up to kMaxDepth).
    void SkipValue();

private:
    void SkipValue(int depth);
    TKeloStream &m_s;
};
