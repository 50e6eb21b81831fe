#pragma once
// Tab page "Units / Input" of the main window: the flow unit, direction, filter time
// constant, low-flow suppression and mode of operation, the temperature unit, the
// function of input 1, the meter size with its volume unit and the calibration button,
// and the fit of the meter size to a manufacturer's meter type.
//
// The page content is the dockable panel pnInp1 in its home container pnInp2.
// Every named control is registered with the session's control registry.

#include "ui_InpTabU.h"

#include <QWidget>

class KR715Session;
class RegisterEditor;

class InpTab : public QWidget {
    Q_OBJECT
public:
    explicit InpTab(KR715Session &session, QWidget *parent = nullptr);

    Ui::InpTab ui;

    // The register model the settings of this tab are views of.
    void setEditor(RegisterEditor *editor) { m_editor = editor; }

    // Setting handlers: each marks its register Editing, updates the tab, encodes
    // its setting into the register text and marks the register WritePending
    // (the marks only while the device answers). Also run after a register read.
    void cmbInpTempUnitChange();
    void cmbInpFuncChange();
    void cmbInpTimeConstChange();
    void cmbInpFlowDirectionChange();
    void cmbInpFlowCalcChange();
    void cmbInpModeChange();
    // Shows the calibration dialog, without waiting for it.
    void btnInpCalibClick();
    // The unit captions of the flow and volume fields; encodes the flow time unit.
    void ShowUnitLabels();
    // The volume unit or the flow time unit chosen: entries, captions, the meter size
    // recalculated on request, the pulse weight hint, the fit to the meter type.
    void cmbInpUnitChoiceChange();
    void cmbInpDevCalcChange();
    void edInpMeterSizeChange();
    // The meter size in percent of the nominal size of the chosen manufacturer's type.
    void ShowFitToManufacturer();

private:
    void setUnitCaptions();
    // Index of a unit name in the unit list; 0 ("Unit") when it is none of them.
    int unitIndexOf(const QString &name) const;

    KR715Session &m_session;
    RegisterEditor *m_editor = nullptr;
};
