#include "DataTabU.h"

#include "EntryCheck.h"

#include "KR715Session.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "NumberFormat.h"
#include "PollCycle.h"
#include "ToolkitControls.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <cmath>
#include "Pictures.h"

DataTab::DataTab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);
}

void DataTab::applyStartLayout()
{
    const auto placeLamps = [](QWidget *panel, TImage *on, TImage *off) {
        panel->setGeometry(OutputPanelLeft, panel->y(), LampPanelWidth, panel->height());
        on->setGeometry(panel->rect());
        off->setGeometry(panel->rect());
        krApplyPictures(panel);
    };
    placeLamps(ui.pnDataOut2OnOff, ui.imgDataOut2On, ui.imgDataOut2Off);
    placeLamps(ui.pnDataOut3OnOff, ui.imgDataOut3On, ui.imgDataOut3Off);

    for (QWidget *panel : {static_cast<QWidget *>(ui.pnDataOut2F), static_cast<QWidget *>(ui.pnDataOut3F),
                           static_cast<QWidget *>(ui.pnDataOut3Ana)})
        panel->move(OutputPanelLeft, panel->y());

    // The manual value has a row of its own below the current: the panel is cut to
    // the current's row, just after its "mA" label.
    const QRect unit = ui.laDataOut3AValU->geometry();
    ui.pnDataOut3Ana->resize(unit.x() + unit.width() + 4, ui.edDataOut3AVal->height());
}

namespace {
bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
} // namespace

void DataTab::connectHandlers()
{
    FormControls &c = m_session.controls;
    connect(ui.imgDataOut2On, &TImage::OnClick, this, &DataTab::imgDataOut2OnClick);
    connect(ui.imgDataOut2Off, &TImage::OnClick, this, &DataTab::imgDataOut2OffClick);
    connect(ui.imgDataOut3On, &TImage::OnClick, this, &DataTab::imgDataOut3OnClick);
    connect(ui.imgDataOut3Off, &TImage::OnClick, this, &DataTab::imgDataOut3OffClick);

    // Enter, exit and Enter key of one field.
    auto wire = [this](TKREdit *edit, void (DataTab::*enter)(), void (DataTab::*exit)(), void (DataTab::*keyPress)()) {
        if (!edit)
            return;
        if (enter)
            connect(edit, &TKREdit::OnEnter, this, enter);
        if (exit)
            connect(edit, &TKREdit::OnExit, this, exit);
        if (keyPress)
            connect(edit, &TKREdit::OnKeyDown, this, [this, keyPress](QObject *, int key) {
                if (isEnter(key))
                    (this->*keyPress)();
            });
    };
    wire(ui.edDataFlow, &DataTab::edDataFlowEnter, &DataTab::edDataFlowExit, &DataTab::edDataFlowKeyPress);
    wire(c.get<TKREdit>(QStringLiteral("ed715Flow")), &DataTab::edDataFlowEnter, &DataTab::ed715FlowExit,
         &DataTab::ed715FlowKeyPress);
    wire(ui.edDataVol1, &DataTab::edDataVol1Enter, &DataTab::edDataVol1Exit, &DataTab::edDataVol1KeyPress);
    wire(c.get<TKREdit>(QStringLiteral("ed715Vol1")), &DataTab::edDataVol1Enter, &DataTab::ed715Vol1Exit,
         &DataTab::ed715Vol1KeyPress);
    wire(ui.edDataVol2, &DataTab::edDataVol2Enter, &DataTab::edDataVol2Exit, &DataTab::edDataVol2KeyPress);
    wire(c.get<TKREdit>(QStringLiteral("ed715Vol2")), &DataTab::edDataVol2Enter, &DataTab::ed715Vol2Exit,
         &DataTab::ed715Vol2KeyPress);
    wire(ui.edDataSetP, &DataTab::edDataSetPEnter, nullptr, nullptr);
    wire(c.get<TKREdit>(QStringLiteral("edOut2SetP")), &DataTab::edDataSetPEnter, nullptr, nullptr);
    wire(c.get<TKREdit>(QStringLiteral("edOut3SetP")), &DataTab::edDataSetPEnter, nullptr, nullptr);
    connect(ui.edDataSetP, &TKREdit::OnKREditUpDate, this, &DataTab::edDataSetPKREditUpDate);
    if (auto *edit = c.get<TKREdit>(QStringLiteral("edOut3SetP")))
        connect(edit, &TKREdit::OnKREditUpDate, this, &DataTab::edOut3SetPKREditUpDate);
    if (auto *edit = c.get<TKREdit>(QStringLiteral("edOut2SetP")))
        connect(edit, &TKREdit::OnKREditUpDate, this, &DataTab::edOut2SetPKREditUpDate);
    connect(ui.edDataManSetOut3, &TKREdit::OnKREditUpDate, this, &DataTab::edDataManSetOut3KREditUpDate);
    if (auto *button = c.get<QAbstractButton>(QStringLiteral("btnOut2BatchStart")))
        connect(button, &QAbstractButton::clicked, this, &DataTab::btnOut2BatchStartClick);
}

void DataTab::mark(int slot, int state)
{
    if (m_session.device.contact)
        m_session.state(slot) = static_cast<ExchangeState>(state);
}

bool DataTab::testMode() const
{
    auto *mode = m_session.controls.get<QComboBox>(QStringLiteral("cmbInpMode"));
    return mode && mode->currentIndex() == 1;
}

void DataTab::copyText(const char *from, const char *to)
{
    auto *source = m_session.controls.get<QLineEdit>(QLatin1String(from));
    auto *target = m_session.controls.get<QLineEdit>(QLatin1String(to));
    if (source && target)
        target->setText(source->text());
}

static int listIndex(const FormControls &controls, const char *name)
{
    auto *list = controls.get<QComboBox>(QLatin1String(name));
    return list ? list->currentIndex() : -1;
}

void DataTab::imgDataOut2OnClick()
{
    if (listIndex(m_session.controls, "cmbOut2FuncOut") != 0)
        return;
    ui.imgDataOut2On->hide();
    ui.imgDataOut2Off->show();
    // Switching output 2 off is kept pending even without contact.
    m_session.state(SlotOutput2) = ExchangeState::WritePending;
}

void DataTab::imgDataOut2OffClick()
{
    if (listIndex(m_session.controls, "cmbOut2FuncOut") != 0)
        return;
    ui.imgDataOut2On->show();
    ui.imgDataOut2Off->hide();
    mark(SlotOutput2, int(ExchangeState::WritePending));
}

void DataTab::imgDataOut3OnClick()
{
    if (listIndex(m_session.controls, "cmbOut3FuncOut3") != 0)
        return;
    ui.imgDataOut3On->hide();
    ui.imgDataOut3Off->show();
    mark(SlotOutput3, int(ExchangeState::WritePending));
}

void DataTab::imgDataOut3OffClick()
{
    if (listIndex(m_session.controls, "cmbOut3FuncOut3") != 0)
        return;
    ui.imgDataOut3On->show();
    ui.imgDataOut3Off->hide();
    mark(SlotOutput3, int(ExchangeState::WritePending));
}

TKREdit *DataTab::field(const char *name) const
{
    return m_session.controls.get<TKREdit>(QLatin1String(name));
}

void DataTab::finishEntry(int slot, const char *name, const char *copyTo, bool confirmed)
{
    TKREdit *edit = field(name);
    if (!edit)
        return;
    if (!confirmed && !edit->lastUpdateChangedText()) {
        // Passed through: the value shown is the device's, nothing to send. A value
        // confirmed before and not yet sent stays pending.
        if (m_session.device.contact && m_session.state(slot) == ExchangeState::Editing)
            m_session.state(slot) = ExchangeState::Reading;
        return;
    }
    if (m_session.device.contact && !entrycheck::isDeviceNumber(edit->text())) {
        m_session.state(slot) = ExchangeState::Reading;
        entrycheck::refuse(m_session, window(), QLatin1String(name));
        return;
    }
    if (copyTo)
        copyText(name, copyTo);
    mark(slot, int(ExchangeState::WritePending));
}

void DataTab::edDataFlowEnter()
{
    if (testMode())
        mark(SlotFlow, int(ExchangeState::Editing));
}

void DataTab::ed715FlowExit()
{
    if (testMode())
        finishEntry(SlotFlow, "ed715Flow", "edDataFlow", false);
}

void DataTab::ed715FlowKeyPress()
{
    if (testMode())
        finishEntry(SlotFlow, "ed715Flow", "edDataFlow", true);
}

void DataTab::edDataFlowExit()
{
    if (testMode())
        finishEntry(SlotFlow, "edDataFlow", nullptr, false);
}

void DataTab::edDataFlowKeyPress()
{
    if (testMode())
        finishEntry(SlotFlow, "edDataFlow", nullptr, true);
}

void DataTab::edDataVol1Enter() { mark(SlotVolume1, int(ExchangeState::Editing)); }
void DataTab::edDataVol1Exit() { finishEntry(SlotVolume1, "edDataVol1", nullptr, false); }
void DataTab::edDataVol1KeyPress() { finishEntry(SlotVolume1, "edDataVol1", nullptr, true); }
void DataTab::ed715Vol1Exit() { finishEntry(SlotVolume1, "ed715Vol1", "edDataVol1", false); }
void DataTab::ed715Vol1KeyPress() { finishEntry(SlotVolume1, "ed715Vol1", "edDataVol1", true); }

void DataTab::edDataVol2Enter() { mark(SlotVolume2, int(ExchangeState::Editing)); }
void DataTab::edDataVol2Exit() { finishEntry(SlotVolume2, "edDataVol2", nullptr, false); }
void DataTab::edDataVol2KeyPress() { finishEntry(SlotVolume2, "edDataVol2", nullptr, true); }
void DataTab::ed715Vol2Exit() { finishEntry(SlotVolume2, "ed715Vol2", "edDataVol2", false); }
void DataTab::ed715Vol2KeyPress() { finishEntry(SlotVolume2, "ed715Vol2", "edDataVol2", true); }

void DataTab::edDataSetPEnter() { mark(SlotSetPoint, int(ExchangeState::Editing)); }

void DataTab::finishSetpoint(const char *name, const char *copyTo1, const char *copyTo2)
{
    TKREdit *edit = field(name);
    if (!edit)
        return;
    const bool byOperator = edit->lastUpdateReason() != TKREdit::UpdateReason::Program;
    if (edit->lastUpdateReason() == TKREdit::UpdateReason::Left && !edit->lastUpdateChangedText()) {
        if (m_session.device.contact && m_session.state(SlotSetPoint) == ExchangeState::Editing)
            m_session.state(SlotSetPoint) = ExchangeState::Reading;
        return;
    }
    if (m_session.device.contact && !entrycheck::isDeviceNumber(edit->text())) {
        m_session.state(SlotSetPoint) = ExchangeState::Reading;
        if (byOperator)
            entrycheck::refuse(m_session, window(), QLatin1String(name));
        return;
    }
    copyText(name, copyTo1);
    copyText(name, copyTo2);
    mark(SlotSetPoint, int(ExchangeState::WritePending));
}

void DataTab::edDataSetPKREditUpDate() { finishSetpoint("edDataSetP", "edOut3SetP", "edOut2SetP"); }
void DataTab::edOut3SetPKREditUpDate() { finishSetpoint("edOut3SetP", "edDataSetP", "edOut2SetP"); }
void DataTab::edOut2SetPKREditUpDate() { finishSetpoint("edOut2SetP", "edDataSetP", "edOut3SetP"); }

void DataTab::edDataManSetOut3KREditUpDate()
{
    TKREdit *edit = ui.edDataManSetOut3;
    if (edit->lastUpdateReason() == TKREdit::UpdateReason::Left && !edit->lastUpdateChangedText()) {
        if (m_session.device.contact && m_session.state(SlotAvailable) == ExchangeState::Editing)
            m_session.state(SlotAvailable) = ExchangeState::Reading;
        return;
    }
    double value = 0;
    if (!entrycheck::isDeviceNumber(edit->text()) || !numfmt::parseReal(edit->text(), value)) {
        m_session.state(SlotAvailable) = ExchangeState::Reading;
        if (m_session.device.contact && edit->lastUpdateReason() != TKREdit::UpdateReason::Program)
            entrycheck::refuse(m_session, window(), QStringLiteral("edDataManSetOut3"));
        return;
    }
    m_session.availableValue = value;
    mark(SlotAvailable, int(ExchangeState::WritePending));
}

void DataTab::btnOut2BatchStartClick()
{
    m_session.state(SlotBatchStart) = ExchangeState::WritePending;
}

void DataTab::tiOut2BatchCalcTimer()
{
    auto *bar = m_session.controls.get<QProgressBar>(QStringLiteral("pbOut2BatchProgress"));
    if (!bar)
        return;
    if (listIndex(m_session.controls, "cmbOut2FuncOut") != 2 || ui.imgDataOut2On->isHidden()) {
        bar->setValue(0);
        return;
    }
    double v = 0;
    bool ok = true;
    auto number = [&](const QLineEdit *edit) {
        double d = 0;
        ok = ok && numfmt::parseReal(edit->text(), d);
        return d;
    };
    switch (listIndex(m_session.controls, "cmbOut2DataForBatchLimit")) {
    case 0: v = 0; break;
    case 1: v = number(ui.edDataFlow); break;
    case 2: v = number(ui.edDataTCFlow); break;
    case 3: v = number(ui.edDataTemp); break;
    case 4: v = m_session.availableValue; break;
    case 5: v = number(ui.edDataVol1); break;
    case 6: v = number(ui.edDataVol2); break;
    case 7: v = number(ui.edDataInsFlow); break;
    default: ok = false; break;
    }
    double x = 0;
    if (!ok || !numfmt::parseReal(ui.edDataSetP->text(), x))
        return;
    const float value = static_cast<float>(v);
    const float setpoint = static_cast<float>(x);
    if (setpoint == 0.0f || !(value < setpoint))
        return;
    const float position = value / setpoint * 100.0f;
    if (std::isfinite(position))
        bar->setValue(static_cast<int>(std::nearbyint(position))); // halves to even
}
