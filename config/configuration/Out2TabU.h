#pragma once
// Tab page "Output2" of the main window: the function of output 2 (pulses, batch
// control, limit switch, error signal, sign of output 3), the data for a batch or
// limit, the resolution of volume 1, the setpoint and batch start, the batch progress
// and the data the volume counters count.
//
// The page content is the dockable panel pnOut2_1 in its home container pnOut2_2.
// Every named control is registered with the session's control registry.

#include "ui_Out2TabU.h"

#include <QWidget>

class KR715Session;
class RegisterEditor;

class Out2Tab : public QWidget {
    Q_OBJECT
public:
    explicit Out2Tab(KR715Session &session, QWidget *parent = nullptr);

    Ui::Out2Tab ui;

    // The register model the settings of this tab are views of.
    void setEditor(RegisterEditor *editor) { m_editor = editor; }

    // Setting handlers: each marks its register Editing, updates the tab, encodes
    // its setting into the register text and marks the register WritePending
    // (the marks only while the device answers). Also run after a register read.
    void cmbOut2FuncOutChange();
    void cmbOut2DataForBatchLimitChange();
    void cmbOut2DataForVolCountChange();
    void cmbOut2Vol1ResChange();

private:
    KR715Session &m_session;
    RegisterEditor *m_editor = nullptr;
};
