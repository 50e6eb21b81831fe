// The two-state library as the designer host uses it: loaded from the product's
// component folder through the host loader, its symbols placed on a drawing
// page in design mode (with a designer) and in run mode, reading and writing
// values of the simulated "KELO.PRO" network through their variable link, and
// opening and closing a work floor through the floor interfaces.

#include "ChildElements.h"
#include "Divunit.h"
#include "KeloProServer.h"
#include "Keloclip.h"
#include "KrDrawingPage.h"
#include "KrHostLoader.h"
#include "Namechanged.h"
#include "OpenFloorInterface.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

static const QString kBistateGuid = QStringLiteral("{F14DA0D5-97BD-4ADD-9E96-D251F74613F7}");

// The network the tests read: one switch device with on/off variables, a
// device that does not answer and one with a fault.
static const char *kNetwork = R"({ "devices": [
  { "physId": "SW1", "deviceType": 702,
    "variables": { ".Run": 1, ".Stop": 0, ".Bits": 5, ".Level": 12.5, ".Out": 0, ".Cmd": 0, ".Mask": 6, ".High": 25 } },
  { "physId": "SW9", "deviceType": 702, "answers": false, "variables": { ".Run": 1 } },
  { "physId": "SW7", "deviceType": 702, "fault": 5, "variables": { ".Run": 1 } } ] })";

class TestBistate : public QObject {
    Q_OBJECT

    TKrHostLoader m_loader;
    TKrComponentLibrary *m_lib = nullptr;
    TKrComponentLibrary *m_floorLib = nullptr;
    QTemporaryDir m_dir;
    QString m_trace;

    static QByteArray Design(TKrSymbol *s)
    {
        TSymbolStream st;
        QStringList files;
        s->SaveToStream(st, files);
        return st.Data();
    }
    static QStringList Labels(TKrSymbol *s)
    {
        QStringList out;
        for (TKrChild *e : s->Elements())
            out.append(e->Name());
        return out;
    }
    // What the symbol paints itself, without clips playing over it.
    static QImage OwnPaint(TKrSymbol *s)
    {
        QImage img(s->size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        s->render(&img, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return img;
    }
    static int State(TKrSymbol *s) { return s->property("State").toInt(); }
    static TKRInOutFunction *Function(TKrSymbol *s) { return qobject_cast<TKRInOutFunction *>(s->FindElement(QStringLiteral("Function"))); }
    static TKrKeloTimer *Link(TKrSymbol *s) { return qobject_cast<TKrKeloTimer *>(s->FindElement(QStringLiteral("Variable link"))); }
    static TKRActionCollection *Action(TKrSymbol *s, const char *label) { return qobject_cast<TKRActionCollection *>(s->FindElement(QString::fromLatin1(label))); }
    static TKRString *FloorRef(TKrSymbol *s) { return qobject_cast<TKRString *>(s->FindElement(QStringLiteral("Floor"))); }
    static QStringList Calls(QObject *floor) { return floor->property("Calls").toStringList(); }

    QStringList TraceLines() const
    {
        QFile f(m_trace);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Value writes in the trace since line from, as "PhysId=value".
    QStringList WritesSince(int from) const
    {
        const QStringList lines = TraceLines();
        QStringList out;
        QString physId;
        for (int i = 0; i < lines.size(); ++i) {
            const QString &l = lines.at(i);
            if (l.startsWith(QStringLiteral("put PhysId ")))
                physId = l.mid(11);
            else if (i >= from && l.startsWith(QStringLiteral("put value "), Qt::CaseInsensitive))
                out.append(physId + QLatin1Char('=') + l.mid(10));
        }
        return out;
    }

    // A two-state symbol on a page that is open (run mode unless a designer is given).
    TKrSymbol *Place(TKrDrawingPage &page, const QString &name, const TRect &r = TRect(20, 20, 70, 70))
    {
        TKrSymbol *s = page.CreateSymbol(m_lib, name, r);
        return s;
    }
    static void OpenPage(TKrDrawingPage &page)
    {
        page.resize(640, 480);
        page.Open();
    }
    // Answers the next modal message box with the given button.
    static void AnswerNextMessage(QMessageBox::StandardButton button, QString *text)
    {
        QTimer::singleShot(0, [button, text]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                AnswerNextMessage(button, text);
                return;
            }
            if (text)
                *text = box->text();
            box->button(button)->click();
        });
    }
    // The golden symbol: every part switched on, with settings of its own.
    TKrSymbol *MakeGoldenSymbol()
    {
        TKrSymbol *s = m_lib->Create(nullptr);
        s->SetName(QStringLiteral("Pump1"));
        s->setProperty("RotDeg", 90);
        s->setProperty("RotMirr", true);
        s->setProperty("PaperLeft", 0.125);
        s->setProperty("PaperTop", 0.375);
        s->setProperty("EnableErrorAction", true);
        s->setProperty("EnableOnAction", true);
        s->setProperty("EnableFloorPhysId", true);
        s->setProperty("EnableVariableLink", true);
        s->setProperty("EnableFloorRelation", true);
        Function(s)->SetInputFunction(TKRInOutFunction::ifEqualsOn);
        Function(s)->SetOutputFunction(TKRInOutFunction::ofMomentary);
        Function(s)->SetOnValue(3);
        Action(s, "On action")->GetText()->SetCaption(QStringLiteral("L\u00e4uft"));
        Action(s, "On action")->GetImage()->SetColor(0x0000C000);
        Action(s, "Off action")->GetFrame()->SetStyle(TKRFrame::fsLowered);
        Action(s, "Error action")->GetMultiMedia()->SetFileName(QStringLiteral("clips/alarm.gif"));
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        Link(s)->SetPhysId(QStringLiteral("SW1.Run"));
        Link(s)->SetUpdateTime(750);
        qobject_cast<TKrPhysIdPath *>(s->FindElement(QStringLiteral("Partial PhysId")))->SetPath(QStringLiteral(".P2"));
        return s;
    }
    static QString GoldenPath() { return QStringLiteral(KR_BISTATE_GOLDEN_DIR "/bistate_v1.bin"); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString net = m_dir.filePath(QStringLiteral("network.json"));
        QFile f(net);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(kNetwork);
        f.close();
        m_trace = m_dir.filePath(QStringLiteral("trace.txt"));
        qputenv("KELO_PRO_NETWORK", net.toLocal8Bit());
        qputenv("KELO_PRO_TRACE", m_trace.toLocal8Bit());
        kelopro::registerServer();
        m_lib = m_loader.Load(QStringLiteral(KR_BISTATE_LIB));
        m_floorLib = m_loader.Load(QStringLiteral(KR_RECORDING_FLOOR_LIB));
        QVERIFY2(m_lib && m_floorLib, qPrintable(m_loader.Problems().isEmpty() ? QString() : m_loader.Problems().first().ToString()));
        QCOMPARE(m_lib->Guid(), kBistateGuid);
        WorkAreaW = 1024;
        WorkAreaH = 768;
        GlobZoomFactor = 1.0;
    }

    void init() { GlobZoomFactor = 1.0; }
    void cleanup()
    {
        KeloClip.Clear();
        GlobZoomFactor = 1.0;
    }

    void aboutPictureAndVersionAreTheLibrarysOwn()
    {
        TKrSymbol *s = m_lib->Create(nullptr);
        QImage about(s->AboutResource() + QStringLiteral("/ABOUTBITMAP"), "BMP");
        QCOMPARE(about.size(), QSize(32, 32));
        QImage shared(QStringLiteral(KR_SHARED_ABOUT_BITMAP), "BMP");
        QVERIFY(about.convertToFormat(QImage::Format_RGB32) != shared.convertToFormat(QImage::Format_RGB32));
        // The lit lamp of the picture is green.
        const QColor lamp = about.pixelColor(23, 11);
        QVERIFY2(lamp.green() > 150 && lamp.red() < 100, qPrintable(lamp.name()));
        QFile version(s->AboutResource() + QStringLiteral("/VERSION"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(version.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("Bistate 1.0.0")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Two-state")));
        delete s;
    }

    void newSymbolHasFunctionOffActionAndHiddenNotifier()
    {
        TKrSymbol *bare = m_lib->Create(nullptr);
        QCOMPARE(bare->size(), QSize(50, 50));
        delete bare;

        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *s = Place(page, QString());
        QCOMPARE(Labels(s), (QStringList{QStringLiteral("Function"), QStringLiteral("Off action"), QStringLiteral("NortityPhysId")}));
        QVERIFY(qobject_cast<TKRInOutFunction *>(s->Elements().first()));
        QVERIFY(!s->Elements().last()->GetShowInTree());
        QVERIFY(Supports<IKrPhysIdNotify>(static_cast<TKrComponent *>(s->Elements().last())));
        QVERIFY(!TKrHostDesigner::ElementTree(s).contains(QStringLiteral("NortityPhysId")));
        QVERIFY(Action(s, "Off action")->GetFrameEnabled());
        QCOMPARE(State(s), 0);
        for (const char *p : {"EnableOnAction", "EnableErrorAction", "EnableFloorRelation", "EnableVariableLink", "EnableFloorPhysId"})
            QVERIFY2(!s->property(p).toBool(), p);
        QVERIFY(s->property("EnableOffAction").toBool());
        // An off look made later by its property comes without a frame.
        s->setProperty("EnableOffAction", false);
        QVERIFY(!s->FindElement(QStringLiteral("Off action")));
        s->setProperty("EnableOffAction", true);
        QVERIFY(!Action(s, "Off action")->GetFrameEnabled());
    }

    void eachEnablePropertyCreatesAndFreesExactlyItsElement_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("className");
        QTest::addColumn<bool>("initially");
        QTest::newRow("on action") << QByteArray("EnableOnAction") << "On action" << "TKRActionCollection" << false;
        QTest::newRow("off action") << QByteArray("EnableOffAction") << "Off action" << "TKRActionCollection" << true;
        QTest::newRow("error action") << QByteArray("EnableErrorAction") << "Error action" << "TKRActionCollection" << false;
        QTest::newRow("floor relation") << QByteArray("EnableFloorRelation") << "Floor" << "TKRString" << false;
        QTest::newRow("variable link") << QByteArray("EnableVariableLink") << "Variable link" << "TKrKeloTimer" << false;
        QTest::newRow("floor physid") << QByteArray("EnableFloorPhysId") << "Partial PhysId" << "TKrPhysIdPath" << false;
    }
    void eachEnablePropertyCreatesAndFreesExactlyItsElement()
    {
        QFETCH(QByteArray, property);
        QFETCH(QString, label);
        QFETCH(QString, className);
        QFETCH(bool, initially);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("B"));
        // Every other part switched on, so that only this one may change.
        for (const char *p : {"EnableOnAction", "EnableOffAction", "EnableErrorAction", "EnableFloorRelation", "EnableVariableLink", "EnableFloorPhysId"})
            if (property != p)
                s->setProperty(p, true);
        QCOMPARE(s->property(property.constData()).toBool(), initially);
        const QStringList before = Labels(s);
        QCOMPARE(before.contains(label), initially);
        const int refreshes = designer.TreeRefreshes();

        s->setProperty(property.constData(), !initially);
        QStringList expectedAfter = before;
        if (initially)
            expectedAfter.removeOne(label);
        QStringList after = Labels(s);
        if (!initially) {
            QCOMPARE(after.size(), before.size() + 1);
            QVERIFY(after.contains(label));
            QCOMPARE(QString::fromLatin1(s->FindElement(label)->metaObject()->className()), className);
            after.removeOne(label);
            QCOMPARE(after, before);
        } else {
            QCOMPARE(after, expectedAfter);
        }
        QCOMPARE(designer.TreeRefreshes(), refreshes + 1);
        QVERIFY(TKrHostDesigner::ElementTree(s).contains(label) != initially);
        // The same value again changes nothing.
        s->setProperty(property.constData(), !initially);
        QCOMPARE(designer.TreeRefreshes(), refreshes + 1);

        s->setProperty(property.constData(), initially);
        QCOMPARE(Labels(s), before);
        QCOMPARE(designer.TreeRefreshes(), refreshes + 2);
        // The fixed element order holds whatever order the parts came in.
        QCOMPARE(Labels(s).first(), QStringLiteral("Function"));
        QCOMPARE(Labels(s).last(), QStringLiteral("NortityPhysId"));
    }

    void inputFunctionDrivesTheStateFromTheNetwork_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<double>("onValue");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("physId");
        QTest::addColumn<int>("expected");
        QTest::newRow("not off: 1") << 0 << 1.0 << 0 << "SW1.Stop" << "SW1.Run" << 1;
        QTest::newRow("not off: 0") << 0 << 1.0 << 0 << "SW1.Run" << "SW1.Stop" << 0;
        QTest::newRow("equals on: 5") << 1 << 5.0 << 0 << "SW1.Stop" << "SW1.Bits" << 1;
        QTest::newRow("equals on: 5 is not 1") << 1 << 1.0 << 0 << "SW1.Run" << "SW1.Bits" << 0;
        QTest::newRow("bit 2 of 101b") << 2 << 1.0 << 2 << "SW1.Stop" << "SW1.Bits" << 1;
        QTest::newRow("bit 1 of 101b") << 2 << 1.0 << 1 << "SW1.Mask" << "SW1.Bits" << 0;
        QTest::newRow("at least 10: 12.5") << 3 << 10.0 << 0 << "SW1.Stop" << "SW1.Level" << 1;
        QTest::newRow("at least 20: 12.5") << 3 << 20.0 << 0 << "SW1.High" << "SW1.Level" << 0;
    }
    void inputFunctionDrivesTheStateFromTheNetwork()
    {
        QFETCH(int, input);
        QFETCH(double, onValue);
        QFETCH(int, bit);
        QFETCH(QString, before);
        QFETCH(QString, physId);
        QFETCH(int, expected);
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("In"));
        s->setProperty("EnableVariableLink", true);
        s->setProperty("EnableOnAction", true);
        Function(s)->SetInputFunction(input);
        Function(s)->SetOnValue(onValue);
        Function(s)->SetInputBit(bit);
        TKrKeloTimer *link = Link(s);
        link->SetPhysId(before);
        QCOMPARE(State(s), 1 - expected);
        // Visible with a PhysId: the link polls by itself.
        QVERIFY(link->Enabled());
        const int from = int(TraceLines().size());
        link->SetPhysId(physId);
        QCOMPARE(State(s), expected);
        QVERIFY(!s->property("ErrorShown").toBool());
        QVERIFY(TraceLines().mid(from).contains(QStringLiteral("put PhysId ") + physId));
        // Reading only: nothing was written.
        QCOMPARE(WritesSince(from), QStringList());
        // The look of the state is what is drawn.
        Action(s, "On action")->GetImage()->SetColor(clRed);
        Action(s, "On action")->GetImage()->SetTransparent(false);
        Action(s, "Off action")->GetImage()->SetColor(0x00FF0000); // blue
        Action(s, "Off action")->GetImage()->SetTransparent(false);
        const QImage img = s->grab().toImage();
        QCOMPARE(img.pixelColor(25, 25), expected ? QColor(Qt::red) : QColor(Qt::blue));
    }

    void clicksGoThroughTheOutputFunctionToTheVariable_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("afterPress");
        QTest::addColumn<int>("afterRelease");
        QTest::addColumn<QStringList>("writes");
        QTest::newRow("toggle on") << int(TKRInOutFunction::ofToggle) << 0 << 1 << 1 << QStringList{QStringLiteral("SW1.Cmd=7")};
        QTest::newRow("toggle off") << int(TKRInOutFunction::ofToggle) << 7 << 0 << 0 << QStringList{QStringLiteral("SW1.Cmd=0")};
        QTest::newRow("momentary") << int(TKRInOutFunction::ofMomentary) << 0 << 1 << 0 << QStringList{QStringLiteral("SW1.Cmd=7"), QStringLiteral("SW1.Cmd=0")};
        QTest::newRow("set on") << int(TKRInOutFunction::ofSetOn) << 0 << 1 << 1 << QStringList{QStringLiteral("SW1.Cmd=7")};
        QTest::newRow("set off") << int(TKRInOutFunction::ofSetOff) << 7 << 0 << 0 << QStringList{QStringLiteral("SW1.Cmd=0")};
        QTest::newRow("set on when on") << int(TKRInOutFunction::ofSetOn) << 7 << 1 << 1 << QStringList();
        QTest::newRow("none") << int(TKRInOutFunction::ofNone) << 0 << 0 << 0 << QStringList();
    }
    void clicksGoThroughTheOutputFunctionToTheVariable()
    {
        QFETCH(int, output);
        QFETCH(int, start);
        QFETCH(int, afterPress);
        QFETCH(int, afterRelease);
        QFETCH(QStringList, writes);
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Out"));
        s->setProperty("EnableVariableLink", true);
        Function(s)->SetOnValue(7);
        Function(s)->SetInputFunction(TKRInOutFunction::ifEqualsOn);
        Function(s)->SetOutputFunction(output);
        TKrKeloTimer *link = Link(s);
        link->SetEnable(false);
        link->SetPhysId(QStringLiteral("SW1.Cmd"));
        link->SetValue(start);
        QVERIFY(link->DoRead());
        link->SetEnable(false); // no poll between the steps
        QCOMPARE(State(s), start ? 1 : 0);
        QCOMPARE(s->CursorCode(), output ? int(crHandPoint) : int(crDefault));
        const int from = int(TraceLines().size());
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), afterPress);
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), afterRelease);
        QCOMPARE(WritesSince(from), writes);
        // The device holds what the symbol shows.
        QCOMPARE(link->GetValue().toInt(), afterRelease ? 7 : (writes.isEmpty() ? start : 0));
        // The right button does not switch.
        QTest::mouseClick(s, Qt::RightButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), afterRelease);
    }

    void noClickWhileATextIsEditedOrClicksAreBlocked()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Txt"));
        s->setProperty("EnableOnAction", true);
        TKrText *offText = Action(s, "Off action")->GetText();
        offText->SetEditEnable(true);
        // A double click in run mode edits the text of the present state.
        QTest::mouseDClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QVERIFY(offText->IsEditing());
        const int state = State(s);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), state);
        offText->Editor()->setText(QStringLiteral("Stopped"));
        offText->FinishEdit(true);
        QCOMPARE(offText->Caption(), QStringLiteral("Stopped"));
        QVERIFY(!offText->IsEditing());
        // The base's blocking bit.
        s->SetBlockClicks(true);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), state);
        s->SetBlockClicks(false);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 1 - state);
        // In design mode a double click opens no edit.
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        Action(s, "On action")->GetText()->SetEditEnable(true);
        QTest::mouseDClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QVERIFY(!Action(s, "On action")->GetText()->IsEditing());
        QVERIFY(!offText->IsEditing());
    }

    void errorsShowTheErrorLookUntilDataIsReady_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<int>("code");
        QTest::newRow("no contact") << "SW9.Run" << 1024;
        QTest::newRow("device fault") << "SW7.Run" << 256;
        QTest::newRow("unknown variable") << "SW1.Nothing" << 4098;
    }
    void errorsShowTheErrorLookUntilDataIsReady()
    {
        QFETCH(QString, physId);
        QFETCH(int, code);
        const QString clip = m_dir.filePath(QStringLiteral("error.png"));
        {
            QImage pic(8, 8, QImage::Format_RGB32);
            pic.fill(Qt::yellow);
            QVERIFY(pic.save(clip));
        }
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Err"));
        s->setProperty("EnableVariableLink", true);
        s->setProperty("EnableErrorAction", true);
        TKRActionCollection *err = Action(s, "Error action");
        err->GetImage()->SetColor(clRed);
        err->GetImage()->SetTransparent(false);
        err->GetMultiMedia()->SetFileName(clip);
        TKrKeloTimer *link = Link(s);
        link->SetPhysId(QStringLiteral("SW1.Run"));
        QVERIFY(!s->property("ErrorShown").toBool());
        QCOMPARE(State(s), 1);
        QVERIFY(OwnPaint(s).pixelColor(25, 25) != QColor(Qt::red));

        link->SetPhysId(physId);
        QCOMPARE(link->GetErrorCode(), code);
        QVERIFY(s->property("ErrorShown").toBool());
        QVERIFY(err->GetMultiMedia()->IsPlaying());
        // The error clip plays where the error look has no frame: the client area.
        QCOMPARE(err->GetMultiMedia()->Player()->geometry(), QRect(0, 0, 50, 50));
        QCOMPARE(OwnPaint(s).pixelColor(25, 25), QColor(Qt::red));
        // The clip shows over the symbol.
        QCOMPARE(s->grab().toImage().pixelColor(25, 25), QColor(Qt::yellow));
        QCOMPARE(State(s), 1); // the state stays as it was

        link->SetPhysId(QStringLiteral("SW1.Stop"));
        QVERIFY(!s->property("ErrorShown").toBool());
        QVERIFY(!err->GetMultiMedia()->IsPlaying());
        QCOMPARE(State(s), 0);
        QVERIFY(OwnPaint(s).pixelColor(25, 25) != QColor(Qt::red));
    }

    void clipsFollowTheState()
    {
        const QString clip = m_dir.filePath(QStringLiteral("clip.png"));
        {
            QImage pic(8, 8, QImage::Format_RGB32);
            pic.fill(Qt::green);
            QVERIFY(pic.save(clip));
        }
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Clip"));
        s->setProperty("EnableOnAction", true);
        TKRActionCollection *on = Action(s, "On action");
        TKRActionCollection *off = Action(s, "Off action");
        on->SetFrameEnabled(true);
        on->GetMultiMedia()->SetFileName(clip);
        off->GetMultiMedia()->SetFileName(clip);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 1);
        QVERIFY(on->GetMultiMedia()->IsPlaying());
        QVERIFY(!off->GetMultiMedia()->IsPlaying());
        // In the on frame's clip rectangle.
        QCOMPARE(on->GetMultiMedia()->Player()->geometry(), on->GetFrame()->GetClipRect().toQRect());
        QCOMPARE(on->GetMultiMedia()->Player()->parentWidget(), static_cast<QWidget *>(s));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 0);
        QVERIFY(!on->GetMultiMedia()->IsPlaying());
        QVERIFY(off->GetMultiMedia()->IsPlaying());
        QCOMPARE(off->GetMultiMedia()->Player()->geometry(), off->GetFrame()->GetClipRect().toQRect());
    }

    void rotatingFourTimesRestores_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QList<int>>("degrees");
        QTest::addColumn<bool>("mirroredAfterOne");
        QTest::newRow("right") << int(rfRotateRight) << QList<int>{90, 180, 270, 0} << false;
        QTest::newRow("left") << int(rfRotateLeft) << QList<int>{270, 180, 90, 0} << false;
        QTest::newRow("mirror horizontal") << int(rfMirrorHorizontal) << QList<int>{270, 90, 270, 90} << true;
        QTest::newRow("mirror vertical") << int(rfMirrorVertical) << QList<int>{0, 180, 0, 180} << true;
    }
    void rotatingFourTimesRestores()
    {
        QFETCH(int, function);
        QFETCH(QList<int>, degrees);
        QFETCH(bool, mirroredAfterOne);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Rot"), TRect(100, 100, 160, 120));
        s->setProperty("EnableOnAction", true);
        IKrRotatable *r = Supports<IKrRotatable>(s);
        QVERIFY(r && r->CanRotate());
        if (function >= rfMirrorHorizontal)
            s->setProperty("RotDeg", function == rfMirrorHorizontal ? 90 : 180);
        const int startDeg = r->GetRotation();
        const TRect start = s->BoundsRect();
        const QPoint centre = page.mapToGlobal(QPoint(130, 110));
        for (int i = 0; i < 4; ++i) {
            r->Rotate_Mirror(function, centre);
            QCOMPARE(r->GetRotation(), degrees.at(i));
            QCOMPARE(s->property("RotDeg").toInt(), degrees.at(i));
            QCOMPARE(r->GetMirrored(), i % 2 == 0 ? mirroredAfterOne : false);
            if (i == 0 && function <= rfRotateLeft) {
                QCOMPARE(s->BoundsRect(), TRect(120, 80, 140, 140));
                // Every look turns with the symbol.
                QCOMPARE(Action(s, "On action")->GetImage()->GetRotatedDeg(), degrees.at(0));
                QCOMPARE(Action(s, "Off action")->GetImage()->GetRotatedDeg(), degrees.at(0));
            }
        }
        Q_UNUSED(startDeg);
        QCOMPARE(s->BoundsRect(), start);
        QVERIFY(designer.IsModified());
    }

    void paperPositionRoundsHalfToEven_data()
    {
        QTest::addColumn<double>("pixelsX");
        QTest::addColumn<double>("pixelsY");
        QTest::addColumn<QPoint>("expected");
        QTest::addColumn<QPoint>("expectedAtZoom2");
        QTest::newRow("2.5, 3.5") << 2.5 << 3.5 << QPoint(2, 4) << QPoint(5, 7);
        QTest::newRow("-1.5, 10.25") << -1.5 << 10.25 << QPoint(-2, 10) << QPoint(-3, 20);
        QTest::newRow("100, 0.75") << 100.0 << 0.75 << QPoint(100, 1) << QPoint(200, 2);
        QTest::newRow("0.5, -0.5") << 0.5 << -0.5 << QPoint(0, 0) << QPoint(1, -1);
    }
    void paperPositionRoundsHalfToEven()
    {
        QFETCH(double, pixelsX);
        QFETCH(double, pixelsY);
        QFETCH(QPoint, expected);
        QFETCH(QPoint, expectedAtZoom2);
        TKrSymbol *s = m_lib->Create(nullptr);
        IKRFloorRelation *rel = Supports<IKRFloorRelation>(s);
        QVERIFY(rel);
        s->setProperty("PaperLeft", pixelsX / 1024.0);
        s->setProperty("PaperTop", pixelsY / 768.0);
        QCOMPARE(rel->GetPaperPos(), expected);
        GlobZoomFactor = 2.0;
        QCOMPARE(rel->GetPaperPos(), expectedAtZoom2);
        rel->SetPaperPos(300, 150);
        QCOMPARE(s->property("PaperLeft").toDouble(), 300.0 / 2048.0);
        QCOMPARE(s->property("PaperTop").toDouble(), 150.0 / 1536.0);
        GlobZoomFactor = 1.0;
        delete s;
    }

    void enablePageLoadsWithoutWritesAndClicksWriteOnceWithOneUndo_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("label");
        QTest::newRow("on action") << "EnableOnAction" << "On action";
        QTest::newRow("off action") << "EnableOffAction" << "Off action";
        QTest::newRow("error action") << "EnableErrorAction" << "Error action";
        QTest::newRow("floor relation") << "EnableFloorRelation" << "Floor";
        QTest::newRow("variable link") << "EnableVariableLink" << "Variable link";
        QTest::newRow("floor physid") << "EnableFloorPhysId" << "Partial PhysId";
    }
    void enablePageLoadsWithoutWritesAndClicksWriteOnceWithOneUndo()
    {
        QFETCH(QString, box);
        QFETCH(QString, label);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *a = Place(page, QStringLiteral("A"));
        TKrSymbol *b = Place(page, QStringLiteral("B"), TRect(100, 20, 150, 70));
        // b differs from a in every part.
        for (const char *p : {"EnableOnAction", "EnableOffAction", "EnableErrorAction", "EnableFloorRelation", "EnableVariableLink", "EnableFloorPhysId"})
            b->setProperty(p, !a->property(p).toBool());
        QWidget host;
        host.resize(300, 200);
        a->ShowDetails(&host);
        auto *check = host.findChild<QCheckBox *>(box);
        QVERIFY(check);
        auto *group = host.findChild<QGroupBox *>(QStringLiteral("GroupBox1"));
        QVERIFY(group);
        QCOMPARE(host.findChildren<QCheckBox *>().size(), 6);
        QCOMPARE(check->isChecked(), a->property(box.toLatin1().constData()).toBool());

        // Loading a page for b (boxes all differ) writes nothing and records nothing.
        const int undo = designer.UndoCount();
        const int refreshes = designer.TreeRefreshes();
        const QByteArray bBefore = Design(b);
        const QByteArray aBefore = Design(a);
        a->HideDetails();
        QVERIFY(!host.findChild<QCheckBox *>(box));
        b->ShowDetails(&host);
        check = host.findChild<QCheckBox *>(box);
        QVERIFY(check);
        QCOMPARE(check->isChecked(), b->property(box.toLatin1().constData()).toBool());
        QCOMPARE(designer.UndoCount(), undo);
        QCOMPARE(designer.TreeRefreshes(), refreshes);
        QCOMPARE(Design(b), bBefore);
        QCOMPARE(Design(a), aBefore);

        // One click: one write (one element made or freed), one undo step.
        const bool was = b->property(box.toLatin1().constData()).toBool();
        QCOMPARE(b->FindElement(label) != nullptr, was);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::mouseClick(check, Qt::LeftButton, {}, check->rect().center() - QPoint(check->width() / 2 - 6, 0));
        QCOMPARE(check->isChecked(), !was);
        QCOMPARE(b->property(box.toLatin1().constData()).toBool(), !was);
        QCOMPARE(b->FindElement(label) != nullptr, !was);
        QCOMPARE(designer.UndoCount(), undo + 1);
        QCOMPARE(designer.TreeRefreshes(), refreshes + 1);
        // The undo step holds the state after the click.
        b->setProperty(box.toLatin1().constData(), was);
        QVERIFY(designer.Undo());
        QCOMPARE(b->property(box.toLatin1().constData()).toBool(), !was);
        // Another click back.
        QTest::mouseClick(check, Qt::LeftButton, {}, check->rect().center() - QPoint(check->width() / 2 - 6, 0));
        QCOMPARE(b->property(box.toLatin1().constData()).toBool(), was);
        QCOMPARE(designer.UndoCount(), undo + 1); // one taken by Undo, one added
        b->HideDetails();
        QVERIFY(host.findChildren<QCheckBox *>().isEmpty());
    }

    void enablePageLooksAsDesigned()
    {
        QWidget host;
        TKrSymbol *s = m_lib->Create(nullptr);
        s->ShowDetails(&host);
        QWidget *form = host.findChild<QGroupBox *>(QStringLiteral("GroupBox1"))->parentWidget();
        QCOMPARE(form->objectName(), QStringLiteral("TEnableForm"));
        QCOMPARE(form->size(), QSize(232, 162));
        const QStringList names{QStringLiteral("EnableOnAction"), QStringLiteral("EnableOffAction"), QStringLiteral("EnableErrorAction"),
                                QStringLiteral("EnableFloorRelation"), QStringLiteral("EnableVariableLink"), QStringLiteral("EnableFloorPhysId")};
        const QStringList captions{QStringLiteral("Enable On action"), QStringLiteral("Enable Off action"), QStringLiteral("Enable Error action"),
                                   QStringLiteral("Enable Floor relation"), QStringLiteral("Enable Variable link"), QStringLiteral("Enable Floor PhysId")};
        for (int i = 0; i < names.size(); ++i) {
            auto *c = host.findChild<QCheckBox *>(names.at(i));
            QVERIFY(c);
            QCOMPARE(c->text(), captions.at(i));
            QCOMPARE(c->x(), 24);
            QCOMPARE(c->y(), 16 + 24 * i);
        }
        // Shown twice: still one page.
        s->ShowDetails(&host);
        QCOMPARE(host.findChildren<QGroupBox *>().size(), 1);
        delete s; // frees its page
        QVERIFY(host.findChildren<QGroupBox *>().isEmpty());
    }

    void streamRoundTripMatchesTheGoldenFile()
    {
        TKrSymbol *s = MakeGoldenSymbol();
        const QByteArray data = Design(s);
        delete s;
        QFile golden(GoldenPath());
        if (qEnvironmentVariableIsSet("KR_WRITE_GOLDEN")) {
            QVERIFY(golden.open(QIODevice::WriteOnly));
            golden.write(data);
            golden.close();
        }
        QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(GoldenPath()));
        const QByteArray stored = golden.readAll();
        QCOMPARE(data.toHex(), stored.toHex());

        // Today's page loads and saves back byte for byte.
        TKrSymbol *t = m_lib->Create(nullptr);
        TSymbolStream in(stored);
        t->InitFromStream(in);
        QVERIFY(in.AtEnd());
        QCOMPARE(Design(t), stored);
        QCOMPARE(Labels(t), (QStringList{QStringLiteral("Function"), QStringLiteral("On action"), QStringLiteral("Off action"), QStringLiteral("Error action"),
                                         QStringLiteral("Floor"), QStringLiteral("Variable link"), QStringLiteral("Partial PhysId"), QStringLiteral("NortityPhysId")}));
        QCOMPARE(t->property("RotDeg").toInt(), 90);
        QCOMPARE(t->property("PaperTop").toDouble(), 0.375);
        QCOMPARE(FloorRef(t)->GetValue(), QStringLiteral("Floor1"));
        QCOMPARE(Link(t)->PhysIdText(), QStringLiteral("SW1.Run"));
        QCOMPARE(Link(t)->GetUpdateTime(), 750);
        QCOMPARE(Action(t, "On action")->GetText()->Caption(), QStringLiteral("L\u00e4uft"));
        QCOMPARE(Action(t, "Off action")->GetFrame()->GetStyle(), int(TKRFrame::fsLowered));
        QVERIFY(!Action(t, "On action")->GetFrameEnabled());
        QCOMPARE(Function(t)->GetOutputFunction(), int(TKRInOutFunction::ofMomentary));
        // The frames take the client rectangle on loading.
        QCOMPARE(Action(t, "Off action")->GetFrame()->GetBounds(), TRect(0, 0, 50, 50));
        delete t;

        // Over a symbol with other parts switched on the load gives the same.
        TKrSymbol *u = m_lib->Create(nullptr);
        u->setProperty("EnableOffAction", false);
        u->setProperty("EnableOnAction", true);
        TSymbolStream in2(stored);
        u->InitFromStream(in2);
        QCOMPARE(Design(u), stored);
        delete u;
    }

    void aPageWithTheSymbolSavesAndLoadsBack()
    {
        QByteArray saved;
        {
            TKrDrawingPage page(&m_loader);
            OpenPage(page);
            TKrSymbol *f = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(200, 50, 320, 130));
            QVERIFY(f);
            TKrSymbol *s = Place(page, QStringLiteral("Opener"));
            s->setProperty("EnableFloorRelation", true);
            FloorRef(s)->SetValue(QStringLiteral("Floor1"));
            s->setProperty("EnableVariableLink", true);
            Link(s)->SetPhysId(QStringLiteral("SW1.Run"));
            saved = page.SavePage();
        }
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        QVERIFY(page.LoadPage(saved));
        QVERIFY(page.Problems().isEmpty());
        // Loading records no undo step.
        QCOMPARE(designer.UndoCount(), 0);
        TKrSymbol *s = KrSymbolOf(page.FindSymbol(QStringLiteral("Opener")));
        QObject *floor = page.FindSymbol(QStringLiteral("Floor1"));
        QVERIFY(s && floor);
        QCOMPARE(FloorRef(s)->GetValue(), QStringLiteral("Floor1"));
        // Attached once more after the load.
        QVERIFY(floor->property("Relations").toStringList().contains(QStringLiteral("Opener")));
        QVERIFY(Link(s)->Enabled());
        QCOMPARE(page.SavePage(), saved);
        QCOMPARE(designer.UndoCount(), 0);
    }

    void damagedStreamsNeverCrashAndLoseNothingOnResave()
    {
        QFile golden(GoldenPath());
        QVERIFY(golden.open(QIODevice::ReadOnly));
        const QByteArray good = golden.readAll();
        int failures = 0;
        for (int n = 0; n < good.size(); n += 3) {
            TKrSymbol *s = m_lib->Create(nullptr);
            TSymbolStream in(good.left(n));
            try {
                s->InitFromStream(in);
            } catch (const EKrStreamError &) {
                ++failures;
            }
            // Whatever loaded saves and loads back to the same data.
            const QByteArray once = Design(s);
            TKrSymbol *t = m_lib->Create(nullptr);
            TSymbolStream again(once);
            t->InitFromStream(again);
            QCOMPARE(Design(t), once);
            delete t;
            delete s;
        }
        QVERIFY(failures > 0);
        for (int i = 0; i < good.size(); i += 2) {
            QByteArray bad = good;
            bad[i] = char(bad[i] ^ 0x5A);
            TKrSymbol *s = m_lib->Create(nullptr);
            TSymbolStream in(bad);
            try {
                s->InitFromStream(in);
            } catch (const EKrStreamError &) {
            }
            const QByteArray once = Design(s);
            TKrSymbol *t = m_lib->Create(nullptr);
            TSymbolStream again(once);
            t->InitFromStream(again);
            QCOMPARE(Design(t), once);
            delete t;
            delete s;
        }
    }

    void aDamagedElementBlockCostsOnlyThatElement_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("floor") << "Floor";
        QTest::newRow("on action") << "On action";
        QTest::newRow("variable link") << "Variable link";
        QTest::newRow("function") << "Function";
    }
    void aDamagedElementBlockCostsOnlyThatElement()
    {
        QFETCH(QString, label);
        QFile golden(GoldenPath());
        QVERIFY(golden.open(QIODevice::ReadOnly));
        const QByteArray good = golden.readAll();
        TKeloStream parse(good);
        krstream::ObjectRecord rec = krstream::ReadObject(parse);
        int damaged = -1;
        for (int i = 0; i < rec.elements.size(); ++i) {
            if (rec.elements[i].label == label) {
                // Keep the block's frame, spoil what is inside.
                QByteArray &d = rec.elements[i].data;
                for (int k = 5; k < d.size(); ++k)
                    d[k] = char(0xFF);
                damaged = i;
            }
        }
        QVERIFY(damaged >= 0);
        TKeloStream out;
        krstream::WriteObject(out, rec);

        TKrSymbol *fresh = m_lib->Create(nullptr);
        TKrSymbol *s = m_lib->Create(nullptr);
        TSymbolStream in(out.Data());
        s->InitFromStream(in);
        TKeloStream back(Design(s));
        const krstream::ObjectRecord after = krstream::ReadObject(back);
        QCOMPARE(after.properties, rec.properties);
        TKeloStream goodParse(good);
        const krstream::ObjectRecord original = krstream::ReadObject(goodParse);
        QCOMPARE(after.elements.size(), original.elements.size());
        for (int i = 0; i < after.elements.size(); ++i) {
            QCOMPARE(after.elements[i].label, original.elements[i].label);
            if (i != damaged)
                QCOMPARE(after.elements[i].data, original.elements[i].data); // nothing else lost
        }
        // The damaged element kept what it had before the load.
        if (label == QStringLiteral("Floor"))
            QCOMPARE(FloorRef(s)->GetValue(), QString());
        if (label == QStringLiteral("Function"))
            QCOMPARE(Function(s)->GetOutputFunction(), Function(fresh)->GetOutputFunction());
        delete s;
        delete fresh;
    }

    // ---- the floor relation ----

    void clicksOpenAndCloseTheFloor()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        floor->hide();
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList{QStringLiteral("Opener")});
        QCOMPARE(Supports<IKRFloorRelation>(s)->GetFloorName(), QStringLiteral("Floor1"));
        s->setProperty("PaperLeft", 100.0 / 1024);
        s->setProperty("PaperTop", 40.0 / 768);
        QMetaObject::invokeMethod(floor, "ClearCalls");
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 1);
        QCOMPARE(Calls(floor), QStringList{QStringLiteral("OpenFloor Opener")});
        QVERIFY(!floor->isHidden());
        // Show mode 0: the paper position is taken from the opener's place.
        QCOMPARE(floor->pos(), QPoint(120, 60));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 0);
        QCOMPARE(Calls(floor), (QStringList{QStringLiteral("OpenFloor Opener"), QStringLiteral("CloseFloor Opener")}));
        QVERIFY(floor->isHidden());
        // Off again with the floor hidden: no close is sent.
        QMetaObject::invokeMethod(floor, "ClearCalls");
        Function(s)->ComputeOutput(true); // on
        Function(s)->ComputeOutput(false);
        QMetaObject::invokeMethod(floor, "ClearCalls");
        floor->hide();
        Function(s)->ComputeOutput(true); // off
        QCOMPARE(Calls(floor), QStringList());
    }

    void aFloorOpenedByAnotherRelationTurnsThisOneOff()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        floor->hide();
        TKrSymbol *a = Place(page, QStringLiteral("A"));
        TKrSymbol *b = Place(page, QStringLiteral("B"), TRect(100, 20, 150, 70));
        for (TKrSymbol *s : {a, b}) {
            s->setProperty("EnableFloorRelation", true);
            FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        }
        QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(a), 1);
        QCOMPARE(Supports<IKRWorkFloor>(floor)->GetOpenerName(), QStringLiteral("A"));
        QMetaObject::invokeMethod(floor, "ClearCalls");
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(b), 1);
        QCOMPARE(State(a), 0); // turned off, and it did not close the floor itself
        QCOMPARE(Calls(floor), QStringList{QStringLiteral("OpenFloor B")});
        QCOMPARE(Supports<IKRWorkFloor>(floor)->GetOpenerName(), QStringLiteral("B"));
        QVERIFY(!floor->isHidden());

        // A close by someone else turns the opener off.
        Supports<IKRWorkFloor>(floor)->CloseFloor(QStringLiteral("CloseButton"));
        QCOMPARE(State(b), 0);
        QCOMPARE(State(a), 0);

        // Opened on behalf of this symbol while it is off: it turns on.
        Supports<IKRWorkFloor>(floor)->OpenFloor(QStringLiteral("A"));
        Supports<IKRFloorRelation>(a)->FloorStateChanged(true);
        QCOMPARE(State(a), 1);

        // Linked to a variable, the state stays with the variable.
        b->setProperty("EnableVariableLink", true);
        Link(b)->SetPhysId(QStringLiteral("SW1.Run"));
        QCOMPARE(State(b), 1);
        Supports<IKRFloorRelation>(b)->FloorStateChanged(true);
        QCOMPARE(State(b), 1);
        Supports<IKRFloorRelation>(b)->FloorStateChanged(false);
        QCOMPARE(State(b), 1);
    }

    void disablingTheFloorRelationDetaches()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList{QStringLiteral("Opener")});
        s->setProperty("EnableFloorRelation", false);
        QVERIFY(!s->FindElement(QStringLiteral("Floor")));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList());
        QCOMPARE(Supports<IKRFloorRelation>(s)->GetFloorName(), QString());
        // Later operations treat the symbol as having no floor.
        QMetaObject::invokeMethod(floor, "ClearCalls");
        Supports<IKRFloorRelation>(s)->SetFloorName(QStringLiteral("Floor1"));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        s->setProperty("EnableFloorPhysId", true);
        QVERIFY(!Supports<IKRFloorPhysIdSource>(s)->GetFloorPhysId());
        QVERIFY(page.DeleteSymbol(s));
        QCOMPARE(Calls(floor), QStringList());
    }

    void theFloorPhysIdNeedsBothProperties_data()
    {
        QTest::addColumn<bool>("relation");
        QTest::addColumn<bool>("physId");
        QTest::newRow("neither") << false << false;
        QTest::newRow("relation only") << true << false;
        QTest::newRow("physid only") << false << true;
        QTest::newRow("both") << true << true;
    }
    void theFloorPhysIdNeedsBothProperties()
    {
        QFETCH(bool, relation);
        QFETCH(bool, physId);
        TKrSymbol *s = m_lib->Create(nullptr);
        s->setProperty("EnableFloorRelation", relation);
        s->setProperty("EnableFloorPhysId", physId);
        QCOMPARE(Supports<IKRFloorPhysIdSource>(s)->GetFloorPhysId(), relation && physId);
        delete s;
    }

    void renameAndDeletionReachTheFloor()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        TKrSymbol *s = Place(page, QStringLiteral("Old"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        s->SetName(QStringLiteral("New"));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList{QStringLiteral("New")});
        // The last opener of a hidden floor shows it before it goes.
        floor->hide();
        QMetaObject::invokeMethod(floor, "ClearCalls");
        QVERIFY(page.DeleteSymbol(s));
        QCOMPARE(Calls(floor), (QStringList{QStringLiteral("OpenFloor New"), QStringLiteral("RemoveRelation New")}));
        QVERIFY(!floor->isHidden());
        QCOMPARE(floor->property("Relations").toStringList(), QStringList());
    }

    void aReferenceToNothingIsClearedOnInit()
    {
        TKrDrawingPage page(&m_loader);
        OpenPage(page);
        TKrSymbol *s = Place(page, QStringLiteral("Lost"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("NoSuchFloor"));
        QCOMPARE(FloorRef(s)->GetValue(), QString());
        // A symbol of that name that is no floor keeps the reference but is not used.
        Place(page, QStringLiteral("NotAFloor"), TRect(200, 200, 250, 250));
        FloorRef(s)->SetValue(QStringLiteral("NotAFloor"));
        QCOMPARE(FloorRef(s)->GetValue(), QStringLiteral("NotAFloor"));
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(State(s), 1);
    }

    void pasteRefAttachesAndOpens_data()
    {
        QTest::addColumn<int>("showMode");
        QTest::addColumn<QPoint>("expectedPaperPos");
        QTest::newRow("with local open") << 0 << QPoint(280, 30);
        QTest::newRow("on main") << 1 << QPoint(300, 50);
    }
    void pasteRefAttachesAndOpens()
    {
        QFETCH(int, showMode);
        QFETCH(QPoint, expectedPaperPos);
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        floor->setProperty("ShowMode", showMode);
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        bool handled = false;
        // Without a floor relation: no "Paste Ref.".
        s->DoContextPopup(QPoint(5, 5), handled);
        QVERIFY(!handled);
        s->setProperty("EnableFloorRelation", true);
        KeloClip.SetClipReferance(new TClipReferance(QStringLiteral("Floor1")));
        s->DoContextPopup(QPoint(5, 5), handled);
        QVERIFY(handled);
        QAction *paste = nullptr;
        for (QAction *a : s->PopupMenu()->actions())
            if (a->text() == QStringLiteral("Paste Ref."))
                paste = a;
        QVERIFY(paste);
        s->PopupMenu()->hide();
        paste->trigger();
        QCOMPARE(FloorRef(s)->GetValue(), QStringLiteral("Floor1"));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList{QStringLiteral("Opener")});
        QCOMPARE(Supports<IKRFloorRelation>(s)->GetPaperPos(), expectedPaperPos);
        QVERIFY(Calls(floor).contains(QStringLiteral("OpenFloor Opener")));
        QCOMPARE(floor->pos(), QPoint(300, 50)); // it stays where it was

        // Run mode: no menu item.
        page.SetDesigner(nullptr);
        handled = false;
        s->DoContextPopup(QPoint(5, 5), handled);
        QVERIFY(!handled);
    }

    void movingTheOpenerKeepsTheFloorsPagePosition()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        Supports<IKRFloorRelation>(s)->SetPaperPos(280, 30);
        // The designer drags the symbol 64 pixels right and 48 down.
        s->MouseDown(mbLeft, {}, 5, 5);
        s->SetBounds(TRect(84, 68, 134, 118));
        s->MouseUp(mbLeft, {}, 5, 5);
        QCOMPARE(Supports<IKRFloorRelation>(s)->GetPaperPos(), QPoint(216, -18));
        Supports<IKRWorkFloor>(floor)->OpenFloor(QStringLiteral("Opener"));
        QCOMPARE(floor->pos(), QPoint(300, 50));
    }

    void onClipPlaysInTheFloorAfterAskingInDesignMode_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("plays");
        QTest::newRow("yes") << QMessageBox::Yes << true;
        QTest::newRow("no") << QMessageBox::No << false;
    }
    void onClipPlaysInTheFloorAfterAskingInDesignMode()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, plays);
        const QString clip = m_dir.filePath(QStringLiteral("floorclip.png"));
        {
            QImage pic(8, 8, QImage::Format_RGB32);
            pic.fill(Qt::cyan);
            QVERIFY(pic.save(clip));
        }
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        s->setProperty("EnableFloorRelation", true);
        s->setProperty("EnableOnAction", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        TKRMultiMedia *media = Action(s, "On action")->GetMultiMedia();
        media->SetFileName(clip);
        QString asked;
        AnswerNextMessage(answer, &asked);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QCOMPARE(asked, QStringLiteral("Play Multimedia clip ?"));
        QCOMPARE(State(s), 1);
        QCOMPARE(media->IsPlaying(), plays);
        if (plays) {
            QCOMPARE(media->Player()->parentWidget(), static_cast<QWidget *>(floor));
            QCOMPARE(media->Player()->geometry(), Supports<IKRWorkFloor>(floor)->GetMediaRect().toQRect());
        }
        // Run mode asks nothing.
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QVERIFY(!media->IsPlaying());
        page.SetDesigner(nullptr);
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(25, 25));
        QVERIFY(media->IsPlaying());
    }

    void pastedWithItsFloorFollowsTheNewFloorName()
    {
        TKrDrawingPage page(&m_loader);
        TKrHostDesigner designer;
        page.SetDesigner(&designer);
        OpenPage(page);
        TKrSymbol *floor = page.CreateSymbol(m_floorLib, QStringLiteral("Floor1"), TRect(300, 50, 420, 130));
        TKrSymbol *s = Place(page, QStringLiteral("Opener"));
        s->setProperty("EnableFloorRelation", true);
        FloorRef(s)->SetValue(QStringLiteral("Floor1"));
        const QList<TKrSymbol *> pasted = page.PasteSymbols(page.CopySymbols({floor, s}));
        QCOMPARE(pasted.size(), 2);
        TKrSymbol *floor2 = pasted.at(0);
        TKrSymbol *s2 = pasted.at(1);
        QVERIFY(floor2->Name() != QStringLiteral("Floor1"));
        QCOMPARE(FloorRef(s2)->GetValue(), floor2->Name());
        QVERIFY(Calls(floor2).contains(QStringLiteral("AddRelation ") + s2->Name()));
        QVERIFY(Calls(floor2).contains(QStringLiteral("RemoveRelation Opener")));
        // The original pair is untouched.
        QCOMPARE(FloorRef(s)->GetValue(), QStringLiteral("Floor1"));
        QCOMPARE(floor->property("Relations").toStringList(), QStringList{QStringLiteral("Opener")});
        // Pasted alone, the copy joins the same floor.
        const QList<TKrSymbol *> alone = page.PasteSymbols(page.CopySymbols({s}));
        QCOMPARE(alone.size(), 1);
        QCOMPARE(FloorRef(alone.first())->GetValue(), QStringLiteral("Floor1"));
        QCOMPARE(floor->property("Relations").toStringList(), (QStringList{QStringLiteral("Opener"), alone.first()->Name()}));
    }
};

QTEST_MAIN(TestBistate)
#include "tst_bistate.moc"
