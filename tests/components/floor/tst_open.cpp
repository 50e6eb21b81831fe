// The open button, loaded from its library: opening its floor by a click, the
// message for an empty reference, detaching when deleted or renamed, the paper
// position kept on the page when the button moves, auto show in both show
// modes, the floor PhysId element, "Paste Ref." and its stream.

#include "DialogAnswerer.h"
#include "FloorFixture.h"
#include "Keloclip.h"
#include "KrInterfaces.h"

using namespace floortest;

class TestOpen : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(FloorLib() && OpenLib() && CloseLib());
    }

    void elementsAndDefaults()
    {
        Page p(true);
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(10, 10, 25, 25));
        QVERIFY(o);
        QCOMPARE(QString::fromLatin1(o->metaObject()->className()), QStringLiteral("TKROpen"));
        QCOMPARE(TKrHostDesigner::ElementTree(o), (QStringList{QStringLiteral("Up frame"), QStringLiteral("Down frame"), QStringLiteral("Image"), QStringLiteral("Open ref."), QStringLiteral("Auto show"), QStringLiteral("Floor PhysId")}));
        QVERIFY(o->FindElement(QStringLiteral("NortityPhysId")));
        QVERIFY(!o->FindElement(QStringLiteral("Partial PhysId")));
        auto *autoShow = Element<TKrBoolean>(o, QStringLiteral("Auto show"));
        QCOMPARE(autoShow->GetValue(), false);
        QCOMPARE(autoShow->FalseCaption(), QStringLiteral("No"));
        QCOMPARE(autoShow->TrueCaption(), QStringLiteral("Yes"));
        QCOMPARE(o->CursorCode(), int(crHandPoint));
        QVERIFY(Supports<IKRFloorRelation>(o) && Supports<IKROpen>(o) && Supports<IKRFloorPhysIdSource>(o) && Supports<IKrRotatable>(o));
        TKrSymbol *fresh = OpenLib()->Create(nullptr);
        QCOMPARE(fresh->size(), QSize(15, 15));
        QImage about(fresh->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QFile version(fresh->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(version.readAll()).startsWith(QStringLiteral("Open 1.0.0")));
        delete fresh;
    }

    void floorPhysIdCreatesAndFreesItsElement()
    {
        Page p(true);
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(10, 10, 25, 25));
        const int refreshes = p.designer->TreeRefreshes();
        SetBool(o, QStringLiteral("Floor PhysId"), true);
        QVERIFY(qobject_cast<TKrPhysIdPath *>(o->FindElement(QStringLiteral("Partial PhysId"))));
        QCOMPARE(TKrHostDesigner::ElementTree(o).last(), QStringLiteral("Partial PhysId"));
        QVERIFY(Supports<IKRFloorPhysIdSource>(o)->GetFloorPhysId());
        QCOMPARE(p.designer->TreeRefreshes(), refreshes + 1);
        SetBool(o, QStringLiteral("Floor PhysId"), false);
        QVERIFY(!o->FindElement(QStringLiteral("Partial PhysId")));
        QCOMPARE(p.designer->TreeRefreshes(), refreshes + 2);
        QVERIFY(!Supports<IKRFloorPhysIdSource>(o)->GetFloorPhysId());
    }

    void referenceAttachesAndDetaches()
    {
        Page p(true);
        TKrSymbol *a = p.Floor(QStringLiteral("FloorA"), TRect(300, 200, 500, 350));
        TKrSymbol *b = p.Floor(QStringLiteral("FloorB"), TRect(300, 400, 500, 550));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(10, 10, 25, 25));
        TKrSymbol *o2 = p.Open(QStringLiteral("Other"), TRect(30, 10, 45, 25));
        SetOpenRef(o, QStringLiteral("FloorA"));
        SetOpenRef(o2, QStringLiteral("FloorA"));
        QCOMPARE(RelationList(a), (QStringList{QStringLiteral("Opener"), QStringLiteral("Other")}));
        SetOpenRef(o, QStringLiteral("FloorB"));
        QCOMPARE(RelationList(a), QStringList{QStringLiteral("Other")});
        QCOMPARE(RelationList(b), QStringList{QStringLiteral("Opener")});
        // A name that no symbol has is not kept.
        SetOpenRef(o, QStringLiteral("Nowhere"));
        QCOMPARE(OpenRef(o), QString());
        QVERIFY(RelationList(b).isEmpty());
        // Renaming the opener renames its relation.
        o2->SetName(QStringLiteral("Renamed"));
        QCOMPARE(RelationList(a), QStringList{QStringLiteral("Renamed")});
    }

    void emptyReferenceShowsMessage()
    {
        Page p(false);
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(10, 10, 25, 25));
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Open ref. not assigned"));
        Click(o);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.records().first().icon, QMessageBox::Information);
    }

    void clickOpensAtThePaperPosition_data()
    {
        QTest::addColumn<int>("showMode");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("with local open") << 0 << QPoint(120, 100);
        QTest::newRow("on main") << 1 << QPoint(100, 80);
    }
    void clickOpensAtThePaperPosition()
    {
        QFETCH(int, showMode);
        QFETCH(QPoint, expected);
        Page p(false);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetShowMode(floor, showMode);
        SetOpenRef(o, QStringLiteral("Floor"));
        o->setProperty("PaperLeft", 0.1);
        o->setProperty("PaperTop", 0.1);
        CloseFloor(floor);
        QVERIFY(!Shown(floor));
        Click(o);
        QVERIFY(Shown(floor));
        QCOMPARE(floor->pos(), expected);
        QCOMPARE(WorkFloor(floor)->GetOpenerName(), QStringLiteral("Opener"));
        QVERIFY(Supports<IKROpen>(o)->IsShowing());
    }

    void paperPositionRoundsTiesToEven_data()
    {
        QTest::addColumn<double>("paperLeft");
        QTest::addColumn<int>("pixels");
        QTest::newRow("2.5") << 0.0025 << 2;
        QTest::newRow("3.5") << 0.0035 << 4;
        QTest::newRow("2.6") << 0.0026 << 3;
        QTest::newRow("negative -2.5") << -0.0025 << -2;
        QTest::newRow("absurd") << 1.0e300 << 0;
    }
    void paperPositionRoundsTiesToEven()
    {
        QFETCH(double, paperLeft);
        QFETCH(int, pixels);
        Page p(true);
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        o->setProperty("PaperLeft", paperLeft);
        QCOMPARE(Supports<IKRFloorRelation>(o)->GetPaperPos().x(), pixels);
        Supports<IKRFloorRelation>(o)->SetPaperPos(250, 200);
        QCOMPARE(o->property("PaperLeft").toDouble(), 0.25);
        QCOMPARE(o->property("PaperTop").toDouble(), 0.25);
    }

    void deletingTheOnlyOpenerShowsTheFloorFirst_data()
    {
        QTest::addColumn<int>("openers");
        QTest::addColumn<bool>("shownAfter");
        QTest::newRow("only opener") << 1 << true;
        QTest::newRow("one of two") << 2 << false;
    }
    void deletingTheOnlyOpenerShowsTheFloorFirst()
    {
        QFETCH(int, openers);
        QFETCH(bool, shownAfter);
        Page p(true);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        if (openers == 2)
            SetOpenRef(p.Open(QStringLiteral("Second"), TRect(50, 20, 70, 40)), QStringLiteral("Floor"));
        CloseFloor(floor);
        QVERIFY(!Shown(floor));
        QVERIFY(p->DeleteSymbol(o));
        QCOMPARE(Shown(floor), shownAfter);
        QCOMPARE(RelationList(floor).size(), openers - 1);
        QVERIFY(!RelationList(floor).contains(QStringLiteral("Opener")));
        QCOMPARE(floor->GrundI()->GetScale(), 1.0);
    }

    void movingKeepsThePagePosition()
    {
        Page p(true);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        o->setProperty("PaperLeft", 0.1);
        o->setProperty("PaperTop", 0.1);
        Click(o);
        QCOMPARE(floor->pos(), QPoint(120, 100));
        CloseFloor(floor);
        // The designer user drags the button 40 px right and 30 px down.
        QTest::mousePress(o, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        o->SetBounds(60, 50, o->width(), o->height());
        QTest::mouseRelease(o, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(o->property("PaperLeft").toDouble(), 0.06);
        QCOMPARE(o->property("PaperTop").toDouble(), 0.0625);
        CloseFloor(floor);
        Click(o);
        QVERIFY(Shown(floor));
        QCOMPARE(floor->pos(), QPoint(120, 100));
    }

    void autoShow_data()
    {
        QTest::addColumn<int>("showMode");
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<double>("scale");
        QTest::newRow("with local open") << 0 << QPoint(400, 300) << 0.5;
        QTest::newRow("on main") << 1 << QPoint(0, 0) << 0.5;
    }
    void autoShow()
    {
        QFETCH(int, showMode);
        QFETCH(QPoint, expected);
        QFETCH(double, scale);
        const QByteArray data = [showMode] {
            Page d(true);
            TKrSymbol *holder = d.Floor(QStringLiteral("Holder"), TRect(0, 0, 900, 700));
            TKrSymbol *floor = d.Floor(QStringLiteral("Floor"), TRect(20, 20, 220, 170));
            TKrSymbol *o = d.Open(QStringLiteral("Window"), TRect(400, 300, 500, 380), holder);
            d.Floor(QStringLiteral("Other"), TRect(10, 10, 60, 60), holder);
            SetShowMode(floor, showMode);
            SetOpenRef(o, QStringLiteral("Floor"));
            SetBool(o, QStringLiteral("Auto show"), true);
            o->setProperty("PaperLeft", 0.3);
            CloseFloor(floor);
            return d->SavePage();
        }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *floor = p.Find(QStringLiteral("Floor"));
        TKrSymbol *holder = p.Find(QStringLiteral("Holder"));
        TKrSymbol *other = p.Find(QStringLiteral("Other"));
        QVERIFY(Shown(floor));
        QCOMPARE(floor->parentWidget(), static_cast<QWidget *>(holder));
        QCOMPARE(floor->pos(), expected);
        QCOMPARE(floor->GrundI()->GetScale(), scale);
        QCOMPARE(floor->size(), QSize(100, 75));
        // Sent to the back of the button's parent, but seen in the button: just
        // above it, below the floor that lay above the button.
        const QList<TKrSymbol *> order = KrChildSymbols(holder);
        QCOMPARE(order.indexOf(floor), order.indexOf(p.Find(QStringLiteral("Window"))) + 1);
        QVERIFY(order.indexOf(floor) < order.indexOf(other));
        QVERIFY(Supports<IKROpen>(p.Find(QStringLiteral("Window")))->IsShowing());
    }

    void pasteRefWiresAndOpens()
    {
        Page p(true);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        CloseFloor(floor);
        floor->show(); // the designer shows the floor to copy its reference
        QAction *copy = MenuAction(floor, QStringLiteral("Copy Ref."));
        QVERIFY(copy);
        copy->trigger();
        QVERIFY(KeloClip.HasReferance());
        QCOMPARE(KeloClip.GetClipReferance()->Name(), QStringLiteral("Floor"));
        QAction *paste = MenuAction(o, QStringLiteral("Paste Ref."));
        QVERIFY(paste);
        paste->trigger();
        QCOMPARE(OpenRef(o), QStringLiteral("Floor"));
        QCOMPARE(RelationList(floor), QStringList{QStringLiteral("Opener")});
        QVERIFY(Shown(floor));
        QCOMPARE(floor->pos(), QPoint(300, 200));
        QCOMPARE(WorkFloor(floor)->GetOpenerName(), QStringLiteral("Opener"));
        QCOMPARE(o->property("PaperLeft").toDouble(), 0.28);
    }

    void noMenuInRunModeOrGrouped()
    {
        Page run(false);
        TKrSymbol *o = run.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        QVERIFY(ContextMenu(o).isEmpty());
        TKrSymbol *floor = run.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        QVERIFY(ContextMenu(floor).isEmpty());
        Page design(true);
        TKrSymbol *g = design.Open(QStringLiteral("Grouped"), TRect(20, 20, 40, 40));
        QCOMPARE(ContextMenu(g), QStringList{QStringLiteral("Paste Ref.")});
        g->GrundI()->SetGrouped(true);
        QVERIFY(ContextMenu(g).isEmpty());
    }

    void partialPhysIdReferenceFollowsTheOpener()
    {
        Page p(true);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        SetBool(o, QStringLiteral("Floor PhysId"), true);
        Element<TKrPhysIdPath>(o, QStringLiteral("Partial PhysId"))->SetPath(QStringLiteral("PUMP7"));
        Element<TKrPhysIdPath>(floor, QStringLiteral("Partial PhysId"))->SetPath(QStringLiteral(".Tank"));
        Click(o);
        auto *path = Element<TKrPhysIdPath>(floor, QStringLiteral("Partial PhysId"));
        QCOMPARE(path->GetReference(), static_cast<QObject *>(o));
        QCOMPARE(path->GetPhysIdPath(), QStringLiteral("PUMP7.Tank"));
        // Switching the floor PhysId off while showing opens again without it.
        SetBool(o, QStringLiteral("Floor PhysId"), false);
        QCOMPARE(path->GetReference(), static_cast<QObject *>(nullptr));
        QVERIFY(Shown(floor));
    }

    void goldenStream()
    {
        Page p(true);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        SetBool(o, QStringLiteral("Auto show"), true);
        SetBool(o, QStringLiteral("Floor PhysId"), true);
        Element<TKrPhysIdPath>(o, QStringLiteral("Partial PhysId"))->SetPath(QStringLiteral("PUMP7"));
        o->setProperty("PaperLeft", 0.125);
        o->setProperty("PaperTop", 0.25);
        Q_UNUSED(floor);
        const QByteArray data = Design(o);
        if (WriteGoldenRequested())
            WriteGolden(QStringLiteral("Open.bin"), data);
        const QByteArray golden = ReadGolden(QStringLiteral("Open.bin"));
        QVERIFY2(!golden.isEmpty(), "the golden stream Open.bin is missing");
        QCOMPARE(data, golden);
        TKrSymbol *loaded = OpenLib()->Create(nullptr);
        TSymbolStream in(golden);
        loaded->InitFromStream(in);
        QCOMPARE(Design(loaded), golden);
        QCOMPARE(loaded->property("PaperLeft").toDouble(), 0.125);
        QCOMPARE(OpenRef(loaded), QStringLiteral("Floor"));
        QCOMPARE(Element<TKrPhysIdPath>(loaded, QStringLiteral("Partial PhysId"))->GetPath(), QStringLiteral("PUMP7"));
        delete loaded;
    }
};

QTEST_MAIN(TestOpen)
#include "tst_open.moc"
