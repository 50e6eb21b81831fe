#pragma once
// "MIB View": the network-variable tree, from which the operator picks a device
// by double-clicking its node instead of typing its PhysId. The window is created
// hidden at program start, shown by the main window's "MIB" button, and only
// hidden (never destroyed) after a choice or when it is closed.
//
// The tree axZentixView fills the whole client area.

#include "ui_MibViewU.h"

#include <QWidget>

// What the view needs of the main window.
class MibViewHost {
public:
    virtual ~MibViewHost() = default;
    virtual void AddToPhysIdHistory(const QString &physId) = 0;
    virtual void SelectDevice(const QString &physId) = 0;
    // The PhysId box shows its text in the normal colour; no control has the focus.
    virtual void physIdChosen() = 0;
    // The selected device's meter number read with DoRead (InValue); false, after the
    // error line has shown why, when the read failed.
    virtual bool readMeterNumber(qint32 &value) = 0;
    // edGenNAddr, the serial number field of the General tab: its text, and its
    // normal (not edited) colour.
    virtual void showSerialNumber(const QString &text) = 0;
    virtual void showSerialNumberNormal() = 0;
    // Settings kept between runs (integers, empty key); false when the read failed.
    virtual bool readSetting(const QString &name, int &value) = 0;
    virtual void writeSetting(const QString &name, int value) = 0;
    virtual QRect mainWindowGeometry() const = 0;
};

class TfrmMIBView : public QWidget {
    Q_OBJECT
public:
    // Size at design time and the smallest size the operator can give it.
    static constexpr int DesignWidth = 409;
    static constexpr int DesignHeight = 445;
    static constexpr int MinimumSide = 100;

    explicit TfrmMIBView(QWidget *parent = nullptr);

    void setHost(MibViewHost *host) { m_host = host; }

    // A double click on a node: that device becomes the main window's device.
    void axZentixViewDblClick();
    // Geometry kept between runs.
    void FormShow();
    void FormClose();

    Ui::TfrmMIBView ui;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    MibViewHost *m_host = nullptr;
};
