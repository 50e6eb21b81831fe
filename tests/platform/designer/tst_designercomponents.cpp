// KrDesigner's main window with the seven real component libraries of
// bin/components (beside the test program, as beside the designer): the undo
// of each kind of change for each component, paste with renaming, symbols of a
// missing library kept as placeholders and written back byte for byte, run and
// design switching that leaves the page unchanged, libraries the loader refuses
// listed greyed with the reason, and damaged page files made from the sample
// page that load what is sound with one message.

#include "KrComponentIds.h"
#include "DesignerDriver.h"
#include "DialogAnswerer.h"
#include "KeloProServer.h"
#include "KrDesignOverlay.h"
#include "KrDesignerWindow.h"
#include "Krpropertypage.h"
#include "Namechanged.h"
#include "ui_KrDesignerWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

using namespace krcomponentids;
const QString kUnknown = QStringLiteral("{0BADC0DE-0000-4000-8000-000000000002}");

struct Component {
    const char *name;
    QString guid;
    bool rotatable;
    // An element of the symbol and one of its properties, edited in the
    // element's page in the side panel, and the value typed.
    const char *element;
    const char *property;
    QVariant value;
};

const QList<Component> &Components()
{
    static const QList<Component> list{
        {"Floor", kFloor, false, "Show", "Value", 1},
        {"Open", kOpen, true, "Auto show", "Value", true},
        {"Close", kClose, true, "Image", "Stretch", 3},
        {"Bistate", kBistate, true, "Text", "Caption", QStringLiteral("Off")},
        {"Glider", kGlider, true, "Scale", "Max", 250.0},
        {"TextView", kTextView, false, "Variable link", "PhysId", QStringLiteral("FT101.Flow")},
        {"Launcher", kLauncher, true, "Execute params", "Value", QStringLiteral("FT102")},
    };
    return list;
}

// Types a value into the property page's editor as a user would.
bool TypeInto(QWidget *editor, const QVariant &value)
{
    if (auto *e = qobject_cast<QLineEdit *>(editor)) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, value.toString());
        QTest::keyClick(e, Qt::Key_Return);
        return true;
    }
    if (auto *s = qobject_cast<QDoubleSpinBox *>(editor)) {
        s->setValue(value.toDouble());
        return true;
    }
    if (auto *s = qobject_cast<QSpinBox *>(editor)) {
        s->setValue(value.toInt());
        return true;
    }
    if (auto *c = qobject_cast<QCheckBox *>(editor)) {
        if (c->isChecked() != value.toBool())
            c->click();
        return true;
    }
    if (auto *c = qobject_cast<QComboBox *>(editor)) {
        c->setCurrentIndex(value.toInt());
        return true;
    }
    return false;
}

} // namespace

class TestDesignerComponents : public DesignerDriver {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString &name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        kelopro::registerServer();
        // The settings' folder holds only libraries the loader refuses.
        const QString refused = m_dir.filePath(QStringLiteral("refused"));
        QVERIFY(QDir().mkpath(refused));
        const QString real = QCoreApplication::applicationDirPath() + QStringLiteral("/components/") + TKrHostLoader::LibraryFileName(kGlider);
        const QByteArray library = Read(real);
        QVERIFY2(library.size() > 4096, qPrintable(real));
        QFile cut(refused + QLatin1Char('/') + TKrHostLoader::LibraryFileName(QStringLiteral("{11111111-2222-4333-8444-555555555555}")));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(library.left(library.size() / 3)); // a library cut short
        cut.close();
        QFile text(refused + QLatin1Char('/') + TKrHostLoader::LibraryFileName(QStringLiteral("{11111111-2222-4333-8444-666666666666}")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is no library\n");
        text.close();
        KrDesignerWindow::SetSettingsComponentFolder(refused);
    }

    void cleanup()
    {
        CloseWindow();
    }

    void paletteListsTheSevenAndGreysTheRefused()
    {
        KrDesignerWindow *w = Window();
        for (const Component &c : Components()) {
            const KrPaletteEntry *e = w->Palette().Entry(c.guid);
            QVERIFY2(e && !e->refused, c.name);
            QCOMPARE(e->name, QString::fromLatin1(c.name));
            QCOMPARE(e->version, QStringLiteral("1.0.0"));
            QCOMPARE(e->picture.size(), QSize(32, 32));
            QListWidgetItem *item = PaletteItem(w, c.guid);
            QVERIFY(item && (item->flags() & Qt::ItemIsEnabled));
            QVERIFY(item->text().startsWith(QStringLiteral("%1 1.0.0").arg(QLatin1String(c.name))));
        }
        QListWidget *list = w->Form()->lstPalette;
        QStringList greyed;
        for (int i = 0; i < list->count(); ++i)
            if (!(list->item(i)->flags() & Qt::ItemIsEnabled))
                greyed.append(list->item(i)->text());
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all.append(list->item(i)->text());
        QVERIFY2(greyed.size() == 2, qPrintable(all.join(QLatin1Char('|'))));
        for (const QString &t : greyed) {
            QVERIFY2(t.contains(QStringLiteral("refused: ")), qPrintable(t));
            // The loader's reason follows, not an empty one.
            QVERIFY2(t.section(QStringLiteral("refused: "), 1).trimmed().size() > 5, qPrintable(t));
        }
        // The library cut short is refused before it is mapped (the system
        // loader would map it and the first call into it would end the program).
        QVERIFY(greyed.filter(QStringLiteral("555555555555")).value(0).contains(QStringLiteral("the file is cut short")));
        // A greyed entry arms nothing.
        for (int i = 0; i < list->count(); ++i)
            if (!(list->item(i)->flags() & Qt::ItemIsEnabled))
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(i)).center());
        QVERIFY(w->ArmedComponent().isEmpty());
    }

    void undoOfEachKindOfChange_data()
    {
        QTest::addColumn<int>("component");
        QTest::addColumn<QString>("kind");
        for (int c = 0; c < Components().size(); ++c) {
            QStringList kinds{QStringLiteral("place"), QStringLiteral("move"), QStringLiteral("resize"), QStringLiteral("delete"),
                              QStringLiteral("paste"), QStringLiteral("front"), QStringLiteral("back"), QStringLiteral("property")};
            if (Components()[c].rotatable)
                kinds << QStringLiteral("rotate") << QStringLiteral("mirror");
            if (Components()[c].guid == kBistate)
                kinds << QStringLiteral("componentStep");
            for (const QString &k : kinds)
                QTest::addRow("%s %s", Components()[c].name, qPrintable(k)) << c << k;
        }
    }

    void undoOfEachKindOfChange()
    {
        QFETCH(int, component);
        QFETCH(QString, kind);
        const Component &c = Components()[component];
        KrDesignerWindow *w = Window();
        TKrSymbol *a = PlaceByClicks(w, c.guid, QPoint(40, 40));
        QVERIFY(a);
        a->SetBounds(TRect(40, 40, 120, 96));
        TKrSymbol *b = PlaceByClicks(w, c.guid, QPoint(400, 300));
        QVERIFY(b);
        w->Commit();
        const QByteArray before = w->Page()->SavePage();
        const int steps = w->History().UndoCount();
        w->SetSelection({a});
        if (kind == QLatin1String("place")) {
            QVERIFY(PlaceByClicks(w, c.guid, QPoint(640, 480)));
        } else if (kind == QLatin1String("move")) {
            Drag(w->Overlay(), QPoint(60, 60), QPoint(160, 140));
            QCOMPARE(a->pos(), QPoint(144, 120)); // moved by 100, 80 to 140, 120: on the grid
        } else if (kind == QLatin1String("resize")) {
            const QRect r = a->geometry();
            Drag(w->Overlay(), r.bottomRight(), r.bottomRight() + QPoint(40, 24));
            QVERIFY2(a->size() != r.size(), qPrintable(QStringLiteral("%1x%2").arg(a->width()).arg(a->height())));
        } else if (kind == QLatin1String("delete")) {
            const QString name = a->Name();
            w->Form()->actDelete->trigger();
            QVERIFY(!w->Page()->FindSymbol(name));
        } else if (kind == QLatin1String("paste")) {
            w->Form()->actCopy->trigger();
            w->Form()->actPaste->trigger();
            QCOMPARE(w->Page()->Symbols().size(), 3);
        } else if (kind == QLatin1String("front")) {
            w->Form()->actBringToFront->trigger();
            QCOMPARE(w->Page()->Components().last(), static_cast<TKrComponent *>(a));
        } else if (kind == QLatin1String("back")) {
            w->SetSelection({b});
            w->Form()->actSendToBack->trigger();
            QCOMPARE(w->Page()->Components().first(), static_cast<TKrComponent *>(b));
        } else if (kind == QLatin1String("rotate")) {
            QVERIFY(w->Form()->actRotateRight->isEnabled());
            w->Form()->actRotateRight->trigger();
        } else if (kind == QLatin1String("mirror")) {
            QVERIFY(w->Form()->actMirrorHorizontal->isEnabled());
            w->Form()->actMirrorHorizontal->trigger();
        } else if (kind == QLatin1String("property")) {
            // The element in the element tree, its page in the side panel.
            const QList<QTreeWidgetItem *> items = w->Form()->trvElements->findItems(QString::fromLatin1(c.element), Qt::MatchExactly | Qt::MatchRecursive);
            QVERIFY2(!items.isEmpty(), c.element);
            w->Form()->trvElements->setCurrentItem(items.first());
            auto *page = w->Form()->pnElementDetails->findChild<TKrPropertyPage *>();
            QVERIFY(page);
            QWidget *editor = page->Editor(c.property);
            QVERIFY2(editor, c.property);
            QVERIFY2(TypeInto(editor, c.value), editor->metaObject()->className());
        } else if (kind == QLatin1String("componentStep")) {
            // The two-state symbol's own page records its step (AddUndo).
            auto *box = w->Form()->pnDetails->findChild<QCheckBox *>(QStringLiteral("EnableVariableLink"));
            QVERIFY(box);
            box->click();
            QVERIFY(a->FindElement(QStringLiteral("Variable link")));
        }
        QTRY_COMPARE(w->History().UndoCount(), steps + 1);
        const QByteArray after = w->Page()->SavePage();
        QVERIFY(after != before);
        QVERIFY(w->IsModified());
        QVERIFY(w->Form()->actUndo->isEnabled());
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), before);
        w->Form()->actRedo->trigger();
        QCOMPARE(w->Page()->SavePage(), after);
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), before);
    }

    void liveValuesInDesignModeAreNoChange()
    {
        // A value text shows its variable's value in design mode too; the
        // value it keeps is no edit of the user: no undo step, no question.
        const QString path = m_dir.filePath(QStringLiteral("live.krpage"));
        KrDesignerWindow *w = Window();
        TKrSymbol *text = PlaceByClicks(w, kTextView, QPoint(40, 40));
        QVERIFY(text);
        const QList<QTreeWidgetItem *> items = w->Form()->trvElements->findItems(QStringLiteral("Variable link"), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        w->Form()->trvElements->setCurrentItem(items.first());
        auto *page = w->Form()->pnElementDetails->findChild<TKrPropertyPage *>();
        QVERIFY(page && TypeInto(page->Editor("PhysId"), QStringLiteral("FT101.Flow")));
        QVERIFY(w->SavePageFile(path));
        const int steps = w->History().UndoCount();
        const QByteArray first = w->Page()->SavePage();
        // The link polls every 500 ms; FT101's flow moves all the time.
        QTRY_VERIFY_WITH_TIMEOUT(w->Page()->SavePage() != first, 3000);
        QTest::qWait(900); // the side panel's edit watch has looked
        QCOMPARE(w->SelectedSymbol(), text);
        QCOMPARE(w->History().UndoCount(), steps);
        QVERIFY(!w->IsModified());
        QVERIFY(!w->isWindowModified());
        DialogAnswerer none(QMessageBox::Cancel);
        QVERIFY(w->close());
        QVERIFY(none.texts.isEmpty());
        m_w.reset();
    }

    void contextMenusHoldTheComponentsAndTheDesignersItems_data()
    {
        QTest::addColumn<int>("component");
        QTest::addColumn<QString>("own"); // the component's own item
        for (int c = 0; c < Components().size(); ++c) {
            const QString guid = Components()[c].guid;
            QTest::addRow("%s", Components()[c].name) << c << (guid == kFloor ? QStringLiteral("Copy Ref.") : guid == kOpen ? QStringLiteral("Paste Ref.") : QString());
        }
    }

    void contextMenusHoldTheComponentsAndTheDesignersItems()
    {
        QFETCH(int, component);
        QFETCH(QString, own);
        KrDesignerWindow *w = Window();
        TKrSymbol *s = PlaceByClicks(w, Components()[component].guid, QPoint(100, 100));
        QVERIFY(s);
        s->SetBounds(TRect(100, 100, 200, 180));
        for (int round = 0; round < 2; ++round) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(120, 120), w->Overlay()->mapToGlobal(QPoint(120, 120)));
            QApplication::sendEvent(w->Overlay(), &e);
            QMenu *menu = nullptr;
            QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
            QStringList texts;
            for (QAction *a : menu->actions())
                texts.append(a->text());
            if (!own.isEmpty())
                QVERIFY2(texts.contains(own), qPrintable(texts.join(QLatin1Char('|'))));
            // The designer's commands, once each.
            QCOMPARE(menu->actions().count(w->Form()->actDelete), 1);
            QCOMPARE(menu->actions().count(w->Form()->actCopy), 1);
            QCOMPARE(menu->actions().contains(w->Form()->actRotateRight), Components()[component].rotatable);
            menu->close();
        }
    }

    void pasteRenamesFloorsAndTheirOpeners()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *floor = PlaceByClicks(w, kFloor, QPoint(300, 100));
        QVERIFY(floor);
        floor->SetBounds(TRect(300, 100, 600, 300));
        TKrSymbol *close = PlaceByClicks(w, kClose, QPoint(320, 120));
        QVERIFY(close);
        QCOMPARE(close->Owner(), static_cast<TKrComponent *>(floor));
        TKrSymbol *open = PlaceByClicks(w, kOpen, QPoint(40, 40));
        QVERIFY(open);
        open->FindElement(QStringLiteral("Open ref."))->setProperty("Value", floor->Name());
        w->Commit();
        const QString floorName = floor->Name();
        const QString openName = open->Name();
        // The floor and its opener copied together: the copies are renamed and
        // the copied opener opens the copied floor.
        w->SetSelection({floor, open});
        w->Form()->actCopy->trigger();
        const int before = int(w->Page()->Symbols().size());
        const QList<TKrSymbol *> pasted = w->Paste();
        QCOMPARE(pasted.size(), 3);
        QCOMPARE(int(w->Page()->Symbols().size()), before + 3);
        QStringList renamed = w->LastRenames();
        renamed.sort();
        QCOMPARE(renamed.size(), 3);
        for (TKrSymbol *s : pasted) {
            QVERIFY(s->Name() != FindNameChangedOld(s->Name()));
            QVERIFY(renamed.contains(QStringLiteral("%1 -> %2").arg(FindNameChangedOld(s->Name()), s->Name())));
        }
        TKrSymbol *newOpen = KrSymbolOf(w->Page()->FindSymbol(FindNameChangedNew(openName)));
        QVERIFY(newOpen && newOpen != open);
        QCOMPARE(newOpen->FindElement(QStringLiteral("Open ref."))->property("Value").toString(), FindNameChangedNew(floorName));
        QCOMPARE(open->FindElement(QStringLiteral("Open ref."))->property("Value").toString(), floorName);
        // Undone, the page is as it was.
        w->Form()->actUndo->trigger();
        QCOMPARE(int(w->Page()->Symbols().size()), before);
    }

    void placeholdersRoundTripByteForByte()
    {
        // A page of the real libraries, saved; then one library goes missing.
        KrDesignerWindow *w = Window();
        TKrSymbol *floor = PlaceByClicks(w, kFloor, QPoint(300, 100));
        QVERIFY(floor);
        floor->SetBounds(TRect(300, 100, 600, 300));
        QVERIFY(PlaceByClicks(w, kTextView, QPoint(320, 120))); // on the floor
        QVERIFY(PlaceByClicks(w, kGlider, QPoint(40, 400)));
        QVERIFY(PlaceByClicks(w, kLauncher, QPoint(40, 40)));
        const QString path = m_dir.filePath(QStringLiteral("missing.krpage"));
        QVERIFY(w->SavePageFile(path));
        QByteArray file = Read(path);
        file.replace(kFloor.toUtf8(), kUnknown.toUtf8());
        file.replace(kGlider.toUtf8(), QByteArray(kUnknown.toUtf8()).replace("0002", "0003"));
        Write(QStringLiteral("missing.krpage"), file);
        w = Window();
        {
            DialogAnswerer ok;
            QVERIFY(w->LoadPageFile(path));
            QCOMPARE(ok.texts.size(), 1); // one message for everything
            QVERIFY(ok.texts.first().contains(kUnknown));
        }
        QCOMPARE(w->Page()->Symbols().size(), 1); // the launcher
        QCOMPARE(w->Page()->Placeholders().size(), 2);
        QCOMPARE(w->Page()->KeptRecordCount(), 1); // the text on the missing floor
        QVERIFY(!w->IsModified());
        QCOMPARE(w->Page()->SavePage(), file);
        // Moving the launcher keeps the placeholders' records as they were.
        TKrSymbol *launcher = w->Page()->Symbols().first();
        w->SetSelection({launcher});
        Drag(w->Overlay(), launcher->geometry().center(), launcher->geometry().center() + QPoint(80, 80));
        QVERIFY(w->IsModified());
        QVERIFY(w->SavePageFile(path));
        const QByteArray after = Read(path);
        QCOMPARE(RecordCount(after), 4u);
        for (TKrPlaceholder *p : w->Page()->Placeholders())
            QVERIFY(after.contains(p->Record()));
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), file);
    }

    void runAndDesignSwitchingLeavesThePage()
    {
        const QString sample = m_dir.filePath(QStringLiteral("plant.krpage"));
        QFile::remove(sample);
        QVERIFY(QFile::copy(QStringLiteral(KR_SAMPLE_PAGE), sample));
        QFile::setPermissions(sample, QFile::ReadOwner | QFile::WriteOwner);
        KrDesignerWindow *w = Window();
        QVERIFY(w->LoadPageFile(sample));
        const QByteArray file = Read(sample);
        QCOMPARE(w->Page()->SavePage(), file);
        for (int round = 0; round < 2; ++round) {
            w->Form()->actRunMode->trigger();
            QVERIFY(w->IsRunMode());
            QVERIFY(!w->Form()->actUndo->isEnabled());
            QVERIFY(!w->Overlay()->isVisible());
            // Running: the floors that nothing opened are hidden, the values poll.
            QVERIFY(!w->Page()->FindSymbol(QStringLiteral("FloorFT103"))->property("visible").toBool());
            QTest::qWait(300);
            // Saving while running writes the page as designed.
            QVERIFY(w->SavePageFile(sample));
            QCOMPARE(Read(sample), file);
            w->Form()->actRunMode->trigger();
            QVERIFY(!w->IsRunMode());
            QCOMPARE(w->Page()->SavePage(), file);
            QVERIFY(!w->IsModified());
            QVERIFY(w->Page()->FindSymbol(QStringLiteral("FloorFT103"))->property("visible").toBool());
        }
    }

    void damagedPages_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("symbols"); // symbols made; -1: any number
        QTest::addColumn<bool>("opens");  // the page opens at all

        const QByteArray good = Read(QStringLiteral(KR_SAMPLE_PAGE));
        QVERIFY(good.size() > 1000);
        QTest::newRow("sound") << good << 39 << true;
        for (int n : {6, 11, 100, int(good.size()) / 4, int(good.size()) / 2, int(good.size()) - 1})
            QTest::addRow("truncated at %d", n) << good.left(n) << -1 << (n > 100);
        QRandomGenerator rng(1715);
        for (int i = 0; i < 24; ++i) {
            QByteArray bad = good;
            for (int k = 0; k < 1 + i % 5; ++k) {
                const int at = int(rng.bounded(int(bad.size())));
                bad[at] = char(bad[at] ^ (1 << rng.bounded(8)));
            }
            QTest::addRow("bit flips %d", i) << bad << -1 << false;
        }
        QByteArray unknown = good;
        unknown.replace(kFloor.toUtf8(), kUnknown.toUtf8());
        QTest::newRow("unknown library") << unknown << 39 - 3 * 9 << true; // the floors and what lies on them

        // Records of the real libraries, as the designer writes them.
        KrDesignerWindow *w = Window();
        TKrSymbol *close = w->PlaceSymbol(kClose, QPoint(10, 10));
        TKrSymbol *floor = w->PlaceSymbol(kFloor, QPoint(300, 300));
        QVERIFY(close && floor);
        auto design = [](TKrSymbol *s) {
            TSymbolStream st;
            QStringList files;
            s->SaveToStream(st, files);
            return st.Data();
        };
        const QByteArray closeDesign = design(close);
        const QByteArray floorDesign = design(floor);
        auto page = [](int count, const std::function<void(TKeloStream &, int)> &record) {
            TKeloStream out;
            out.WriteUInt32(TKrDrawingPage::kPageMagic);
            out.WriteUInt16(TKrDrawingPage::kPageFormatVersion);
            const qint64 block = out.BeginBlock('S');
            out.WriteUInt32(quint32(count));
            for (int i = 0; i < count; ++i)
                record(out, i);
            out.EndBlock(block);
            return out.Data();
        };
        auto writeRecord = [](TKeloStream &out, const QString &guid, const QString &name, const QString &owner, const QByteArray &data, double left, double top,
                              bool shown = true) {
            TKeloBlockWriter rec(out, 'Y');
            out.WriteString(guid);
            out.WriteString(name);
            out.WriteString(owner);
            out.WriteString(owner);
            out.WriteBool(shown);
            out.WriteBool(false);
            out.WriteDouble(left);
            out.WriteDouble(top);
            out.WriteDouble(0.02);
            out.WriteDouble(0.02);
            out.WriteDouble(1.0);
            out.WriteBytes(data);
            out.WriteBytes(QByteArray());
        };
        QTest::newRow("100,000 symbols") << page(100000, [&](TKeloStream &out, int i) {
            // Most of them hidden: 20,000 shown widgets on one spot would make
            // this a test of the window system's painting.
            writeRecord(out, kClose, QStringLiteral("C%1").arg(i), QString(), closeDesign, (i % 100) * 0.01, (i / 100 % 100) * 0.01, i % 100 == 0);
        }) << TKrDrawingPage::kMaxSymbols << true;
        QTest::newRow("nesting 1,000 deep") << page(1000, [&](TKeloStream &out, int i) {
            writeRecord(out, kFloor, QStringLiteral("N%1").arg(i), i ? QStringLiteral("N%1").arg(i - 1) : QString(), floorDesign, 0.001, 0.001);
        }) << TKrDrawingPage::kMaxNesting + 1 << true;
        m_w.reset();
    }

    void damagedPages()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, symbols);
        QFETCH(bool, opens);
        const QString path = Write(QStringLiteral("damaged.krpage"), data);
        KrDesignerWindow *w = Window();
        DialogAnswerer ok;
        const bool opened = w->LoadPageFile(path);
        QVERIFY2(ok.texts.size() <= 1, qPrintable(ok.texts.join(QStringLiteral("\n----\n"))));
        if (opens)
            QVERIFY(opened);
        if (!opened) {
            QCOMPARE(ok.texts.size(), 1);
            QVERIFY(w->FileName().isEmpty());
            return;
        }
        if (symbols >= 0)
            QCOMPARE(int(w->Page()->Symbols().size()), symbols);
        const QByteArray saved = w->Page()->SavePage();
        // What loaded is saved (nothing that loaded is lost) and loads again;
        // a page loaded with no message is written back as it came.
        const int loaded = int(w->Page()->Symbols().size()) + int(w->Page()->Placeholders().size()) + w->Page()->KeptRecordCount();
        QCOMPARE(int(RecordCount(saved)), loaded);
        if (ok.texts.isEmpty() && symbols >= 0)
            QCOMPARE(saved, data);
        // Running the damaged page and returning changes nothing of it.
        if (w->Page()->Symbols().size() > 1000)
            return; // loading it again costs seconds, and the switch is tested above
        // (The page as designed: value texts in design mode show the values
        // their links read, which is no change of the page.)
        const QByteArray designed = w->History().Current();
        w->SetRunMode(true);
        QTest::qWait(50);
        w->SetRunMode(false);
        QCOMPARE(w->Page()->SavePage(), designed);
        QVERIFY(!w->IsModified());
    }
};

QTEST_MAIN(TestDesignerComponents)
#include "tst_designercomponents.moc"
