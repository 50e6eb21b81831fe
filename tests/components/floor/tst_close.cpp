// The close button, loaded from its library: a click closes the floor it lies
// on and tells the opener where the floor was; a release outside only lifts the
// button; on a floor without relations, on a plain page, or on a floor shown
// inside an auto-show open button, a click does nothing.

#include "FloorFixture.h"
#include "KrInterfaces.h"

#include <QImage>

using namespace floortest;

class TestClose : public QObject {
    Q_OBJECT

    // A floor named "Floor" (200 x 150, show mode 0) opened by "Opener" at
    // (20, 20), with a close button "Closer" at (5, 5) on it; the floor is closed.
    static void Build(Page &p)
    {
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *opener = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        p.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), floor);
        SetOpenRef(opener, QStringLiteral("Floor"));
        opener->setProperty("PaperLeft", 0.1);
        opener->setProperty("PaperTop", 0.1);
        CloseFloor(floor);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FloorLib() && OpenLib() && CloseLib());
    }

    void elementsAndDefaults()
    {
        Page p(true);
        TKrSymbol *c = p.Close(QStringLiteral("Closer"), TRect(10, 10, 25, 25));
        QVERIFY(c);
        QCOMPARE(QString::fromLatin1(c->metaObject()->className()), QStringLiteral("TKRClose"));
        QCOMPARE(TKrHostDesigner::ElementTree(c), (QStringList{QStringLiteral("Up frame"), QStringLiteral("Down frame"), QStringLiteral("Image")}));
        QCOMPARE(Element<TKRImage>(c, QStringLiteral("Image"))->GetKind(), int(TKRImage::ikPicture));
        QCOMPARE(c->CursorCode(), int(crHandPoint));
        TKrSymbol *fresh = CloseLib()->Create(nullptr);
        QCOMPARE(fresh->size(), QSize(15, 15));
        QImage about(fresh->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QImage shared(QStringLiteral(KR_GOLDEN_DIR "/../../../../components/common/ABOUTBITMAP.bmp"), "BMP");
        QVERIFY(about.convertToFormat(QImage::Format_RGB32) != shared.convertToFormat(QImage::Format_RGB32));
        QFile version(fresh->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(version.readAll()).startsWith(QStringLiteral("Close 1.0.0")));
        delete fresh;
    }

    void rotatesWithItsImage()
    {
        Page p(true);
        TKrSymbol *c = p.Close(QStringLiteral("Closer"), TRect(100, 100, 140, 120));
        auto *rot = Supports<IKrRotatable>(c);
        QVERIFY(rot && rot->CanRotate());
        const QPoint centre = p->mapToGlobal(QPoint(120, 110));
        rot->Rotate_Mirror(rfRotateRight, centre);
        QCOMPARE(c->BoundsRect(), TRect(110, 90, 130, 130));
        QCOMPARE(rot->GetRotation(), 90);
        rot->Rotate_Mirror(rfMirrorHorizontal, centre);
        QCOMPARE(c->BoundsRect(), TRect(110, 90, 130, 130));
        QVERIFY(rot->GetMirrored());
    }

    void clickClosesTheFloorItLiesOn()
    {
        const QByteArray data = [] { Page d(true); Build(d); return d->SavePage(); }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *floor = p.Find(QStringLiteral("Floor"));
        TKrSymbol *opener = p.Find(QStringLiteral("Opener"));
        TKrSymbol *closer = p.Find(QStringLiteral("Closer"));
        QVERIFY(floor && opener && closer);
        QVERIFY(!Shown(floor));
        Click(opener);
        QVERIFY(Shown(floor));
        QCOMPARE(floor->pos(), QPoint(120, 100));
        // The operator moved the floor; the close tells the opener where it was.
        floor->SetBounds(150, 130, floor->width(), floor->height());
        Click(closer);
        QVERIFY(!Shown(floor));
        QVERIFY(WorkFloor(floor)->GetOpenerName().isEmpty());
        QCOMPARE(opener->property("PaperLeft").toDouble(), 0.13);
        QCOMPARE(opener->property("PaperTop").toDouble(), 0.1375);
        Click(opener);
        QCOMPARE(floor->pos(), QPoint(150, 130));
    }

    void releaseOutsideOnlyLiftsTheButton()
    {
        Page p(false);
        Build(p);
        TKrSymbol *floor = p.Find(QStringLiteral("Floor"));
        TKrSymbol *closer = p.Find(QStringLiteral("Closer"));
        Click(p.Find(QStringLiteral("Opener")));
        QVERIFY(Shown(floor));
        const QImage up = closer->grab().toImage();
        QTest::mousePress(closer, Qt::LeftButton, Qt::NoModifier, closer->rect().center());
        const QImage down = closer->grab().toImage();
        QVERIFY(up != down);
        QTest::mouseRelease(closer, Qt::LeftButton, Qt::NoModifier, QPoint(closer->width() + 30, 2));
        QVERIFY(Shown(floor));
        QCOMPARE(closer->grab().toImage(), up);
    }

    void clickDoesNothing_data()
    {
        QTest::addColumn<bool>("onFloor");
        QTest::newRow("floor without relations") << true;
        QTest::newRow("plain page") << false;
    }
    void clickDoesNothing()
    {
        QFETCH(bool, onFloor);
        Page p(false);
        TKrSymbol *floor = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *closer = p.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), onFloor ? floor : nullptr);
        QCOMPARE(closer->parentWidget(), onFloor ? static_cast<QWidget *>(floor) : static_cast<QWidget *>(p.get()));
        Click(closer);
        QVERIFY(Shown(floor));
        QVERIFY(p->IsOpen());
        QVERIFY(closer->GrundI()->GetVisible());
    }

    void autoShowFloorIsNotClosed()
    {
        const QByteArray data = [] {
            Page d(true);
            Build(d);
            SetBool(d.Find(QStringLiteral("Opener")), QStringLiteral("Auto show"), true);
            return d->SavePage();
        }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *floor = p.Find(QStringLiteral("Floor"));
        QVERIFY(Shown(floor));
        QCOMPARE(WorkFloor(floor)->GetOpenerName(), QStringLiteral("Opener"));
        Click(p.Find(QStringLiteral("Closer")));
        QVERIFY(Shown(floor));
        QCOMPARE(WorkFloor(floor)->GetOpenerName(), QStringLiteral("Opener"));
    }

    void goldenStream()
    {
        Page p(true);
        TKrSymbol *c = p.Close(QStringLiteral("Closer"), TRect(10, 10, 25, 25));
        Element<TKRFrame>(c, QStringLiteral("Up frame"))->SetBorderWidth(3);
        Element<TKRImage>(c, QStringLiteral("Image"))->SetColor(0x0000FF00);
        const QByteArray data = Design(c);
        if (WriteGoldenRequested())
            WriteGolden(QStringLiteral("Close.bin"), data);
        const QByteArray golden = ReadGolden(QStringLiteral("Close.bin"));
        QVERIFY2(!golden.isEmpty(), "the golden stream Close.bin is missing");
        QCOMPARE(data, golden);
        // Today's stream loads into a new symbol and is written back unchanged.
        TKrSymbol *loaded = p.Close(QStringLiteral("Loaded"), TRect(40, 10, 55, 25));
        TSymbolStream in(golden);
        loaded->InitFromStream(in);
        QCOMPARE(Design(loaded), golden);
        QCOMPARE(Element<TKRFrame>(loaded, QStringLiteral("Up frame"))->GetBorderWidth(), 3);
    }
};

QTEST_MAIN(TestClose)
#include "tst_close.moc"
