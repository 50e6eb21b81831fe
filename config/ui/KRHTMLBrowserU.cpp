#include "KRHTMLBrowserU.h"
#include "WindowPlace.h"

#include "Pictures.h"
#include "RegDllHeader.h"
#include "RegistryClient.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <initializer_list>

namespace {

const char *const HelpViewHeight = "HelpViewHeight";
const char *const HelpViewWidth = "HelpViewWidth";
const char *const HelpViewTop = "HelpViewTop";
const char *const HelpViewLeft = "HelpViewLeft";

// The hot image: the arrow in the highlight colour of a link.
QPixmap hotImage(const QPixmap &image)
{
    QPixmap hot(image.size());
    hot.fill(Qt::transparent);
    QPainter painter(&hot);
    painter.drawPixmap(0, 0, image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(hot.rect(), QColor(0, 84, 166));
    return hot;
}

// The navigator buttons keep their design size (49 x 45); a caption that does not fit
// in the desktop's font gets a smaller one, so that it shows whole.
void fitCaptions(std::initializer_list<QToolButton *> buttons)
{
    constexpr int Room = 49 - 8; // button width less frame and margins
    for (QToolButton *button : buttons) {
        QFont font = button->font();
        while (QFontMetrics(font).horizontalAdvance(button->text()) > Room && font.pointSizeF() > 6.0)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        button->setFont(font);
    }
}

// Scope guard: runs its action when leaving the scope, also by an exception.
template <class F> class Finally {
public:
    explicit Finally(F action) : m_action(action) {}
    ~Finally() { m_action(); }
    Finally(const Finally &) = delete;
    Finally &operator=(const Finally &) = delete;

private:
    F m_action;
};

} // namespace

TfrmHTMLBrowser::TfrmHTMLBrowser(const QString &settingsSection, const QPoint &mainWindowTopLeft,
                                 QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_settingsSection(settingsSection)
    , m_mainWindowTopLeft(mainWindowTopLeft)
{
    ui.setupUi(this);
    // Closing the window frees it.
    setAttribute(Qt::WA_DeleteOnClose);

    makeNavigatorImages();
    for (int i = 0; i < 2; ++i) {
        QIcon icon(NavigatorImages.at(i));
        icon.addPixmap(NavigatorHotImages.at(i), QIcon::Active);
        (i == 0 ? ui.BackAction : ui.ForwardAction)->setIcon(icon);
    }
    ui.BackBtn->setDefaultAction(ui.BackAction);
    ui.ForwardBtn->setDefaultAction(ui.ForwardAction);
    fitCaptions({ui.BackBtn, ui.ForwardBtn});
    connect(ui.BackAction, &QAction::triggered, this, &TfrmHTMLBrowser::BackClick);
    connect(ui.ForwardAction, &QAction::triggered, this, &TfrmHTMLBrowser::ForwardClick);
    connect(ui.WebBrowser1, &TKRWebBrowser::OnBeforeNavigate2, this,
            &TfrmHTMLBrowser::WebBrowser1BeforeNavigate2);

    // The window sees the keys before its controls do.
    installEventFilter(this);
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children)
        child->installEventFilter(this);

    FormCreate();
}

TfrmHTMLBrowser::~TfrmHTMLBrowser()
{
    FormDestroy();
}

void TfrmHTMLBrowser::makeNavigatorImages()
{
    const QSize size(ImageWidth, ImageHeight);
    NavigatorImages = {krPicture(QStringLiteral("ArrowLeft"), size), krPicture(QStringLiteral("ArrowRight"), size)};
    NavigatorHotImages = {hotImage(NavigatorImages.at(0)), hotImage(NavigatorImages.at(1))};
}

void TfrmHTMLBrowser::FormCreate()
{
    helpPosition = -1;
    helpHistory.clear();
    updateActions();
}

void TfrmHTMLBrowser::FormDestroy()
{
    helpHistory.clear();
}

void TfrmHTMLBrowser::OpenPage(const QString &page, const QString &anchor)
{
    const QString url = anchor.isEmpty() ? page : page + QLatin1Char('#') + anchor;
    // No flags, no target frame, no post data, no extra headers.
    ui.WebBrowser1->Navigate(url, QVariant(), QVariant(), QVariant(), QVariant());
    raise();
    if (isVisible())
        activateWindow();
}

void TfrmHTMLBrowser::WebBrowser1BeforeNavigate2(QObject *sender, const QVariant &url, bool *cancel)
{
    Q_UNUSED(sender)
    Q_UNUSED(cancel) // navigation always goes on
    const QString text = url.toString();
    int found = -1;
    for (int i = 0; i < helpHistory.size(); ++i) {
        if (helpHistory.at(i).compare(text, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found >= 0) {
        // Back, Forward or a page visited before: the history stays as it is.
        helpPosition = found;
    } else {
        // A new page: the pages after the one shown are dropped.
        if (helpPosition >= 0) {
            while (helpHistory.size() > helpPosition + 1)
                helpHistory.removeLast();
        }
        helpHistory.append(text);
        helpPosition = int(helpHistory.size()) - 1;
    }
    updateActions();
}

void TfrmHTMLBrowser::BackClick()
{
    const int target = helpPosition - 1;
    if (target >= 0 && target < helpHistory.size())
        OpenPage(helpHistory.at(target), QString());
}

void TfrmHTMLBrowser::ForwardClick()
{
    const int target = helpPosition + 1;
    if (target >= 0 && target < helpHistory.size())
        OpenPage(helpHistory.at(target), QString());
}

void TfrmHTMLBrowser::BackActionUpdate()
{
    ui.BackAction->setEnabled(!helpHistory.isEmpty() && helpPosition > 0);
}

void TfrmHTMLBrowser::ForwardActionUpdate()
{
    ui.ForwardAction->setEnabled(!helpHistory.isEmpty() && helpPosition < helpHistory.size() - 1);
}

void TfrmHTMLBrowser::updateActions()
{
    // The enabled states follow the history whenever it changes, so they are right
    // whenever the operator can see them.
    BackActionUpdate();
    ForwardActionUpdate();
}

bool TfrmHTMLBrowser::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    // Arrows of the numeric keypad count as arrows.
    if ((shift & ~Qt::KeypadModifier) != Qt::AltModifier)
        return false;
    if (key == Qt::Key_Right) {
        if (ui.ForwardBtn->isEnabled())
            ui.ForwardBtn->click();
        return true;
    }
    if (key == Qt::Key_Left) {
        if (ui.BackBtn->isEnabled())
            ui.BackBtn->click();
        return true;
    }
    return false;
}

bool TfrmHTMLBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (FormKeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmHTMLBrowser::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormShow();
    QWidget::setVisible(visible);
}

void TfrmHTMLBrowser::FormShow()
{
    RegistryClient registry(m_settingsSection);
    const char *const names[] = {HelpViewHeight, HelpViewWidth, HelpViewTop, HelpViewLeft};
    int values[4] = {0, 0, 0, 0};
    bool failed = false;
    for (int i = 0; i < 4 && !failed; ++i) {
        // Nothing stored yet is no error, nor is a value that is no number (it counts
        // as not stored): the defaults apply.
        if (!registry.readInteger(QString(), QLatin1String(names[i]), values[i])
            && registry.lastStatus() != KRREG_ERROR_NOT_FOUND && registry.lastStatus() != KRREG_ERROR_INVALID_DATA) {
            values[i] = 0;
            failed = true;
        }
    }
    const int height = values[0] >= 1 ? values[0] : DefaultHeight;
    const int width = values[1] >= 1 ? values[1] : DefaultWidth;
    if (failed) {
        // The stored place cannot be read: the middle of the screen.
        QPoint place = m_mainWindowTopLeft;
        if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
            place = screen->availableGeometry().center() - QPoint(width / 2, height / 2);
        windowplace::restore(this, place, QSize(width, height));
        return;
    }
    const int top = values[2] >= 1 ? values[2] : m_mainWindowTopLeft.y();
    const int left = values[3] >= 1 ? values[3] : m_mainWindowTopLeft.x();
    // The stored place is fitted to the screens it comes back to.
    windowplace::restore(this, QPoint(left, top), QSize(width, height));
}

void TfrmHTMLBrowser::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    // Whatever happens while writing, the owner forgets this window.
    const Finally forget([this] { emit FormClosed(this); });
    RegistryClient registry(m_settingsSection);
    const QPoint place = pos();
    registry.writeInteger(QString(), QLatin1String(HelpViewHeight), height());
    registry.writeInteger(QString(), QLatin1String(HelpViewWidth), width());
    registry.writeInteger(QString(), QLatin1String(HelpViewTop), place.y());
    registry.writeInteger(QString(), QLatin1String(HelpViewLeft), place.x());
}

void TfrmHTMLBrowser::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event); // accepted: the window goes and is freed
}
