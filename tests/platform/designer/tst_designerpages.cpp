// KrDesigner's page files through the real main window: save and reload byte for
// byte, atomic saving and its failure, recent files, symbols of missing
// libraries kept as placeholders and written back unchanged, run-time data kept
// beside the page, and damaged files (truncated, bit flips, unknown libraries,
// 100,000 symbols, nesting 1,000 deep) that load what is sound with one message.

#include "DesignerDriver.h"
#include "DialogAnswerer.h"
#include "KeloProServer.h"
#include "KrDesignerWindow.h"
#include "KrRunTimeFile.h"
#include "KrText.h"
#include "ui_KrDesignerWindow.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

static const QString kSymbolGuid = QStringLiteral("{7F6F463A-068C-4FC7-8C2C-48CFCCA86966}");
static const QString kPanelGuid = QStringLiteral("{65AF74EF-DCC4-4D33-BC01-635FE0F1D667}");
static const QString kUnknownGuid = QStringLiteral("{0BADC0DE-0000-4000-8000-000000000001}");

// Writes page files record by record, as the designer writes them.
struct PageWriter {
    TKeloStream out;
    qint64 block = 0;
    explicit PageWriter(quint32 count)
    {
        out.WriteUInt32(TKrDrawingPage::kPageMagic);
        out.WriteUInt16(TKrDrawingPage::kPageFormatVersion);
        block = out.BeginBlock('S');
        out.WriteUInt32(count);
    }
    static inline QHash<QString, QByteArray> runTimeData; // by library, as its symbols write it
    void Record(const QString &guid, const QString &name, const QString &owner, const QByteArray &design, double left = 0.01, double top = 0.01)
    {
        TKeloBlockWriter rec(out, 'Y');
        out.WriteString(guid);
        out.WriteString(name);
        out.WriteString(owner);
        out.WriteString(owner);
        out.WriteBool(true);
        out.WriteBool(false);
        out.WriteDouble(left);
        out.WriteDouble(top);
        out.WriteDouble(0.05);
        out.WriteDouble(0.04);
        out.WriteDouble(1.0);
        out.WriteBytes(design);
        out.WriteBytes(runTimeData.value(guid));
    }
    QByteArray Finish()
    {
        out.EndBlock(block);
        return out.Data();
    }
};

class TestDesignerPages : public DesignerDriver {
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_symbolDesign; // design data of a test symbol as its library writes it
    QByteArray m_panelDesign;

    KrDesignerWindow *Window()
    {
        m_w.reset();
        m_w = std::make_unique<KrDesignerWindow>();
        m_w->resize(1000, 700);
        m_w->show();
        return m_w.get();
    }

    QString Write(const QString &name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QByteArray DesignOf(TKrSymbol *s)
    {
        TSymbolStream st;
        QStringList files;
        s->SaveToStream(st, files);
        return st.Data();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        kelopro::registerServer();
        KrDesignerWindow::SetSettingsComponentFolder(QStringLiteral(KR_TEST_COMPONENT_DIR));
        KrDesignerWindow *w = Window();
        TKrSymbol *s = w->PlaceSymbol(kSymbolGuid, QPoint(10, 10));
        TKrSymbol *p = w->PlaceSymbol(kPanelGuid, QPoint(300, 300));
        QVERIFY(s && p);
        m_symbolDesign = DesignOf(s);
        m_panelDesign = DesignOf(p);
        for (TKrSymbol *x : {s, p}) {
            TRunTimeStream rt;
            x->SaveRunTimeData(rt);
            PageWriter::runTimeData.insert(x == s ? kSymbolGuid : kPanelGuid, rt.Data());
        }
    }

    void cleanup()
    {
        CloseWindow();
    }

    void saveAndReloadByteForByte()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = w->PlaceSymbol(kSymbolGuid, QPoint(40, 40));
        TKrSymbol *panel = w->PlaceSymbol(kPanelGuid, QPoint(200, 200));
        QVERIFY(a && panel);
        panel->SetBounds(TRect(200, 200, 480, 400));
        TKrSymbol *inner = w->PlaceSymbol(kSymbolGuid, QPoint(240, 240));
        QCOMPARE(inner->Owner(), static_cast<TKrComponent *>(panel));
        a->setProperty("Level", 3.5);
        a->setProperty("Note", QStringLiteral("Pump \u00e9"));
        w->Commit();
        const QString nameOfA = a->Name(); // the symbol itself goes with the page
        const QString path = m_dir.filePath(QStringLiteral("page.krpage"));
        QVERIFY(w->SavePageFile(path));
        QVERIFY(!w->IsModified());
        QVERIFY(!w->isWindowModified());
        const QByteArray saved = Read(path);
        QCOMPARE(saved, w->Page()->SavePage());
        QCOMPARE(w->RecentFiles().value(0), QFileInfo(path).absoluteFilePath());
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".tmp")));

        w->NewPage();
        QCOMPARE(w->Page()->Symbols().size(), 0);
        DialogAnswerer ok;
        QVERIFY(w->LoadPageFile(path));
        QVERIFY(ok.texts.isEmpty());
        QCOMPARE(w->Page()->Symbols().size(), 3);
        QCOMPARE(w->Page()->SavePage(), saved);
        TKrSymbol *back = KrSymbolOf(w->Page()->FindSymbol(nameOfA));
        QVERIFY(back);
        QCOMPARE(back->property("Note").toString(), QStringLiteral("Pump \u00e9"));
        QVERIFY(w->SavePageFile(path));
        QCOMPARE(Read(path), saved);
        // The recent files survive the window.
        Window();
        QCOMPARE(m_w->RecentFiles().value(0), QFileInfo(path).absoluteFilePath());
    }

    void aFailedSaveIsToldAndKeepsTheChanges()
    {
        KrDesignerWindow *w = Window();
        QVERIFY(w->PlaceSymbol(kSymbolGuid, QPoint(40, 40)));
        DialogAnswerer ok;
        QVERIFY(!w->SavePageFile(m_dir.filePath(QStringLiteral("no/such/folder/page.krpage"))));
        QCOMPARE(ok.texts.size(), 1);
        QVERIFY(ok.texts.first().contains(QStringLiteral("cannot be saved")));
        QVERIFY(w->IsModified());
        QVERIFY(w->FileName().isEmpty());
    }

    void placeholdersAreWrittenBackByteForByte()
    {
        PageWriter pw(5);
        pw.Record(kSymbolGuid, QStringLiteral("Real"), QString(), m_symbolDesign);
        pw.Record(kUnknownGuid, QStringLiteral("Ghost"), QString(), QByteArray("opaque design data \x01\x02\x03", 22), 0.3, 0.3);
        pw.Record(kUnknownGuid, QStringLiteral("GhostFloor"), QString(), QByteArray(40, '\x7f'), 0.5, 0.1);
        pw.Record(kSymbolGuid, QStringLiteral("OnGhost"), QStringLiteral("GhostFloor"), m_symbolDesign);
        pw.Record(kSymbolGuid, QStringLiteral("Last"), QString(), m_symbolDesign, 0.2, 0.6);
        const QByteArray file = pw.Finish();
        const QString path = Write(QStringLiteral("ghosts.krpage"), file);
        KrDesignerWindow *w = Window();
        {
            DialogAnswerer ok;
            QVERIFY(w->LoadPageFile(path));
            QCOMPARE(ok.texts.size(), 1); // one message for everything
            QVERIFY(ok.texts.first().contains(kUnknownGuid));
            QVERIFY(ok.texts.first().contains(QStringLiteral("OnGhost")));
        }
        QCOMPARE(w->Page()->Symbols().size(), 2);
        const QList<TKrPlaceholder *> ph = w->Page()->Placeholders();
        QCOMPARE(ph.size(), 2);
        QCOMPARE(ph[0]->Name(), QStringLiteral("Ghost"));
        QCOMPARE(ph[0]->Guid(), kUnknownGuid);
        QVERIFY(ph[0]->isVisible());
        QVERIFY(ph[0]->toolTip().contains(kUnknownGuid));
        QCOMPARE(w->Page()->KeptRecordCount(), 1);
        QVERIFY(!w->IsModified());
        QCOMPARE(w->Page()->SavePage(), file);
        // Editing the rest keeps them.
        TKrSymbol *real = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("Real")));
        w->SetSelection({real});
        w->Form()->actDelete->trigger();
        QVERIFY(w->SavePageFile(path));
        const QByteArray after = Read(path);
        QCOMPARE(RecordCount(after), 4u);
        QVERIFY(after.contains(ph[0]->Record()));
        QVERIFY(after.contains(ph[1]->Record()));
        // Undo brings the symbol back where it was: the file as it came.
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->SavePage(), file);
        // A placeholder can be deleted, and the deletion undone.
        w->SetSelection({w->Page()->Placeholders().first()});
        w->Form()->actDelete->trigger();
        QCOMPARE(w->Page()->Placeholders().size(), 1);
        w->Form()->actUndo->trigger();
        QCOMPARE(w->Page()->Placeholders().size(), 2);
        QCOMPARE(w->Page()->SavePage(), file);
    }

    void runAndDesignSwitchingLeavesThePageAndKeepsRunTimeData()
    {
        KrDesignerWindow *w = Window();
        TKrSymbol *a = w->PlaceSymbol(kSymbolGuid, QPoint(40, 40));
        QVERIFY(a);
        const QString path = m_dir.filePath(QStringLiteral("run.krpage"));
        QVERIFY(w->SavePageFile(path));
        const QByteArray file = Read(path);
        QFile::remove(KrRunTimeFile::FileNameFor(path));
        w->SetRunMode(true);
        a = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        auto *text = qobject_cast<TKrText *>(a->FindElement(QStringLiteral("Text")));
        QVERIFY(text);
        text->SetCaption(QStringLiteral("typed while running"));
        w->SetRunMode(false);
        QCOMPARE(w->Page()->SavePage(), file);
        QVERIFY(!w->IsModified());
        QVERIFY(QFileInfo::exists(KrRunTimeFile::FileNameFor(path)));
        QCOMPARE(KrRunTimeFile::FileNameFor(path), m_dir.filePath(QStringLiteral("run.krrun")));
        // Saving in between does not take the run-time data into the page.
        QVERIFY(w->SavePageFile(path));
        QCOMPARE(Read(path), file);
        w->SetRunMode(true);
        a = KrSymbolOf(w->Page()->FindSymbol(QStringLiteral("KRTestSymbol1")));
        QCOMPARE(qobject_cast<TKrText *>(a->FindElement(QStringLiteral("Text")))->Caption(), QStringLiteral("typed while running"));
        w->SetRunMode(false);
        QCOMPARE(w->Page()->SavePage(), file);
        // A damaged run-time file costs only what it held.
        QByteArray rt = Read(KrRunTimeFile::FileNameFor(path));
        Write(QStringLiteral("run.krrun"), rt.left(rt.size() - 3));
        w->SetRunMode(true);
        w->SetRunMode(false);
        QCOMPARE(w->Page()->SavePage(), file);
    }

    void damagedPages_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("symbols");   // symbols made; -1: any number
        QTest::addColumn<bool>("opens");    // the page opens at all
        QTest::addColumn<bool>("roundTrip"); // saved again, the file is the same

        PageWriter pw(6);
        pw.Record(kSymbolGuid, QStringLiteral("A"), QString(), m_symbolDesign);
        pw.Record(kPanelGuid, QStringLiteral("P"), QString(), m_panelDesign, 0.3, 0.3);
        pw.Record(kSymbolGuid, QStringLiteral("B"), QStringLiteral("P"), m_symbolDesign);
        pw.Record(kSymbolGuid, QStringLiteral("C"), QString(), m_symbolDesign, 0.6, 0.1);
        pw.Record(kSymbolGuid, QStringLiteral("D"), QString(), m_symbolDesign, 0.6, 0.3);
        pw.Record(kSymbolGuid, QStringLiteral("E"), QString(), m_symbolDesign, 0.6, 0.5);
        const QByteArray good = pw.Finish();
        QTest::newRow("sound") << good << 6 << true << true;
        for (int n : {0, 3, 6, 11, 40, int(good.size()) / 3, int(good.size()) / 2, int(good.size()) - 1})
            QTest::addRow("truncated at %d", n) << good.left(n) << -1 << (n > good.size() / 3) << false;
        QRandomGenerator rng(715);
        for (int i = 0; i < 40; ++i) {
            QByteArray bad = good;
            for (int k = 0; k < 1 + i % 4; ++k) {
                const int at = int(rng.bounded(int(bad.size())));
                bad[at] = char(bad[at] ^ (1 << rng.bounded(8)));
            }
            QTest::addRow("bit flips %d", i) << bad << -1 << false << false;
        }
        QByteArray unknown = good;
        unknown.replace(kSymbolGuid.toUtf8(), kUnknownGuid.toUtf8());
        QTest::newRow("unknown library") << unknown << 1 << true << true;

        PageWriter many(100000);
        for (int i = 0; i < 100000; ++i)
            many.Record(kSymbolGuid, QStringLiteral("S%1").arg(i), QString(), m_symbolDesign, (i % 100) * 0.01, (i / 100 % 100) * 0.01);
        QTest::newRow("100,000 symbols") << many.Finish() << TKrDrawingPage::kMaxSymbols << true << true;

        PageWriter deep(1000);
        deep.Record(kPanelGuid, QStringLiteral("N0"), QString(), m_panelDesign);
        for (int i = 1; i < 1000; ++i)
            deep.Record(kPanelGuid, QStringLiteral("N%1").arg(i), QStringLiteral("N%1").arg(i - 1), m_panelDesign, 0.001, 0.001);
        QTest::newRow("nesting 1,000 deep") << deep.Finish() << TKrDrawingPage::kMaxNesting + 1 << true << true;

        QTest::newRow("not a page") << QByteArray("KRPG but not really a page file at all") << 0 << false << false;
        QTest::newRow("empty file") << QByteArray() << 0 << false << false;
    }

    void damagedPages()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, symbols);
        QFETCH(bool, opens);
        QFETCH(bool, roundTrip);
        const QString path = Write(QStringLiteral("damaged.krpage"), data);
        KrDesignerWindow *w = Window();
        DialogAnswerer ok;
        const bool opened = w->LoadPageFile(path);
        QVERIFY(ok.texts.size() <= 1);
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
        if (roundTrip)
            QCOMPARE(saved, data);
        // What loaded is saved and loads again, without a word.
        const int loaded = int(w->Page()->Symbols().size()) + int(w->Page()->Placeholders().size()) + w->Page()->KeptRecordCount();
        QCOMPARE(int(RecordCount(saved)), loaded);
        TKrDrawingPage again(w->Loader());
        QVERIFY(again.LoadPage(saved));
        QCOMPARE(again.Symbols().size(), w->Page()->Symbols().size());
    }
};

QTEST_MAIN(TestDesignerPages)
#include "tst_designerpages.moc"
