#include "Out3TabU.h"

#include "KR715Session.h"
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"
#include "Pictures.h"

#include <QLayout>

Out3Tab::Out3Tab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
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
    m_editor->EncodeRegister(7, 1);
    m_editor->endChange(7);
}

void Out3Tab::cmbOut3DataForOut3Change()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    m_editor->EncodeRegister(7, 2);
    m_editor->endChange(7);
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
