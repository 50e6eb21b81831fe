// Control inventory of the tabs "General" and "Data", the rows of the data view and
// the start layout of its output panels.

#include "DataTabU.h"
#include "FormInventory.h"
#include "GeneralTabU.h"
#include "KR715Session.h"

#include <QTest>

#include <memory>

namespace {

QList<Control> generalRows()
{
    return {
        Control("pnGen2", "QFrame", "GeneralTab"),
        Control("pnGen1", "TKRPanel", "pnGen2", "General"),
        Control("grbGenNAddr", "QGroupBox", "pnGen1", "Set P-NET Node Addr in KELO for selected flow transmitter"),
        Control("laGenNAddr", "QLabel", "grbGenNAddr", "Enter Serial No:"),
        Control("edGenNAddr", "TKREdit", "grbGenNAddr").max(6).help(6),
        Control("btnApplyNAddr", "QPushButton", "grbGenNAddr", "Apply node addr."),
        Control("imgGenKR715", "TImage", "pnGen1"),
        Control("grbGenModId", "QGroupBox", "pnGen1", "Identification"),
        Control("laGenDeviceNo", "QLabel", "grbGenModId", "Device Type:"),
        Control("edGenDeviceNo", "TKREdit", "grbGenModId").readOnlyField().disable().help(7),
        Control("laGenPrgVer", "QLabel", "grbGenModId", "Program Version:"),
        Control("edGenPrgVer", "TKREdit", "grbGenModId").readOnlyField().disable().help(9),
        Control("laGenNodeNo", "QLabel", "grbGenModId", "P-NET adr (Node Address) Dec:"),
        Control("edGenNodeNo", "TKREdit", "grbGenModId").readOnlyField().help(8),
    };
}

QList<Control> dataRows()
{
    return {
        Control("pnData3", "QFrame", "DataTab"),
        Control("pnData1", "TKRPanel", "pnData3", "Data"),
        Control("laDataFlow", "QLabel", "pnData1", "Flow"),
        // Flow is typed only in test mode and the setpoint only for a function that
        // uses it; the settings of the other tabs open them.
        Control("edDataFlow", "TKREdit", "pnData1").readOnlyField().help(10),
        Control("laDataFlowUnit", "QLabel", "pnData1", "Unit/min"),
        Control("laDataVol1", "QLabel", "pnData1", "Volume1"),
        Control("edDataVol1", "TKREdit", "pnData1").help(11),
        Control("laDataVol1Unit", "QLabel", "pnData1", "Unit"),
        Control("laDataVol2", "QLabel", "pnData1", "Volume2"),
        Control("edDataVol2", "TKREdit", "pnData1").help(12),
        Control("laDataVol2Unit", "QLabel", "pnData1", "Unit"),
        Control("laDataInstantFlow", "QLabel", "pnData1", "Instant Flow"),
        Control("edDataInsFlow", "TKREdit", "pnData1").readOnlyField().help(13),
        Control("laDataInstantFlowUnit", "QLabel", "pnData1", "Unit/min"),
        Control("laDataTCFlow", "QLabel", "pnData1", "TCFlow"),
        Control("edDataTCFlow", "TKREdit", "pnData1").readOnlyField().help(14),
        Control("laDataTCFlowUnit", "QLabel", "pnData1", "Unit/min"),
        Control("laDataTemp", "QLabel", "pnData1", "Temperature"),
        Control("edDataTemp", "TKREdit", "pnData1").readOnlyField().help(15),
        Control("laDataTempUnit", "QLabel", "pnData1", QString::fromUtf8("°C")),
        Control("laDataSetP", "QLabel", "pnData1", "Setpoint"),
        Control("edDataSetP", "TKREdit", "pnData1").readOnlyField().help(16),
        Control("laDataInp", "QLabel", "pnData1", "Input1"),
        Control("pbevDataInp", "TKRBevel", "pnData1", "Off"),
        Control("laDataOut2", "QLabel", "pnData1", "Output2"),
        Control("pnDataOut2OnOff", "QFrame", "pnData1"),
        Control("imgDataOut2On", "TImage", "pnDataOut2OnOff").hide(),
        Control("imgDataOut2Off", "TImage", "pnDataOut2OnOff"),
        Control("pnDataOut2F", "QFrame", "pnData1").hide(),
        Control("edDataOut2FVal", "TKREdit", "pnDataOut2F").readOnlyField().help(17),
        Control("laDataOut2FValU", "QLabel", "pnDataOut2F", "Hz"),
        Control("laDataOut3", "QLabel", "pnData1", "Output3"),
        Control("pnDataOut3OnOff", "QFrame", "pnData1"),
        Control("imgDataOut3On", "TImage", "pnDataOut3OnOff").hide(),
        Control("imgDataOut3Off", "TImage", "pnDataOut3OnOff"),
        Control("pnDataOut3F", "QFrame", "pnData1").hide(),
        Control("edDataOut3FVal", "TKREdit", "pnDataOut3F").readOnlyField().help(18),
        Control("laDataOut3FValU", "QLabel", "pnDataOut3F", "Hz"),
        Control("pnDataOut3Ana", "QFrame", "pnData1").hide(),
        Control("edDataOut3AVal", "TKREdit", "pnDataOut3Ana").readOnlyField().help(19),
        Control("laDataOut3AValU", "QLabel", "pnDataOut3Ana", "mA"),
        Control("laDataManSetOut3", "QLabel", "pnDataOut3Ana", "0..:"),
        Control("edDataManSetOut3", "TKREdit", "pnDataOut3Ana").readOnlyField().help(20),
    };
}

// Label, value control and unit label (empty when the row has none) of each row of
// the data view, top to bottom.
struct DataRow {
    const char *label;
    const char *value;
    const char *unit;
};
const DataRow kDataRows[] = {
    {"laDataFlow", "edDataFlow", "laDataFlowUnit"},
    {"laDataVol1", "edDataVol1", "laDataVol1Unit"},
    {"laDataVol2", "edDataVol2", "laDataVol2Unit"},
    {"laDataInstantFlow", "edDataInsFlow", "laDataInstantFlowUnit"},
    {"laDataTCFlow", "edDataTCFlow", "laDataTCFlowUnit"},
    {"laDataTemp", "edDataTemp", "laDataTempUnit"},
    {"laDataSetP", "edDataSetP", ""},
    {"laDataInp", "pbevDataInp", ""},
    {"laDataOut2", "pnDataOut2OnOff", ""},
    {"laDataOut3", "pnDataOut3OnOff", ""},
};

QRect geometryIn(QWidget *widget, QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

} // namespace

class TestConnectionTabs : public QObject {
    Q_OBJECT

private:
    KR715Session m_session;
    std::unique_ptr<GeneralTab> m_general;
    std::unique_ptr<DataTab> m_data;

private slots:
    void initTestCase()
    {
        m_general = std::make_unique<GeneralTab>(m_session);
        m_data = std::make_unique<DataTab>(m_session);
    }

    // The controls of both tabs, one row each.
    void inventory_data()
    {
        addInventoryRows({{"GeneralTab", m_general.get(), generalRows()}, {"DataTab", m_data.get(), dataRows()}});
    }
    void inventory() { checkInventoryRow(); }

    void pageStructure_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::newRow("GeneralTab") << "GeneralTab";
        QTest::newRow("DataTab") << "DataTab";
    }
    void pageStructure()
    {
        QFETCH(QString, tab);
        KR715Session session;
        const bool general = tab == "GeneralTab";
        std::unique_ptr<QWidget> page(general ? static_cast<QWidget *>(new GeneralTab(session))
                                              : static_cast<QWidget *>(new DataTab(session)));
        const QList<Control> rows = general ? generalRows() : dataRows();
        const QString homeName = general ? "pnGen2" : "pnData3";
        const QString panelName = general ? "pnGen1" : "pnData1";
        QCOMPARE(page->objectName(), tab);

        for (const QSize size : {QSize(398, 308), QSize(420, 330)}) {
            page->resize(size);
            page->show();
            QVERIFY(QTest::qWaitForWindowExposed(page.get()));
            auto *home = page->findChild<QWidget *>(homeName);
            auto *panel = page->findChild<TKRPanel *>(panelName);
            QVERIFY(home && panel);
            QCOMPARE(home->geometry(), page->rect());
            QCOMPARE(panel->geometry(), home->rect());
            page->hide();
        }

        for (const Control &row : rows) {
            QObject *registered = session.controls.object(row.name);
            QVERIFY2(registered, qPrintable(row.name + " is not registered"));
            QCOMPARE(registered, static_cast<QObject *>(page->findChild<QWidget *>(row.name)));
        }
        QCOMPARE(unlistedControls(page.get(), rows), QStringList());

        page->resize(398, 308);
        QCOMPARE(controlsOutsideParent(page->findChild<QWidget *>(panelName)), QStringList());
        QCOMPARE(imagesWithoutPicture(page.get()), QStringList());
    }

    void devicePictureFillsTheMiddle()
    {
        const auto &ui = m_general->ui;
        const QRect picture = ui.imgGenKR715->geometry();
        QVERIFY(picture.top() > ui.grbGenNAddr->geometry().bottom());
        QVERIFY(picture.bottom() < ui.grbGenModId->geometry().top());
        QVERIFY(picture.width() >= ui.pnGen1->width() * 9 / 10);
    }

    void dataRowsLineUp()
    {
        QWidget *panel = m_data->ui.pnData1;
        int previousBottom = -1;
        for (const DataRow &row : kDataRows) {
            QWidget *label = panel->findChild<QWidget *>(row.label);
            QWidget *value = panel->findChild<QWidget *>(row.value);
            QVERIFY2(label && value, row.label);
            const QRect l = geometryIn(label, panel);
            const QRect v = geometryIn(value, panel);
            // Label left of its value, on the same line; rows run top to bottom.
            QVERIFY2(l.right() < v.left(), row.label);
            QVERIFY2(qAbs(l.center().y() - v.center().y()) <= 3, row.label);
            QVERIFY2(v.top() > previousBottom, row.label);
            previousBottom = std::max(l.bottom(), v.bottom());
            if (*row.unit) {
                QWidget *unit = panel->findChild<QWidget *>(row.unit);
                QVERIFY2(unit, row.unit);
                const QRect u = geometryIn(unit, panel);
                QVERIFY2(v.right() < u.left(), row.unit);
                QVERIFY2(qAbs(u.center().y() - v.center().y()) <= 3, row.unit);
            }
        }
        // The alternative output panels share the line of their output.
        const auto &ui = m_data->ui;
        for (QWidget *alt : {static_cast<QWidget *>(ui.pnDataOut2F)})
            QVERIFY(qAbs(alt->geometry().center().y() - ui.laDataOut2->geometry().center().y()) <= 3);
        QVERIFY(qAbs(ui.pnDataOut3F->geometry().center().y() - ui.laDataOut3->geometry().center().y()) <= 3);
        // The current's row of its panel (the manual value has a second row below).
        QVERIFY(qAbs(ui.pnDataOut3Ana->y() + ui.edDataOut3AVal->geometry().center().y()
                     - ui.laDataOut3->geometry().center().y()) <= 3);
    }

    void startLayoutOfTheOutputPanels()
    {
        KR715Session session;
        DataTab tab(session);
        tab.resize(398, 308);
        const auto &ui = tab.ui;
        QHash<QString, bool> hiddenBefore;
        for (QWidget *w : tab.findChildren<QWidget *>())
            hiddenBefore.insert(w->objectName(), w->isHidden());

        tab.applyStartLayout();
        tab.applyStartLayout(); // running it twice changes nothing more

        for (QWidget *panel : {ui.pnDataOut2OnOff, ui.pnDataOut3OnOff}) {
            QCOMPARE(panel->x(), 168);
            QCOMPARE(panel->width(), 25);
        }
        // Both lamps of a pair fill their panel, so the visible one is what shows.
        for (TImage *lamp : {ui.imgDataOut2On, ui.imgDataOut2Off})
            QCOMPARE(lamp->geometry(), ui.pnDataOut2OnOff->rect());
        for (TImage *lamp : {ui.imgDataOut3On, ui.imgDataOut3Off})
            QCOMPARE(lamp->geometry(), ui.pnDataOut3OnOff->rect());
        for (QWidget *panel : {ui.pnDataOut2F, ui.pnDataOut3F, ui.pnDataOut3Ana})
            QCOMPARE(panel->x(), 168);
        // The current panel ends 4 pixels after its "mA" label: the manual value is cut off.
        const QRect mA = ui.laDataOut3AValU->geometry();
        QCOMPARE(ui.pnDataOut3Ana->width(), mA.x() + mA.width() + 4);
        QVERIFY(!ui.pnDataOut3Ana->rect().intersects(ui.laDataManSetOut3->geometry()));
        QVERIFY(!ui.pnDataOut3Ana->rect().intersects(ui.edDataManSetOut3->geometry()));

        for (QWidget *w : tab.findChildren<QWidget *>())
            QVERIFY2(w->isHidden() == hiddenBefore.value(w->objectName()), qPrintable(w->objectName()));
        // The lamps are drawn at their new size.
        QCOMPARE(imagesWithoutPicture(&tab), QStringList());
    }

    void lampsShowOutputsOff()
    {
        const auto &ui = m_data->ui;
        // Of each pair exactly one lamp is visible, the "off" one at start.
        QVERIFY(ui.imgDataOut2On->isHidden() && !ui.imgDataOut2Off->isHidden());
        QVERIFY(ui.imgDataOut3On->isHidden() && !ui.imgDataOut3Off->isHidden());
        // The lit and the dark lamp are different pictures.
        QVERIFY(ui.imgDataOut2On->pixmap().toImage() != ui.imgDataOut2Off->pixmap().toImage());
    }
};

QTEST_MAIN(TestConnectionTabs)
#include "tst_connectiontabs.moc"
