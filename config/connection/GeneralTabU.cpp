#include "GeneralTabU.h"

#include "KR715Session.h"
#include "DeviceLink.h"
#include "KREdit.h"
#include "RegisterCodec.h"

#include <QPushButton>
#include "Pictures.h"

GeneralTab::GeneralTab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);
}

void GeneralTab::connectHandlers()
{
    connect(ui.btnApplyNAddr, &QPushButton::clicked, this, &GeneralTab::btnApplyNAddrClick);
    connect(ui.edGenNAddr, &TKREdit::OnKeyDown, this, [this](QObject *, int key) { edGenNAddrKeyPress(key); });
}

void GeneralTab::edGenNAddrKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        btnApplyNAddrClick();
}

void GeneralTab::btnApplyNAddrClick()
{
    TKREdit *serial = ui.edGenNAddr;
    auto showNormal = [serial] {
        QPalette palette = serial->palette();
        palette.setColor(QPalette::Text, Qt::black);
        serial->setPalette(palette);
    };
    showNormal();
    DeviceLink *link = m_session.link;
    VariableServer *server = m_session.server.get();
    if (!link || !server)
        return;
    try {
        // The node number the server holds for the current variable.
        const QString address = server->NodeAddress();
        const QString node = address.right(2).trimmed();
        link->selectDeviceVariable(QStringLiteral(".SerialNo"));
        if (!link->CheckServerError()) {
            // Serial number and node number as one raw value: serial << 8 | node.
            const QString digits = serial->text().trimmed();
            bool ok = false;
            const qulonglong raw = (digits + node).toULongLong(&ok, 16);
            if (digits.isEmpty() || node.isEmpty() || !ok || raw > 0xFFFFFFFFull)
                return;
            server->setInValue(static_cast<qint32>(static_cast<quint32>(raw)));
            // The device is reached by its serial number at node 7E.
            server->setNodeAddress(address.left(address.size() - (node.size() == 2 ? 2 : 1)) + QStringLiteral("7E"));
            server->DoWrite();
        }
        if (m_session.device.deviceAccepted) {
            link->selectDeviceVariable(QStringLiteral(".Meternumber"));
            server->DoRead();
            if (link->CheckServerError()) {
                serial->clear();
            } else {
                serial->setText(regcodec::serialText(server->InValue()));
                m_session.initialLoadPending = true;
                m_session.pollSlot = 1;
            }
            showNormal();
        }
    } catch (const automation::AutomationError &) {
        // A failed access ends the assignment without a message.
    }
}
