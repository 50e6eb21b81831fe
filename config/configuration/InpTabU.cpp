#include "InpTabU.h"
#include "SettingWordsForm.h"

#include "DialogService.h"
#include "KR715Session.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "NumberFormat.h"
#include "Pictures.h"
#include "RegisterEditorU.h"
#include "StringToolsU.h"
#include "ToolkitControls.h"
#include "Units.h"

#include <QAbstractButton>
#include <QLabel>
#include <cmath>

InpTab::InpTab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    applySettingWords(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);

    connect(ui.btnInpCalib, &QAbstractButton::clicked, this, &InpTab::btnInpCalibClick);
    connect(ui.cmbInpTempUnit, &TKRComboBox::OnChange, this, [this] { cmbInpTempUnitChange(); });
    connect(ui.cmbInpFunc, &TKRComboBox::OnChange, this, [this] { cmbInpFuncChange(); });
    connect(ui.cmbInpTimeConst, &TKRComboBox::OnChange, this, [this] { cmbInpTimeConstChange(); });
    connect(ui.cmbInpFlowDirection, &TKRComboBox::OnChange, this, [this] { cmbInpFlowDirectionChange(); });
    connect(ui.cmbInpFlowCalc, &TKRComboBox::OnChange, this, [this] { cmbInpFlowCalcChange(); });
    connect(ui.cmbInpMode, &TKRComboBox::OnChange, this, [this] { cmbInpModeChange(); });
    connect(ui.cmbInpUnitChoice, &TKRComboBox::OnChange, this, [this] { cmbInpUnitChoiceChange(); });
    connect(ui.cmbInpFlowUnitConst, &TKRComboBox::OnChange, this, [this] { cmbInpUnitChoiceChange(); });
    connect(ui.cmbInpDevCalc, &TKRComboBox::OnChange, this, [this] { cmbInpDevCalcChange(); });
    connect(ui.edInpMeterSize, &TKREdit::OnChange, this, [this] { edInpMeterSizeChange(); });
}

void InpTab::cmbInpTempUnitChange()
{
    if (!m_editor)
        return;
    m_editor->beginChange(8);
    if (auto *unit = m_session.controls.get<QLabel>(QStringLiteral("laDataTempUnit")); unit && ui.cmbInpTempUnit->SelectedIndex() >= 0)
        unit->setText(ui.cmbInpTempUnit->currentText());
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
    // In test mode the flow is what the operator writes: the flow fields become
    // writable and, like the volumes they drive, show simulation colours.
    const bool test = ui.cmbInpMode->SelectedIndex() == 1;
    auto *volumeSource = m_session.controls.get<TKRComboBox>(QStringLiteral("cmbOut2DataForVolCount"));
    const bool volumesFollow = test && !(volumeSource && volumeSource->SelectedIndex() == 3);
    for (const char *name : {"ed715Flow", "edDataFlow"}) {
        if (auto *edit = m_session.controls.get<TKREdit>(QLatin1String(name))) {
            edit->setReadOnly(!test);
            edit->setKRSimMode(test);
        }
    }
    for (const char *name : {"ed715Vol1", "ed715Vol2", "edDataVol1", "edDataVol2"})
        if (auto *edit = m_session.controls.get<TKREdit>(QLatin1String(name)))
            edit->setKRSimMode(volumesFollow);
    m_editor->EncodeRegister(7, 5);
    m_editor->endChange(7);
}

void InpTab::ShowUnitLabels()
{
    if (!m_editor)
        return;
    setUnitCaptions();
    m_editor->beginChange(8);
    m_editor->EncodeRegister(8, 1);
    m_editor->endChange(8);
}

void InpTab::setUnitCaptions()
{
    static const char *const Units[units::UnitCount] = {"Unit", "l", "m3", "US_Gal", "UK_Gal", "Hl"};
    const int unitIndex = ui.cmbInpUnitChoice->SelectedIndex();
    const QString unit = m_session.translate(QLatin1String(Units[unitIndex >= 0 && unitIndex < units::UnitCount ? unitIndex : 0]));
    const QString time = m_session.translate(ui.cmbInpFlowUnitConst->SelectedIndex() == 1 ? QStringLiteral("h") : QStringLiteral("min"));
    for (const char *name : {"la715FlowUnit", "laDataFlowUnit", "laDataTCFlowUnit", "laDataInstantFlowUnit"})
        if (auto *label = m_session.controls.get<QLabel>(QLatin1String(name)))
            label->setText(unit + QLatin1Char('/') + time);
    for (const char *name : {"la715Volume1Unit", "la715Volume2Unit", "laDataVol1Unit", "laDataVol2Unit"})
        if (auto *label = m_session.controls.get<QLabel>(QLatin1String(name)))
            label->setText(unit);
}

int InpTab::unitIndexOf(const QString &name) const
{
    for (int i = 1; i < ui.cmbInpUnitChoice->count(); ++i)
        if (ui.cmbInpUnitChoice->itemText(i) == name)
            return i;
    return 0;
}

void InpTab::cmbInpUnitChoiceChange()
{
    if (!m_editor)
        return;
    const QString previous = m_session.previousUnitName;
    // 1. The flow time unit.
    cmbInpTimeConstChange();
    // 2. The flow unit entries name the volume unit ("liter/minute").
    const int timeUnit = ui.cmbInpFlowUnitConst->currentIndex();
    {
        const QSignalBlocker blocker(ui.cmbInpFlowUnitConst);
        for (int i = 0; i < ui.cmbInpFlowUnitConst->count(); ++i)
            ui.cmbInpFlowUnitConst->setItemText(
                i, ReplaceAll(ui.cmbInpFlowUnitConst->itemText(i), previous, false, ui.cmbInpUnitChoice->currentText()));
        ui.cmbInpFlowUnitConst->setCurrentIndex(timeUnit);
    }
    // 3. A meter size given in a real unit may be recalculated into the new one.
    const int unit = ui.cmbInpUnitChoice->SelectedIndex();
    double meterSize = 0;
    if (unit != 0 && previous != m_session.translate(QStringLiteral("Unit")) && numfmt::parseReal(ui.edInpMeterSize->text(), meterSize)
        && m_session.dialogs
        && m_session.dialogs->question(this,
                                       m_session.translate(QStringLiteral("Shall the program recalculate data")) + QLatin1Char('\n')
                                           + m_session.translate(QStringLiteral("in accordance with the new unit selection")),
                                       QMessageBox::Information)) {
        m_editor->beginChange(1);
        if (const std::optional<double> factor = units::conversionFactor(unitIndexOf(previous), unit))
            ui.edInpMeterSize->setText(numfmt::generalText(meterSize * *factor));
        m_editor->EncodeRegister(1);
        m_editor->endChange(1);
    }
    // 4.
    m_session.previousUnitName = ui.cmbInpUnitChoice->currentText();
    // 5. Captions, here and in the calibration dialog.
    setUnitCaptions();
    if (auto *calibrationUnit = m_session.controls.get<QLabel>(QStringLiteral("laCalibUnit")))
        calibrationUnit->setText(ui.cmbInpUnitChoice->currentText());
    // 6. The pulse weight of the resolution list.
    if (auto *resolution = m_session.controls.get<QWidget>(QStringLiteral("cmbOut2Vol1Res"))) {
        auto *list = qobject_cast<TKRComboBox *>(resolution);
        const int digits = list ? list->SelectedIndex() : -1;
        auto *volumeUnit = m_session.controls.get<QLabel>(QStringLiteral("la715Volume1Unit"));
        resolution->setToolTip(QString::number(digits) + m_session.translate(QStringLiteral(" digits after decimal seperator"))
                               + QStringLiteral(" (") + QString::number(qRound64(std::pow(10.0, std::max(digits, 0))))
                               + m_session.translate(QStringLiteral(" Pulse")) + QLatin1Char('/')
                               + (volumeUnit ? volumeUnit->text() : QString()) + QLatin1Char(')'));
    }
    // 7.
    ShowFitToManufacturer();
}

void InpTab::cmbInpDevCalcChange()
{
    ShowFitToManufacturer();
}

void InpTab::edInpMeterSizeChange()
{
    ShowFitToManufacturer();
}

void InpTab::ShowFitToManufacturer()
{
    const QString previous = m_session.previousUnitName;
    if (ui.cmbInpUnitChoice->SelectedIndex() <= 0 || ui.cmbInpDevCalc->SelectedIndex() <= 0
        || previous == m_session.translate(QStringLiteral("Unit")) || ui.cmbInpDevCalc->currentText() == m_session.translate(QStringLiteral("No meter")))
        return;
    double meterSize = 0;
    const std::optional<double> litres = units::litresPerUnit(unitIndexOf(previous));
    const std::optional<double> nominal = units::nominalLitres(ui.cmbInpDevCalc->SelectedIndex());
    if (!litres || !nominal || !numfmt::parseReal(ui.edInpMeterSize->text(), meterSize))
        return;
    ui.edInpDevCalc->setText(numfmt::fixedText(meterSize * *litres / *nominal * 100, 7, 2) + QLatin1Char('%'));
}

void InpTab::btnInpCalibClick()
{
    if (auto *calibration = m_session.controls.get<QWidget>(QStringLiteral("TfrmCalib"))) {
        calibration->show();
        calibration->raise();
        calibration->activateWindow();
    }
}
