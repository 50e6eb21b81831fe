// The symbol base classes: storing published properties and elements,
// dimension and scale, visibility notices, interfaces, mouse and menu dispatch,
// and the elements' property pages.

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
};

QTEST_MAIN(TestKrSymbols)
#include "tst_krsymbols.moc"
