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
// session's control registry.

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

private:
    KR715Session &m_session;
};
