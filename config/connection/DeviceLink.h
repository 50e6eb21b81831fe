#pragma once
// Device selection and identification, the error line with its history and the
// PhysId history of the top bar.

#include "KR715Session.h"

#include <QObject>

class QComboBox;
class QTimer;
class QWidget;
class TKRComboBox;

class DeviceLink : public QObject {
    Q_OBJECT
public:
    // window: the main window (shown and raised by a selection); timer: ti715UpdateData.
    DeviceLink(KR715Session &session, QWidget *window, QTimer *updateTimer, QObject *parent = nullptr);

    void SelectDevice(const QString &physId);
    // Reads the outcome of the last server access into the error line; true when it failed.
    bool CheckServerError();
    // The PhysId history of cmb715PhysId: when it holds more than 99 entries the 100th
    // goes (even when physId is listed); then physId is put at the top unless it is
    // listed already (without regard to case).
    void AddToPhysIdHistory(const QString &physId);
    // SelectVariable with currentPhysId followed by the variable name.
    void selectDeviceVariable(const QString &variable);

    // Handlers of cmb715PhysId
    void cmb715PhysIdChange();
    void cmb715PhysIdClick();
    void cmb715PhysIdExit();
    // key: a Qt::Key; Enter selects the typed PhysId.
    void cmb715PhysIdKeyPress(int key);

    // Creates the server when it does not exist yet; false (after the platform's error
    // report) when it cannot be created.
    bool ensureServer();

private:
    void confirmPhysIdBox();
    void emptyIdentification();

    KR715Session &m_session;
    QWidget *m_window;
    QTimer *m_updateTimer;
    TKRComboBox *m_physIdBox;
    QComboBox *m_errorBox;
};
