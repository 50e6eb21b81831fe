#include "CalibrationU.h"

#include "KR715Session.h"

#include <QTimer>

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
}
