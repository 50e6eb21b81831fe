#pragma once
// The help viewer's embedded browser: a read-only HTML view with a navigate operation
// and a before-navigate notification for every navigation it starts, including those
// started by a click on a link (or by Enter on a link chosen with the keyboard).
//
// Locations are texts. A local page is a file path, optionally followed by "#" and an
// anchor ("/opt/kr715/help/KR_715Hlp.htm#Flow"); "file:" URLs are accepted as well. A
// link inside a local page is reported in the plain path form, so that one place of
// one page always has one spelling. Only local files are shown; a file that cannot be
// read, or a location on another scheme (http, mailto, ...), shows a short notice
// instead of a page. Pages are read as HTML whatever their suffix.

#include <QTextBrowser>
#include <QUrl>
#include <QVariant>

class TKRWebBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit TKRWebBrowser(QWidget *parent = nullptr);

    // Navigates to url: raises OnBeforeNavigate2 with the url; unless a handler cancels,
    // loads the page and scrolls to its anchor (to the top when there is none). flags,
    // targetFrameName, postData and headers belong to the navigate contract of a web
    // browser control; a view of local pages has no frames and sends no requests, so
    // they are accepted and not used.
    void Navigate(const QString &url, const QVariant &flags = QVariant(),
                  const QVariant &targetFrameName = QVariant(), const QVariant &postData = QVariant(),
                  const QVariant &headers = QVariant());

    // The location of the page shown, as it was navigated to; empty before the first.
    QString LocationURL() const { return m_location; }
    // False when the last navigation showed the notice instead of a page.
    bool pageLoaded() const { return m_loaded; }

    // The location a link target (as written in the page) leads to from the page shown.
    QString resolveLink(const QUrl &link) const;

    // Splits a location into the local file it names (empty when it names none) and
    // its anchor.
    static void splitLocation(const QString &location, QString *file, QString *anchor);

signals:
    // Before every navigation. url holds the location as a string; a handler may set
    // *cancel to stop the navigation.
    void OnBeforeNavigate2(QObject *sender, const QVariant &url, bool *cancel);
    // After the page (or the notice) is shown.
    void OnNavigateComplete2(QObject *sender, const QVariant &url);

protected:
    // Pictures and style sheets of a page are looked up next to the page file.
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void linkActivated(const QUrl &link);
    void load(const QString &location);
    void showNotice(const QString &title, const QString &detail);

    QString m_location;
    QString m_pageFile; // absolute path of the page shown, empty for a notice
    bool m_loaded = false;
};
