#pragma once
// The commissioning report, without widgets: one document with the device
// identification, every setting in words, the raw registers, the last calibration,
// the error history, the operator's memo and the date and time, written as a PDF.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QTextDocument;

namespace report {

struct Calibration {
    bool done = false;     // a calibration was calculated and stored
    QString oldMeterSize;
    QString actualVolume;  // measured by the reference
    QString countedVolume; // Volume2 counted by the meter
    QString newMeterSize;
};

struct ReportData {
    QString physId;
    QString deviceType;
    QString programVersion;
    QString serialNumber;
    QString nodeAddress;
    QString unitName;        // the volume unit of the meter size
    QStringList settings;    // "caption: value", translated
    std::array<QString, 9> registers; // E1 to E8 (index 0 unused)
    Calibration calibration;
    QStringList errors;      // the error history, newest first
    QString memo;
    QDateTime created;
};

using Translate = std::function<QString(const QString &)>;

// The report as HTML (every text of the program through translate; the operator's
// texts escaped).
QString html(const ReportData &data, const Translate &translate);
// Lays the report out in a document for preview or printing.
void fillDocument(QTextDocument &document, const ReportData &data, const Translate &translate);

// Writes the report as a PDF file (A4), atomically: the file is replaced only when all
// of it was written. On failure the reason is in error (the file system's words).
bool writePdf(const QString &path, const ReportData &data, const Translate &translate, QString *error);

} // namespace report
