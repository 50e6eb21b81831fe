#pragma once
// The page file's records, read without any widget: what the drawing page reads
// before it makes symbols, and what the page loader's fuzz target drives.
//
// Page file: u32 magic "KRPG", u16 format version, block 'S' { u32 count, count
// x block 'Y' { string library GUID, string name, string owner, string parent
// widget, bool shown, bool grouped, 4 x double place and size, double scale,
// bytes design data, bytes run-time data, fields of later versions } }.
//
// Reading keeps what is sound: a record whose frame is sound but whose fields
// are not is passed over; a file cut short gives the records before the cut; a
// count larger than the records there is not trusted. Each record read keeps
// its bytes as they were, so it can be written back unchanged.

#include "KrHostGlobal.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct KRHOST_EXPORT TKrLoadProblem {
    QString path;
    QString reason;
    QString ToString() const { return path + QStringLiteral(": ") + reason; }
};

struct KRHOST_EXPORT TKrPageRecord {
    QString guid;
    QString name;
    QString owner;   // empty: the page (or the paste's owner)
    QString parent;  // empty: the owner's widget
    bool shown = true;
    bool grouped = false;
    double left = 0, top = 0, width = 0, height = 0;
    double scale = 1.0;
    QByteArray design;
    QByteArray runtime;
    QByteArray raw;   // the whole record as read
    int position = 0; // its index in the file
};

namespace krpage {
constexpr quint32 kMagic = 0x4750524B; // "KRPG"
constexpr quint16 kFormatVersion = 1;

// The records of a page file. ok is false when the data is no page at all (or
// nothing of it could be read); problems get what was wrong; version the format
// version read (0 when none).
KRHOST_EXPORT QList<TKrPageRecord> ReadRecords(const QByteArray &data, QList<TKrLoadProblem> *problems, quint16 *version, bool *ok);
// A page file of the records as they were read (their raw bytes).
KRHOST_EXPORT QByteArray WriteRawRecords(const QList<TKrPageRecord> &records);
} // namespace krpage
