#include "Out2TabU.h"
#include "SettingWordsForm.h"

#include "KR715Session.h"
#include "KRComboBox.h"
#include "RegisterEditorU.h"
#include "ToolkitControls.h"

#include <QLabel>
#include <cmath>
#include "Pictures.h"

Out2Tab::Out2Tab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    applySettingWords(this);
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
    int function = ui.cmbOut2FuncOut->SelectedIndex();
    // 1. Batch control and limit switch need output 3 free of the PI regulator.
    auto *out3 = m_session.controls.get<TKRComboBox>(QStringLiteral("cmbOut3FuncOut3"));
    if ((function == 2 || function == 3) && out3 && out3->SelectedIndex() == 1) {
        m_editor->warnIllegalChoice({QStringLiteral("This choice is illegal because "),
                                     QStringLiteral("the regulator function of output 3"), QStringLiteral("is selected")});
        ui.cmbOut2FuncOut->SelectIndex(0);
        function = 0;
    }
    // 2. The controls of the chosen function.
    const bool pulse = function == 1;
    const bool batchOrLimit = function == 2 || function == 3;
    ui.imgOut2Pulse->setVisible(pulse);
    ui.pnOut2Resolution->setVisible(pulse);
    ui.pnOut2SetP->setVisible(batchOrLimit);
    ui.imgOut2PilVenstre->setVisible(batchOrLimit);
    ui.cmbOut2DataForBatchLimit->setEnabled(batchOrLimit);
    ui.imgOut2Batch->setVisible(function == 2);
    ui.btnOut2BatchStart->setVisible(function == 2);
    ui.grpOut2BatchProgress->setVisible(function == 2);
    ui.imgOut2Limit->setVisible(function == 3);
    ui.imgOut2Sign->setVisible(function == 5);
    if (auto *frequency = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut2F")))
        frequency->setVisible(pulse);
    if (auto *lamps = m_session.controls.get<QWidget>(QStringLiteral("pnDataOut2OnOff")))
        lamps->setVisible(function >= 0 && !pulse);
    // 3. The setpoint on the Data tab.
    m_editor->applySetpointRule();
    // 4. What the data list is for.
    ui.laOut2DataForBatchLimit->setText(batchOrLimit ? m_session.translate(QStringLiteral("Data for "))
                                                            + ui.cmbOut2FuncOut->currentText() + QLatin1Char(':')
                                                      : m_session.translate(QStringLiteral("Data for batch/limit:")));
    // 5.
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
    const int digits = ui.cmbOut2Vol1Res->SelectedIndex();
    if (digits >= 0) {
        // The pulse weight: 10 to the power of the digits after the decimal separator.
        auto *unit = m_session.controls.get<QLabel>(QStringLiteral("la715Volume1Unit"));
        ui.cmbOut2Vol1Res->setToolTip(QString::number(digits)
                                      + m_session.translate(QStringLiteral(" digits after decimal seperator"))
                                      + QLatin1Char('(') + QString::number(qRound64(std::pow(10.0, digits)))
                                      + m_session.translate(QStringLiteral(" Pulse")) + QLatin1Char('/')
                                      + (unit ? unit->text() : QString()) + QLatin1Char(')'));
    }
    m_editor->EncodeRegister(6, 0);
    m_editor->endChange(6);
}
