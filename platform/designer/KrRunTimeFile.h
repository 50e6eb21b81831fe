#pragma once
// The run-time data of a page (what the operator changed while the page ran),
// kept beside the page file: "plant.krpage" keeps it in "plant.krrun". The file
// holds, for each symbol by name, the bytes its SaveRunTimeData wrote.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class TKrDrawingPage;

class KrRunTimeFile {
public:
    static constexpr quint32 kMagic = 0x4E52524B; // "KRRN"
    static constexpr quint16 kVersion = 1;

    // The run-time file of a page file.
    static QString FileNameFor(const QString &pageFile);
    // Every symbol's run-time data, encoded.
    static QByteArray Collect(TKrDrawingPage *page);
    // Gives each symbol named in data its run-time data; the names not found or
    // whose data is damaged are returned (a damaged file gives what it held up
    // to the damage).
    static QStringList Apply(TKrDrawingPage *page, const QByteArray &data);
    static bool Save(TKrDrawingPage *page, const QString &pageFile, QString *error);
    // Nothing happens when there is no such file.
    static QStringList Load(TKrDrawingPage *page, const QString &pageFile);
};
