#pragma once
// Commissioning report: the device identification, every setting in words, the raw
// registers, the last calibration, the error history, the operator's memo and the date
// and time, previewed in the window and saved as one PDF file.
#include "ReportBuilder.h"
#include "ToolSupport.h"
#include "ui_ReportU.h"

#include <QWidget>
#include <functional>

class QTimer;
class TfrmKR715Config;

class TfrmReport : public QWidget {
    Q_OBJECT
public:
    // The last calibration, as the tools saw it (empty: none in this run).
    using CalibrationSource = std::function<report::Calibration()>;
    TfrmReport(TfrmKR715Config &main, CalibrationSource calibration, QWidget *parent = nullptr);

    Ui::TfrmReport ui;

    // Handlers
    void btnReportRefreshClick();
    void btnReportSaveClick();
    void edReportMemoChange();

    // What the report holds now.
    report::ReportData gather() const;
    // Shows the report as it will be saved.
    void refresh();
    // Saves the report; false with a message to the operator when it cannot be written.
    bool save(const QString &path);
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString field(const char *name) const;

    TfrmKR715Config &m_main;
    krtools::Translate m_tr;
    CalibrationSource m_calibration;
    std::function<QDateTime()> m_clock;
    QTimer *m_refreshSoon = nullptr;
};
