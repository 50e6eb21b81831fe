// The two-state symbol with the real work floor and close libraries: loaded from
// the product's component folder, wired by name as in the designer, opening and
// closing the floor by its state, following the floor's state changes, "Copy
// Ref." / "Paste Ref.", pages saved and loaded with both, and the floor's PhysId
// prefix taken from the two-state opener.

#include "ChildElements.h"
#include "Divunit.h"
#include "KeloProServer.h"
#include "Keloclip.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "OpenFloorInterface.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

static const char *kNetwork = R"({ "devices": [
  { "physId": "SW1", "deviceType": 702, "variables": { ".Run": 1 } },
  { "physId": "SW2", "deviceType": 702, "variables": { ".Run": 0 } },
  { "physId": "SW7", "deviceType": 702, "fault": 5, "variables": { ".Run": 1 } } ] })";

class TestBistateFloor : public QObject {
    Q_OBJECT

    TKrHostLoader m_loader;
    TKrComponentLibrary *m_lib = nullptr;
    TKrComponentLibrary *m_floorLib = nullptr;
    TKrComponentLibrary *m_closeLib = nullptr;
    QTemporaryDir m_dir;

    static int State(QObject *s) { return s->property("State").toInt(); }
    static TKRString *FloorRef(TKrSymbol *s) { return qobject_cast<TKRString *>(s->FindElement(QStringLiteral("Floor"))); }
    static TKrKeloTimer *Link(TKrSymbol *s) { return qobject_cast<TKrKeloTimer *>(s->FindElement(QStringLiteral("Variable link"))); }
    static IKRWorkFloor *Floor(QObject *f) { return Supports<IKRWorkFloor>(f); }
    static QStringList Relations(QObject *f)
    {
        QStringList out;
        IKRFloorRelations *r = Supports<IKRFloorRelations>(f);
        for (int i = 0; i < Floor(f)->GetRelationCount(); ++i)
            out.append(r->GetRelation(i));
        return out;
    }
    static void OpenPage(TKrDrawingPage &page)
    {
        page.resize(800, 600);
        page.Open();
    }
    TKrSymbol *MakeFloor(TKrDrawingPage &page, const QString &name = QStringLiteral("Floor1"))
    {
        TKrSymbol *f = page.CreateSymbol(m_floorLib, name, TRect(300, 100, 500, 250));
        return f;
    }
    TKrSymbol *MakeOpener(TKrDrawingPage &page, const QString &name, const QString &floor, const TRect &r = TRect(20, 20, 70, 70))
    {
        TKrSymbol *s = page.CreateSymbol(m_lib, name, r);
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(floor);
        return s;
    }
    static QAction *MenuItem(TKrSymbol *s, const QString &text)
    {
        bool handled = false;
        s->DoContextPopup(QPoint(3, 3), handled);
        s->PopupMenu()->hide();
        if (!handled)
            return nullptr;
        for (QAction *a : s->PopupMenu()->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString net = m_dir.filePath(QStringLiteral("network.json"));
        QFile f(net);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kNetwork);
        f.close();
        qputenv("KELO_PRO_NETWORK", net.toLocal8Bit());
        kelopro::registerServer();
        m_lib = m_loader.Load(QStringLiteral(KR_BISTATE_LIB));
        m_floorLib = m_loader.Load(QStringLiteral(KR_FLOOR_LIB));
        m_closeLib = m_loader.Load(QStringLiteral(KR_CLOSE_LIB));
        QVERIFY2(m_lib && m_floorLib && m_closeLib, qPrintable(m_loader.Problems().isEmpty() ? QString() : m_loader.Problems().first().ToString()));
        WorkAreaW = 1024;
        WorkAreaH = 768;
        GlobZoomFactor = 1.0;
    }
    void cleanup() { KeloClip.Clear(); }

    void theStateOpensAndClosesTheFloor()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page);
        TKrSymbol *s = MakeOpener(page, QStringLiteral("Opener"), QStringLiteral("Floor1"));
        QCOMPARE(Relations(floor), QStringList{QStringLiteral("Opener")});
        Floor(floor)->CloseFloor(QString());
        QVERIFY(floor->isHidden());
        Supports<IKRFloorRelation>(s)->SetPaperPos(200, 30);

        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 1);
        QVERIFY(!floor->isHidden());
        QVERIFY(floor->GrundI()->GetVisible());
        QCOMPARE(Floor(floor)->GetOpenerName(), QStringLiteral("Opener"));
        QCOMPARE(floor->pos(), QPoint(220, 50)); // paper position from the opener's place

        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 0);
        QVERIFY(floor->isHidden());
        QCOMPARE(Floor(floor)->GetOpenerName(), QString());
    }

    void aCloseButtonOnTheFloorTurnsTheOpenerOff_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("no variable") << false;
        QTest::newRow("linked to a variable") << true;
    }
    void aCloseButtonOnTheFloorTurnsTheOpenerOff()
    {
        QFETCH(bool, linked);
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page);
        TKrSymbol *close = page.CreateSymbol(m_closeLib, QStringLiteral("Close1"), TRect(5, 5, 20, 20), floor);
        QVERIFY(close);
        TKrSymbol *s = MakeOpener(page, QStringLiteral("Opener"), QStringLiteral("Floor1"));
        if (linked) {
            s->setProperty("EnableVariableLink", true);
            Link(s)->SetPhysId(QStringLiteral("SW1.Run"));
            QCOMPARE(State(s), 1);
        } else {
            QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        }
        QCOMPARE(State(s), 1);
        QVERIFY(!floor->isHidden());
        QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(7, 7));
        QVERIFY(floor->isHidden());
        // Without a variable the symbol follows the floor; with one it shows the variable.
        QCOMPARE(State(s), linked ? 1 : 0);
    }

    void anotherOpenerTakesTheFloorOver()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page);
        TKrSymbol *a = MakeOpener(page, QStringLiteral("A"), QStringLiteral("Floor1"));
        TKrSymbol *b = MakeOpener(page, QStringLiteral("B"), QStringLiteral("Floor1"), TRect(100, 20, 150, 70));
        QCOMPARE(Relations(floor), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        Floor(floor)->CloseFloor(QString());
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(Floor(floor)->GetOpenerName(), QStringLiteral("A"));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(Floor(floor)->GetOpenerName(), QStringLiteral("B"));
        QCOMPARE(State(a), 0);
        QCOMPARE(State(b), 1);
        QVERIFY(!floor->isHidden());
        // A turning off does nothing to a floor that is not its own.
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(a), 0);
        QCOMPARE(State(b), 0); // A's open turned B off, A's close hid the floor
        QVERIFY(floor->isHidden());
    }

    void copyRefOnTheFloorAndPasteRefOnTheSymbol()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page, QStringLiteral("Tank"));
        TKrSymbol *s = page.CreateSymbol(m_lib, QStringLiteral("Opener"), TRect(20, 20, 70, 70));
        QVERIFY(!MenuItem(s, QStringLiteral("Paste Ref.")));
        s->setProperty("EnableFloorRelation", true);
        QAction *copy = MenuItem(floor, QStringLiteral("Copy Ref."));
        QVERIFY(copy);
        copy->trigger();
        QVERIFY(KeloClip.HasReferance());
        QAction *paste = MenuItem(s, QStringLiteral("Paste Ref."));
        QVERIFY(paste);
        paste->trigger();
        QCOMPARE(FloorRef(s)->GetValue(), QStringLiteral("Tank"));
        QCOMPARE(Relations(floor), QStringList{QStringLiteral("Opener")});
        QCOMPARE(Floor(floor)->GetOpenerName(), QStringLiteral("Opener"));
        // The floor stays where it was: the paper position is its offset from the symbol.
        QCOMPARE(floor->pos(), QPoint(300, 100));
        QCOMPARE(Supports<IKRFloorRelation>(s)->GetPaperPos(), QPoint(280, 80));
        // Grouped: no item.
        s->GrundI()->SetGrouped(true);
        QVERIFY(!MenuItem(s, QStringLiteral("Paste Ref.")));
    }

    void aPageWithFloorAndOpenersLoadsBackTheSame()
    {
        QByteArray saved;
        {
            TKrDrawingPage page(&m_loader);
            OpenPage(page);
            TKrSymbol *floor = MakeFloor(page);
            MakeOpener(page, QStringLiteral("A"), QStringLiteral("Floor1"));
            TKrSymbol *b = MakeOpener(page, QStringLiteral("B"), QStringLiteral("Floor1"), TRect(100, 20, 150, 70));
            b->setProperty("EnableFloorPhysId", true);
            page.CreateSymbol(m_lib, QStringLiteral("Inner"), TRect(10, 10, 40, 40), floor);
            Floor(floor)->CloseFloor(QString());
            saved = page.SavePage();
        }
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        QVERIFY(page.LoadPage(saved));
        QVERIFY(page.Problems().isEmpty());
        QObject *floor = page.FindSymbol(QStringLiteral("Floor1"));
        TKrSymbol *b = KrSymbolOf(page.FindSymbol(QStringLiteral("B")));
        QVERIFY(floor && b);
        QCOMPARE(Relations(floor), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(FloorRef(b)->GetValue(), QStringLiteral("Floor1"));
        QVERIFY(Supports<IKRFloorPhysIdSource>(b)->GetFloorPhysId());
        QCOMPARE(page.SavePage(), saved);
        // Renaming the floor reaches the symbol; deleting it leaves no name.
        KrSymbolOf(floor)->SetName(QStringLiteral("Floor9"));
        QCOMPARE(FloorRef(b)->GetValue(), QStringLiteral("Floor9"));
        QVERIFY(page.DeleteSymbol(KrSymbolOf(floor)));
        QCOMPARE(FloorRef(b)->GetValue(), QString());
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(b), 1);
    }

    void theFloorTakesItsPhysIdFromTheOpener()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page);
        TKrSymbol *a = MakeOpener(page, QStringLiteral("A"), QStringLiteral("Floor1"));
        TKrSymbol *b = MakeOpener(page, QStringLiteral("B"), QStringLiteral("Floor1"), TRect(100, 20, 150, 70));
        for (auto [s, path] : {std::pair{a, QStringLiteral("SW1")}, std::pair{b, QStringLiteral("SW2")}}) {
            s->setProperty("EnableFloorPhysId", true);
            qobject_cast<TKrPhysIdPath *>(s->FindElement(QStringLiteral("Partial PhysId")))->SetPath(path);
        }
        TKrSymbol *inner = page.CreateSymbol(m_lib, QStringLiteral("Inner"), TRect(10, 10, 40, 40), floor);
        inner->setProperty("EnableVariableLink", true);
        Link(inner)->SetPhysId(QStringLiteral(".Run"));
        Floor(floor)->CloseFloor(QString());

        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(Link(inner)->GetPhysId(), QStringLiteral("SW1.Run"));
        QTRY_COMPARE(State(inner), 1);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(Floor(floor)->GetOpenerName(), QStringLiteral("B"));
        QCOMPARE(Link(inner)->GetPhysId(), QStringLiteral("SW2.Run"));
        QTRY_COMPARE(State(inner), 0);
        // Without "Floor PhysId" the opener lends nothing.
        b->setProperty("EnableFloorPhysId", false);
        QVERIFY(!Supports<IKRFloorPhysIdSource>(b)->GetFloorPhysId());
    }

    void aPhysIdNoticeRefreshesTheFloorShownOnMain_data()
    {
        QTest::addColumn<int>("showMode");
        QTest::newRow("with local open") << 0;
        QTest::newRow("on main") << 1;
    }
    void aPhysIdNoticeRefreshesTheFloorShownOnMain()
    {
        QFETCH(int, showMode);
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = MakeFloor(page);
        qobject_cast<TKRDropdownList *>(floor->FindElement(QStringLiteral("Show")))->SetValue(showMode);
        TKrSymbol *a = MakeOpener(page, QStringLiteral("A"), QStringLiteral("Floor1"));
        a->setProperty("EnableFloorPhysId", true);
        auto *path = qobject_cast<TKrPhysIdPath *>(a->FindElement(QStringLiteral("Partial PhysId")));
        path->SetPath(QStringLiteral("SW1"));
        TKrSymbol *inner = page.CreateSymbol(m_lib, QStringLiteral("Inner"), TRect(10, 10, 40, 40), floor);
        inner->setProperty("EnableVariableLink", true);
        Link(inner)->SetPhysId(QStringLiteral(".Run"));
        Floor(floor)->CloseFloor(QString());
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(Link(inner)->GetPhysId(), QStringLiteral("SW1.Run"));
        // Shown with the floor, the link polls its variable under the new prefix.
        QTRY_VERIFY(!inner->property("ErrorShown").toBool());
        QCOMPARE(State(inner), 1);

        // The opener's prefix changes; the floor learns of it through the
        // opener's hidden notifier.
        path->SetPath(QStringLiteral("SW7"));
        TKrChild *notifier = a->FindElement(QStringLiteral("NortityPhysId"));
        QVERIFY(notifier);
        IKrPhysIdNotify *notify = Supports<IKrPhysIdNotify>(static_cast<TKrComponent *>(notifier));
        QVERIFY(notify);
        notify->PhysIdChanging();
        notify->PhysIdChanged();
        // At once, without waiting for the next poll, on main only.
        if (showMode == 1) {
            // The inner link re-read its variable: SW7 reports a fault.
            QVERIFY(inner->property("ErrorShown").toBool());
            QCOMPARE(Link(inner)->GetErrorCode(), 256);
        } else {
            QVERIFY(!inner->property("ErrorShown").toBool());
            QCOMPARE(Link(inner)->GetErrorCode(), 0);
        }
    }
};

QTEST_MAIN(TestBistateFloor)
#include "tst_bistate_floor.moc"
