#include "KRLanguage.h"
#include "StringToolsU.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

namespace {

struct LanguageEntry {
    int id;
    const char *extension;
    QLocale::Language language;
    QLocale::Territory territory;
};

// Windows language identifiers the program has translation files for, with the
// language and country Windows pairs with each identifier.
const LanguageEntry kLanguages[] = {
    {1025, ".ara", QLocale::Arabic, QLocale::SaudiArabia},
    {1026, ".bul", QLocale::Bulgarian, QLocale::Bulgaria},
    {1027, ".cat", QLocale::Catalan, QLocale::Spain},
    {1028, ".tra", QLocale::Chinese, QLocale::Taiwan},
    {1029, ".cze", QLocale::Czech, QLocale::CzechRepublic},
    {1030, ".dan", QLocale::Danish, QLocale::Denmark},
    {1031, ".deu", QLocale::German, QLocale::Germany},
    {1032, ".gre", QLocale::Greek, QLocale::Greece},
    {1033, ".une", QLocale::English, QLocale::UnitedStates},
    {1034, ".esp", QLocale::Spanish, QLocale::Spain},
    {1035, ".fin", QLocale::Finnish, QLocale::Finland},
    {1036, ".fra", QLocale::French, QLocale::France},
    {1037, ".heb", QLocale::Hebrew, QLocale::Israel},
    {1038, ".hun", QLocale::Hungarian, QLocale::Hungary},
    {1039, ".isl", QLocale::Icelandic, QLocale::Iceland},
    {1040, ".ita", QLocale::Italian, QLocale::Italy},
    {1041, ".jap", QLocale::Japanese, QLocale::Japan},
    {1042, ".kor", QLocale::Korean, QLocale::SouthKorea},
    {1043, ".nld", QLocale::Dutch, QLocale::Netherlands},
    {1044, ".nor", QLocale::NorwegianBokmal, QLocale::Norway},
    {1045, ".pol", QLocale::Polish, QLocale::Poland},
    {1046, ".ptg", QLocale::Portuguese, QLocale::Brazil},
    {1047, ".rha", QLocale::Romansh, QLocale::Switzerland},
    {1048, ".rom", QLocale::Romanian, QLocale::Romania},
    {1049, ".rus", QLocale::Russian, QLocale::Russia},
    {1050, ".cro", QLocale::Croatian, QLocale::Croatia},
    {1051, ".slo", QLocale::Slovak, QLocale::Slovakia},
    {1052, ".alb", QLocale::Albanian, QLocale::Albania},
    {1053, ".sve", QLocale::Swedish, QLocale::Sweden},
    {1054, ".tha", QLocale::Thai, QLocale::Thailand},
    {1055, ".tur", QLocale::Turkish, QLocale::Turkey},
    {1056, ".urd", QLocale::Urdu, QLocale::Pakistan},
    {1057, ".bah", QLocale::Indonesian, QLocale::Indonesia},
    {2052, ".sim", QLocale::Chinese, QLocale::China},
    {2055, ".swg", QLocale::German, QLocale::Switzerland},
    {2057, ".eng", QLocale::English, QLocale::UnitedKingdom},
    {2058, ".mex", QLocale::Spanish, QLocale::Mexico},
    {2060, ".bef", QLocale::French, QLocale::Belgium},
    {2064, ".swi", QLocale::Italian, QLocale::Switzerland},
    {2067, ".bed", QLocale::Dutch, QLocale::Belgium},
    {2068, ".non", QLocale::NorwegianNynorsk, QLocale::Norway},
    {2070, ".por", QLocale::Portuguese, QLocale::Portugal},
    {2074, ".ser", QLocale::Serbian, QLocale::Serbia},
    {3084, ".frc", QLocale::French, QLocale::Canada},
    {4108, ".swf", QLocale::French, QLocale::Switzerland},
};

QString withTrailingSlash(const QString &directory)
{
    if (directory.isEmpty() || directory.endsWith(QLatin1Char('/')))
        return directory;
    return directory + QLatin1Char('/');
}

QString currentApplicationDirectory()
{
    if (QCoreApplication::instance())
        return withTrailingSlash(QCoreApplication::applicationDirPath());
    return withTrailingSlash(QDir::currentPath());
}

QString currentApplicationTitle()
{
    // The display name falls back to the application name when none was set.
    return QGuiApplication::applicationDisplayName();
}

// Splits file contents into lines; CR LF, LF and CR alone each end a line, a last
// line without an end counts, and the end of the last line does not start an empty one.
QStringList splitLines(const QByteArray &data)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = data.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && data.at(end) != '\n' && data.at(end) != '\r')
            ++end;
        lines.append(QString::fromLatin1(data.constData() + start, end - start));
        if (end + 1 < size && data.at(end) == '\r' && data.at(end + 1) == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

// Reads a whole translation file into data: only a regular file of at most limit
// bytes, counted as they are read (a device can report any size).
bool readWholeFile(const QString &path, qint64 limit, QByteArray &data)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    data = input.read(limit + 1);
    return input.error() == QFileDevice::NoError && data.size() <= limit;
}

} // namespace

TKRLanguage::TKRLanguage(QObject *owner)
    : TKRLanguage(currentApplicationDirectory(), currentApplicationTitle(),
                  systemLanguageExtension(), owner)
{
}

TKRLanguage::TKRLanguage(const QString &applicationDirectory, const QString &applicationTitle,
                         const QString &languageExtension, QObject *owner)
    : QObject(owner),
      m_applicationDirectory(withTrailingSlash(applicationDirectory)),
      m_applicationTitle(applicationTitle),
      m_languageExtension(languageExtension)
{
    load(defaultFileName());
}

TKRLanguage::~TKRLanguage()
{
    save(effectiveFileName());
}

QString TKRLanguage::userFileName() const
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || m_applicationTitle.isEmpty())
        return QString();
    return data + QStringLiteral("/KR/") + m_applicationTitle + m_languageExtension;
}

QString TKRLanguage::defaultFileName() const
{
    return m_applicationDirectory + m_applicationTitle + m_languageExtension;
}

QString TKRLanguage::effectiveFileName() const
{
    return m_fileName.isEmpty() ? defaultFileName() : m_fileName;
}

void TKRLanguage::setFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    save(effectiveFileName());
    m_fileName = fileName;
    load(effectiveFileName());
}

QString TKRLanguage::Translate(const QString &text)
{
    const QString key = AsciiLowerCase(text) + QLatin1Char('=');
    for (qsizetype i = 0; i < m_lowerTable.size(); ++i) {
        if (m_lowerTable.at(i).startsWith(key)) {
            const QString translation = m_table.at(i).mid(key.size());
            return translation.isEmpty() ? text : translation;
        }
    }
    appendLine(text + QLatin1Char('='));
    m_modified = true;
    return text;
}

void TKRLanguage::appendLine(const QString &line)
{
    m_table.append(line);
    m_lowerTable.append(AsciiLowerCase(line));
}

void TKRLanguage::load(const QString &file)
{
    m_table.clear();
    m_lowerTable.clear();
    m_modified = false;
    m_unreadFile.clear();
    if (file.isEmpty())
        return;
    QByteArray data;
    if (!readWholeFile(file, MaxFileBytes, data)) {
        if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
            m_unreadFile = file;
        return;
    }
    for (const QString &line : splitLines(data))
        appendLine(line);
    if (file == defaultFileName())
        loadUserAdditions();
}

// The lines of the user's own copy of the default file that the table does not have:
// the texts an installed program met in earlier runs.
void TKRLanguage::loadUserAdditions()
{
    const QString user = userFileName();
    if (user.isEmpty() || user == defaultFileName())
        return;
    QFile input(user);
    if (!input.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = input.readAll();
    if (input.error() != QFileDevice::NoError)
        return;
    // A line is known when the table has its source text (compared as Translate does).
    auto keyOf = [](const QString &lowerLine) {
        const qsizetype equals = lowerLine.indexOf(QLatin1Char('='));
        return equals < 0 ? lowerLine : lowerLine.left(equals + 1);
    };
    QSet<QString> known;
    for (const QString &line : std::as_const(m_lowerTable))
        known.insert(keyOf(line));
    for (const QString &line : splitLines(data)) {
        const QString key = keyOf(AsciiLowerCase(line));
        if (!known.contains(key)) {
            known.insert(key);
            appendLine(line);
        }
    }
}

bool TKRLanguage::save(const QString &file)
{
    if (!m_modified)
        return true;
    if (file.isEmpty() || (!m_unreadFile.isEmpty() && file == m_unreadFile))
        return false;
    QByteArray data;
    for (const QString &line : std::as_const(m_table)) {
        data += line.toLatin1();
        data += "\r\n";
    }
    auto write = [&data](const QString &name) {
        QSaveFile output(name);
        if (!output.open(QIODevice::WriteOnly))
            return false;
        if (output.write(data) != data.size()) {
            output.cancelWriting();
            return false;
        }
        return output.commit();
    };
    bool written = write(file);
    // An installed program cannot write its own folder: the additions are kept in the
    // user's data folder instead of being lost. (A program folder that does not exist
    // is no installation: its additions stay in memory.)
    if (!written && file == defaultFileName() && QFileInfo(m_applicationDirectory).isDir()) {
        const QString user = userFileName();
        written = !user.isEmpty() && QDir().mkpath(QFileInfo(user).absolutePath()) && write(user);
    }
    if (!written)
        return false;
    m_modified = false;
    return true;
}

QString TKRLanguage::extensionForLanguageId(int languageId)
{
    if (languageId < 0)
        return QString();
    for (const LanguageEntry &entry : kLanguages) {
        if (entry.id == languageId)
            return QString::fromLatin1(entry.extension);
    }
    return QStringLiteral(".enu");
}

int TKRLanguage::windowsLanguageId(const QLocale &locale)
{
    const QLocale::Language language = locale.language();
    const QLocale::Territory territory = locale.territory();
    // Windows gives Serbian in Cyrillic script an identifier of its own.
    if (language == QLocale::Serbian && locale.script() == QLocale::CyrillicScript)
        return 0;
    for (const LanguageEntry &entry : kLanguages) {
        if (entry.language == language && entry.territory == territory)
            return entry.id;
    }
    if (territory == QLocale::AnyTerritory) {
        // A language without a country: the language's primary identifier.
        for (const LanguageEntry &entry : kLanguages) {
            if (entry.language == language && entry.id < 2048)
                return entry.id;
        }
    }
    return 0;
}

QString TKRLanguage::systemLanguageExtension()
{
    return extensionForLanguageId(windowsLanguageId(QLocale::system()));
}

QString krTranslate(TKRLanguage *language, const QString &text)
{
    return language ? language->Translate(text) : text;
}
