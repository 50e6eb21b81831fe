#pragma once
// The text of a PDF file as poppler's pdftotext reads it (layout kept); empty when it
// cannot be read.
#include <QProcess>
#include <QString>

inline QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}
