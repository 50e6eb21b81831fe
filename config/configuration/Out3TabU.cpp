#include "Out3TabU.h"
#include "SettingWordsForm.h"

#include "KR715Session.h"
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"
#include "Pictures.h"

#include <QLayout>

Out3Tab::Out3Tab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    applySettingWords(this);
    // The regulator mode items stand in a compact column so that all three fit
    // beside the setpoint.
    if (QLayout *items = ui.grpOut3PIRegMode->layout()) {
        items->setSpacing(0);
        items->setContentsMargins(9, 0, 9, 2);
    }
    krApplyPictures(this);
    m_session.controls.addTree(this);

    connect(ui.cmbOut3FuncOut3, &TKRComboBox::OnChange, this, [this] { cmbOut3FuncOut3Change(); });
    connect(ui.cmbOut3DataForOut3, &TKRComboBox::OnChange, this, [this] { cmbOut3DataForOut3Change(); });
    connect(ui.cmbOut3PIRegCalcInp, &TKRComboBox::OnChange, this, [this] { cmbStdE3Change(); });
    connect(ui.cmbOut3PIRegContrDir, &TKRComboBox::OnChange, this, [this] { cmbStdE3Change(); });
    connect(ui.grpOut3PIRegMode, &TRadioGroup::OnClick, this, [this] { grpOut3PIRegModeClick(); });
}

void Out3Tab::cmbOut3FuncOut3Change()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    auto *out2 = m_session.controls.get<TKRComboBox>(QStringLiteral("cmbOut2FuncOut"));
    // 1. The regulator needs output 2 free of batch control and limit switch.
    const int out2Function = out2 ? out2->SelectedIndex() : -1;
    if (ui.cmbOut3FuncOut3->SelectedIndex() == 1 && (out2Function == 2 || out2Function == 3)) {
        m_editor->warnIllegalChoice({QStringLiteral("This choice is illegal because "),
                                     QStringLiteral("the batch control or the limit switch"),
                                     QStringLiteral("function of output 2 is selected")});
        ui.cmbOut3FuncOut3->SelectIndex(0);
    }
    // 2. ... and data other than "Available", which is its own output.
    if (ui.cmbOut3FuncOut3->SelectedIndex() == 1 && ui.cmbOut3DataForOut3->SelectedIndex() == 4) {
        m_editor->warnIllegalChoice({QStringLiteral("This choice is illegal because "), QStringLiteral("available is selected")});
        ui.cmbOut3FuncOut3->SelectIndex(0);
    }
    // 3. The controls of the chosen function.
    const int function = ui.cmbOut3FuncOut3->SelectedIndex();
    ui.grpOut3PIGroup->setVisible(function == 1);
    ui.pnOut3SetupPI->setVisible(function == 1);
    ui.grpOut3ScaleOut3->setVisible(function == 2 || function == 3);
    ui.imgOut3CurrentImage->setVisible(function == 2);
    ui.imgOut3PulseImage->setVisible(function == 3);
    if (auto *lamps = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut3OnOff")))
        lamps->setVisible(function == 0);
    if (auto *analog = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut3Ana")))
        analog->setVisible(function == 1 || function == 2);
    showFrequencyPanel();
    // 4. The setpoint on the Data tab.
    m_editor->applySetpointRule();
    // 5. What the data list is for.
    ui.laOut3DataForOut->setText(function <= 0 ? m_session.translate(QStringLiteral("Data for output:"))
                                               : m_session.translate(QStringLiteral("Data for "))
                                                     + ui.cmbOut3FuncOut3->currentText() + QLatin1Char(':'));
    // 6.
    m_editor->EncodeRegister(7, 1);
    m_editor->endChange(7);
}

void Out3Tab::cmbOut3DataForOut3Change()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    // 2. "Available" is the regulator's own output.
    if (ui.cmbOut3DataForOut3->SelectedIndex() == 4 && ui.cmbOut3FuncOut3->SelectedIndex() == 1) {
        m_editor->warnIllegalChoice({QStringLiteral("This choice is illegal because "),
                                     QStringLiteral("the regulator function of output 3"), QStringLiteral("is selected")});
        ui.cmbOut3DataForOut3->SelectIndex(0);
    }
    // 1. The arrow to the data points at a source when one is chosen.
    ui.imgOut3FuncPil->setVisible(ui.cmbOut3DataForOut3->SelectedIndex() >= 1);
    // 3.
    showFrequencyPanel();
    // 4. The manual value of output 3 on the Data tab.
    m_editor->showManualOutput3();
    // 5.
    m_editor->EncodeRegister(7, 2);
    m_editor->endChange(7);
}

void Out3Tab::showFrequencyPanel()
{
    if (auto *frequency = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut3F")))
        frequency->setVisible(ui.cmbOut3FuncOut3->SelectedIndex() == 3 && ui.cmbOut3DataForOut3->SelectedIndex() >= 1);
}

void Out3Tab::cmbStdE3Change()
{
    if (!m_editor)
        return;
    m_editor->beginChange(3);
    m_editor->EncodeRegister(3, 0);
    m_editor->endChange(3);
}

void Out3Tab::grpOut3PIRegModeClick()
{
    if (!m_editor)
        return;
    m_editor->beginChange(3);
    m_editor->EncodeRegister(3, 0);
    m_editor->endChange(3);
}
