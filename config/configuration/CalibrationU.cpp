#include "CalibrationU.h"

#include "DialogService.h"
#include "KR715Session.h"
#include "KRLanguage.h"
#include "NumberFormat.h"

#include <QLineEdit>
#include <QTimer>
#include <cmath>
#include <limits>

namespace {

// Slots of the polling cycle this dialog hands values to.
constexpr int SlotMeterSize = 1; // register E1
constexpr int SlotVolume2 = 11;  // the Volume2 counter

} // namespace

TfrmCalib::TfrmCalib(KR715Session &session, QWidget *parent) : QDialog(parent), m_session(session)
{
    ui.setupUi(this);
    // Title bar with the system menu and its close box only: no help button, no
    // minimise or maximise, fixed size.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);

    tiCalibration = new QTimer(this);
    tiCalibration->setObjectName(QStringLiteral("tiCalibration"));
    tiCalibration->setInterval(100);

    m_session.controls.addTree(this);

    FormCreate();
    connect(ui.btnCalibInit, &QAbstractButton::clicked, this, &TfrmCalib::btnCalibInitClick);
    connect(tiCalibration, &QTimer::timeout, this, &TfrmCalib::tiCalibrationTimer);
    // Connected after the translation of its text: only changes from then on count.
    connect(ui.edCalibActualVol, &QLineEdit::textChanged, this, &TfrmCalib::edCalibActualVolChange);
    connect(ui.btnCalibCalcNewMeterSize, &QAbstractButton::clicked, this, &TfrmCalib::btnCalibCalcNewMeterSizeClick);
}

QString TfrmCalib::fieldText(const char *name) const
{
    const auto *field = m_session.controls.get<QLineEdit>(QLatin1String(name));
    return field ? field->text() : QString();
}

void TfrmCalib::FormCreate()
{
    setWindowTitle(m_session.translate(windowTitle()));
    for (QAbstractButton *button : {static_cast<QAbstractButton *>(ui.btnCalibInit),
                                    static_cast<QAbstractButton *>(ui.btnCalibCalcNewMeterSize)})
        button->setText(m_session.translate(button->text()));
    for (QLabel *label : {ui.laCalibNewMeterSize, ui.laCalibMeterSize, ui.laCalibUnit, ui.laCalib})
        label->setText(m_session.translate(label->text()));
    ui.edCalibActualVol->setText(m_session.translate(ui.edCalibActualVol->text()));
    for (QWidget *widget : {static_cast<QWidget *>(ui.btnCalibInit), static_cast<QWidget *>(ui.laCalibNewMeterSize),
                            static_cast<QWidget *>(ui.laCalibMeterSize), static_cast<QWidget *>(ui.edCalibActualVol),
                            static_cast<QWidget *>(ui.laCalibUnit), static_cast<QWidget *>(ui.laCalib),
                            static_cast<QWidget *>(ui.btnCalibCalcNewMeterSize)})
        widget->setToolTip(m_session.translate(widget->toolTip()));
    ui.laCalibNewMeterSize->setText(ui.laCalibNewMeterSize->text() + QLatin1Char('='));
}

void TfrmCalib::btnCalibInitClick()
{
    if (!m_session.dialogs
        || !m_session.dialogs->question(this, m_session.translate(QStringLiteral("This will clear volume2, is this OK")),
                                        QMessageBox::Warning))
        return;
    if (m_session.device.contact) {
        m_session.state(SlotVolume2) = ExchangeState::Editing;
        if (auto *volume2 = m_session.controls.get<QLineEdit>(QStringLiteral("edDataVol2")))
            volume2->setText(QStringLiteral("0"));
        m_session.state(SlotVolume2) = ExchangeState::WritePending;
    }
    ui.laCalibMeterSize->setText(fieldText("edInpMeterSize") + QStringLiteral(" *"));
    tiCalibration->start();
}

void TfrmCalib::tiCalibrationTimer()
{
    ui.laCalib->setText(fieldText("edDataVol2"));
}

void TfrmCalib::edCalibActualVolChange()
{
    ui.btnCalibCalcNewMeterSize->setEnabled(true);
}

void TfrmCalib::btnCalibCalcNewMeterSizeClick()
{
    DialogService *dialogs = m_session.dialogs;
    if (!dialogs)
        return;
    double oldSize = 0;
    double actual = 0;
    double volume2 = 0;
    if (!numfmt::parseReal(fieldText("edConE1"), oldSize) || !numfmt::parseReal(ui.edCalibActualVol->text(), actual)
        || !numfmt::parseReal(fieldText("edDataVol2"), volume2)) {
        dialogs->warning(this, m_session.translate(QStringLiteral("The fields (Meter size, Actual volume and Volume2)"))
                                   + QLatin1Char('\n')
                                   + m_session.translate(QStringLiteral("shall contain numerical expressions")));
        return;
    }
    // Without a measured volume there is no ratio to correct the meter size by.
    if (volume2 == 0) {
        dialogs->warning(this, m_session.translate(QStringLiteral("Volume2 is zero, no new meter size can be calculated")));
        return;
    }
    // The device keeps the meter size in single precision: a result beyond its range
    // could never be written.
    const double newSize = oldSize * actual / volume2;
    if (!std::isfinite(newSize) || std::abs(newSize) > std::numeric_limits<float>::max()) {
        dialogs->warning(this, m_session.translate(QStringLiteral("The new meter size is out of range")));
        return;
    }
    const QString text = numfmt::generalText(newSize);
    if (!dialogs->question(this,
                           m_session.translate(QStringLiteral("Save ")) + text
                               + m_session.translate(QStringLiteral(" as the new metersize, is this OK")),
                           QMessageBox::Warning))
        return;
    // Offline, the change of E1 is spread over the meter size field at once.
    if (auto *e1 = m_session.controls.get<QLineEdit>(QStringLiteral("edConE1")))
        e1->setText(text);
    if (m_session.device.contact)
        m_session.state(SlotMeterSize) = ExchangeState::WritePending;
}
