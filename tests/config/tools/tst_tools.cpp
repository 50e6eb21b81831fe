// The four tools as the operator uses them, on the real main window against the
// simulated network: the "Tools" button and its shortcuts, the trend fed by the poll
// (checked against the bus trace), the compare's texts for every list and its "take
// from file" (checked against the writes that choosing or typing the same setting
// makes), the report's PDF and the bus monitor (checked against the bus trace).
#include "OperatorDriver.h"
#include "PdfText.h"
#include "ConnectionTestSupport.h"

#include "BusMonitorU.h"
#include "CompareU.h"
#include "ConfigFileText.h"
#include "DialogAnswerer.h"
#include "KRTools.h"
#include "NumberFormat.h"
#include "RegisterCodec.h"
#include "ReportU.h"
#include "TrendU.h"

#include <QAction>
#include <QScreen>
#include <QHeaderView>
#include <QPaintEvent>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>

namespace {
// Values that tell the channels apart.
QByteArray liveNetwork()
{
    return OperatorDriver::kr715({{".Flow", 12.5}, {".Volume1", 1234.5}, {".Volume2", 10.25}, {".InstantFlow", 13},
                                  {".TCFlow", 12.375}, {".Temperature", 21.5}});
}

// The register text a digit k of register reg gets, from a valid base.
QString withDigit(int reg, int k, int value)
{
    QString base = reg == 8 ? QStringLiteral("002200") : QStringLiteral("000000");
    return regcodec::withDigit(base, k, value);
}

// Where each list setting is coded.
struct Coding {
    const char *control;
    int reg;
    int digit;
};
const Coding Codings[] = {
    {"cmbInpFlowUnitConst", 8, 1}, {"cmbInpTimeConst", 8, 1},       {"cmbInpFlowDirection", 8, 2},
    {"cmbInpFlowCalc", 8, 2},      {"cmbInpTempUnit", 8, 3},        {"cmbInpFunc", 8, 4},
    {"cmbInpMode", 7, 5},          {"cmbOut2FuncOut", 7, 3},        {"cmbOut2DataForBatchLimit", 7, 6},
    {"cmbOut2DataForVolCount", 7, 4}, {"cmbOut2Vol1Res", 6, 3},     {"cmbOut3FuncOut3", 7, 1},
    {"cmbOut3DataForOut3", 7, 2},  {"cmbOut3PIRegCalcInp", 3, 5},   {"cmbOut3PIRegContrDir", 3, 5},
    {"grpOut3PIRegMode", 3, 6},
};
} // namespace

class TestTools : public QObject {
    Q_OBJECT
private slots:
    void toolsButton();
    void shortcutsOpenWindows();
    void placeKeptBetweenRuns();
    void trendGetsThePolledValues();
    void trendBreaksWhileDeviceLost();
    void trendExports();
    void compareTextsForEveryList_data();
    void compareTextsForEveryList();
    void takeFromFileWritesAsChoosing_data();
    void takeFromFileWritesAsChoosing();
    void takeAllLoadsTheFile();
    void compareBadFiles();
    void reportWindowSavesPdf();
    void reportPathNotWritable();
    void monitorShowsTheTraceLines();
    void monitorIsBoundedAndPausable();
    void monitorDrawsNothingPausedOrMinimized();
    void monitorShowsFailuresInRed();
    void monitorDrawsOnlyNewRows();
    void trendDrawsOnlyNewValues();
};

void TestTools::toolsButton()
{
    OperatorDriver op;
    TfrmKR715Config &w = op.open();
    const QSize before = w.size();
    KRTools tools(w);
    QCOMPARE(w.size(), before);
    QToolButton *button = w.findChild<QToolButton *>(QStringLiteral("sbTools"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Tools"));
    QVERIFY(button->isVisible());
    QVERIFY(w.rect().contains(button->geometry()));
    // In the bottom strip, on no other control.
    QVERIFY(button->y() > w.ui.pc715->geometry().bottom());
    for (QWidget *other : w.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (other != button && other->isVisible())
            QVERIFY2(!other->geometry().intersects(button->geometry()), qPrintable(other->objectName()));
    const QList<QAction *> actions = button->menu()->actions();
    QCOMPARE(actions.size(), 4);
    QStringList texts;
    for (QAction *a : actions)
        texts << a->text() + QLatin1Char(' ') + a->shortcut().toString(QKeySequence::PortableText);
    QCOMPARE(texts, QStringList({"Live trend Ctrl+Shift+T", "Compare with file Ctrl+Shift+C",
                                 "Commissioning report Ctrl+Shift+R", "Bus monitor Ctrl+Shift+M"}));
}

void TestTools::shortcutsOpenWindows()
{
    OperatorDriver op;
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    QVERIFY(!tools.trend() && !tools.compareWindow() && !tools.reportWindow() && !tools.busMonitor());
    const Qt::KeyboardModifiers mods = Qt::ControlModifier | Qt::ShiftModifier;
    op.activate();
    QTest::keyClick(&w, Qt::Key_T, mods);
    QTRY_VERIFY(tools.trend() && tools.trend()->isVisible());
    op.activate();
    QTest::keyClick(&w, Qt::Key_C, mods);
    QTRY_VERIFY(tools.compareWindow() && tools.compareWindow()->isVisible());
    op.activate();
    QTest::keyClick(&w, Qt::Key_R, mods);
    QTRY_VERIFY(tools.reportWindow() && tools.reportWindow()->isVisible());
    op.activate();
    QTest::keyClick(&w, Qt::Key_M, mods);
    QTRY_VERIFY(tools.busMonitor() && tools.busMonitor()->isVisible());
    QCOMPARE(tools.trend()->windowTitle(), QStringLiteral("Live trend"));
    QCOMPARE(tools.busMonitor()->windowTitle(), QStringLiteral("Bus monitor"));
    // The tool windows close with the main window.
    w.close();
    QVERIFY(!tools.trend()->isVisible());
    QVERIFY(!tools.busMonitor()->isVisible());
    QVERIFY(!tools.busMonitor()->recording());
}

void TestTools::placeKeptBetweenRuns()
{
    OperatorDriver op;
    TfrmKR715Config &w = op.open();
    {
        KRTools tools(w);
        tools.actBusMonitorExecute();
        tools.busMonitor()->resize(515, 333);
        tools.busMonitor()->close();
    }
    KRTools again(w);
    again.actBusMonitorExecute();
    QCOMPARE(again.busMonitor()->size(), QSize(515, 333));
    // A window never closed opens at its own size.
    again.actCompareExecute();
    QCOMPARE(again.compareWindow()->size(), QSize(640, 480));
}

void TestTools::trendGetsThePolledValues()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    op.cycle();
    op.clearTrace();
    op.cycle();
    const int linesWithout = int(op.fixture().traceLines().size());
    tools.actTrendExecute();
    TfrmTrend *trend = tools.trend();
    op.clearTrace();
    op.cycle(3);
    const QStringList trace = op.fixture().traceLines();
    // No access of its own: three cycles, three times the lines of one.
    QCOMPARE(int(trace.size()), 3 * linesWithout);
    // Every value the poll read of a trend variable is in the trend, in order.
    const char *const variables[trend::ChannelCount] = {".Flow", ".InstantFlow", ".TCFlow",
                                                        ".Temperature", ".Volume1", ".Volume2"};
    for (int c = 0; c < trend::ChannelCount; ++c) {
        QList<double> read;
        const QString select = QStringLiteral("put PhysId FT1") + QLatin1String(variables[c]);
        for (int i = 0; i + 1 < trace.size(); ++i)
            if (trace.at(i) == select && trace.at(i + 2).startsWith(QLatin1String("get value ")))
                read.append(double(float(trace.at(i + 2).mid(10).toDouble())));
        QList<double> stored;
        for (const trend::Sample &s : trend->store().samples(c))
            stored.append(s.value);
        QCOMPARE(read.size(), 3);
        QCOMPARE(stored, read);
    }
    QCOMPARE(trend->store().samples(trend::Flow).back().value, 12.5);
    QCOMPARE(trend->store().samples(trend::TCFlow).back().value, 12.375);
    // The captions carry the program's units.
    trend->refresh();
    QVERIFY(trend->channelTitle(trend::Flow).startsWith(QStringLiteral("Flow [")));
    QVERIFY(trend->channelTitle(trend::Flow).contains(w.ui.la715FlowUnit->text()));
}

void TestTools::trendBreaksWhileDeviceLost()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    tools.actTrendExecute();
    TfrmTrend *trend = tools.trend();
    qint64 now = 1'800'000'000'000LL;
    trend->setClock([&now] { return now; });
    auto run = [&](int ticks) {
        for (int i = 0; i < ticks; ++i) {
            op.tick();
            now += 50;
            if (i % 20 == 19)
                trend->tiTrendRefreshTimer();
        }
    };
    run(60);
    op.setAnswering(false);
    run(200); // ten seconds without the device
    op.setAnswering(true);
    run(60);
    trend->refresh();
    const QList<QList<QPointF>> pieces = trend->drawnSegments(trend::Flow);
    QCOMPARE(pieces.size(), 2);
    for (const QList<QPointF> &piece : pieces)
        for (const QPointF &p : piece)
            QCOMPARE(p.y(), 12.5); // never drawn to zero
    // The break lies in the time without the device.
    QVERIFY(pieces.at(1).first().x() - pieces.at(0).last().x() >= 10000);
}

void TestTools::trendExports()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    tools.actTrendExecute();
    op.cycle(2);
    QTemporaryDir dir;
    // Through the window's buttons and the save dialog.
    {
        DialogAnswerer answers;
        answers.chooseFile(dir.filePath(QStringLiteral("trend.csv")));
        tools.trend()->ui.btnTrendExportCsv->click();
        KR_VERIFY_DIALOGS(answers);
    }
    QFile csv(dir.filePath(QStringLiteral("trend.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QList<trend::CsvRow> rows;
    QVERIFY(trend::parseCsv(csv.readAll(), rows));
    QCOMPARE(rows.size(), 12); // six channels, two cycles
    for (const trend::CsvRow &r : rows)
        if (r.channel == QLatin1String("flow"))
            QCOMPARE(r.value, 12.5);
    {
        DialogAnswerer png;
        png.chooseFile(dir.filePath(QStringLiteral("trend.png")));
        tools.trend()->ui.btnTrendExportPng->click();
        KR_VERIFY_DIALOGS(png);
    }
    QImage picture(dir.filePath(QStringLiteral("trend.png")));
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 100);
    // A folder that does not exist.
    QString error;
    QVERIFY(!tools.trend()->exportCsv(dir.filePath(QStringLiteral("no/such/folder.csv")), &error));
    QVERIFY(!error.isEmpty());
}

void TestTools::compareTextsForEveryList_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("reg");
    QTest::addColumn<int>("digit");
    QTest::addColumn<int>("value");
    for (const Coding &c : Codings)
        for (int v = 0; v < 16; ++v)
            QTest::addRow("%s %X", c.control, v) << QString::fromLatin1(c.control) << c.reg << c.digit << v;
}

void TestTools::compareTextsForEveryList()
{
    QFETCH(QString, control);
    QFETCH(int, reg);
    QFETCH(int, digit);
    QFETCH(int, value);
    static OperatorDriver *op = nullptr;
    static KRTools *tools = nullptr;
    if (!op) {
        // One offline window for all rows: the register edits decode into the lists.
        op = new OperatorDriver();
        op->open({});
        tools = new KRTools(op->window());
        tools->actCompareExecute();
    }
    DialogAnswerer answers; // a conflict warning of a list handler is closed, not awaited
    TfrmCompare *cmp = tools->compareWindow();
    for (int r : {3, 6, 7, 8})
        op->edit(QStringLiteral("edConE%1").arg(r))->setText(withDigit(r, 0, 0).left(6));
    op->edit(QStringLiteral("edConE%1").arg(reg))->setText(withDigit(reg, digit, value));
    // What the window shows for the register...
    QString shown;
    if (auto *group = op->get<TRadioGroup>(control))
        shown = group->ItemIndex() >= 0 ? group->itemText(group->ItemIndex()) : QStringLiteral("Illegal Choice");
    else
        shown = op->list(control)->currentText();
    // ... is what the compare says of it.
    const compare::Registers registers = cmp->deviceRegisters();
    const compare::ListTexts texts = cmp->listTexts();
    const QStringList lines = compare::describe(registers, texts, [](const QString &t) { return t; });
    QString line;
    for (qsizetype i = 0; i < compare::settings().size(); ++i)
        if (QLatin1String(compare::settings().at(i).control) == control)
            line = lines.at(i);
    QVERIFY(!line.isEmpty());
    QCOMPARE(line.mid(line.indexOf(QStringLiteral(": ")) + 2), shown);
    if (control == QLatin1String("grpOut3PIRegMode") && value == 15) {
        delete tools;
        delete op;
        tools = nullptr;
        op = nullptr;
    }
}

void TestTools::takeFromFileWritesAsChoosing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");  // list entry or radio button
    QTest::addColumn<QString>("text"); // typed register text
    QTest::addColumn<int>("slot");
    QTest::newRow("output 2 function") << "cmbOut2FuncOut" << 3 << QString() << 7;
    QTest::newRow("output 3 data") << "cmbOut3DataForOut3" << 5 << QString() << 7;
    QTest::newRow("mode") << "cmbInpMode" << 1 << QString() << 7;
    QTest::newRow("temperature unit") << "cmbInpTempUnit" << 1 << QString() << 8;
    QTest::newRow("filter time") << "cmbInpTimeConst" << 2 << QString() << 8;
    QTest::newRow("resolution") << "cmbOut2Vol1Res" << 5 << QString() << 6;
    QTest::newRow("PI output") << "cmbOut3PIRegContrDir" << 1 << QString() << 3;
    QTest::newRow("PI mode") << "grpOut3PIRegMode" << 2 << QString() << 3;
    QTest::newRow("meter size") << "edConE1" << -1 << "3.5" << 1;
    QTest::newRow("Ti") << "edConE2" << -1 << "12.25" << 2;
}

void TestTools::takeFromFileWritesAsChoosing()
{
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, slot);
    const QByteArray network = OperatorDriver::kr715({{".MeterSize", 2.5}, {".Ti", 10}});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("setup.txt"));

    // The operator chooses (or types) the setting; the file is what the window would save.
    QString chosenWrites;
    int chosenHistory = 0;
    {
        OperatorDriver op(network);
        op.open();
        op.cycle(2);
        if (index >= 0 && control.startsWith(QLatin1String("cmb"))) {
            QVERIFY(op.choose(control, index));
            op.leave();
        } else if (index >= 0) {
            op.click(op.get<TRadioGroup>(control)->button(index));
        } else {
            op.typeAndEnter(op.edit(control), conn::num(qPrintable(text)));
            op.leave();
        }
        chosenWrites = op.serve(slot);
        chosenHistory = op.session().history.historyPosition;
        QStringList registers;
        for (int reg = 1; reg <= 8; ++reg)
            registers << op.edit(QStringLiteral("edConE%1").arg(reg))->text();
        registers[7] = registers[7].left(4) + QStringLiteral("XX");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(configfile::fileBytes(registers, {QStringLiteral("test")}));
    }
    QVERIFY2(chosenWrites.startsWith(QLatin1String("write ")), qPrintable(chosenWrites));

    // The same setting taken from the file in the compare window.
    OperatorDriver op(network);
    TfrmKR715Config &w = op.open();
    op.cycle(2);
    KRTools tools(w);
    tools.actCompareExecute();
    TfrmCompare *cmp = tools.compareWindow();
    QVERIFY(cmp->loadFile(file));
    int differing = 0;
    for (const compare::Row &r : cmp->rows())
        differing += r.differs;
    QVERIFY(differing >= 1);
    QVERIFY(cmp->takeSetting(control));
    op.activate();
    QCOMPARE(op.serve(slot), chosenWrites);
    QCOMPARE(op.session().history.historyPosition, chosenHistory);
    // Read back, the device now agrees with the file on that setting.
    op.cycle();
    cmp->refresh();
    for (const compare::Row &r : cmp->rows())
        if (QLatin1String(r.setting.control) == control)
            QVERIFY2(!r.differs, qPrintable(r.line));
    // And the take steps back as any entry ("Redo" shows the older register set).
    const QString before = op.edit(QStringLiteral("edConE%1").arg(slot))->text();
    op.click(w.ui.bbConRedo);
    QVERIFY(op.edit(QStringLiteral("edConE%1").arg(slot))->text() != before);
}

void TestTools::takeAllLoadsTheFile()
{
    OperatorDriver op(OperatorDriver::kr715({{".MeterSize", 2.5}, {".Ti", 10}}));
    TfrmKR715Config &w = op.open();
    op.cycle(2);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("setup.txt"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Reg values]\r\nReg E1: 4\r\nReg E2: 20\r\nReg E3: 000020\r\nReg E4: 000000\r\nReg E5: 50\r\n"
                "Reg E6: 003000\r\nReg E7: 214000\r\nReg E8: 3022XX\r\n\r\n[Setup description]\r\nx\r\n");
    }
    KRTools tools(w);
    tools.actCompareExecute();
    TfrmCompare *cmp = tools.compareWindow();
    QVERIFY(cmp->loadFile(file));
    QVERIFY(cmp->ui.btnCompareTakeAll->isEnabled());
    const RegisterSnapshot before = op.session().history.entries[0];
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Yes, QStringLiteral("Take every setting"));
    cmp->ui.btnCompareTakeAll->click();
    KR_VERIFY_DIALOGS(answers);
    // One history entry, as a load: the set before is the next older one.
    QCOMPARE(op.session().history.entries[1], before);
    QVERIFY(!(op.session().history.entries[0] == before));
    op.clearTrace();
    op.cycle(2);
    cmp->refresh();
    for (const compare::Row &r : cmp->rows())
        QVERIFY2(!r.differs, qPrintable(r.line));
    QCOMPARE(op.deviceCode(QStringLiteral(".Code2")), qint32(0x21400000));
}

void TestTools::compareBadFiles()
{
    OperatorDriver op;
    TfrmKR715Config &w = op.open();
    op.cycle();
    KRTools tools(w);
    tools.actCompareExecute();
    TfrmCompare *cmp = tools.compareWindow();
    QTemporaryDir dir;
    // Short: what is there is compared; nothing missing can be taken; no take all.
    const QString shortFile = dir.filePath(QStringLiteral("short.txt"));
    {
        QFile f(shortFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Reg values]\r\nReg E1: 7\r\n");
    }
    QVERIFY(cmp->loadFile(shortFile));
    QVERIFY(!cmp->ui.btnCompareTakeAll->isEnabled());
    QVERIFY(cmp->ui.laCompareNotes->text().contains(QStringLiteral("Reg E7 is missing")));
    for (const compare::Row &r : cmp->rows()) {
        if (r.setting.reg == 1)
            QVERIFY(r.takeable);
        else
            QVERIFY2(!r.takeable && r.fileText == QStringLiteral("(missing in the file)"), qPrintable(r.line));
    }
    QVERIFY(!cmp->takeSetting(QStringLiteral("cmbOut2FuncOut")));
    // A file that cannot be read: the operator is told, the last compare stays.
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Failed to load setup from file"));
    QVERIFY(!cmp->loadFile(dir.filePath(QStringLiteral("none.txt"))));
    KR_VERIFY_DIALOGS(answers);
    QCOMPARE(cmp->rows().size(), compare::settings().size());
}

void TestTools::reportWindowSavesPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    op.cycle(2);
    KRTools tools(w);
    tools.actReportExecute();
    TfrmReport *report = tools.reportWindow();
    report->ui.edReportMemo->setPlainText(QStringLiteral("Commissioned by J. Hansen"));
    report->refresh();
    // The preview shows what will be saved.
    const QString preview = report->ui.tbReportPreview->toPlainText();
    QVERIFY(preview.contains(QStringLiteral("FT1")));
    QVERIFY(preview.contains(QStringLiteral("Commissioned by J. Hansen")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("FT1 report.pdf"));
    DialogAnswerer answers;
    answers.chooseFile(path);
    report->ui.btnReportSave->click();
    KR_VERIFY_DIALOGS(answers);
    const QString text = pdfText(path);
    QVERIFY2(!text.isEmpty(), "no PDF text");
    const QString serial = op.edit(QStringLiteral("edGenNAddr"))->text();
    QVERIFY(!serial.isEmpty());
    for (const QString &expected : {QStringLiteral("KR 715 commissioning report"), QStringLiteral("FT1"), QStringLiteral("715"),
                                    serial, QStringLiteral("Output 2 function"), op.list(QStringLiteral("cmbOut2FuncOut"))->currentText(),
                                    op.edit(QStringLiteral("edConE7"))->text(), QStringLiteral("Commissioned by J. Hansen")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
}

void TestTools::reportPathNotWritable()
{
    OperatorDriver op;
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    tools.actReportExecute();
    QTemporaryDir dir;
    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("could not be written"));
    QVERIFY(!tools.reportWindow()->save(dir.filePath(QStringLiteral("missing/report.pdf"))));
    KR_VERIFY_DIALOGS(answers);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing/report.pdf"))));
}

void TestTools::monitorShowsTheTraceLines()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    tools.actBusMonitorExecute();
    TfrmBusMonitor *monitor = tools.busMonitor();
    monitor->ui.btnMonitorClear->click();
    op.clearTrace();
    op.cycle();
    const QStringList trace = op.fixture().traceLines();
    QStringList seen;
    QString selection;
    for (int i = 0; i < monitor->buffer().size(); ++i) {
        const monitor::Entry &e = monitor->buffer().at(i);
        seen << e.traceLine();
        if (e.member == QLatin1String("PhysId"))
            selection = e.valueText();
        else
            QCOMPARE(e.variable, selection);
    }
    QCOMPARE(seen, trace);
    monitor->refresh();
    QCOMPARE(monitor->model()->rowCount(), int(trace.size()));
    // The rows of the list, written as text when shown, read as the lines of the trace.
    BusMonitorModel *model = monitor->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        auto cell = [&](int column) { return model->data(model->index(row, column), Qt::DisplayRole).toString(); };
        QString line = cell(BusMonitorModel::Access) + QLatin1Char(' ') + cell(BusMonitorModel::Member);
        if (!cell(BusMonitorModel::Value).isEmpty())
            line += QLatin1Char(' ') + cell(BusMonitorModel::Value);
        QCOMPARE(line, trace.at(row));
        QCOMPARE(model->text(row, BusMonitorModel::Value), cell(BusMonitorModel::Value));
    }
    // Filtered to one variable.
    monitor->ui.edMonitorFilter->setText(QStringLiteral("FT1.Temperature"));
    QVERIFY(monitor->model()->rowCount() > 0);
    for (const monitor::Entry &e : monitor->model()->entries())
        QVERIFY(e.variable.contains(QStringLiteral("Temperature")) || e.traceLine().contains(QStringLiteral("Temperature")));
    // A device that does not answer: the error code is shown.
    op.setAnswering(false);
    monitor->ui.edMonitorFilter->clear();
    op.tick();
    monitor->refresh();
    bool noContact = false;
    for (const monitor::Entry &e : monitor->model()->entries())
        noContact = noContact || (e.errorCode & 0xFFFF) == 1024;
    QVERIFY(noContact);
}

void TestTools::monitorIsBoundedAndPausable()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    TfrmBusMonitor monitor(w, 50);
    monitor.show();
    op.cycle(2);
    QCOMPARE(monitor.buffer().size(), 50);
    QVERIFY(monitor.buffer().total() > 100);
    monitor.refresh();
    QCOMPARE(monitor.model()->rowCount(), 50);
    const QString newest = monitor.model()->entries().last().traceLine();
    const qint64 total = monitor.buffer().total();
    monitor.ui.btnMonitorPause->click();
    op.cycle();
    monitor.tiMonitorRefreshTimer();
    QCOMPARE(monitor.model()->entries().last().traceLine(), newest); // the list stands still
    QVERIFY(monitor.buffer().total() > total);                        // the record goes on
    monitor.ui.btnMonitorPause->click();
    QCOMPARE(monitor.model()->entries().last().traceLine(),
             monitor.buffer().at(monitor.buffer().size() - 1).traceLine());
    // Closed, it records nothing.
    monitor.close();
    const qint64 closedAt = monitor.buffer().total();
    op.cycle();
    QCOMPARE(monitor.buffer().total(), closedAt);
}

namespace {
// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
} // namespace

// Paused or minimized, the monitor shows nothing new and draws nothing; the record
// goes on, and what came meanwhile is shown when it is continued or restored.
void TestTools::monitorDrawsNothingPausedOrMinimized()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    TfrmBusMonitor monitor(w);
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    PaintCounter counter(monitor.ui.tvMonitor->viewport());
    op.cycle();
    monitor.tiMonitorRefreshTimer();
    settle();
    QVERIFY(counter.paints > 0); // new rows are drawn
    QVERIFY(!monitor.ui.laMonitorRate->text().isEmpty());

    monitor.ui.btnMonitorPause->click();
    settle();
    counter.paints = 0;
    const int rows = monitor.model()->rowCount();
    const qint64 total = monitor.buffer().total();
    const QString rate = monitor.ui.laMonitorRate->text();
    op.cycle();
    monitor.tiMonitorRefreshTimer();
    settle();
    QCOMPARE(counter.paints, 0);
    QCOMPARE(monitor.model()->rowCount(), rows);
    QCOMPARE(monitor.ui.laMonitorRate->text(), rate);
    QVERIFY(monitor.buffer().total() > total);
    monitor.ui.btnMonitorPause->click();
    QCOMPARE(monitor.model()->rowCount(), monitor.buffer().size());

    monitor.showMinimized();
    settle();
    QVERIFY(monitor.isMinimized());
    const int shown = monitor.model()->rowCount();
    op.cycle();
    monitor.tiMonitorRefreshTimer();
    QCOMPARE(monitor.model()->rowCount(), shown);
    QVERIFY(monitor.buffer().size() > shown);
    monitor.showNormal();
    settle();
    QCOMPARE(monitor.model()->rowCount(), monitor.buffer().size());
}

// A failed access is drawn in red, the others are not.
void TestTools::monitorShowsFailuresInRed()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    TfrmBusMonitor monitor(w);
    monitor.resize(700, 400);
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    auto redRows = [&] {
        monitor.refresh();
        monitor.ui.tvMonitor->scrollToBottom();
        settle();
        const QImage image = monitor.ui.tvMonitor->viewport()->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
            }
        return red;
    };
    op.cycle();
    QCOMPARE(redRows(), 0);
    op.setAnswering(false);
    op.cycle();
    QVERIFY(redRows() > 0);
}

// A full list that gets a few new rows moves its picture up and draws only those rows;
// the picture is the one a complete drawing gives.
void TestTools::monitorDrawsOnlyNewRows()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    TfrmBusMonitor monitor(w, 100);
    monitor.resize(640, 700);
    monitor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&monitor));
    op.cycle(2);
    monitor.tiMonitorRefreshTimer();
    settle();
    QCOMPARE(monitor.model()->rowCount(), 100); // full
    QWidget *area = monitor.ui.tvMonitor->viewport();
    const int rowHeight = monitor.ui.tvMonitor->verticalHeader()->defaultSectionSize();
    QVERIFY(area->height() > 10 * rowHeight);
    // What the window shows: its backing store (grab() would make a fresh drawing).
    auto shown = [&] {
        const QPoint at = area->mapTo(&monitor, QPoint(0, 0));
        return QGuiApplication::primaryScreen()
            ->grabWindow(monitor.winId(), at.x(), at.y(), area->width(), area->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const QImage previous = shown();
    QVERIFY(!previous.isNull());

    struct Regions : QObject {
        QRegion painted;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } regions;
    area->installEventFilter(&regions);
    const qint64 before = monitor.buffer().total();
    op.tick(); // one tick: a few accesses
    const int added = int(monitor.buffer().total() - before);
    QVERIFY2(added > 0 && added * rowHeight < area->height() / 2,
             qPrintable(QStringLiteral("%1 rows of %2 px, %3 px").arg(added).arg(rowHeight).arg(area->height())));
    monitor.tiMonitorRefreshTimer();
    settle();
    // Only the bottom rows were drawn.
    QVERIFY(!regions.painted.isEmpty());
    QVERIFY2(regions.painted.boundingRect().height() <= (added + 1) * rowHeight,
             qPrintable(QString::number(regions.painted.boundingRect().height())));
    QCOMPARE(regions.painted.boundingRect().bottom(), area->rect().bottom());
    area->removeEventFilter(&regions);
    // The newest access is the last row, and the picture is that of a complete drawing.
    QCOMPARE(monitor.model()->entries().last().traceLine(), monitor.buffer().at(monitor.buffer().size() - 1).traceLine());
    const QImage moved = shown();
    QVERIFY(moved != previous);
    area->repaint();
    settle();
    const QImage drawn = shown();
    QCOMPARE(moved.size(), drawn.size());
    QVERIFY(moved == drawn);
}

// The trend draws when the poll brought new values, and not otherwise: not without
// them, not while paused.
void TestTools::trendDrawsOnlyNewValues()
{
    OperatorDriver op(liveNetwork());
    TfrmKR715Config &w = op.open();
    KRTools tools(w);
    tools.actTrendExecute();
    TfrmTrend *trend = tools.trend();
    QVERIFY(QTest::qWaitForWindowExposed(trend));
    op.cycle();
    trend->tiTrendRefreshTimer();
    settle();
    PaintCounter counter(trend->chartView->viewport());
    // Nothing new: no drawing.
    trend->tiTrendRefreshTimer();
    settle();
    QCOMPARE(counter.paints, 0);
    // New values: drawn.
    op.cycle();
    trend->tiTrendRefreshTimer();
    settle();
    QVERIFY(counter.paints > 0);
    // The flow's line (the chart's first series) holds every value of the store.
    auto *flow = qobject_cast<QLineSeries *>(trend->chartView->chart()->series().value(0));
    QVERIFY(flow);
    QCOMPARE(size_t(flow->count()), trend->store().samples(trend::Flow).size());
    // Paused: the values are recorded, the picture stands still.
    trend->ui.btnTrendPause->click();
    settle();
    counter.paints = 0;
    const size_t samples = trend->store().samples(trend::Flow).size();
    op.cycle();
    trend->tiTrendRefreshTimer();
    settle();
    QCOMPARE(counter.paints, 0);
    QVERIFY(trend->store().samples(trend::Flow).size() > samples);
}

QTEST_MAIN(TestTools)
#include "tst_tools.moc"
