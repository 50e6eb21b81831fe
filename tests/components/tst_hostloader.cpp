// The host loader: good libraries load and make symbols; missing files,
// libraries without the export and libraries built for another runtime are
// reported with their path and cause and skipped.

#include "KrHostLoader.h"
#include "KrModules.h"

#include <QFileInfo>
#include <QtTest>

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
        // The system loader's own text is part of the report.
        QVERIFY2(p.reason.contains(QStringLiteral("No such file")), qPrintable(p.reason));
        QVERIFY(loader.Libraries().isEmpty());
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
