// The help viewer: its window, the history of visited pages with Back and Forward,
// the keys, the embedded browser (every navigation announced, links followed, anchors
// scrolled to, missing pages) and the window geometry kept between runs.
#include "KRHTMLBrowserU.h"
#include "RegistryClient.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

namespace {

const QString Section = QStringLiteral("HelpViewerTest");
const QPoint MainCorner(40, 30);

// Frees a viewer the test did not close.
struct ViewerGuard {
    QPointer<TfrmHTMLBrowser> viewer;
    ~ViewerGuard() { delete viewer.data(); }
};

int storedInt(const char *name)
{
    RegistryClient registry(Section);
    int value = -12345;
    registry.readInteger(QString(), QLatin1String(name), value);
    return value;
}

void store(const char *name, int value)
{
    RegistryClient registry(Section);
    QVERIFY(registry.writeInteger(QString(), QLatin1String(name), value));
}

// Screen position of the first character of the link to href in the browser's
// viewport.
QPoint linkPosition(TKRWebBrowser *browser, const QString &href)
{
    QTextDocument *doc = browser->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() == href) {
                QTextCursor cursor(doc);
                cursor.setPosition(fragment.position() + 1);
                const QRect r = browser->cursorRect(cursor);
                return QPoint(r.left() - 2, r.center().y());
            }
        }
    }
    return QPoint(-1, -1);
}

bool activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString page(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    TfrmHTMLBrowser *newViewer(ViewerGuard &guard)
    {
        guard.viewer = new TfrmHTMLBrowser(Section, MainCorner);
        return guard.viewer;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const auto write = [this](const char *name, const QByteArray &html) {
            QFile file(page(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(html);
        };
        write("a.htm", "<html><body><h1>Page A</h1><p>Go on to <a href=\"b.htm\">page B</a>"
                       " or <a href=\"#Bottom\">the bottom</a>.</p>"
                       + QByteArray("<p>filler line</p>").repeated(150)
                       + "<h2><a name=\"Bottom\">Bottom of A</a></h2></body></html>");
        write("b.htm", "<html><body><h1>Page B</h1><p><a href=\"a.htm#Bottom\">bottom of A</a></p></body></html>");
        write("c.htm", "<html><body><h1>Page C</h1></body></html>");
    }

    void init()
    {
        RegistryClient(Section).deleteSettings();
    }

    void windowAsDesigned()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        QCOMPARE(v->windowTitle(), QStringLiteral("Help viewer"));
        QCOMPARE(v->size(), QSize(TfrmHTMLBrowser::DesignWidth, TfrmHTMLBrowser::DesignHeight));
        QVERIFY(v->isWindow());
        QVERIFY(v->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(v->helpPosition, -1);
        QVERIFY(v->helpHistory.isEmpty());

        // The navigator: a panel 45 high along the top with two 49 x 45 buttons,
        // picture above the caption, each bound to its action.
        v->show();
        QCOMPARE(v->ui.KRPanel1->geometry(), QRect(0, 0, v->width(), 45));
        QCOMPARE(v->ui.BackBtn->geometry(), QRect(0, 0, 49, 45));
        QCOMPARE(v->ui.ForwardBtn->geometry(), QRect(49, 0, 49, 45));
        for (QToolButton *button : {v->ui.BackBtn, v->ui.ForwardBtn}) {
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            // The caption shows whole on the narrow button.
            QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) <= button->width() - 8);
        }
        QCOMPARE(v->ui.BackBtn->defaultAction(), v->ui.BackAction);
        QCOMPARE(v->ui.ForwardBtn->defaultAction(), v->ui.ForwardAction);
        QCOMPARE(v->ui.BackBtn->text(), QStringLiteral("Back"));
        QCOMPARE(v->ui.ForwardBtn->text(), QStringLiteral("Forward"));
        QCOMPARE(v->ui.BackAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
        QCOMPARE(v->ui.ForwardAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
        QCOMPARE(v->NavigatorImages.size(), 2);
        QCOMPARE(v->NavigatorHotImages.size(), 2);
        for (const QPixmap &image : v->NavigatorImages + v->NavigatorHotImages)
            QCOMPARE(image.size(), QSize(30, 20));
        QVERIFY(v->NavigatorImages.at(0).toImage() != v->NavigatorImages.at(1).toImage());
        QVERIFY(v->NavigatorImages.at(0).toImage() != v->NavigatorHotImages.at(0).toImage());
        // The browser fills the rest of the window.
        QCOMPARE(v->ui.WebBrowser1->geometry(), QRect(0, 45, v->width(), v->height() - 45));
    }

    void firstPageHoldsOneUrlAndNeitherWayIsOpen()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->OpenPage(page("a.htm"), QString());
        QCOMPARE(v->helpHistory, QStringList{page("a.htm")});
        QCOMPARE(v->helpPosition, 0);
        QVERIFY(!v->ui.BackAction->isEnabled());
        QVERIFY(!v->ui.ForwardAction->isEnabled());
        QVERIFY(!v->ui.BackBtn->isEnabled());
        QVERIFY(!v->ui.ForwardBtn->isEnabled());
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("Page A")));

        // The anchor is part of the URL.
        v->OpenPage(page("c.htm"), QStringLiteral("Top"));
        QCOMPARE(v->helpHistory.last(), page("c.htm") + QStringLiteral("#Top"));
    }

    void aNewPageAfterBackDropsThePagesAhead()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->OpenPage(page("a.htm"), QString());
        v->OpenPage(page("b.htm"), QString());
        QCOMPARE(v->helpPosition, 1);
        QVERIFY(v->ui.BackAction->isEnabled());
        QVERIFY(!v->ui.ForwardAction->isEnabled());

        v->ui.BackBtn->click();
        QCOMPARE(v->helpPosition, 0);
        QCOMPARE(v->helpHistory.size(), 2); // moving back changes no entry
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("Page A")));
        QVERIFY(!v->ui.BackAction->isEnabled());
        QVERIFY(v->ui.ForwardAction->isEnabled());

        v->OpenPage(page("c.htm"), QString());
        QCOMPARE(v->helpHistory, (QStringList{page("a.htm"), page("c.htm")}));
        QCOMPARE(v->helpPosition, 1);
        QVERIFY(!v->ui.ForwardAction->isEnabled());
        QVERIFY(v->ui.BackAction->isEnabled());

        v->ui.BackBtn->click();
        QCOMPARE(v->helpPosition, 0);
        QCOMPARE(v->ui.WebBrowser1->LocationURL(), page("a.htm"));
        v->ui.ForwardBtn->click();
        QCOMPARE(v->helpPosition, 1);
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("Page C")));
    }

    void aKnownUrlInAnyLetterCaseOnlyMovesThePosition()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->OpenPage(page("a.htm"), QStringLiteral("Bottom"));
        v->OpenPage(page("b.htm"), QString());
        v->OpenPage(page("c.htm"), QString());
        const QStringList history = v->helpHistory;

        v->OpenPage(page("a.htm"), QStringLiteral("bottom"));
        QCOMPARE(v->helpHistory, history);
        QCOMPARE(v->helpPosition, 0);
        QVERIFY(v->ui.ForwardAction->isEnabled());

        v->OpenPage(page("b.htm").toUpper(), QString());
        QCOMPARE(v->helpHistory, history);
        QCOMPARE(v->helpPosition, 1);

        // Another anchor of a known page is a new URL.
        v->OpenPage(page("a.htm"), QString());
        QCOMPARE(v->helpHistory, (QStringList{history.at(0), history.at(1), page("a.htm")}));
        QCOMPARE(v->helpPosition, 2);
    }

    void everyNavigationIsAnnouncedAlsoALinkClick()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        QSignalSpy announced(v->ui.WebBrowser1, &TKRWebBrowser::OnBeforeNavigate2);
        v->resize(400, 300);
        v->OpenPage(page("a.htm"), QString());
        QVERIFY(activate(v));
        QCOMPARE(announced.size(), 1);
        QCOMPARE(announced.at(0).at(1).toString(), page("a.htm"));

        // A click on the link to B.
        TKRWebBrowser *browser = v->ui.WebBrowser1;
        const QPoint at = linkPosition(browser, QStringLiteral("b.htm"));
        QVERIFY(at.x() >= 0);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at + QPoint(4, 0));
        QTRY_COMPARE(announced.size(), 2);
        QCOMPARE(announced.at(1).at(1).toString(), page("b.htm"));
        QCOMPARE(v->helpHistory, (QStringList{page("a.htm"), page("b.htm")}));
        QCOMPARE(v->helpPosition, 1);
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Page B")));

        // A link into another page's anchor is reported in the same spelling as the
        // pages opened by path.
        QCOMPARE(browser->resolveLink(QUrl(QStringLiteral("a.htm#Bottom"))), page("a.htm") + QStringLiteral("#Bottom"));
        QCOMPARE(browser->resolveLink(QUrl(QStringLiteral("#Top"))), page("b.htm") + QStringLiteral("#Top"));
        QCOMPARE(browser->resolveLink(QUrl(QStringLiteral("http://example.org/x"))), QStringLiteral("http://example.org/x"));

        // Back through the button, then the in-page link of A.
        v->ui.BackBtn->click();
        QCOMPARE(v->helpPosition, 0);
        const QPoint bottom = linkPosition(browser, QStringLiteral("#Bottom"));
        QVERIFY(bottom.x() >= 0);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, bottom + QPoint(4, 0));
        QTRY_COMPARE(v->helpHistory.size(), 2);
        QCOMPARE(v->helpHistory.last(), page("a.htm") + QStringLiteral("#Bottom"));
        QCOMPARE(browser->LocationURL(), page("a.htm") + QStringLiteral("#Bottom"));
        QVERIFY(browser->verticalScrollBar()->value() > 0);
    }

    void anAnchorScrollsThereAndAPageWithoutOneStartsAtTheTop()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->resize(400, 300);
        // Opened while hidden: the browser scrolls when it appears.
        v->OpenPage(page("a.htm"), QStringLiteral("Bottom"));
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QScrollBar *bar = v->ui.WebBrowser1->verticalScrollBar();
        QTRY_VERIFY(bar->value() > 0);
        QCOMPARE(bar->value(), bar->maximum()); // the anchor is the last line
        v->OpenPage(page("a.htm"), QString());
        QCOMPARE(bar->value(), 0);
        v->OpenPage(page("a.htm"), QStringLiteral("Bottom"));
        QCOMPARE(bar->value(), bar->maximum());
    }

    void aMissingPageShowsANoticeAndStaysInTheHistory()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->OpenPage(page("a.htm"), QString());
        const QString missing = page("missing/none.htm");
        v->OpenPage(missing, QStringLiteral("Flow"));
        QCOMPARE(v->helpHistory.last(), missing + QStringLiteral("#Flow"));
        QCOMPARE(v->helpPosition, 1);
        QVERIFY(!v->ui.WebBrowser1->pageLoaded());
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("cannot be found")));
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("none.htm")));
        // A location on another scheme is no page of this viewer either.
        v->OpenPage(QStringLiteral("http://example.org/help.htm"), QString());
        QVERIFY(!v->ui.WebBrowser1->pageLoaded());
        QCOMPARE(v->helpPosition, 2);
        // Back to a page that is there.
        v->ui.BackBtn->click();
        v->ui.BackBtn->click();
        QVERIFY(v->ui.WebBrowser1->pageLoaded());
        QVERIFY(v->ui.WebBrowser1->toPlainText().contains(QStringLiteral("Page A")));
    }

    void altArrowsClickTheButtonsOnlyWhenEnabled()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->OpenPage(page("a.htm"), QString());
        QVERIFY(activate(v));
        TKRWebBrowser *browser = v->ui.WebBrowser1;
        browser->setFocus(Qt::TabFocusReason);

        // Back disabled: nothing happens.
        QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(v->helpHistory.size(), 1);
        QCOMPARE(v->helpPosition, 0);
        QCOMPARE(browser->LocationURL(), page("a.htm"));

        v->OpenPage(page("b.htm"), QString());
        v->OpenPage(page("c.htm"), QString());
        QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(v->helpPosition, 1);
        QCOMPARE(browser->LocationURL(), page("b.htm"));
        // The keys work whichever control has the focus.
        QTest::keyClick(v->ui.ForwardBtn, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(v->helpPosition, 0);
        QTest::keyClick(v->ui.BackBtn, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(v->helpPosition, 1);
        // Only Alt alone counts.
        QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(browser, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyClick(browser, Qt::Key_Left);
        QCOMPARE(v->helpPosition, 1);
        QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(v->helpPosition, 2);
        // Forward disabled at the newest page: nothing happens.
        QVERIFY(!v->ui.ForwardBtn->isEnabled());
        QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(v->helpPosition, 2);
        QCOMPARE(v->helpHistory.size(), 3);

        // The shortcuts of the actions.
        QTest::keyClick(browser, Qt::Key_B, Qt::ControlModifier);
        QTRY_COMPARE(v->helpPosition, 1);
        QTest::keyClick(browser, Qt::Key_F, Qt::ControlModifier);
        QTRY_COMPARE(v->helpPosition, 2);
    }

    void geometryFallsBackToTheDefaultSizeAtTheMainWindowCorner_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QRect>("expected"); // left, top, width, height
        QTest::newRow("nothing stored") << -1 << -1 << -1 << -1 << QRect(MainCorner, QSize(414, 454));
        QTest::newRow("zeros") << 0 << 0 << 0 << 0 << QRect(MainCorner, QSize(414, 454));
        QTest::newRow("negative") << -5 << -1 << -20 << -3 << QRect(MainCorner, QSize(414, 454));
        QTest::newRow("stored") << 300 << 500 << 120 << 130 << QRect(130, 120, 500, 300);
        QTest::newRow("size only") << 280 << 360 << 0 << 0 << QRect(MainCorner, QSize(360, 280));
        QTest::newRow("place only") << 0 << 0 << 77 << 66 << QRect(66, 77, 414, 454);
    }
    void geometryFallsBackToTheDefaultSizeAtTheMainWindowCorner()
    {
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QRect, expected);
        if (height != -1) {
            store("HelpViewHeight", height);
            store("HelpViewWidth", width);
            store("HelpViewTop", top);
            store("HelpViewLeft", left);
        }
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->show();
        QCOMPARE(v->size(), expected.size());
        QCOMPARE(v->pos(), expected.topLeft());
    }

    // A stored value that is no number counts as not stored.
    void aGeometryThatIsNoNumberCountsAsAbsent()
    {
        QVERIFY(RegistryClient(Section).writeString(QString(), QStringLiteral("HelpViewWidth"), QStringLiteral("wide")));
        store("HelpViewTop", 10);
        store("HelpViewLeft", 12);
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->show();
        QCOMPARE(v->size(), QSize(414, 454));
        QCOMPARE(v->pos(), QPoint(12, 10));
    }

    void anUnreadableSettingsFileCentresTheWindow()
    {
        store("HelpViewTop", 10);
        store("HelpViewLeft", 10);
        // The settings file's place is taken by a folder: nothing can be read.
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/KR/KRRegistry.ini");
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file));
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->show();
        QVERIFY(QDir(file).removeRecursively());
        QCOMPARE(v->size(), QSize(414, 454));
        const QPoint centre = v->screen()->availableGeometry().center();
        QCOMPARE(v->pos(), centre - QPoint(414 / 2, 454 / 2));
    }

    // A damaged settings file: the window opens within the screen, its title bar on it.
    void absurdGeometryGivesAWindowOnTheScreen_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::newRow("huge, far up and left") << 16777215 << 16777215 << -2147483647 << -2147483647;
        QTest::newRow("huge, far down and right") << 16777215 << 16777215 << 2147483647 << 2147483647;
        QTest::newRow("largest int") << 2147483647 << 2147483647 << 1 << 1;
        QTest::newRow("below the screen") << 300 << 300 << 5000 << 20;
        QTest::newRow("title bar above the screen") << 300 << 300 << -10 << 20;
        QTest::newRow("right of the screen") << 300 << 300 << 20 << 790;
    }
    void absurdGeometryGivesAWindowOnTheScreen()
    {
        QFETCH(int, height);
        QFETCH(int, width);
        QFETCH(int, top);
        QFETCH(int, left);
        store("HelpViewHeight", height);
        store("HelpViewWidth", width);
        store("HelpViewTop", top);
        store("HelpViewLeft", left);
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v));
        const QRect screen = v->screen()->availableGeometry();
        QVERIFY2(screen.contains(v->frameGeometry().topLeft()), qPrintable(QStringLiteral("at %1,%2").arg(v->x()).arg(v->y())));
        QVERIFY(v->width() <= screen.width() && v->height() <= screen.height());
        QVERIFY(v->width() >= v->minimumWidth() && v->height() >= v->minimumHeight());
        QVERIFY(v->width() >= 1 && v->height() >= 1);
        // A window of a sane size paints.
        QVERIFY(!v->grab().isNull());
    }

    void closingStoresTheGeometryAndFreesTheWindow()
    {
        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        QSignalSpy closed(v, &TfrmHTMLBrowser::FormClosed);
        v->OpenPage(page("a.htm"), QString());
        v->show();
        v->resize(420, 310);
        v->move(70, 80);
        QVERIFY(v->close());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(closed.at(0).at(0).value<TfrmHTMLBrowser *>(), v);
        QCOMPARE(storedInt("HelpViewHeight"), 310);
        QCOMPARE(storedInt("HelpViewWidth"), 420);
        QCOMPARE(storedInt("HelpViewTop"), 80);
        QCOMPARE(storedInt("HelpViewLeft"), 70);
        QTRY_VERIFY(guard.viewer.isNull());

        // The next window opens where this one was closed.
        ViewerGuard again;
        TfrmHTMLBrowser *next = newViewer(again);
        next->show();
        QCOMPARE(next->geometry().size(), QSize(420, 310));
        QCOMPARE(next->pos(), QPoint(70, 80));
        QCOMPARE(next->helpPosition, -1);
    }

    void closingFreesTheWindowEvenWhenStoringFails()
    {
        // A settings folder below a plain file cannot be created.
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("file/config")).toLocal8Bit());
        const bool writable = RegistryClient(Section).writeInteger(QString(), QStringLiteral("Probe"), 1);

        ViewerGuard guard;
        TfrmHTMLBrowser *v = newViewer(guard);
        QSignalSpy closed(v, &TfrmHTMLBrowser::FormClosed);
        v->show();
        v->close();
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QVERIFY(!writable);
        QCOMPARE(closed.size(), 1);
        QTRY_VERIFY(guard.viewer.isNull());
    }

    void aHandlerCanCancelANavigation()
    {
        TKRWebBrowser browser;
        browser.Navigate(page("a.htm"));
        QObject::connect(&browser, &TKRWebBrowser::OnBeforeNavigate2, &browser,
                         [](QObject *, const QVariant &, bool *cancel) { *cancel = true; });
        QSignalSpy completed(&browser, &TKRWebBrowser::OnNavigateComplete2);
        browser.Navigate(page("b.htm"));
        QCOMPARE(completed.size(), 0);
        QCOMPARE(browser.LocationURL(), page("a.htm"));
        QVERIFY(browser.toPlainText().contains(QStringLiteral("Page A")));
    }

    void locationsSplitIntoFileAndAnchor_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("path") << "/opt/kr/help/KR_715Hlp.htm" << "/opt/kr/help/KR_715Hlp.htm" << "";
        QTest::newRow("path and anchor") << "/opt/kr/help/KR_715Hlp.htm#Flow" << "/opt/kr/help/KR_715Hlp.htm" << "Flow";
        QTest::newRow("empty anchor") << "/opt/kr/a.htm#" << "/opt/kr/a.htm" << "";
        QTest::newRow("hash in a folder") << "/opt/k#r/a.htm" << "/opt/k#r/a.htm" << "";
        QTest::newRow("file url") << "file:///opt/kr/a.htm#Top" << "/opt/kr/a.htm" << "Top";
        QTest::newRow("web") << "http://example.org/a.htm#Top" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void locationsSplitIntoFileAndAnchor()
    {
        QFETCH(QString, location);
        QFETCH(QString, file);
        QFETCH(QString, anchor);
        QString gotFile, gotAnchor;
        TKRWebBrowser::splitLocation(location, &gotFile, &gotAnchor);
        QCOMPARE(gotFile, file);
        QCOMPARE(gotAnchor, anchor);
    }
};

QTEST_MAIN(HelpViewerTest)
#include "tst_helpviewer.moc"
