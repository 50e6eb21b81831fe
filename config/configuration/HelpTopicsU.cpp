#include "HelpTopicsU.h"

#include "DialogService.h"
#include "KR715Session.h"
#include "KRHTMLBrowserU.h"
#include "KRLanguage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace {

const char *const HelpContextProperty = "HelpContext";
const char *const HelpFolder = "help/";
const char *const HelpPageName = "KR_715Hlp.htm";
const char *const GeneralInformation = "General_Information";

// A window the controls of the main window can sit in besides the main window itself:
// the floating window of a tab panel (a tool window) or the drop-down of a list (a
// popup). Dialogs and other windows have help of their own, or none.
bool isPartOfMainWindow(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return type == Qt::Tool || type == Qt::Popup;
}

} // namespace

QString helpAnchorForContext(int context)
{
    switch (context) {
    case 1: return QStringLiteral("Meter");
    case 2: case 10: return QStringLiteral("Flow");
    case 3: case 11: return QStringLiteral("Vol1");
    case 4: case 12: return QStringLiteral("Vol2");
    case 5: return QStringLiteral("Error");
    case 6: return QStringLiteral("Enter_Serial_no");
    case 7: return QStringLiteral("Device_Type");
    case 8: return QStringLiteral("P_NET_No");
    case 9: return QStringLiteral("Program_Version");
    case 13: return QStringLiteral("Instant_Flow");
    case 14: return QStringLiteral("TCFlow");
    case 15: return QStringLiteral("Temperature");
    case 16: case 26: case 33: return QStringLiteral("Setpoint");
    case 17: return QStringLiteral("Output2");
    case 18: case 19: case 20: return QStringLiteral("Output3");
    case 21: case 23: return QStringLiteral("Function_of_output3");
    case 22: return QStringLiteral("Data_for_output3");
    case 24: case 25: return QStringLiteral("Regulator_function");
    case 27: case 28: case 49: return QStringLiteral("PI_parameters");
    case 29: return QStringLiteral("PI_Regulator_mode");
    case 30: case 35: return QStringLiteral("Function_of_output2");
    case 31: return QStringLiteral("Data_for_output2");
    case 32: return QStringLiteral("Resolution_of_vol1");
    case 34: return QStringLiteral("Volume_calculation");
    case 36: case 48: return QStringLiteral("Meter_size");
    case 37: return QStringLiteral("Unit");
    case 38: return QStringLiteral("Temp_unit");
    case 39: case 40: return QStringLiteral("Fit_to_manufacturer_setting");
    case 41: return QStringLiteral("Input1_function");
    case 42: return QStringLiteral("Calibration");
    case 43: return QStringLiteral("Flow_unit");
    case 44: return QStringLiteral("Time_constant");
    case 45: return QStringLiteral("Mode_of_operation");
    case 46: return QStringLiteral("Flow_directions");
    case 47: return QStringLiteral("Flow_calc");
    case 50: return QStringLiteral("PICode");
    case 51: return QStringLiteral("MeterNumber");
    case 52: return QStringLiteral("Scale");
    case 53: return QStringLiteral("Code1");
    case 54: return QStringLiteral("Code2");
    case 55: return QStringLiteral("Code3");
    case 56: return QStringLiteral("Save_data_to_file");
    case 57: return QStringLiteral("Reset_KR715");
    case 58: return QStringLiteral("Open_file_with_data");
    case 59: return QStringLiteral("General_Tab");
    case 60: return QStringLiteral("Data_Tab");
    case 61: return QStringLiteral("Output3_PI_reg_Tab");
    case 62: return QStringLiteral("Output2_Tab");
    case 63: return QStringLiteral("Units_Input_Tab");
    case 64: return QStringLiteral("Config_Tab");
    default: return QStringLiteral("Contents"); // 0, above 64, anything else
    }
}

QString helpPagePath(const QString &programFolder)
{
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QLatin1String(HelpFolder) + QLatin1String(HelpPageName);
}

HelpTopics::HelpTopics(KR715Session &session, QWidget *mainWindow, std::function<QString()> settingsSection,
                       QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_mainWindow(mainWindow)
    , m_settingsSection(std::move(settingsSection))
{
}

HelpTopics::~HelpTopics()
{
    // F1 is looked at only while the topics are whole.
    if (qApp)
        qApp->removeEventFilter(this);
    closeViewer();
}

void HelpTopics::connectHandlers()
{
    if (auto *help = m_session.controls.get<QAbstractButton>(QStringLiteral("bu715HELP")))
        connect(help, &QAbstractButton::clicked, this, &HelpTopics::bu715HELPClick);
    if (auto *calibration = m_session.controls.get<QWidget>(QStringLiteral("btnInpCalib"))) {
        m_calibrationButton = calibration;
        calibration->installEventFilter(this);
    }
    if (auto *pages = m_session.controls.get<QTabWidget>(QStringLiteral("pc715"))) {
        // Before the change: the toolkit would otherwise move a focus that lies in the
        // old page into the first field of the new one.
        connect(pages, &QTabWidget::tabBarClicked, this, [this, pages](int index) {
            if (index >= 0 && index != pages->currentIndex())
                pc715Changing();
        });
        connect(pages, &QTabWidget::currentChanged, this, &HelpTopics::pc715Change);
    }
    // F1 reaches the focused control first; the application sees it before any control.
    qApp->installEventFilter(this);
}

TfrmHTMLBrowser *HelpTopics::viewer() const
{
    return m_viewer.data();
}

QString HelpTopics::programFolder() const
{
    return m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
}

bool HelpTopics::helpContextOf(const QWidget *widget, const QWidget *root, int *context)
{
    int found = 0;
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (found == 0)
            found = w->property(HelpContextProperty).toInt();
        if (w == root) {
            *context = found;
            return true;
        }
        if (w->isWindow() && !isPartOfMainWindow(w))
            return false;
    }
    return false;
}

bool HelpTopics::FormHelp(quint16 command, int data, bool &callHelp)
{
    Q_UNUSED(command)  // every request names a context number
    Q_UNUSED(callHelp) // left to the toolkit
    return openTopic(helpAnchorForContext(data));
}

void HelpTopics::bu715HELPClick()
{
    openTopic(QLatin1String(GeneralInformation));
}

void HelpTopics::btnInpCalibKeyDown(int key)
{
    if (key == Qt::Key_F1) {
        bool callHelp = false;
        FormHelp(HELP_CONTEXT, 42, callHelp);
    }
}

void HelpTopics::pc715Changing()
{
    auto *pages = m_session.controls.get<QTabWidget>(QStringLiteral("pc715"));
    QWidget *page = pages ? pages->currentWidget() : nullptr;
    QWidget *focus = QApplication::focusWidget();
    if (page && focus && page->isAncestorOf(focus))
        pages->setFocus(Qt::OtherFocusReason);
}

void HelpTopics::pc715Change()
{
    auto *pages = m_session.controls.get<QTabWidget>(QStringLiteral("pc715"));
    QWidget *page = pages ? pages->currentWidget() : nullptr;
    if (!page)
        return;
    pages->setProperty(HelpContextProperty, page->property(HelpContextProperty).toInt());
    page->setFocus(Qt::OtherFocusReason);
}

TfrmHTMLBrowser *HelpTopics::createViewer(QWidget *owner) const
{
    const QString section = m_settingsSection ? m_settingsSection() : QString();
    const QPoint corner = owner ? owner->pos() : QPoint();
    return new TfrmHTMLBrowser(section, corner, owner);
}

bool HelpTopics::openTopic(const QString &anchor)
{
    const QString page = helpPagePath(programFolder());
    bool opened = false;
    try {
        if (!m_viewer) {
            TfrmHTMLBrowser *viewer = m_factory ? m_factory(m_mainWindow) : createViewer(m_mainWindow);
            if (viewer) {
                m_viewer = viewer;
                connect(viewer, &TfrmHTMLBrowser::FormClosed, this, &HelpTopics::viewerClosed);
            }
        }
        if (m_viewer) {
            m_viewer->OpenPage(page, anchor);
            m_viewer->show();
            opened = true;
        }
    } catch (...) {
        opened = false;
    }
    if (!opened && m_session.dialogs) {
        m_session.dialogs->information(m_mainWindow, m_session.translate(QStringLiteral("Sorry, No help")));
    }
    return opened;
}

void HelpTopics::viewerClosed(TfrmHTMLBrowser *viewer)
{
    if (m_viewer == viewer)
        m_viewer = nullptr;
}

void HelpTopics::closeViewer()
{
    QPointer<TfrmHTMLBrowser> viewer = m_viewer;
    m_viewer = nullptr;
    if (!viewer)
        return;
    viewer->close();
    delete viewer.data();
}

namespace {

// The keys with which QTabWidget steps through its pages.
bool stepsPages(const QKeyEvent *key)
{
    if (!(key->modifiers() & Qt::ControlModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

bool HelpTopics::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel || event->type() == QEvent::KeyPress) {
        auto *pages = m_session.controls.get<QTabWidget>(QStringLiteral("pc715"));
        if (pages && watched == pages->tabBar() && event->type() == QEvent::Wheel)
            pc715Changing();
        else if (pages && watched == pages && event->type() == QEvent::KeyPress
                 && stepsPages(static_cast<QKeyEvent *>(event)))
            pc715Changing();
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QObject::eventFilter(watched, event);

    if (watched == m_calibrationButton) {
        btnInpCalibKeyDown(key->key());
        return true;
    }
    auto *widget = qobject_cast<QWidget *>(watched);
    int context = 0;
    if (!widget || !m_mainWindow || !helpContextOf(widget, m_mainWindow, &context))
        return QObject::eventFilter(watched, event);
    bool callHelp = false;
    FormHelp(HELP_CONTEXT, context, callHelp);
    return true;
}
