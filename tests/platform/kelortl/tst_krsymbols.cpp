// The symbol base classes: storing published properties and elements (also
// from damaged data, and elements made while loading), containers reading and
// replacing their own elements, dimension and scale through SetBounds,
// visibility notices, interfaces, mouse and menu dispatch, the click-blocking
// bit, and the elements' property pages.

#include "Divunit.h"
#include "KrInterfaces.h"
#include "Krpropertypage.h"
#include "Krsymbols.h"
#include "Krvisible.h"
#include "TestPage.h"

#include <QMenu>
#include <QSpinBox>
#include <QtTest>

class TestElement : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count WRITE SetCount)
    Q_PROPERTY(QString Label READ Label WRITE SetLabel)
    Q_PROPERTY(int Transient READ Count STORED false)
public:
    explicit TestElement(TKrComponent *owner, const QString &name) : TKrChild(owner) { SetName(name); }
    int Count() const { return m_count; }
    void SetCount(int c) { m_count = c; }
    QString Label() const { return m_label; }
    void SetLabel(const QString &l) { m_label = l; }
    void Replace(TKrReplace &what) override
    {
        what.Apply(m_label);
        TKrChild::Replace(what);
    }

private:
    int m_count = 1;
    QString m_label;
};

class TestSymbol : public TKrGraphicControl {
    Q_OBJECT
    Q_PROPERTY(double Level READ Level WRITE SetLevel)
    Q_PROPERTY(bool Extra READ Extra WRITE SetExtra)
public:
    explicit TestSymbol(TKrComponent *owner) : TKrGraphicControl(owner)
    {
        first = new TestElement(this, QStringLiteral("First"));
        nested = new TestElement(first, QStringLiteral("Nested"));
    }
    double Level() const { return m_level; }
    void SetLevel(double l) { m_level = l; }
    bool Extra() const { return extra != nullptr; }
    void SetExtra(bool on)
    {
        if (on && !extra)
            extra = new TestElement(this, QStringLiteral("Extra"));
        else if (!on && extra) {
            delete extra;
            extra = nullptr;
        }
    }
    void VisibleChanged(QObject *sender) override
    {
        ++visibleChanges;
        lastSender = sender;
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        downs.append({int(b), int(s), x, y});
        TKrGraphicControl::MouseDown(b, s, x, y);
    }
    void DblClick() override
    {
        ++doubles;
        TKrGraphicControl::DblClick();
    }
    void MessageReceived(int message) override { messages << message; }
    QList<int> messages;
    TestElement *first;
    TestElement *nested;
    TestElement *extra = nullptr;
    double m_level = 0;
    int visibleChanges = 0;
    QObject *lastSender = nullptr;
    QList<QList<int>> downs;
    int doubles = 0;
};

class TestContainer : public TKrCustomDrawingControl {
    Q_OBJECT
    Q_PROPERTY(int Mode READ Mode WRITE SetMode)
public:
    explicit TestContainer(TKrComponent *owner) : TKrCustomDrawingControl(owner) { new TestElement(this, QStringLiteral("Own")); }
    int Mode() const { return m_mode; }
    void SetMode(int m) { m_mode = m; }
    void VisibleChanged(QObject *) override { ++visibleChanges; }
    int m_mode = 0;
    int visibleChanges = 0;
};

// Lays itself out in SetBounds, as the components with inner parts do.
class LayoutSymbol : public TestSymbol {
    Q_OBJECT
public:
    using TestSymbol::TestSymbol;
    using TestSymbol::SetBounds;
    void SetBounds(int left, int top, int width, int height) override
    {
        TestSymbol::SetBounds(left, top, width, height);
        ++layouts;
        inner = ClientRect().Deflated(2);
    }
    int layouts = 0;
    TRect inner;
};

// An element that reports changes of its Spawn setting, so that its symbol can
// react by making another element (as "enable" settings of elements do).
class SpawningElement : public TestElement {
    Q_OBJECT
    Q_PROPERTY(bool Spawn READ Spawn WRITE SetSpawn)
public:
    using TestElement::TestElement;
    bool Spawn() const { return m_spawn; }
    void SetSpawn(bool on)
    {
        m_spawn = on;
        if (onChange)
            onChange(this);
    }
    TNotifyEvent onChange;

private:
    bool m_spawn = false;
};

class SpawningSymbol : public TKrGraphicControl {
    Q_OBJECT
public:
    explicit SpawningSymbol(TKrComponent *owner) : TKrGraphicControl(owner)
    {
        switcher = new SpawningElement(this, QStringLiteral("Switch"));
        switcher->onChange = [this](QObject *) {
            if (switcher->Spawn() && !late)
                late = new TestElement(this, QStringLiteral("Late"));
        };
    }
    SpawningElement *switcher;
    TestElement *late = nullptr;
};

// A container that stores two elements after its own data and hands a replace
// to its element itself, as work floors do.
class ElementContainer : public TKrCustomDrawingControl {
    Q_OBJECT
public:
    explicit ElementContainer(TKrComponent *owner) : TKrCustomDrawingControl(owner)
    {
        a = new TestElement(this, QStringLiteral("A"));
        b = new TestElement(this, QStringLiteral("B"));
    }
    void SaveToStream(TSymbolStream &stream, QStringList &files) override
    {
        TKrCustomDrawingControl::SaveToStream(stream, files);
        stream.WriteInt32(own);
        a->SaveToStream(stream);
        b->SaveToStream(stream);
    }
    void InitFromStream(TSymbolStream &stream) override
    {
        TKrCustomDrawingControl::InitFromStream(stream);
        own = stream.ReadInt32();
        readA = KrReadElement(stream, a);
        readB = KrReadElement(stream, b);
    }
    void Replace(TKrReplace &what) override
    {
        TKrCustomDrawingControl::Replace(what);
        a->Replace(what);
    }
    TestElement *a;
    TestElement *b;
    int own = 0;
    bool readA = false;
    bool readB = false;
};

static QByteArray Save(TKrSymbol *s)
{
    TSymbolStream st;
    QStringList files;
    s->SaveToStream(st, files);
    return st.Data();
}

class TestKrSymbols : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        WorkAreaW = 1000;
        WorkAreaH = 500;
        GlobZoomFactor = 1.0;
    }

    void graphicControlStoresPropertiesAndElements()
    {
        TestPage page;
        auto *a = new TestSymbol(&page);
        a->SetLevel(3.25);
        a->SetExtra(true);
        a->first->SetCount(5);
        a->nested->SetLabel(QStringLiteral("deep"));
        a->extra->SetCount(9);
        const QByteArray data = Save(a);

        auto *b = new TestSymbol(&page);
        TSymbolStream in(data);
        b->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(b->Level(), 3.25);
        // The element made by the property exists before its data is applied.
        QVERIFY(b->extra);
        QCOMPARE(b->extra->Count(), 9);
        QCOMPARE(b->first->Count(), 5);
        QCOMPARE(b->nested->Label(), QStringLiteral("deep"));
        QCOMPARE(Save(b), data);

        // Only the component's own published properties are stored.
        const krstream::ObjectRecord rec = [&] {
            TKeloStream s(data);
            return krstream::ReadObject(s);
        }();
        QStringList names;
        for (const auto &p : rec.properties)
            names << p.name;
        QCOMPARE(names, (QStringList{QStringLiteral("Level"), QStringLiteral("Extra")}));
        QCOMPARE(rec.elements.size(), 2);
        QCOMPARE(rec.elements[0].className, QStringLiteral("TestElement"));
    }

    void corruptElementDataKeepsThatElementsDefaults()
    {
        TestPage page;
        auto *a = new TestSymbol(&page);
        a->first->SetCount(5);
        krstream::ObjectRecord rec;
        TKeloStream s(Save(a));
        rec = krstream::ReadObject(s);
        // The element's data is framed soundly but holds a truncated block.
        rec.elements[0].data = QByteArray("K\x03\x00\x00\x00\x01\x00P", 8);
        rec.properties = {{QStringLiteral("Level"), 1.0}};
        TKeloStream w;
        krstream::WriteObject(w, rec);
        auto *b = new TestSymbol(&page);
        TSymbolStream in(w.Data());
        b->InitFromStream(in);
        QCOMPARE(b->Level(), 1.0);
        QCOMPARE(b->first->Count(), 1);
    }

    void containerStoresPropertiesOnly()
    {
        TestPage page;
        auto *c = new TestContainer(&page);
        c->SetMode(4);
        const QByteArray data = Save(c);
        TKeloStream s(data);
        const krstream::ObjectRecord rec = krstream::ReadObject(s);
        QCOMPARE(rec.properties.size(), 1);
        QVERIFY(rec.elements.isEmpty());
        auto *d = new TestContainer(&page);
        TSymbolStream in(data);
        d->InitFromStream(in);
        QCOMPARE(d->Mode(), 4);
    }

    void dimensionFollowsZoomAndScale()
    {
        TestPage page;
        auto *s = new TestSymbol(&page);
        s->SetBounds(100, 50, 200, 100);
        const TDim d = s->GrundI()->GetDim();
        QCOMPARE(d.Left, 0.1);
        QCOMPARE(d.Top, 0.1);
        QCOMPARE(d.Width, 0.2);
        QCOMPARE(d.Height, 0.2);
        QCOMPARE(s->GrundI()->CalBoundsRect(d), TRect(100, 50, 300, 150));
        GlobZoomFactor = 2.0;
        s->ValidateDim();
        QCOMPARE(s->BoundsRect(), TRect(200, 100, 600, 300));
        QCOMPARE(s->GrundI()->GetDim().Left, 0.1);
        GlobZoomFactor = 1.0;
        s->ValidateDim();

        // A container's scale shrinks it in place and its contents with it.
        auto *c = new TestContainer(&page);
        c->SetBounds(10, 10, 400, 200);
        auto *inner = new TestSymbol(c);
        QCOMPARE(inner->parentWidget(), static_cast<QWidget *>(c));
        inner->SetBounds(100, 40, 50, 20);
        c->GrundI()->SetScale(0.5);
        QCOMPARE(c->BoundsRect(), TRect(10, 10, 210, 110));
        QCOMPARE(inner->BoundsRect(), TRect(50, 20, 75, 30));
        QCOMPARE(inner->ParentScale(), 0.5);
        // The dimension stays that of scale 1.
        QCOMPARE(c->GrundI()->CalBoundsRect(c->GrundI()->GetDim()), TRect(10, 10, 410, 210));
        c->GrundI()->SetScale(1.0);
        QCOMPARE(inner->BoundsRect(), TRect(100, 40, 150, 60));
        c->GrundI()->SetScale(-3); // nonsense is scale 1
        QCOMPARE(c->GrundI()->GetScale(), 1.0);
    }

    void visibilityNoticesFollowPapers()
    {
        TestPage page;
        auto *top = new TestSymbol(&page);
        auto *floor = new TestContainer(&page);
        auto *onFloor = new TestSymbol(floor);
        QVERIFY(!IsVisible(top)); // the page is not open
        page.open = true;
        QVERIFY(IsVisible(top));
        QVERIFY(IsVisible(onFloor));
        QVERIFY(IsVisible(onFloor->first)); // an element through its symbol
        PaperOpened(&page);
        QVERIFY(top->GrundI()->GetVisible() && floor->GrundI()->GetVisible() && onFloor->GrundI()->GetVisible());
        QCOMPARE(onFloor->visibleChanges, 1);
        QCOMPARE(onFloor->lastSender, static_cast<QObject *>(&page));
        PaperOpened(&page); // nothing changed: no notice
        QCOMPARE(onFloor->visibleChanges, 1);

        floor->hide();
        QVERIFY(!IsVisible(onFloor));
        QVERIFY(!floor->GetShown());
        TestClosed(floor);
        QVERIFY(!onFloor->GrundI()->GetVisible());
        QCOMPARE(onFloor->visibleChanges, 2);
        QCOMPARE(onFloor->lastSender, static_cast<QObject *>(floor));
        PaperClosed(floor);
        QVERIFY(!floor->GrundI()->GetVisible());
        QCOMPARE(onFloor->visibleChanges, 2);
        floor->show();
        PaperOpened(floor);
        QVERIFY(onFloor->GrundI()->GetVisible());
        HideAllChilds(floor);
        QVERIFY(!onFloor->GrundI()->GetVisible());
        QVERIFY(floor->GetShown()); // the paper itself is untouched
        QCOMPARE(onFloor->visibleChanges, 4);
    }

    void interfacesAndLookups()
    {
        TestPage page;
        auto *floor = new TestContainer(&page);
        floor->SetName(QStringLiteral("Floor1"));
        auto *s = new TestSymbol(floor);
        s->SetName(QStringLiteral("Sym1"));
        QVERIFY(Supports<IKrDrawingItem>(s));
        QVERIFY(Supports<IKrDrawingItem>(static_cast<QObject *>(&page)));
        QVERIFY(!Supports<IKrSymbolLookup>(s));
        QVERIFY(!Supports<IKrRotatable>(s));
        QVERIFY(!Supports<IKrDrawingItem>(static_cast<QObject *>(nullptr)));
        QObject plain;
        QVERIFY(!Supports<IKrDrawingItem>(&plain));
        QCOMPARE(KrTopMostDrawingItem(s), static_cast<QObject *>(&page));
        QCOMPARE(KrFindSymbol(s, QStringLiteral("Floor1")), static_cast<QObject *>(floor));
        QVERIFY(!KrFindSymbol(s, QString()));
        QCOMPARE(KrChildSymbols(floor), (QList<TKrSymbol *>{s}));
        QCOMPARE(s->Owner(), static_cast<TKrComponent *>(floor));
        QCOMPARE(s->Elements().size(), 1);
        QCOMPARE(s->FindElement(QStringLiteral("First")), s->first);
        QCOMPARE(s->nested->Symbol(), static_cast<TKrSymbol *>(s));

        // Ownership moves, and freeing an owner frees what it owns.
        QPointer<TestSymbol> guard(s);
        page.InsertComponent(s);
        QCOMPARE(s->Owner(), static_cast<TKrComponent *>(&page));
        QCOMPARE(floor->ComponentCount(), 1); // its own element
        auto *t = new TestSymbol(floor);
        QPointer<TestSymbol> tGuard(t);
        floor->FreeChilds();
        QVERIFY(!tGuard);
        QVERIFY(guard);

        // Designer presence decides design mode.
        QVERIFY(!s->IsDesigning());
        TestDesigner designer;
        page.designer = &designer;
        QVERIFY(s->IsDesigning());
        s->GrundI()->AddUndo();
        QCOMPARE(designer.undos, 1);
    }

    void mouseAndMenuDispatch()
    {
        TestPage page;
        page.open = true;
        auto *s = new TestSymbol(&page);
        s->SetBounds(10, 10, 50, 30);
        int ups = 0;
        s->OnMouseUp = [&](QObject *sender, TMouseButton b, TShiftState, int x, int) {
            QCOMPARE(sender, static_cast<QObject *>(s));
            QCOMPARE(int(b), int(mbRight));
            QCOMPARE(x, 5);
            ++ups;
        };
        QTest::mousePress(s, Qt::LeftButton, Qt::ControlModifier, QPoint(3, 4));
        QTest::mouseRelease(s, Qt::RightButton, Qt::NoModifier, QPoint(5, 6));
        QCOMPARE(s->downs.size(), 1);
        QCOMPARE(s->downs[0], (QList<int>{int(mbLeft), int(ssCtrl | ssLeft), 3, 4}));
        QCOMPARE(ups, 1);
        QTest::mouseDClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(s->doubles, 1);
        QVERIFY(TShiftState(s->downs.last()[1]).testFlag(ssDouble));

        bool handled = true;
        s->DoContextPopup(QPoint(1, 1), handled = false);
        QVERIFY(!handled);
        s->PopupMenu()->addAction(QStringLiteral("Copy Ref."));
        s->DoContextPopup(QPoint(1, 1), handled);
        QVERIFY(handled);
        s->PopupMenu()->hide();

        s->PostMessage(1434);
        QVERIFY(s->messages.isEmpty()); // handled later, from the event loop
        QTRY_COMPARE(s->messages, QList<int>{1434});

        s->SetCursorCode(crHandPoint);
        QCOMPARE(s->cursor().shape(), Qt::PointingHandCursor);
        s->SetCursorCode(crDefault);
        QCOMPARE(s->CursorCode(), int(crDefault));
    }

    void elementPagesEditAndRecordUndo()
    {
        TestPage page;
        TestDesigner designer;
        page.designer = &designer;
        auto *s = new TestSymbol(&page);
        QWidget host;
        s->first->ShowDetails(&host);
        auto *p = qobject_cast<TKrPropertyPage *>(s->first->DetailsPage());
        QVERIFY(p);
        auto *spin = qobject_cast<QSpinBox *>(p->Editor("Count"));
        QVERIFY(spin);
        QCOMPARE(spin->value(), 1);
        QVERIFY(!p->Editor("Transient")); // not stored, not offered
        spin->setValue(12);
        QCOMPARE(s->first->Count(), 12);
        QCOMPARE(designer.undos, 1);
        s->first->HideDetails();
        QVERIFY(!s->first->DetailsPage());

        TKrReplace r{QStringLiteral("old"), QStringLiteral("new")};
        s->nested->SetLabel(QStringLiteral("the old name"));
        s->Replace(r);
        QCOMPARE(s->nested->Label(), QStringLiteral("the new name"));
        QCOMPARE(r.count, 1);
    }

    void placeAndSizeChangesReachSetBounds()
    {
        TestPage page;
        auto *s = new LayoutSymbol(&page);
        // A dimension that pixels cannot hold exactly.
        const TDim dim{0.12345, 0.2, 0.0517, 0.0333};
        s->SetDim(dim);
        QCOMPARE(s->layouts, 1);
        QCOMPARE(s->BoundsRect(), TRect(123, 100, 175, 117));
        QCOMPARE(s->inner, TRect(2, 2, 50, 15));
        QCOMPARE(s->GrundI()->GetDim(), dim); // not taken back from the pixels

        // Zoom: the designer revalidates the dimension.
        GlobZoomFactor = 2.0;
        s->ValidateDim();
        QCOMPARE(s->layouts, 2);
        QCOMPARE(s->BoundsRect(), TRect(247, 200, 350, 233));
        QCOMPARE(s->inner, TRect(2, 2, 101, 31));
        QCOMPARE(s->GrundI()->GetDim(), dim);
        GlobZoomFactor = 1.0;
        s->ValidateDim();

        // Scale: the size changes in place.
        s->GrundI()->SetScale(2.0);
        QCOMPARE(s->layouts, 4);
        QCOMPARE(s->BoundsRect(), TRect(123, 100, 226, 133));
        QCOMPARE(s->inner, TRect(2, 2, 101, 31));
        QCOMPARE(s->GrundI()->GetDim(), dim);
        s->GrundI()->SetScale(1.0);

        // A container's scale reaches the SetBounds of what sits on it.
        auto *c = new TestContainer(&page);
        c->SetBounds(0, 0, 400, 200);
        auto *onC = new LayoutSymbol(c);
        onC->SetBounds(100, 40, 60, 30);
        const int before = onC->layouts;
        c->GrundI()->SetScale(0.5);
        QCOMPARE(onC->layouts, before + 1);
        QCOMPARE(onC->BoundsRect(), TRect(50, 20, 80, 35));
        QCOMPARE(onC->inner, TRect(2, 2, 28, 13));

        // A direct SetBounds still moves the dimension along.
        s->SetBounds(500, 250, 100, 50);
        QCOMPARE(s->GrundI()->GetDim(), (TDim{0.5, 0.5, 0.1, 0.1}));
    }

    void elementsMadeWhileLoadingGetTheirData()
    {
        TestPage page;
        auto *a = new SpawningSymbol(&page);
        a->switcher->SetSpawn(true);
        QVERIFY(a->late);
        a->late->SetCount(7);
        a->late->SetLabel(QStringLiteral("made by the switch"));
        const QByteArray data = Save(a);

        // The late element appears only when the switch's data is applied; its
        // own data follows in the same stream.
        auto *b = new SpawningSymbol(&page);
        QVERIFY(!b->late);
        TSymbolStream in(data);
        b->InitFromStream(in);
        QVERIFY(b->switcher->Spawn());
        QVERIFY(b->late);
        QCOMPARE(b->late->Count(), 7);
        QCOMPARE(b->late->Label(), QStringLiteral("made by the switch"));
        QCOMPARE(Save(b), data);
    }

    void oneBadValueCostsOnlyItself()
    {
        TestPage page;
        auto *a = new TestSymbol(&page);
        a->SetLevel(2.5);
        a->SetExtra(true);
        a->first->SetCount(4);
        a->first->SetLabel(QStringLiteral("kept"));
        TKeloStream original(Save(a));
        krstream::ObjectRecord rec = krstream::ReadObject(original);

        // Rebuild the symbol's data by hand with a damaged value in front: the
        // block of "Extra" holds a boolean byte 7, that of "Level" is good.
        TKeloStream w;
        {
            TKeloBlockWriter object(w, krstream::kObjectTag);
            w.WriteUInt16(krstream::kObjectFormatVersion);
            {
                TKeloBlockWriter props(w, krstream::kPropertiesTag);
                w.WriteUInt32(3);
                w.WriteString(QStringLiteral("Extra"));
                w.WriteByte(krstream::vtBool);
                {
                    TKeloBlockWriter value(w, krstream::kValueTag);
                    w.WriteByte(7);
                }
                w.WriteString(QStringLiteral("Junk"));
                w.WriteByte(krstream::vtString);
                {
                    TKeloBlockWriter value(w, krstream::kValueTag);
                    w.WriteUInt32(2);
                    w.WriteRaw(QByteArray("\xC0\xAF", 2)); // not UTF-8
                }
                w.WriteString(QStringLiteral("Level"));
                krstream::WriteValue(w, 2.5);
            }
            TKeloBlockWriter elements(w, krstream::kElementsTag);
            w.WriteUInt32(quint32(rec.elements.size()));
            for (const krstream::ElementRecord &e : rec.elements) {
                w.WriteString(e.label);
                w.WriteString(e.className);
                w.WriteRaw(e.data);
            }
        }
        auto *b = new TestSymbol(&page);
        TSymbolStream in(w.Data());
        b->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(b->Level(), 2.5);
        QVERIFY(!b->extra); // the damaged value kept its default
        QCOMPARE(b->first->Count(), 4);
        QCOMPARE(b->first->Label(), QStringLiteral("kept"));

        // Element data that is no object leaves that element alone; the others load.
        rec.elements[0].data = QByteArray("Q\x01\x00\x00\x00\x00", 6);
        TKeloStream w2;
        krstream::WriteObject(w2, rec);
        auto *c = new TestSymbol(&page);
        TSymbolStream in2(w2.Data());
        c->InitFromStream(in2);
        QCOMPARE(c->Level(), 2.5);
        QVERIFY(c->extra);
        QCOMPARE(c->first->Count(), 1);

        // A block that overruns its data is a framing error: nothing is applied.
        QByteArray cut = Save(a);
        cut.chop(3);
        auto *d = new TestSymbol(&page);
        TSymbolStream in3(cut);
        QVERIFY_THROWS_EXCEPTION(EKrStreamError, d->InitFromStream(in3));
        QCOMPARE(d->Level(), 0.0);
        QVERIFY(!d->State().testFlag(ksLoading));
    }

    void containersReadTheirElementsBlockByBlock()
    {
        TestPage page;
        auto *c = new ElementContainer(&page);
        c->own = 42;
        c->a->SetCount(5);
        c->b->SetCount(6);
        const QByteArray good = Save(c);
        auto *d = new ElementContainer(&page);
        TSymbolStream in(good);
        d->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QVERIFY(d->readA && d->readB);
        QCOMPARE(d->own, 42);
        QCOMPARE(d->a->Count(), 5);
        QCOMPARE(d->b->Count(), 6);

        // Damage inside A's block (its own object header): A keeps its defaults,
        // the stream goes on after the block and B loads.
        TSymbolStream probe(good);
        krstream::ReadObject(probe);
        probe.ReadInt32();
        const qint64 aStart = probe.Position();
        QByteArray bad = good;
        bad[int(aStart + 5)] = 0; // A's format version 0
        bad[int(aStart + 6)] = 0;
        auto *e = new ElementContainer(&page);
        TSymbolStream in2(bad);
        e->InitFromStream(in2);
        QVERIFY(in2.AtEnd());
        QVERIFY(!e->readA);
        QVERIFY(e->readB);
        QCOMPARE(e->a->Count(), 1);
        QCOMPARE(e->b->Count(), 6);

        // A block of no use to anyone is passed over; one that overruns the data raises.
        TSymbolStream skip(good.mid(int(aStart)));
        QVERIFY(!KrReadElement(skip, nullptr));
        QVERIFY(KrReadElement(skip, e->b));
        QVERIFY(skip.AtEnd());
        TSymbolStream overrun(good.mid(int(aStart)).left(8));
        QVERIFY_THROWS_EXCEPTION(EKrStreamError, KrReadElement(overrun, e->a));
    }

    void containerReplacesThroughItsOwnElementsOnce()
    {
        TestPage page;
        auto *c = new ElementContainer(&page);
        c->a->SetLabel(QStringLiteral("x"));
        c->b->SetLabel(QStringLiteral("x"));
        TKrReplace r{QStringLiteral("x"), QStringLiteral("xx")};
        c->Replace(r);
        QCOMPARE(c->a->Label(), QStringLiteral("xx")); // once, by the container
        QCOMPARE(c->b->Label(), QStringLiteral("x"));  // the container left it out
        QCOMPARE(r.count, 1);
        // The base container alone touches no element; a window-less symbol
        // forwards to all of its own.
        auto *plain = new TestContainer(&page);
        auto *own = qobject_cast<TestElement *>(plain->FindElement(QStringLiteral("Own")));
        own->SetLabel(QStringLiteral("x"));
        TKrReplace r2{QStringLiteral("x"), QStringLiteral("y")};
        plain->Replace(r2);
        QCOMPARE(own->Label(), QStringLiteral("x"));
        QCOMPARE(r2.count, 0);
    }

    void closingPaperHidesItsChildrenBeforeItIsHidden()
    {
        TestPage page;
        page.open = true;
        auto *floor = new TestContainer(&page);
        auto *onFloor = new TestSymbol(floor);
        auto *deeper = new TestContainer(floor);
        auto *deepest = new TestSymbol(deeper);
        PaperOpened(&page);
        QVERIFY(onFloor->GrundI()->GetVisible() && deepest->GrundI()->GetVisible());
        const int changes = onFloor->visibleChanges;
        // Still shown: TestClosed changes nothing.
        TestClosed(floor);
        QVERIFY(onFloor->GrundI()->GetVisible());
        // The floor marks itself not visible before it hides: its children go
        // too, though its widget is still shown.
        floor->GrundI()->SetVisible(false);
        QVERIFY(IsVisible(onFloor));
        TestClosed(floor);
        QVERIFY(!onFloor->GrundI()->GetVisible());
        QVERIFY(!deeper->GrundI()->GetVisible());
        QVERIFY(!deepest->GrundI()->GetVisible());
        QCOMPARE(onFloor->visibleChanges, changes + 1);
        QCOMPARE(onFloor->lastSender, static_cast<QObject *>(floor));
    }

    void clicksCanBeBlocked()
    {
        TestPage page;
        auto *s = new TestSymbol(&page);
        QVERIFY(!s->GetBlockClicks());
        s->SetBlockClicks(true);
        QVERIFY(s->GetBlockClicks());
        QVERIFY(s->State().testFlag(ksBlockClicks));
        s->SetState(ksLoading, true);
        s->SetBlockClicks(false);
        QVERIFY(!s->State().testFlag(ksBlockClicks));
        QVERIFY(s->State().testFlag(ksLoading)); // other bits stay
    }
};

QTEST_MAIN(TestKrSymbols)
#include "tst_krsymbols.moc"
