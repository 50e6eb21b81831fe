// The launcher's decisions without widgets: the words of a parameter text,
// the search order of programs, the program registered for a document on a
// private desktop, and the launch plan.

#include "Divunit.h"
#include "ExecuteSearch.h"
#include "LauncherTestSupport.h"

#include <QCoreApplication>
#include <QMimeDatabase>
#include <QtTest>

class TestLauncherSearch : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QByteArray m_path;
    QString m_hostFolderFile;

    QString Dir(const QString &sub) const { return m_tmp.path() + QLatin1Char('/') + sub; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_path = qgetenv("PATH");
        UsePrivateDesktop(Dir(QStringLiteral("desktop")));
        KrSetBasePath(Dir(QStringLiteral("base")));
        KrSetProgramDirectories(Dir(QStringLiteral("windows")), Dir(QStringLiteral("system")));
        for (const char *d : {"base", "windows", "system", "path1", "path2", "path3", "cwd"})
            QVERIFY(QDir().mkpath(Dir(QLatin1String(d))));
        QVERIFY(QDir::setCurrent(Dir(QStringLiteral("cwd"))));
    }

    void cleanupTestCase()
    {
        qputenv("PATH", m_path);
        if (!m_hostFolderFile.isEmpty())
            QFile::remove(m_hostFolderFile);
    }

    void shellWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("empty") << QString() << true << QStringList();
        QTest::newRow("blanks only") << QStringLiteral(" \t\n ") << true << QStringList();
        QTest::newRow("plain") << QStringLiteral("a  b\tc") << true << QStringList{"a", "b", "c"};
        QTest::newRow("double quotes") << QStringLiteral("\"two words\" x") << true << QStringList{"two words", "x"};
        QTest::newRow("single quotes keep all") << QStringLiteral("'a \\\"$(b)` c'") << true << QStringList{"a \\\"$(b)` c"};
        QTest::newRow("joined quotes") << QStringLiteral("it'''s' \"a\"'b'c") << true << QStringList{"its", "abc"};
        QTest::newRow("empty words") << QStringLiteral("'' \"\" x") << true << QStringList{"", "", "x"};
        QTest::newRow("backslash blank") << QStringLiteral("a\\ b c") << true << QStringList{"a b", "c"};
        QTest::newRow("backslash newline joins") << QStringLiteral("ab\\\ncd") << true << QStringList{"abcd"};
        QTest::newRow("escapes in double quotes") << QStringLiteral("\"\\$x \\` \\\" \\\\ \\n\"") << true << QStringList{"$x ` \" \\ \\n"};
        QTest::newRow("trailing backslash") << QStringLiteral("a\\") << true << QStringList{"a\\"};
        QTest::newRow("no expansion") << QStringLiteral("$HOME ~ *.txt $(id) `uname` ${X} a;b | c & d > e < f # g")
                                      << true
                                      << QStringList{"$HOME", "~", "*.txt", "$(id)", "`uname`", "${X}", "a;b", "|", "c", "&", "d", ">", "e", "<", "f", "#", "g"};
        QTest::newRow("newline separates") << QStringLiteral("a\nb") << true << QStringList{"a", "b"};
        QTest::newRow("newline kept in quotes") << QStringLiteral("'a\nb'") << true << QStringList{"a\nb"};
        QTest::newRow("unclosed single") << QStringLiteral("a 'b") << false << QStringList();
        QTest::newRow("unclosed double") << QStringLiteral("a \"b\\\"") << false << QStringList();
    }

    void shellWords()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QStringList, words);
        bool gotOk = !ok;
        QCOMPARE(KrSplitShellWords(text, &gotOk), words);
        QCOMPARE(gotOk, ok);
    }

    void extensions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::newRow("none") << QStringLiteral("tool") << QString();
        QTest::newRow("exe") << QStringLiteral("tool.EXE") << QStringLiteral(".EXE");
        QTest::newRow("dot in folder") << QStringLiteral("a.b/tool") << QString();
        QTest::newRow("hidden file") << QStringLiteral("dir/.profile") << QString();
        QTest::newRow("two dots") << QStringLiteral("x.tar.gz") << QStringLiteral(".gz");
    }

    void extensions()
    {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(KrExtensionOf(name), ext);
    }

    // Each row places the program in some of the places; the first place in
    // the search order wins, and on the search path the last folder wins.
    void searchOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("places"); // folder/file to create
        QTest::addColumn<int>("where");
        QTest::addColumn<QString>("found");
        QTest::newRow("as named") << QStringLiteral("prog1") << QStringList{"cwd/prog1", "base/prog1", "windows/prog1"} << 1 << QStringLiteral("cwd/prog1");
        QTest::newRow("base path") << QStringLiteral("prog2") << QStringList{"base/prog2", "windows/prog2"} << 2 << QStringLiteral("base/prog2");
        QTest::newRow("windows directory") << QStringLiteral("prog4") << QStringList{"windows/prog4", "system/prog4", "path1/prog4"} << 4 << QStringLiteral("windows/prog4");
        QTest::newRow("system directory") << QStringLiteral("prog5") << QStringList{"system/prog5", "path1/prog5"} << 5 << QStringLiteral("system/prog5");
        QTest::newRow("later path folder wins") << QStringLiteral("prog6") << QStringList{"path1/prog6", "path3/prog6"} << 6 << QStringLiteral("path3/prog6");
        QTest::newRow("last path entry searched") << QStringLiteral("prog7") << QStringList{"path3/prog7"} << 6 << QStringLiteral("path3/prog7");
        QTest::newRow(".exe appended, file with the ending") << QStringLiteral("prog8") << QStringList{"windows/prog8.exe"} << 4 << QStringLiteral("windows/prog8.exe");
        QTest::newRow("ending given, own program found") << QStringLiteral("prog9.exe") << QStringList{"path2/prog9"} << 6 << QStringLiteral("path2/prog9");
        QTest::newRow(".com given") << QStringLiteral("progA.COM") << QStringList{"base/progA"} << 2 << QStringLiteral("base/progA");
        QTest::newRow("in a sub-folder of the base") << QStringLiteral("tools/progB") << QStringList{"base/tools/progB"} << 2 << QStringLiteral("base/tools/progB");
    }

    void searchOrder()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, places);
        QFETCH(int, where);
        QFETCH(QString, found);
        for (const QString &p : places)
            QVERIFY(InstallProgram(Dir(p)));
        qputenv("PATH", (Dir(QStringLiteral("path1")) + ':' + Dir(QStringLiteral("path2")) + "::relative:" + Dir(QStringLiteral("path3"))).toLocal8Bit());
        const TKRSearchResult r = KrSearchProgram(name);
        qputenv("PATH", m_path);
        QVERIFY(r.executable);
        QCOMPARE(r.where, where);
        QCOMPARE(QFileInfo(r.path).absoluteFilePath(), Dir(found));
    }

    void searchHostFolderAndRegistered()
    {
        // The host program's folder comes third.
        const QString name = QStringLiteral("kr-launcher-host-folder-probe");
        m_hostFolderFile = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
        QVERIFY(InstallProgram(m_hostFolderFile));
        QVERIFY(InstallProgram(Dir(QStringLiteral("windows/")) + name));
        TKRSearchResult r = KrSearchProgram(name);
        QCOMPARE(r.where, int(fwHostFolder));
        QCOMPARE(r.path, m_hostFolderFile);
        QFile::remove(m_hostFolderFile);
        // Found nowhere else: FindProgram (the search path of the system).
        qputenv("PATH", Dir(QStringLiteral("path2")).toLocal8Bit());
        QVERIFY(InstallProgram(Dir(QStringLiteral("path2/progR"))));
        QFile::setPermissions(Dir(QStringLiteral("path2/progR")), QFileDevice::ReadOwner); // not executable: passed over
        r = KrSearchProgram(QStringLiteral("progR"));
        QCOMPARE(r.where, int(fwNotFound));
        QVERIFY(InstallProgram(Dir(QStringLiteral("path2/progR"))));
        r = KrSearchProgram(QStringLiteral("progR"));
        QCOMPARE(r.where, int(fwSearchPath));
        qputenv("PATH", m_path);
        r = KrSearchProgram(QStringLiteral("sh"));
        QVERIFY(r.where >= fwAsNamed);
        QVERIFY(QFileInfo(r.path).isExecutable());
    }

    void searchRefuses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << QStringLiteral("kr-no-such-program");
        QTest::newRow("shell text") << QStringLiteral("sh -c 'touch PWNED'");
        QTest::newRow("command separator") << QStringLiteral("true; touch PWNED");
        QTest::newRow("substitution") << QStringLiteral("$(touch PWNED)");
        QTest::newRow("folder") << QStringLiteral("/tmp");
        QTest::newRow("absolute missing") << QStringLiteral("/nonexistent/dir/prog");
    }

    void searchRefuses()
    {
        QFETCH(QString, name);
        const TKRSearchResult r = KrSearchProgram(name);
        QCOMPARE(r.where, int(fwNotFound));
        const TKRLaunchPlan plan = KrPlanLaunch(name, QString(), QString());
        QVERIFY(!plan.IsValid());
        QVERIFY(plan.problem.contains(name));
        QVERIFY(!QFile::exists(QStringLiteral("PWNED")));
    }

    void registeredDocumentPrograms()
    {
        const QString viewer = Dir(QStringLiteral("apps/viewer"));
        const QString editor = Dir(QStringLiteral("apps/editor"));
        QVERIFY(InstallProgram(viewer));
        QVERIFY(InstallProgram(editor));
        const QString apps = Dir(QStringLiteral("desktop/data/applications/"));
        QVERIFY(WriteFile(apps + "kr-viewer.desktop",
                          "[Desktop Entry]\nType=Application\nName=Test Viewer\nIcon=viewer-icon\n"
                          "Exec=" + viewer.toUtf8() + " --view %f \"--title=%c\" %i 100%% %k\n"));
        QVERIFY(WriteFile(apps + "kr-editor.desktop",
                          "[Desktop Entry]\nType=Application\nName=Editor\nExec=\"" + editor.toUtf8() + "\" --many %F --x\n"));
        QVERIFY(WriteFile(apps + "kr-hidden.desktop", "[Desktop Entry]\nType=Application\nHidden=true\nExec=" + editor.toUtf8() + "\n"));
        QVERIFY(WriteFile(apps + "kr-tryexec.desktop",
                          "[Desktop Entry]\nType=Application\nTryExec=kr-not-installed\nExec=" + editor.toUtf8() + "\n"));
        QVERIFY(WriteFile(apps + "kr-nofile.desktop", "[Desktop Entry]\nType=Application\nExec=" + editor.toUtf8() + " --new\n"));
        QVERIFY(WriteFile(apps + "kr-removed.desktop", "[Desktop Entry]\nType=Application\nExec=" + editor.toUtf8() + " --removed\n"));
        QVERIFY(WriteFile(Dir(QStringLiteral("desktop/config/mimeapps.list")),
                          "[Added Associations]\ntext/csv=kr-editor.desktop;\n"
                          "[Removed Associations]\nimage/png=kr-removed.desktop;\n"
                          "[Default Applications]\n"
                          "text/plain=kr-missing.desktop;kr-hidden.desktop;kr-tryexec.desktop;kr-viewer.desktop;kr-editor.desktop\n"
                          "image/png=kr-removed.desktop;kr-nofile.desktop\n"));
        // A lower list is read only for types the upper ones leave open.
        QVERIFY(WriteFile(apps + "mimeapps.list", "[Default Applications]\ntext/plain=kr-editor.desktop\napplication/pdf=kr-editor.desktop\n"));

        const QString doc = Dir(QStringLiteral("docs/notes.txt"));
        QVERIFY(WriteFile(doc, "some notes\n"));
        TKrCommand cmd = FindDocumentCommand(doc);
        QCOMPARE(cmd.program, viewer);
        QCOMPARE(cmd.arguments, (QStringList{"--view", doc, "--title=Test Viewer", "--icon", "viewer-icon", "100%", apps + "kr-viewer.desktop"}));
        QCOMPARE(cmd.mimeType, QStringLiteral("text/plain"));
        // The text form keeps the codes.
        QCOMPARE(FindProgram(feDocument, QStringLiteral(".txt")), viewer + " --view %f --title=%c %i 100%% %k");

        // A type derived from text/plain falls back to it.
        const QString source = Dir(QStringLiteral("docs/main.c"));
        QVERIFY(WriteFile(source, "int main() { return 0; }\n"));
        QCOMPARE(FindDocumentCommand(source).program, viewer);
        // Added associations when there is no default; %F takes the document.
        const QString table = Dir(QStringLiteral("docs/my table; $(x).csv"));
        QVERIFY(WriteFile(table, "a,b\n1,2\n"));
        cmd = FindDocumentCommand(table);
        QCOMPARE(cmd.program, editor);
        QCOMPARE(cmd.arguments, (QStringList{"--many", table, "--x"}));
        // Removed associations are passed over; without a file code the
        // document is appended.
        const QString picture = Dir(QStringLiteral("docs/p.png"));
        QVERIFY(WriteFile(picture, QByteArray::fromHex("89504E470D0A1A0A")));
        cmd = FindDocumentCommand(picture);
        QCOMPARE(cmd.arguments, (QStringList{"--new", picture}));
        // The lower list decides what the upper one leaves open.
        QCOMPARE(FindDocumentCommand(Dir(QStringLiteral("docs/x.pdf"))).arguments, (QStringList{"--many", Dir(QStringLiteral("docs/x.pdf")), "--x"}));
        // Nothing registered.
        QVERIFY(!FindDocumentCommand(Dir(QStringLiteral("docs/a.zzkrq"))).IsValid());
        QVERIFY(FindProgram(feDocument, QStringLiteral("zzkrq")).isEmpty());
    }

    void execLines_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << QStringLiteral("prog --a %f") << true << QStringList{"prog", "--a", "%f"};
        QTest::newRow("quoted") << QStringLiteral("\"/opt/my prog\" \"a \\\"b\\\" \\$c \\\\d\"") << true << QStringList{"/opt/my prog", "a \"b\" $c \\d"};
        QTest::newRow("unclosed") << QStringLiteral("prog \"a") << false << QStringList();
    }

    void execLines()
    {
        QFETCH(QString, exec);
        QFETCH(bool, ok);
        QFETCH(QStringList, words);
        bool gotOk = !ok;
        QCOMPARE(KrSplitExecLine(exec, &gotOk), words);
        QCOMPARE(gotOk, ok);
        if (ok) {
            QStringList quoted;
            for (const QString &w : words)
                quoted << KrQuoteExecWord(w);
            QCOMPARE(KrSplitExecLine(quoted.join(QLatin1Char(' '))), words);
        }
    }

    void launchPlans()
    {
        QVERIFY(InstallProgram(Dir(QStringLiteral("base/planprog"))));
        QVERIFY(QDir().mkpath(Dir(QStringLiteral("work"))));
        // Start in: an existing folder (also relative to the base), else the program's own.
        TKRLaunchPlan p = KrPlanLaunch(QStringLiteral("planprog"), QStringLiteral("-x 'y z'"), Dir(QStringLiteral("work")));
        QVERIFY(p.IsValid());
        QCOMPARE(p.program, Dir(QStringLiteral("base/planprog")));
        QCOMPARE(p.arguments, (QStringList{"-x", "y z"}));
        QCOMPARE(p.workingDirectory, Dir(QStringLiteral("work")));
        QVERIFY(QDir().mkpath(Dir(QStringLiteral("base/rel"))));
        QCOMPARE(KrPlanLaunch(QStringLiteral("planprog"), QString(), QStringLiteral("rel")).workingDirectory, Dir(QStringLiteral("base/rel")));
        QCOMPARE(KrPlanLaunch(QStringLiteral("planprog"), QString(), Dir(QStringLiteral("gone"))).workingDirectory, Dir(QStringLiteral("base")));
        QVERIFY(KrDescribePlan(p).contains(p.program));
        // An unclosed quote starts nothing and says why.
        p = KrPlanLaunch(QStringLiteral("planprog"), QStringLiteral("\"oops"), QString());
        QVERIFY(!p.IsValid());
        QVERIFY(p.problem.contains(QStringLiteral("quote")));
        // A document that is not there opens nothing.
        p = KrPlanLaunch(QStringLiteral("missing.txt"), QString(), QString());
        QVERIFY(!p.IsValid());
        QVERIFY(p.problem.contains(QStringLiteral("missing.txt")));
        QVERIFY(!KrPlanLaunch(QString(), QString(), QString()).IsValid());
    }
};

QTEST_GUILESS_MAIN(TestLauncherSearch)
#include "tst_launchersearch.moc"
