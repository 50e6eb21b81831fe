#pragma once
// Tab page "Output 3 / PI-reg" of the main window: the function of output 3 (none, PI
// regulator, 4-20 mA current, 0-1000 Hz pulses), its data source and full scale, and
// the PI regulator (action, output direction, setpoint, P-band, Ti, mode). The hidden
// panel pnOut3PIHintPanel holds the example picture of the regulator shown as the hint
// of imgOut3PIHint.
//
// The page content is the dockable panel pnOut3_1 in its home container pnOut3_2.
// Every named control is registered with the session's control registry.

#include "ui_Out3TabU.h"

#include <QWidget>

class KR715Session;
class RegisterEditor;

class Out3Tab : public QWidget {
    Q_OBJECT
public:
    explicit Out3Tab(KR715Session &session, QWidget *parent = nullptr);

    Ui::Out3Tab ui;

    // The register model the settings of this tab are views of.
    void setEditor(RegisterEditor *editor) { m_editor = editor; }

    // Setting handlers: each marks its register Editing, updates the tab, encodes
    // its setting into the register text and marks the register WritePending
    // (the marks only while the device answers). Also run after a register read.
    void cmbOut3FuncOut3Change();
    void cmbOut3DataForOut3Change();
    void cmbStdE3Change();
    void grpOut3PIRegModeClick();

private:
    // The frequency of the pulse output on the Data tab: with a data source only.
    void showFrequencyPanel();

    KR715Session &m_session;
    RegisterEditor *m_editor = nullptr;
};
