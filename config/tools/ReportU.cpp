#include "ReportU.h"

#include "CompareEngine.h"
#include "CompareU.h"
#include "ConfigKR715U.h"
#include "DialogService.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>

TfrmReport::TfrmReport(TfrmKR715Config &main, CalibrationSource calibration, QWidget *parent)
    : QWidget(parent, Qt::Window), m_main(main), m_tr(krtools::translatorOf(main)), m_calibration(std::move(calibration))
{
    ui.setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    krtools::translateForm(this, m_tr);
    m_clock = [] { return QDateTime::currentDateTime(); };
    m_refreshSoon = new QTimer(this);
    m_refreshSoon->setSingleShot(true);
    m_refreshSoon->setInterval(400);
    connect(m_refreshSoon, &QTimer::timeout, this, &TfrmReport::refresh);
    connect(ui.btnReportRefresh, &QAbstractButton::clicked, this, &TfrmReport::btnReportRefreshClick);
    connect(ui.btnReportSave, &QAbstractButton::clicked, this, &TfrmReport::btnReportSaveClick);
    connect(ui.edReportMemo, &QPlainTextEdit::textChanged, this, &TfrmReport::edReportMemoChange);
}

QString TfrmReport::field(const char *name) const
{
    auto *edit = m_main.session().controls.get<QLineEdit>(QLatin1String(name));
    return edit ? edit->text() : QString();
}

report::ReportData TfrmReport::gather() const
{
    report::ReportData d;
    const KR715Session &session = m_main.session();
    d.physId = session.device.currentPhysId;
    d.deviceType = field("edGenDeviceNo");
    d.programVersion = field("edGenPrgVer");
    d.serialNumber = field("edGenNAddr");
    d.nodeAddress = field("edGenNodeNo");
    if (auto *units = session.controls.get<QComboBox>(QStringLiteral("cmbInpUnitChoice")))
        d.unitName = units->currentText();
    compare::Registers registers;
    for (int reg = 1; reg <= 8; ++reg) {
        registers[size_t(reg)] = field(qPrintable(QStringLiteral("edConE%1").arg(reg)));
        d.registers[size_t(reg)] = registers[size_t(reg)];
    }
    // The settings in the words of the window's lists.
    d.settings = compare::describe(registers, TfrmCompare::listTextsOf(m_main, m_tr), m_tr);
    if (m_calibration)
        d.calibration = m_calibration();
    if (auto *errors = session.controls.get<QComboBox>(QStringLiteral("cmb715Error")))
        for (int i = 0; i < errors->count(); ++i)
            if (!errors->itemText(i).isEmpty())
                d.errors.append(errors->itemText(i));
    d.memo = ui.edReportMemo->toPlainText();
    d.created = m_clock();
    return d;
}

void TfrmReport::refresh()
{
    const int scrolled = ui.tbReportPreview->verticalScrollBar()->value();
    ui.tbReportPreview->setHtml(report::html(gather(), m_tr));
    ui.tbReportPreview->verticalScrollBar()->setValue(scrolled);
}

bool TfrmReport::save(const QString &path)
{
    QString error;
    if (report::writePdf(path, gather(), m_tr, &error))
        return true;
    if (DialogService *dialogs = m_main.session().dialogs)
        krtools::warnNotWritten(*dialogs, this, m_tr, path, error);
    return false;
}

void TfrmReport::btnReportRefreshClick()
{
    refresh();
}

void TfrmReport::btnReportSaveClick()
{
    DialogService *dialogs = m_main.session().dialogs;
    if (!dialogs)
        return;
    refresh();
    const QString path = dialogs->getSaveFileName(this, m_tr(QStringLiteral("Save PDF...")), m_main.dataDirectory(),
                                                  m_tr(QStringLiteral("PDF document")) + QStringLiteral(" (*.pdf)|*.pdf"),
                                                  QStringLiteral("pdf"));
    if (!path.isEmpty())
        save(path);
}

void TfrmReport::edReportMemoChange()
{
    m_refreshSoon->start();
}

void TfrmReport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void TfrmReport::closeEvent(QCloseEvent *event)
{
    krtools::savePlace(this, m_main.settingsSection(), QStringLiteral("Report"));
    QWidget::closeEvent(event);
}
