#include "HelpLocation.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace helplocation {

bool hasUrlScheme(const QString &location)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(location).hasMatch();
}

void split(const QString &location, QString *file, QString *anchor)
{
    file->clear();
    anchor->clear();
    const QString text = location.trimmed();
    // A zero character cannot be part of a file name: such a location names no file.
    if (text.isEmpty() || text.contains(QChar(0)))
        return;
    if (hasUrlScheme(text)) {
        const QUrl url(text);
        if (url.isLocalFile()) {
            *file = url.toLocalFile();
            *anchor = url.fragment();
        }
        return;
    }
    // A path; an anchor follows the last "#" unless a folder separator comes after it.
    QString path = text;
    const qsizetype hash = text.lastIndexOf(QLatin1Char('#'));
    if (hash >= 0 && text.indexOf(QLatin1Char('/'), hash) < 0 && text.indexOf(QLatin1Char('\\'), hash) < 0) {
        path = text.left(hash);
        *anchor = text.mid(hash + 1);
    }
    if (!path.isEmpty())
        *file = QFileInfo(path).isAbsolute() ? path : QFileInfo(path).absoluteFilePath();
}

} // namespace helplocation
