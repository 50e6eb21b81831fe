// The host loader: good libraries load and make symbols; missing files,
// libraries without the export and libraries built for another runtime are
// reported with their path and cause and skipped, leaving nothing loaded or
// registered behind; only the exact file named is loaded.

#include "KrHostLoader.h"
#include "KrModules.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <dlfcn.h>

// Whether the process has that library file mapped now (asks without loading).
static bool IsMapped(const QString &path)
{
    void *h = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

static bool IsRegistered(const QString &guid)
{
    for (const TKrModuleInfo &m : KrModules())
        if (m.guid.compare(guid, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

class TestHostLoader : public QObject {
    Q_OBJECT

private slots:
    void fileNamesFollowTheGuid()
    {
        const QString suffix = QStringLiteral(".so");
        QCOMPARE(TKrHostLoader::LibraryFileName(QStringLiteral("{7f6f463a-068c-4fc7-8c2c-48cfcca86966}")),
                 QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}[02]") + suffix);
        QCOMPARE(TKrHostLoader::GuidOfFileName(QStringLiteral("/x/{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}[02]") + suffix),
                 QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}"));
        QVERIFY(TKrHostLoader::GuidOfFileName(QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}.so")).isEmpty());
        QVERIFY(TKrHostLoader::GuidOfFileName(QStringLiteral("libKeloRTL.so")).isEmpty());
        // The build names the test library the same way.
        QCOMPARE(QFileInfo(QStringLiteral(KR_TEST_SYMBOL_LIB)).fileName(),
                 TKrHostLoader::LibraryFileName(QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}")));
    }

    void goodLibraryLoadsAndCreatesSymbols()
    {
        TKrHostLoader loader;
        TKrComponentLibrary *lib = loader.Load(QStringLiteral(KR_TEST_SYMBOL_LIB));
        QVERIFY2(lib, qPrintable(loader.Problems().value(0).ToString()));
        QVERIFY(loader.Problems().isEmpty());
        QCOMPARE(lib->Guid(), QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}"));
        QCOMPARE(lib->RuntimeVersion(), KrRuntimeVersion());
        QCOMPARE(loader.Load(QStringLiteral(KR_TEST_SYMBOL_LIB)), lib);
        QCOMPARE(loader.Library(QStringLiteral("7f6f463a-068c-4fc7-8c2c-48cfcca86966")), lib);

        TKrSymbol *a = lib->Create(nullptr);
        TKrSymbol *b = lib->Create(nullptr);
        QVERIFY(a && b && a != b);
        QCOMPARE(QString::fromLatin1(a->metaObject()->className()), QStringLiteral("TKRTestSymbol"));
        QVERIFY(a->FindElement(QStringLiteral("Frame")));
        delete a;
        delete b;

        // The library registered itself with the runtime when it was loaded.
        bool registered = false;
        for (const TKrModuleInfo &m : KrModules())
            if (m.guid == lib->Guid()) {
                registered = true;
                QCOMPARE(QFileInfo(m.path).canonicalFilePath(), QFileInfo(lib->Path()).canonicalFilePath());
                QCOMPARE(m.name, QStringLiteral("KrTestSymbol"));
                QCOMPARE(m.version, QStringLiteral("1.2.3"));
            }
        QVERIFY(registered);
    }

    void missingFileIsReported()
    {
        TKrHostLoader loader;
        const QString path = QDir::tempPath() + QStringLiteral("/no-such-dir/{00000000-0000-0000-0000-000000000001}[02].so");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(path));
        QCOMPARE(loader.Problems().size(), 1);
        const TKrLoadProblem p = loader.Problems().first();
        QCOMPARE(p.path, path);
        QVERIFY2(p.reason.contains(QStringLiteral("cannot load")), qPrintable(p.reason));
        // The system's own text is part of the report.
        QVERIFY2(p.reason.contains(QStringLiteral("No such file or directory")), qPrintable(p.reason));
        QVERIFY(loader.Libraries().isEmpty());
    }

    void missingFileLoadsNothingElse()
    {
        // Beside the missing file lies one with the "lib" prefix the system
        // loader would try: it must stay unloaded.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = QStringLiteral("{00000000-0000-0000-0000-000000000002}[02].so");
        const QString other = dir.filePath(QStringLiteral("lib") + name);
        QVERIFY(QFile::copy(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB), other));
        TKrHostLoader loader;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(dir.filePath(name)));
        QCOMPARE(loader.Problems().size(), 1);
        QCOMPARE(loader.Problems().first().path, dir.filePath(name));
        QVERIFY2(loader.Problems().first().reason.endsWith(QStringLiteral("No such file or directory")), qPrintable(loader.Problems().first().reason));
        QVERIFY(!IsMapped(other));
        // Once it is there, the file itself is what loads (and is found to lack
        // the export).
        QVERIFY(QFile::copy(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB), dir.filePath(name)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(dir.filePath(name)));
        QCOMPARE(loader.Problems().size(), 2);
        QVERIFY2(loader.Problems().last().reason.contains(QStringLiteral("SymbolCreate")), qPrintable(loader.Problems().last().reason));
        QVERIFY(!IsMapped(other));
    }

    void libraryWithoutExportIsReported()
    {
        TKrHostLoader loader;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB)));
        QCOMPARE(loader.Problems().size(), 1);
        const TKrLoadProblem p = loader.Problems().first();
        QCOMPARE(p.path, QFileInfo(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB)).absoluteFilePath());
        QVERIFY2(p.reason.contains(QStringLiteral("SymbolCreate")), qPrintable(p.reason));
        QVERIFY2(p.reason.contains(QStringLiteral("undefined symbol")) || p.reason.contains(QStringLiteral("resolve")), qPrintable(p.reason));
        // Refused after loading: unloaded again.
        QVERIFY(!IsMapped(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB)));
    }

    void libraryOfAnotherRuntimeIsRefused()
    {
        TKrHostLoader loader;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(QStringLiteral(KR_FIXTURE_WRONG_VERSION_LIB)));
        QCOMPARE(loader.Problems().size(), 1);
        const TKrLoadProblem p = loader.Problems().first();
        QCOMPARE(p.path, QFileInfo(QStringLiteral(KR_FIXTURE_WRONG_VERSION_LIB)).absoluteFilePath());
        QVERIFY2(p.reason.contains(QStringLiteral("version 999")), qPrintable(p.reason));
        QVERIFY2(p.reason.contains(QStringLiteral("version %1").arg(KrRuntimeVersion())), qPrintable(p.reason));
        QVERIFY(loader.Libraries().isEmpty());
        // Read from the file: the library was never loaded, so its start-up
        // never ran and it is not in the runtime's module list.
        QVERIFY(!IsMapped(QStringLiteral(KR_FIXTURE_WRONG_VERSION_LIB)));
        QVERIFY(!IsRegistered(QStringLiteral("{8540A794-490F-4580-8E90-E814B6396C30}")));
    }

    void libraryRefusedAfterLoadingLeavesNoTrace()
    {
        const QString path = QStringLiteral(KR_FIXTURE_OLD_ENTRY_LIB);
        const QString guid = QStringLiteral("{3C1E5F0A-9B7D-4E21-A6C4-0D8F2B91E7A5}");
        {
            // Without a version section the mismatch shows after loading: the
            // library is unloaded again, which undoes its start-up.
            TKrHostLoader loader;
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
            QVERIFY(!loader.Load(path));
            QVERIFY2(loader.Problems().first().reason.contains(QStringLiteral("version 998")), qPrintable(loader.Problems().first().reason));
            QVERIFY(!IsMapped(path));
            QVERIFY(!IsRegistered(guid));
        }
        // Held by someone else, it cannot be unloaded; the loader still takes
        // its registration out.
        void *held = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(held, dlerror());
        QVERIFY(IsRegistered(guid));
        TKrHostLoader loader;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QVERIFY(!loader.Load(path));
        QVERIFY(IsMapped(path));
        QVERIFY(!IsRegistered(guid));
        dlclose(held);
        QVERIFY(!IsMapped(path));
    }

    void directoryLoadGoesOnPastBadLibraries()
    {
        TKrHostLoader loader;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("skipped")));
        QCOMPARE(loader.LoadDirectory(QStringLiteral(KR_TEST_COMPONENT_DIR)), 2);
        QVERIFY(loader.Library(QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}")));
        QVERIFY(loader.Library(QStringLiteral("{65AF74EF-DCC4-4D33-BC01-635FE0F1D667}")));
        QCOMPARE(loader.Problems().size(), 2);
        QStringList paths;
        for (const TKrLoadProblem &p : loader.Problems())
            paths << QFileInfo(p.path).fileName();
        paths.sort();
        QCOMPARE(paths, (QStringList{QFileInfo(QStringLiteral(KR_FIXTURE_NO_EXPORT_LIB)).fileName(),
                                     QFileInfo(QStringLiteral(KR_FIXTURE_WRONG_VERSION_LIB)).fileName()}));
    }
};

QTEST_MAIN(TestHostLoader)
#include "tst_hostloader.moc"
