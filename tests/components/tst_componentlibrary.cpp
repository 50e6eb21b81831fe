// A component library built by kr_add_component, loaded through the host
// loader: symbols are created on a drawing page, save and restore their design
// data byte for byte, lay out for every change of place and size, paint, turn
// and mirror, and read a simulated process value through their variable link.

#include "ChildElements.h"
#include "Divunit.h"
#include "KeloProServer.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "Krfiler.h"
#include "Namechanged.h"

#include <QImage>
#include <QtTest>

static const QString kSymbolGuid = QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}");
static const QString kPanelGuid = QStringLiteral("{65AF74EF-DCC4-4D33-BC01-635FE0F1D667}");

class TestComponentLibrary : public QObject {
    Q_OBJECT

    TKrHostLoader m_loader;
    TKrComponentLibrary *m_symbolLib = nullptr;
    TKrComponentLibrary *m_panelLib = nullptr;

    static QByteArray Design(TKrSymbol *s)
    {
        TSymbolStream st;
        QStringList files;
        s->SaveToStream(st, files);
        return st.Data();
    }

private slots:
    void initTestCase()
    {
        kelopro::registerServer();
        m_symbolLib = m_loader.Load(QStringLiteral(KR_TEST_SYMBOL_LIB));
        m_panelLib = m_loader.Load(QStringLiteral(KR_TEST_PANEL_LIB));
        QVERIFY(m_symbolLib && m_panelLib);
    }

    void createsNamedSymbolsOnAPage()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(400, 300);
        page.Open();
        TKrSymbol *a = page.CreateSymbol(m_symbolLib, QString(), TRect(10, 10, 50, 30));
        TKrSymbol *b = page.CreateSymbol(m_symbolLib, QStringLiteral("Pump"), TRect(60, 10, 100, 30));
        TKrSymbol *c = page.CreateSymbol(m_symbolLib, QStringLiteral("Pump"), TRect(60, 40, 100, 60));
        QVERIFY(a && b && c);
        QCOMPARE(a->Name(), QStringLiteral("KRTestSymbol1"));
        QCOMPARE(b->Name(), QStringLiteral("Pump"));
        QVERIFY(c->Name() != b->Name());
        QCOMPARE(page.FindSymbol(QStringLiteral("pump")), static_cast<QObject *>(b));
        QCOMPARE(KrFindSymbol(a, QStringLiteral("Pump")), static_cast<QObject *>(b));
        QCOMPARE(a->BoundsRect(), TRect(10, 10, 50, 30));
        QCOMPARE(a->Owner(), static_cast<TKrComponent *>(&page));
        QVERIFY(a->GrundI()->GetVisible());
        QCOMPARE(TKrHostDesigner::ElementTree(a), (QStringList{QStringLiteral("Frame"), QStringLiteral("Image"), QStringLiteral("Text"), QStringLiteral("Function")}));
        QCOMPARE(page.Symbols().size(), 3);
        QVERIFY(page.DeleteSymbol(c));
        QCOMPARE(page.Symbols().size(), 2);
    }

    void aboutResourcesAreEmbedded()
    {
        TKrSymbol *s = m_symbolLib->Create(nullptr);
        QCOMPARE(s->AboutResource(), QStringLiteral(":/krcomponents/") + kSymbolGuid);
        QImage about(s->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QFile version(s->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(version.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("KrTestSymbol 1.2.3")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Test symbol of the plug-in contract")));
        delete s;
    }

    void designDataRoundTripsByteForByte()
    {
        TKrDrawingPage page(&m_loader);
        TKrSymbol *a = page.CreateSymbol(m_symbolLib, QStringLiteral("A"), TRect(0, 0, 40, 20));
        a->setProperty("Level", 2.75);
        a->setProperty("Note", QStringLiteral("Pumpe \u00fcber Kopf \u2013 \U0001F600"));
        a->setProperty("RotDeg", 180);
        a->setProperty("RotMirr", true);
        a->setProperty("EnableVariableLink", true);
        auto *link = qobject_cast<TKrKelo *>(a->FindElement(QStringLiteral("Variable link")));
        QVERIFY(link);
        link->SetPhysId(QStringLiteral("FT101.Flow"));
        qobject_cast<TKRFrame *>(a->FindElement(QStringLiteral("Frame")))->SetStyle(TKRFrame::fsLowered);
        qobject_cast<TKRImage *>(a->FindElement(QStringLiteral("Image")))->SetColor(0x00123456);
        qobject_cast<TKRInOutFunction *>(a->FindElement(QStringLiteral("Function")))->SetOnValue(7.5);
        const QByteArray first = Design(a);

        TKrSymbol *b = page.CreateSymbol(m_symbolLib, QStringLiteral("B"), TRect(0, 0, 40, 20));
        QVERIFY(!b->FindElement(QStringLiteral("Variable link")));
        TSymbolStream in(first);
        b->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(Design(b), first);
        QCOMPARE(b->property("Level").toDouble(), 2.75);
        QCOMPARE(b->property("Note").toString(), a->property("Note").toString());
        QCOMPARE(b->property("RotDeg").toInt(), 180);
        QVERIFY(b->property("RotMirr").toBool());
        auto *link2 = qobject_cast<TKrKelo *>(b->FindElement(QStringLiteral("Variable link")));
        QVERIFY(link2);
        QCOMPARE(link2->PhysIdText(), QStringLiteral("FT101.Flow"));
        QCOMPARE(qobject_cast<TKRFrame *>(b->FindElement(QStringLiteral("Frame")))->GetStyle(), int(TKRFrame::fsLowered));
        QCOMPARE(qobject_cast<TKRImage *>(b->FindElement(QStringLiteral("Image")))->GetColor(), TColor(0x00123456));
        QCOMPARE(qobject_cast<TKRInOutFunction *>(b->FindElement(QStringLiteral("Function")))->GetOnValue(), 7.5);
    }

    void laterVersionsAndMissingDataLoad()
    {
        // Data of a later version: an unknown setting, a setting of another type,
        // an element this version does not have, and an unknown block.
        krstream::ObjectRecord frame;
        frame.properties = {{QStringLiteral("Style"), 5}, {QStringLiteral("Shine"), 3.0}};
        TKeloStream frameData;
        krstream::WriteObject(frameData, frame);
        krstream::ObjectRecord rec;
        rec.version = 7;
        rec.properties = {{QStringLiteral("Level"), 9.5}, {QStringLiteral("Glow"), true}, {QStringLiteral("Note"), 12}};
        rec.elements = {{QStringLiteral("Gizmo"), QStringLiteral("TKRGizmo"), frameData.Data()},
                        {QStringLiteral("Frame"), QStringLiteral("TKRFrame"), frameData.Data()}};
        TKeloStream data;
        krstream::WriteObject(data, rec);
        // Append a block of a later version inside the object.
        QByteArray bytes = data.Data();
        {
            TKeloStream extra;
            TKeloBlockWriter b(extra, 'Z');
            extra.WriteString(QStringLiteral("future"));
        }
        TKeloStream extra;
        {
            TKeloBlockWriter b(extra, 'Z');
            extra.WriteString(QStringLiteral("future"));
        }
        bytes.append(extra.Data());
        const quint32 newLength = quint32(bytes.size() - 5);
        bytes[1] = char(newLength & 0xFF);
        bytes[2] = char((newLength >> 8) & 0xFF);
        bytes[3] = char((newLength >> 16) & 0xFF);
        bytes[4] = char((newLength >> 24) & 0xFF);

        TKrSymbol *s = m_symbolLib->Create(nullptr);
        TSymbolStream in(bytes);
        s->InitFromStream(in);
        QCOMPARE(s->property("Level").toDouble(), 9.5);
        QCOMPARE(s->property("Note").toString(), QString()); // wrong type: default kept
        QCOMPARE(qobject_cast<TKRFrame *>(s->FindElement(QStringLiteral("Frame")))->GetStyle(), int(TKRFrame::fsEtched));
        // Elements without data keep their defaults.
        QCOMPARE(qobject_cast<TKRImage *>(s->FindElement(QStringLiteral("Image")))->GetColor(), TColor(0x0000FF00));
        delete s;
    }

    void truncatedOrCorruptDataFailsCleanly()
    {
        TKrSymbol *a = m_symbolLib->Create(nullptr);
        a->setProperty("EnableVariableLink", true);
        a->setProperty("Note", QStringLiteral("abc"));
        const QByteArray good = Design(a);
        int failures = 0;
        for (int n = 0; n < good.size(); ++n) {
            TKrSymbol *s = m_symbolLib->Create(nullptr);
            TSymbolStream in(good.left(n));
            try {
                s->InitFromStream(in);
            } catch (const EKrStreamError &e) {
                ++failures;
                QVERIFY(!e.Text().isEmpty());
            }
            // Whatever happened, the symbol still works.
            QVERIFY(!Design(s).isEmpty());
            delete s;
        }
        QCOMPARE(failures, int(good.size())); // every cut of the object block is seen
        // Flipped bytes never crash.
        for (int i = 0; i < good.size(); ++i) {
            QByteArray bad = good;
            bad[i] = char(bad[i] ^ 0xA5);
            TKrSymbol *s = m_symbolLib->Create(nullptr);
            TSymbolStream in(bad);
            try {
                s->InitFromStream(in);
            } catch (const EKrStreamError &) {
            }
            delete s;
        }
        delete a;
    }

    void paintsItsElements()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(200, 100);
        page.Open();
        TKrSymbol *s = page.CreateSymbol(m_symbolLib, QStringLiteral("P"), TRect(10, 10, 50, 30));
        auto *frame = qobject_cast<TKRFrame *>(s->FindElement(QStringLiteral("Frame")));
        frame->SetColor(clRed);
        frame->SetBorderWidth(2);
        const QImage img = s->grab().toImage();
        QCOMPARE(img.size(), QSize(40, 20));
        QCOMPARE(img.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(img.pixelColor(1, 10), QColor(Qt::red));
        QCOMPARE(img.pixelColor(20, 10), QColor(0, 255, 0)); // the image's colour inside the frame
        // Not drawn while the page is closed.
        page.Close();
        s->GrundI()->SetVisible(false);
        const QImage hidden = s->grab().toImage();
        QVERIFY(hidden.pixelColor(20, 10) != QColor(0, 255, 0));
    }

    void turnsAndMirrors()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        page.resize(300, 300);
        page.Open();
        TKrSymbol *s = page.CreateSymbol(m_symbolLib, QStringLiteral("R"), TRect(100, 100, 160, 120));
        IKrRotatable *r = Supports<IKrRotatable>(s);
        QVERIFY(r);
        QVERIFY(r->CanRotate());
        const QPoint centre = page.mapToGlobal(QPoint(130, 110));
        r->Rotate_Mirror(rfRotateRight, centre);
        QCOMPARE(r->GetRotation(), 90);
        QCOMPARE(s->BoundsRect(), TRect(120, 80, 140, 140));
        QVERIFY(designer.IsModified());
        for (int i = 0; i < 3; ++i)
            r->Rotate_Mirror(rfRotateRight, centre);
        QCOMPARE(r->GetRotation(), 0);
        QCOMPARE(s->BoundsRect(), TRect(100, 100, 160, 120));
        r->Rotate_Mirror(rfRotateLeft, centre);
        QCOMPARE(r->GetRotation(), 270);
        r->Rotate_Mirror(rfMirrorHorizontal, centre);
        QCOMPARE(r->GetRotation(), 90);
        QVERIFY(r->GetMirrored());
        auto *image = qobject_cast<TKRImage *>(s->FindElement(QStringLiteral("Image")));
        QCOMPARE(image->GetRotatedDeg(), 90);
        QVERIFY(image->GetMirrored());
    }

    void readsASimulatedValueThroughItsLink()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(200, 100);
        page.Open();
        TKrSymbol *s = page.CreateSymbol(m_symbolLib, QStringLiteral("V"), TRect(0, 0, 40, 20));
        s->setProperty("EnableVariableLink", true);
        auto *link = qobject_cast<TKrKeloTimer *>(s->FindElement(QStringLiteral("Variable link")));
        QVERIFY(link);
        link->SetPhysId(QStringLiteral("FT101.Flow"));
        QVERIFY(link->DoRead());
        QCOMPARE(link->GetErrorCode(), 0);
        bool ok = false;
        const double flow = link->GetInValue().toDouble(&ok);
        QVERIFY(ok);
        QVERIFY(flow > 0);
        QCOMPARE(s->property("DataReadyCount").toInt(), 1);
        QCOMPARE(s->property("LastValue"), link->GetInValue());

        // Enabled and visible: the link polls by itself.
        s->InitSymbol();
        QVERIFY(link->Enabled());
        QTRY_VERIFY_WITH_TIMEOUT(s->property("DataReadyCount").toInt() >= 3, 5000);

        // A device that does not answer reports its error.
        link->SetEnable(false);
        link->SetPhysId(QStringLiteral("FT103.Flow"));
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecNoContact));
        QVERIFY(!link->IsErrorCodeFatal(link->GetErrorCode()));
        QCOMPARE(s->property("ErrorCount").toInt(), 1);
        QVERIFY(s->toolTip().contains(QStringLiteral("FT103.Flow")));
        link->SetPhysId(QStringLiteral("FT101.Flow"));
        QVERIFY(link->DoRead());
        QVERIFY(s->toolTip().isEmpty());
    }

    void pagesSaveAndLoadWithContainersAndRunTimeData()
    {
        QByteArray saved;
        {
            TKrDrawingPage page(&m_loader);
            page.resize(400, 300);
            page.Open();
            TKrSymbol *panel = page.CreateSymbol(m_panelLib, QStringLiteral("Panel"), TRect(20, 20, 220, 170));
            QMetaObject::invokeMethod(panel, "AddName", Q_ARG(QString, QStringLiteral("Opener1")));
            QMetaObject::invokeMethod(panel, "AddName", Q_ARG(QString, QString(300, QLatin1Char('x'))));
            panel->setProperty("Index", 1);
            panel->setProperty("Movable", true);
            TKrSymbol *inner = page.CreateSymbol(m_symbolLib, QStringLiteral("Inner"), TRect(5, 5, 45, 25), panel);
            QCOMPARE(inner->parentWidget(), static_cast<QWidget *>(panel));
            inner->setProperty("Level", 4.0);
            qobject_cast<TKrText *>(inner->FindElement(QStringLiteral("Text")))->SetCaption(QStringLiteral("typed at run time"));
            saved = page.SavePage();
        }
        TKrDrawingPage page(&m_loader);
        page.resize(400, 300);
        page.Open();
        QVERIFY(page.LoadPage(saved));
        QVERIFY(page.Problems().isEmpty());
        auto *panel = KrSymbolOf(page.FindSymbol(QStringLiteral("Panel")));
        auto *inner = KrSymbolOf(page.FindSymbol(QStringLiteral("Inner")));
        QVERIFY(panel && inner);
        QCOMPARE(inner->Owner(), static_cast<TKrComponent *>(panel));
        QCOMPARE(inner->parentWidget(), static_cast<QWidget *>(panel));
        QCOMPARE(panel->property("Names").toStringList(), (QStringList{QStringLiteral("Opener1"), QString(300, QLatin1Char('x'))}));
        QCOMPARE(panel->property("LoadedIndex").toInt(), 1);
        QVERIFY(panel->property("Movable").toBool());
        QCOMPARE(inner->property("Level").toDouble(), 4.0);
        QCOMPARE(inner->BoundsRect(), TRect(5, 5, 45, 25));
        QCOMPARE(panel->BoundsRect(), TRect(20, 20, 220, 170));
        QCOMPARE(qobject_cast<TKrText *>(inner->FindElement(QStringLiteral("Text")))->Caption(), QStringLiteral("typed at run time"));
        QVERIFY(inner->GrundI()->GetVisible());
        // Saved again, the page is the same byte for byte.
        panel->setProperty("Index", panel->property("LoadedIndex"));
        QCOMPARE(page.SavePage(), saved);
    }

    void placeAndSizeReachTheComponentsLayout()
    {
        // The test symbol lays out its text in SetBounds; every way the host
        // places or sizes it must get there.
        QByteArray saved;
        QRect laidOut;
        {
            TKrDrawingPage page(&m_loader);
            TKrSymbol *s = page.CreateSymbol(m_symbolLib, QStringLiteral("Laid"), TRect(10, 10, 90, 50));
            QVERIFY(s->property("Layouts").toInt() >= 1);
            laidOut = s->property("TextBounds").toRect();
            QVERIFY(laidOut.width() > 60 && laidOut.width() < 80);
            saved = page.SavePage();
        }
        TKrDrawingPage page(&m_loader);
        QVERIFY(page.LoadPage(saved));
        TKrSymbol *s = KrSymbolOf(page.FindSymbol(QStringLiteral("Laid")));
        QVERIFY(s);
        QVERIFY(s->property("Layouts").toInt() >= 1);
        QCOMPARE(s->BoundsRect(), TRect(10, 10, 90, 50));
        QCOMPARE(s->property("TextBounds").toRect(), laidOut);

        GlobZoomFactor = 2.0;
        s->ValidateDim();
        QCOMPARE(s->property("TextBounds").toRect().size(), laidOut.size() + QSize(80, 40));
        GlobZoomFactor = 1.0;
        s->ValidateDim();
        s->GrundI()->SetScale(0.5);
        QCOMPARE(s->property("TextBounds").toRect().size(), laidOut.size() - QSize(40, 20));
        s->GrundI()->SetScale(1.0);
        QCOMPARE(s->property("TextBounds").toRect(), laidOut);
    }

    void pasteRenamesTakenNames()
    {
        TKrDrawingPage page(&m_loader);
        TKrSymbol *a = page.CreateSymbol(m_symbolLib, QStringLiteral("Valve"), TRect(0, 0, 40, 20));
        a->setProperty("Level", 1.5);
        const QByteArray copy = page.CopySymbols({a});
        const QList<TKrSymbol *> pasted = page.PasteSymbols(copy);
        QCOMPARE(pasted.size(), 1);
        TKrSymbol *b = pasted.first();
        QVERIFY(b->Name() != QStringLiteral("Valve"));
        QCOMPARE(b->property("Level").toDouble(), 1.5);
        QCOMPARE(FindNameChangedOld(b->Name()), QStringLiteral("Valve"));
        QCOMPARE(FindNameChangedNew(QStringLiteral("Valve")), b->Name());
        QCOMPARE(FindNameChangedNew(QStringLiteral("Other")), QStringLiteral("Other"));
    }

    void badPagesAreReportedNotFatal()
    {
        TKrDrawingPage page(&m_loader);
        QVERIFY(!page.LoadPage(QByteArray("not a page at all")));
        QVERIFY(!page.Problems().isEmpty());

        TKrDrawingPage source(&m_loader);
        source.CreateSymbol(m_symbolLib, QStringLiteral("One"), TRect(0, 0, 40, 20));
        source.CreateSymbol(m_symbolLib, QStringLiteral("Two"), TRect(0, 30, 40, 50));
        const QByteArray data = source.SavePage();
        for (int n = 0; n < data.size(); n += 7) {
            TKrDrawingPage p(&m_loader);
            p.LoadPage(data.left(n));
            QVERIFY(p.Symbols().size() <= 2);
        }
        // A symbol of a library that is not loaded is left out and reported.
        TKrHostLoader other;
        QVERIFY(other.Load(QStringLiteral(KR_TEST_PANEL_LIB)));
        TKrDrawingPage p(&other);
        QVERIFY(p.LoadPage(data));
        QCOMPARE(p.Symbols().size(), 0);
        QCOMPARE(p.Problems().size(), 2);
        QVERIFY(p.Problems().first().reason.contains(kSymbolGuid));
    }

    void designerRecordsUndoAndTree()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        TKrSymbol *s = page.CreateSymbol(m_symbolLib, QStringLiteral("U"), TRect(0, 0, 40, 20));
        QVERIFY(s->IsDesigning());
        const int refreshes = designer.TreeRefreshes();
        s->setProperty("EnableVariableLink", true);
        QCOMPARE(designer.TreeRefreshes(), refreshes + 1);
        QVERIFY(TKrHostDesigner::ElementTree(s).contains(QStringLiteral("Variable link")));
        s->setProperty("Level", 3.0);
        s->GrundI()->AddUndo();
        s->setProperty("Level", 8.0);
        QCOMPARE(designer.UndoCount(), 1);
        QVERIFY(designer.Undo());
        QCOMPARE(s->property("Level").toDouble(), 3.0);
        page.SetDesigner(nullptr);
        QVERIFY(!s->IsDesigning());
    }
};

QTEST_MAIN(TestComponentLibrary)
#include "tst_componentlibrary.moc"
