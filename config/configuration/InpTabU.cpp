#include "InpTabU.h"

#include "KR715Session.h"

#include <QAbstractButton>
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"
#include "Pictures.h"

InpTab::InpTab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);

    connect(ui.btnInpCalib, &QAbstractButton::clicked, this, &InpTab::btnInpCalibClick);
    connect(ui.cmbInpTempUnit, &TKRComboBox::OnChange, this, [this] { cmbInpTempUnitChange(); });
    connect(ui.cmbInpFunc, &TKRComboBox::OnChange, this, [this] { cmbInpFuncChange(); });
    connect(ui.cmbInpTimeConst, &TKRComboBox::OnChange, this, [this] { cmbInpTimeConstChange(); });
    connect(ui.cmbInpFlowDirection, &TKRComboBox::OnChange, this, [this] { cmbInpFlowDirectionChange(); });
    connect(ui.cmbInpFlowCalc, &TKRComboBox::OnChange, this, [this] { cmbInpFlowCalcChange(); });
    connect(ui.cmbInpMode, &TKRComboBox::OnChange, this, [this] { cmbInpModeChange(); });
}

void InpTab::cmbInpTempUnitChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 3);
    m_editor->endChange(8);
}

void InpTab::cmbInpFuncChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 4);
    m_editor->endChange(8);
}

void InpTab::cmbInpTimeConstChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 1);
    m_editor->endChange(8);
}

void InpTab::cmbInpFlowDirectionChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 2);
    m_editor->endChange(8);
}

void InpTab::cmbInpFlowCalcChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 2);
    m_editor->endChange(8);
}

void InpTab::cmbInpModeChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    m_editor->EncodeRegister(7, 5);
    m_editor->endChange(7);
}

void InpTab::ShowUnitLabels()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 1);
    m_editor->endChange(8);
}

void InpTab::btnInpCalibClick()
{
    if (auto *calibration = m_session.controls.get<QWidget>(QStringLiteral("TfrmCalib"))) {
        calibration->show();
        calibration->raise();
        calibration->activateWindow();
    }
}
