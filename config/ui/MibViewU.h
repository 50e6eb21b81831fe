#pragma once
// "MIB View": the network-variable tree, from which the operator picks a device
// by double-clicking its node instead of typing its PhysId. The window is created
// hidden at program start, shown by the main window's "MIB" button, and only
// hidden (never destroyed) after a choice or when it is closed.
//
// The tree axZentixView fills the whole client area.

#include "ui_MibViewU.h"

#include <QWidget>

class TfrmMIBView : public QWidget {
    Q_OBJECT
public:
    // Size at design time and the smallest size the operator can give it.
    static constexpr int DesignWidth = 409;
    static constexpr int DesignHeight = 445;
    static constexpr int MinimumSide = 100;

    explicit TfrmMIBView(QWidget *parent = nullptr);

    Ui::TfrmMIBView ui;
};
