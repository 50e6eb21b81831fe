#pragma once
// Context help of the main window. Controls and tab pages carry a help context number
// (their dynamic property "HelpContext"); F1 opens the help page "KR_715Hlp.htm" in the
// folder "help" next to the program, at the anchor that belongs to the number of the
// focused control (or of its nearest parent that has one), in the help viewer
// TfrmHTMLBrowser. The "Help" button opens the page at its general section.
//
// The viewer is created, owned by the main window, on the first request and serves
// every later one until the operator closes it; closing frees it and the next request
// creates a new one. The main window closes and frees it when it goes itself.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class KR715Session;
class QWidget;
class TfrmHTMLBrowser;

// Help command that FormHelp serves: show the topic of a context number.
constexpr quint16 HELP_CONTEXT = 0x0001;

// Anchor of the help page for a help context number: "Contents" for 0, for numbers
// above 64 and for any number without a topic of its own.
QString helpAnchorForContext(int context);

// The help page under the program's folder: folder + "/help/KR_715Hlp.htm".
QString helpPagePath(const QString &programFolder);

class HelpTopics : public QObject {
    Q_OBJECT
public:
    // Creates the viewer for a request; nullptr when it cannot.
    using ViewerFactory = std::function<TfrmHTMLBrowser *(QWidget *owner)>;

    // mainWindow: the owner of the viewer and the parent of the message; its position
    // is where the viewer opens when none is stored. settingsSection gives the section
    // of the program's settings at the time of a request.
    HelpTopics(KR715Session &session, QWidget *mainWindow, std::function<QString()> settingsSection,
               QObject *parent = nullptr);
    ~HelpTopics() override;

    // Connects bu715HELP, the F1 key of btnInpCalib, the page changes of pc715 and F1
    // on every control of the main window (and of its floating tab panels).
    void connectHandlers();

    // The form's help handler: opens the topic of the context number data. command
    // is the help command (HELP_CONTEXT); callHelp, the toolkit's flag that asks for
    // the system help, is left as it is. False, after "Sorry, No help", on failure.
    bool FormHelp(quint16 command, int data, bool &callHelp);
    // "Help": the general section.
    void bu715HELPClick();
    // A key on the "Calibration" button: F1 opens the calibration topic.
    void btnInpCalibKeyDown(int key);
    // The page control shows another tab: the control takes that tab's help context,
    // so that F1 on the tab strip opens the tab's topic, and the tab takes the focus.
    // Neither the change nor this focus enters or leaves a field of a page.
    void pc715Change();
    // The operator is about to show another tab (a click on the tab strip, the wheel
    // over it, Ctrl+Tab): the focus goes to the page control first, as a click on it
    // does, so that the page change does not carry the focus through the fields of the
    // pages shown and hidden.
    void pc715Changing();

    // The help context F1 on widget asks for: widget's own, else that of its nearest
    // parent that has one (0 when none has). False when widget does not belong to
    // root (the main window): it sits in another window, such as a dialog or the viewer.
    static bool helpContextOf(const QWidget *widget, const QWidget *root, int *context);

    // The viewer, nullptr while there is none.
    TfrmHTMLBrowser *viewer() const;
    // Closes and frees the viewer, if there is one, and forgets it.
    void closeViewer();

    // The folder that holds the help folder; the program's folder unless set.
    QString programFolder() const;
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    // How the viewer is created; the default creates TfrmHTMLBrowser.
    void setViewerFactory(ViewerFactory factory) { m_factory = std::move(factory); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool openTopic(const QString &anchor);
    TfrmHTMLBrowser *createViewer(QWidget *owner) const;
    void viewerClosed(TfrmHTMLBrowser *viewer);

    KR715Session &m_session;
    QWidget *m_mainWindow;
    std::function<QString()> m_settingsSection;
    QPointer<TfrmHTMLBrowser> m_viewer;
    QPointer<QWidget> m_calibrationButton;
    QString m_programFolder;
    ViewerFactory m_factory;
};
