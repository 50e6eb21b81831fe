// The main window's life: registration switches, settings kept between runs, the
// window as it is created, the PI regulator picture hint and the floating tab panels.
#include "MainWindowFixture.h"

#include "DialogAnswerer.h"

#include "KRComboBox.h"
#include "KRPanel.h"
#include "RegDllHeader.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

namespace {

QString section() { return settingsSectionFor(QCoreApplication::applicationFilePath()); }

void writeInt(const char *key, const char *name, int value)
{
    QVERIFY(WriteSettingInteger(section().toUtf8().constData(), key, 0, name, value) == 0);
}
void writeText(const char *key, const QString &name, const QString &text)
{
    QVERIFY(WriteSettingString(section().toUtf8().constData(), key, 0, name.toUtf8().constData(),
                               text.toUtf8().constData()) == 0);
}
int readInt(const char *key, const char *name)
{
    int value = -1;
    ReadSettingInteger(section().toUtf8().constData(), key, 0, name, &value);
    return value;
}
QString readText(const char *key, const QString &name)
{
    char buffer[256] = {};
    int size = sizeof buffer;
    if (ReadSettingString(section().toUtf8().constData(), key, 0, name.toUtf8().constData(), buffer, &size) != 0)
        return QStringLiteral("<missing>");
    return QString::fromUtf8(buffer);
}
QStringList items(QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}
QString settingsFile()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    return config + QStringLiteral("/KR/KRRegistry.ini");
}
int runProgram(const QStringList &arguments)
{
    QProcess program;
    program.start(QStringLiteral(KR715CONFIG_PATH), arguments);
    if (!program.waitForFinished(20000)) {
        program.kill();
        return -1;
    }
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(settingsFile());
        DeleteSettings(section().toUtf8().constData(), "", 0, "");
    }

    void settingsSectionIsTheNameBeforeTheFirstDot()
    {
        QCOMPARE(settingsSectionFor(QStringLiteral("C:/Programs/KR715Config.exe")), QStringLiteral("KR715Config"));
        QCOMPARE(settingsSectionFor(QStringLiteral("/opt/kr/KR715Config.v2.exe")), QStringLiteral("KR715Config"));
        QCOMPARE(settingsSectionFor(QStringLiteral("/usr/bin/KR715Config")), QString());
        QCOMPARE(settingsSectionFor(QStringLiteral("/a.b/tool")), QString()); // the folder does not count
    }

    void registrationSwitchesInAnyLetterCase()
    {
        const QString entry = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications/kr715-config.desktop");
        QFile::remove(entry);
        // The program's own settings section: its file name has no ".", so it is empty.
        QVERIFY(WriteSettingInteger("", "PhysIdList", 0, "PhysIdListCount", 3) == 0);

        QCOMPARE(runProgram({QStringLiteral("/register"), QStringLiteral("/UNREGISTER")}), 0);
        QVERIFY(QFile::exists(entry));
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("KR715Config"));
        file.close();

        QCOMPARE(runProgram({QStringLiteral("/UnRegister")}), 0);
        QVERIFY(!QFile::exists(entry));
        int count = -1;
        QVERIFY(ReadSettingInteger("", "PhysIdList", 0, "PhysIdListCount", &count) != 0);

        // A second unregistering is harmless.
        QCOMPARE(runProgram({QStringLiteral("/UNREGISTER")}), 0);
    }

    void theProgramRunsOnTheSimulatedNetwork()
    {
        // The program as the README starts it: it must come up and keep running.
        QProcess program;
        program.start(QStringLiteral(KR715CONFIG_PATH), {QStringLiteral("FT101")});
        QVERIFY(program.waitForStarted(10000));
        QVERIFY2(!program.waitForFinished(1500), qPrintable(program.readAllStandardError()));
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished(10000);
    }

    void historyIsShownInTheStoredOrder()
    {
        writeInt("PhysIdList", "PhysIdListCount", 4);
        writeText("PhysIdList", QStringLiteral("0"), QStringLiteral("A"));
        writeText("PhysIdList", QStringLiteral("1"), QStringLiteral("B"));
        writeText("PhysIdList", QStringLiteral("2"), QStringLiteral("C"));
        writeText("PhysIdList", QStringLiteral("3"), QStringLiteral("b")); // the same as B
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{"A", "B", "C"}));
    }

    void closingWritesTheCountAndLeavesOlderEntries()
    {
        writeInt("PhysIdList", "PhysIdListCount", 5);
        for (int i = 0; i < 5; ++i)
            writeText("PhysIdList", QString::number(i), QStringLiteral("OLD%1").arg(i));
        {
            MainWindowFixture f;
            TfrmKR715Config &w = f.open();
            w.ui.cmb715PhysId->clear();
            w.ui.cmb715PhysId->addItems({QStringLiteral("X"), QStringLiteral("Y")});
            w.close();
        }
        QCOMPARE(readInt("PhysIdList", "PhysIdListCount"), 2);
        QCOMPARE(readText("PhysIdList", QStringLiteral("0")), QStringLiteral("X"));
        QCOMPARE(readText("PhysIdList", QStringLiteral("1")), QStringLiteral("Y"));
        QCOMPARE(readText("PhysIdList", QStringLiteral("2")), QStringLiteral("OLD2"));
        QCOMPARE(readText("PhysIdList", QStringLiteral("4")), QStringLiteral("OLD4"));
    }

    void aHugeCountReadsAHundredEntries()
    {
        writeInt("PhysIdList", "PhysIdListCount", 2000000000);
        for (int i = 0; i < 120; ++i)
            writeText("PhysIdList", QString::number(i), QStringLiteral("FT%1").arg(i));
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        QCOMPARE(w.ui.cmb715PhysId->count(), 100);
        QCOMPARE(w.ui.cmb715PhysId->itemText(99), QStringLiteral("FT99"));
    }

    void aCountThatIsNoNumberReadsNothing()
    {
        writeText("PhysIdList", QStringLiteral("PhysIdListCount"), QStringLiteral("many"));
        writeText("PhysIdList", QStringLiteral("0"), QStringLiteral("A"));
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        QCOMPARE(w.ui.cmb715PhysId->count(), 0);
    }

    void aMissingEntryEndsTheHistoryThere()
    {
        writeInt("PhysIdList", "PhysIdListCount", 3);
        writeText("PhysIdList", QStringLiteral("0"), QStringLiteral("A"));
        writeText("PhysIdList", QStringLiteral("2"), QStringLiteral("C"));
        MainWindowFixture f;
        QCOMPARE(items(f.open().ui.cmb715PhysId), QStringList{"A"});
    }

    void aDamagedSettingsFileStillGivesAWorkingWindow()
    {
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[\\PhysIdList]\nPhysIdListCount=2\n0=GOOD\n\x01\xff\xfe garbage [[[ ==\n1");
        file.close();
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        QVERIFY(w.ui.cmb715PhysId->count() <= 2);
        w.close();
    }

    void anUnwritableSettingsFolderNeverStopsTheProgram()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
        qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
        {
            MainWindowFixture f;
            TfrmKR715Config &w = f.open();
            QCOMPARE(w.ui.cmb715PhysId->count(), 0);
            w.ui.cmb715PhysId->addItem(QStringLiteral("FT1"));
            w.close();
        }
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("XDG_DATA_HOME", data);
    }

    void theWindowAsItIsCreated()
    {
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        QCOMPARE(w.windowTitle(), QStringLiteral("KR 715 Setup"));
        QCOMPARE(w.size(), QSize(406, 459));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.ui.pc715->currentWidget(), w.ui.tsGen);
        const QStringList captions{"General", "Data", "Output 3 / PI-reg", "Output2", "Units / Input", "Config"};
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(w.ui.pc715->tabText(i), captions.at(i));
            QCOMPARE(w.ui.pc715->widget(i)->property("HelpContext").toInt(), 59 + i);
        }
        // A fresh window: the timers and their intervals (the test fixture stops the poll).
        TfrmKR715Config fresh({});
        QCOMPARE(fresh.ti715UpdateData->interval(), 50);
        QVERIFY(fresh.ti715UpdateData->isActive());
        QCOMPARE(fresh.tiOut2BatchCalc->interval(), 250);
        QVERIFY(fresh.tiOut2BatchCalc->isActive());
        QVERIFY(!fresh.ti715HintPanelTimer->isActive());
        // Every setting list starts at its first entry.
        for (const char *name : {"cmbOut3FuncOut3", "cmbOut3DataForOut3", "cmbOut2FuncOut", "cmbInpMode",
                                 "cmbInpTimeConst", "cmbInpUnitChoice", "cmbInpDevCalc", "cmbOut2Vol1Res"}) {
            auto *list = w.session().controls.get<TKRComboBox>(QLatin1String(name));
            QVERIFY2(list && list->currentIndex() == 0, name);
        }
        QCOMPARE(w.session().previousUnitName, QStringLiteral("Unit"));
        QCOMPARE(w.session().pollSlot, 1);
        QVERIFY(!w.session().device.deviceAccepted);
        // The hints of the PI regulator group.
        QCOMPARE(w.session().controls.get<QWidget>(QStringLiteral("cmbOut3PIRegCalcInp"))->toolTip(),
                 QStringLiteral("Her gives en detalieret\nbeskrivelse"));
        QCOMPARE(w.session().controls.get<QWidget>(QStringLiteral("grpOut3RegTime"))->toolTip(),
                 QStringLiteral("Beskriv sammelhæng mellem\nP og TI, så\nopsætning lettes"));
    }

    void thePIPictureReplacesTheHintOfItsHelpImage()
    {
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        w.show();
        auto *image = w.session().controls.get<QWidget>(QStringLiteral("imgOut3PIHint"));
        auto *panel = w.session().controls.get<QWidget>(QStringLiteral("pnOut3PIHintPanel"));
        QVERIFY(image && panel);
        QVERIFY(panel->isHidden());
        QHelpEvent hint(QEvent::ToolTip, QPoint(2, 2), image->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(image, &hint);
        QVERIFY(!panel->isHidden());
        QCOMPARE(panel->geometry(), panel->parentWidget()->rect());
        QVERIFY(w.ti715HintPanelTimer->isActive());
        QCOMPARE(w.ti715HintPanelTimer->interval(), 7000);
        w.ti715HintPanelTimerTimer();
        QVERIFY(panel->isHidden());
        QVERIFY(!w.ti715HintPanelTimer->isActive());

        // Moving the mouse over the page control hides it at once.
        QApplication::sendEvent(image, &hint);
        QVERIFY(!panel->isHidden());
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w.ui.pc715->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.ui.pc715, &move);
        QVERIFY(panel->isHidden());

        // Other hints stay ordinary hints.
        QHelpEvent other(QEvent::ToolTip, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(w.session().controls.get<QWidget>(QStringLiteral("grpOut3RegTime")), &other);
        QVERIFY(panel->isHidden());
    }

    void aFloatingPanelDocksBackIntoItsHome()
    {
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *panel = w.session().controls.get<TKRPanel>(QStringLiteral("pnCon1"));
        auto *home = w.session().controls.get<QWidget>(QStringLiteral("pnCon2"));
        QVERIFY(panel && home);
        w.ui.pc715->setCurrentWidget(w.ui.tsCon);
        QTest::qWait(20); // first paint records the home
        panel->floatOut();
        QVERIFY(panel->isFloating());
        QVERIFY(home->property("DockSite").toBool());
        panel->dockBack();
        QVERIFY(!panel->isFloating());
        QVERIFY(!home->property("DockSite").toBool());
        QCOMPARE(panel->parentWidget(), home);
        QCOMPARE(panel->geometry(), home->rect());
    }

    void theButtonsShowTheOtherWindowsWithoutWaiting()
    {
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        TfrmMIBView mib;
        TfrmCalib calibration(w.session());
        w.attachWindows(&mib, &calibration);
        w.ui.sb715MIB->click();
        QVERIFY(mib.isVisible());
        QVERIFY(!mib.isModal());
        w.session().controls.get<QAbstractButton>(QStringLiteral("btnInpCalib"))->click();
        QVERIFY(calibration.isVisible());
        QVERIFY(!calibration.isModal());
        // Closing the main window writes where the network-variable view was.
        w.close();
        QCOMPARE(readInt("", "MIBViewWidth"), mib.width());
        QCOMPARE(readInt("", "MIBViewHeight"), mib.height());
    }

    void aDoubleClickInTheNetworkViewSelectsTheDevice()
    {
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("No contact"));
        MainWindowFixture f(R"({"devices":[
            {"physId":"NET1:FT7","deviceType":715,"frozen":true,"variables":{".Meternumber":-1412567296}},
            {"physId":"NET1:FT8","deviceType":715,"frozen":true,"answers":false}]})");
        TfrmKR715Config &w = f.open();
        TfrmMIBView mib;
        TfrmCalib calibration(w.session());
        w.attachWindows(&mib, &calibration);
        mib.ui.axZentixView->setPhysIds({QStringLiteral("NET1:FT7"), QStringLiteral("NET1:FT8")});
        w.ui.sb715MIB->click();
        QVERIFY(mib.isVisible());

        QVERIFY(mib.ui.axZentixView->selectPhysId(QStringLiteral("NET1:FT7")));
        mib.axZentixViewDblClick();
        QVERIFY(mib.isHidden());
        QCOMPARE(w.session().device.currentPhysId, QStringLiteral("NET1:FT7"));
        QVERIFY(w.session().device.contact);
        QCOMPARE(w.ui.cmb715PhysId->itemText(0), QStringLiteral("NET1:FT7"));
        QCOMPARE(w.session().controls.get<QLineEdit>(QStringLiteral("edGenNAddr"))->text(), QStringLiteral("ABCDEF"));

        // A node that does not answer is selected all the same; the serial number stays.
        w.ui.sb715MIB->click();
        QVERIFY(mib.ui.axZentixView->selectPhysId(QStringLiteral("NET1:FT8")));
        mib.axZentixViewDblClick();
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(mib.isHidden());
        QCOMPARE(w.session().device.currentPhysId, QStringLiteral("NET1:FT8"));
        QCOMPARE(w.ui.cmb715PhysId->itemText(0), QStringLiteral("NET1:FT8"));
        QCOMPARE(w.session().controls.get<QLineEdit>(QStringLiteral("edGenNAddr"))->text(), QString());
    }

    void theNetworkViewKeepsItsPlace()
    {
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        w.move(40, 30);
        TfrmMIBView mib;
        TfrmCalib calibration(w.session());
        w.attachWindows(&mib, &calibration);
        // Stored sizes of 0: the design size at the main window's corner.
        for (const char *name : {"MIBViewHeight", "MIBViewWidth", "MIBViewTop", "MIBViewLeft"})
            writeInt("", name, 0);
        mib.show();
        QCOMPARE(mib.size(), QSize(414, 454));
        QCOMPARE(mib.pos(), w.frameGeometry().topLeft());
        mib.resize(300, 200);
        mib.close();
        QVERIFY(mib.isHidden());
        QCOMPARE(readInt("", "MIBViewWidth"), 300);
        QCOMPARE(readInt("", "MIBViewHeight"), 200);
        mib.show();
        QCOMPARE(mib.size(), QSize(300, 200));
    }

    // A damaged settings file with absurd geometry: the network view opens within the
    // screen with its title bar on it, and paints.
    void theNetworkViewOpensOnTheScreenWhateverIsStored_data()
    {
        QTest::addColumn<QByteArray>("height");
        QTest::addColumn<QByteArray>("width");
        QTest::addColumn<QByteArray>("top");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("huge, far up and left") << QByteArray("16777215") << QByteArray("16777215")
                                               << QByteArray("-2147483647") << QByteArray("-2147483647");
        QTest::newRow("huge, far down and right") << QByteArray("16777215") << QByteArray("16777215")
                                                  << QByteArray("2147483647") << QByteArray("2147483647");
        QTest::newRow("below the screen") << QByteArray("200") << QByteArray("300") << QByteArray("4000")
                                          << QByteArray("10");
        QTest::newRow("no numbers") << QByteArray("tall") << QByteArray("1e99") << QByteArray("") << QByteArray("x");
    }
    void theNetworkViewOpensOnTheScreenWhateverIsStored()
    {
        QFETCH(QByteArray, height);
        QFETCH(QByteArray, width);
        QFETCH(QByteArray, top);
        QFETCH(QByteArray, left);
        MainWindowFixture f;
        TfrmKR715Config &w = f.open();
        TfrmMIBView mib;
        TfrmCalib calibration(w.session());
        w.attachWindows(&mib, &calibration);
        const QByteArray section = w.settingsSection().toUtf8();
        const std::pair<const char *, QByteArray> values[] = {
            {"MIBViewHeight", height}, {"MIBViewWidth", width}, {"MIBViewTop", top}, {"MIBViewLeft", left}};
        for (const auto &[name, value] : values)
            QCOMPARE(WriteSettingString(section.constData(), "", 0, name, value.constData()), KRREG_SUCCESS);
        w.ui.sb715MIB->click();
        QVERIFY(mib.isVisible());
        const QRect screen = mib.screen()->availableGeometry();
        QVERIFY2(screen.contains(mib.frameGeometry().topLeft()),
                 qPrintable(QStringLiteral("at %1,%2").arg(mib.x()).arg(mib.y())));
        QVERIFY(mib.width() <= screen.width() && mib.height() <= screen.height());
        QVERIFY(mib.width() >= mib.minimumWidth() && mib.height() >= mib.minimumHeight());
        QVERIFY(!mib.grab().isNull());
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
