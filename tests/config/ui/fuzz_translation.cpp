// libFuzzer target of the translation file reader: any bytes load into a table of
// lines; a text looked up is answered from its first matching line; a text that is
// missing is appended once; and the table written at the end reads back as it was.
#include "KRLanguage.h"
#include "StringToolsU.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

const QString Title = QStringLiteral("KR715 config");
const QString Extension = QStringLiteral(".deu");

// A folder in memory where there is one: every run writes the file twice.
QString folder()
{
    static QTemporaryDir dir((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath())
                             + QStringLiteral("/fuzz_translation-XXXXXX"));
    return dir.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = folder() + QLatin1Char('/') + Title + Extension;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            abort();
    }
    QStringList expected;
    {
        TKRLanguage language(folder(), Title, Extension);
        const QStringList table = language.table();
        const qsizetype ends = bytes.count('\n') + bytes.count('\r');
        if (table.size() > ends + 1)
            abort();
        for (const QString &line : table)
            if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
                abort();
        // Each source text of the first lines finds a translation or itself.
        for (qsizetype i = 0; i < table.size() && i < 8; ++i) {
            const qsizetype equals = table.at(i).indexOf(QLatin1Char('='));
            if (equals <= 0)
                continue;
            const QString source = table.at(i).left(equals);
            if (source.contains(QLatin1Char('\0')))
                continue;
            language.Translate(source);
        }
        if (language.isModified())
            abort(); // every source text was in the table
        const QString missing = QStringLiteral("\x01 not in any table \x01");
        language.Translate(missing);
        language.Translate(missing);
        if (language.table().size() != table.size() + 1 || language.table().last() != missing + QLatin1Char('='))
            abort();
        expected = language.table();
    }
    TKRLanguage again(folder(), Title, Extension);
    if (again.table() != expected)
        abort();
    return 0;
}
