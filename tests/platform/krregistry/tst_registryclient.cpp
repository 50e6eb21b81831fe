// Tests of the program's settings client over the real settings library, and
// of its size protocol against libraries that misbehave.

#include "RegDllHeader.h"
#include "RegistryClient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

class TestRegistryClient : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void integers();
    void strings_data();
    void strings();
    void failuresKeepValues();
    void deleteSettingsRemovesOnlyOwnSection();
    void textsCrossAsUtf8();
    void dataDirectoryEndsWithSeparator();
    void protocolCallsAgainWithLengthPlusOne();
    void protocolStopsOnBadSizes();
    void protocolStopsWhenSizeKeepsGrowing();

private:
    QTemporaryDir m_fallback;
};

void TestRegistryClient::initTestCase()
{
    QVERIFY(m_fallback.isValid());
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_fallback.filePath("config")));
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_fallback.filePath("data")));
}

void TestRegistryClient::init()
{
    QDir(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/KR")).removeRecursively();
}

void TestRegistryClient::integers()
{
    RegistryClient client(QStringLiteral("KR715Config"));
    QCOMPARE(client.section(), QStringLiteral("KR715Config"));
    QVERIFY(client.writeInteger(QString(), QStringLiteral("MIBViewHeight"), 454));
    QVERIFY(client.writeInteger(QStringLiteral("PhysIdList"), QStringLiteral("PhysIdListCount"), -3));
    int value = 0;
    QVERIFY(client.readInteger(QString(), QStringLiteral("MIBViewHeight"), value));
    QCOMPARE(value, 454);
    QVERIFY(client.readInteger(QStringLiteral("PhysIdList"), QStringLiteral("PhysIdListCount"), value));
    QCOMPARE(value, -3);
    QCOMPARE(client.lastStatus(), KRREG_SUCCESS);
}

void TestRegistryClient::strings_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("short") << QStringLiteral("1234.Meter");
    QTest::newRow("fits first buffer") << QString(255, QLatin1Char('x'));
    QTest::newRow("one byte too many") << QString(256, QLatin1Char('y'));
    QTest::newRow("10000 chars") << QString(10000, QLatin1Char('z'));
    QTest::newRow("non-ASCII") << QStringLiteral("Måler ÆØÅ µ 流量 😀");
    QTest::newRow("long non-ASCII") << QString(3000, QChar(0x00E6)); // 6000 bytes
    QTest::newRow("equals and newlines") << QStringLiteral("a=b\nc=d\r\n[e]");
}

void TestRegistryClient::strings()
{
    QFETCH(QString, text);
    RegistryClient client(QStringLiteral("KR715Config"));
    QVERIFY(client.writeString(QStringLiteral("PhysIdList"), QStringLiteral("0"), text));
    QString read = QStringLiteral("old");
    QVERIFY(client.readString(QStringLiteral("PhysIdList"), QStringLiteral("0"), read));
    QCOMPARE(read, text);
}

void TestRegistryClient::failuresKeepValues()
{
    RegistryClient client(QStringLiteral("KR715Config"));
    int value = 17;
    QVERIFY(!client.readInteger(QString(), QStringLiteral("absent"), value));
    QCOMPARE(client.lastStatus(), KRREG_ERROR_NOT_FOUND);
    QCOMPARE(value, 17);
    QString text = QStringLiteral("kept");
    QVERIFY(!client.readString(QString(), QStringLiteral("absent"), text));
    QCOMPARE(text, QStringLiteral("kept"));

    QVERIFY(client.writeString(QString(), QStringLiteral("word"), QStringLiteral("no number")));
    QVERIFY(!client.readInteger(QString(), QStringLiteral("word"), value));
    QCOMPARE(client.lastStatus(), KRREG_ERROR_INVALID_DATA);
    QCOMPARE(value, 17);

    // A zero character cannot cross the 8-bit interface.
    QVERIFY(!client.writeString(QString(), QStringLiteral("z"), QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
    QCOMPARE(client.lastStatus(), KRREG_ERROR_INVALID_PARAMETER);
    QVERIFY(!client.readString(QString(), QStringLiteral("z"), text));
    QCOMPARE(text, QStringLiteral("kept"));
}

void TestRegistryClient::deleteSettingsRemovesOnlyOwnSection()
{
    RegistryClient mine(QStringLiteral("KR715Config"));
    RegistryClient other(QStringLiteral("KR716Config"));
    for (RegistryClient *client : {&mine, &other}) {
        QVERIFY(client->writeInteger(QString(), QStringLiteral("HelpViewTop"), 5));
        QVERIFY(client->writeString(QStringLiteral("PhysIdList"), QStringLiteral("0"), QStringLiteral("A")));
    }
    QVERIFY(mine.deleteSettings());
    int value = 0;
    QString text;
    QVERIFY(!mine.readInteger(QString(), QStringLiteral("HelpViewTop"), value));
    QVERIFY(!mine.readString(QStringLiteral("PhysIdList"), QStringLiteral("0"), text));
    QVERIFY(other.readInteger(QString(), QStringLiteral("HelpViewTop"), value));
    QCOMPARE(value, 5);
    QVERIFY(other.readString(QStringLiteral("PhysIdList"), QStringLiteral("0"), text));
    QCOMPARE(text, QStringLiteral("A"));
    QVERIFY(mine.deleteSettings());
}

void TestRegistryClient::textsCrossAsUtf8()
{
    RegistryClient client(QStringLiteral("Sektion ø"));
    QVERIFY(client.writeString(QStringLiteral("Nøgle"), QStringLiteral("Navn æ"), QStringLiteral("Ærø")));
    char buffer[16];
    int size = int(sizeof buffer);
    QCOMPARE(ReadSettingString("Sektion \xc3\xb8", "N\xc3\xb8gle", 0, "Navn \xc3\xa6", buffer, &size), KRREG_SUCCESS);
    QCOMPARE(QByteArray(buffer, size), QByteArray("\xc3\x86r\xc3\xb8"));

    QCOMPARE(WriteSettingString("Sektion \xc3\xb8", "", 0, "n", "\xe2\x82\xac 5"), KRREG_SUCCESS);
    QString text;
    QVERIFY(client.readString(QString(), QStringLiteral("n"), text));
    QCOMPARE(text, QStringLiteral("€ 5"));
}

void TestRegistryClient::dataDirectoryEndsWithSeparator()
{
    const QString directory = dataDirectory();
    QVERIFY(directory.endsWith(QLatin1Char('/')));
    const QString dataHome = QDir::cleanPath(qEnvironmentVariable("XDG_DATA_HOME"));
    QVERIFY2(directory.startsWith(dataHome + QLatin1Char('/')), qPrintable(directory));
    // The program's own folder is the directory followed by its section.
    QCOMPARE(QDir::cleanPath(directory + QStringLiteral("KR715Config")),
             dataHome + QStringLiteral("/KR/KR715Config"));
}

void TestRegistryClient::protocolCallsAgainWithLengthPlusOne()
{
    // A library that follows the protocol: record each size offered.
    const QByteArray stored(1000, 'q');
    QList<int> offered;
    QByteArray text;
    const int status = fetchSettingText(
        [&](char *buffer, int *size) {
            offered << *size;
            if (*size <= stored.size()) {
                *size = int(stored.size());
                return KRREG_ERROR_MORE_DATA;
            }
            std::memcpy(buffer, stored.constData(), size_t(stored.size()) + 1);
            *size = int(stored.size());
            return KRREG_SUCCESS;
        },
        text);
    QCOMPARE(status, KRREG_SUCCESS);
    QCOMPARE(text, stored);
    QCOMPARE(offered.size(), 2);
    QVERIFY(offered.first() < stored.size());
    QCOMPARE(offered.last(), int(stored.size()) + 1);
}

void TestRegistryClient::protocolStopsOnBadSizes()
{
    int calls = 0;
    QByteArray text = "unchanged";
    // Claims "too small" but asks for less than it was given: must not loop.
    QCOMPARE(fetchSettingText([&](char *, int *size) { ++calls; *size = 3; return KRREG_ERROR_MORE_DATA; }, text),
             KRREG_ERROR_MORE_DATA);
    QCOMPARE(calls, 1);
    calls = 0;
    QCOMPARE(fetchSettingText([&](char *, int *size) { ++calls; *size = -5; return KRREG_ERROR_MORE_DATA; }, text),
             KRREG_ERROR_MORE_DATA);
    QCOMPARE(calls, 1);
    calls = 0;
    // An absurd length is never allocated.
    QCOMPARE(fetchSettingText([&](char *, int *size) { ++calls; *size = 2000000000; return KRREG_ERROR_MORE_DATA; }, text),
             KRREG_ERROR_MORE_DATA);
    QCOMPARE(calls, 1);
    // Other failures pass through at once.
    QCOMPARE(fetchSettingText([](char *, int *) { return KRREG_ERROR_IO; }, text), KRREG_ERROR_IO);
    QCOMPARE(text, QByteArray("unchanged"));
}

void TestRegistryClient::protocolStopsWhenSizeKeepsGrowing()
{
    int calls = 0;
    QByteArray text = "unchanged";
    const int status = fetchSettingText(
        [&](char *, int *size) {
            ++calls;
            *size = *size * 2; // always a bit more than offered
            return KRREG_ERROR_MORE_DATA;
        },
        text);
    QCOMPARE(status, KRREG_ERROR_MORE_DATA);
    QVERIFY(calls > 1);
    QVERIFY(calls <= 8);
    QCOMPARE(text, QByteArray("unchanged"));
}

QTEST_APPLESS_MAIN(TestRegistryClient)
#include "tst_registryclient.moc"
