#include "DataTabU.h"

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

    const QRect unit = ui.laDataOut3AValU->geometry();
    ui.pnDataOut3Ana->resize(unit.x() + unit.width() + 4, ui.pnDataOut3Ana->height());
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
    auto wire = [this](TKREdit *edit, void (DataTab::*enter)(), void (DataTab::*exit)()) {
        if (!edit)
            return;
        if (enter)
            connect(edit, &TKREdit::OnEnter, this, enter);
        if (exit) {
            connect(edit, &TKREdit::OnExit, this, exit);
            connect(edit, &TKREdit::OnKeyDown, this, [this, exit](QObject *, int key) {
                if (isEnter(key))
                    (this->*exit)();
            });
        }
    };
    wire(ui.edDataFlow, &DataTab::edDataFlowEnter, &DataTab::edDataFlowExit);
    wire(c.get<TKREdit>(QStringLiteral("ed715Flow")), &DataTab::edDataFlowEnter, &DataTab::ed715FlowExit);
    wire(ui.edDataVol1, &DataTab::edDataVol1Enter, &DataTab::edDataVol1Exit);
    wire(c.get<TKREdit>(QStringLiteral("ed715Vol1")), &DataTab::edDataVol1Enter, &DataTab::ed715Vol1Exit);
    wire(ui.edDataVol2, &DataTab::edDataVol2Enter, &DataTab::edDataVol2Exit);
    wire(c.get<TKREdit>(QStringLiteral("ed715Vol2")), &DataTab::edDataVol2Enter, &DataTab::ed715Vol2Exit);
    wire(ui.edDataSetP, &DataTab::edDataSetPEnter, nullptr);
    wire(c.get<TKREdit>(QStringLiteral("edOut2SetP")), &DataTab::edDataSetPEnter, nullptr);
    wire(c.get<TKREdit>(QStringLiteral("edOut3SetP")), &DataTab::edDataSetPEnter, nullptr);
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

void DataTab::edDataFlowEnter()
{
    if (testMode())
        mark(SlotFlow, int(ExchangeState::Editing));
}

void DataTab::ed715FlowExit()
{
    if (!testMode())
        return;
    copyText("ed715Flow", "edDataFlow");
    mark(SlotFlow, int(ExchangeState::WritePending));
}

void DataTab::edDataFlowExit()
{
    if (testMode())
        mark(SlotFlow, int(ExchangeState::WritePending));
}

void DataTab::edDataVol1Enter() { mark(SlotVolume1, int(ExchangeState::Editing)); }
void DataTab::edDataVol1Exit() { mark(SlotVolume1, int(ExchangeState::WritePending)); }
void DataTab::ed715Vol1Exit()
{
    copyText("ed715Vol1", "edDataVol1");
    mark(SlotVolume1, int(ExchangeState::WritePending));
}

void DataTab::edDataVol2Enter() { mark(SlotVolume2, int(ExchangeState::Editing)); }
void DataTab::edDataVol2Exit() { mark(SlotVolume2, int(ExchangeState::WritePending)); }
void DataTab::ed715Vol2Exit()
{
    copyText("ed715Vol2", "edDataVol2");
    mark(SlotVolume2, int(ExchangeState::WritePending));
}

void DataTab::edDataSetPEnter() { mark(SlotSetPoint, int(ExchangeState::Editing)); }

void DataTab::edDataSetPKREditUpDate()
{
    copyText("edDataSetP", "edOut3SetP");
    copyText("edDataSetP", "edOut2SetP");
    mark(SlotSetPoint, int(ExchangeState::WritePending));
}

void DataTab::edOut3SetPKREditUpDate()
{
    copyText("edOut3SetP", "edDataSetP");
    copyText("edOut3SetP", "edOut2SetP");
    mark(SlotSetPoint, int(ExchangeState::WritePending));
}

void DataTab::edOut2SetPKREditUpDate()
{
    copyText("edOut2SetP", "edDataSetP");
    copyText("edOut2SetP", "edOut3SetP");
    mark(SlotSetPoint, int(ExchangeState::WritePending));
}

void DataTab::edDataManSetOut3KREditUpDate()
{
    double value = 0;
    if (!numfmt::parseReal(ui.edDataManSetOut3->text(), value)) {
        m_session.state(SlotAvailable) = ExchangeState::Reading;
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
