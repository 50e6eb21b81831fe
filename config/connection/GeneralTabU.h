#pragma once
// Tab page "General" of the main window: the P-NET node address assignment by
// serial number, a picture of the transmitter and the identification of the
// selected device (device type, program version, node address).
//
// The page content is the dockable panel pnGen1 in its home container pnGen2.
// Every named control is registered with the session's control registry.

#include "ui_GeneralTabU.h"

#include <QWidget>

class KR715Session;

class GeneralTab : public QWidget {
    Q_OBJECT
public:
    explicit GeneralTab(KR715Session &session, QWidget *parent = nullptr);

    Ui::GeneralTab ui;

    void connectHandlers();

    // Gives the device whose serial number is typed in edGenNAddr the node address
    // that the server holds for the selected PhysId (also Enter in edGenNAddr).
    void btnApplyNAddrClick();
    void edGenNAddrKeyPress(int key);

private:
    KR715Session &m_session;
};
