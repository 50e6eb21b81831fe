#pragma once
// Calibration dialog: corrects the meter size (register E1) from a test run.
// The operator clears Volume2, lets a known volume flow through the meter, types
// the volume measured by a reference, and the dialog computes
//     NewMeterSize = OldMeterSize * actual volume / Volume2
// shown as a formula with the fraction bar Shape1. It is opened without being modal
// from the "Calibration" button of the tab "Units / Input".
//
// tiCalibration (100 ms, stopped until a calibration is started) refreshes the
// Volume2 shown below the fraction bar. Every named control is registered with the
// session's control registry. The dialog works on the main window's fields through
// that registry: edInpMeterSize, edConE1 and the Volume2 field edDataVol2.

#include "ui_CalibrationU.h"

#include <QDialog>

class KR715Session;
class QTimer;

class TfrmCalib : public QDialog {
    Q_OBJECT
public:
    // Client area of the dialog; it cannot be resized.
    static constexpr int ClientWidth = 385;
    static constexpr int ClientHeight = 116;

    explicit TfrmCalib(KR715Session &session, QWidget *parent = nullptr);

    Ui::TfrmCalib ui;
    QTimer *tiCalibration = nullptr;

    // Run once at creation: captions, the actual volume text and the hints in the
    // user's language, then "=" after the new meter size of the formula.
    void FormCreate();
    // Asks before clearing Volume2 (cleared only while the device answers), shows the
    // current meter size in the formula and starts the refresh of Volume2.
    void btnCalibInitClick();
    // Volume2 below the fraction bar follows the Data tab's Volume2 field.
    void tiCalibrationTimer();
    // Any change of the actual volume enables the calculation.
    void edCalibActualVolChange();
    // Computes the new meter size and, when the operator agrees, stores it in E1,
    // from where the poll writes it to the device.
    void btnCalibCalcNewMeterSizeClick();

private:
    QString fieldText(const char *name) const;

    KR715Session &m_session;
};
