// Control inventory of the configuration tabs "Output 3 / PI-reg", "Output2",
// "Units / Input" and "Config": names, classes, parents, captions, lists and value
// codes, start state, hints and help contexts, registration with the session, and
// the page structure the docking relies on.

#include "ConTabU.h"
#include "FormInventory.h"
#include "InpTabU.h"
#include "KR715Session.h"
#include "Out2TabU.h"
#include "Out3TabU.h"

#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

QList<Control> out3Rows()
{
    return {
        Control("pnOut3_2", "QFrame", "Out3Tab"),
        Control("pnOut3_1", "TKRPanel", "pnOut3_2", "Output 3 / PI-reg"),
        Control("grpOut3", "QGroupBox", "pnOut3_1", "Output 3"),
        Control("laOut3FuncOfOut3", "QLabel", "grpOut3", "Function of output:"),
        Control("cmbOut3FuncOut3", "TKRComboBox", "grpOut3")
            .list({"No function", "PI-regulator", "Current output 4-20 mA", "Pulse output 0-1000 Hz"}, {"0", "1", "2", "4"})
            .help(21),
        Control("laOut3DataForOut", "QLabel", "grpOut3", "Data for output:"),
        Control("cmbOut3DataForOut3", "TKRComboBox", "grpOut3")
            .list({"No function (data)", "Flow", "Temperature compensated flow", "Temperature", "Available", "Instant flow"},
                  {"0", "1", "2", "3", "4", "8"})
            .help(22),
        Control("grpOut3ScaleOut3", "QGroupBox", "grpOut3", "Full scale output3").hide(),
        Control("edOut3ScaleOut3", "TKREdit", "grpOut3ScaleOut3").help(23),
        Control("pnOut3SetupPI", "QFrame", "grpOut3").hide(),
        Control("laOut3PIReg", "QLabel", "pnOut3SetupPI", "Setup PI-regulator"),
        Control("imgOut3PIPil", "TImage", "pnOut3SetupPI"),
        Control("imgOut3CurrentImage", "TImage", "grpOut3").hide(),
        Control("imgOut3PulseImage", "TImage", "grpOut3").hide(),
        Control("imgOut3FuncPil", "TImage", "grpOut3").hide(),
        Control("grpOut3PIGroup", "QGroupBox", "pnOut3_1", "PI-regulator").hide(),
        Control("grpOut3Reg", "QGroupBox", "grpOut3PIGroup", "Regulator function"),
        Control("cmbOut3PIRegCalcInp", "TKRComboBox", "grpOut3Reg")
            .list({"Heating (in = setpoint - data)", "Cooling (in = data - setpoint)"})
            .help(24),
        Control("cmbOut3PIRegContrDir", "TKRComboBox", "grpOut3Reg")
            .list({"Out 0-100%: 4-20 mA", "Out 0-100%: 20-4 mA"})
            .help(25),
        Control("laOut3SetP", "QLabel", "grpOut3PIGroup", "Setpoint"),
        Control("edOut3SetP", "TKREdit", "grpOut3PIGroup").help(26),
        Control("grpOut3RegTime", "QGroupBox", "grpOut3PIGroup", "PI parametres"),
        Control("laOut3PiPBand", "QLabel", "grpOut3RegTime", "P-band"),
        Control("edOut3PiPBand", "TKREdit", "grpOut3RegTime").max(6).help(27),
        Control("laOut3PiTi", "QLabel", "grpOut3RegTime", "Ti"),
        Control("edOut3PiTi", "TKREdit", "grpOut3RegTime").help(28),
        Control("grpOut3PIRegMode", "TRadioGroup", "grpOut3PIGroup", "PI-regulator mode")
            .list({"Auto", "Manual", "Input ON > manual operation"})
            .help(29),
        Control("imgOut3PIHint", "TImage", "grpOut3PIGroup"),
        Control("pnOut3PIHintPanel", "QFrame", "pnOut3_1").hide(),
        Control("imgOut3PIEks", "TImage", "pnOut3PIHintPanel"),
    };
}

QList<Control> out2Rows()
{
    return {
        Control("pnOut2_2", "QFrame", "Out2Tab"),
        Control("pnOut2_1", "TKRPanel", "pnOut2_2", "Output 2"),
        Control("grpOut2", "QGroupBox", "pnOut2_1", "Output 2"),
        Control("laOut2FuncOut", "QLabel", "grpOut2", "Function of output:"),
        Control("cmbOut2FuncOut", "TKRComboBox", "grpOut2")
            .list({"No function", "Pulse output 0-10 Hz", "Batch control", "Limit switch", "Error code equal 0",
                   "Sign for output 3"},
                  {"0", "1", "2", "4", "6", "8"})
            .help(30),
        Control("laOut2DataForBatchLimit", "QLabel", "grpOut2", "Data for batch/limit:"),
        Control("cmbOut2DataForBatchLimit", "TKRComboBox", "grpOut2")
            .list({"No batch/limit", "Flow", "Temperature compensated flow", "Temperature", "Available", "Volume1",
                   "Volume2", "Instant flow"},
                  {"0", "1", "2", "3", "4", "5", "6", "8"})
            .disable()
            .help(31),
        Control("pnOut2Resolution", "QFrame", "grpOut2").hide(),
        Control("laOut2Vol1Res", "QLabel", "pnOut2Resolution", "Resolution of Volume 1:"),
        Control("cmbOut2Vol1Res", "TKRComboBox", "pnOut2Resolution")
            .list({"######", "#####.#", "####.##", "###.###", "##.####", "#.#####", ".######"})
            .hint("0 digits after decimal seperator (1 Pulse/Unit)")
            .help(32),
        Control("pnOut2SetP", "QFrame", "grpOut2").hide(),
        Control("laOut2SetP", "QLabel", "pnOut2SetP", "Setpoint"),
        Control("edOut2SetP", "TKREdit", "pnOut2SetP").help(33),
        Control("btnOut2BatchStart", "QPushButton", "pnOut2SetP", "Start batch")
            .hint("This button will reset Volume 2 and start a batch run"),
        Control("imgOut2PilVenstre", "TImage", "grpOut2").hide(),
        Control("imgOut2Pulse", "TImage", "pnOut2_1").hide(),
        Control("imgOut2Batch", "TImage", "pnOut2_1").hide(),
        Control("imgOut2Limit", "TImage", "pnOut2_1").hide(),
        Control("imgOut2Sign", "TImage", "pnOut2_1").hide(),
        Control("grpOut2Volume", "QGroupBox", "pnOut2_1", "Data for volume counter"),
        Control("cmbOut2DataForVolCount", "TKRComboBox", "grpOut2Volume")
            .list({"No counting", "Flow", "Temperature compensated flow", "Instant flow"}, {"0", "1", "2", "8"})
            .help(34),
        Control("grpOut2BatchProgress", "QGroupBox", "pnOut2_1", "Batch progress").hide(),
        Control("laOut2BatchProgress1", "QLabel", "grpOut2BatchProgress", "100 % -"),
        Control("laOut2BatchProgress2", "QLabel", "grpOut2BatchProgress", "0 % -"),
        Control("pbOut2BatchProgress", "QProgressBar", "grpOut2BatchProgress").help(35),
    };
}

QList<Control> inpRows()
{
    return {
        Control("pnInp2", "QFrame", "InpTab"),
        Control("pnInp1", "TKRPanel", "pnInp2", "Units / Input"),
        Control("grpInpFlow", "QGroupBox", "pnInp1", "Flow"),
        Control("laInpFlowUnit", "QLabel", "grpInpFlow", "Flow unit:"),
        Control("cmbInpFlowUnitConst", "TKRComboBox", "grpInpFlow").list({"Unit/minute", "Unit/hour"}).help(43),
        Control("laInpFlowDir", "QLabel", "grpInpFlow", "Flow directions:"),
        Control("cmbInpFlowDirection", "TKRComboBox", "grpInpFlow")
            .list({"Unidirectional flow", "Bidirectional flow"})
            .help(46),
        Control("laInpTimeConst", "QLabel", "grpInpFlow", "Filter time constant:"),
        Control("cmbInpTimeConst", "TKRComboBox", "grpInpFlow")
            .list({"Time : 0.15 s", "Time : 1.0 s", "Time : 5.0 s", "Time : 10.0 s"})
            .help(44),
        Control("laInpFlowCalc", "QLabel", "grpInpFlow", "Flow supression:"),
        Control("cmbInpFlowCalc", "TKRComboBox", "grpInpFlow").list({"Flow<0.2% -> 0", "Non"}).help(47),
        Control("laInpMode", "QLabel", "grpInpFlow", "Mode of operation:"),
        Control("cmbInpMode", "TKRComboBox", "grpInpFlow").list({"Normal", "Test"}, {"0", "8"}).help(45),
        Control("grpInpTemp", "QGroupBox", "pnInp1", "Temp unit"),
        Control("cmbInpTempUnit", "TKRComboBox", "grpInpTemp")
            .list({QString::fromUtf8("°C"), QString::fromUtf8("°F")}, {"2", "3"})
            .help(38),
        Control("grpInpFunc", "QGroupBox", "pnInp1", "Input1 function"),
        Control("cmbInpFunc", "TKRComboBox", "grpInpFunc")
            .list({"Stop counters > No Error", "Stop counters > Error equal 5", "Clear Volume, Start Batch"},
                  {"2", "3", "4"})
            .help(41),
        Control("grpInpMeterSize", "QGroupBox", "pnInp1", "Meter size"),
        Control("edInpMeterSize", "TKREdit", "grpInpMeterSize").max(7).help(36),
        Control("cmbInpUnitChoice", "TKRComboBox", "grpInpMeterSize")
            .list({"Unit", "liter", "m3", "US_gallon", "UK_gallon", "Hektoliter"})
            .help(37),
        Control("btnInpCalib", "QPushButton", "pnInp1", "Calibration").help(42),
        Control("grpInpDevCalc", "QGroupBox", "pnInp1", "Fit to manufacturer setting"),
        Control("cmbInpDevCalc", "TKRComboBox", "grpInpDevCalc")
            .list({"No meter", "C25", "C38", "C51", "C63", "C76"})
            .help(39),
        Control("edInpDevCalc", "TKREdit", "grpInpDevCalc").readOnlyField().help(40),
    };
}

QList<Control> conRows()
{
    struct Register {
        int number;
        const char *caption;
        bool code;
        int help;
    };
    const Register registers[] = {
        {1, "MeterSize (E1):", false, 48}, {2, "Ti (E2):", false, 49},    {3, "PICode (E3):", true, 50},
        {4, "MeterNumber (E4):", true, 51}, {5, "Scale (E5):", false, 52}, {6, "Code1 (E6):", true, 53},
        {7, "Code2 (E7):", true, 54},       {8, "Code3 (E8):", true, 55},
    };
    QList<Control> rows{
        Control("pnCon2", "QFrame", "ConTab"),
        Control("pnCon1", "TKRPanel", "pnCon2", "Config"),
    };
    for (const Register &r : registers) {
        const QString n = QString::number(r.number);
        const QString panel = "pnConE" + n;
        rows.append(Control(panel, "QFrame", "pnCon1"));
        rows.append(Control("laConE" + n, "QLabel", panel, r.caption));
        Control edit("edConE" + n, "TKREdit", panel, r.code ? "000000" : "00000000");
        edit.help(r.help);
        if (r.code)
            edit.max(6);
        if (r.number == 4)
            edit.readOnlyField(); // the serial number is never typed here
        rows.append(edit);
        // Every code register but the read-only serial number is typed in hexadecimal.
        if (r.code && r.number != 4)
            rows.append(Control("laConE" + n + "Hex", "QLabel", panel, "(Hex)"));
    }
    rows.append(Control("bbConLoadE1_8", "QPushButton", "pnCon1")
                    .hint("Load data from file to the flow transmitter")
                    .help(58));
    rows.append(Control("bbConSaveE1_8", "QPushButton", "pnCon1").hint("Save flow transmitter values to a file").help(56));
    rows.append(Control("btnConReset", "QPushButton", "pnCon1", "Reset KR 715").help(57));
    return rows;
}

struct TabCase {
    std::function<QWidget *(KR715Session &)> create;
    QString home;
    QString panel;
    std::function<QList<Control>()> rows;
    QStringList helpers; // named widgets that controls create for themselves
};

TabCase tabCase(const QString &which)
{
    if (which == "Out3Tab")
        return {[](KR715Session &s) { return new Out3Tab(s); }, "pnOut3_2", "pnOut3_1", out3Rows,
                {"grpOut3PIRegMode_item0", "grpOut3PIRegMode_item1", "grpOut3PIRegMode_item2"}};
    if (which == "Out2Tab")
        return {[](KR715Session &s) { return new Out2Tab(s); }, "pnOut2_2", "pnOut2_1", out2Rows, {}};
    if (which == "InpTab")
        return {[](KR715Session &s) { return new InpTab(s); }, "pnInp2", "pnInp1", inpRows, {}};
    return {[](KR715Session &s) { return new ConTab(s); }, "pnCon2", "pnCon1", conRows, {}};
}

} // namespace

class TestConfigTabs : public QObject {
    Q_OBJECT

private:
    KR715Session m_session;
    std::unique_ptr<Out3Tab> m_out3;
    std::unique_ptr<Out2Tab> m_out2;
    std::unique_ptr<InpTab> m_inp;
    std::unique_ptr<ConTab> m_con;

private slots:
    void initTestCase()
    {
        m_out3 = std::make_unique<Out3Tab>(m_session);
        m_out2 = std::make_unique<Out2Tab>(m_session);
        m_inp = std::make_unique<InpTab>(m_session);
        m_con = std::make_unique<ConTab>(m_session);
    }

    // The controls of the four tabs, one row each.
    void inventory_data()
    {
        addInventoryRows({{"Out3Tab", m_out3.get(), out3Rows()},
                          {"Out2Tab", m_out2.get(), out2Rows()},
                          {"InpTab", m_inp.get(), inpRows()},
                          {"ConTab", m_con.get(), conRows()}});
    }
    void inventory() { checkInventoryRow(); }

    // Page structure, registration, fit and pictures: the same rules for every tab.
    void pageStructure_data()
    {
        QTest::addColumn<QString>("tab");
        for (const char *tab : {"Out3Tab", "Out2Tab", "InpTab", "ConTab"})
            QTest::newRow(tab) << QString::fromLatin1(tab);
    }
    void pageStructure()
    {
        QFETCH(QString, tab);
        const TabCase c = tabCase(tab);
        KR715Session session;
        std::unique_ptr<QWidget> page(c.create(session));
        QCOMPARE(page->objectName(), tab);

        // The home container fills the page and the content panel fills the home
        // container, whatever size the tab sheet gives the page.
        for (const QSize size : {QSize(398, 308), QSize(420, 330)}) {
            page->resize(size);
            page->show();
            QVERIFY(QTest::qWaitForWindowExposed(page.get()));
            auto *home = page->findChild<QWidget *>(c.home);
            auto *panel = page->findChild<TKRPanel *>(c.panel);
            QVERIFY(home && panel);
            QCOMPARE(home->geometry(), page->rect());
            QCOMPARE(panel->geometry(), home->rect());
            page->hide();
        }

        // Every listed control is reachable by name through the session.
        for (const Control &row : c.rows()) {
            QObject *registered = session.controls.object(row.name);
            QVERIFY2(registered, qPrintable(row.name + " is not registered"));
            QCOMPARE(registered, static_cast<QObject *>(page->findChild<QWidget *>(row.name)));
        }

        // Nothing named that the inventory does not know (a misspelt name shows here).
        QCOMPARE(unlistedControls(page.get(), c.rows(), c.helpers), QStringList());

        // At the design size every control lies inside its parent.
        page->resize(398, 308);
        QCOMPARE(controlsOutsideParent(page->findChild<QWidget *>(c.panel)), QStringList());

        QCOMPARE(imagesWithoutPicture(page.get()), QStringList());
    }

    void out3Details()
    {
        // The hint panel covers the whole regulator example picture.
        QCOMPARE(m_out3->ui.pnOut3PIHintPanel->width(), 386);
        QCOMPARE(m_out3->ui.imgOut3PIEks->geometry(), m_out3->ui.pnOut3PIHintPanel->rect());
        // It lies above the other controls of the panel so that it can cover them.
        const QObjectList siblings = m_out3->ui.pnOut3_1->children();
        QCOMPARE(siblings.last(), static_cast<QObject *>(m_out3->ui.pnOut3PIHintPanel));
        // The regulator mode starts on "Auto", shown by its checked radio item.
        QRadioButton *autoItem = m_out3->ui.grpOut3PIRegMode->button(0);
        QVERIFY(autoItem);
        QVERIFY(autoItem->isChecked());
        QVERIFY(!m_out3->ui.grpOut3PIRegMode->button(1)->isChecked());
    }

    void out2Details()
    {
        QProgressBar *bar = m_out2->ui.pbOut2BatchProgress;
        QCOMPARE(bar->orientation(), Qt::Vertical);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 0);
        // The labels mark the top and the bottom of the bar.
        QVERIFY(m_out2->ui.laOut2BatchProgress1->geometry().center().y() < m_out2->ui.laOut2BatchProgress2->geometry().center().y());
    }

    void inpDetails()
    {
        QCOMPARE(m_inp->ui.cmbInpMode->maxVisibleItems(), 9);
    }

    void conDetails()
    {
        // The picture buttons show their pictures.
        for (QPushButton *button : {m_con->ui.bbConLoadE1_8, m_con->ui.bbConSaveE1_8}) {
            QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
            QVERIFY(!button->icon().pixmap(button->iconSize()).isNull());
        }
        // Register panels stand one below the other, E1 at the top.
        for (int n = 2; n <= 8; ++n) {
            auto *above = m_con->findChild<QWidget *>(QStringLiteral("pnConE%1").arg(n - 1));
            auto *below = m_con->findChild<QWidget *>(QStringLiteral("pnConE%1").arg(n));
            QVERIFY(above->geometry().bottom() < below->geometry().top());
        }
    }
};

QTEST_MAIN(TestConfigTabs)
#include "tst_configtabs.moc"
