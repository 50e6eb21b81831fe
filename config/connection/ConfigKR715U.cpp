#include "ConfigKR715U.h"

#include "KRFormScale.h"

#include "ConTabU.h"
#include "DataTabU.h"
#include "DeviceLink.h"
#include "PollCycle.h"
#include "RegisterEditorU.h"
#include "DialogService.h"
#include "GeneralTabU.h"
#include "HelpTopicsU.h"
#include "InpTabU.h"
#include "KRComboBox.h"
#include "KREdit.h"
#include "KRLanguage.h"
#include "KRPanel.h"
#include "Out2TabU.h"
#include "Out3TabU.h"
#include "PhysIdHistory.h"
#include "RegistryClient.h"
#include "ToolkitControls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const PhysIdListKey = "PhysIdList";
const char *const PhysIdListCount = "PhysIdListCount";
constexpr int HintHidePause = 7000; // ms a hint stays up

// Content panel of each tab and the container it docks back into.
struct DockPair {
    const char *panel;
    const char *home;
};
constexpr DockPair DockPairs[] = {
    {"pnGen1", "pnGen2"},   {"pnData1", "pnData3"}, {"pnOut3_1", "pnOut3_2"},
    {"pnOut2_1", "pnOut2_2"}, {"pnInp1", "pnInp2"},   {"pnCon1", "pnCon2"},
};

// Texts translated when the window is created, in this order (a missing text is
// appended to a new translation file in the order it is met). "items:" translates
// every entry of a list or radio group, "hint:" a control's hint.
const char *const TranslationOrder[] = {
    "", // the window caption
    "la715PhysId", "la715Flow", "la715Vol1", "la715Vol2", "laConError", "la715FlowUnit",
    "la715Volume1Unit", "la715Volume2Unit", "laDataFlowUnit", "laDataVol1Unit", "laDataVol2Unit",
    "laDataInstantFlowUnit", "laDataTCFlowUnit", "laDataTempUnit", "bu715HELP", "tsGen", "grbGenNAddr",
    "laGenNAddr", "btnApplyNAddr", "grbGenModId", "laGenDeviceNo", "laGenNodeNo", "laGenPrgVer", "tsData",
    "laDataFlow", "laDataVol1", "laDataVol2", "laDataInstantFlow", "laDataTCFlow", "laDataTemp",
    "laDataSetP", "laDataInp", "laDataOut2", "laDataOut3", "tsOut3", "grpOut3", "laOut3FuncOfOut3",
    "laOut3DataForOut", "grpOut3ScaleOut3", "laOut3PIReg", "grpOut3PIGroup", "grpOut3Reg", "laOut3SetP",
    "grpOut3RegTime", "laOut3PiPBand", "laOut3PiTi", "grpOut3PIRegMode", "items:cmbOut3FuncOut3",
    "items:cmbOut3DataForOut3", "items:cmbOut3PIRegCalcInp", "items:cmbOut3PIRegContrDir",
    "items:grpOut3PIRegMode", "tsOut2", "grpOut2", "laOut2FuncOut", "laOut2DataForBatchLimit",
    "laOut2Vol1Res", "laOut2SetP", "btnOut2BatchStart", "hint:btnOut2BatchStart", "grpOut2Volume",
    "grpOut2BatchProgress", "items:cmbOut2FuncOut", "items:cmbOut2DataForBatchLimit",
    "items:cmbOut2Vol1Res", "items:cmbOut2DataForVolCount", "hint:cmbOut2Vol1Res", "tsInp",
    "grpInpMeterSize", "grpInpTemp", "grpInpDevCalc", "grpInpFunc", "btnInpCalib", "grpInpFlow",
    "laInpFlowUnit", "laInpTimeConst", "laInpMode", "laInpFlowDir", "laInpFlowCalc",
    "items:cmbInpUnitChoice", "items:cmbInpTempUnit", "items:cmbInpDevCalc", "items:cmbInpFunc",
    "items:cmbInpFlowUnitConst", "items:cmbInpTimeConst", "items:cmbInpMode", "items:cmbInpFlowDirection",
    "items:cmbInpFlowCalc", "tsCon", "laConE1", "laConE2", "laConE3", "laConE4", "laConE5", "laConE6",
    "laConE7", "laConE8", "bbConUndo", "bbConRedo", "btnConReset", "hint:bbConSaveE1_8",
    "hint:bbConLoadE1_8",
};

// Lists set to their first entry when the window is created.
const char *const FirstEntryLists[] = {
    "cmbOut3FuncOut3", "cmbOut3DataForOut3", "cmbOut3PIRegCalcInp", "cmbOut3PIRegContrDir",
    "cmbOut2FuncOut", "cmbOut2DataForBatchLimit", "cmbOut2DataForVolCount", "cmbInpFlowUnitConst",
    "cmbInpFlowDirection", "cmbInpMode", "cmbInpTimeConst", "cmbInpFlowCalc", "cmbInpTempUnit",
    "cmbInpFunc", "cmbInpUnitChoice", "cmbInpDevCalc", "cmbOut2Vol1Res",
};

void putIntoPage(QWidget *page, QWidget *content)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

} // namespace

QString settingsSectionFor(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

TfrmKR715Config::TfrmKR715Config(const QStringList &arguments, QWidget *parent)
    : QWidget(parent)
{
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(406, 459);
    // All six tab captions fit the window's width without scroll buttons.
    ui.pc715->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 3px; }"));
    ui.pc715->setUsesScrollButtons(false);

    ti715UpdateData = new QTimer(this);
    ti715UpdateData->setObjectName(QStringLiteral("ti715UpdateData"));
    ti715UpdateData->setInterval(50);
    tiOut2BatchCalc = new QTimer(this);
    tiOut2BatchCalc->setObjectName(QStringLiteral("tiOut2BatchCalc"));
    tiOut2BatchCalc->setInterval(250);
    ti715HintPanelTimer = new QTimer(this);
    ti715HintPanelTimer->setObjectName(QStringLiteral("ti715HintPanelTimer"));

    lanTrans = new TKRLanguage(this);
    lanTrans->setObjectName(QStringLiteral("lanTrans"));
    m_dialogs = new DialogService(lanTrans, this);
    m_session.lanTrans = lanTrans;
    m_session.dialogs = m_dialogs;

    generalTab = new GeneralTab(m_session);
    dataTab = new DataTab(m_session);
    out3Tab = new Out3Tab(m_session);
    out2Tab = new Out2Tab(m_session);
    inpTab = new InpTab(m_session);
    conTab = new ConTab(m_session);
    putIntoPage(ui.tsGen, generalTab);
    putIntoPage(ui.tsData, dataTab);
    putIntoPage(ui.tsOut3, out3Tab);
    putIntoPage(ui.tsOut2, out2Tab);
    putIntoPage(ui.tsInp, inpTab);
    putIntoPage(ui.tsCon, conTab);
    m_session.controls.addTree(this);

    // Device selection, the polling cycle and the register model.
    deviceLink = new DeviceLink(m_session, this, ti715UpdateData, this);
    pollCycle = new PollCycle(m_session, *deviceLink, this);
    registerEditor = new RegisterEditor(m_session, this, this);
    registerEditor->setTabs(out3Tab, out2Tab, inpTab);
    m_session.link = deviceLink;
    m_session.decoder = registerEditor;
    out3Tab->setEditor(registerEditor);
    out2Tab->setEditor(registerEditor);
    inpTab->setEditor(registerEditor);
    conTab->setEditor(registerEditor);
    dataTab->connectHandlers();
    generalTab->connectHandlers();
    helpTopics = new HelpTopics(m_session, this, [this] { return m_settingsSection; }, this);
    helpTopics->connectHandlers();

    connect(ti715UpdateData, &QTimer::timeout, pollCycle, &PollCycle::ti715UpdateDataTimer);
    connect(tiOut2BatchCalc, &QTimer::timeout, dataTab, &DataTab::tiOut2BatchCalcTimer);
    connect(ui.cmb715PhysId, &TKRComboBox::OnExit, deviceLink, &DeviceLink::cmb715PhysIdExit);
    connect(ui.cmb715PhysId, &TKRComboBox::OnKeyDown, deviceLink,
            [this](QObject *, int key) { deviceLink->cmb715PhysIdKeyPress(key); });
    connect(ui.cmb715PhysId, &TKRComboBox::OnChange, deviceLink, &DeviceLink::cmb715PhysIdChange);
    connect(ui.cmb715PhysId, &TKRComboBox::OnEnter, deviceLink, &DeviceLink::cmb715PhysIdClick);
    connect(ui.cmb715PhysId, QOverload<int>::of(&QComboBox::activated), deviceLink, &DeviceLink::cmb715PhysIdClick);
    if (auto *temperature = m_session.controls.get<TKREdit>(QStringLiteral("edDataTemp")))
        connect(temperature, &TKREdit::OnChange, pollCycle, &PollCycle::edDataTempChange);

    connect(ui.sb715MIB, &QAbstractButton::clicked, this, &TfrmKR715Config::sb715MIBClick);
    connect(ti715HintPanelTimer, &QTimer::timeout, this, &TfrmKR715Config::ti715HintPanelTimerTimer);
    for (const DockPair &pair : DockPairs) {
        if (auto *panel = m_session.controls.get<TKRPanel>(QLatin1String(pair.panel))) {
            panel->setFloatable(true);
            connect(panel, &TKRPanel::OnStartDock, this, [this, panel] { pnMasterStartDock(panel); });
            connect(panel, &TKRPanel::OnEndDock, this, [this, panel](QObject *, QObject *target) {
                pnMasterEndDock(panel, qobject_cast<QWidget *>(target));
            });
        }
    }

    startPhysId = arguments.value(0);
    FormCreate();
}

TfrmKR715Config::~TfrmKR715Config()
{
    // The hint handler sees the application's events only while the window is whole.
    if (qApp)
        qApp->removeEventFilter(this);
    // The help viewer, when it exists, is closed (its geometry kept), freed and forgotten.
    if (helpTopics)
        helpTopics->closeViewer();
}

void TfrmKR715Config::attachWindows(QWidget *mibView, QWidget *calibration)
{
    if (auto *view = qobject_cast<TfrmMIBView *>(mibView))
        view->setHost(this);
    m_mibView = mibView;
    m_calibration = calibration;
    m_session.controls.addTree(mibView);
    m_session.controls.addTree(calibration);
}

void TfrmKR715Config::FormCreate()
{
    // 1. The section of all settings.
    m_settingsSection = settingsSectionFor(QCoreApplication::applicationFilePath());

    // 2. Undo state.
    m_session.history.historyPosition = 1;
    m_session.history.undoRedoActive = false;
    m_session.digitKeyPressed = false;
    m_session.initialLoadPending = false;
    m_session.history.lastRecorded = RegisterSnapshot{};
    for (int i = 0; i < RegisterSnapshot::Count; ++i)
        if (auto *edit = m_session.controls.get<QLineEdit>(QStringLiteral("edConE%1").arg(RegisterSnapshot::registerOf(i))))
            m_session.history.lastRecorded.texts[static_cast<size_t>(i)] = edit->text();

    // 3. Captions in the user's language.
    translateCaptions();

    // 4. The PhysId history of earlier runs.
    loadPhysIdHistory();

    // 5. The data directory.
    const QString productData = ::dataDirectory();
    if (!productData.isEmpty()) {
        m_dataDirectory = productData + m_settingsSection;
        QDir().mkpath(m_dataDirectory);
    }
    m_session.dataDirectory = m_dataDirectory;

    // 6. No device yet.
    m_session.server.reset();
    m_session.device = DeviceState{};

    // 7. Data tab layout.
    dataTab->applyStartLayout();

    // 8. Hints.
    setupHints();

    // The window and its forms grow with a font larger than the design's.
    if (const double scale = krscale::factor(); scale > 1.0) {
        setFixedSize(krscale::scaled(width(), scale), krscale::scaled(height(), scale));
        krscale::scaleChildren(this, scale);
    }

    // 9. The unit the meter size is given in.
    if (auto *units = m_session.controls.get<TKRComboBox>(QStringLiteral("cmbInpUnitChoice")))
        m_session.previousUnitName = units->itemText(0);

    // 10. Lists start at their first entry.
    for (const char *name : FirstEntryLists)
        if (auto *list = m_session.controls.get<TKRComboBox>(QLatin1String(name)))
            list->SelectIndex(0);

    // 11. The polling cycle starts from its first slot with nothing pending.
    m_session.resetPolling();

    ti715UpdateData->start();
    tiOut2BatchCalc->start();

    // 12. A PhysId on the command line is the device to select.
    if (!startPhysId.isEmpty())
        deviceLink->SelectDevice(startPhysId);

    // 13. The General tab is shown first.
    ui.pc715->setCurrentWidget(ui.tsGen);
}

void TfrmKR715Config::translateCaptions()
{
    auto tr = [this](const QString &text) { return lanTrans->Translate(text); };
    for (const char *entry : TranslationOrder) {
        QString name = QLatin1String(entry);
        if (name.isEmpty()) {
            setWindowTitle(tr(windowTitle()));
            continue;
        }
        if (name.startsWith(QLatin1String("items:"))) {
            QObject *object = m_session.controls.object(name.mid(6));
            if (auto *list = qobject_cast<QComboBox *>(object)) {
                for (int i = 0; i < list->count(); ++i)
                    list->setItemText(i, tr(list->itemText(i)));
            } else if (auto *group = qobject_cast<TRadioGroup *>(object)) {
                const QStringList items = group->Items();
                for (int i = 0; i < items.size(); ++i)
                    group->setItemText(i, tr(items.at(i)));
            }
            continue;
        }
        if (name.startsWith(QLatin1String("hint:"))) {
            if (auto *widget = m_session.controls.get<QWidget>(name.mid(5)))
                widget->setToolTip(tr(widget->toolTip()));
            continue;
        }
        QObject *object = m_session.controls.object(name);
        if (auto *label = qobject_cast<QLabel *>(object)) {
            label->setText(tr(label->text()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
            button->setText(tr(button->text()));
        } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
            group->setTitle(tr(group->title()));
        } else if (auto *page = qobject_cast<QWidget *>(object)) {
            const int index = ui.pc715->indexOf(page);
            if (index >= 0)
                ui.pc715->setTabText(index, tr(ui.pc715->tabText(index)));
        }
    }
}

void TfrmKR715Config::loadPhysIdHistory()
{
    RegistryClient registry(m_settingsSection);
    int count = 0;
    if (!registry.readInteger(QLatin1String(PhysIdListKey), QLatin1String(PhysIdListCount), count))
        count = 0;
    count = qBound(0, count, physid::MaxHistory);
    QStringList stored;
    for (int i = 0; i < count; ++i) {
        QString id;
        if (!registry.readString(QLatin1String(PhysIdListKey), QString::number(i), id))
            break;
        stored.append(id);
    }
    ui.cmb715PhysId->addItems(physid::fromStored(stored));
    ui.cmb715PhysId->setCurrentIndex(-1);
}

void TfrmKR715Config::savePhysIdHistory()
{
    RegistryClient registry(m_settingsSection);
    const int count = ui.cmb715PhysId->count();
    registry.writeInteger(QLatin1String(PhysIdListKey), QLatin1String(PhysIdListCount), count);
    for (int i = 0; i < count; ++i)
        registry.writeString(QLatin1String(PhysIdListKey), QString::number(i), ui.cmb715PhysId->itemText(i));
}

void TfrmKR715Config::setupHints()
{
    const QString twoLines = QStringLiteral("Her gives en detalieret\nbeskrivelse");
    for (const char *name : {"cmbOut3PIRegCalcInp", "cmbOut3PIRegContrDir"})
        if (auto *widget = m_session.controls.get<QWidget>(QLatin1String(name)))
            widget->setToolTip(twoLines);
    if (auto *group = m_session.controls.get<QWidget>(QStringLiteral("grpOut3RegTime")))
        group->setToolTip(QStringLiteral("Beskriv sammelhæng mellem\nP og TI, så\nopsætning lettes"));

    auto *panel = m_session.controls.get<QWidget>(QStringLiteral("pnOut3PIHintPanel"));
    auto *picture = m_session.controls.get<QLabel>(QStringLiteral("imgOut3PIEks"));
    if (panel && picture) {
        panel->resize(386, panel->height());
        picture->setScaledContents(false);
        if (!picture->pixmap().isNull())
            picture->resize(picture->pixmap().size());
        picture->move(0, 0);
        panel->resize(panel->width(), qMax(panel->height(), picture->height()));
    }
    qApp->installEventFilter(this);
    for (const char *name : {"pc715", "grpOut3", "grpOut3PIGroup"})
        if (auto *widget = m_session.controls.get<QWidget>(QLatin1String(name)))
            widget->setMouseTracking(true);
    setMouseTracking(true);
}

bool TfrmKR715Config::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ToolTip && watched->objectName() == QLatin1String("imgOut3PIHint")
        && watched == m_session.controls.object(QStringLiteral("imgOut3PIHint"))) {
        // The PI regulator picture replaces the ordinary hint of its help image.
        if (auto *panel = m_session.controls.get<QWidget>(QStringLiteral("pnOut3PIHintPanel"))) {
            if (QWidget *parent = panel->parentWidget())
                panel->setGeometry(parent->rect());
            panel->raise();
            panel->show();
            ti715HintPanelTimer->setInterval(HintHidePause);
            ti715HintPanelTimer->start();
        }
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        const QString name = watched->objectName();
        if (watched == this || name == QLatin1String("pc715") || name == QLatin1String("grpOut3")
            || name == QLatin1String("grpOut3PIGroup"))
            hidePIHintPanel();
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmKR715Config::ti715HintPanelTimerTimer()
{
    hidePIHintPanel();
}

void TfrmKR715Config::hidePIHintPanel()
{
    if (auto *panel = m_session.controls.get<QWidget>(QStringLiteral("pnOut3PIHintPanel")))
        panel->hide();
    ti715HintPanelTimer->stop();
}

void TfrmKR715Config::sb715MIBClick()
{
    if (m_mibView) {
        m_mibView->show();
        m_mibView->raise();
        m_mibView->activateWindow();
    }
}

QWidget *TfrmKR715Config::homeContainerOf(TKRPanel *panel) const
{
    for (const DockPair &pair : DockPairs)
        if (panel->objectName() == QLatin1String(pair.panel))
            return m_session.controls.get<QWidget>(QLatin1String(pair.home));
    return nullptr;
}

void TfrmKR715Config::pnMasterStartDock(TKRPanel *panel)
{
    if (QWidget *home = homeContainerOf(panel))
        home->setProperty("DockSite", true);
}

void TfrmKR715Config::pnMasterEndDock(TKRPanel *panel, QWidget *target)
{
    for (const DockPair &pair : DockPairs)
        if (auto *home = m_session.controls.get<QWidget>(QLatin1String(pair.home)))
            home->setProperty("DockSite", false);
    // Back in the container it first appeared in, the panel fills it again.
    if (target && target == panel->homeContainer() && !target->layout())
        panel->setGeometry(target->rect());
}

void TfrmKR715Config::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_mibView) {
        const QRect frame = m_mibView->frameGeometry();
        writeSetting(QStringLiteral("MIBViewHeight"), m_mibView->height());
        writeSetting(QStringLiteral("MIBViewWidth"), m_mibView->width());
        writeSetting(QStringLiteral("MIBViewTop"), frame.top());
        writeSetting(QStringLiteral("MIBViewLeft"), frame.left());
    }
    savePhysIdHistory();
}

void TfrmKR715Config::closeEvent(QCloseEvent *event)
{
    FormClose();
    ti715UpdateData->stop();
    QWidget::closeEvent(event);
    // The other windows of the program end with the main window.
    if (m_mibView)
        m_mibView->close();
    if (m_calibration)
        m_calibration->close();
}

// --- the network-variable view's needs ---------------------------------------

void TfrmKR715Config::AddToPhysIdHistory(const QString &physId)
{
    deviceLink->AddToPhysIdHistory(physId);
}

void TfrmKR715Config::SelectDevice(const QString &physId)
{
    deviceLink->SelectDevice(physId);
}

void TfrmKR715Config::physIdChosen()
{
    QPalette palette = ui.cmb715PhysId->palette();
    palette.setColor(QPalette::Text, Qt::black);
    ui.cmb715PhysId->setPalette(palette);
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
}

bool TfrmKR715Config::readMeterNumber(qint32 &value)
{
    if (!m_session.server)
        return false;
    try {
        deviceLink->selectDeviceVariable(QStringLiteral(".Meternumber"));
        m_session.server->DoRead();
        if (deviceLink->CheckServerError())
            return false;
        value = m_session.server->InValue();
        return true;
    } catch (const automation::AutomationError &) {
        return false;
    }
}

void TfrmKR715Config::showSerialNumber(const QString &text)
{
    if (auto *serial = m_session.controls.get<QLineEdit>(QStringLiteral("edGenNAddr")))
        serial->setText(text);
}

void TfrmKR715Config::showSerialNumberNormal()
{
    if (auto *serial = m_session.controls.get<QLineEdit>(QStringLiteral("edGenNAddr"))) {
        QPalette palette = serial->palette();
        palette.setColor(QPalette::Text, Qt::black);
        serial->setPalette(palette);
    }
}

bool TfrmKR715Config::readSetting(const QString &name, int &value)
{
    return RegistryClient(m_settingsSection).readInteger(QString(), name, value);
}

void TfrmKR715Config::writeSetting(const QString &name, int value)
{
    RegistryClient(m_settingsSection).writeInteger(QString(), name, value);
}
