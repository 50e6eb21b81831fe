// Text helpers and the translation table.
#include "KRLanguage.h"
#include "StringToolsU.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

// A translator whose default file is <dir>/KR715 config.deu.
std::unique_ptr<TKRLanguage> german(const QTemporaryDir &dir)
{
    return std::make_unique<TKRLanguage>(dir.path(), QStringLiteral("KR715 config"),
                                         QStringLiteral(".deu"));
}

} // namespace

class TestUiText : public QObject {
    Q_OBJECT
private slots:
    void replaceRange_data();
    void replaceRange();
    void replaceAll_data();
    void replaceAll();
    void rightStr();
    void asciiLowerCaseOnlyTouchesAscii();

    void defaultFileNameFromDirectoryTitleAndExtension();
    void caseInsensitiveMatchKeepsFileCase();
    void emptyTranslationGivesTextAndAddsNothing();
    void missingTextAppendedOnceAndSavedAtEnd();
    void longerSourceDoesNotMatch();
    void firstMatchingLineWins();
    void emptyRunWritesNothing();
    void unchangedTableIsNotRewritten();
    void readsLfAndCrLfWritesCrLf();
    void readsCrOnlyLineEnds();
    void specialFilesAreNeitherReadNorReplaced_data();
    void specialFilesAreNeitherReadNorReplaced();
    void otherLinesKeptInOrder();
    void eightBitCharactersRoundTrip();
    void fileNameSwitchSavesAndLoads();
    void sameFileNameDoesNothing();
    void emptyFileNameGoesBackToDefault();
    void unwritableFileKeepsAdditionsSilently();
    void languageExtensions();
    void applicationTitleComesFromDisplayName();
};

void TestUiText::replaceRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("insert");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digit 3 of register") << "120A00" << "4" << 1 << 3 << "124A00";
    QTest::newRow("first") << "abcdef" << "X" << 1 << 1 << "Xbcdef";
    QTest::newRow("last") << "abcdef" << "X" << 1 << 6 << "abcdeX";
    QTest::newRow("several") << "abcdef" << "XY" << 3 << 2 << "aXYef";
    QTest::newRow("count past end") << "abcdef" << "X" << 10 << 5 << "abcdX";
    QTest::newRow("insert only") << "abcdef" << "X" << 0 << 3 << "abXcdef";
    QTest::newRow("position after end appends") << "abc" << "X" << 1 << 4 << "abcX";
    QTest::newRow("position far after end appends") << "abc" << "X" << 2 << 9 << "abcX";
    QTest::newRow("position 0 inserts at start") << "abc" << "X" << 1 << 0 << "Xabc";
    QTest::newRow("negative count deletes nothing") << "abc" << "X" << -2 << 2 << "aXbc";
    QTest::newRow("empty text") << "" << "X" << 1 << 1 << "X";
}

void TestUiText::replaceRange()
{
    QFETCH(QString, text);
    QFETCH(QString, insert);
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, expected);
    QCOMPARE(ReplaceRange(text, insert, count, position), expected);
}

void TestUiText::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("case sensitive") << "a-A-a" << "a" << true << "x" << "x-A-x";
    QTest::newRow("ignoring case keeps other pieces") << "Unit/Min and UNIT" << "unit" << false
                                                       << "m3" << "m3/Min and m3";
    QTest::newRow("no overlap") << "aaaa" << "aa" << true << "b" << "bb";
    QTest::newRow("no overlap odd") << "aaa" << "aa" << true << "b" << "ba";
    QTest::newRow("replacement containing pattern") << "ab" << "a" << true << "aa" << "aab";
    QTest::newRow("absent") << "Flow" << "x" << false << "y" << "Flow";
    QTest::newRow("empty pattern") << "Flow" << "" << false << "y" << "Flow";
    QTest::newRow("non-ASCII compared exactly") << "Ä-ä" << "ä" << false << "x" << "Ä-x";
    QTest::newRow("whole") << "abc" << "ABC" << false << "" << "";
}

void TestUiText::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, caseSensitive);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(ReplaceAll(text, pattern, caseSensitive, replacement), expected);
}

void TestUiText::rightStr()
{
    QCOMPARE(RightStr(QStringLiteral("Reg E1: 1.5"), 3), QStringLiteral("1.5"));
    QCOMPARE(RightStr(QStringLiteral("abc"), 3), QStringLiteral("abc"));
    QCOMPARE(RightStr(QStringLiteral("abc"), 7), QStringLiteral("abc"));
    QCOMPARE(RightStr(QStringLiteral("abc"), 0), QString());
    QCOMPARE(RightStr(QStringLiteral("abc"), -1), QString());
    QCOMPARE(RightStr(QString(), 2), QString());
}

void TestUiText::asciiLowerCaseOnlyTouchesAscii()
{
    QCOMPARE(AsciiLowerCase(QStringLiteral("FLOW Ä Ø z")), QStringLiteral("flow Ä Ø z"));
}

void TestUiText::defaultFileNameFromDirectoryTitleAndExtension()
{
    QTemporaryDir dir;
    auto lang = german(dir);
    QCOMPARE(lang->defaultFileName(), dir.path() + QStringLiteral("/KR715 config.deu"));
    QCOMPARE(lang->applicationDirectory(), dir.path() + QLatin1Char('/'));
    QCOMPARE(lang->FileName(), QString());
    QCOMPARE(lang->effectiveFileName(), lang->defaultFileName());
}

void TestUiText::caseInsensitiveMatchKeepsFileCase()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("KR715 config.deu"), "FLOW=Durchfluss\r\nUnit/min=Einheit/MIN\r\n");
    auto lang = german(dir);
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Durchfluss"));
    QCOMPARE(lang->Translate(QStringLiteral("flow")), QStringLiteral("Durchfluss"));
    QCOMPARE(lang->Translate(QStringLiteral("UNIT/MIN")), QStringLiteral("Einheit/MIN"));
    QVERIFY(!lang->isModified());
    QCOMPARE(lang->table().size(), 2);
}

void TestUiText::emptyTranslationGivesTextAndAddsNothing()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("KR715 config.deu"), "Meter:=\r\n");
    auto lang = german(dir);
    QCOMPARE(lang->Translate(QStringLiteral("Meter:")), QStringLiteral("Meter:"));
    QCOMPARE(lang->Translate(QStringLiteral("METER:")), QStringLiteral("METER:"));
    QVERIFY(!lang->isModified());
    QCOMPARE(lang->table(), QStringList{QStringLiteral("Meter:=")});
}

void TestUiText::missingTextAppendedOnceAndSavedAtEnd()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    writeAll(file, "Flow=Durchfluss\r\n");
    {
        auto lang = german(dir);
        QCOMPARE(lang->Translate(QStringLiteral("Illegal Choice")), QStringLiteral("Illegal Choice"));
        QVERIFY(lang->isModified());
        // The second call finds the new line.
        QCOMPARE(lang->Translate(QStringLiteral("illegal choice")), QStringLiteral("illegal choice"));
        QCOMPARE(lang->Translate(QStringLiteral("Unit")), QStringLiteral("Unit"));
        QCOMPARE(lang->table(), (QStringList{QStringLiteral("Flow=Durchfluss"),
                                             QStringLiteral("Illegal Choice="),
                                             QStringLiteral("Unit=")}));
        // Nothing is written before the translator goes.
        QCOMPARE(readAll(file), QByteArray("Flow=Durchfluss\r\n"));
    }
    QCOMPARE(readAll(file), QByteArray("Flow=Durchfluss\r\nIllegal Choice=\r\nUnit=\r\n"));
}

void TestUiText::longerSourceDoesNotMatch()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("KR715 config.deu"), "Flow rate=Rate\r\nFlow=Durchfluss\r\n");
    auto lang = german(dir);
    // "Flow rate=" begins with "flow" but not with "flow=".
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Durchfluss"));
    QCOMPARE(lang->Translate(QStringLiteral("Flow ra")), QStringLiteral("Flow ra"));
    QVERIFY(lang->isModified());
    QCOMPARE(lang->table().last(), QStringLiteral("Flow ra="));
}

void TestUiText::firstMatchingLineWins()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("KR715 config.deu"), "Unit=Einheit\r\nunit=Zweite\r\nUnit=\r\n");
    auto lang = german(dir);
    QCOMPARE(lang->Translate(QStringLiteral("UNIT")), QStringLiteral("Einheit"));
    // A translation containing "=" is kept whole.
    writeAll(dir.filePath("other.txt"), "a=b=c\r\n");
    lang->setFileName(dir.filePath("other.txt"));
    QCOMPARE(lang->Translate(QStringLiteral("A")), QStringLiteral("b=c"));
}

void TestUiText::emptyRunWritesNothing()
{
    QTemporaryDir dir;
    {
        auto lang = german(dir);
        QVERIFY(lang->table().isEmpty());
    }
    QVERIFY(!QFile::exists(dir.filePath("KR715 config.deu")));
}

void TestUiText::unchangedTableIsNotRewritten()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    // LF endings and no final line end: a rewrite would show.
    writeAll(file, "Flow=Durchfluss\nUnit=Einheit");
    {
        auto lang = german(dir);
        QCOMPARE(lang->Translate(QStringLiteral("Unit")), QStringLiteral("Einheit"));
    }
    QCOMPARE(readAll(file), QByteArray("Flow=Durchfluss\nUnit=Einheit"));
}

void TestUiText::readsLfAndCrLfWritesCrLf()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    writeAll(file, "A=1\nB=2\r\nC=3");
    {
        auto lang = german(dir);
        QCOMPARE(lang->table(), (QStringList{"A=1", "B=2", "C=3"}));
        QCOMPARE(lang->Translate(QStringLiteral("c")), QStringLiteral("3"));
        lang->Translate(QStringLiteral("D"));
    }
    QCOMPARE(readAll(file), QByteArray("A=1\r\nB=2\r\nC=3\r\nD=\r\n"));
}

void TestUiText::readsCrOnlyLineEnds()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    writeAll(file, "Flow=Durchfluss\rFlow unit=Einheit\r\rB=2\r");
    auto lang = german(dir);
    QCOMPARE(lang->table(), (QStringList{"Flow=Durchfluss", "Flow unit=Einheit", "", "B=2"}));
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Durchfluss"));
    QCOMPARE(lang->Translate(QStringLiteral("B")), QStringLiteral("2"));
    QVERIFY(!lang->isModified());
}

// A translation file that is a FIFO, a link to /dev/zero or far too large: the program
// starts at once with an empty table, and what is there stays as it was.
void TestUiText::specialFilesAreNeitherReadNorReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("larger than the limit") << "large";
}

void TestUiText::specialFilesAreNeitherReadNorReplaced()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    } else {
        writeAll(file, "Flow=Durchfluss\r\n");
        QFile big(file);
        QVERIFY(big.resize(TKRLanguage::MaxFileBytes + 1)); // sparse: quick to make
    }
    const QFileInfo before(file);

    auto starting = std::async(std::launch::async, [&dir] {
        auto lang = german(dir);
        const QStringList table = lang->table();
        lang->Translate(QStringLiteral("Flow")); // a missing text: the table is modified
        return table;
    });
    if (starting.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Blocked opening the FIFO: a writer that comes and goes releases it.
        for (int i = 0; i < 2; ++i) {
            const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        starting.wait();
        QFAIL("loading the translation file blocked");
    }
    QCOMPARE(starting.get(), QStringList());

    const QFileInfo after(file);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isFile(), before.isFile());
    QCOMPARE(after.size(), before.size());
    if (kind == QLatin1String("large")) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(17), QByteArray("Flow=Durchfluss\r\n"));
    }
}

void TestUiText::otherLinesKeptInOrder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    writeAll(file, "; Deutsch\r\n\r\nFlow=Durchfluss\r\nno equals sign\r\n");
    {
        auto lang = german(dir);
        QCOMPARE(lang->table().size(), 4);
        QCOMPARE(lang->Translate(QStringLiteral("no equals sign")), QStringLiteral("no equals sign"));
        QCOMPARE(lang->Translate(QString()), QString()); // "=" is added for an empty text
    }
    QCOMPARE(readAll(file),
             QByteArray("; Deutsch\r\n\r\nFlow=Durchfluss\r\nno equals sign\r\nno equals sign=\r\n=\r\n"));
}

void TestUiText::eightBitCharactersRoundTrip()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KR715 config.deu");
    // Latin-1: "Größe=Gr\xf6\xdfe" and a byte that is no valid UTF-8.
    const QByteArray content("Size=Gr\xf6\xdf" "e\r\nTemp=\xb0" "C\r\n");
    writeAll(file, content);
    {
        auto lang = german(dir);
        QCOMPARE(lang->Translate(QStringLiteral("size")), QString::fromUtf8("Größe"));
        QCOMPARE(lang->Translate(QStringLiteral("Temp")), QString::fromUtf8("°C"));
        lang->Translate(QString::fromUtf8("Übersicht"));
    }
    QCOMPARE(readAll(file), content + QByteArray("\xdc" "bersicht=\r\n"));
}

void TestUiText::fileNameSwitchSavesAndLoads()
{
    QTemporaryDir dir;
    const QString defaultFile = dir.filePath("KR715 config.deu");
    const QString other = dir.filePath("other.lng");
    writeAll(other, "Flow=Debit\r\n");
    auto lang = german(dir);
    lang->Translate(QStringLiteral("Flow")); // missing from the (absent) default file
    QVERIFY(!QFile::exists(defaultFile));

    lang->setFileName(other);
    // The default table was written before the switch, the new file loaded.
    QCOMPARE(readAll(defaultFile), QByteArray("Flow=\r\n"));
    QCOMPARE(lang->FileName(), other);
    QVERIFY(!lang->isModified());
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Debit"));

    lang->Translate(QStringLiteral("Unit"));
    lang->setFileName(dir.filePath("third.lng")); // missing file: empty table
    QCOMPARE(readAll(other), QByteArray("Flow=Debit\r\nUnit=\r\n"));
    QVERIFY(lang->table().isEmpty());
}

void TestUiText::sameFileNameDoesNothing()
{
    QTemporaryDir dir;
    const QString other = dir.filePath("other.lng");
    writeAll(other, "Flow=Debit\r\n");
    auto lang = german(dir);
    lang->setFileName(other);
    lang->Translate(QStringLiteral("Unit"));
    lang->setFileName(other);
    // Neither saved nor reloaded.
    QVERIFY(lang->isModified());
    QCOMPARE(lang->table().size(), 2);
    QCOMPARE(readAll(other), QByteArray("Flow=Debit\r\n"));
    // The comparison is exact: another spelling of the name is a switch.
    lang->setFileName(dir.filePath("OTHER.lng"));
    QCOMPARE(readAll(other), QByteArray("Flow=Debit\r\nUnit=\r\n"));
}

void TestUiText::emptyFileNameGoesBackToDefault()
{
    QTemporaryDir dir;
    writeAll(dir.filePath("KR715 config.deu"), "Flow=Durchfluss\r\n");
    auto lang = german(dir);
    lang->setFileName(dir.filePath("x.lng"));
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Flow"));
    lang->setFileName(QString());
    QCOMPARE(lang->Translate(QStringLiteral("Flow")), QStringLiteral("Durchfluss"));
    QCOMPARE(readAll(dir.filePath("x.lng")), QByteArray("Flow=\r\n"));
}

void TestUiText::unwritableFileKeepsAdditionsSilently()
{
    QTemporaryDir dir;
    auto lang = std::make_unique<TKRLanguage>(dir.filePath("no/such/folder"),
                                              QStringLiteral("KR715 config"), QStringLiteral(".deu"));
    lang->Translate(QStringLiteral("Flow"));
    lang->setFileName(dir.filePath("next.lng")); // the save fails, nothing is reported
    QVERIFY(!QFile::exists(dir.filePath("no/such/folder/KR715 config.deu")));
    lang->Translate(QStringLiteral("Unit"));
    lang.reset();
    QCOMPARE(readAll(dir.filePath("next.lng")), QByteArray("Unit=\r\n"));
}

void TestUiText::languageExtensions()
{
    QCOMPARE(TKRLanguage::extensionForLanguageId(1031), QStringLiteral(".deu"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(1030), QStringLiteral(".dan"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(1033), QStringLiteral(".une"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(2057), QStringLiteral(".eng"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(4108), QStringLiteral(".swf"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(3079), QStringLiteral(".enu"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(0), QStringLiteral(".enu"));
    QCOMPARE(TKRLanguage::extensionForLanguageId(-1), QString());

    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::Danish, QLocale::Denmark)), 1030);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::German, QLocale::Germany)), 1031);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::German, QLocale::Switzerland)), 2055);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::English, QLocale::UnitedStates)), 1033);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::English, QLocale::UnitedKingdom)), 2057);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::French, QLocale::Canada)), 3084);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::Chinese, QLocale::China)), 2052);
    // Austrian German has an identifier of its own, which has no file extension.
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale(QLocale::German, QLocale::Austria)), 0);
    QCOMPARE(TKRLanguage::windowsLanguageId(QLocale::c()), 0);
    QCOMPARE(TKRLanguage::extensionForLanguageId(
                 TKRLanguage::windowsLanguageId(QLocale(QLocale::Swahili, QLocale::Kenya))),
             QStringLiteral(".enu"));
}

void TestUiText::applicationTitleComesFromDisplayName()
{
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("KR715 config"));
    TKRLanguage lang;
    QCOMPARE(lang.applicationTitle(), QStringLiteral("KR715 config"));
    QCOMPARE(lang.languageExtension(), TKRLanguage::systemLanguageExtension());
    QVERIFY(lang.defaultFileName().endsWith(QStringLiteral("/KR715 config")
                                            + TKRLanguage::systemLanguageExtension()));
    QGuiApplication::setApplicationDisplayName(before);
}

QTEST_MAIN(TestUiText)
#include "tst_ui_text.moc"
