// The Launcher library as the host uses it: loaded from its file, its execute
// button placed on a drawing page and clicked with the mouse in run and design
// mode. The button starts a small program of the tests' own, which records
// its arguments and working folder, and opens documents through a private
// desktop's MIME associations.

#include "Divunit.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "Krsymbols.h"
#include "LauncherTestSupport.h"

#include <QElapsedTimer>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestLauncher : public QObject {
    Q_OBJECT
    TKrHostLoader m_loader;
    TKrComponentLibrary *m_lib = nullptr;
    QTemporaryDir m_tmp;
    QString m_program;
    QList<qint64> m_started;

    QString Dir(const QString &sub) const { return m_tmp.path() + QLatin1Char('/') + sub; }

    struct Page {
        TKrDrawingPage page;
        TKrHostDesigner designer;
        Page(TKrHostLoader *loader, bool design) : page(loader), designer(&page)
        {
            if (design)
                page.SetDesigner(&designer);
            page.resize(400, 300);
            page.Open();
            page.show();
        }
    };

    TKrSymbol *Button(Page &p, const QString &execProc, const QString &params = QString(), const QString &startIn = QString())
    {
        TKrSymbol *s = p.page.CreateSymbol(m_lib, QStringLiteral("Execute"), TRect(20, 20, 85, 50));
        if (!s)
            return nullptr;
        s->setProperty("ExecProc", execProc);
        s->FindElement(QStringLiteral("Execute params"))->setProperty("Value", params);
        s->FindElement(QStringLiteral("Start in"))->setProperty("Value", startIn);
        return s;
    }

    static void Click(TKrSymbol *s, QPoint at = QPoint(30, 15), Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(s, button, Qt::NoModifier, at);
        QTest::mouseRelease(s, button, Qt::NoModifier, at);
    }

    static bool Pressed(TKrSymbol *s) { return s->property("Pressed").toBool(); }
    static qint64 Pid(TKrSymbol *s) { return s->property("ProcessId").toLongLong(); }

    // Sets what the next started program does and where it records.
    QString Expect(const QString &mode)
    {
        static int n = 0;
        const QString out = Dir(QStringLiteral("out/run%1.txt").arg(++n));
        QDir().mkpath(Dir(QStringLiteral("out")));
        qputenv("KR_ARGVDUMP_OUT", out.toLocal8Bit());
        qputenv("KR_ARGVDUMP_MODE", mode.toLocal8Bit());
        return out;
    }

    // What the program started for out recorded (invalid when it recorded
    // nothing within 5 seconds).
    TArgvRecord WaitRecord(const QString &out)
    {
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(out) && t.elapsed() < 30000)
            QTest::qWait(20);
        const TArgvRecord r = ReadArgvRecord(out);
        if (r.pid > 0)
            m_started << r.pid;
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_lib = m_loader.Load(QStringLiteral(KR_LAUNCHER_LIB));
        QVERIFY2(m_lib, qPrintable(m_loader.Problems().isEmpty() ? QString() : m_loader.Problems().first().ToString()));
        UsePrivateDesktop(Dir(QStringLiteral("desktop")));
        KrSetBasePath(Dir(QStringLiteral("base")));
        KrSetProgramDirectories(Dir(QStringLiteral("windows")), Dir(QStringLiteral("system")));
        QVERIFY(QDir().mkpath(Dir(QStringLiteral("base"))));
        m_program = Dir(QStringLiteral("bin/recorder"));
        QVERIFY(InstallProgram(m_program));
        QVERIFY(QDir::setCurrent(Dir(QStringLiteral("base"))));
    }

    void cleanupTestCase()
    {
        for (qint64 pid : m_started)
            KillProcess(pid);
    }

    void libraryAndAbout()
    {
        QCOMPARE(m_lib->Guid(), QStringLiteral("{8D98DFEE-A180-4674-8FBA-41650081DEE0}"));
        QVERIFY(QFileInfo(m_lib->Path()).fileName().startsWith(QStringLiteral("{8D98DFEE-A180-4674-8FBA-41650081DEE0}[02]")));
        Page p(&m_loader, false);
        TKrSymbol *s = p.page.CreateSymbol(m_lib, QString(), TRect(0, 0, 65, 30));
        QVERIFY(s);
        QCOMPARE(QString::fromLatin1(s->metaObject()->className()), QStringLiteral("TKRExecute"));
        const QImage about(s->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        // Not a blank picture: the button face and the green start arrow.
        QCOMPARE(about.pixelColor(22, 18), QColor(0x10, 0x90, 0x30));
        QFile version(s->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(version.readAll().startsWith("Launcher 1.0.0\nLauncher: a push button"));
        // The elements, named, in their order; the file selector is not in the tree.
        QCOMPARE(TKrHostDesigner::ElementTree(s), (QStringList{"Image", "Caption", "Up Frame", "Down Frame", "Execute params", "Start in"}));
        QCOMPARE(s->CursorCode(), int(crHandPoint));
        QCOMPARE(s->size(), QSize(65, 30));
    }

    void startsProgramWithExactWords_data()
    {
        QTest::addColumn<QString>("params");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("design");
        QTest::newRow("none") << QString() << QStringList() << false;
        QTest::newRow("spaces and quotes") << QStringLiteral("  one \"two words\" 'single \"q\"' it\\'s ") << QStringList{"one", "two words", "single \"q\"", "it's"} << false;
        QTest::newRow("semicolons") << QStringLiteral("a;b ; touch PWNED1;") << QStringList{"a;b", ";", "touch", "PWNED1;"} << false;
        QTest::newRow("command substitution") << QStringLiteral("$(touch PWNED2) \"$(touch PWNED3)\"") << QStringList{"$(touch", "PWNED2)", "$(touch PWNED3)"} << false;
        QTest::newRow("back quotes") << QStringLiteral("`touch PWNED4` '`id`'") << QStringList{"`touch", "PWNED4`", "`id`"} << false;
        QTest::newRow("globs and variables") << QStringLiteral("* ?.txt [a-z]* $HOME ${PATH} ~") << QStringList{"*", "?.txt", "[a-z]*", "$HOME", "${PATH}", "~"} << false;
        QTest::newRow("newlines") << QStringLiteral("first\nsecond 'three\nlines\nhere' x\\\ny") << QStringList{"first", "second", "three\nlines\nhere", "xy"} << false;
        QTest::newRow("pipes and redirections") << QStringLiteral("| cat > PWNED5 && rm -rf x &") << QStringList{"|", "cat", ">", "PWNED5", "&&", "rm", "-rf", "x", "&"} << false;
        QTest::newRow("design mode") << QStringLiteral("--design \"a b\"") << QStringList{"--design", "a b"} << true;
    }

    void startsProgramWithExactWords()
    {
        QFETCH(QString, params);
        QFETCH(QStringList, words);
        QFETCH(bool, design);
        // A few files a glob would have matched.
        QVERIFY(WriteFile(Dir(QStringLiteral("base/a.txt")), "x"));
        Page p(&m_loader, design);
        TKrSymbol *s = Button(p, m_program, params);
        QVERIFY(s);
        const QString out = Expect(QStringLiteral("exit"));
        Click(s);
        const TArgvRecord r = WaitRecord(out);
        QVERIFY(r.valid);
        QCOMPARE(r.argv.mid(1), words);
        QCOMPARE(r.argv.first(), m_program);
        // No "Start in": the program's own folder.
        QCOMPARE(r.cwd, Dir(QStringLiteral("bin")));
        // It ended at once: the poll lets the button up within about a second.
        QTRY_VERIFY_WITH_TIMEOUT(!Pressed(s), 3000);
        QCOMPARE(Pid(s), 0);
        QVERIFY(s->property("LastProblem").toString().isEmpty());
        for (const char *f : {"PWNED1", "PWNED2", "PWNED3", "PWNED4", "PWNED5"}) {
            QVERIFY(!QFile::exists(Dir(QStringLiteral("base/")) + QLatin1String(f)));
            QVERIFY(!QFile::exists(Dir(QStringLiteral("bin/")) + QLatin1String(f)));
        }
    }

    void startIn_data()
    {
        QTest::addColumn<QString>("startIn");
        QTest::addColumn<QString>("cwd");
        QTest::newRow("existing folder") << Dir(QStringLiteral("work")) << Dir(QStringLiteral("work"));
        QTest::newRow("relative to the project") << QStringLiteral("sub") << Dir(QStringLiteral("base/sub"));
        QTest::newRow("missing folder") << Dir(QStringLiteral("no/such/folder")) << Dir(QStringLiteral("bin"));
        QTest::newRow("a file, not a folder") << m_program << Dir(QStringLiteral("bin"));
        QTest::newRow("hostile text") << QStringLiteral("$(touch PWNED6); `x`") << Dir(QStringLiteral("bin"));
    }

    void startIn()
    {
        QFETCH(QString, startIn);
        QFETCH(QString, cwd);
        QVERIFY(QDir().mkpath(Dir(QStringLiteral("work"))));
        QVERIFY(QDir().mkpath(Dir(QStringLiteral("base/sub"))));
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program, QString(), startIn);
        const QString out = Expect(QStringLiteral("exit"));
        Click(s);
        const TArgvRecord r = WaitRecord(out);
        QCOMPARE(r.cwd, cwd);
        QVERIFY(!QFile::exists(Dir(QStringLiteral("bin/PWNED6"))));
    }

    void documentOpensWithRegisteredProgram_data()
    {
        QTest::addColumn<QString>("execProc");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("relative to the project") << QStringLiteral("notes.txt") << Dir(QStringLiteral("base/notes.txt")) << QStringLiteral("--line 5") << QStringList{"--line", "5"};
        QTest::newRow("absolute, hostile name") << Dir(QStringLiteral("docs/my notes; $(touch PWNED7) `x`.txt"))
                                                << Dir(QStringLiteral("docs/my notes; $(touch PWNED7) `x`.txt")) << QString() << QStringList();
    }

    void documentOpensWithRegisteredProgram()
    {
        QFETCH(QString, execProc);
        QFETCH(QString, document);
        QFETCH(QString, params);
        QFETCH(QStringList, tail);
        const QString viewer = Dir(QStringLiteral("apps/text viewer"));
        QVERIFY(InstallProgram(viewer));
        QVERIFY(WriteFile(Dir(QStringLiteral("desktop/data/applications/kr-test-viewer.desktop")),
                          "[Desktop Entry]\nType=Application\nName=Test Viewer\nMimeType=text/plain;\n"
                          "Exec=\"" + viewer.toUtf8() + "\" --view %f --title \"%c\"\n"));
        QVERIFY(WriteFile(Dir(QStringLiteral("desktop/config/mimeapps.list")), "[Default Applications]\ntext/plain=kr-test-viewer.desktop;\n"));
        QVERIFY(WriteFile(document, "the document\n"));
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, execProc, params);
        const QString out = Expect(QStringLiteral("wait"));
        Click(s);
        const TArgvRecord r = WaitRecord(out);
        QCOMPARE(r.argv, QStringList({viewer, "--view", document, "--title", "Test Viewer"}) + tail);
        QCOMPARE(r.cwd, Dir(QStringLiteral("apps")));
        QVERIFY(Pressed(s));
        QCOMPARE(Pid(s), r.pid);
        QVERIFY(!QFile::exists(Dir(QStringLiteral("docs/PWNED7"))));
        // A click on the down button asks the program to close: it ends.
        QElapsedTimer t;
        t.start();
        Click(s);
        QVERIFY(!Pressed(s));
        QCOMPARE(Pid(s), 0);
        QVERIFY(t.elapsed() < 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(r.pid), 2000);
    }

    void documentWithoutProgramOrFile_data()
    {
        QTest::addColumn<QString>("execProc");
        QTest::addColumn<QString>("problem");
        QTest::newRow("nothing registered") << QStringLiteral("data.zzkrq") << QStringLiteral("No program is registered");
        QTest::newRow("document missing") << QStringLiteral("missing.txt") << QStringLiteral("does not exist");
        QTest::newRow("program missing") << QStringLiteral("kr-no-such-program") << QStringLiteral("was not found");
        QTest::newRow("shell line as name") << QStringLiteral("sh -c 'touch PWNED8'") << QStringLiteral("was not found");
    }

    void documentWithoutProgramOrFile()
    {
        QFETCH(QString, execProc);
        QFETCH(QString, problem);
        QVERIFY(WriteFile(Dir(QStringLiteral("base/data.zzkrq")), "x"));
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, execProc);
        const QString out = Expect(QStringLiteral("exit"));
        Click(s);
        QVERIFY(!Pressed(s));
        QCOMPARE(Pid(s), 0);
        QVERIFY2(s->property("LastProblem").toString().contains(problem), qPrintable(s->property("LastProblem").toString()));
        QCOMPARE(s->toolTip(), s->property("LastProblem").toString());
        QTest::qWait(300);
        QVERIFY(!QFile::exists(out));
        QVERIFY(!QFile::exists(Dir(QStringLiteral("base/PWNED8"))));
        // The next click that starts something clears the message.
        s->setProperty("ExecProc", m_program);
        Click(s);
        QVERIFY(WaitRecord(out).valid);
        QVERIFY(s->toolTip().isEmpty());
    }

    void unclosedQuoteStartsNothing()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program, QStringLiteral("\"unclosed"));
        const QString out = Expect(QStringLiteral("exit"));
        Click(s);
        QVERIFY(!Pressed(s));
        QVERIFY(s->property("LastProblem").toString().contains(QStringLiteral("quote")));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(out));
    }

    void pressInsideReleaseOutside_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("design");
        QTest::newRow("up, run mode") << false << false;
        QTest::newRow("up, design mode") << false << true;
        QTest::newRow("down while running") << true << false;
    }

    void pressInsideReleaseOutside()
    {
        QFETCH(bool, running);
        QFETCH(bool, design);
        Page p(&m_loader, design);
        TKrSymbol *s = Button(p, m_program);
        qint64 pid = 0;
        if (running) {
            const QString out = Expect(QStringLiteral("wait"));
            Click(s);
            pid = WaitRecord(out).pid;
            QVERIFY(Pressed(s));
        }
        const QString out = Expect(QStringLiteral("exit"));
        const bool before = Pressed(s);
        QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(30, 15));
        QCOMPARE(Pressed(s), !before); // drawn the other way while held
        QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        QCOMPARE(Pressed(s), before);
        QTest::qWait(300);
        QVERIFY(!QFile::exists(out));
        if (running) {
            QCOMPARE(Pid(s), pid);
            QVERIFY(ProcessAlive(pid));
        }
    }

    // A press drawn up and released outside leaves the running program
    // watched: its end still lets the button up.
    void releaseOutsideKeepsWatchingTheProgram()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        const QString out = Expect(QStringLiteral("wait"));
        Click(s);
        const qint64 pid = WaitRecord(out).pid;
        QVERIFY(Pressed(s));
        QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(30, 15));
        QTest::qWait(100); // the button is drawn up meanwhile
        QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(-20, 100));
        QVERIFY(Pressed(s));
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!Pressed(s), 3000);
        QCOMPARE(Pid(s), 0);
    }

    // A program started before its name was cleared is still closed when the
    // button goes.
    void clearedNameStillClosesOnDestruction()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        const QString out = Expect(QStringLiteral("wait"));
        Click(s);
        const qint64 pid = WaitRecord(out).pid;
        QVERIFY(ProcessAlive(pid));
        s->setProperty("ExecProc", QString());
        QVERIFY(p.page.DeleteSymbol(s));
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(pid), 2000);
    }

    void emptyExecProcTogglesLookOnly_data()
    {
        QTest::addColumn<bool>("design");
        QTest::newRow("run mode") << false;
        QTest::newRow("design mode") << true;
    }

    void emptyExecProcTogglesLookOnly()
    {
        QFETCH(bool, design);
        Page p(&m_loader, design);
        TKrSymbol *s = Button(p, QString(), QStringLiteral("--x"));
        const QString out = Expect(QStringLiteral("exit"));
        Click(s);
        QVERIFY(Pressed(s));
        QCOMPARE(Pid(s), 0);
        Click(s, QPoint(5, 5), Qt::RightButton);
        QVERIFY(!Pressed(s));
        QTest::qWait(200);
        QVERIFY(!QFile::exists(out));
    }

    void programIgnoringCloseIsReleased()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        const QString out = Expect(QStringLiteral("ignore"));
        Click(s);
        const qint64 pid = WaitRecord(out).pid;
        QVERIFY(Pressed(s));
        QElapsedTimer t;
        t.start();
        Click(s); // asks it to close; it refuses
        const qint64 waited = t.elapsed();
        QVERIFY2(waited >= 4900 && waited < 8000, qPrintable(QString::number(waited)));
        QVERIFY(!Pressed(s));
        QCOMPARE(Pid(s), 0);
        // Released, not killed: it keeps running.
        QVERIFY(ProcessAlive(pid));
        // The button is free for the next start.
        const QString out2 = Expect(QStringLiteral("exit"));
        Click(s);
        QVERIFY(WaitRecord(out2).valid);
        KillProcess(pid);
    }

    // On an X11 display the close request goes to the program's window: this
    // program ignores SIGTERM and ends only when its window is asked to close.
    void closeRequestReachesTheWindow()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("No X11 display to show the program's window on");
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, QStringLiteral(KR_WINDOWPROG));
        const QString out = Expect(QStringLiteral("window"));
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", "xcb");
        Click(s);
        qputenv("QT_QPA_PLATFORM", platform);
        const TArgvRecord r = WaitRecord(out);
        QVERIFY(r.pid > 0);
        QVERIFY(Pressed(s));
        QElapsedTimer t;
        t.start();
        Click(s);
        QVERIFY2(t.elapsed() < 4000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(QFile::exists(out + QStringLiteral(".closed")));
        QVERIFY(!Pressed(s));
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(r.pid), 2000);
    }

    void programEndingIsNoticedByThePoll()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        const QString out = Expect(QStringLiteral("wait"));
        Click(s);
        const qint64 pid = WaitRecord(out).pid;
        QVERIFY(Pressed(s));
        QTest::qWait(1200);
        QVERIFY(Pressed(s)); // still running: still down
        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!Pressed(s), 3000);
        QCOMPARE(Pid(s), 0);
    }

    void destroyingTheButtonClosesTheProgram()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        const QString out = Expect(QStringLiteral("wait"));
        Click(s);
        const qint64 pid = WaitRecord(out).pid;
        QVERIFY(ProcessAlive(pid));
        QVERIFY(p.page.DeleteSymbol(s));
        QTRY_VERIFY_WITH_TIMEOUT(!ProcessAlive(pid), 2000);
    }

    void threeMirrors_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("startDeg");
        QTest::addColumn<QList<int>>("degrees");
        QTest::newRow("left to right from 90") << 2 << 90 << QList<int>{270, 90, 270};
        QTest::newRow("left to right from 0") << 2 << 0 << QList<int>{0, 0, 0};
        QTest::newRow("top to bottom from 0") << 3 << 0 << QList<int>{180, 0, 180};
        QTest::newRow("top to bottom from 270") << 3 << 270 << QList<int>{270, 270, 270};
    }

    void threeMirrors()
    {
        QFETCH(int, function);
        QFETCH(int, startDeg);
        QFETCH(QList<int>, degrees);
        Page p(&m_loader, true);
        TKrSymbol *s = Button(p, m_program);
        s->setProperty("RotDeg", startDeg);
        auto *rot = Supports<IKrRotatable>(static_cast<QObject *>(s));
        QVERIFY(rot);
        QVERIFY(rot->CanRotate());
        const QRect before = s->geometry();
        for (int i = 0; i < 3; ++i) {
            rot->Rotate_Mirror(function, s->mapToGlobal(QPoint(0, 0)));
            QCOMPARE(rot->GetRotation(), degrees.at(i));
            QCOMPARE(rot->GetMirrored(), i % 2 == 0);
        }
        QCOMPARE(s->property("RotMirr").toBool(), true);
        QCOMPARE(s->geometry(), before); // mirroring keeps the place
        QVERIFY(p.designer.IsModified());
    }

    void rotateTurnsTheBounds()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, m_program);
        auto *rot = Supports<IKrRotatable>(static_cast<QObject *>(s));
        const QRect before = s->geometry();
        const QPoint centre = p.page.mapToGlobal(before.center());
        rot->Rotate_Mirror(0, centre);
        QCOMPARE(rot->GetRotation(), 90);
        QCOMPARE(s->size(), before.size().transposed());
        rot->Rotate_Mirror(1, centre);
        QCOMPARE(rot->GetRotation(), 0);
        QCOMPARE(s->geometry(), before);
        rot->Rotate_Mirror(7, centre); // no such function: nothing changes
        QCOMPARE(rot->GetRotation(), 0);
        QCOMPARE(s->geometry(), before);
    }

    void propertyPage()
    {
        Page p(&m_loader, true);
        TKrSymbol *s = Button(p, m_program);
        QWidget host;
        host.resize(360, 240);
        host.show();
        s->ShowDetails(&host);
        auto *edit = host.findChild<QLineEdit *>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), m_program);
        auto *found = host.findChild<QLabel *>(QStringLiteral("laFound"));
        QVERIFY(found);
        QVERIFY(found->text().contains(m_program));
        QVERIFY(host.findChild<QWidget *>(QStringLiteral("pnFileSelect")));
        QVERIFY(host.findChild<QPushButton *>());
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("kr-missing-tool"));
        QVERIFY(found->text().contains(QStringLiteral("was not found")));
        // Closing the page takes the typed name.
        s->HideDetails();
        QCOMPARE(s->property("ExecProc").toString(), QStringLiteral("kr-missing-tool"));
        s->ShowDetails(&host);
        edit = host.findChild<QLineEdit *>();
        found = host.findChild<QLabel *>(QStringLiteral("laFound"));
        QCOMPARE(edit->text(), QStringLiteral("kr-missing-tool"));
        edit->setText(Dir(QStringLiteral("bin/recorder")));
        QVERIFY(found->text().contains(m_program));
        s->HideDetails();
        QCOMPARE(s->property("ExecProc").toString(), m_program);
        QVERIFY(!host.findChild<QLineEdit *>());
    }

    void streamRoundTripMatchesGolden()
    {
        Page p(&m_loader, false);
        TKrSymbol *s = Button(p, QStringLiteral("tools/report.exe"), QStringLiteral("--daily \"a b\""), QStringLiteral("work"));
        s->setProperty("RotDeg", 90);
        s->setProperty("RotMirr", true);
        TKrChild *caption = s->FindElement(QStringLiteral("Caption"));
        caption->setProperty("Caption", QStringLiteral("Report"));
        caption->setProperty("Font", QStringLiteral("Sans Serif,9,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"));
        TSymbolStream out;
        QStringList files;
        s->SaveToStream(out, files);
        const QByteArray bytes = out.Data();
        if (qEnvironmentVariableIsSet("KR_WRITE_GOLDEN"))
            QVERIFY(WriteFile(QStringLiteral(KR_LAUNCHER_GOLDEN), bytes));
        QFile golden(QStringLiteral(KR_LAUNCHER_GOLDEN));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(bytes.toHex(), golden.readAll().toHex());

        TKrSymbol *copy = p.page.CreateSymbol(m_lib, QStringLiteral("Copy"), TRect(100, 100, 165, 130));
        TSymbolStream in(bytes);
        copy->InitFromStream(in);
        QCOMPARE(copy->property("ExecProc").toString(), QStringLiteral("tools/report.exe"));
        QCOMPARE(copy->property("RotDeg").toInt(), 90);
        QCOMPARE(copy->property("RotMirr").toBool(), true);
        QCOMPARE(copy->FindElement(QStringLiteral("Execute params"))->property("Value").toString(), QStringLiteral("--daily \"a b\""));
        QCOMPARE(copy->FindElement(QStringLiteral("Start in"))->property("Value").toString(), QStringLiteral("work"));
        TSymbolStream again;
        copy->SaveToStream(again, files);
        QCOMPARE(again.Data().toHex(), bytes.toHex());
        QVERIFY(!Pressed(copy));
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
