// The host's drawing page and designer, with symbols made in the test itself:
// what the page offers the symbols, lookup by name, opening and closing, names
// and the element tree.

#include "KrDrawingPage.h"
#include "Krvisible.h"

#include <QtTest>

class Element : public TKrChild {
    Q_OBJECT
public:
    Element(TKrComponent *owner, const QString &label, bool shown = true) : TKrChild(owner)
    {
        SetName(label);
        SetShowInTree(shown);
    }
};

class Symbol : public TKrGraphicControl {
    Q_OBJECT
public:
    explicit Symbol(TKrComponent *owner) : TKrGraphicControl(owner)
    {
        auto *a = new Element(this, QStringLiteral("On action"));
        new Element(a, QStringLiteral("Frame"));
        new Element(this, QStringLiteral("NortityPhysId"), false);
        new Element(this, QStringLiteral("Function"));
    }
    void VisibleChanged(QObject *) override { ++changes; }
    void DesignerChange() override { ++designerChanges; }
    int changes = 0;
    int designerChanges = 0;
};

class Floor : public TKrCustomDrawingControl {
    Q_OBJECT
public:
    explicit Floor(TKrComponent *owner) : TKrCustomDrawingControl(owner) {}
    void PaperChanged() override { ++paperChanges; }
    int paperChanges = 0;
};

class TestDrawingPage : public QObject {
    Q_OBJECT

private slots:
    void offersWhatSymbolsAskFor()
    {
        TKrHostLoader loader;
        TKrDrawingPage page(&loader);
        QVERIFY(Supports<IKrDrawingItem>(&page));
        QVERIFY(Supports<IKrSymbolLookup>(&page));
        QVERIFY(Supports<IKrHostContext>(&page));
        auto *floor = new Floor(&page);
        floor->SetName(QStringLiteral("Floor1"));
        auto *s = new Symbol(floor);
        s->SetName(QStringLiteral("Bistate1"));
        QCOMPARE(page.FindSymbol(QStringLiteral("bistate1")), static_cast<QObject *>(s));
        QCOMPARE(KrFindSymbol(s, QStringLiteral("Floor1")), static_cast<QObject *>(floor));
        QVERIFY(!page.FindSymbol(QStringLiteral("nobody")));
        QCOMPARE(page.Symbols(), (QList<TKrSymbol *>{floor, s}));
        QCOMPARE(page.UniqueName(QStringLiteral("Bistate1")), QStringLiteral("Bistate2"));
        QCOMPARE(page.UniqueName(QString()), QStringLiteral("Symbol1"));
    }

    void openingAndClosingTellTheSymbols()
    {
        TKrHostLoader loader;
        TKrDrawingPage page(&loader);
        auto *floor = new Floor(&page);
        auto *s = new Symbol(floor);
        QVERIFY(!page.GetShown());
        QVERIFY(!IsVisible(s));
        page.Open();
        QVERIFY(page.GetShown());
        QVERIFY(s->GrundI()->GetVisible());
        QCOMPARE(s->changes, 1);
        QCOMPARE(floor->paperChanges, 1);
        page.Close();
        QVERIFY(!s->GrundI()->GetVisible());
        QCOMPARE(s->changes, 2);
    }

    void designerModeAndElementTree()
    {
        TKrHostLoader loader;
        TKrDrawingPage page(&loader);
        auto *s = new Symbol(&page);
        QVERIFY(!s->IsDesigning());
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        QVERIFY(s->IsDesigning());
        QCOMPARE(s->GrundI()->GetKrDesigner(), static_cast<IKrDesigner *>(&designer));
        QCOMPARE(s->designerChanges, 1);
        QCOMPARE(TKrHostDesigner::ElementTree(s), (QStringList{QStringLiteral("On action"), QStringLiteral("  Frame"), QStringLiteral("Function")}));
        designer.Modified(true);
        QVERIFY(designer.IsModified());
        QVERIFY(!designer.Undo()); // nothing recorded
    }

    void deletionAsksTheSymbol()
    {
        TKrHostLoader loader;
        TKrDrawingPage page(&loader);
        QPointer<Symbol> s = new Symbol(&page);
        QVERIFY(page.DeleteSymbol(s));
        QVERIFY(!s);
        QVERIFY(!page.DeleteSymbol(nullptr));
        QVERIFY(!page.CreateSymbol(nullptr, QStringLiteral("x"), TRect(0, 0, 1, 1)));
    }

    void pageFilesAreWrittenAtomically()
    {
        TKrHostLoader loader;
        TKrDrawingPage page(&loader);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("page.krp"));
        QString error;
        QVERIFY(page.SaveToFile(file, &error));
        TKrDrawingPage other(&loader);
        QVERIFY(other.LoadFromFile(file));
        QVERIFY(!other.LoadFromFile(dir.filePath(QStringLiteral("missing.krp"))));
        QVERIFY(!page.SaveToFile(dir.filePath(QStringLiteral("no/such/dir/page.krp")), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(TestDrawingPage)
#include "tst_drawingpage.moc"
