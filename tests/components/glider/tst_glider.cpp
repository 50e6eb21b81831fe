// The track bar library, loaded as the host loads it: layout, value to slider
// and back, mouse drags and arrow keys that write to the simulated network
// (checked on its bus trace), the link's events, turning and mirroring, odd
// values through the link and the design data against golden files.

#include "ValueTestNetwork.h"

#include "ChildElements.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"

#include <QImage>
#include <QLocale>
#include <QtTest>

static const QString kGliderGuid = QStringLiteral("{AC44F756-6857-4896-9DD4-00C6F6F4E1AA}");

class TestGlider : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_traceFile;
    TKrHostLoader m_loader;
    TKrComponentLibrary *m_lib = nullptr;

    static TKRScale *ScaleOf(TKrSymbol *s) { return qobject_cast<TKRScale *>(s->FindElement(QStringLiteral("Scale"))); }
    static TKrKeloTimer *LinkOf(TKrSymbol *s) { return qobject_cast<TKrKeloTimer *>(s->FindElement(QStringLiteral("Variable link"))); }
    static QRect Slider(TKrSymbol *s) { return s->property("SliderRect").toRect(); }
    static QRect Track(TKrSymbol *s) { return s->property("TrackRect").toRect(); }
    static int Centre(TKrSymbol *s, bool vertical)
    {
        const QRect r = Slider(s);
        return vertical ? r.top() + r.height() / 2 : r.left() + r.width() / 2;
    }

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

    // A track bar on the page; the link does not poll by itself (the tests
    // read and write explicitly) unless poll is set.
    TKrSymbol *Make(TKrDrawingPage &page, const QString &physId, const QRect &r, double min = 0, double max = 100, int kind = 0,
                    int direction = 0, bool poll = false)
    {
        TKrSymbol *s = page.CreateSymbol(m_lib, QString(), TRect::fromQRect(r));
        if (!s)
            return nullptr;
        TKRScale *scale = ScaleOf(s);
        scale->SetMin(min);
        scale->SetMax(max);
        scale->SetAxisKind(kind);
        scale->SetDirection(direction);
        TKrKeloTimer *link = LinkOf(s);
        link->SetUpdateTime(poll ? 100 : 3600 * 1000);
        link->SetPhysId(physId);
        s->Validate();
        return s;
    }

    void Page(TKrDrawingPage &page, bool design, TKrHostDesigner &designer)
    {
        if (design)
            page.SetDesigner(&designer);
        page.resize(500, 500);
        page.Open();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        valuetest::UseTestNetwork(m_dir, &m_traceFile);
        m_lib = m_loader.Load(QStringLiteral(KR_GLIDER_LIB));
        QVERIFY2(m_lib, m_loader.Problems().isEmpty() ? "" : qPrintable(m_loader.Problems().first().ToString()));
        QCOMPARE(m_lib->Guid(), kGliderGuid);
    }

    void libraryAboutAndElements()
    {
        TKrDrawingPage page(&m_loader);
        TKrSymbol *s = page.CreateSymbol(m_lib, QString(), TRect(0, 0, 60, 200));
        QCOMPARE(s->metaObject()->className(), "TKRGlider");
        QCOMPARE(TKrHostDesigner::ElementTree(s),
                 (QStringList{QStringLiteral("Frame"), QStringLiteral("BackGround"), QStringLiteral("Slider image"), QStringLiteral("Slider frame"),
                              QStringLiteral("Track frame"), QStringLiteral("Track image"), QStringLiteral("Error image"), QStringLiteral("Scale"),
                              QStringLiteral("Variable link")}));
        QImage about(s->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QVERIFY(about.pixelColor(20, 20) != about.pixelColor(2, 2)); // a picture, not a plain face
        QFile version(s->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(version.readAll()).startsWith(QStringLiteral("Glider 1.0.0\nTrack bar")));
        // Published: Mirrored only.
        QVERIFY(s->metaObject()->indexOfProperty("Mirrored") >= 0);
        QVERIFY(!s->property("Mirrored").toBool());
        QVERIFY(!LinkOf(s)->Enabled()); // no PhysId
    }

    void layoutToThePixel_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("L");
        QTest::addColumn<int>("q");
        QTest::addColumn<int>("m");
        // Scale hidden: the band is the frame's inner area (2 pixels of border).
        QTest::newRow("vertical L30 (q 7.5 -> 8, m 1.5 -> 2)") << QSize(64, 200) << 0 << 0 << 30 << 8 << 2;
        QTest::newRow("vertical L26 (q 6.5 -> 6)") << QSize(56, 200) << 0 << 1 << 26 << 6 << 1;
        QTest::newRow("vertical L10 (q 2.5 -> 2, m 0.5 -> 0)") << QSize(24, 200) << 2 << 0 << 10 << 2 << 0;
        QTest::newRow("horizontal L30") << QSize(300, 64) << 3 << 2 << 30 << 8 << 2;
        QTest::newRow("horizontal L21 (odd band)") << QSize(300, 47) << 1 << 3 << 21 << 5 << 1;
    }

    void layoutToThePixel()
    {
        QFETCH(QSize, size);
        QFETCH(int, kind);
        QFETCH(int, direction);
        QFETCH(int, L);
        QFETCH(int, q);
        QFETCH(int, m);
        TKrDrawingPage page(&m_loader);
        page.resize(500, 500);
        TKrSymbol *s = Make(page, QString(), QRect(QPoint(10, 10), size), 0, 1, kind, direction);
        ScaleOf(s)->SetVisible(false);
        const bool vertical = direction <= 1;
        const QRect inner(2, 2, size.width() - 4, size.height() - 4);
        QCOMPARE(s->property("TrackArea").toRect(), inner);
        const QRect track = Track(s);
        const QRect slider = Slider(s);
        const TRect axis = ScaleOf(s)->GetAxisRect();
        if (vertical) {
            QCOMPARE(track.left(), inner.left() + L - q);
            QCOMPARE(track.width(), 2 * q);
            QCOMPARE(track.top(), axis.Top);
            QCOMPARE(track.bottom() + 1, axis.Bottom);
            QCOMPARE(slider.left(), inner.left() + m);
            QCOMPARE(slider.right() + 1, inner.right() + 1 - m);
            QCOMPARE(slider.height(), L);
        } else {
            QCOMPARE(track.top(), inner.top() + L - q);
            QCOMPARE(track.height(), 2 * q);
            QCOMPARE(track.left(), axis.Left);
            QCOMPARE(track.right() + 1, axis.Right);
            QCOMPARE(slider.top(), inner.top() + m);
            QCOMPARE(slider.bottom() + 1, inner.bottom() + 1 - m);
            QCOMPARE(slider.width(), L);
        }
        // The scale is aligned so that the slider's centre reaches both ends
        // of the axis while the slider stays inside the component.
        const TRect outer = ScaleOf(s)->GetOuterRect();
        const int half = (vertical ? slider.height() : slider.width()) / 2;
        const int margin = vertical ? axis.Top - outer.Top : axis.Left - outer.Left;
        if (half >= margin) {
            QCOMPARE(vertical ? axis.Top : axis.Left, half);
            QCOMPARE(vertical ? axis.Bottom : axis.Right, (vertical ? size.height() : size.width()) - half);
        }
        // The slider's centre stays on the track.
        const int c = Centre(s, vertical);
        QVERIFY(c >= (vertical ? track.top() : track.left()));
        QVERIFY(c <= (vertical ? track.bottom() + 1 : track.right() + 1));
        QVERIFY(QRect(QPoint(0, 0), size).contains(slider));
    }

    void visibleScaleLiesBesideTheBand_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("direction");
        QTest::newRow("left edge") << 0 << 0;
        QTest::newRow("right edge") << 2 << 1;
        QTest::newRow("top edge") << 1 << 2;
        QTest::newRow("bottom edge") << 3 << 3;
    }

    void visibleScaleLiesBesideTheBand()
    {
        QFETCH(int, kind);
        QFETCH(int, direction);
        TKrDrawingPage page(&m_loader);
        page.resize(500, 500);
        const bool vertical = kind == 0 || kind == 2;
        TKrSymbol *s = Make(page, QString(), vertical ? QRect(0, 0, 120, 240) : QRect(0, 0, 240, 120), 0, 100, kind, direction);
        const QRect scale = s->property("ScaleRect").toRect();
        const QRect band = s->property("TrackArea").toRect();
        QVERIFY(!scale.isEmpty());
        QVERIFY(!band.isEmpty());
        QVERIFY(!band.intersects(scale));
        switch (kind) {
        case 0: QCOMPARE(band.left(), scale.right() + 1); QCOMPARE(scale.left(), 2); break;
        case 2: QCOMPARE(band.right(), scale.left() - 1); QCOMPARE(scale.right(), 117); break;
        case 1: QCOMPARE(band.top(), scale.bottom() + 1); QCOMPARE(scale.top(), 2); break;
        default: QCOMPARE(band.bottom(), scale.top() - 1); QCOMPARE(scale.bottom(), 117); break;
        }
        // Painting draws what the layout placed.
        page.Open();
        const QImage img = s->grab().toImage();
        QCOMPARE(img.size(), s->size());
    }

    void valueMovesTheSlider_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("end"); // -1 minimum's end, 1 maximum's end, 0 inside
        QTest::newRow("vertical inside") << 0 << 37.5 << 0;
        QTest::newRow("vertical above maximum") << 0 << 250.0 << 1;
        QTest::newRow("vertical below minimum") << 0 << -80.0 << -1;
        QTest::newRow("horizontal inside") << 3 << 62.0 << 0;
        QTest::newRow("horizontal above maximum") << 3 << 1.0e9 << 1;
        QTest::newRow("horizontal below minimum") << 3 << -1.0e9 << -1;
    }

    void valueMovesTheSlider()
    {
        QFETCH(int, kind);
        QFETCH(double, value);
        QFETCH(int, end);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        const bool vertical = kind == 0;
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), vertical ? QRect(10, 10, 80, 300) : QRect(10, 10, 300, 80), 0, 100, kind,
                            vertical ? 0 : 2);
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(link->Enabled());
        link->SetValue(value);
        QCOMPARE(link->GetErrorCode(), 0);
        QVERIFY(link->DoRead());
        QCOMPARE(s->property("LastValue").toDouble(), value);
        const QRect track = Track(s);
        const int c = Centre(s, vertical);
        if (end == 0) {
            QVERIFY(qAbs(c - ScaleOf(s)->ValueToPos(value)) <= 1);
        } else {
            // The slider goes no further than the track's end.
            const int maxEnd = vertical ? track.top() : track.right() + 1;
            const int minEnd = vertical ? track.bottom() + 1 : track.left();
            QVERIFY2(qAbs(c - (end > 0 ? maxEnd : minEnd)) <= 1, qPrintable(QStringLiteral("centre %1").arg(c)));
        }
        QVERIFY(QRect(QPoint(0, 0), s->size()).contains(Slider(s)));
    }

    void keysWriteDoublesClampedToTheScale_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("expected"); // NaN: anything inside the scale
        QTest::newRow("up past the maximum") << 0 << int(Qt::Key_Up) << 40 << 95.0 << 100.0;
        QTest::newRow("down past the minimum") << 0 << int(Qt::Key_Down) << 40 << 5.0 << 0.0;
        // The horizontal bar's slider is 27 long: its centre stops a pixel
        // short of the track's right end, yet the write is the maximum.
        QTest::newRow("right past the maximum") << 3 << int(Qt::Key_Right) << 40 << 95.0 << 100.0;
        QTest::newRow("left past the minimum") << 3 << int(Qt::Key_Left) << 40 << 5.0 << 0.0;
        QTest::newRow("one step up") << 0 << int(Qt::Key_Up) << 1 << 50.0 << qQNaN();
    }

    void keysWriteDoublesClampedToTheScale()
    {
        QFETCH(int, kind);
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(double, start);
        QFETCH(double, expected);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        const bool vertical = kind == 0;
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), vertical ? QRect(10, 10, 80, 300) : QRect(10, 10, 300, 80), 0, 100, kind,
                            vertical ? 0 : 2);
        TKrKeloTimer *link = LinkOf(s);
        link->SetValue(start);
        QVERIFY(link->DoRead());
        const int before = Centre(s, vertical);
        // Any click activates the keys; a right click beside the slider writes nothing.
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        QTest::mouseClick(s, Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(trace.Since().isEmpty());
        for (int i = 0; i < presses; ++i) {
            QTest::keyPress(s, Qt::Key(key));
            QCOMPARE(s->property("DragState").toInt(), 2);
            QVERIFY(trace.Puts(QStringLiteral("value")).isEmpty()); // nothing written while the key is down
        }
        QVERIFY(Centre(s, vertical) != before);
        QTest::keyRelease(s, Qt::Key(key));
        QCOMPARE(s->property("DragState").toInt(), 0);
        // Written once, as a double.
        QCOMPARE(link->GetInValue().typeId(), int(QMetaType::Double));
        const QStringList puts = trace.Puts(QStringLiteral("value"));
        QCOMPARE(puts.size(), 1);
        const double written = link->GetInValue().toDouble();
        QCOMPARE(puts.first(), QString::number(written, 'g', 17));
        if (qIsNaN(expected)) {
            QVERIFY(written > start && written < 100);
        } else {
            QCOMPARE(written, expected);
        }
        QVERIFY(link->DoRead());
        QVERIFY(qAbs(link->GetInValue().toDouble() - written) < 1e-4); // the device keeps single precision
        // Other keys do nothing.
        trace.Mark();
        QTest::keyClick(s, Qt::Key_A);
        QTest::keyClick(s, Qt::Key_Return);
        QVERIFY(trace.Since().isEmpty());
    }

    void onlyTheLeftButtonDragsAndWritesAString_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("design");
        QTest::newRow("left, run mode") << int(Qt::LeftButton) << false;
        QTest::newRow("left, design mode") << int(Qt::LeftButton) << true;
        QTest::newRow("right") << int(Qt::RightButton) << false;
        QTest::newRow("middle") << int(Qt::MiddleButton) << false;
    }

    void onlyTheLeftButtonDragsAndWritesAString()
    {
        QFETCH(int, button);
        QFETCH(bool, design);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, design, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(10, 10, 80, 300));
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(link->DoRead()); // 50
        const QRect slider = Slider(s);
        const QPoint grab = slider.center();
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        const Qt::MouseButton b = Qt::MouseButton(button);
        QTest::mousePress(s, b, {}, grab);
        QTest::mouseMove(s, grab - QPoint(0, 40));
        QTest::mouseMove(s, grab - QPoint(0, 60));
        if (b != Qt::LeftButton) {
            QCOMPARE(Slider(s), slider);
            QTest::mouseRelease(s, b, {}, grab - QPoint(0, 60));
            QVERIFY(trace.Puts(QStringLiteral("value")).isEmpty());
            // The keys were activated all the same.
            QTest::keyPress(s, Qt::Key_Up);
            QVERIFY(Slider(s) != slider);
            return;
        }
        QCOMPARE(s->property("DragState").toInt(), 1);
        QCOMPARE(Slider(s).top(), slider.top() - 60);
        // While dragging, values read do not move the slider.
        const QRect dragged = Slider(s);
        link->SetValue(5.0);
        QVERIFY(link->DoRead());
        QCOMPARE(s->property("LastValue").toDouble(), 5.0);
        QCOMPARE(Slider(s), dragged);
        trace.Mark();
        QTest::mouseRelease(s, b, {}, grab - QPoint(0, 60));
        QCOMPARE(s->property("DragState").toInt(), 0);
        // One write, as the value's decimal text.
        QCOMPARE(link->GetInValue().typeId(), int(QMetaType::QString));
        const QString text = link->GetInValue().toString();
        const double expected = ScaleOf(s)->PosToValue(Centre(s, true));
        QLocale locale = QLocale::system();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        QCOMPARE(text, locale.toString(expected, 'g', 15));
        QCOMPARE(s->property("LastValue").toString(), text);
        const QStringList puts = trace.Puts(QStringLiteral("value"));
        QCOMPARE(puts.size(), 1);
        QCOMPARE(puts.first().toDouble(), locale.toDouble(text));
        QVERIFY(link->GetValue().toDouble() > 50);
    }

    void handPointerOverTheSlider()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QString(), QRect(10, 10, 80, 300));
        const QRect slider = Slider(s);
        s->MouseMove({}, slider.center().x(), slider.center().y());
        QCOMPARE(s->CursorCode(), int(crHandPoint));
        s->MouseMove({}, slider.center().x(), slider.bottom() + 5);
        QCOMPARE(s->CursorCode(), int(crDefault));
        s->MouseMove({}, slider.left(), slider.top());
        QCOMPARE(s->CursorCode(), int(crHandPoint));
    }

    void dragLeavingTheClientAreaStopsFollowing()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(10, 10, 80, 300));
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(link->DoRead());
        const QRect slider = Slider(s);
        const QPoint grab = slider.center();
        const int grabY = grab.y() - slider.top();
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        QTest::mousePress(s, Qt::LeftButton, {}, grab);
        QTest::mouseMove(s, QPoint(grab.x(), grabY + 5)); // corner at y 5: inside
        const QRect atTop = Slider(s);
        QTest::mouseMove(s, QPoint(grab.x(), grabY - 30)); // corner above the client area
        QCOMPARE(Slider(s), atTop);
        QTest::mouseMove(s, QPoint(-200, -400)); // far outside
        QCOMPARE(Slider(s), atTop);
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(-200, -400));
        // The release still writes the value where the slider is.
        const QStringList puts = trace.Puts(QStringLiteral("value"));
        QCOMPARE(puts.size(), 1);
        const double there = ScaleOf(s)->PosToValue(Centre(s, true));
        QCOMPARE(puts.first().toDouble(), QLocale::system().toDouble(QLocale::system().toString(there, 'g', 15)));
        QVERIFY(there > 90); // the slider stopped at the track's upper end
    }

    void noPhysIdNoTraffic()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        TKrSymbol *s = Make(page, QString(), QRect(10, 10, 80, 300));
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(!link->Enabled());
        const QRect slider = Slider(s);
        QTest::mousePress(s, Qt::LeftButton, {}, slider.center());
        QTest::mouseMove(s, slider.center() + QPoint(0, 50));
        QTest::mouseRelease(s, Qt::LeftButton, {}, slider.center() + QPoint(0, 50));
        QVERIFY(Slider(s) != slider); // the slider moves ...
        QTest::keyClick(s, Qt::Key_Up);
        QTest::keyClick(s, Qt::Key_Down);
        s->ValidateDim();
        IKrRotatable *r = Supports<IKrRotatable>(s);
        r->Rotate_Mirror(rfMirrorHorizontal, page.mapToGlobal(QPoint(50, 160)));
        QTest::qWait(50);
        QVERIFY(trace.Since().isEmpty()); // ... but nothing reaches the network
        QVERIFY(!link->Enabled());
        QVERIFY(!s->property("ErrorShown").toBool());
    }

    void linkEventsShowAndClearTheError()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(10, 10, 80, 300));
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(link->DoRead());
        const QRect at50 = Slider(s);
        QVERIFY(!s->property("ErrorShown").toBool());
        const QImage clean = s->grab().toImage();
        // No contact: shown, not fatal.
        link->SetPhysId(QStringLiteral("DEAD.Level"));
        QVERIFY(!link->DoRead());
        QVERIFY(s->property("ErrorShown").toBool());
        QCOMPARE(s->property("ErrorCode").toInt(), 1024);
        QVERIFY(RedPixels(s->grab().toImage()) > RedPixels(clean) + 100); // the error image covers the component
        // A PhysId change without error clears it; the next value moves the slider.
        link->SetPhysId(QStringLiteral("GL1.Low"));
        QVERIFY(!s->property("ErrorShown").toBool() || link->GetErrorCode() != 0);
        QVERIFY(link->DoRead());
        QVERIFY(!s->property("ErrorShown").toBool());
        QVERIFY(Slider(s).top() > at50.top()); // -20 lies at the bottom end
        // A device fault is fatal: shown, and the value does not move the slider.
        link->SetPhysId(QStringLiteral("FLT.Level"));
        QVERIFY(!link->DoRead());
        QVERIFY(s->property("ErrorShown").toBool());
        QCOMPARE(s->property("ErrorCode").toInt(), 256);
        // Emptying the PhysId disables the link.
        link->SetPhysId(QString());
        QVERIFY(!link->Enabled());
        link->SetPhysId(QStringLiteral("GL1.Level"));
        QVERIFY(link->Enabled());
    }

    void pollingFollowsTheNetwork()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(10, 10, 80, 300), 0, 100, 0, 0, true);
        QTRY_COMPARE_WITH_TIMEOUT(s->property("LastValue").toDouble(), 50.25, 3000);
        const QRect at50 = Slider(s);
        // Written by the link itself: each link's server object simulates a network of its own.
        LinkOf(s)->SetValue(90.0);
        QTRY_COMPARE_WITH_TIMEOUT(s->property("LastValue").toDouble(), 90.0, 3000);
        QVERIFY(Slider(s).top() < at50.top());
    }

    void mirroringTwiceGivesTheFirstLayout_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<int>("kind");
        QTest::newRow("left to right, scale at the left") << int(rfMirrorHorizontal) << 0;
        QTest::newRow("top to bottom, scale at the bottom") << int(rfMirrorVertical) << 3;
        QTest::newRow("left to right, scale at the top") << int(rfMirrorHorizontal) << 1;
    }

    void mirroringTwiceGivesTheFirstLayout()
    {
        QFETCH(int, function);
        QFETCH(int, kind);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, true, designer);
        const bool vertical = kind == 0 || kind == 2;
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), vertical ? QRect(100, 50, 80, 300) : QRect(50, 100, 300, 80), 0, 100, kind,
                            vertical ? 0 : 2);
        QVERIFY(LinkOf(s)->DoRead());
        IKrRotatable *r = Supports<IKrRotatable>(s);
        QVERIFY(r && r->CanRotate());
        const QRect bounds = s->geometry(), slider = Slider(s), track = Track(s), scale = s->property("ScaleRect").toRect();
        const int rotation = r->GetRotation();
        const QPoint centre = page.mapToGlobal(s->geometry().center());
        valuetest::Trace trace(m_traceFile);
        trace.Mark();
        r->Rotate_Mirror(function, centre);
        QVERIFY(r->GetMirrored());
        QVERIFY(designer.IsModified());
        QVERIFY(s->property("Mirrored").toBool());
        // Each mirror reads the value again (last value was dropped).
        QVERIFY(trace.Since().contains(QStringLiteral("get value 50.25")));
        r->Rotate_Mirror(function, centre);
        QVERIFY(!r->GetMirrored());
        QCOMPARE(r->GetRotation(), rotation);
        QCOMPARE(s->geometry(), bounds);
        QCOMPARE(Slider(s), slider);
        QCOMPARE(Track(s), track);
        QCOMPARE(s->property("ScaleRect").toRect(), scale);
    }

    void rotationTurnsAndLeavesMirrored()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, true, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(100, 100, 80, 300));
        IKrRotatable *r = Supports<IKrRotatable>(s);
        r->Rotate_Mirror(rfMirrorHorizontal, page.mapToGlobal(QPoint(140, 250)));
        QVERIFY(r->GetMirrored());
        const QPoint centre = page.mapToGlobal(QPoint(140, 250));
        QCOMPARE(r->GetRotation(), 0);
        r->Rotate_Mirror(rfRotateRight, centre);
        QCOMPARE(r->GetRotation(), 90);
        QCOMPARE(s->size(), QSize(300, 80));
        QVERIFY(r->GetMirrored());
        QCOMPARE(ScaleOf(s)->GetAxisKind() % 2, 1); // the scale lies along a horizontal edge now
        QVERIFY(Slider(s).height() > Slider(s).width());
        for (int i = 0; i < 3; ++i)
            r->Rotate_Mirror(rfRotateRight, centre);
        QCOMPARE(r->GetRotation(), 0);
        QCOMPARE(s->geometry(), QRect(100, 100, 80, 300));
        QVERIFY(r->GetMirrored());
        r->Rotate_Mirror(rfRotateLeft, centre);
        QCOMPARE(r->GetRotation(), 270);
        r->Rotate_Mirror(99, centre); // unknown function: nothing turns
        QCOMPARE(r->GetRotation(), 270);
    }

    void oddScales_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::newRow("minimum equals maximum") << 40.0 << 40.0;
        QTest::newRow("minimum above maximum") << 100.0 << 0.0;
        QTest::newRow("tiny span") << 0.0 << 1e-300;
        QTest::newRow("huge span") << -1e300 << 1e300;
    }

    void oddScales()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QStringLiteral("GL1.Level"), QRect(10, 10, 80, 300), min, max);
        TKrKeloTimer *link = LinkOf(s);
        QVERIFY(link->DoRead());
        QTest::mouseClick(s, Qt::RightButton, {}, QPoint(2, 2));
        const QRect before = Slider(s);
        QTest::keyPress(s, Qt::Key_Up);
        QVERIFY(Slider(s) != before || before.top() <= Track(s).top()); // a step of at least a pixel
        QTest::keyRelease(s, Qt::Key_Up);
        const double up = link->GetInValue().toDouble();
        QVERIFY(std::isfinite(up));
        QVERIFY(up >= qMin(min, max) && up <= qMax(min, max));
        QTest::keyClick(s, Qt::Key_Down);
        const double down = link->GetInValue().toDouble();
        QVERIFY(down >= qMin(min, max) && down <= qMax(min, max));
        if (min == max) {
            QCOMPARE(up, min);
            QCOMPARE(down, min);
        }
        const QRect slider = Slider(s);
        QTest::mousePress(s, Qt::LeftButton, {}, slider.center());
        QTest::mouseMove(s, slider.center() + QPoint(0, 30));
        QTest::mouseRelease(s, Qt::LeftButton, {}, slider.center() + QPoint(0, 30));
        bool ok = false;
        const double dragged = QLocale::system().toDouble(link->GetInValue().toString(), &ok);
        QVERIFY(ok);
        QVERIFY(dragged >= qMin(min, max) && dragged <= qMax(min, max));
    }

    void oddValuesThroughTheLink_data() { valuetest::OddValues(); }

    void oddValuesThroughTheLink()
    {
        QFETCH(QVariant, value);
        valuetest::OddValueServer::Register();
        auto restore = qScopeGuard([] { kelopro::registerServer(); });
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        Page(page, false, designer);
        TKrSymbol *s = Make(page, QStringLiteral("ANY.Value"), QRect(10, 10, 80, 300));
        TKrKeloTimer *link = LinkOf(s);
        valuetest::OddValueServer::Value() = 10.0;
        QVERIFY(link->DoRead());
        const QRect at10 = Slider(s);
        valuetest::OddValueServer::Value() = value;
        link->DoRead();
        const QRect now = Slider(s);
        QVERIFY(QRect(QPoint(0, 0), s->size()).contains(now));
        bool isNumber = false;
        const double d = value.toDouble(&isNumber);
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QVariantList || !value.isValid()
            || (value.typeId() == QMetaType::QString && !isNumber) || (isNumber && std::isnan(d)))
            QCOMPARE(now, at10); // no number: the slider stays
        (void)s->grab();
        // Keys and drags still write numbers.
        QTest::mouseClick(s, Qt::RightButton, {}, QPoint(2, 2));
        QTest::keyClick(s, Qt::Key_Up);
        QVERIFY(std::isfinite(link->GetInValue().toDouble()));
    }

    void designDataMatchesTheGoldenFile()
    {
        TKrDrawingPage page(&m_loader);
        page.resize(500, 500);
        TKrSymbol *s = Make(page, QStringLiteral("FT101.SetPoint"), QRect(10, 10, 80, 300), -50, 250, 2, 1);
        ScaleOf(s)->SetTicks(6);
        ScaleOf(s)->SetDecimals(1);
        qobject_cast<TKRFrame *>(s->FindElement(QStringLiteral("Slider frame")))->SetStyle(TKRFrame::fsEtched);
        qobject_cast<TKRImage *>(s->FindElement(QStringLiteral("Track image")))->SetColor(0x00336699);
        LinkOf(s)->SetUpdateTime(750);
        s->setProperty("Mirrored", true);
        TSymbolStream out;
        QStringList files;
        s->SaveToStream(out, files);
        const QString golden = QStringLiteral(KR_GLIDER_GOLDEN_DIR "/glider.design");
        QVERIFY2(valuetest::MatchesGolden(golden, out.Data()), "design data differs from the golden file");

        // Loaded into a new track bar and saved again: the same bytes.
        TKrSymbol *t = page.CreateSymbol(m_lib, QString(), TRect(0, 0, 40, 40));
        TSymbolStream in(valuetest::ReadFile(golden));
        t->InitFromStream(in);
        t->InitSymbol();
        QVERIFY(in.AtEnd());
        TSymbolStream again;
        t->SaveToStream(again, files);
        QCOMPARE(again.Data(), out.Data());
        QVERIFY(t->property("Mirrored").toBool());
        QCOMPARE(ScaleOf(t)->GetMin(), -50.0);
        QCOMPARE(ScaleOf(t)->GetAxisKind(), 2);
        QCOMPARE(LinkOf(t)->PhysIdText(), QStringLiteral("FT101.SetPoint"));
        QCOMPARE(LinkOf(t)->GetUpdateTime(), 750);

        // And through a page file.
        const QByteArray pageData = page.SavePage();
        TKrDrawingPage other(&m_loader);
        QVERIFY(other.LoadPage(pageData));
        QVERIFY(other.Problems().isEmpty());
        QCOMPARE(other.SavePage(), pageData);

        // Cut or damaged data never crashes.
        const QByteArray good = out.Data();
        for (int n = 0; n < good.size(); n += 3) {
            TKrSymbol *u = m_lib->Create(nullptr);
            TSymbolStream cut(good.left(n));
            try {
                u->InitFromStream(cut);
            } catch (const EKrStreamError &) {
            }
            u->InitSymbol();
            delete u;
        }
        for (int i = 0; i < good.size(); i += 2) {
            QByteArray bad = good;
            bad[i] = char(bad[i] ^ 0x5A);
            TKrSymbol *u = m_lib->Create(nullptr);
            TSymbolStream in2(bad);
            try {
                u->InitFromStream(in2);
            } catch (const EKrStreamError &) {
            }
            u->InitSymbol();
            u->resize(70, 200);
            (void)u->grab();
            delete u;
        }
    }
};

QTEST_MAIN(TestGlider)
#include "tst_glider.moc"
