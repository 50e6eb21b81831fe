// The value text library, loaded as the host loads it: its three display modes,
// the double-click edit in run and design mode, edited values written to the
// simulated network and read back (checked on its bus trace), rejected writes,
// run-time data, odd values through the link and the design data against a
// golden file.

#include "ValueTestNetwork.h"

#include "ChildElements.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"

#include <QImage>
#include <QLineEdit>
#include <QtTest>

static const QString kTextViewGuid = QStringLiteral("{E52256BB-8049-4B94-87CB-31B92E3AB9DE}");

class TestTextView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_traceFile;
    TKrHostLoader m_loader;
    TKrComponentLibrary *m_lib = nullptr;

    static TKrKeloTimer *LinkOf(TKrSymbol *s) { return qobject_cast<TKrKeloTimer *>(s->FindElement(QStringLiteral("Variable link"))); }
    static TKrText *TextOf(TKrSymbol *s) { return qobject_cast<TKrText *>(s->FindElement(QStringLiteral("Text format"))); }
    static TKrFormat *FormatOf(TKrSymbol *s) { return qobject_cast<TKrFormat *>(s->FindElement(QStringLiteral("Display format"))); }
    static TKRFrame *FrameOf(TKrSymbol *s) { return qobject_cast<TKRFrame *>(s->FindElement(QStringLiteral("Frame"))); }

    static int RedPixels(const QImage &img)
    {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                n += c.red() > 180 && c.green() < 90 && c.blue() < 90;
            }
        return n;
    }

    // The caption as drawn: painting sets it for the display mode.
    static QString Shown(TKrSymbol *s)
    {
        (void)s->grab();
        return TextOf(s)->Caption();
    }

    // Press, release, double click, release: what a real double click sends.
    static void DoubleClick(QWidget *w, Qt::KeyboardModifiers mods = {})
    {
        const QPoint p(w->width() / 2, w->height() / 2);
        QTest::mousePress(w, Qt::LeftButton, mods, p);
        QTest::mouseRelease(w, Qt::LeftButton, mods, p);
        QTest::mouseDClick(w, Qt::LeftButton, mods, p);
        QTest::mouseRelease(w, Qt::LeftButton, mods, p);
    }

    TKrSymbol *Make(TKrDrawingPage &page, const QString &physId, const QString &name = QString())
    {
        TKrSymbol *s = page.CreateSymbol(m_lib, name, TRect(10, 10, 120, 40));
        if (!s)
            return nullptr;
        LinkOf(s)->SetUpdateTime(3600 * 1000);
        LinkOf(s)->SetPhysId(physId);
        return s;
    }

    // Types text into the open edit box and takes it with Return.
    static void Type(TKrSymbol *s, const QString &text)
    {
        QLineEdit *edit = TextOf(s)->Editor();
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!TextOf(s)->IsEditing());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        valuetest::UseTestNetwork(m_dir, &m_traceFile);
        m_lib = m_loader.Load(QStringLiteral(KR_TEXTVIEW_LIB));
        QVERIFY2(m_lib, m_loader.Problems().isEmpty() ? "" : qPrintable(m_loader.Problems().first().ToString()));
        QCOMPARE(m_lib->Guid(), kTextViewGuid);
    }

    void constructedFiftyByTwentyFive()
    {
        // The size is set before the elements exist.
        TKrSymbol *s = m_lib->Create(nullptr);
        QVERIFY(s);
        QCOMPARE(s->metaObject()->className(), "TKRValueText");
        QCOMPARE(s->size(), QSize(50, 25));
        QCOMPARE(FrameOf(s)->GetBounds(), TRect(0, 0, 50, 25));
        QCOMPARE(TextOf(s)->GetBounds(), FrameOf(s)->GetClipRect());
        QCOMPARE(s->property("LastValue"), QVariant(0));
        QVERIFY(!s->property("ErrorShown").toBool());
        QCOMPARE(TKrHostDesigner::ElementTree(s),
                 (QStringList{QStringLiteral("Frame"), QStringLiteral("BackGround"), QStringLiteral("Display format"), QStringLiteral("Text format"),
                              QStringLiteral("Error image"), QStringLiteral("Variable link")}));
        QVERIFY(TextOf(s)->EditEnable());
        QVERIFY(TextOf(s)->GetWordWrap());
        QImage about(s->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QFile version(s->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(version.readAll()).startsWith(QStringLiteral("TextView 1.0.0\nValue text")));
        // Resized later, the frame and the text follow.
        s->SetBounds(0, 0, 80, 30);
        QCOMPARE(TextOf(s)->GetBounds(), FrameOf(s)->GetClipRect());
        QCOMPARE(FrameOf(s)->GetBounds(), TRect(0, 0, 80, 30));
        delete s;
    }

    void newComponentShowsItsName()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = m_lib->Create(&page);
        s->setParent(&page);
        s->SetName(QStringLiteral("Tank7"));
        s->InitSymbol();
        s->show();
        QCOMPARE(s->size(), QSize(50, 25));
        QCOMPARE(s->property("DisplayMode").toInt(), 0);
        QCOMPARE(Shown(s), QStringLiteral("Tank7"));
        // A label that still shows the name follows a rename; a typed one stays.
        s->SetName(QStringLiteral("Tank8"));
        QCOMPARE(Shown(s), QStringLiteral("Tank8"));
        TextOf(s)->SetCaption(QStringLiteral("Inlet"));
        s->SetName(QStringLiteral("Tank9"));
        QCOMPARE(Shown(s), QStringLiteral("Inlet"));
        // Drawn: frame, background and the text.
        const QImage img = s->grab().toImage();
        QCOMPARE(img.size(), QSize(50, 25));
        QCOMPARE(RedPixels(img), 0);
    }

    void displayModes_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<bool>("format");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("shown");
        QTest::newRow("static text") << QString() << false << 0 << QStringLiteral("Label");
        QTest::newRow("plain value") << QStringLiteral("GL1.Level") << false << 1 << QStringLiteral("50.25");
        QTest::newRow("plain integer") << QStringLiteral("GL1.Count") << false << 1 << QStringLiteral("5");
        QTest::newRow("formatted value") << QStringLiteral("GL1.Level") << true << 2 << QStringLiteral("L=50.3 m");
        QTest::newRow("formatted without link") << QString() << true << 2 << QStringLiteral("L=0.0 m");
    }

    void displayModes()
    {
        QFETCH(QString, physId);
        QFETCH(bool, format);
        QFETCH(int, mode);
        QFETCH(QString, shown);
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, physId, QStringLiteral("Label"));
        TKrFormat *f = FormatOf(s);
        f->SetKind(TKrFormat::fkFixed);
        f->SetDecimals(1);
        f->SetPrefix(QStringLiteral("L="));
        f->SetSuffix(QStringLiteral(" m"));
        f->SetEnable(format);
        QCOMPARE(TextOf(s)->ShowCaptionField(), !format);
        if (!physId.isEmpty())
            QVERIFY(LinkOf(s)->DoRead());
        QCOMPARE(s->property("DisplayMode").toInt(), mode);
        QCOMPARE(Shown(s), shown);
    }

    void doubleClickRules_data()
    {
        QTest::addColumn<bool>("design");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<bool>("editEnabled");
        QTest::addColumn<bool>("opens");
        QTest::newRow("run, single click") << false << false << false << true << false;
        QTest::newRow("run, double click") << false << false << true << true << true;
        QTest::newRow("run, double click with Ctrl") << false << true << true << true << true;
        QTest::newRow("design, double click") << true << false << true << true << false;
        QTest::newRow("design, double click with Ctrl") << true << true << true << true << true;
        QTest::newRow("design, single click with Ctrl") << true << true << false << true << false;
        QTest::newRow("run, editing off") << false << false << true << false << false;
        QTest::newRow("design, Ctrl, editing off") << true << true << true << false << false;
    }

    void doubleClickRules()
    {
        QFETCH(bool, design);
        QFETCH(bool, ctrl);
        QFETCH(bool, doubleClick);
        QFETCH(bool, editEnabled);
        QFETCH(bool, opens);
        for (const bool linked : {false, true}) {
            TKrDrawingPage page(&m_loader);
            TKrHostDesigner designer;
            if (design)
                page.SetDesigner(&designer);
            page.resize(300, 200);
            page.Open();
            TKrSymbol *s = Make(page, linked ? QStringLiteral("GL1.Level") : QString());
            TextOf(s)->SetEditEnable(editEnabled);
            const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
            if (doubleClick) {
                DoubleClick(s, mods);
            } else {
                QTest::mouseClick(s, Qt::LeftButton, mods, QPoint(5, 5));
                QTest::mouseClick(s, Qt::LeftButton, mods, QPoint(5, 5));
            }
            QCOMPARE(TextOf(s)->IsEditing(), opens);
            if (opens) {
                // Static text edits the label itself; a linked field edits the value.
                QCOMPARE(TextOf(s)->Editor()->text(), linked ? QStringLiteral("0") : s->Name());
                QTest::keyClick(TextOf(s)->Editor(), Qt::Key_Escape);
                QVERIFY(!TextOf(s)->IsEditing());
            }
        }
    }

    void staticTextEditKeepsTheTypedLabel()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, QString());
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        DoubleClick(s);
        Type(s, QStringLiteral("Pump room"));
        QCOMPARE(Shown(s), QStringLiteral("Pump room"));
        QVERIFY(trace.Since().isEmpty());
    }

    void editStartsWithTheFormatsConversion()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"));
        TKrFormat *f = FormatOf(s);
        f->SetKind(TKrFormat::fkFixed);
        f->SetDecimals(3);
        f->SetPrefix(QStringLiteral(">"));
        QVERIFY(!f->GetEnable());
        QVERIFY(LinkOf(s)->DoRead());
        QCOMPARE(Shown(s), QStringLiteral("50.25")); // unformatted on screen
        DoubleClick(s);
        QVERIFY(TextOf(s)->IsEditing());
        QCOMPARE(TextOf(s)->Editor()->text(), QStringLiteral("50.250")); // the format's conversion, no prefix
    }

    void editedValueIsWrittenAndReadBack_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("put");
        QTest::addColumn<QVariant>("readBack");
        QTest::newRow("real") << QStringLiteral("GL1.Level") << QStringLiteral("33.5") << QStringLiteral("33.5") << QVariant(33.5);
        QTest::newRow("integer") << QStringLiteral("GL1.Count") << QStringLiteral("17") << QStringLiteral("17") << QVariant(17);
        QTest::newRow("real to an integer variable") << QStringLiteral("GL1.Count") << QStringLiteral("6.6") << QStringLiteral("6.5999999999999996")
                                                     << QVariant(7);
        QTest::newRow("blanks around") << QStringLiteral("GL1.Level") << QStringLiteral("  -4  ") << QStringLiteral("-4") << QVariant(-4.0);
    }

    void editedValueIsWrittenAndReadBack()
    {
        QFETCH(QString, physId);
        QFETCH(QString, typed);
        QFETCH(QString, put);
        QFETCH(QVariant, readBack);
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, physId);
        QVERIFY(LinkOf(s)->DoRead());
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        DoubleClick(s);
        Type(s, typed);
        QCOMPARE(trace.Puts(QStringLiteral("value")), QStringList{put});
        const QStringList lines = trace.Since();
        const int putAt = lines.indexOf(QStringLiteral("put value ") + put);
        const int getAt = lines.lastIndexOf(QRegularExpression(QStringLiteral("get value .*")));
        QVERIFY2(putAt >= 0 && getAt > putAt, qPrintable(lines.join(QLatin1Char('|')))); // read back after the write
        QVERIFY(!s->property("ErrorShown").toBool());
        QCOMPARE(s->property("LastValue").toDouble(), readBack.toDouble());
        QCOMPARE(Shown(s), TKRValueTextPlain(readBack));
    }

    static QString TKRValueTextPlain(const QVariant &v)
    {
        return v.typeId() == QMetaType::Double ? QLocale::system().toString(v.toDouble(), 'g', 15) : v.toString();
    }

    void noPhysIdChangesNothing()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, QStringLiteral("DEAD.Level"));
        QVERIFY(!LinkOf(s)->DoRead());
        QVERIFY(s->property("ErrorShown").toBool());
        FormatOf(s)->SetEnable(true);
        LinkOf(s)->SetPhysId(QString()); // the link still reports its last error
        QVERIFY(!LinkOf(s)->Enabled());
        QVERIFY(s->property("ErrorShown").toBool());
        const QVariant before = s->property("LastValue");
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        DoubleClick(s);
        QVERIFY(TextOf(s)->IsEditing());
        Type(s, QStringLiteral("77"));
        QVERIFY(trace.Since().isEmpty());
        QCOMPARE(s->property("LastValue"), before);
        QVERIFY(s->property("ErrorShown").toBool()); // nothing cleared either
    }

    void rejectedWriteKeepsTheOldValueUnderTheErrorImage_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("code");
        QTest::newRow("read-only variable") << QStringLiteral("GL1.DeviceType") << QStringLiteral("5") << 4100;
        QTest::newRow("no number") << QStringLiteral("GL1.Level") << QStringLiteral("full") << int(TKrKelo::ecBadValue);
        QTest::newRow("empty") << QStringLiteral("GL1.Level") << QString() << int(TKrKelo::ecBadValue);
        QTest::newRow("huge") << QStringLiteral("GL1.Count") << QStringLiteral("1e300") << 4103;
    }

    void rejectedWriteKeepsTheOldValueUnderTheErrorImage()
    {
        QFETCH(QString, physId);
        QFETCH(QString, typed);
        QFETCH(int, code);
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, physId);
        QVERIFY(LinkOf(s)->DoRead());
        const QVariant old = s->property("LastValue");
        const QString shown = Shown(s);
        const int redBefore = RedPixels(s->grab().toImage());
        DoubleClick(s);
        Type(s, typed);
        QCOMPARE(LinkOf(s)->GetErrorCode(), code);
        QVERIFY(s->property("ErrorShown").toBool());
        QCOMPARE(s->property("LastValue"), old);
        QCOMPARE(Shown(s), shown);
        const QImage img = s->grab().toImage();
        QVERIFY(RedPixels(img) > redBefore + 50);
        // Only the frame's inner area is covered.
        QCOMPARE(img.pixelColor(0, 0), s->grab().toImage().pixelColor(0, 0));
        const TRect clip = FrameOf(s)->GetClipRect();
        for (int x = 0; x < clip.Left; ++x)
            QVERIFY(img.pixelColor(x, img.height() / 2).green() > 90 || img.pixelColor(x, img.height() / 2).red() < 180);
        // The next good read clears it.
        QVERIFY(LinkOf(s)->DoRead());
        QVERIFY(!s->property("ErrorShown").toBool());
    }

    void runTimeData_data()
    {
        QTest::addColumn<bool>("editEnabled");
        QTest::newRow("editing on") << true;
        QTest::newRow("editing off") << false;
    }

    void runTimeData()
    {
        QFETCH(bool, editEnabled);
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = Make(page, QString(), QStringLiteral("Note"));
        TextOf(s)->SetEditEnable(editEnabled);
        TextOf(s)->SetCaption(QStringLiteral("typed \u00e4t run time"));
        TRunTimeStream out;
        s->SaveRunTimeData(out);
        if (editEnabled) {
            TRunTimeStream expected;
            expected.WriteString(QStringLiteral("typed \u00e4t run time"));
            QCOMPARE(out.Data(), expected.Data());
        } else {
            QVERIFY(out.Data().isEmpty());
        }
        // Loading reads its string only while editing is on.
        TKrSymbol *t = Make(page, QString(), QStringLiteral("Other"));
        TextOf(t)->SetEditEnable(editEnabled);
        TRunTimeStream other;
        other.WriteString(QStringLiteral("restored"));
        other.WriteString(QStringLiteral("next symbol's"));
        TRunTimeStream in(other.Data());
        t->LoadRunTimeData(in);
        QCOMPARE(Shown(t), editEnabled ? QStringLiteral("restored") : QStringLiteral("Other"));
        QCOMPARE(in.ReadString(), editEnabled ? QStringLiteral("next symbol's") : QStringLiteral("restored"));
        // Through a page file.
        const QByteArray saved = page.SavePage();
        TKrDrawingPage again(&m_loader);
        again.resize(300, 200);
        again.Open();
        QVERIFY(again.LoadPage(saved));
        QVERIFY(again.Problems().isEmpty());
        TKrSymbol *n = KrSymbolOf(again.FindSymbol(QStringLiteral("Note")));
        QVERIFY(n);
        QCOMPARE(Shown(n), QStringLiteral("typed \u00e4t run time"));
        QCOMPARE(again.SavePage(), saved);
        // Cut run-time data is reported, not fatal.
        TRunTimeStream cut(out.Data().left(out.Data().size() / 2));
        if (editEnabled)
            QVERIFY_THROWS_EXCEPTION(EKrStreamError, t->LoadRunTimeData(cut));
    }

    void pollingShowsEveryValue()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        page.Open();
        TKrSymbol *s = page.CreateSymbol(m_lib, QString(), TRect(10, 10, 120, 40));
        LinkOf(s)->SetUpdateTime(50);
        LinkOf(s)->SetPhysId(QStringLiteral("GL1.Level"));
        QVERIFY(LinkOf(s)->Enabled());
        QTRY_COMPARE_WITH_TIMEOUT(Shown(s), QStringLiteral("50.25"), 3000);
        LinkOf(s)->SetValue(12);
        QTRY_COMPARE_WITH_TIMEOUT(Shown(s), QStringLiteral("12"), 3000);
        // Hidden: the link stops.
        page.Close();
        QVERIFY(!LinkOf(s)->Enabled());
        page.Open();
        QVERIFY(LinkOf(s)->Enabled());
    }

    void oddValuesThroughTheLink_data() { valuetest::OddValues(); }

    void oddValuesThroughTheLink()
    {
        QFETCH(QVariant, value);
        valuetest::OddValueServer::Register();
        auto restore = qScopeGuard([] { kelopro::registerServer(); });
        for (const bool formatted : {false, true}) {
            TKrDrawingPage page(&m_loader);
            page.resize(300, 200);
            page.Open();
            TKrSymbol *s = Make(page, QStringLiteral("ANY.Value"));
            FormatOf(s)->SetEnable(formatted);
            valuetest::OddValueServer::Value() = value;
            QVERIFY(LinkOf(s)->DoRead());
            const QString shown = Shown(s);
            QVERIFY(shown.size() <= 1024);
            if (value.typeId() == QMetaType::QString && value.toString().size() < 1024)
                QCOMPARE(shown, value.toString());
            DoubleClick(s);
            QVERIFY(TextOf(s)->IsEditing());
            QTest::keyClick(TextOf(s)->Editor(), Qt::Key_Return);
            QVERIFY(!TextOf(s)->IsEditing());
        }
    }

    void designDataMatchesTheGoldenFile()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(300, 200);
        TKrSymbol *s = Make(page, QStringLiteral("FT101.Flow"), QStringLiteral("Flow"));
        TKrFormat *f = FormatOf(s);
        f->SetEnable(true);
        f->SetKind(TKrFormat::fkFixed);
        f->SetDecimals(2);
        f->SetPrefix(QStringLiteral("Q = "));
        f->SetSuffix(QStringLiteral(" m\u00b3/h"));
        TextOf(s)->SetAlignment(TKrText::taRight);
        TextOf(s)->SetFontText(QStringLiteral("Sans Serif,10,-1,5,700,0,0,0,0,0,0,0,0,0,0,1"));
        FrameOf(s)->SetStyle(TKRFrame::fsSingle);
        LinkOf(s)->SetUpdateTime(250);
        TSymbolStream out;
        QStringList files;
        s->SaveToStream(out, files);
        const QString golden = QStringLiteral(KR_TEXTVIEW_GOLDEN_DIR "/textview.design");
        QVERIFY2(valuetest::MatchesGolden(golden, out.Data()), "design data differs from the golden file");

        TKrSymbol *t = page.CreateSymbol(m_lib, QString(), TRect(0, 0, 50, 25));
        TSymbolStream in(valuetest::ReadFile(golden));
        t->InitFromStream(in);
        t->InitSymbol();
        QVERIFY(in.AtEnd());
        TSymbolStream again;
        t->SaveToStream(again, files);
        QCOMPARE(again.Data(), out.Data());
        QCOMPARE(FormatOf(t)->Suffix(), QStringLiteral(" m\u00b3/h"));
        QVERIFY(!TextOf(t)->ShowCaptionField());
        QCOMPARE(LinkOf(t)->PhysIdText(), QStringLiteral("FT101.Flow"));

        const QByteArray good = out.Data();
        for (int i = 0; i < good.size(); i += 2) {
            QByteArray bad = good;
            bad[i] = char(bad[i] ^ 0x5A);
            TKrSymbol *u = m_lib->Create(nullptr);
            TSymbolStream in2(i % 4 ? bad : good.left(i));
            try {
                u->InitFromStream(in2);
            } catch (const EKrStreamError &) {
            }
            u->InitSymbol();
            (void)u->grab();
            delete u;
        }
    }
};

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
