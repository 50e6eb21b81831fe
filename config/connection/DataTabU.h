#pragma once
// Tab page "Data" of the main window: the live values of the selected device
// (flow, volumes, instant and temperature-compensated flow, temperature,
// setpoint, input 1 and the outputs 2 and 3).
//
// Output 2 is shown either as an on/off lamp (pnDataOut2OnOff) or as a frequency
// (pnDataOut2F); output 3 as a lamp (pnDataOut3OnOff), a frequency (pnDataOut3F) or
// a current with the manual value (pnDataOut3Ana). At start the lamps show, both
// outputs off; the function settings of the output tabs switch the panels.
//
// The page content is the dockable panel pnData1 in its home container pnData3.
// Every named control is registered with the session's control registry.

#include "ui_DataTabU.h"

#include <QWidget>

class KR715Session;

class DataTab : public QWidget {
    Q_OBJECT
public:
    // Left edge of the output panels, the column of the value fields.
    static constexpr int OutputPanelLeft = 168;
    // Width of the on/off lamp panels.
    static constexpr int LampPanelWidth = 25;

    explicit DataTab(KR715Session &session, QWidget *parent = nullptr);

    Ui::DataTab ui;

    // Puts the output panels in their start positions, run once while the main
    // window is created: the lamp panels 25 pixels wide at the field column with
    // both lamps of a pair filling their panel (only the visible one shows), the
    // frequency and current panels at the field column, and the current panel cut
    // just after its "mA" label so that the manual value stays out of sight until
    // it is needed.
    void applyStartLayout();

    // Connects the data-view handlers (also those of the bottom strip and of the
    // setpoint fields of the output tabs, found by name).
    void connectHandlers();

    // A click on the visible lamp of an output without a function toggles it.
    void imgDataOut2OnClick();
    void imgDataOut2OffClick();
    void imgDataOut3OnClick();
    void imgDataOut3OffClick();

    // Value entry: Editing while the operator types, WritePending when the value is
    // complete (the marks only while the device answers; flow only in test mode).
    // Enter completes an entry; leaving a field completes it only when the operator
    // changed its text (a field passed through writes nothing and returns to reading).
    // A text the device cannot take is refused with a warning naming the field.
    void edDataFlowEnter();
    void ed715FlowExit();
    void edDataFlowExit();
    void edDataVol1Enter();
    void ed715Vol1Exit();
    void edDataVol1Exit();
    void edDataVol2Enter();
    void ed715Vol2Exit();
    void edDataVol2Exit();
    void edDataSetPEnter();
    void edDataSetPKREditUpDate();
    void edOut3SetPKREditUpDate();
    void edOut2SetPKREditUpDate();
    void edDataManSetOut3KREditUpDate();
    void btnOut2BatchStartClick();
    // Enter in a value field.
    void edDataFlowKeyPress();
    void ed715FlowKeyPress();
    void edDataVol1KeyPress();
    void ed715Vol1KeyPress();
    void edDataVol2KeyPress();
    void ed715Vol2KeyPress();

    // Progress of a running batch (every 250 ms).
    void tiOut2BatchCalcTimer();

private:
    void mark(int slot, int state);
    bool testMode() const;
    void copyText(const char *from, const char *to);
    TKREdit *field(const char *name) const;
    // The end of an entry in field: confirmed (Enter) or left. A changed or confirmed
    // entry is copied to copyTo (when given) and marks the slot WritePending, when its
    // text is a number the device takes; otherwise the operator is told and the slot
    // returns to Reading. An entry left unchanged returns the slot to Reading.
    void finishEntry(int slot, const char *name, const char *copyTo, bool confirmed);
    // The same for the update event of a setpoint field, copied to the two others.
    void finishSetpoint(const char *name, const char *copyTo1, const char *copyTo2);

    KR715Session &m_session;
};
