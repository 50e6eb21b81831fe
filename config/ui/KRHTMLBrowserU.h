#pragma once
// "Help viewer": the program's own help window. A resizable window with the embedded
// browser WebBrowser1 and the buttons Back and Forward, which shows the program's
// HTML help page at a chosen anchor. The main window's help module creates it on the
// first help request and keeps one instance until the operator closes it (closing
// frees it) or the main window goes.
//
// The window keeps its own history of the pages shown: every navigation of the
// browser, also a click on a link, passes WebBrowser1BeforeNavigate2, which either
// moves to a page already in the history (letter case does not matter) or drops the
// pages after the one shown and appends the new one. Back and Forward open the
// neighbours of the page shown; Alt+Left / Alt+Right and Ctrl+B / Ctrl+F do the same.
//
// Its size and place are kept between runs in the program's settings (section of the
// main window, empty key): "HelpViewHeight", "HelpViewWidth", "HelpViewTop" and
// "HelpViewLeft". Height and width are those of the client area, top and left those
// of the window frame.

#include "KRWebBrowser.h"
#include "ui_KRHTMLBrowserU.h"

#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class TfrmHTMLBrowser : public QWidget {
    Q_OBJECT
public:
    // Size at design time and the size used when none is stored.
    static constexpr int DesignWidth = 344;
    static constexpr int DesignHeight = 349;
    static constexpr int DefaultWidth = 414;
    static constexpr int DefaultHeight = 454;
    // Size of the images of the navigator buttons.
    static constexpr int ImageWidth = 30;
    static constexpr int ImageHeight = 20;

    // settingsSection: the section of the program's settings; mainWindowTopLeft: where
    // the window goes when no place is stored. parent: the owner (the main window); the
    // viewer is a window of its own all the same.
    TfrmHTMLBrowser(const QString &settingsSection, const QPoint &mainWindowTopLeft,
                    QWidget *parent = nullptr);
    ~TfrmHTMLBrowser() override;

    Ui::TfrmHTMLBrowser ui;
    // Images 0 (back) and 1 (forward) of the navigator buttons; the hot images show
    // while the mouse is over a button.
    QList<QPixmap> NavigatorImages;
    QList<QPixmap> NavigatorHotImages;

    // Pages visited (URL texts), in visiting order, and the index of the page shown;
    // -1 before the first page.
    QStringList helpHistory;
    int helpPosition = -1;

    // Shows page at anchor (the page alone when anchor is empty) and brings the
    // window to the front.
    void OpenPage(const QString &page, const QString &anchor);

    // Handlers
    void FormCreate();
    void FormDestroy();
    void FormShow();
    void FormClose();
    // True when the key was taken: Alt alone with Left or Right.
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void WebBrowser1BeforeNavigate2(QObject *sender, const QVariant &url, bool *cancel);
    void BackClick();
    void ForwardClick();
    void BackActionUpdate();
    void ForwardActionUpdate();

    const QString &settingsSection() const { return m_settingsSection; }

signals:
    // The window is closing and will be freed; whoever holds it must forget it.
    // Raised even when storing the geometry fails.
    void FormClosed(TfrmHTMLBrowser *sender);

public:
    // The place and size are applied before the window first appears (and whenever it
    // is shown again after being hidden).
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeNavigatorImages();
    void updateActions();

    QString m_settingsSection;
    QPoint m_mainWindowTopLeft;
    bool m_closed = false;
};
