// libFuzzer target of the help location parser: any text splits into a file and an
// anchor without failing, the same way every time; a plain path keeps its anchor
// apart from the file, and the file of a plain path is absolute.
#include "HelpLocation.h"

#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString location = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString file, anchor, fileAgain, anchorAgain;
    helplocation::split(location, &file, &anchor);
    helplocation::split(location, &fileAgain, &anchorAgain);
    if (file != fileAgain || anchor != anchorAgain)
        abort();
    const QString text = location.trimmed();
    if (!helplocation::hasUrlScheme(text)) {
        if (anchor.contains(QLatin1Char('/')) || anchor.contains(QLatin1Char('\\')))
            abort();
        if (!file.isEmpty() && !QDir::isAbsolutePath(file))
            abort();
        // The file and the anchor are the location again (the file made absolute).
        if (!anchor.isEmpty() && !text.endsWith(QLatin1Char('#') + anchor))
            abort();
    }
    return 0;
}
