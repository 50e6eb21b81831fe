// The element package: frames, images, value elements, the in/out function,
// action collections, texts, scales, formats, file selection, keyboard, media
// and partial PhysIds.

#include "ChildElements.h"
#include "Divunit.h"
#include "Krpropertypage.h"
#include "Krvisible.h"
#include "TestPage.h"

#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

class Host : public TKrGraphicControl {
    Q_OBJECT
public:
    explicit Host(TKrComponent *owner) : TKrGraphicControl(owner) {}
    void Validate() override
    {
        ++validates;
        TKrGraphicControl::Validate();
    }
    int validates = 0;
};

class Container : public TKrCustomDrawingControl {
    Q_OBJECT
public:
    explicit Container(TKrComponent *owner) : TKrCustomDrawingControl(owner) {}
};

// An element that records the PhysId notices of its symbol.
class Notifier : public TKrChild, public IKrPhysIdNotify {
    Q_OBJECT
public:
    explicit Notifier(TKrComponent *owner) : TKrChild(owner) {}
    bool GetInterface(const TGUID &iid, void **obj) override
    {
        KR_OFFER_INTERFACE(IKrPhysIdNotify)
        return TKrChild::GetInterface(iid, obj);
    }
    void PhysIdChanging() override { log << QStringLiteral("changing"); }
    void PhysIdChanged() override { log << QStringLiteral("changed"); }
    QStringList log;
};

static QImage Render(int w, int h, const std::function<void(QPainter &)> &f)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    f(p);
    return img;
}

class TestChildElements : public QObject {
    Q_OBJECT

private slots:
    void framesReportTheirInnerRectangle()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *f = new TKRFrame(host);
        f->SetBounds(TRect(0, 0, 20, 10));
        QCOMPARE(f->GetStyle(), int(TKRFrame::fsRaised));
        QCOMPARE(f->GetClipRect(), TRect(2, 2, 18, 8));
        int changes = 0;
        f->SetOnFrameChanged([&](QObject *sender) {
            QCOMPARE(sender, static_cast<QObject *>(f));
            ++changes;
        });
        f->SetStyle(TKRFrame::fsNone);
        QCOMPARE(f->GetClipRect(), TRect(0, 0, 20, 10));
        f->SetStyle(TKRFrame::fsNone);
        QCOMPARE(changes, 1);
        f->SetStyle(TKRFrame::fsSingle);
        f->SetBorderWidth(3);
        QCOMPARE(changes, 3);
        QCOMPARE(f->GetClipRect(), TRect(3, 3, 17, 7));
        f->SetBorderWidth(30); // wider than the bounds: an empty inner rectangle in the middle
        QVERIFY(f->GetClipRect().IsEmpty());
        QVERIFY(host->validates > 0);
        f->SetBorderWidth(1);
        f->SetColor(clRed);
        const QImage img = Render(20, 10, [&](QPainter &p) { f->Paint(&p); });
        QCOMPARE(img.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(img.pixelColor(19, 9), QColor(Qt::red));
        QCOMPARE(img.pixelColor(5, 5), QColor(Qt::white));
    }

    void imagesPaintTurnAndKeepTheirPicture()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *img = new TKRImage(host);
        img->SetKind(TKRImage::ikPicture);
        QCOMPARE(img->GetColor(), clBtnFace);
        img->SetColor(0x000000FF);
        QImage out = Render(10, 10, [&](QPainter &p) { img->Paint(&p, TRect(2, 2, 8, 8)); });
        QCOMPARE(out.pixelColor(4, 4), QColor(Qt::red));
        QCOMPARE(out.pixelColor(0, 0), QColor(Qt::white));
        img->SetKind(TKRImage::ikOverlay); // transparent, a hatch without picture
        QVERIFY(img->GetTransparent());
        out = Render(10, 10, [&](QPainter &p) { img->Paint(&p, TRect(0, 0, 10, 10)); });
        QVERIFY(out.pixelColor(0, 0) != QColor(Qt::white));

        // A picture: a 2x1 image, red left, blue right.
        QImage pic(2, 1, QImage::Format_RGB32);
        pic.setPixelColor(0, 0, Qt::red);
        pic.setPixelColor(1, 0, Qt::blue);
        QByteArray png;
        QBuffer buf(&png);
        buf.open(QIODevice::WriteOnly);
        pic.save(&buf, "PNG");
        img->SetKind(TKRImage::ikPicture);
        img->SetPicture(png);
        QVERIFY(img->HasPicture());
        out = Render(20, 10, [&](QPainter &p) { img->Paint(&p, TRect(0, 0, 20, 10)); });
        QCOMPARE(out.pixelColor(2, 5), QColor(Qt::red));
        QCOMPARE(out.pixelColor(17, 5), QColor(Qt::blue));
        img->Rotate_Mirror(rfMirrorHorizontal, QPoint());
        QVERIFY(img->GetMirrored());
        out = Render(20, 10, [&](QPainter &p) { img->Paint(&p, TRect(0, 0, 20, 10)); });
        QCOMPARE(out.pixelColor(2, 5), QColor(Qt::blue));
        img->Rotate_Mirror(rfMirrorHorizontal, QPoint());
        for (int f : {rfRotateRight, rfRotateRight, rfRotateLeft})
            img->Rotate_Mirror(f, QPoint());
        QCOMPARE(img->GetRotatedDeg(), 90);
        img->Rotate_Mirror(rfMirrorVertical, QPoint());
        QCOMPARE(img->GetRotatedDeg(), 90);
        img->Rotate_Mirror(rfMirrorHorizontal, QPoint());
        QCOMPARE(img->GetRotatedDeg(), 270);
        QVERIFY(!img->GetMirrored());

        // The picture travels in the design data; bytes that are no picture clear it.
        TSymbolStream st;
        img->SaveToStream(st);
        auto *copy = new TKRImage(host);
        TSymbolStream in(st.Data());
        copy->InitFromStream(in);
        QCOMPARE(copy->GetPicture(), png);
        QCOMPARE(copy->GetRotatedDeg(), 270);
        copy->SetPicture(QByteArray("not a picture"));
        QVERIFY(!copy->HasPicture());
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("p.png")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(png);
        f.close();
        KrSetBasePath(dir.path());
        QVERIFY(copy->LoadFromFile(QStringLiteral("p.png")));
        QCOMPARE(copy->GetFileName(), QStringLiteral("p.png"));
        QVERIFY(!copy->LoadFromFile(QStringLiteral("missing.png")));
        KrSetBasePath(QString());
        QStringList files;
        copy->CollectFiles(files);
        QCOMPARE(files, QStringList{QStringLiteral("p.png")});
    }

    void valueElementsReportChanges()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *s = new TKRString(host);
        QStringList log;
        s->SetOnChanging([&](QObject *) { log << QStringLiteral("changing:") + s->GetValue(); });
        s->SetOnChange([&](QObject *) { log << QStringLiteral("change:") + s->GetValue(); });
        s->SetValue(QStringLiteral("Floor1"));
        s->SetValue(QStringLiteral("Floor1"));
        QCOMPARE(log, (QStringList{QStringLiteral("changing:"), QStringLiteral("change:Floor1")}));
        TKrReplace r{QStringLiteral("Floor"), QStringLiteral("Page")};
        s->Replace(r);
        QCOMPARE(s->Value(), QStringLiteral("Page1"));

        auto *b = new TKrBoolean(host, QStringLiteral("Fixed in Run Mode"), QStringLiteral("Movable in Run Mode"));
        int changes = 0;
        b->SetOnChange([&](QObject *) { ++changes; });
        QCOMPARE(b->Caption(), QStringLiteral("Fixed in Run Mode"));
        b->SetValue(true);
        b->SetValue(true);
        QCOMPARE(changes, 1);
        QCOMPARE(b->Caption(), QStringLiteral("Movable in Run Mode"));

        auto *d = new TKRDropdownList(host);
        QCOMPARE(d->AddItem(QStringLiteral("with local open")), 0);
        QCOMPARE(d->AddItem(QStringLiteral("on main")), 1);
        d->SetValue(1);
        d->SetValue(5);
        d->SetValue(-1);
        QCOMPARE(d->GetValue(), 1);
        QCOMPARE(d->Text(), QStringLiteral("on main"));

        // Their property pages edit the value.
        QWidget parent;
        b->ShowDetails(&parent);
        auto *combo = b->DetailsPage()->findChild<QComboBox *>();
        QVERIFY(combo);
        QCOMPARE(combo->itemText(0), QStringLiteral("Fixed in Run Mode"));
        QCOMPARE(combo->currentIndex(), 1);
        combo->setCurrentIndex(0);
        QVERIFY(!b->GetValue());
        b->HideDetails();
    }

    void inOutFunctionRules()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *f = new TKRInOutFunction(host);
        QStringList log;
        f->SetOnChanged([&](QObject *) { log << QStringLiteral("changed"); });
        f->SetInputOnChanged([&](QObject *) { log << QStringLiteral("input"); });
        f->SetOutputOnChanged([&](QObject *) { log << QStringLiteral("output"); });
        QCOMPARE(f->GetOutputFunction(), int(TKRInOutFunction::ofToggle));
        f->ComputeInput(3.0);
        QCOMPARE(f->GetState(), 1);
        f->ComputeInput(QStringLiteral("7"));
        f->ComputeInput(QStringLiteral("garbage")); // not a number: 0
        QCOMPARE(f->GetState(), 0);
        QCOMPARE(log, (QStringList{QStringLiteral("changed"), QStringLiteral("input"), QStringLiteral("changed"), QStringLiteral("input")}));
        log.clear();
        f->ComputeOutput(true);
        f->ComputeOutput(false);
        QCOMPARE(f->GetState(), 1);
        QCOMPARE(f->GetReturnValue(), QVariant(1));
        QCOMPARE(log, (QStringList{QStringLiteral("changed"), QStringLiteral("output")}));
        f->SetOutputFunction(TKRInOutFunction::ofMomentary);
        f->ComputeOutput(true);
        QCOMPARE(f->GetState(), 1);
        f->ComputeOutput(false);
        QCOMPARE(f->GetState(), 0);
        f->SetOffValue(2.5);
        QCOMPARE(f->GetReturnValue(), QVariant(2.5));
        f->SetOutputFunction(TKRInOutFunction::ofNone);
        f->ComputeOutput(true);
        QCOMPARE(f->GetState(), 0);
        f->SetInputFunction(TKRInOutFunction::ifBit);
        f->SetInputBit(3);
        f->ComputeInput(8);
        QCOMPARE(f->GetState(), 1);
        f->ComputeInput(7);
        QCOMPARE(f->GetState(), 0);
        f->SetInputFunction(TKRInOutFunction::ifEqualsOn);
        f->SetOnValue(4);
        f->ComputeInput(4.0);
        QCOMPARE(f->GetState(), 1);
        f->SetInputFunction(TKRInOutFunction::ifAtLeastOn);
        f->ComputeInput(3.9);
        QCOMPARE(f->GetState(), 0);
        f->ComputeInput(1e300);
        QCOMPARE(f->GetState(), 1);
    }

    void actionCollectionsPaintTheirParts()
    {
        TestPage page;
        TestDesigner designer;
        page.designer = &designer;
        auto *host = new Host(&page);
        auto *c = new TKRActionCollection(host);
        QVERIFY(!c->GetFrame());
        QCOMPARE(c->ClipRect(TRect(0, 0, 30, 20)), TRect(0, 0, 30, 20));
        c->SetFrameEnabled(true);
        QVERIFY(c->GetFrame());
        QCOMPARE(designer.refreshes, 1);
        c->GetFrame()->SetStyle(TKRFrame::fsSingle);
        c->GetFrame()->SetColor(clBlack);
        c->GetFrame()->SetBorderWidth(2);
        c->GetImage()->SetTransparent(false);
        c->GetImage()->SetColor(0x0000FF00);
        const QImage out = Render(30, 20, [&](QPainter &p) { c->Paint(&p, TRect(0, 0, 30, 20)); });
        QCOMPARE(out.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(out.pixelColor(15, 10), QColor(0, 255, 0));
        QCOMPARE(c->ClipRect(TRect(0, 0, 30, 20)), TRect(2, 2, 28, 18));
        c->Rotate_Mirror(rfRotateRight, QPoint());
        QCOMPARE(c->GetImage()->GetRotatedDeg(), 90);
        // Stored with the frame; loaded into one without, the frame comes back.
        TSymbolStream st;
        c->SaveToStream(st);
        auto *d = new TKRActionCollection(host);
        TSymbolStream in(st.Data());
        d->InitFromStream(in);
        QVERIFY(d->GetFrame());
        QCOMPARE(d->GetFrame()->GetBorderWidth(), 2);
        QCOMPARE(d->GetImage()->GetColor(), TColor(0x0000FF00));
        c->SetFrameEnabled(false);
        QVERIFY(!c->GetFrame());
    }

    void textsEditInPlace()
    {
        TestPage page;
        auto *host = new Host(&page);
        host->resize(100, 30);
        auto *t = new TKrText(host);
        t->SetBounds(TRect(0, 0, 100, 30));
        t->SetCaption(QStringLiteral("Tank"));
        QVERIFY(!t->DoEdit()); // editing not enabled
        t->SetEditEnable(true);
        QVERIFY(t->DoEdit());
        QVERIFY(t->IsEditing());
        QCOMPARE(t->Editor()->text(), QStringLiteral("Tank"));
        t->Editor()->setText(QStringLiteral("Tank 2"));
        t->FinishEdit(true);
        QVERIFY(!t->IsEditing());
        QCOMPARE(t->Caption(), QStringLiteral("Tank 2"));
        QVERIFY(t->DoEdit());
        t->Editor()->setText(QStringLiteral("dropped"));
        QTest::keyClick(t->Editor(), Qt::Key_Escape);
        QCOMPARE(t->Caption(), QStringLiteral("Tank 2"));
        QString result;
        QVERIFY(t->DoEdit(QStringLiteral("12,5"), [&](const QString &text) { result = text; }, false));
        QTest::keyClick(t->Editor(), Qt::Key_Return);
        QCOMPARE(result, QStringLiteral("12,5"));
        QCOMPARE(t->Caption(), QStringLiteral("Tank 2"));
        t->SetShowEditEnableField(false);
        for (const TKrPropField &f : t->DetailsFields())
            QVERIFY(f.property != "EditEnable");
        t->SetShowCaptionField(false);
        for (const TKrPropField &f : t->DetailsFields())
            QVERIFY(f.property != "Caption");
    }

    void scalesMapValuesAndTurn()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *s = new TKRScale(host);
        int changes = 0;
        s->SetOnScaleChanged([&](QObject *) { ++changes; });
        s->SetBounds(TRect(0, 0, 100, 200));
        const TRect outer = s->GetOuterRect();
        const TRect axis = s->GetAxisRect();
        QCOMPARE(outer.Left, 0);
        QCOMPARE(outer.Height(), 200);
        QVERIFY(outer.Width() > 0 && outer.Width() < 100);
        QVERIFY(axis.Top > 0 && axis.Bottom < 200);
        QCOMPARE(s->ValueToPos(0), axis.Bottom);   // the minimum at the bottom
        QCOMPARE(s->ValueToPos(100), axis.Top);
        QCOMPARE(s->PosToValue(axis.Top), 100.0);
        QCOMPARE(qRound(s->PosToValue(s->ValueToPos(37))), 37);
        s->SetDirection(1);
        QCOMPARE(s->ValueToPos(0), axis.Top);
        s->SetDirection(0);
        s->SetAxisKind(2);
        s->SetBounds(TRect(0, 0, 100, 200));
        QCOMPARE(s->GetOuterRect().Right, 100);
        s->SetAxisKind(3);
        s->SetBounds(TRect(0, 0, 300, 100));
        QCOMPARE(s->GetOuterRect().Bottom, 100);
        QCOMPARE(s->ValueToPos(0), s->GetAxisRect().Left);
        QVERIFY(changes >= 4);
        // Equal limits: every value at the minimum's end, no division by zero.
        s->SetMax(0);
        QCOMPARE(s->ValueToPos(50), s->GetAxisRect().Left);
        QCOMPARE(s->PosToValue(200), 0.0);
        s->SetMax(100);
        // Turning: kinds and directions go round.
        s->SetAxisKind(0);
        s->SetDirection(0);
        s->Rotate_Mirror(rfRotateRight, QPoint());
        QCOMPARE(s->GetAxisKind(), 1);
        QCOMPARE(s->GetDirection(), 2);
        for (int i = 0; i < 3; ++i)
            s->Rotate_Mirror(rfRotateRight, QPoint());
        QCOMPARE(s->GetAxisKind(), 0);
        QCOMPARE(s->GetDirection(), 0);
        s->Rotate_Mirror(rfRotateLeft, QPoint());
        QCOMPARE(s->GetDirection(), 3);
        s->Rotate_Mirror(rfMirrorHorizontal, QPoint());
        QCOMPARE(s->GetDirection(), 2);
        s->Rotate_Mirror(rfMirrorVertical, QPoint());
        QCOMPARE(s->GetAxisKind(), 1);
        s->SetVisible(false);
        const QImage out = Render(100, 200, [&](QPainter &p) { s->Paint(&p); });
        QCOMPARE(out.pixelColor(50, 5), QColor(Qt::white));
    }

    void formatsWriteValues()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *f = new TKrFormat(host);
        int changes = 0;
        f->OnChange = [&](QObject *) { ++changes; };
        const QLocale loc = QLocale::system();
        f->SetKind(TKrFormat::fkFixed);
        f->SetDecimals(2);
        QCOMPARE(f->VariantToStr(12.5), loc.toString(12.5, 'f', 2));
        QCOMPARE(f->VariantToStr(QStringLiteral("3")), loc.toString(3.0, 'f', 2));
        QCOMPARE(f->VariantToStr(QStringLiteral("Pumpe")), QStringLiteral("Pumpe"));
        QCOMPARE(f->VariantToStr(QVariant()), QString());
        f->SetKind(TKrFormat::fkInteger);
        QCOMPARE(f->VariantToStr(2.6), QStringLiteral("3"));
        f->SetKind(TKrFormat::fkHex);
        QCOMPARE(f->VariantToStr(255), QStringLiteral("FF"));
        f->SetPrefix(QStringLiteral("0x"));
        f->SetSuffix(QStringLiteral(" h"));
        QCOMPARE(f->DisplayText(16), QStringLiteral("0x10 h"));
        QVERIFY(!f->GetEnable());
        f->SetEnable(true);
        QCOMPARE(changes, 6);
    }

    void selectFileTakesTheEditedName()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *sf = new TKRSelectFile(host);
        sf->Filter = QStringLiteral("Executable files |*.exe;|All files |*.*");
        sf->Title = QStringLiteral("Select Executable file");
        sf->SetShowInTree(false);
        QVERIFY(!sf->GetShowInTree());
        sf->SetFileName(QStringLiteral("old.exe"));
        QWidget parent;
        sf->ShowDetails(&parent);
        QVERIFY(sf->Edit());
        QCOMPARE(sf->Edit()->text(), QStringLiteral("old.exe"));
        sf->Edit()->setText(QStringLiteral("/usr/bin/true"));
        sf->HideDetails();
        QCOMPARE(sf->GetFileName(), QStringLiteral("/usr/bin/true"));
        QVERIFY(!sf->DetailsPage());
    }

    void keyboardReportsVirtualKeys()
    {
        TestPage page;
        page.show();
        auto *host = new Host(&page);
        host->setGeometry(0, 0, 50, 50);
        host->show();
        auto *k = new TKrKeyboard(host);
        QList<int> downs, ups, presses;
        QStringList order;
        k->OnKeyDown = [&](QObject *, int &key, TShiftState) {
            downs << key;
            order << QStringLiteral("down");
            key = 0; // a handler's change stays its own
        };
        k->OnKeyUp = [&](QObject *, int &key, TShiftState) {
            ups << key;
            order << QStringLiteral("up");
        };
        k->SetOnKeyPress([&](QObject *sender, int &key) {
            QCOMPARE(sender, static_cast<QObject *>(k));
            presses << key;
            order << QStringLiteral("press");
        });
        k->Activate();
        QTest::keyPress(host, Qt::Key_Up);
        QTest::keyRelease(host, Qt::Key_Up);
        QTest::keyClick(host, Qt::Key_Left);
        QTest::keyClick(host, Qt::Key_A);
        QTest::keyClick(host, Qt::Key_A, Qt::ShiftModifier);
        QTest::keyClick(host, Qt::Key_Return);
        // Shift held for the capital: the shift key is a key of its own (16).
        QCOMPARE(downs, (QList<int>{38, 37, 65, 16, 65, 13}));
        QCOMPARE(ups, (QList<int>{38, 37, 65, 65, 16, 13}));
        // Key press carries the virtual key code too (not the typed character).
        QCOMPARE(presses, (QList<int>{38, 37, 65, 16, 65, 13}));
        QCOMPARE(order.mid(0, 3), (QStringList{QStringLiteral("down"), QStringLiteral("press"), QStringLiteral("up")}));
        // A key without a virtual key code raises nothing.
        QTest::keyClick(host, Qt::Key_Eacute);
        QCOMPARE(presses.size(), 6);
        QCOMPARE(downs.size(), 6);
        QCOMPARE(TKrKeyboard::VirtualKey(Qt::Key_Down), 40);
        QCOMPARE(TKrKeyboard::VirtualKey(Qt::Key_Right), 39);
        QCOMPARE(TKrKeyboard::VirtualKey(Qt::Key_F1), 112);
    }

    void multimediaPlaysOverARectangle()
    {
        TestPage page;
        auto *host = new Host(&page);
        host->resize(100, 100);
        auto *m = new TKRMultiMedia(host);
        QVERIFY(!m->PlayMultiMedia(TRect(0, 0, 50, 50))); // no clip
        QTemporaryDir dir;
        QImage still(4, 4, QImage::Format_RGB32);
        still.fill(Qt::green);
        const QString file = dir.filePath(QStringLiteral("clip.png"));
        QVERIFY(still.save(file));
        m->SetFileName(file);
        QVERIFY(m->PlayMultiMedia(TRect(10, 10, 60, 40)));
        QVERIFY(m->IsPlaying());
        QCOMPARE(m->Player()->parentWidget(), static_cast<QWidget *>(host));
        QCOMPARE(m->Player()->geometry(), QRect(10, 10, 50, 30));
        // On a floor given as host.
        QWidget floor;
        QVERIFY(m->PlayMultiMedia(&floor, host, TRect(0, 0, 20, 20)));
        QCOMPARE(m->Player()->parentWidget(), &floor);
        m->CloseMultiMedia();
        QVERIFY(!m->IsPlaying());
        QVERIFY(m->PlayMultiMedia()); // the stored host and rectangle
        QCOMPARE(m->Player()->parentWidget(), &floor);
        m->SetFileName(dir.filePath(QStringLiteral("missing.gif")));
        QVERIFY(!m->IsPlaying());
        QVERIFY(!m->PlayMultiMedia());
    }

    void partialPhysIdsCompleteLinksOnAFloor()
    {
        TestPage page;
        page.open = true;
        auto *opener = new Host(&page);
        opener->SetName(QStringLiteral("Open1"));
        auto *openerPath = new TKrPhysIdPath(opener);
        openerPath->SetPath(QStringLiteral("FT101"));
        auto *floor = new Container(&page);
        auto *floorPath = new TKrPhysIdPath(floor);
        auto *onFloor = new Host(floor);
        auto *link = new TKrKelo(onFloor);
        auto *notifier = new Notifier(onFloor);
        QStringList changes;
        link->SetOnPhysIdChanged([&](QObject *) { changes << link->GetPhysId(); });
        link->SetPhysId(QStringLiteral(".Flow"));
        QCOMPARE(link->GetPhysId(), QStringLiteral(".Flow"));
        QVERIFY(Supports<IKrPhysIdUpdate>(floorPath));
        floorPath->SetReference(opener);
        QCOMPARE(floorPath->GetPhysIdPath(), QStringLiteral("FT101"));
        floorPath->Update(false);
        QCOMPARE(link->GetPhysId(), QStringLiteral("FT101.Flow"));
        QCOMPARE(notifier->log, (QStringList{QStringLiteral("changing"), QStringLiteral("changed")}));
        QCOMPARE(changes, (QStringList{QStringLiteral(".Flow"), QStringLiteral("FT101.Flow")}));
        floorPath->Update(false); // unchanged: nothing
        QCOMPARE(notifier->log.size(), 2);
        floorPath->Update(true);  // forced
        QCOMPARE(notifier->log.size(), 4);
        QCOMPARE(changes.size(), 2); // the link's PhysId did not change
        // An absolute PhysId is not completed.
        link->SetPhysId(QStringLiteral("FT999.Flow"));
        QCOMPARE(link->GetPhysId(), QStringLiteral("FT999.Flow"));
        // References that loop end.
        auto *other = new Container(&page);
        auto *otherPath = new TKrPhysIdPath(other);
        otherPath->SetReference(floor);
        floorPath->SetReference(other);
        QVERIFY(floorPath->GetPhysIdPath().size() < 1000);
    }
};

QTEST_MAIN(TestChildElements)
#include "tst_childelements.moc"
