#include "MibViewU.h"
#include "WindowPlace.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

TfrmMIBView::TfrmMIBView(QWidget *parent) : QWidget(parent, Qt::Window)
{
    ui.setupUi(this);
    setMinimumSize(MinimumSide, MinimumSide);
    connect(ui.axZentixView, &TZentix::OnDblClick, this, &TfrmMIBView::axZentixViewDblClick);
}

void TfrmMIBView::axZentixViewDblClick()
{
    if (!m_host)
        return;
    const QString physId = ui.axZentixView->PhysId();
    m_host->AddToPhysIdHistory(physId);
    m_host->SelectDevice(physId);
    m_host->physIdChosen();
    qint32 meterNumber = 0;
    // The serial number: the first six digits of the meter number (at least two).
    if (m_host->readMeterNumber(meterNumber))
        m_host->showSerialNumber(QStringLiteral("%1").arg(static_cast<quint32>(meterNumber), 2, 16, QLatin1Char('0')).toUpper().left(6));
    m_host->showSerialNumberNormal();
    hide();
}

void TfrmMIBView::FormShow()
{
    if (!m_host)
        return;
    int height = 0, width = 0, top = 0, left = 0;
    const bool read = m_host->readSetting(QStringLiteral("MIBViewHeight"), height)
                      && m_host->readSetting(QStringLiteral("MIBViewWidth"), width)
                      && m_host->readSetting(QStringLiteral("MIBViewTop"), top)
                      && m_host->readSetting(QStringLiteral("MIBViewLeft"), left);
    const QRect main = m_host->mainWindowGeometry();
    const QSize size(width >= 1 ? width : 414, height >= 1 ? height : 454);
    if (!read) {
        // No stored place (or an unreadable one): the middle of the screen.
        QPoint place = main.topLeft();
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            place = screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
        windowplace::restore(this, place, size);
        return;
    }
    // The stored place is fitted to the screens it comes back to.
    windowplace::restore(this, QPoint(left >= 1 ? left : main.left(), top >= 1 ? top : main.top()), size);
}

void TfrmMIBView::FormClose()
{
    if (!m_host)
        return;
    const QRect frame = frameGeometry();
    m_host->writeSetting(QStringLiteral("MIBViewHeight"), height());
    m_host->writeSetting(QStringLiteral("MIBViewWidth"), width());
    m_host->writeSetting(QStringLiteral("MIBViewTop"), frame.top());
    m_host->writeSetting(QStringLiteral("MIBViewLeft"), frame.left());
}

void TfrmMIBView::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TfrmMIBView::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event); // the view is only hidden
}
