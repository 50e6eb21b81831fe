#include "ReportBuilder.h"

#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace report {

namespace {
QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString row(const QString &caption, const QString &value)
{
    return QStringLiteral("<tr><td style=\"padding-right:16px\"><b>%1</b></td><td>%2</td></tr>").arg(esc(caption), esc(value));
}
} // namespace

QString html(const ReportData &d, const Translate &tr)
{
    QString h;
    h += QStringLiteral("<html><body style=\"font-family:sans-serif\">");
    h += QStringLiteral("<h1>%1</h1>").arg(esc(tr(QStringLiteral("KR 715 commissioning report"))));
    h += QStringLiteral("<p>%1: %2</p>")
             .arg(esc(tr(QStringLiteral("Date and time"))),
                  esc(QLocale().toString(d.created, QLocale::LongFormat)) + QStringLiteral(" (")
                      + esc(d.created.toString(Qt::ISODate)) + QLatin1Char(')'));

    h += QStringLiteral("<h2>%1</h2><table>").arg(esc(tr(QStringLiteral("Identification"))));
    h += row(tr(QStringLiteral("Meter:")), d.physId);
    h += row(tr(QStringLiteral("Device Type:")), d.deviceType);
    h += row(tr(QStringLiteral("Program Version:")), d.programVersion);
    h += row(tr(QStringLiteral("Serial number")), d.serialNumber);
    h += row(tr(QStringLiteral("P-NET adr (Node Address) Dec:")), d.nodeAddress);
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h2>%1</h2><table>").arg(esc(tr(QStringLiteral("Settings"))));
    for (const QString &line : d.settings) {
        const int colon = line.indexOf(QStringLiteral(": "));
        h += colon > 0 ? row(line.left(colon), line.mid(colon + 2)) : row(line, QString());
    }
    if (!d.unitName.isEmpty())
        h += row(tr(QStringLiteral("Volume unit")), d.unitName);
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h2>%1</h2><table>").arg(esc(tr(QStringLiteral("Registers"))));
    for (int reg = 1; reg <= 8; ++reg)
        h += row(QStringLiteral("E%1").arg(reg), d.registers[size_t(reg)]);
    h += QStringLiteral("</table>");

    h += QStringLiteral("<h2>%1</h2>").arg(esc(tr(QStringLiteral("Last calibration"))));
    if (d.calibration.done) {
        h += QStringLiteral("<table>");
        h += row(tr(QStringLiteral("Actual volume")), d.calibration.actualVolume);
        h += row(tr(QStringLiteral("Counted volume")), d.calibration.countedVolume);
        h += row(tr(QStringLiteral("Old meter size")), d.calibration.oldMeterSize);
        h += row(tr(QStringLiteral("New meter size")), d.calibration.newMeterSize);
        h += QStringLiteral("</table>");
    } else {
        h += QStringLiteral("<p>%1</p>").arg(esc(tr(QStringLiteral("No calibration recorded"))));
    }

    h += QStringLiteral("<h2>%1</h2>").arg(esc(tr(QStringLiteral("Error history"))));
    if (d.errors.isEmpty()) {
        h += QStringLiteral("<p>%1</p>").arg(esc(tr(QStringLiteral("No errors"))));
    } else {
        h += QStringLiteral("<ol>");
        for (const QString &e : d.errors)
            h += QStringLiteral("<li>%1</li>").arg(esc(e));
        h += QStringLiteral("</ol>");
    }

    h += QStringLiteral("<h2>%1</h2>").arg(esc(tr(QStringLiteral("Memo"))));
    h += QStringLiteral("<p>%1</p>").arg(esc(d.memo).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    h += QStringLiteral("</body></html>");
    return h;
}

void fillDocument(QTextDocument &document, const ReportData &data, const Translate &translate)
{
    document.setHtml(html(data, translate));
}

bool writePdf(const QString &path, const ReportData &data, const Translate &translate, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(translate(QStringLiteral("KR 715 commissioning report")) + QStringLiteral(" ") + data.physId);
        writer.setCreator(QStringLiteral("KR715Config"));
        QTextDocument document;
        fillDocument(document, data, translate);
        document.print(&writer);
    }
    if (file.error() != QFileDevice::NoError || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace report
