// Tests of the settings library through its C interface, as the programs use it.
// Runs without an application object, as a program calling the library early would.

#include "RegDllHeader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads a text with the size protocol exactly as the program does.
int readText(const QByteArray &section, const QByteArray &key, const QByteArray &name, QByteArray &text)
{
    int size = 0;
    int status = ReadSettingString(section, key, 0, name, nullptr, &size);
    if (status != KRREG_ERROR_MORE_DATA)
        return status;
    QByteArray buffer(size + 1, '\x7f');
    size = size + 1;
    status = ReadSettingString(section, key, 0, name, buffer.data(), &size);
    if (status == KRREG_SUCCESS)
        text = buffer.left(size);
    return status;
}

QString configRoot() { return qEnvironmentVariable("XDG_CONFIG_HOME"); }
QString settingsFile() { return configRoot() + QStringLiteral("/KR/KRRegistry.ini"); }

void writeRawSettings(const QByteArray &contents)
{
    QVERIFY(QDir().mkpath(configRoot() + QStringLiteral("/KR")));
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

QByteArray rawSettings()
{
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestKRRegistry : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void integerRoundTrip_data();
    void integerRoundTrip();
    void stringRoundTrip_data();
    void stringRoundTrip();
    void fileKeepsOneLinePerValue();
    void sectionsAndKeysStayApart();
    void sizeProtocol();
    void missingValuesLeaveOutputsAlone();
    void invalidArguments();
    void deleteSettingsRemovesOnlyThatSection();
    void dataDirectory();
    void xdgFallbacks();
    void damagedFileIsReadAsFarAsPossible();
    void randomGarbageNeverCrashes();
    void unwritableConfigurationFolder();
    void changesByOtherWritersAreSeen();
    void oversizedFileIsNeverRewritten();
    void fileIsReadOncePerChange();
    void concurrentWritersLoseNothing();

private:
    QTemporaryDir m_fallback;
    QByteArray m_configHome;
    QByteArray m_dataHome;
    QByteArray m_home;
};

void TestKRRegistry::initTestCase()
{
    // Never touch the user's own settings when run outside the test runner.
    QVERIFY(m_fallback.isValid());
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_fallback.filePath("config")));
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_fallback.filePath("data")));
    m_configHome = qgetenv("XDG_CONFIG_HOME");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_home = qgetenv("HOME");
}

void TestKRRegistry::init()
{
    QDir(configRoot() + QStringLiteral("/KR")).removeRecursively();
}

void TestKRRegistry::cleanup()
{
    qputenv("XDG_CONFIG_HOME", m_configHome);
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("HOME", m_home);
}

void TestKRRegistry::integerRoundTrip_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << QByteArray("MIBViewHeight") << 454;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("negative") << QByteArray("HelpViewLeft") << -1280;
    QTest::newRow("int max") << QByteArray("max") << INT_MAX;
    QTest::newRow("int min") << QByteArray("min") << INT_MIN;
    QTest::newRow("empty name") << QByteArray("") << 7;
    QTest::newRow("equals in name") << QByteArray("a=b") << 11;
    QTest::newRow("newline in name") << QByteArray("two\nlines") << 12;
    QTest::newRow("comment-like name") << QByteArray(";x") << 13;
    QTest::newRow("header-like name") << QByteArray("[x]") << 14;
    QTest::newRow("spaces around name") << QByteArray("  padded ") << 15;
    QTest::newRow("non-ASCII name") << QByteArray("Højde µm") << 16;
}

void TestKRRegistry::integerRoundTrip()
{
    QFETCH(QByteArray, name);
    QFETCH(int, value);
    QCOMPARE(WriteSettingInteger("KR715Config", "", 0, name, value ^ 1), KRREG_SUCCESS);
    QCOMPARE(WriteSettingInteger("KR715Config", "", 0, name, value), KRREG_SUCCESS); // replaces
    int read = value ^ 1;
    QCOMPARE(ReadSettingInteger("KR715Config", "", 0, name, &read), KRREG_SUCCESS);
    QCOMPARE(read, value);
    // An integer also reads as its decimal text.
    QByteArray text;
    QCOMPARE(readText("KR715Config", "", name, text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray::number(value));
}

void TestKRRegistry::stringRoundTrip_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("text");
    QByteArray longText;
    for (int i = 0; longText.size() < 10000; ++i)
        longText += char('a' + i % 26);
    QTest::newRow("plain") << QByteArray("0") << QByteArray("1234.Meter");
    QTest::newRow("empty") << QByteArray("1") << QByteArray("");
    QTest::newRow("10000 chars") << QByteArray("long") << longText;
    QTest::newRow("non-ASCII") << QByteArray("Måler") << QByteArray("Flow µ ÆØÅ 流量 €");
    QTest::newRow("equals") << QByteArray("x=y") << QByteArray("a=b==c");
    QTest::newRow("newlines") << QByteArray("n\r\n") << QByteArray("line1\nline2\r\nline3\n");
    QTest::newRow("percent") << QByteArray("%41") << QByteArray("100%41 %zz %");
    QTest::newRow("brackets") << QByteArray("[Sec]") << QByteArray("[Sec\\Key]");
    QTest::newRow("outer spaces") << QByteArray(" n ") << QByteArray("  spaced\t ");
    QTest::newRow("comment-like") << QByteArray("#c") << QByteArray("; not a comment");
    QTest::newRow("backslashes") << QByteArray("a\\b") << QByteArray("C:\\KR\\help\\");
    QTest::newRow("not UTF-8") << QByteArray("raw\xff") << QByteArray("\xc3(\xa0\xa1");
}

void TestKRRegistry::stringRoundTrip()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, text);
    QCOMPARE(WriteSettingString("KR715Config", "PhysIdList", 0, name, "previous"), KRREG_SUCCESS);
    QCOMPARE(WriteSettingString("KR715Config", "PhysIdList", 0, name, text), KRREG_SUCCESS);
    QByteArray read = "untouched";
    QCOMPARE(readText("KR715Config", "PhysIdList", name, read), KRREG_SUCCESS);
    QCOMPARE(read, text);
    QVERIFY(rawSettings().isValidUtf8()); // the file stays plain UTF-8 text
}

void TestKRRegistry::fileKeepsOneLinePerValue()
{
    QCOMPARE(WriteSettingString("S", "K", 0, "multi\nline=name", "v1\nv2\n[Fake]\nx=1"), KRREG_SUCCESS);
    QCOMPARE(WriteSettingInteger("S", "K", 0, "n", 5), KRREG_SUCCESS);
    int headers = 0, values = 0;
    for (const QByteArray &line : rawSettings().split('\n')) {
        if (line.startsWith(';'))
            continue;
        if (line.startsWith('['))
            ++headers;
        else if (line.contains('='))
            ++values;
    }
    QCOMPARE(headers, 1);
    QCOMPARE(values, 2);
    // No temporary or lock file is left behind.
    QCOMPARE(QDir(configRoot() + QStringLiteral("/KR")).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("KRRegistry.ini")});
}

void TestKRRegistry::sectionsAndKeysStayApart()
{
    // Pairs that a careless file layout would merge.
    const QList<QPair<QByteArray, QByteArray>> places = {
        {"A", ""}, {"A", "k"}, {"A\\k", ""}, {"", "A"}, {"", ""}, {"A]", ""}, {"A", "k\\"}, {"a", ""},
    };
    for (int i = 0; i < places.size(); ++i)
        QCOMPARE(WriteSettingInteger(places[i].first, places[i].second, 0, "v", i), KRREG_SUCCESS);
    for (int i = 0; i < places.size(); ++i) {
        int value = -1;
        QCOMPARE(ReadSettingInteger(places[i].first, places[i].second, 0, "v", &value), KRREG_SUCCESS);
        QCOMPARE(value, i);
    }
}

void TestKRRegistry::sizeProtocol()
{
    const QByteArray text = "COM-Device 42";
    const int length = int(text.size());
    QCOMPARE(WriteSettingString("S", "", 0, "t", text), KRREG_SUCCESS);

    // A pure length query.
    int size = 0;
    QCOMPARE(ReadSettingString("S", "", 0, "t", nullptr, &size), KRREG_ERROR_MORE_DATA);
    QCOMPARE(size, length);

    // Room for the text but not its terminator is still too small; the buffer stays untouched.
    QByteArray buffer(length, '#');
    size = length;
    QCOMPARE(ReadSettingString("S", "", 0, "t", buffer.data(), &size), KRREG_ERROR_MORE_DATA);
    QCOMPARE(size, length);
    QCOMPARE(buffer, QByteArray(length, '#'));

    // The reported length + 1 works.
    buffer = QByteArray(length + 1, '#');
    size = length + 1;
    QCOMPARE(ReadSettingString("S", "", 0, "t", buffer.data(), &size), KRREG_SUCCESS);
    QCOMPARE(size, length);
    QCOMPARE(buffer.left(length), text);
    QCOMPARE(buffer.at(length), '\0');

    // The empty text needs exactly the terminator.
    QCOMPARE(WriteSettingString("S", "", 0, "e", ""), KRREG_SUCCESS);
    size = 0;
    QCOMPARE(ReadSettingString("S", "", 0, "e", nullptr, &size), KRREG_ERROR_MORE_DATA);
    QCOMPARE(size, 0);
    char one = '#';
    size = 1;
    QCOMPARE(ReadSettingString("S", "", 0, "e", &one, &size), KRREG_SUCCESS);
    QCOMPARE(size, 0);
    QCOMPARE(one, '\0');
}

void TestKRRegistry::missingValuesLeaveOutputsAlone()
{
    for (int round = 0; round < 2; ++round) { // without a settings file, then with one
        int value = 4711;
        QCOMPARE(ReadSettingInteger("S", "", 0, "absent", &value), KRREG_ERROR_NOT_FOUND);
        QCOMPARE(value, 4711);
        char buffer[8] = "keepme";
        int size = int(sizeof buffer);
        QCOMPARE(ReadSettingString("S", "", 0, "absent", buffer, &size), KRREG_ERROR_NOT_FOUND);
        QCOMPARE(size, int(sizeof buffer));
        QCOMPARE(QByteArray(buffer), QByteArray("keepme"));
        QCOMPARE(WriteSettingInteger("S", "other key", 0, "absent", 1), KRREG_SUCCESS);
    }

    // A text that is no integer, or out of range, does not read as one.
    QCOMPARE(WriteSettingString("S", "", 0, "word", "12abc"), KRREG_SUCCESS);
    QCOMPARE(WriteSettingString("S", "", 0, "huge", "99999999999"), KRREG_SUCCESS);
    QCOMPARE(WriteSettingString("S", "", 0, "digits", "-815"), KRREG_SUCCESS);
    int value = 4711;
    QCOMPARE(ReadSettingInteger("S", "", 0, "word", &value), KRREG_ERROR_INVALID_DATA);
    QCOMPARE(ReadSettingInteger("S", "", 0, "huge", &value), KRREG_ERROR_INVALID_DATA);
    QCOMPARE(value, 4711);
    QCOMPARE(ReadSettingInteger("S", "", 0, "digits", &value), KRREG_SUCCESS);
    QCOMPARE(value, -815);
}

void TestKRRegistry::invalidArguments()
{
    int value = 1;
    char buffer[4];
    int size = int(sizeof buffer);
    QCOMPARE(WriteSettingInteger(nullptr, "", 0, "n", 1), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(WriteSettingInteger("S", nullptr, 0, "n", 1), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(WriteSettingInteger("S", "", 0, nullptr, 1), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(WriteSettingInteger("S", "", 1, "n", 1), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(WriteSettingString("S", "", 0, "n", nullptr), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(WriteSettingString(nullptr, "", 0, "n", "t"), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", nullptr), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(ReadSettingInteger("S", "", 0, nullptr, &value), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(ReadSettingString("S", "", 0, "n", buffer, nullptr), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(ReadSettingString("S", "", 0, "n", nullptr, &size), KRREG_ERROR_INVALID_PARAMETER);
    size = -1;
    QCOMPARE(ReadSettingString("S", "", 0, "n", buffer, &size), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(DeleteSettings("S", nullptr, 0, ""), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(GetDataDirectory(buffer, nullptr), KRREG_ERROR_INVALID_PARAMETER);
    size = 3;
    QCOMPARE(GetDataDirectory(nullptr, &size), KRREG_ERROR_INVALID_PARAMETER);
    QCOMPARE(value, 1);
    QVERIFY(!QFileInfo::exists(settingsFile())); // rejected calls write nothing
}

void TestKRRegistry::deleteSettingsRemovesOnlyThatSection()
{
    // Deleting from a store that was never written succeeds and creates nothing.
    QCOMPARE(DeleteSettings("KR715Config", "", 0, ""), KRREG_SUCCESS);
    QVERIFY(!QFileInfo::exists(configRoot() + QStringLiteral("/KR")));

    for (const char *section : {"KR715Config", "KR715Config2", "Other", ""}) {
        QCOMPARE(WriteSettingInteger(section, "", 0, "MIBViewTop", 10), KRREG_SUCCESS);
        QCOMPARE(WriteSettingString(section, "PhysIdList", 0, "0", "Meter1"), KRREG_SUCCESS);
    }
    QCOMPARE(DeleteSettings("KR715Config", "", 0, ""), KRREG_SUCCESS);
    QCOMPARE(DeleteSettings("KR715Config", "", 0, ""), KRREG_SUCCESS); // again: nothing left, still fine

    int value = -1;
    QByteArray text;
    QCOMPARE(ReadSettingInteger("KR715Config", "", 0, "MIBViewTop", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(readText("KR715Config", "PhysIdList", "0", text), KRREG_ERROR_NOT_FOUND);
    for (const char *section : {"KR715Config2", "Other", ""}) {
        QCOMPARE(ReadSettingInteger(section, "", 0, "MIBViewTop", &value), KRREG_SUCCESS);
        QCOMPARE(readText(section, "PhysIdList", "0", text), KRREG_SUCCESS);
        QCOMPARE(text, QByteArray("Meter1"));
    }

    // A key alone, and a single value.
    QCOMPARE(DeleteSettings("Other", "PhysIdList", 0, ""), KRREG_SUCCESS);
    QCOMPARE(readText("Other", "PhysIdList", "0", text), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(ReadSettingInteger("Other", "", 0, "MIBViewTop", &value), KRREG_SUCCESS);
    QCOMPARE(DeleteSettings("Other", "", 0, "MIBViewTop"), KRREG_SUCCESS);
    QCOMPARE(ReadSettingInteger("Other", "", 0, "MIBViewTop", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(ReadSettingInteger("", "", 0, "MIBViewTop", &value), KRREG_SUCCESS);
}

void TestKRRegistry::dataDirectory()
{
    for (const QByteArray &home : {m_dataHome, m_dataHome + "/"}) {
        qputenv("XDG_DATA_HOME", home);
        int size = 0;
        QCOMPARE(GetDataDirectory(nullptr, &size), KRREG_ERROR_MORE_DATA);
        QVERIFY(size > 0);
        QByteArray buffer(size + 1, '#');
        int length = size + 1;
        QCOMPARE(GetDataDirectory(buffer.data(), &length), KRREG_SUCCESS);
        QCOMPARE(length, size);
        const QString directory = QString::fromUtf8(buffer.left(length));
        QVERIFY2(directory.endsWith(QLatin1Char('/')), qPrintable(directory));
        QVERIFY2(!directory.endsWith(QStringLiteral("//")), qPrintable(directory));
        QCOMPARE(QDir::cleanPath(directory), QDir::cleanPath(QString::fromLocal8Bit(m_dataHome)) + QStringLiteral("/KR"));
    }
}

void TestKRRegistry::xdgFallbacks()
{
    // Unset or relative XDG variables fall back to the folders under the home folder.
    const QString home = m_fallback.filePath(QStringLiteral("home"));
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", "relative-config");
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 3), KRREG_SUCCESS);
    QVERIFY(QFileInfo::exists(home + QStringLiteral("/.config/KR/KRRegistry.ini")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("relative-config")));
    char buffer[512];
    int size = int(sizeof buffer);
    QCOMPARE(GetDataDirectory(buffer, &size), KRREG_SUCCESS);
    QCOMPARE(QByteArray(buffer, size), QFile::encodeName(home) + "/.local/share/KR/");

    // Without any of them there is nowhere to keep settings.
    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    int value = 9;
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 4), KRREG_ERROR_IO);
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_ERROR_IO);
    QCOMPARE(value, 9);
    size = int(sizeof buffer);
    QCOMPARE(GetDataDirectory(buffer, &size), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(size, int(sizeof buffer));
}

void TestKRRegistry::damagedFileIsReadAsFarAsPossible()
{
    using namespace std::string_view_literals;
    static constexpr std::string_view damaged = "orphan=1\n"
                                "\x00\xff\xfe garbage without equals\n"
                                "[S]\n"
                                "good = 1\n"
                                "Big=99999999999999999999999\n"
                                "half line without equals\n"
                                "nul=a\x00" "b\n"
                                "[S\\Broken\n"
                                "lost=1\n"
                                "[S\\Key]\n"
                                "odd=%zz %4 100%\n"
                                "\xff\xfe=\xc3(\n"
                                "tail=va"sv;
    writeRawSettings(QByteArray(damaged.data(), qsizetype(damaged.size())));
    int value = -1;
    QByteArray text;
    QCOMPARE(ReadSettingInteger("S", "", 0, "good", &value), KRREG_SUCCESS);
    QCOMPARE(value, 1);
    value = -1;
    QCOMPARE(ReadSettingInteger("S", "", 0, "Big", &value), KRREG_ERROR_INVALID_DATA);
    QCOMPARE(value, -1);
    QCOMPARE(readText("S", "", "Big", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("99999999999999999999999"));
    QCOMPARE(readText("S", "", "nul", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("ab"));
    QCOMPARE(ReadSettingInteger("S", "", 0, "orphan", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(ReadSettingInteger("S", "", 0, "lost", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(ReadSettingInteger("S", "Broken", 0, "lost", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(readText("S", "Key", "odd", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("%zz %4 100%"));
    QCOMPARE(readText("S", "Key", "\xff\xfe", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("\xc3("));
    QCOMPARE(readText("S", "Key", "tail", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("va"));

    // A change rewrites the file cleanly with everything that was readable.
    QCOMPARE(WriteSettingInteger("S", "", 0, "new", 2), KRREG_SUCCESS);
    QVERIFY(rawSettings().isValidUtf8());
    QCOMPARE(ReadSettingInteger("S", "", 0, "good", &value), KRREG_SUCCESS);
    QCOMPARE(value, 1);
    QCOMPARE(readText("S", "Key", "\xff\xfe", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("\xc3("));
    QCOMPARE(readText("S", "Key", "odd", text), KRREG_SUCCESS);
    QCOMPARE(text, QByteArray("%zz %4 100%"));
}

void TestKRRegistry::randomGarbageNeverCrashes()
{
    QRandomGenerator random(715);
    QByteArray garbage(64 * 1024, '\0');
    for (char &c : garbage) {
        const quint32 r = random.bounded(16);
        c = r == 0 ? '\n' : r == 1 ? '[' : r == 2 ? ']' : r == 3 ? '=' : r == 4 ? '%' : char(random.bounded(256));
    }
    writeRawSettings(garbage);
    int value = 3;
    const int status = ReadSettingInteger("S", "", 0, "n", &value);
    QVERIFY(status == KRREG_ERROR_NOT_FOUND || status == KRREG_ERROR_INVALID_DATA || status == KRREG_SUCCESS);
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 99), KRREG_SUCCESS);
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 99);
}

void TestKRRegistry::unwritableConfigurationFolder()
{
    // The configuration folder is a regular file.
    const QString blocker = m_fallback.filePath(QStringLiteral("not-a-folder"));
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 1), KRREG_ERROR_IO);
    QCOMPARE(WriteSettingString("S", "", 0, "t", "x"), KRREG_ERROR_IO);
    int value = 5;
    QVERIFY(ReadSettingInteger("S", "", 0, "n", &value) != KRREG_SUCCESS);
    QCOMPARE(value, 5);
    qputenv("XDG_CONFIG_HOME", m_configHome);

    // The settings file's place is taken by a folder: reads and writes fail, nothing is lost.
    QVERIFY(QDir().mkpath(settingsFile()));
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 1), KRREG_ERROR_IO);
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_ERROR_IO);
    QCOMPARE(value, 5);
    QVERIFY(QFileInfo(settingsFile()).isDir());
    QVERIFY(QDir(settingsFile()).removeRecursively());

    if (geteuid() == 0)
        QSKIP("File permissions do not bind the superuser");
    // A read-only folder, and a settings file that cannot be read (it must not be overwritten).
    QCOMPARE(WriteSettingInteger("S", "", 0, "kept", 8), KRREG_SUCCESS);
    QFile::setPermissions(settingsFile(), QFileDevice::WriteOwner);
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 1), KRREG_ERROR_IO);
    QFile::setPermissions(settingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(ReadSettingInteger("S", "", 0, "kept", &value), KRREG_SUCCESS);
    QCOMPARE(value, 8);
    const QString folder = configRoot() + QStringLiteral("/KR");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const int status = WriteSettingInteger("S", "", 0, "n", 1);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(status, KRREG_ERROR_IO);
}

void TestKRRegistry::changesByOtherWritersAreSeen()
{
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 1), KRREG_SUCCESS);
    writeRawSettings("[S]\nn=2\n");
    int value = 0;
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 2);
}

// A settings file beyond the library's limit is read only in part: a change would
// lose the rest, so every change is refused and the file stays as it is.
void TestKRRegistry::oversizedFileIsNeverRewritten()
{
    writeRawSettings("[S]\nfirst=1\n");
    constexpr qint64 Size = 65 * 1024 * 1024;
    const QByteArray tail("\n[S]\nlast=2\n");
    {
        QFile file(settingsFile());
        QVERIFY(file.resize(Size - tail.size())); // sparse: quick to make
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(tail), tail.size());
    }
    const qint64 size = QFileInfo(settingsFile()).size();
    int value = 0;
    QCOMPARE(ReadSettingInteger("S", "", 0, "first", &value), KRREG_SUCCESS);
    QCOMPARE(value, 1);
    QCOMPARE(ReadSettingInteger("S", "", 0, "last", &value), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(WriteSettingInteger("S", "", 0, "MIBViewWidth", 400), KRREG_ERROR_IO);
    QCOMPARE(WriteSettingString("S", "", 0, "t", "x"), KRREG_ERROR_IO);
    QCOMPARE(DeleteSettings("S", "", 0, ""), KRREG_ERROR_IO);
    QCOMPARE(QFileInfo(settingsFile()).size(), size);
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.seek(size - tail.size()));
    QCOMPARE(file.readAll(), tail);
}

// The file is read again only when it changes: the same file (inode), size and time
// mean the same contents, so a rewrite in place that keeps all three is not seen.
void TestKRRegistry::fileIsReadOncePerChange()
{
    const auto setTime = [](qint64 secondsAgo) {
        const qint64 at = QDateTime::currentSecsSinceEpoch() - secondsAgo;
        struct timespec times[2] = {{time_t(at), 0}, {time_t(at), 0}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(settingsFile()).constData(), times, 0) == 0;
    };
    writeRawSettings("[S]\nn=1\n");
    QVERIFY(setTime(100));
    int value = 0;
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 1);

    writeRawSettings("[S]\nn=2\n");
    QVERIFY(setTime(100));
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 1); // not read again

    QVERIFY(setTime(50)); // a new time: read again
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 2);

    // A rewrite in place within the same tick of the file system's clock is seen
    // as long as the time is recent.
    QCOMPARE(WriteSettingInteger("S", "", 0, "n", 3), KRREG_SUCCESS);
    writeRawSettings("[S]\nn=4\n");
    QCOMPARE(ReadSettingInteger("S", "", 0, "n", &value), KRREG_SUCCESS);
    QCOMPARE(value, 4);
}

void TestKRRegistry::concurrentWritersLoseNothing()
{
    constexpr int Threads = 4;
    constexpr int PerThread = 25;
    std::vector<std::thread> writers;
    std::vector<int> failures(Threads, 0);
    for (int t = 0; t < Threads; ++t) {
        writers.emplace_back([t, &failures] {
            for (int i = 0; i < PerThread; ++i) {
                const QByteArray name = QByteArray::number(t) + '.' + QByteArray::number(i);
                if (WriteSettingInteger("S", "", 0, name, t * 1000 + i) != KRREG_SUCCESS)
                    ++failures[t];
            }
        });
    }
    for (std::thread &writer : writers)
        writer.join();
    for (int t = 0; t < Threads; ++t) {
        QCOMPARE(failures[t], 0);
        for (int i = 0; i < PerThread; ++i) {
            int value = -1;
            const QByteArray name = QByteArray::number(t) + '.' + QByteArray::number(i);
            QCOMPARE(ReadSettingInteger("S", "", 0, name, &value), KRREG_SUCCESS);
            QCOMPARE(value, t * 1000 + i);
        }
    }
}

QTEST_APPLESS_MAIN(TestKRRegistry)
#include "tst_krregistry.moc"
