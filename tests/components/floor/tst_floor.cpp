// The work floor, loaded from its library with open and close buttons: the
// elements and the stream format, opening and closing in both show modes,
// the re-entrancy guard, the self-opener, positions outside the parent, the
// auto-show close, renames, deletion and removal reaching every relation,
// pastes, the hidden-floor hand-over between auto-show buttons, the deferred
// visibility check, run-mode dragging, "Copy Ref." and bad stream input.

#include "DialogAnswerer.h"
#include "FloorFixture.h"
#include "Keloclip.h"
#include "Krfiler.h"
#include "Krvisible.h"

#include <QElapsedTimer>

using namespace floortest;

namespace {

// The design stream of a floor: the inherited data as a fresh floor writes it,
// then relations, index and the element blocks given.
QByteArray FloorStream(const QByteArray &inherited, const QStringList &relations, const QByteArray &indexBytes, const QByteArray &elements)
{
    TKeloStream s;
    s.WriteRaw(inherited);
    TKrFilerWriter w(s);
    w.WriteStringList(relations);
    s.WriteRaw(indexBytes);
    s.WriteRaw(elements);
    return s.Data();
}

struct FloorParts {
    QByteArray inherited; // the published properties block
    QByteArray filer;     // relations and index
    QByteArray elements;  // the five element blocks
};

FloorParts Split(const QByteArray &data)
{
    TKeloStream s(data);
    s.SkipBlock();
    FloorParts parts;
    parts.inherited = data.left(s.Position());
    const qint64 filerStart = s.Position();
    TKrFilerReader r(s);
    r.ReadStringList();
    if (r.NextIsInteger())
        r.ReadInt64();
    parts.filer = data.mid(filerStart, s.Position() - filerStart);
    parts.elements = data.mid(s.Position());
    return parts;
}

QByteArray Int(int tag, const QByteArray &bytes)
{
    return QByteArray(1, char(tag)) + bytes;
}

} // namespace

class TestFloor : public QObject {
    Q_OBJECT

    QByteArray m_inherited;
    QByteArray m_elements;

private slots:
    void initTestCase()
    {
        QVERIFY(FloorLib() && OpenLib() && CloseLib());
        TKrSymbol *fresh = FloorLib()->Create(nullptr);
        const FloorParts parts = Split(Design(fresh));
        m_inherited = parts.inherited;
        m_elements = parts.elements;
        delete fresh;
    }

    void elementsAndDefaults()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        QVERIFY(f);
        QCOMPARE(QString::fromLatin1(f->metaObject()->className()), QStringLiteral("TKRWorkFloor"));
        QCOMPARE(TKrHostDesigner::ElementTree(f), (QStringList{QStringLiteral("Movability"), QStringLiteral("Show"), QStringLiteral("Image"), QStringLiteral("Frame"), QStringLiteral("Partial PhysId")}));
        auto *movability = Element<TKrBoolean>(f, QStringLiteral("Movability"));
        QCOMPARE(movability->GetValue(), false);
        QCOMPARE(movability->FalseCaption(), QStringLiteral("Fixed in Run Mode"));
        QCOMPARE(movability->TrueCaption(), QStringLiteral("Movable in Run Mode"));
        auto *show = Element<TKRDropdownList>(f, QStringLiteral("Show"));
        QCOMPARE(show->Items(), (QStringList{QStringLiteral("with local open"), QStringLiteral("on main")}));
        QCOMPARE(show->GetValue(), 0);
        auto *image = Element<TKRImage>(f, QStringLiteral("Image"));
        QCOMPARE(image->GetKind(), int(TKRImage::ikPicture));
        QCOMPARE(image->GetColor(), TColor(0x8000000F));
        QVERIFY(Element<TKRFrame>(f, QStringLiteral("Frame")));
        QVERIFY(Element<TKrPhysIdPath>(f, QStringLiteral("Partial PhysId")));
        QVERIFY(WorkFloor(f) && Relations(f));
        QVERIFY(!Supports<IKrRotatable>(f));
        QCOMPARE(WorkFloor(f)->GetShowMode(), 0);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QString());
        QCOMPARE(Relations(f)->GetRelation(0), QString());
        QCOMPARE(Relations(f)->GetRelation(-1), QString());
        QImage about(f->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QFile version(f->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(version.readAll()).startsWith(QStringLiteral("Floor 1.0.0")));
    }

    void mediaRect()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        Element<TKRFrame>(f, QStringLiteral("Frame"))->SetBorderWidth(3);
        f->grab(); // lays the frame into the client rectangle
        QCOMPARE(WorkFloor(f)->GetMediaRect(), TRect(3, 3, 194, 144));
    }

    // ---------------------------------------------------------------- stream

    void streamFormat_data()
    {
        QTest::addColumn<QStringList>("relations");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("filer");
        const QString longName(300, QLatin1Char('n'));
        QByteArray le300;
        le300.append(char(44)).append(char(1)).append(char(0)).append(char(0));
        QTest::newRow("empty, closed") << QStringList() << -1 << QByteArray::fromHex("0100" "02ff");
        QTest::newRow("short names") << QStringList{QStringLiteral("Op1"), QStringLiteral("Op2")} << 1
                                     << QByteArray::fromHex("01" "06034f7031" "06034f7032" "00" "0201");
        QTest::newRow("long name, 2-byte index") << QStringList{longName} << 200
                                                 << (QByteArray::fromHex("010c") + le300 + longName.toLatin1() + QByteArray::fromHex("00" "03c800"));
        QTest::newRow("4-byte index") << QStringList{QStringLiteral("A")} << 70000 << QByteArray::fromHex("01" "060141" "00" "0470110100");
        QTest::newRow("255 bytes stay short") << QStringList{QString(255, QLatin1Char('x'))} << 0
                                              << (QByteArray::fromHex("0106ff") + QByteArray(255, 'x') + QByteArray::fromHex("00" "0200"));
    }
    void streamFormat()
    {
        QFETCH(QStringList, relations);
        QFETCH(int, index);
        QFETCH(QByteArray, filer);
        // A stream of that content, read by a floor, is written back byte for byte.
        QByteArray indexBytes;
        {
            TKeloStream s;
            TKrFilerWriter(s).WriteInteger(index);
            indexBytes = s.Data();
        }
        const QByteArray data = FloorStream(m_inherited, relations, indexBytes, m_elements);
        QCOMPARE(Split(data).filer, filer);
        TKrSymbol *f = FloorLib()->Create(nullptr);
        TSymbolStream in(data);
        f->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(RelationList(f), relations);
        QCOMPARE(Design(f), data);
        delete f;
    }

    void missingIndexLoadsAsMinusOne_data()
    {
        QTest::addColumn<QByteArray>("indexBytes");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("no integer") << QByteArray() << QByteArray::fromHex("02ff");
        QTest::newRow("one byte") << Int(2, QByteArray::fromHex("01")) << QByteArray::fromHex("0201");
        QTest::newRow("eight bytes") << Int(19, QByteArray::fromHex("0100000000000000")) << QByteArray::fromHex("0201");
        QTest::newRow("eight bytes beyond 32 bits") << Int(19, QByteArray::fromHex("0000000001000000")) << QByteArray::fromHex("02ff");
    }
    void missingIndexLoadsAsMinusOne()
    {
        QFETCH(QByteArray, indexBytes);
        QFETCH(QByteArray, written);
        const QStringList relations{QStringLiteral("OpenA"), QStringLiteral("OpenB")};
        const QByteArray data = FloorStream(m_inherited, relations, indexBytes, m_elements);
        TKrSymbol *f = FloorLib()->Create(nullptr);
        TSymbolStream in(data);
        f->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(RelationList(f), relations);
        // The elements after the index still load, and the index written back is
        // what was loaded (-1 when there was none).
        const QByteArray back = Design(f);
        QCOMPARE(Split(back).filer.right(written.size()), written);
        QCOMPARE(Split(back).elements, m_elements);
        delete f;
    }

    void goldenStream()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *a = p.Open(QStringLiteral("OpenA"), TRect(20, 20, 40, 40));
        TKrSymbol *b = p.Open(QStringLiteral("OpenB"), TRect(50, 20, 70, 40));
        SetOpenRef(a, QStringLiteral("Floor"));
        SetOpenRef(b, QStringLiteral("Floor"));
        SetShowMode(f, 1);
        SetBool(f, QStringLiteral("Movability"), true);
        Element<TKRFrame>(f, QStringLiteral("Frame"))->SetBorderWidth(4);
        Element<TKrPhysIdPath>(f, QStringLiteral("Partial PhysId"))->SetPath(QStringLiteral(".Tank"));
        Click(b);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("OpenB"));
        const QByteArray data = Design(f);
        if (WriteGoldenRequested())
            WriteGolden(QStringLiteral("Floor.bin"), data);
        const QByteArray golden = ReadGolden(QStringLiteral("Floor.bin"));
        QVERIFY2(!golden.isEmpty(), "the golden stream Floor.bin is missing");
        QCOMPARE(data, golden);
        QCOMPARE(Split(golden).filer, QByteArray::fromHex("01" "06054f70656e41" "06054f70656e42" "00" "0201"));
        TKrSymbol *loaded = FloorLib()->Create(nullptr);
        TSymbolStream in(golden);
        loaded->InitFromStream(in);
        QCOMPARE(Design(loaded), golden);
        QCOMPARE(WorkFloor(loaded)->GetShowMode(), 1);
        QCOMPARE(Element<TKrBoolean>(loaded, QStringLiteral("Movability"))->GetValue(), true);
        QCOMPARE(Element<TKRFrame>(loaded, QStringLiteral("Frame"))->GetBorderWidth(), 4);
        QCOMPARE(Element<TKrPhysIdPath>(loaded, QStringLiteral("Partial PhysId"))->GetPath(), QStringLiteral(".Tank"));
        delete loaded;
    }

    void pageRoundTripRestoresTheOpenFloor()
    {
        QByteArray data;
        {
            Page d(true);
            TKrSymbol *f = d.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
            TKrSymbol *o = d.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
            d.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), f);
            SetOpenRef(o, QStringLiteral("Floor"));
            SetBool(o, QStringLiteral("Floor PhysId"), true);
            Click(o);
            data = d->SavePage();
        }
        Page p(false);
        QVERIFY(p->LoadPage(data));
        QVERIFY(p->Problems().isEmpty());
        TKrSymbol *f = p.Find(QStringLiteral("Floor"));
        QVERIFY(Shown(f));
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Opener"));
        QCOMPARE(Element<TKrPhysIdPath>(f, QStringLiteral("Partial PhysId"))->GetReference(), static_cast<QObject *>(p.Find(QStringLiteral("Opener"))));
        QCOMPARE(p->SavePage(), data);
        Click(p.Find(QStringLiteral("Closer")));
        QVERIFY(!Shown(f));
    }

    // ---------------------------------------------------------------- open and close

    void openDuringOpenIsIgnored()
    {
        // While the floor's message is up (in the middle of an open), another
        // opener's click does nothing.
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *outer = p.Open(QStringLiteral("Outer"), TRect(20, 20, 40, 40));
        TKrSymbol *second = p.Open(QStringLiteral("Second"), TRect(50, 20, 70, 40));
        TKrSymbol *inner = p.Open(QStringLiteral("Inner"), TRect(5, 5, 20, 20), f);
        inner->setParent(f);
        inner->show();
        for (TKrSymbol *o : {outer, second, inner})
            SetOpenRef(o, QStringLiteral("Floor"));
        Click(outer);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Outer"));
        const QPoint before = f->pos();
        QString openerDuring;
        DialogAnswerer answers;
        answers.answerDialog(QStringLiteral("self message, with a click on another opener"),
                             [](QWidget *w) {
                                 auto *box = qobject_cast<QMessageBox *>(w);
                                 return box && box->text() == QStringLiteral("Can't open on self or Child of self.");
                             },
                             [&](QWidget *w) {
                                 Click(second);
                                 openerDuring = WorkFloor(f)->GetOpenerName();
                                 static_cast<QMessageBox *>(w)->button(QMessageBox::Ok)->click();
                             });
        Click(inner);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(openerDuring, QStringLiteral("Outer"));
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Outer"));
        QCOMPARE(f->pos(), before);
        QVERIFY(Shown(f));
        // After the open ended, the same click opens.
        Click(second);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Second"));
    }

    void selfOpener_data()
    {
        QTest::addColumn<int>("showMode");
        QTest::addColumn<bool>("message");
        QTest::newRow("with local open") << 0 << true;
        QTest::newRow("on main") << 1 << false;
    }
    void selfOpener()
    {
        QFETCH(int, showMode);
        QFETCH(bool, message);
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *outer = p.Open(QStringLiteral("Outer"), TRect(20, 20, 40, 40));
        TKrSymbol *inner = p.Open(QStringLiteral("Inner"), TRect(5, 5, 20, 20), f);
        SetShowMode(f, showMode);
        SetOpenRef(outer, QStringLiteral("Floor"));
        SetOpenRef(inner, QStringLiteral("Floor"));
        inner->setProperty("PaperLeft", 0.05);
        Click(outer);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Outer"));
        const QPoint before = f->pos();
        DialogAnswerer answers;
        if (message)
            answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Can't open on self or Child of self."));
        Click(inner);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(Shown(f));
        if (message) {
            QCOMPARE(answers.texts(), QStringList{QStringLiteral("Can't open on self or Child of self.")});
            QCOMPARE(answers.records().first().icon, QMessageBox::Information);
            QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Outer"));
            QCOMPARE(f->pos(), before);
        } else {
            QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Inner"));
            QCOMPARE(f->parentWidget(), static_cast<QWidget *>(p.get()));
            QCOMPARE(f->pos(), QPoint(50, 0));
        }
    }

    void positionOutsideOpensAtOrigin_data()
    {
        QTest::addColumn<double>("paperLeft");
        QTest::addColumn<double>("paperTop");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("inside") << 0.1 << 0.1 << QPoint(120, 100);
        QTest::newRow("right of the page") << 1.2 << 0.1 << QPoint(0, 0);
        QTest::newRow("below the page") << 0.1 << 5.0 << QPoint(0, 0);
        QTest::newRow("negative") << -0.5 << 0.1 << QPoint(0, 0);
    }
    void positionOutsideOpensAtOrigin()
    {
        QFETCH(double, paperLeft);
        QFETCH(double, paperTop);
        QFETCH(QPoint, expected);
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        o->setProperty("PaperLeft", paperLeft);
        o->setProperty("PaperTop", paperTop);
        CloseFloor(f);
        Click(o);
        QVERIFY(Shown(f));
        QCOMPARE(f->pos(), expected);
        QCOMPARE(f->size(), QSize(200, 150));
    }

    void closeOfAnAutoShowFloorLeavesItShown()
    {
        const QByteArray data = [] {
            Page d(true);
            TKrSymbol *f = d.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
            TKrSymbol *o = d.Open(QStringLiteral("Window"), TRect(20, 20, 120, 95));
            SetOpenRef(o, QStringLiteral("Floor"));
            SetBool(o, QStringLiteral("Auto show"), true);
            CloseFloor(f);
            return d->SavePage();
        }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *f = p.Find(QStringLiteral("Floor"));
        QVERIFY(Shown(f));
        QCOMPARE(f->pos(), QPoint(20, 20));
        QCOMPARE(f->GrundI()->GetScale(), 0.5);
        WorkFloor(f)->CloseFloor(QStringLiteral("Somebody"));
        QVERIFY(Shown(f));
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Window"));
    }

    void openingAShownFloorHidesItFirst()
    {
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *a = p.Open(QStringLiteral("OpenA"), TRect(20, 20, 40, 40));
        TKrSymbol *b = p.Open(QStringLiteral("OpenB"), TRect(50, 20, 70, 40));
        SetOpenRef(a, QStringLiteral("Floor"));
        SetOpenRef(b, QStringLiteral("Floor"));
        b->setProperty("PaperLeft", 0.2);
        Click(a);
        TKrSymbol *closer = p.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), f);
        QVERIFY(closer->GrundI()->GetVisible());
        Click(b);
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("OpenB"));
        QCOMPARE(f->pos(), QPoint(250, 20));
        QVERIFY(Shown(f));
        QVERIFY(closer->GrundI()->GetVisible());
        QVERIFY(!Supports<IKROpen>(a)->IsShowing());
        QVERIFY(Supports<IKROpen>(b)->IsShowing());
    }

    // ---------------------------------------------------------------- relations

    void renameAndDeletionReachEveryRelation()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        QList<TKrSymbol *> openers;
        for (int i = 0; i < 3; ++i) {
            openers.append(p.Open(QStringLiteral("Open%1").arg(i), TRect(20 + 30 * i, 20, 40 + 30 * i, 40)));
            SetOpenRef(openers.last(), QStringLiteral("Floor"));
        }
        QCOMPARE(RelationList(f).size(), 3);
        f->SetName(QStringLiteral("Tank"));
        for (TKrSymbol *o : openers)
            QCOMPARE(OpenRef(o), QStringLiteral("Tank"));
        QCOMPARE(RelationList(f).size(), 3);
        QVERIFY(p->DeleteSymbol(f));
        for (TKrSymbol *o : openers)
            QCOMPARE(OpenRef(o), QString());
        // The openers are usable afterwards: a click says there is no floor.
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Open ref. not assigned"));
        Click(openers.first());
        KR_VERIFY_DIALOGS(answers);
    }

    void removingTheCurrentRelation_data()
    {
        QTest::addColumn<bool>("current");
        QTest::newRow("current opener") << true;
        QTest::newRow("another relation") << false;
    }
    void removingTheCurrentRelation()
    {
        QFETCH(bool, current);
        const QByteArray data = [] {
            Page d(true);
            TKrSymbol *f = d.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
            TKrSymbol *w = d.Open(QStringLiteral("Window"), TRect(20, 20, 120, 95));
            TKrSymbol *other = d.Open(QStringLiteral("Other"), TRect(200, 20, 220, 40));
            SetOpenRef(other, QStringLiteral("Floor"));
            SetOpenRef(w, QStringLiteral("Floor"));
            SetBool(w, QStringLiteral("Auto show"), true);
            SetBool(w, QStringLiteral("Floor PhysId"), true);
            CloseFloor(f);
            return d->SavePage();
        }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *f = p.Find(QStringLiteral("Floor"));
        TKrSymbol *w = p.Find(QStringLiteral("Window"));
        auto *path = Element<TKrPhysIdPath>(f, QStringLiteral("Partial PhysId"));
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Window"));
        QCOMPARE(f->GrundI()->GetScale(), 0.5);
        QCOMPARE(path->GetReference(), static_cast<QObject *>(w));
        WorkFloor(f)->RemoveRelation(current ? QStringLiteral("Window") : QStringLiteral("Other"));
        if (current) {
            QCOMPARE(f->GrundI()->GetScale(), 1.0);
            QCOMPARE(path->GetReference(), static_cast<QObject *>(nullptr));
            QCOMPARE(RelationList(f), QStringList{QStringLiteral("Other")});
            QCOMPARE(WorkFloor(f)->GetOpenerName(), QString());
            QCOMPARE(KrChildSymbols(p.get()).last(), f);
        } else {
            QCOMPARE(f->GrundI()->GetScale(), 0.5);
            QCOMPARE(path->GetReference(), static_cast<QObject *>(w));
            QCOMPARE(RelationList(f), QStringList{QStringLiteral("Window")});
            // The current relation is still the one that shows the floor.
            QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Window"));
        }
    }

    void addReplaceRelations()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        IKRWorkFloor *wf = WorkFloor(f);
        QCOMPARE(wf->AddRelation(QStringLiteral("A")), 0);
        QCOMPARE(wf->AddRelation(QStringLiteral("B")), 1);
        QCOMPARE(wf->AddRelation(QStringLiteral("A")), 0);
        wf->ReplaceRelation(QStringLiteral("A"), QStringLiteral("C"));
        wf->ReplaceRelation(QStringLiteral("Missing"), QStringLiteral("D"));
        QCOMPARE(RelationList(f), (QStringList{QStringLiteral("C"), QStringLiteral("B")}));
        wf->RemoveRelation(QStringLiteral("Missing"));
        QCOMPARE(wf->GetRelationCount(), 2);
        // Names no symbol has do nothing when they open.
        wf->OpenFloor(QStringLiteral("C"));
        wf->OpenFloor(QStringLiteral("Nobody"));
        QCOMPARE(wf->GetOpenerName(), QString());
    }

    void pasteFixesRelations()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        TKrSymbol *inner = p.Open(QStringLiteral("Inner"), TRect(5, 5, 20, 20), f);
        SetOpenRef(o, QStringLiteral("Floor"));
        TKrSymbol *other = p.Floor(QStringLiteral("Other"), TRect(600, 200, 700, 300));
        SetOpenRef(inner, QStringLiteral("Other"));
        const QByteArray copied = p->CopySymbols({f, o});
        const QList<TKrSymbol *> pasted = p->PasteSymbols(copied);
        QCOMPARE(pasted.size(), 3);
        TKrSymbol *f2 = pasted.at(0);
        TKrSymbol *inner2 = pasted.at(1);
        TKrSymbol *o2 = pasted.at(2);
        QVERIFY(f2->Name() != f->Name() && o2->Name() != o->Name() && inner2->Name() != inner->Name());
        // The copy of the floor belongs to the copy of its opener, the original
        // pair stays as it was.
        QCOMPARE(RelationList(f2), QStringList{o2->Name()});
        QCOMPARE(OpenRef(o2), f2->Name());
        QCOMPARE(RelationList(f), QStringList{QStringLiteral("Opener")});
        QCOMPARE(OpenRef(o), QStringLiteral("Floor"));
        // The pasted opener of another floor joins that floor.
        QCOMPARE(OpenRef(inner2), QStringLiteral("Other"));
        QCOMPARE(RelationList(other), (QStringList{QStringLiteral("Inner"), inner2->Name()}));
    }

    void floorHiddenHandsOverToAnotherAutoShowButton()
    {
        const QByteArray data = [] {
            Page d(true);
            TKrSymbol *p1 = d.Floor(QStringLiteral("Paper1"), TRect(0, 0, 400, 300));
            TKrSymbol *p2 = d.Floor(QStringLiteral("Paper2"), TRect(450, 0, 850, 300));
            TKrSymbol *p2Open = d.Open(QStringLiteral("OpenPaper2"), TRect(900, 10, 920, 30));
            SetOpenRef(p2Open, QStringLiteral("Paper2"));
            p2Open->setProperty("PaperLeft", 0.45);
            TKrSymbol *f = d.Floor(QStringLiteral("Floor"), TRect(100, 400, 300, 550));
            TKrSymbol *a1 = d.Open(QStringLiteral("Auto1"), TRect(10, 10, 110, 85), p1);
            TKrSymbol *a2 = d.Open(QStringLiteral("Auto2"), TRect(10, 10, 110, 85), p2);
            for (TKrSymbol *a : {a1, a2}) {
                SetOpenRef(a, QStringLiteral("Floor"));
                SetBool(a, QStringLiteral("Auto show"), true);
            }
            CloseFloor(f);
            return d->SavePage();
        }();
        Page p(false);
        QVERIFY(p->LoadPage(data));
        TKrSymbol *f = p.Find(QStringLiteral("Floor"));
        TKrSymbol *p1 = p.Find(QStringLiteral("Paper1"));
        TKrSymbol *p2 = p.Find(QStringLiteral("Paper2"));
        QVERIFY(Shown(f));
        // The top-most shown button took the floor.
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Auto2"));
        QCOMPARE(f->parentWidget(), static_cast<QWidget *>(p2));
        // Its paper closes: the floor goes over to the other button.
        WorkFloor(p2)->CloseFloor(QString());
        QVERIFY(!Shown(p2));
        QTRY_COMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Auto1"));
        QCOMPARE(f->parentWidget(), static_cast<QWidget *>(p1));
        QVERIFY(f->GrundI()->GetVisible());
    }

    // ---------------------------------------------------------------- paper changes, mouse, menu

    void paperChangeChecksVisibilityLater()
    {
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *c = p.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), f);
        auto *container = qobject_cast<TKrCustomDrawingControl *>(f);
        QVERIFY(container);
        QTest::qWait(1200); // the page's own notice from opening has run out
        c->GrundI()->SetVisible(false);
        container->PaperChanged();
        QTest::qWait(500);
        container->PaperChanged(); // a second notice puts the check off again
        QTest::qWait(700);
        QVERIFY(!c->GrundI()->GetVisible());
        QTRY_VERIFY_WITH_TIMEOUT(c->GrundI()->GetVisible(), 2000);
        // A floor that is hidden meanwhile hides its children when the check runs.
        f->hide();
        container->PaperChanged();
        QVERIFY(c->GrundI()->GetVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!c->GrundI()->GetVisible(), 2000);
    }

    void runModeDragging_data()
    {
        QTest::addColumn<bool>("movable");
        QTest::addColumn<bool>("design");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("movable") << true << false << QPoint(150, 130);
        QTest::newRow("fixed") << false << false << QPoint(120, 100);
        QTest::newRow("design mode") << true << true << QPoint(120, 100);
    }
    void runModeDragging()
    {
        QFETCH(bool, movable);
        QFETCH(bool, design);
        QFETCH(QPoint, expected);
        Page p(design);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        SetBool(f, QStringLiteral("Movability"), movable);
        o->setProperty("PaperLeft", 0.1);
        o->setProperty("PaperTop", 0.1);
        CloseFloor(f);
        Click(o);
        QCOMPARE(f->pos(), QPoint(120, 100));
        QTest::mousePress(f, Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 50), f->mapToGlobal(QPointF(60, 50)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &move);
        QMouseEvent move2(QEvent::MouseMove, QPointF(70, 60), f->mapToGlobal(QPointF(70, 60)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &move2);
        QTest::mouseRelease(f, Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
        QCOMPARE(f->pos(), expected);
        // The opener learnt the new place: it opens there next time.
        CloseFloor(f);
        Click(o);
        QCOMPARE(f->pos(), expected);
    }

    void copyRefMenu()
    {
        Page design(true);
        TKrSymbol *f = design.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        QCOMPARE(ContextMenu(f), QStringList{QStringLiteral("Copy Ref.")});
        KeloClip.SetClipReferance(new TClipReferance(QStringLiteral("Earlier")));
        MenuAction(f, QStringLiteral("Copy Ref."))->trigger();
        QCOMPARE(KeloClip.GetClipReferance()->Name(), QStringLiteral("Floor"));
        Page run(false);
        TKrSymbol *g = run.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        QVERIFY(ContextMenu(g).isEmpty());
    }

    // ---------------------------------------------------------------- bad input

    void badStreams_data()
    {
        QTest::addColumn<QStringList>("relations");
        QTest::addColumn<QByteArray>("indexBytes");
        QTest::addColumn<bool>("damageElements");
        QTest::newRow("missing symbols") << QStringList{QStringLiteral("Ghost1"), QStringLiteral("Opener"), QStringLiteral("Ghost2")} << Int(2, QByteArray::fromHex("02")) << false;
        QStringList many;
        many.reserve(100000);
        for (int i = 0; i < 100000; ++i)
            many.append(QStringLiteral("Relation%1").arg(i));
        many.append(QStringLiteral("Opener"));
        QTest::newRow("100000 relations") << many << Int(4, QByteArray::fromHex("a0860100")) << false;
        QTest::newRow("1 MB name") << QStringList{QString(1024 * 1024, QLatin1Char('m')), QStringLiteral("Opener")} << Int(2, QByteArray::fromHex("00")) << false;
        QTest::newRow("index out of range") << QStringList{QStringLiteral("Opener")} << Int(3, QByteArray::fromHex("e803")) << false;
        QTest::newRow("negative index") << QStringList{QStringLiteral("Opener")} << Int(2, QByteArray::fromHex("fb")) << false;
        QTest::newRow("damaged element block") << QStringList{QStringLiteral("Opener")} << Int(2, QByteArray::fromHex("00")) << true;
    }
    void badStreams()
    {
        QFETCH(QStringList, relations);
        QFETCH(QByteArray, indexBytes);
        QFETCH(bool, damageElements);
        QByteArray elements = m_elements;
        if (damageElements) {
            // Inside the "Show" element's block (the second): its object data is
            // broken, the block's framing stays intact.
            TKeloStream s(elements);
            s.SkipBlock();
            const qint64 showStart = s.Position();
            for (qint64 i = showStart + 6; i < showStart + 14 && i < elements.size(); ++i)
                elements[i] = char(0xEE);
        }
        const QByteArray data = FloorStream(m_inherited, relations, indexBytes, elements);
        Page p(false);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        QElapsedTimer timer;
        timer.start();
        {
            TSymbolStream in(data);
            f->InitFromStream(in);
            QVERIFY(in.AtEnd());
        }
        // What loaded is written back unchanged.
        QCOMPARE(Design(f), data);
        QCOMPARE(RelationList(f).size(), relations.size());
        f->InitSymbol();
        // Relations whose symbols are missing are dropped; the real one stays,
        // and the floor still opens and closes.
        QCOMPARE(RelationList(f), QStringList{QStringLiteral("Opener")});
        SetOpenRef(o, QStringLiteral("Floor"));
        CloseFloor(f);
        Click(o);
        QVERIFY(Shown(f));
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QStringLiteral("Opener"));
        CloseFloor(f);
        QVERIFY(!Shown(f));
        QVERIFY2(timer.elapsed() < 20000, "bad input took too long");
        if (damageElements) {
            // The damaged element kept its default; once changed, its new data
            // is written in place of the kept block.
            QCOMPARE(WorkFloor(f)->GetShowMode(), 0);
            SetShowMode(f, 1);
            const QByteArray changed = Design(f);
            QVERIFY(Split(changed).elements != elements);
            TKrSymbol *g = FloorLib()->Create(nullptr);
            TSymbolStream in(changed);
            g->InitFromStream(in);
            QCOMPARE(WorkFloor(g)->GetShowMode(), 1);
            QCOMPARE(Design(g), changed);
            delete g;
        }
    }

    void truncatedStreamsNeverCrash()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        SetOpenRef(o, QStringLiteral("Floor"));
        const QByteArray data = Design(f);
        int refused = 0;
        for (int cut = 0; cut < data.size(); cut += 3) {
            TKrSymbol *g = FloorLib()->Create(nullptr);
            TSymbolStream in(data.left(cut));
            try {
                g->InitFromStream(in);
            } catch (const EKrStreamError &) {
                ++refused;
            }
            Design(g); // whatever it kept can be written
            delete g;
        }
        QVERIFY(refused > 0);
    }

    void openingCycleEndsWithTheMessage()
    {
        // FloorA holds the opener of FloorB and FloorB the opener of FloorA.
        Page p(false);
        TKrSymbol *a = p.Floor(QStringLiteral("FloorA"), TRect(100, 100, 400, 300));
        TKrSymbol *b = p.Floor(QStringLiteral("FloorB"), TRect(450, 100, 750, 300));
        TKrSymbol *start = p.Open(QStringLiteral("Start"), TRect(5, 5, 20, 20));
        TKrSymbol *openA = p.Open(QStringLiteral("OpenA"), TRect(10, 10, 25, 25), b);
        TKrSymbol *openB = p.Open(QStringLiteral("OpenB"), TRect(10, 10, 25, 25), a);
        SetOpenRef(start, QStringLiteral("FloorB"));
        SetOpenRef(openA, QStringLiteral("FloorA"));
        SetOpenRef(openB, QStringLiteral("FloorB"));
        CloseFloor(a);
        CloseFloor(b);
        Click(start);
        QVERIFY(Shown(b));
        Click(openA);
        QVERIFY(Shown(a));
        QCOMPARE(a->parentWidget(), static_cast<QWidget *>(b));
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Can't open on self or Child of self."));
        Click(openB);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(Shown(a) && Shown(b));
        QCOMPARE(b->parentWidget(), static_cast<QWidget *>(p.get()));
    }

    void openerDeletedWhileOpen()
    {
        Page p(true);
        TKrSymbol *f = p.Floor(QStringLiteral("Floor"), TRect(300, 200, 500, 350));
        TKrSymbol *o = p.Open(QStringLiteral("Opener"), TRect(20, 20, 40, 40));
        TKrSymbol *c = p.Close(QStringLiteral("Closer"), TRect(5, 5, 20, 20), f);
        SetOpenRef(o, QStringLiteral("Floor"));
        Click(o);
        QVERIFY(Shown(f));
        QVERIFY(p->DeleteSymbol(o));
        QVERIFY(Shown(f));
        QVERIFY(RelationList(f).isEmpty());
        QCOMPARE(WorkFloor(f)->GetOpenerName(), QString());
        // Without relations the close button leaves it; the floor still closes
        // from the designer.
        Click(c);
        QVERIFY(Shown(f));
        CloseFloor(f);
        QVERIFY(!Shown(f));
        const QByteArray saved = p->SavePage();
        Page again(false);
        QVERIFY(again->LoadPage(saved));
        QVERIFY(again->Problems().isEmpty());
    }
};

QTEST_MAIN(TestFloor)
#include "tst_floor.moc"
