// The runtime's helper units: Divunit, Namechanged, Keloclip, Timerservice,
// interface identifiers, colours and the module list.

#include "Divunit.h"
#include "KrGuid.h"
#include "KrModules.h"
#include "KrTypes.h"
#include "Keloclip.h"
#include "Namechanged.h"
#include "Timerservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class Counter : public QObject {
    Q_OBJECT
public:
    void Tick() { ++ticks; }
    void Other() { ++others; }
    int ticks = 0;
    int others = 0;
};

class TestKrUnits : public QObject {
    Q_OBJECT

private slots:
    void rotateRectTurnsAQuarterAboutTheCentre()
    {
        const TRect r(100, 100, 160, 120);
        const QPoint c(130, 110);
        QCOMPARE(RotatedRect(r, c, true), TRect(120, 80, 140, 140));
        QCOMPARE(RotatedRect(r, c, false), TRect(120, 80, 140, 140)); // symmetric about its own centre
        // About another point the two directions differ.
        const QPoint o(0, 0);
        QCOMPARE(RotatedRect(TRect(10, 0, 30, 10), o, true), TRect(-10, 10, 0, 30));
        QCOMPARE(RotatedRect(TRect(10, 0, 30, 10), o, false), TRect(0, -30, 10, -10));
        TRect t(3, 7, 50, 11);
        for (int i = 0; i < 4; ++i)
            RotateRect(t, QPoint(17, -4), true);
        QCOMPARE(t, TRect(3, 7, 50, 11));
        RotateRect(t, QPoint(17, -4), true);
        RotateRect(t, QPoint(17, -4), false);
        QCOMPARE(t, TRect(3, 7, 50, 11));
    }

    void compTopMostOrdersByStacking()
    {
        QWidget page;
        auto *a = new QWidget(&page);
        auto *b = new QWidget(&page);
        auto *floor = new QWidget(&page);
        auto *inner = new QWidget(floor);
        QVERIFY(CompTopMost(a, b) < 0);
        QVERIFY(CompTopMost(b, a) > 0);
        QCOMPARE(CompTopMost(a, a), 0);
        QVERIFY(CompTopMost(inner, b) > 0);  // the floor lies above b
        QVERIFY(CompTopMost(floor, inner) < 0); // contents lie above their container
        a->raise();
        QVERIFY(CompTopMost(a, inner) > 0);
        QObject stranger;
        QCOMPARE(CompTopMost(a, &stranger), 0);
    }

    void pathsAndPrograms()
    {
        KrSetBasePath(QStringLiteral("/opt/project"));
        QCOMPARE(GetBasePath(), QStringLiteral("/opt/project/"));
        KrSetBasePath(QString());
        QVERIFY(GetBasePath().endsWith(QLatin1Char('/')));
        QVERIFY(IsPathRel(QStringLiteral("pictures/a.bmp")));
        QVERIFY(!IsPathRel(QStringLiteral("/pictures/a.bmp")));
        QVERIFY(!IsPathRel(QString()));

        const QString sh = FindProgram(feExecutable, QStringLiteral("sh"));
        QVERIFY(sh.endsWith(QStringLiteral("/sh")));
        QVERIFY(FindProgram(feExecutable, QStringLiteral("no-such-program-kr")).isEmpty());

        // The program registered for a document type, after the desktop's defaults.
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
        QVERIFY(QDir().mkpath(config) && QDir().mkpath(apps));
        QFile list(config + QStringLiteral("/mimeapps.list"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("[Added Associations]\ntext/plain=wrong.desktop;\n[Default Applications]\ntext/plain=kr-viewer.desktop;other.desktop;\n");
        list.close();
        QFile desktop(apps + QStringLiteral("/kr-viewer.desktop"));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nName=Viewer\nExec=sh -c true %f\n[Desktop Action x]\nExec=wrong\n");
        desktop.close();
        QCOMPARE(FindProgram(feDocument, QStringLiteral(".txt")), sh + QStringLiteral(" -c true %f"));
        QCOMPARE(FindProgram(feDocument, QStringLiteral("notes.txt")), sh + QStringLiteral(" -c true %f"));
        QVERIFY(FindProgram(feDocument, QStringLiteral(".zzkrq")).isEmpty());
        QVERIFY(FindProgram(7, QStringLiteral("sh")).isEmpty());
    }

    void programsNamedTheWindowsWay()
    {
        // Names with ".exe" or ".com" find the program without that ending.
        const QString ls = FindProgram(feExecutable, QStringLiteral("ls"));
        QVERIFY(ls.endsWith(QStringLiteral("/ls")));
        QCOMPARE(FindProgram(feExecutable, QStringLiteral("ls.exe")), ls);
        QCOMPARE(FindProgram(feExecutable, QStringLiteral("ls.EXE")), ls);
        QCOMPARE(FindProgram(feExecutable, QStringLiteral("ls.com")), ls);
        QCOMPARE(FindProgram(feExecutable, ls + QStringLiteral(".exe")), ls);
        QVERIFY(FindProgram(feExecutable, QStringLiteral("no-such-program-kr.exe")).isEmpty());
        QVERIFY(FindProgram(feExecutable, QStringLiteral(".exe")).isEmpty());
        QVERIFY(FindProgram(feExecutable, QStringLiteral("/.exe")).isEmpty());

        // A file that really carries the ending is found as it is first; a
        // folder is no program.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto makeProgram = [&](const QString &name) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n");
            f.close();
            QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
        };
        makeProgram(QStringLiteral("tool"));
        makeProgram(QStringLiteral("tool.exe"));
        QCOMPARE(FindProgram(feExecutable, dir.filePath(QStringLiteral("tool.exe"))), dir.filePath(QStringLiteral("tool.exe")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QVERIFY(FindProgram(feExecutable, dir.filePath(QStringLiteral("folder"))).isEmpty());

        // The stand-ins for the Windows and system directories, searched after
        // the search path.
        QCOMPARE(KrWindowsDirectory(), QStringLiteral("/usr/bin"));
        QCOMPARE(KrSystemDirectory(), QStringLiteral("/bin"));
        QVERIFY(QFileInfo::exists(KrWindowsDirectory() + QStringLiteral("/ls")) || QFileInfo::exists(KrSystemDirectory() + QStringLiteral("/ls")));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent-kr");
        QVERIFY(FindProgram(feExecutable, QStringLiteral("ls.exe")).endsWith(QStringLiteral("/ls")));
        QVERIFY(FindProgram(feExecutable, QStringLiteral("tool.com")).isEmpty());
        KrSetProgramDirectories(dir.path(), QString());
        QCOMPARE(KrWindowsDirectory(), dir.path());
        QCOMPARE(KrSystemDirectory(), QStringLiteral("/bin"));
        QCOMPARE(FindProgram(feExecutable, QStringLiteral("tool.com")), dir.filePath(QStringLiteral("tool")));
        KrSetProgramDirectories(QString(), QString());
        qputenv("PATH", path);
        QCOMPARE(KrWindowsDirectory(), QStringLiteral("/usr/bin"));
    }

    void namesChangedByAPaste()
    {
        KrNameChangedClear();
        QCOMPARE(FindNameChangedOld(QStringLiteral("Open2")), QStringLiteral("Open2"));
        KrNameChangedAdd(QStringLiteral("Open1"), QStringLiteral("Open2"));
        KrNameChangedAdd(QStringLiteral("Same"), QStringLiteral("Same"));
        QCOMPARE(FindNameChangedOld(QStringLiteral("Open2")), QStringLiteral("Open1"));
        QCOMPARE(FindNameChangedNew(QStringLiteral("Open1")), QStringLiteral("Open2"));
        QCOMPARE(FindNameChangedNew(QStringLiteral("Floor1")), QStringLiteral("Floor1"));
        KrNameChangedClear();
        QCOMPARE(FindNameChangedNew(QStringLiteral("Open1")), QStringLiteral("Open1"));
    }

    void clipboardCarriesOneReference()
    {
        KeloClip.Clear();
        QVERIFY(!KeloClip.HasReferance());
        QVERIFY(!KeloClip.GetClipReferance());
        KeloClip.SetClipReferance(new TClipReferance(QStringLiteral("Floor1")));
        KeloClip.SetClipReferance(new TClipReferance(QStringLiteral("Floor2")));
        QVERIFY(KeloClip.HasReferance());
        auto ref = KeloClip.GetClipReferance();
        QCOMPARE(ref->Name(), QStringLiteral("Floor2"));
        QVERIFY(KeloClip.HasReferance()); // the caller got its own copy
        KeloClip.Clear();
        QVERIFY(!KeloClip.HasReferance());
    }

    void timerMethodsRunOnceOrRepeatedly()
    {
        Counter c;
        EnableTimerMethode(0.01, &c, &Counter::Tick, tkOnce);
        QVERIFY(TimerMethodeEnabled(&c, &Counter::Tick));
        QTRY_COMPARE(c.ticks, 1);
        QVERIFY(!TimerMethodeEnabled(&c, &Counter::Tick));
        QTest::qWait(50);
        QCOMPARE(c.ticks, 1);

        EnableTimerMethode(0.01, &c, &Counter::Other, tkRepeated);
        QTRY_VERIFY(c.others >= 3);
        DeleteTimerMethode(&c, &Counter::Other);
        const int stopped = c.others;
        QTest::qWait(50);
        QCOMPARE(c.others, stopped);

        // Enabling again replaces the schedule; methods are told apart.
        EnableTimerMethode(100.0, &c, &Counter::Tick, tkRepeated);
        EnableTimerMethode(0.01, &c, &Counter::Tick, tkOnce);
        EnableTimerMethode(100.0, &c, &Counter::Other, tkRepeated);
        QTRY_COMPARE(c.ticks, 2);
        QVERIFY(TimerMethodeEnabled(&c, &Counter::Other));
        DeleteTimerMethode(&c, &Counter::Other);
    }

    void timerMethodsOfAGoneObjectAreNotCalled()
    {
        int calls = 0;
        {
            QObject guard;
            EnableTimerMethode(0.01, TKrTimerMethode(&guard, "x", [&calls]() { ++calls; }, &guard), tkRepeated);
        }
        QTest::qWait(60);
        QCOMPARE(calls, 0);
        // A method that cancels itself while it runs.
        Counter c;
        int selfCalls = 0;
        TKrTimerMethode m(&c, "self", [&]() {
            ++selfCalls;
            DeleteTimerMethode(TKrTimerMethode(&c, "self", {}));
        });
        EnableTimerMethode(0.005, m, tkRepeated);
        QTRY_COMPARE(selfCalls, 1);
        QTest::qWait(40);
        QCOMPARE(selfCalls, 1);
    }

    void guidsInRegistryForm()
    {
        constexpr TGUID g = KrGuid("{4060E063-DDD4-497A-8832-E25297FFF103}");
        QCOMPARE(g.D1, 0x4060E063u);
        QCOMPARE(g.D4[7], quint8(0x03));
        QCOMPARE(g.ToString(), QStringLiteral("{4060E063-DDD4-497A-8832-E25297FFF103}"));
        bool ok = false;
        QVERIFY(TGUID::FromString(QStringLiteral("4060e063-ddd4-497a-8832-e25297fff103"), &ok) == g);
        QVERIFY(ok);
        QVERIFY(TGUID::FromString(QStringLiteral("{4060E063-DDD4-497A-8832-E25297FFF10}"), &ok).IsNull());
        QVERIFY(!ok);
        QVERIFY(TGUID::FromString(QStringLiteral("{+060E063-DDD4-497A-8832-E25297FFF103}"), &ok).IsNull());
        QVERIFY(!ok);
        QVERIFY(g != KrGuid("{4060E063-DDD4-497A-8832-E25297FFF104}"));
    }

    void coloursInTheDesignersEncoding()
    {
        QCOMPARE(KrColor(0x00FF0000), QColor(0, 0, 255));
        QCOMPARE(KrColor(0x00000080), QColor(128, 0, 0));
        QCOMPARE(KrColor(clBtnFace), QGuiApplication::palette().color(QPalette::Button));
        QCOMPARE(KrColorFromQColor(QColor(1, 2, 3)), TColor(0x00030201));
        QCOMPARE(KrColor(clNone).alpha(), 0);
        QCOMPARE(TRect::fromQRect(QRect(1, 2, 3, 4)), TRect(1, 2, 4, 6));
        QCOMPARE(TRect(1, 2, 4, 6).toQRect(), QRect(1, 2, 3, 4));
        QVERIFY(TRect(1, 1, 3, 3).Contains(2, 2));
        QVERIFY(!TRect(1, 1, 3, 3).Contains(3, 2));
    }

    void moduleListAndRuntimeVersion()
    {
        QCOMPARE(KrRuntimeVersion(), unsigned(KRTL_RUNTIME_VERSION));
        const int before = int(KrModules().size());
        KrRegisterModule({QStringLiteral("{11111111-2222-3333-4444-555555555555}"), QStringLiteral("X"), QStringLiteral("/x"), QStringLiteral("1"), 1});
        KrRegisterModule({QStringLiteral("{11111111-2222-3333-4444-555555555555}"), QStringLiteral("X"), QStringLiteral("/y"), QStringLiteral("2"), 1});
        QCOMPARE(KrModules().size(), before + 1);
        QCOMPARE(KrModules().last().path, QStringLiteral("/y"));
        KrUnregisterModule(QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
        QCOMPARE(KrModules().size(), before);
    }
};

QTEST_MAIN(TestKrUnits)
#include "tst_krunits.moc"
