#include "DeviceLink.h"

#include "DialogService.h"
#include "KRComboBox.h"
#include "KRLanguage.h"
#include "PhysIdHistory.h"
#include "RegisterCodec.h"

#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTime>
#include <QTimer>

namespace {

void setTextColour(QWidget *widget, const QColor &colour)
{
    if (!widget)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// The platform's long time format: hours, minutes and seconds.
QString longTimeText()
{
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(QTime::currentTime(), format.trimmed());
}

} // namespace

DeviceLink::DeviceLink(KR715Session &session, QWidget *window, QTimer *updateTimer, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_window(window)
    , m_updateTimer(updateTimer)
    , m_physIdBox(session.controls.get<TKRComboBox>(QStringLiteral("cmb715PhysId")))
    , m_errorBox(session.controls.get<QComboBox>(QStringLiteral("cmb715Error")))
{
    // A typed PhysId stays as typed. The history is offered in the drop-down list but
    // never completed into the box ("FT101" typed must not become "FT101.Flow"), and
    // Enter neither adds the text to the list nor replaces it by a listed entry that
    // differs only in letter case (that would count as choosing the entry and select
    // the device a second time): the history is kept by AddToPhysIdHistory alone.
    if (m_physIdBox) {
        m_physIdBox->setCompleter(nullptr);
        m_physIdBox->setInsertPolicy(QComboBox::NoInsert);
    }
}

bool DeviceLink::ensureServer()
{
    if (m_session.server)
        return true;
    try {
        m_session.server = VariableServer::create();
        return true;
    } catch (const automation::AutomationError &e) {
        // The platform's own error report; the next selection tries again.
        if (m_session.dialogs)
            m_session.dialogs->warning(m_window, e.text());
        return false;
    }
}

void DeviceLink::selectDeviceVariable(const QString &variable)
{
    m_session.server->SelectVariable(m_session.device.currentPhysId + variable);
}

void DeviceLink::AddToPhysIdHistory(const QString &physId)
{
    if (!m_physIdBox)
        return;
    // Inserting into an editable list must leave the text the operator sees alone.
    const QString text = m_physIdBox->currentText();
    if (m_physIdBox->count() > physid::MaxHistory - 1)
        m_physIdBox->removeItem(physid::MaxHistory - 1);
    QStringList items;
    for (int i = 0; i < m_physIdBox->count(); ++i)
        items.append(m_physIdBox->itemText(i));
    if (physid::indexIn(items, physId) < 0) {
        const QSignalBlocker blocker(m_physIdBox);
        m_physIdBox->insertItem(0, physId);
        m_physIdBox->setCurrentIndex(-1);
        m_physIdBox->setEditText(text);
    }
}

void DeviceLink::emptyIdentification()
{
    for (const char *name : {"edGenDeviceNo", "edGenPrgVer", "edGenNodeNo", "edGenNAddr"})
        if (auto *edit = m_session.controls.get<QLineEdit>(QLatin1String(name)))
            edit->clear();
}

void DeviceLink::confirmPhysIdBox()
{
    if (m_physIdBox) {
        m_physIdBox->setEditText(m_session.device.currentPhysId);
        if (m_physIdBox->lineEdit() && !m_physIdBox->hasFocus())
            m_physIdBox->lineEdit()->setCursorPosition(0);
    }
}

void DeviceLink::SelectDevice(const QString &physId)
{
    DeviceState &device = m_session.device;

    // 1. A new device starts a new register history.
    m_session.history.clear();
    device.deviceAccepted = false;
    device.contact = false;

    // 2. The server lives from the first selection to the end of the program. When it
    // cannot be created the selection ends with the error report: the window, its
    // focus and the PhysId box stay as they are, so the next selection tries again.
    if (!ensureServer())
        return;
    if (physId.endsWith(QLatin1Char(':'))) {
        // 3. A name ending in ":" is a network or segment, not a node.
        if (m_session.dialogs)
            m_session.dialogs->warning(m_window, m_session.translate(QStringLiteral("Selected PhysId is not a node")));
        if (m_physIdBox)
            m_physIdBox->setEditText(QString());
    } else {
        // 4.
        m_updateTimer->stop();
        device.currentPhysId = physId;
        bool failed = true;
        try {
            m_session.server->SelectVariable(physId);
            failed = CheckServerError();
        } catch (const automation::AutomationError &) {
            failed = true;
        }
        // 5.
        if (!failed) {
            device.deviceAccepted = true;
            int type = 0;
            try {
                selectDeviceVariable(QStringLiteral(".DeviceType"));
                type = variantToInt32(m_session.server->value());
            } catch (const automation::AutomationError &) {
                type = 0; // no device type: not a KR 715
            }
            // Contact is what the error code of the read says, as in the poll.
            try {
                device.contact = (m_session.server->ErrorCode() & 0xFFFF) != VariableServer::NoContactCode;
            } catch (const automation::AutomationError &) {
                device.contact = false;
            }
            if (device.contact && type == VariableServer::KR715DeviceType) {
                try {
                    if (auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edGenDeviceNo")))
                        edit->setText(QString::number(type));
                    selectDeviceVariable(QStringLiteral(".Meternumber"));
                    const qint32 meterNumber = variantToInt32(m_session.server->value());
                    if (auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edGenNAddr"))) {
                        edit->setText(regcodec::serialText(meterNumber));
                        setTextColour(edit, Qt::black);
                    }
                    selectDeviceVariable(QStringLiteral(".PrgVers"));
                    const qint32 version = variantToInt32(m_session.server->value());
                    if (auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edGenPrgVer")))
                        edit->setText(QString::number(version));
                    selectDeviceVariable(QStringLiteral(".Code3"));
                    const qint32 code3 = variantToInt32(m_session.server->value());
                    if (auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edGenNodeNo")))
                        edit->setText(QString::number((static_cast<quint32>(code3) >> 8) & 0xFF));
                } catch (const automation::AutomationError &) {
                    // The identification stays as far as it got; the poll refreshes it.
                }
                confirmPhysIdBox();
            } else if (device.contact) {
                if (m_session.dialogs)
                    m_session.dialogs->warning(m_window, m_session.translate(QStringLiteral("Selected PhysId is not a flowmeter")));
                confirmPhysIdBox();
            } else {
                if (m_session.dialogs)
                    m_session.dialogs->warning(m_window, m_session.translate(QStringLiteral("No contact to selected PhysId")));
                confirmPhysIdBox();
            }
        }
        // 6.
        if (!device.contact)
            emptyIdentification();
        // 7.
        m_session.initialLoadPending = true;
        m_session.pollSlot = 1;
        m_updateTimer->start();
        // 8.
        setTextColour(m_physIdBox, Qt::black);
    }

    // 9. The General tab of the shown window.
    m_window->show();
    m_window->raise();
    auto *pages = m_session.controls.get<QTabWidget>(QStringLiteral("pc715"));
    auto *general = m_session.controls.get<QWidget>(QStringLiteral("tsGen"));
    if (pages && general) {
        pages->setCurrentWidget(general);
        pages->setProperty("HelpContext", general->property("HelpContext"));
        general->setFocus(Qt::OtherFocusReason);
    }
}

bool DeviceLink::CheckServerError()
{
    DeviceState &device = m_session.device;
    const QString oldText = device.lastErrorText;
    bool failed = true;
    try {
        device.lastErrorCode = m_session.server->ErrorCode() & 0xFFFF;
        if (device.lastErrorCode == 0) {
            device.lastErrorText = m_session.server->ErrorString();
            failed = false;
        } else if (device.lastErrorCode == 256 || device.lastErrorCode == 512) {
            selectDeviceVariable(QStringLiteral(".Error3"));
            const qint32 fault = variantToInt32(m_session.server->object().get(QStringLiteral("Value")));
            device.lastErrorCode = fault;
            // Fault 5 has the translation key 0x005, fault 31 the key 0x01F.
            const QString hex = QStringLiteral("%1").arg(static_cast<quint32>(fault), 2, 16, QLatin1Char('0')).toUpper();
            device.lastErrorText = m_session.translate(QStringLiteral("0x0") + hex);
        } else {
            device.lastErrorText = m_session.server->ErrorString();
        }
    } catch (const automation::AutomationError &e) {
        // A server that fails to answer its own error query: show what it said.
        device.lastErrorText = e.text();
    }
    if (failed && m_errorBox) {
        if (m_errorBox->count() > 9)
            m_errorBox->removeItem(9);
        if (device.lastErrorText != oldText) {
            const QSignalBlocker blocker(m_errorBox);
            m_errorBox->insertItem(0, longTimeText() + QLatin1Char(' ') + device.lastErrorText);
        }
    }
    if (m_errorBox) {
        // The error line shows the start of its text (a long message is cut at its
        // end, not its beginning) and the whole text as its tool tip. The same text
        // again (every tick) is not set again.
        const QSignalBlocker blocker(m_errorBox);
        if (m_errorBox->currentIndex() != -1)
            m_errorBox->setCurrentIndex(-1);
        if (m_errorBox->currentText() != device.lastErrorText) {
            m_errorBox->setEditText(device.lastErrorText);
            if (QLineEdit *line = m_errorBox->lineEdit())
                line->setCursorPosition(0);
        }
        if (m_errorBox->toolTip() != device.lastErrorText)
            m_errorBox->setToolTip(device.lastErrorText);
    }
    return failed;
}

void DeviceLink::cmb715PhysIdExit()
{
    if (!m_physIdBox)
        return;
    const QString text = m_physIdBox->currentText();
    if (text.isEmpty() || text == m_session.device.currentPhysId)
        return;
    const int index = m_physIdBox->currentIndex();
    const bool entrySelected = index >= 0 && m_physIdBox->itemText(index) == text;
    if (!entrySelected)
        AddToPhysIdHistory(text);
    SelectDevice(text);
}

void DeviceLink::cmb715PhysIdKeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        cmb715PhysIdExit();
}

void DeviceLink::cmb715PhysIdChange()
{
    if (!m_physIdBox)
        return;
    const int index = m_physIdBox->currentIndex();
    if (index >= 0 && m_physIdBox->itemText(index).compare(m_physIdBox->currentText(), Qt::CaseInsensitive) == 0)
        m_physIdBox->clearFocus(); // leaving the box selects the device at once
}

void DeviceLink::cmb715PhysIdClick()
{
    if (m_physIdBox && m_physIdBox->lineEdit())
        m_physIdBox->lineEdit()->setCursorPosition(0);
}
