#pragma once
// The main window of KR715Config: top bar with the PhysId box, six tab pages and the
// bottom strip with flow, volumes, the error line and the undo buttons. The window
// owns the device state (KR715Session) that its tab modules share.

#include "KR715Session.h"
#include "MibViewU.h"
#include "ui_ConfigKR715U.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QTimer;
class TKRLanguage;
class DialogService;
class GeneralTab;
class DataTab;
class Out3Tab;
class Out2Tab;
class InpTab;
class ConTab;
class TKRPanel;
class DeviceLink;
class PollCycle;
class RegisterEditor;
class HelpTopics;

// The executable's file name without directory, cut before its first ".";
// empty when the name has no ".".
QString settingsSectionFor(const QString &executablePath);

class TfrmKR715Config : public QWidget, public MibViewHost {
    Q_OBJECT
public:
    // arguments: the command line without the program name.
    explicit TfrmKR715Config(const QStringList &arguments, QWidget *parent = nullptr);
    ~TfrmKR715Config() override;

    KR715Session &session() { return m_session; }
    const QString &settingsSection() const { return m_settingsSection; }
    QString dataDirectory() const { return m_dataDirectory; }

    // The network-variable view and the calibration dialog, created after the main
    // window by the program entry.
    void attachWindows(QWidget *mibView, QWidget *calibration);

    Ui::TfrmKR715Config ui;

    // Handlers
    void FormCreate();
    void FormClose();
    void sb715MIBClick();
    void pnMasterStartDock(TKRPanel *panel);
    void pnMasterEndDock(TKRPanel *panel, QWidget *target);
    void ti715HintPanelTimerTimer();

    QTimer *ti715UpdateData = nullptr;
    QTimer *tiOut2BatchCalc = nullptr;
    QTimer *ti715HintPanelTimer = nullptr;
    TKRLanguage *lanTrans = nullptr;

    DeviceLink *deviceLink = nullptr;
    PollCycle *pollCycle = nullptr;
    RegisterEditor *registerEditor = nullptr;

    GeneralTab *generalTab = nullptr;
    DataTab *dataTab = nullptr;
    Out3Tab *out3Tab = nullptr;
    Out2Tab *out2Tab = nullptr;
    InpTab *inpTab = nullptr;
    ConTab *conTab = nullptr;
    // Context help: F1, the "Help" button and the help viewer.
    HelpTopics *helpTopics = nullptr;

    // The PhysId given on the command line.
    QString startPhysId;

    // What the network-variable view asks of the main window.
    void AddToPhysIdHistory(const QString &physId) override;
    void SelectDevice(const QString &physId) override;
    void physIdChosen() override;
    bool readMeterNumber(qint32 &value) override;
    void showSerialNumber(const QString &text) override;
    void showSerialNumberNormal() override;
    bool readSetting(const QString &name, int &value) override;
    void writeSetting(const QString &name, int value) override;
    QRect mainWindowGeometry() const override { return frameGeometry(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void translateCaptions();
    void loadPhysIdHistory();
    void savePhysIdHistory();
    void setupHints();
    void hidePIHintPanel();
    QWidget *homeContainerOf(TKRPanel *panel) const;

    KR715Session m_session;
    DialogService *m_dialogs = nullptr;
    QString m_settingsSection;
    QString m_dataDirectory;
    QPointer<QWidget> m_mibView;
    QPointer<QWidget> m_calibration;
    bool m_closed = false;
};
