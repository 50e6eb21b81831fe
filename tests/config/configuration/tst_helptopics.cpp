// Context help of the main window: the context numbers and their anchors, F1 on the
// real controls and tabs, the "Help" button, the one viewer that serves every request,
// the failures, the help page shipped next to the program, and the viewer's end with
// its own closing or with the main window.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"
#include "HelpTopicsU.h"
#include "KRHTMLBrowserU.h"
#include "KRPanel.h"
#include "RegistryClient.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>

namespace {

struct Topic {
    const char *control;
    int context;
    const char *anchor;
};

// Every control and tab page of the main window that has a topic of its own.
const Topic Topics[] = {
    {"cmb715PhysId", 1, "Meter"},
    {"ed715Flow", 2, "Flow"},
    {"edDataFlow", 10, "Flow"},
    {"ed715Vol1", 3, "Vol1"},
    {"edDataVol1", 11, "Vol1"},
    {"ed715Vol2", 4, "Vol2"},
    {"edDataVol2", 12, "Vol2"},
    {"cmb715Error", 5, "Error"},
    {"edGenNAddr", 6, "Enter_Serial_no"},
    {"edGenDeviceNo", 7, "Device_Type"},
    {"edGenNodeNo", 8, "P_NET_No"},
    {"edGenPrgVer", 9, "Program_Version"},
    {"edDataInsFlow", 13, "Instant_Flow"},
    {"edDataTCFlow", 14, "TCFlow"},
    {"edDataTemp", 15, "Temperature"},
    {"edDataSetP", 16, "Setpoint"},
    {"edOut3SetP", 26, "Setpoint"},
    {"edOut2SetP", 33, "Setpoint"},
    {"edDataOut2FVal", 17, "Output2"},
    {"edDataOut3FVal", 18, "Output3"},
    {"edDataOut3AVal", 19, "Output3"},
    {"edDataManSetOut3", 20, "Output3"},
    {"cmbOut3FuncOut3", 21, "Function_of_output3"},
    {"edOut3ScaleOut3", 23, "Function_of_output3"},
    {"cmbOut3DataForOut3", 22, "Data_for_output3"},
    {"cmbOut3PIRegCalcInp", 24, "Regulator_function"},
    {"cmbOut3PIRegContrDir", 25, "Regulator_function"},
    {"edOut3PiPBand", 27, "PI_parameters"},
    {"edOut3PiTi", 28, "PI_parameters"},
    {"edConE2", 49, "PI_parameters"},
    {"grpOut3PIRegMode", 29, "PI_Regulator_mode"},
    {"cmbOut2FuncOut", 30, "Function_of_output2"},
    {"pbOut2BatchProgress", 35, "Function_of_output2"},
    {"cmbOut2DataForBatchLimit", 31, "Data_for_output2"},
    {"cmbOut2Vol1Res", 32, "Resolution_of_vol1"},
    {"cmbOut2DataForVolCount", 34, "Volume_calculation"},
    {"edInpMeterSize", 36, "Meter_size"},
    {"edConE1", 48, "Meter_size"},
    {"cmbInpUnitChoice", 37, "Unit"},
    {"cmbInpTempUnit", 38, "Temp_unit"},
    {"cmbInpDevCalc", 39, "Fit_to_manufacturer_setting"},
    {"edInpDevCalc", 40, "Fit_to_manufacturer_setting"},
    {"cmbInpFunc", 41, "Input1_function"},
    {"btnInpCalib", 42, "Calibration"},
    {"cmbInpFlowUnitConst", 43, "Flow_unit"},
    {"cmbInpTimeConst", 44, "Time_constant"},
    {"cmbInpMode", 45, "Mode_of_operation"},
    {"cmbInpFlowDirection", 46, "Flow_directions"},
    {"cmbInpFlowCalc", 47, "Flow_calc"},
    {"edConE3", 50, "PICode"},
    {"edConE4", 51, "MeterNumber"},
    {"edConE5", 52, "Scale"},
    {"edConE6", 53, "Code1"},
    {"edConE7", 54, "Code2"},
    {"edConE8", 55, "Code3"},
    {"bbConSaveE1_8", 56, "Save_data_to_file"},
    {"btnConReset", 57, "Reset_KR715"},
    {"bbConLoadE1_8", 58, "Open_file_with_data"},
    {"tsGen", 59, "General_Tab"},
    {"tsData", 60, "Data_Tab"},
    {"tsOut3", 61, "Output3_PI_reg_Tab"},
    {"tsOut2", 62, "Output2_Tab"},
    {"tsInp", 63, "Units_Input_Tab"},
    {"tsCon", 64, "Config_Tab"},
};

QString shippedPage() { return helpPagePath(QCoreApplication::applicationDirPath()); }

// The named anchors and the links of an HTML page as the viewer reads it.
void scanPage(const QString &path, QSet<QString> *anchors, QSet<QString> *links)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(file.readAll()));
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString &name : format.anchorNames())
                anchors->insert(name);
            if (!format.anchorHref().isEmpty())
                links->insert(format.anchorHref());
        }
    }
}

} // namespace

class HelpTopicsTest : public QObject {
    Q_OBJECT

    // The main window, offline, shown and active.
    std::unique_ptr<OperatorDriver> m_op;
    TfrmKR715Config &window() { return m_op->window(); }
    HelpTopics *help() { return window().helpTopics; }
    TfrmHTMLBrowser *viewer() { return help()->viewer(); }
    QString lastUrl() { return viewer() ? viewer()->helpHistory.value(viewer()->helpPosition) : QString(); }
    QString topic(const char *anchor) { return shippedPage() + QLatin1Char('#') + QLatin1String(anchor); }

    // F1 as the operator presses it: to the control that has the focus.
    void pressF1(QWidget *expectedFocus)
    {
        QTRY_COMPARE(QApplication::focusWidget(), expectedFocus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    }
    void focusAndPressF1(const QString &control)
    {
        m_op->activate();
        QWidget *widget = m_op->get<QWidget>(control);
        m_op->focus(widget);
        pressF1(widget);
    }
    QString settingsSection() { return window().settingsSection(); }

private slots:
    void init()
    {
        m_op = std::make_unique<OperatorDriver>();
        m_op->open({});
        RegistryClient(settingsSection()).deleteSettings();
    }
    void cleanup() { m_op.reset(); }

    void contextNumbersChooseTheirAnchors()
    {
        QHash<int, QString> table;
        for (const Topic &t : Topics)
            table.insert(t.context, QLatin1String(t.anchor));
        QCOMPARE(table.size(), 64); // 1 to 64, each once
        for (int context = 1; context <= 64; ++context)
            QCOMPARE(helpAnchorForContext(context), table.value(context));
        for (int context : {0, 65, 66, 100, 1000, -1})
            QCOMPARE(helpAnchorForContext(context), QStringLiteral("Contents"));
    }

    void everyControlCarriesItsTopic()
    {
        for (const Topic &t : Topics) {
            auto *control = m_op->get<QWidget>(QLatin1String(t.control));
            QVERIFY2(control, t.control);
            int context = -1;
            QVERIFY2(HelpTopics::helpContextOf(control, &window(), &context), t.control);
            QCOMPARE(context, t.context);
            QCOMPARE(helpAnchorForContext(context), QLatin1String(t.anchor));
        }
        // A control without a topic takes that of its tab page, one outside the tabs
        // none: the contents.
        int context = -1;
        QVERIFY(HelpTopics::helpContextOf(m_op->get<QWidget>("btnApplyNAddr"), &window(), &context));
        QCOMPARE(context, 59);
        QVERIFY(HelpTopics::helpContextOf(m_op->get<QWidget>("bbConUndo"), &window(), &context));
        QCOMPARE(context, 0);
        // Another window is not the main window's business.
        QWidget stranger;
        QVERIFY(!HelpTopics::helpContextOf(&stranger, &window(), &context));
    }

    void theShippedPageHasEveryTopic()
    {
        QVERIFY2(QFile::exists(shippedPage()), qPrintable(shippedPage()));
        QSet<QString> anchors, links;
        scanPage(shippedPage(), &anchors, &links);
        QVERIFY(anchors.contains(QStringLiteral("Contents")));
        QVERIFY(anchors.contains(QStringLiteral("General_Information")));
        for (const Topic &t : Topics)
            QVERIFY2(anchors.contains(QLatin1String(t.anchor)), t.anchor);
        // No link inside the page leads nowhere.
        for (const QString &link : links) {
            QVERIFY2(link.startsWith(QLatin1Char('#')), qPrintable(link));
            QVERIFY2(anchors.contains(link.mid(1)), qPrintable(link));
        }
    }

    void pagePathIsTheHelpFolderOfTheProgram()
    {
        QCOMPARE(helpPagePath(QStringLiteral("/opt/kr")), QStringLiteral("/opt/kr/help/KR_715Hlp.htm"));
        QCOMPARE(helpPagePath(QStringLiteral("/opt/kr/")), QStringLiteral("/opt/kr/help/KR_715Hlp.htm"));
        QCOMPARE(help()->programFolder(), QCoreApplication::applicationDirPath());
    }

    void f1InASetpointFieldOpensSetpoint_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("list");  // the function list that shows the field
        QTest::addColumn<int>("function");
        QTest::newRow("Data") << "edDataSetP" << "" << -1;
        QTest::newRow("Output 3 / PI-reg") << "edOut3SetP" << "cmbOut3FuncOut3" << 1;   // PI-regulator
        QTest::newRow("Output2") << "edOut2SetP" << "cmbOut2FuncOut" << 2;              // Batch control
    }
    void f1InASetpointFieldOpensSetpoint()
    {
        QFETCH(QString, field);
        QFETCH(QString, list);
        QFETCH(int, function);
        if (!list.isEmpty())
            QVERIFY(m_op->choose(list, function));
        focusAndPressF1(field);
        QVERIFY(viewer());
        QVERIFY(viewer()->isVisible());
        QCOMPARE(viewer()->helpHistory, QStringList{topic("Setpoint")});
        QCOMPARE(viewer()->helpPosition, 0);
        QCOMPARE(viewer()->ui.WebBrowser1->LocationURL(), topic("Setpoint"));
        QVERIFY(viewer()->ui.WebBrowser1->pageLoaded());
    }

    void contextsWithoutATopicOpenTheContents()
    {
        bool callHelp = true;
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 0, callHelp));
        QCOMPARE(lastUrl(), topic("Contents"));
        QVERIFY(callHelp); // left as it was
        callHelp = false;
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 65, callHelp));
        QVERIFY(!callHelp);
        QCOMPARE(lastUrl(), topic("Contents"));
        QCOMPARE(viewer()->helpHistory.size(), 1); // the same page again
        // A context with a topic of its own, given directly.
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 47, callHelp));
        QCOMPARE(lastUrl(), topic("Flow_calc"));
        // F1 on a control outside the tabs that has no topic: the contents.
        focusAndPressF1(QStringLiteral("bbConUndo"));
        QCOMPARE(lastUrl(), topic("Contents"));
        QCOMPARE(viewer()->helpHistory.size(), 2);
    }

    void f1OnTheTabStripOpensTheTopicOfTheTabShown()
    {
        QTabWidget *pages = window().ui.pc715;
        QTabBar *strip = pages->tabBar();
        const auto chooseTab = [&](QWidget *page) {
            m_op->activate();
            QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(pages->indexOf(page)).center());
            QCOMPARE(pages->currentWidget(), page);
        };

        chooseTab(window().ui.tsCon);
        QCOMPARE(pages->property("HelpContext").toInt(), 64);
        // The tab shown takes the focus: F1 now opens the tab's topic.
        pressF1(window().ui.tsCon);
        QCOMPARE(lastUrl(), topic("Config_Tab"));

        chooseTab(window().ui.tsData);
        QCOMPARE(pages->property("HelpContext").toInt(), 60);
        m_op->activate();
        strip->setFocus(Qt::TabFocusReason);
        pressF1(strip);
        QCOMPARE(lastUrl(), topic("Data_Tab"));

        chooseTab(window().ui.tsCon);
        m_op->activate();
        strip->setFocus(Qt::TabFocusReason);
        pressF1(strip);
        QCOMPARE(lastUrl(), topic("Config_Tab"));

        // A control without a topic on a tab: the tab's topic.
        focusAndPressF1(QStringLiteral("btnApplyNAddr"));
        QCOMPARE(lastUrl(), topic("General_Tab"));
    }

    void f1OnTheCalibrationButtonOpensCalibration()
    {
        auto *button = m_op->get<QAbstractButton>("btnInpCalib");
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        m_op->focus(button);
        // Other keys do not ask for help.
        QTest::keyClick(button, Qt::Key_F2);
        QVERIFY(!viewer());
        pressF1(button);
        QVERIFY(viewer());
        QCOMPARE(viewer()->helpHistory, QStringList{topic("Calibration")});
        QCOMPARE(clicked.size(), 0); // help, not the calibration dialog
        // The button's own handler, as the key reaches it.
        help()->btnInpCalibKeyDown(Qt::Key_F3);
        QCOMPARE(viewer()->helpHistory.size(), 1);
    }

    void theHelpButtonOpensTheGeneralInformation()
    {
        m_op->click(QStringLiteral("bu715HELP"));
        QVERIFY(viewer());
        QCOMPARE(viewer()->helpHistory, QStringList{topic("General_Information")});
        QVERIFY(viewer()->isVisible());
    }

    void requestsShareOneViewer()
    {
        focusAndPressF1(QStringLiteral("cmb715PhysId"));
        QPointer<TfrmHTMLBrowser> first = viewer();
        QVERIFY(first);
        QCOMPARE(first->parentWidget(), &window()); // owned by the main window
        focusAndPressF1(QStringLiteral("edConE7"));
        QCOMPARE(viewer(), first.data());
        QCOMPARE(first->helpHistory, (QStringList{topic("Meter"), topic("Code2")}));
        QCOMPARE(first->helpPosition, 1);
        QVERIFY(first->ui.BackAction->isEnabled());
        // The viewer's own keys are not the main window's help.
        first->ui.WebBrowser1->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(first->ui.WebBrowser1, Qt::Key_F1);
        QCOMPARE(first->helpHistory.size(), 2);
        QCOMPARE(first->helpPosition, 1);
    }

    void aMissingPageIsLeftToTheViewer()
    {
        QTemporaryDir empty;
        help()->setProgramFolder(empty.path());
        DialogAnswerer answers; // no dialog expected
        bool callHelp = false;
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 5, callHelp));
        QCoreApplication::processEvents();
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(viewer());
        QCOMPARE(lastUrl(), empty.path() + QStringLiteral("/help/KR_715Hlp.htm#Error"));
        QVERIFY(!viewer()->ui.WebBrowser1->pageLoaded());
        QVERIFY(viewer()->isVisible());
    }

    void withoutAViewerTheOperatorHearsSorryNoHelp()
    {
        int attempts = 0;
        help()->setViewerFactory([&attempts](QWidget *) -> TfrmHTMLBrowser * {
            ++attempts;
            return nullptr;
        });
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Sorry, No help"));
        bool callHelp = false;
        QVERIFY(!help()->FormHelp(HELP_CONTEXT, 42, callHelp));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts(), QStringList{QStringLiteral("Sorry, No help")});
        QCOMPARE(answers.records().first().icon, QMessageBox::NoIcon);

        // F1 and the button take the same road; every request tries again.
        answers.reset();
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Sorry, No help"));
        m_op->click(QStringLiteral("bu715HELP"));
        QVERIFY(answers.waitUntilAnswered());
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(attempts, 2);
        QVERIFY(!viewer());
    }

    void theViewerOpensAtTheMainWindowCorner()
    {
        window().move(25, 35);
        QCoreApplication::processEvents();
        bool callHelp = false;
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 1, callHelp));
        QCOMPARE(viewer()->size(), QSize(414, 454));
        QCOMPARE(viewer()->pos(), window().pos());
        QCOMPARE(viewer()->settingsSection(), settingsSection());
    }

    void closingTheViewerKeepsItsPlaceAndTheNextRequestOpensANewOne()
    {
        bool callHelp = false;
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 15, callHelp));
        QVERIFY(help()->FormHelp(HELP_CONTEXT, 16, callHelp));
        QPointer<TfrmHTMLBrowser> first = viewer();
        first->resize(380, 290);
        first->move(90, 60);
        QVERIFY(first->close());
        QVERIFY(!viewer()); // forgotten at once
        RegistryClient registry(settingsSection());
        int height = 0, width = 0, top = 0, left = 0;
        QVERIFY(registry.readInteger(QString(), QStringLiteral("HelpViewHeight"), height));
        QVERIFY(registry.readInteger(QString(), QStringLiteral("HelpViewWidth"), width));
        QVERIFY(registry.readInteger(QString(), QStringLiteral("HelpViewTop"), top));
        QVERIFY(registry.readInteger(QString(), QStringLiteral("HelpViewLeft"), left));
        QCOMPARE(QRect(left, top, width, height), QRect(90, 60, 380, 290));
        QTRY_VERIFY(first.isNull()); // freed

        QVERIFY(help()->FormHelp(HELP_CONTEXT, 64, callHelp));
        QVERIFY(viewer());
        QCOMPARE(viewer()->helpHistory, QStringList{topic("Config_Tab")}); // a fresh history
        QCOMPARE(viewer()->helpPosition, 0);
        QCOMPARE(viewer()->size(), QSize(380, 290));
        QCOMPARE(viewer()->pos(), QPoint(90, 60));
    }

    void theMainWindowClosesTheViewerWhenItGoes()
    {
        QPointer<TfrmHTMLBrowser> shown;
        QString section;
        {
            OperatorDriver other;
            other.open({});
            section = other.window().settingsSection();
            bool callHelp = false;
            QVERIFY(other.window().helpTopics->FormHelp(HELP_CONTEXT, 3, callHelp));
            shown = other.window().helpTopics->viewer();
            QVERIFY(shown);
            shown->resize(333, 222);
        }
        QVERIFY(shown.isNull());
        int width = 0;
        QVERIFY(RegistryClient(section).readInteger(QString(), QStringLiteral("HelpViewWidth"), width));
        QCOMPARE(width, 333);
    }

    void f1InAFloatingTabPanel()
    {
        auto *panel = m_op->get<TKRPanel>("pnInp1");
        m_op->reveal(panel);
        panel->floatOut(QPoint(500, 100));
        QWidget *floating = panel->floatingWindow();
        QVERIFY(floating);
        auto *list = m_op->get<QWidget>("cmbInpTempUnit");
        floating->show();
        QApplication::setActiveWindow(floating);
        QVERIFY(QTest::qWaitForWindowActive(floating));
        list->setFocus(Qt::TabFocusReason);
        pressF1(list);
        QVERIFY(viewer());
        QCOMPARE(lastUrl(), topic("Temp_unit"));
        panel->dockBack();
    }
};

QTEST_MAIN(HelpTopicsTest)
#include "tst_helptopics.moc"
