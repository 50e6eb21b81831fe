#include "Out2TabU.h"

#include "KR715Session.h"
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"
#include "Pictures.h"

Out2Tab::Out2Tab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);

    connect(ui.cmbOut2FuncOut, &TKRComboBox::OnChange, this, [this] { cmbOut2FuncOutChange(); });
    connect(ui.cmbOut2DataForBatchLimit, &TKRComboBox::OnChange, this, [this] { cmbOut2DataForBatchLimitChange(); });
    connect(ui.cmbOut2DataForVolCount, &TKRComboBox::OnChange, this, [this] { cmbOut2DataForVolCountChange(); });
    connect(ui.cmbOut2Vol1Res, &TKRComboBox::OnChange, this, [this] { cmbOut2Vol1ResChange(); });
}

void Out2Tab::cmbOut2FuncOutChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    m_editor->EncodeRegister(7, 3);
    m_editor->endChange(7);
}

void Out2Tab::cmbOut2DataForBatchLimitChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    m_editor->EncodeRegister(7, 6);
    m_editor->endChange(7);
}

void Out2Tab::cmbOut2DataForVolCountChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(7);
    m_editor->EncodeRegister(7, 4);
    m_editor->endChange(7);
}

void Out2Tab::cmbOut2Vol1ResChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(6);
    m_editor->EncodeRegister(6, 0);
    m_editor->endChange(6);
}
