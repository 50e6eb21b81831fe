// Tests of the registration library: the desktop entry it installs and removes.

#include "AppEnroll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString applicationsFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
}

QString entryFile(const QString &fileName)
{
    return applicationsFolder() + QLatin1Char('/') + fileName;
}

// Keys of the "[Desktop Entry]" group, values as written (escapes not resolved).
QMap<QString, QString> readEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(0) != "[Desktop Entry]")
        return keys;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return keys;
}

// Reads a string value the way a desktop reads it: \s \n \t \r \\ escapes.
QString unescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == QLatin1Char('s') ? QChar(' ')
             : next == QLatin1Char('n') ? QChar('\n')
             : next == QLatin1Char('t') ? QChar('\t')
             : next == QLatin1Char('r') ? QChar('\r')
                                        : next;
    }
    return out;
}

// Splits an Exec value into arguments following the quoting rules; an empty
// list when the value breaks them.
QStringList execArguments(const QString &execValue)
{
    const QString command = unescapeValue(execValue);
    QStringList arguments;
    QString current;
    bool inQuotes = false, inArgument = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == QLatin1Char('%')) {
            if (i + 1 < command.size() && command[i + 1] == QLatin1Char('%')) {
                current += c;
                ++i;
                inArgument = true;
                continue;
            }
            return {}; // a field code; this library never writes one
        }
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < command.size()
                       && QStringLiteral("\"`$\\").contains(command[i + 1])) {
                current += command[++i];
            } else if (QStringLiteral("\"`$\\").contains(c)) {
                return {}; // must have been escaped
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = inArgument = true;
        } else if (c == QLatin1Char(' ')) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes)
        return {};
    if (inArgument)
        arguments << current;
    return arguments;
}

QStringList filesInApplicationsFolder()
{
    return QDir(applicationsFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestAppEnroll : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void registerWritesDesktopEntry();
    void execQuoting_data();
    void execQuoting();
    void addAndDeleteAreIdempotent();
    void fileNames_data();
    void fileNames();
    void hiddenWithoutMenuFlag();
    void titleEscapes();
    void badArguments();
    void unwritableDataFolder();
    void noHomeFolder();

private:
    QTemporaryDir m_fallback;
    QByteArray m_dataHome;
    QByteArray m_home;
};

void TestAppEnroll::initTestCase()
{
    QVERIFY(m_fallback.isValid());
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_fallback.filePath("data")));
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_home = qgetenv("HOME");
}

void TestAppEnroll::init()
{
    QDir(applicationsFolder()).removeRecursively();
}

void TestAppEnroll::cleanup()
{
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("HOME", m_home);
}

void TestAppEnroll::registerWritesDesktopEntry()
{
    const QByteArray executable = "/opt/kr/bin/KR715Config";
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", executable, 1), APPENROLL_SUCCESS);
    QCOMPARE(filesInApplicationsFolder(), QStringList{QStringLiteral("kr715-config.desktop")});

    const QMap<QString, QString> keys = readEntry(entryFile(QStringLiteral("kr715-config.desktop")));
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("KR715 Config"));
    QCOMPARE(keys.value(QStringLiteral("Exec")), QStringLiteral("\"/opt/kr/bin/KR715Config\""));
    QCOMPARE(keys.value(QStringLiteral("TryExec")), QString::fromUtf8(executable));
    QCOMPARE(keys.value(QStringLiteral("NoDisplay")), QStringLiteral("false"));
    QCOMPARE(keys.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    const QString categories = keys.value(QStringLiteral("Categories"));
    QVERIFY(categories.endsWith(QLatin1Char(';')));
    QVERIFY(categories.split(QLatin1Char(';')).contains(QStringLiteral("Settings")));
}

void TestAppEnroll::execQuoting_data()
{
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("expectedExec"); // as written in the file; empty: check the round trip only
    QTest::newRow("spaces") << QStringLiteral("/opt/KR Tools/bin/KR715 Config")
                            << QStringLiteral("\"/opt/KR Tools/bin/KR715 Config\"");
    QTest::newRow("dollar and quote") << QStringLiteral("/opt/a$b/c\"d")
                                      << QStringLiteral("\"/opt/a\\\\$b/c\\\\\"d\"");
    QTest::newRow("backslash") << QStringLiteral("/opt/e\\f")
                               << QStringLiteral("\"/opt/e\\\\\\\\f\"");
    QTest::newRow("percent") << QStringLiteral("/opt/100%/run") << QStringLiteral("\"/opt/100%%/run\"");
    QTest::newRow("shell characters") << QStringLiteral("/opt/x;y|z&(w)*?#~<>'`/KR715") << QString();
    QTest::newRow("non-ASCII") << QStringLiteral("/home/bjørn/Måler værktøj/KR715Config") << QString();
}

void TestAppEnroll::execQuoting()
{
    QFETCH(QString, executable);
    QFETCH(QString, expectedExec);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", executable.toUtf8(), 1), APPENROLL_SUCCESS);
    const QMap<QString, QString> keys = readEntry(entryFile(QStringLiteral("kr715-config.desktop")));
    const QString exec = keys.value(QStringLiteral("Exec"));
    if (!expectedExec.isEmpty())
        QCOMPARE(exec, expectedExec);
    QCOMPARE(execArguments(exec), QStringList{executable});
    QCOMPARE(unescapeValue(keys.value(QStringLiteral("TryExec"))), executable);
}

void TestAppEnroll::addAndDeleteAreIdempotent()
{
    const QString path = entryFile(QStringLiteral("kr715-config.desktop"));
    QCOMPARE(DeleteRegistration(715, "KR715 Config", 1), APPENROLL_SUCCESS); // nothing there yet
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/old/KR715Config", 1), APPENROLL_SUCCESS);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/new/KR715Config", 1), APPENROLL_SUCCESS);
    QCOMPARE(filesInApplicationsFolder(), QStringList{QStringLiteral("kr715-config.desktop")}); // no leftovers
    QCOMPARE(execArguments(readEntry(path).value(QStringLiteral("Exec"))),
             QStringList{QStringLiteral("/new/KR715Config")});

    // Other programs' entries are not touched.
    QFile foreign(entryFile(QStringLiteral("other.desktop")));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.close();

    QCOMPARE(DeleteRegistration(715, "KR715 Config", 1), APPENROLL_SUCCESS);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(DeleteRegistration(715, "KR715 Config", 1), APPENROLL_SUCCESS);
    QCOMPARE(filesInApplicationsFolder(), QStringList{QStringLiteral("other.desktop")});
}

void TestAppEnroll::fileNames_data()
{
    QTest::addColumn<int>("productNo");
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("product in title") << 715 << QByteArray("KR715 Config") << QStringLiteral("kr715-config.desktop");
    QTest::newRow("product added") << 42 << QByteArray("Flow Monitor") << QStringLiteral("kr42-flow-monitor.desktop");
    QTest::newRow("title is product") << 715 << QByteArray("KR715") << QStringLiteral("kr715.desktop");
    QTest::newRow("longer number") << 715 << QByteArray("KR7150 Setup") << QStringLiteral("kr715-kr7150-setup.desktop");
    QTest::newRow("no usable characters") << 715 << QByteArray(" ** ÆØÅ ") << QStringLiteral("kr715.desktop");
    QTest::newRow("path characters") << 715 << QByteArray("../../etc/passwd") << QStringLiteral("kr715-etc-passwd.desktop");
}

void TestAppEnroll::fileNames()
{
    QFETCH(int, productNo);
    QFETCH(QByteArray, title);
    QFETCH(QString, fileName);
    QCOMPARE(AddRegistration(productNo, 1, title, "/opt/kr/run", 1), APPENROLL_SUCCESS);
    QCOMPARE(filesInApplicationsFolder(), QStringList{fileName});
    QCOMPARE(unescapeValue(readEntry(entryFile(fileName)).value(QStringLiteral("Name"))), QString::fromUtf8(title));
    QCOMPARE(DeleteRegistration(productNo, title, 1), APPENROLL_SUCCESS);
    QVERIFY(filesInApplicationsFolder().isEmpty());
}

void TestAppEnroll::hiddenWithoutMenuFlag()
{
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/opt/kr/run", 0), APPENROLL_SUCCESS);
    QCOMPARE(readEntry(entryFile(QStringLiteral("kr715-config.desktop"))).value(QStringLiteral("NoDisplay")),
             QStringLiteral("true"));
}

void TestAppEnroll::titleEscapes()
{
    QCOMPARE(AddRegistration(715, 1, " KR715\nConfig\\x", "/opt/kr/run", 1), APPENROLL_SUCCESS);
    const QString path = entryFile(QStringLiteral("kr715-config-x.desktop"));
    const QMap<QString, QString> keys = readEntry(path);
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("\\sKR715\\nConfig\\\\x"));
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application")); // the break did not split the entry
}

void TestAppEnroll::badArguments()
{
    QCOMPARE(AddRegistration(715, 1, nullptr, "/opt/kr/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "", "/opt/kr/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", nullptr, 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "bin/KR715Config", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/opt/kr\n/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/opt/\xff\xfe", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(715, 0, "KR715 Config", "/opt/kr/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(0, 1, "KR715 Config", "/opt/kr/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(AddRegistration(-715, 1, "KR715 Config", "/opt/kr/run", 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(DeleteRegistration(715, nullptr, 1), APPENROLL_ERROR_INVALID_PARAMETER);
    QCOMPARE(DeleteRegistration(715, "KR715 Config", 7), APPENROLL_ERROR_INVALID_PARAMETER);
    QVERIFY(filesInApplicationsFolder().isEmpty());
}

void TestAppEnroll::unwritableDataFolder()
{
    const QString blocker = m_fallback.filePath(QStringLiteral("not-a-folder"));
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/opt/kr/run", 1), APPENROLL_ERROR_IO);
    QCOMPARE(DeleteRegistration(715, "KR715 Config", 1), APPENROLL_SUCCESS); // nothing registered there
}

void TestAppEnroll::noHomeFolder()
{
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    QCOMPARE(AddRegistration(715, 1, "KR715 Config", "/opt/kr/run", 1), APPENROLL_ERROR_NO_FOLDER);
    QCOMPARE(DeleteRegistration(715, "KR715 Config", 1), APPENROLL_ERROR_NO_FOLDER);
}

QTEST_APPLESS_MAIN(TestAppEnroll)
#include "tst_appenroll.moc"
