// The widget-free parts of the tools: the trend store (decimation, gaps, bounded
// memory, CSV), the bus monitor's ring, the compare's reading of configuration files
// and the commissioning report's PDF.
#include "AccessObserver.h"
#include "CompareEngine.h"
#include "KeloProServer.h"
#include "MonitorBuffer.h"
#include "NumberFormat.h"
#include "PdfText.h"
#include "ReportBuilder.h"
#include "TrendStore.h"
#include "TrendU.h"

#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace trend;

namespace {
constexpr qint64 T0 = 1'800'000'000'000LL; // a whole ten seconds

QString identity(const QString &text) { return text; }

int nanCount(const QList<QPointF> &points)
{
    int n = 0;
    for (const QPointF &p : points)
        n += std::isnan(p.y());
    return n;
}
} // namespace

class TestToolsLogic : public QObject {
    Q_OBJECT
private slots:
    void slotsFeedChannels();
    void decimation_data();
    void decimation();
    void recentSpanIsTrimmed();
    void gaps_data();
    void gaps();
    void daysOfDataStayBounded();
    void csvParsesBack_data();
    void csvParsesBack();
    void accessesAreObserved();
    void monitorIsBounded();
    void monitorTracksSelectionAndRate();
    void monitorFilter_data();
    void monitorFilter();
    void monitorValuesReadAsTheTrace();
    void trendTimeAxisSteps_data();
    void trendTimeAxisSteps();
    void trendValueAxisHolds_data();
    void trendValueAxisHolds();
    void compareFile_data();
    void compareFile();
    void reportPdf();
    void reportPathNotWritable();
};

void TestToolsLogic::slotsFeedChannels()
{
    QCOMPARE(channelOfSlot(9), int(Flow));
    QCOMPARE(channelOfSlot(10), int(Volume1));
    QCOMPARE(channelOfSlot(11), int(Volume2));
    QCOMPARE(channelOfSlot(12), int(InstantFlow));
    QCOMPARE(channelOfSlot(13), int(TCFlow));
    QCOMPARE(channelOfSlot(14), int(Temperature));
    for (int slot : {1, 8, 15, 19, 20})
        QCOMPARE(channelOfSlot(slot), -1);
}

void TestToolsLogic::decimation_data()
{
    QTest::addColumn<QList<double>>("values"); // one a second from T0
    QTest::addColumn<QList<double>>("means");
    QTest::addColumn<QList<double>>("minima");
    QTest::addColumn<QList<double>>("maxima");
    QTest::newRow("one bucket") << QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << QList<double>{5.5}
                                << QList<double>{1} << QList<double>{10};
    QTest::newRow("two buckets") << QList<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 20} << QList<double>{0, 15}
                                 << QList<double>{0, 10} << QList<double>{0, 20};
    QTest::newRow("negative") << QList<double>{-4, 2} << QList<double>{-1} << QList<double>{-4} << QList<double>{2};
}

void TestToolsLogic::decimation()
{
    QFETCH(QList<double>, values);
    QFETCH(QList<double>, means);
    QFETCH(QList<double>, minima);
    QFETCH(QList<double>, maxima);
    TrendStore store;
    for (int i = 0; i < values.size(); ++i)
        store.add(Flow, T0 + i * 1000, values.at(i));
    const auto &buckets = store.buckets(Flow);
    QCOMPARE(int(buckets.size()), int(means.size()));
    for (int i = 0; i < means.size(); ++i) {
        QCOMPARE(buckets[size_t(i)].mean(), means.at(i));
        QCOMPARE(double(buckets[size_t(i)].minimum), minima.at(i));
        QCOMPARE(double(buckets[size_t(i)].maximum), maxima.at(i));
    }
    // Drawn in the middle of each interval, no break.
    const QList<QPointF> history = store.history(Flow);
    QCOMPARE(history.size(), means.size());
    QCOMPARE(history.first().x(), double(T0 + 5000));
    QCOMPARE(store.recent(Flow).size(), values.size());
}

void TestToolsLogic::recentSpanIsTrimmed()
{
    Limits limits;
    TrendStore store(limits);
    // 20 minutes at one value a second: the full-rate span keeps the last ten.
    for (int i = 0; i <= 1200; ++i)
        store.add(Temperature, T0 + i * 1000LL, 20.0 + i * 0.01);
    const auto &samples = store.samples(Temperature);
    QCOMPARE(samples.front().ms, T0 + 600 * 1000LL);
    QCOMPARE(samples.back().ms, T0 + 1200 * 1000LL);
    QCOMPARE(int(samples.size()), 601);
    // The averages keep all of it.
    QCOMPARE(int(store.buckets(Temperature).size()), 121);
    // A feed faster than expected is bounded by count as well.
    Limits tight;
    tight.maxRecentPoints = 100;
    TrendStore fast(tight);
    for (int i = 0; i < 1000; ++i)
        fast.add(Flow, T0 + i, 1.0);
    QCOMPARE(int(fast.samples(Flow).size()), 100);
}

void TestToolsLogic::gaps_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("recentBreaks");
    QTest::addColumn<int>("historyBreaks");
    QTest::newRow("device lost") << "lost" << 1 << 1;
    QTest::newRow("failed read") << "nan" << 1 << 1;
    QTest::newRow("silence") << "silence" << 1 << 1;
    QTest::newRow("no gap") << "none" << 0 << 0;
}

void TestToolsLogic::gaps()
{
    QFETCH(QString, how);
    QFETCH(int, recentBreaks);
    QFETCH(int, historyBreaks);
    TrendStore store;
    qint64 t = T0;
    for (int i = 0; i < 30; ++i, t += 1000)
        store.add(Flow, t, 12.5);
    if (how == QLatin1String("lost"))
        store.addGap(t);
    else if (how == QLatin1String("nan"))
        store.add(Flow, t, std::nan(""));
    if (how != QLatin1String("none"))
        t += 60 * 1000; // a minute without values
    for (int i = 0; i < 30; ++i, t += 1000)
        store.add(Flow, t, 12.5);
    const QList<QPointF> recent = store.recent(Flow);
    const QList<QPointF> history = store.history(Flow);
    QCOMPARE(nanCount(recent), recentBreaks);
    QCOMPARE(nanCount(history), historyBreaks);
    // Never a line to zero: every value drawn is the device's.
    for (const QPointF &p : recent + history)
        QVERIFY(std::isnan(p.y()) || p.y() == 12.5);
    // A second loss report without values in between breaks only once.
    store.addGap(t);
    store.addGap(t + 1000);
    QCOMPARE(nanCount(store.recent(Flow)), recentBreaks + 1);
}

void TestToolsLogic::daysOfDataStayBounded()
{
    // Six channels, one value each a second (as the poll reads them) for three days.
    TrendStore store;
    size_t afterOneDay = 0;
    for (qint64 s = 0; s < 3 * 86400; ++s) {
        for (int c = 0; c < ChannelCount; ++c)
            store.add(c, T0 + s * 1000 + c * 50, std::sin(double(s) / 600.0) * 10 + c);
        if (s == 86400)
            afterOneDay = store.memoryBytes();
    }
    const size_t bytes = store.memoryBytes();
    qInfo("trend store after 24 h: %zu bytes, after 72 h: %zu bytes", afterOneDay, bytes);
    QVERIFY2(bytes < 20u * 1024 * 1024, qPrintable(QString::number(bytes)));
    // Constant from the first day on: old data drops out.
    QVERIFY(bytes <= afterOneDay + afterOneDay / 20);
    for (int c = 0; c < ChannelCount; ++c) {
        QVERIFY(store.buckets(c).size() <= size_t(86400 / 10 + 2));
        QVERIFY(store.samples(c).size() <= 601);
        QVERIFY(store.buckets(c).front().startMs >= store.newestMs() - 86400 * 1000LL);
    }
}

void TestToolsLogic::csvParsesBack_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << "C";
    QTest::newRow("German") << "de_DE";
    QTest::newRow("French") << "fr_FR";
}

void TestToolsLogic::csvParsesBack()
{
    QFETCH(QString, locale);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    TrendStore store;
    store.add(Flow, T0, 12.5);
    store.add(Temperature, T0 + 50, -3.25);
    store.add(Volume1, T0 + 100, 1234567.5);
    store.addGap(T0 + 1000);
    store.add(Flow, T0 + 2000, 0.000125);
    const QByteArray csv = store.recentCsv();
    QLocale::setDefault(before);
    QVERIFY(csv.startsWith("time,channel,value\r\n"));
    QVERIFY2(!csv.contains("12,5"), csv.constData());
    QList<CsvRow> rows;
    QVERIFY(parseCsv(csv, rows));
    QCOMPARE(rows.size(), 7); // four values and a break for each of the three channels
    QCOMPARE(rows.at(0).ms, T0);
    QCOMPARE(rows.at(0).channel, QStringLiteral("flow"));
    QCOMPARE(rows.at(0).value, 12.5);
    QCOMPARE(rows.at(1).value, -3.25);
    QCOMPARE(rows.at(2).channel, QStringLiteral("volume1"));
    QCOMPARE(rows.at(2).value, 1234567.5);
    int breaks = 0;
    for (const CsvRow &r : rows)
        breaks += std::isnan(r.value);
    QCOMPARE(breaks, 3);
    QCOMPARE(rows.last().value, 0.000125);
    QVERIFY(csv.contains("2027-01-15T08:00:00.000Z"));
    // A damaged file does not parse.
    QVERIFY(!parseCsv("time,channel,value\r\nyesterday,flow,1\r\n", rows));
    QVERIFY(!parseCsv("time,channel,value\r\n2027-01-15T08:00:00.000Z,flow,1,5x\r\n", rows) || rows.first().value == 1);
}

// The server reports every access to the watchers with the text of its trace line and
// the outcome it left, also when the access raises; nothing while none watches.
void TestToolsLogic::accessesAreObserved()
{
    QTemporaryDir dir;
    const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
    auto server = kelopro::KeloProServer::fromJson(
        R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true,"variables":{".Flow":12.5}},)"
        R"({"physId":"FT3","deviceType":715,"answers":false}]})",
        QStringLiteral("test"), tracePath);
    QStringList seen;
    QList<int> outcomes;
    const int id = automation::addAccessObserver([&](const automation::Access &a) {
        QVERIFY(a.object == server.get());
        seen << automation::accessKindText(a.kind) + QLatin1Char(' ') + a.member
                    + (a.hasValue ? QLatin1Char(' ') + a.valueText() : QString());
        outcomes << a.outcome;
    });
    QVERIFY(automation::accessObserved());
    server->put(QStringLiteral("PhysId"), QStringLiteral("FT1.Flow"));
    server->put(QStringLiteral("InformationInErrorCode"), true);
    server->get(QStringLiteral("value"));
    server->call(QStringLiteral("DoRead"));
    server->put(QStringLiteral("PhysId"), QStringLiteral("FT3.Flow"));
    // Without InformationInErrorCode the failed read raises; it is reported all the same.
    QVERIFY_THROWS_EXCEPTION(automation::AutomationError, server->get(QStringLiteral("Value")));
    automation::removeAccessObserver(id);
    QVERIFY(!automation::accessObserved());
    server->get(QStringLiteral("ErrorCode"));
    QCOMPARE(seen, QStringList({"put PhysId FT1.Flow", "put InformationInErrorCode true", "get value 12.5",
                                "call DoRead", "put PhysId FT3.Flow", "get Value"}));
    QCOMPARE(outcomes, QList<int>({0, 0, 0, 0, 0, 1024}));
    // The same lines as the trace file (which also has the access made unwatched).
    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(trace.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.mid(0, seen.size()), seen);
    QCOMPARE(lines.size(), seen.size() + 1);
}

void TestToolsLogic::monitorIsBounded()
{
    monitor::MonitorBuffer buffer(100);
    automation::Access a;
    a.kind = automation::Access::Kind::Get;
    a.member = QStringLiteral("value");
    a.hasValue = true;
    for (int i = 0; i < 1000; ++i) {
        a.value = QString::number(i);
        buffer.add(a, T0 + i);
    }
    QCOMPARE(buffer.size(), 100);
    QCOMPARE(buffer.total(), qint64(1000));
    QCOMPARE(buffer.at(0).valueText(), QStringLiteral("900"));
    QCOMPARE(buffer.at(99).valueText(), QStringLiteral("999"));
    buffer.clear();
    QCOMPARE(buffer.size(), 0);
    buffer.add(a, T0);
    QCOMPARE(buffer.at(0).valueText(), QStringLiteral("999"));
}

void TestToolsLogic::monitorTracksSelectionAndRate()
{
    monitor::MonitorBuffer buffer;
    int objectA = 0, objectB = 0;
    auto access = [](const void *object, automation::Access::Kind kind, const char *member, const char *value, int outcome = 0) {
        automation::Access a;
        a.object = static_cast<const automation::AutomationObject *>(object);
        a.kind = kind;
        a.member = QLatin1String(member);
        a.hasValue = value != nullptr;
        a.value = value ? QVariant(QLatin1String(value)) : QVariant();
        a.outcome = outcome;
        return a;
    };
    using K = automation::Access::Kind;
    buffer.add(access(&objectA, K::Put, "PhysId", "FT1.Flow"), T0);
    buffer.add(access(&objectA, K::Get, "value", "12.5"), T0 + 10);
    buffer.add(access(&objectB, K::Get, "value", "3"), T0 + 20);
    buffer.add(access(&objectA, K::Call, "DoRead", nullptr, 1024), T0 + 1010);
    QCOMPARE(buffer.at(1).variable, QStringLiteral("FT1.Flow"));
    QCOMPARE(buffer.at(1).traceLine(), QStringLiteral("get value 12.5"));
    QCOMPARE(buffer.at(2).variable, QString()); // another server's selection is not known
    QCOMPARE(buffer.at(3).traceLine(), QStringLiteral("call DoRead"));
    QCOMPARE(buffer.at(3).errorCode, 1024);
    // Three accesses in the first second, one in the second.
    QCOMPARE(buffer.perSecond(T0 + 1500), 3);
    QCOMPARE(buffer.perSecond(T0 + 2500), 1);
    QCOMPARE(buffer.perSecond(T0 + 5000), 0);
}

void TestToolsLogic::monitorFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("matches");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("variable") << "ft1.flow" << true;
    QTest::newRow("kind") << "get" << true;
    QTest::newRow("value") << "12.5" << true;
    QTest::newRow("error code") << "1024" << true;
    QTest::newRow("other") << "Volume2" << false;
}

void TestToolsLogic::monitorFilter()
{
    QFETCH(QString, filter);
    QFETCH(bool, matches);
    monitor::Entry e;
    e.kind = automation::Access::Kind::Get;
    e.variable = QStringLiteral("FT1.Flow");
    e.member = QStringLiteral("value");
    e.value = QStringLiteral("12.5");
    e.hasValue = true;
    e.errorCode = 1024;
    QCOMPARE(monitor::MonitorBuffer::matches(e, filter), matches);
}

void TestToolsLogic::compareFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("problems");
    QTest::addColumn<bool>("otherSeparator");
    QTest::addColumn<QString>("e1");
    const QString sep = numfmt::userLocale().decimalPoint();
    const QByteArray mine = sep.toLatin1();
    const QByteArray other = sep == QLatin1String(".") ? "," : ".";
    auto file = [](const QByteArray &e1, const QByteArray &e7) {
        return "[Reg values]\r\nReg E1: " + e1 + "\r\nReg E2: 10\r\nReg E3: 000020\r\nReg E4: 785634\r\nReg E5: 100\r\n"
               "Reg E6: 002000\r\nReg E7: " + e7 + "\r\nReg E8: 1022XX\r\n\r\n[Setup description]\r\nline\r\n";
    };
    QTest::newRow("whole") << file("2" + mine + "5", "212000") << true << 0 << false << QString(QStringLiteral("2") + sep + QStringLiteral("5"));
    QTest::newRow("other locale") << file("2" + other + "5", "212000") << true << 0 << true << QString(QStringLiteral("2") + sep + QStringLiteral("5"));
    QTest::newRow("damaged register") << file("2" + mine + "5", "21Z000") << false << 1 << false << QString(QStringLiteral("2") + sep + QStringLiteral("5"));
    QTest::newRow("not a number") << file("two", "212000") << false << 1 << false << QString();
    QTest::newRow("short") << QByteArray("[Reg values]\r\nReg E1: 1\r\nReg E2: 2\r\n") << false << 6 << false << QStringLiteral("1");
    QTest::newRow("empty") << QByteArray() << false << 9 << false << QString();
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << false << 9 << false << QString();
}

void TestToolsLogic::compareFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, complete);
    QFETCH(int, problems);
    QFETCH(bool, otherSeparator);
    QFETCH(QString, e1);
    const compare::FileContents f = compare::readFile(bytes);
    QCOMPARE(f.complete(), complete);
    QCOMPARE(f.problems.size(), problems);
    QCOMPARE(f.otherSeparator, otherSeparator);
    QCOMPARE(f.registers[1], e1);
    // Whatever the file, the compare gives every setting a line and takes nothing it
    // cannot show.
    compare::Registers device;
    device[1] = QStringLiteral("3");
    device[7] = QStringLiteral("212000");
    const QList<compare::Row> rows = compare::compareSettings(device, f, compare::ListTexts(), identity);
    QCOMPARE(rows.size(), compare::settings().size());
    for (const compare::Row &r : rows) {
        QVERIFY(!r.line.isEmpty());
        if (r.takeable)
            QVERIFY(r.file.known);
        if (f.registers[size_t(r.setting.reg)].isEmpty())
            QVERIFY(!r.takeable);
    }
}

void TestToolsLogic::reportPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    report::ReportData d;
    d.physId = QStringLiteral("FT7");
    d.deviceType = QStringLiteral("715");
    d.programVersion = QStringLiteral("23");
    d.serialNumber = QStringLiteral("785634");
    d.nodeAddress = QStringLiteral("34");
    d.settings = {QStringLiteral("Output 2 function: Limit switch"), QStringLiteral("Flow unit: Unit/hour")};
    for (int reg = 1; reg <= 8; ++reg)
        d.registers[size_t(reg)] = QStringLiteral("AB%1DEF").arg(reg);
    d.calibration.done = true;
    d.calibration.oldMeterSize = QStringLiteral("2.5");
    d.calibration.actualVolume = QStringLiteral("101");
    d.calibration.countedVolume = QStringLiteral("100");
    d.calibration.newMeterSize = QStringLiteral("2.525");
    d.errors = {QStringLiteral("No contact with FT7")};
    d.memo = QStringLiteral("Pump house <north> & tank 3");
    d.created = QDateTime(QDate(2027, 3, 4), QTime(10, 20, 30));
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    QVERIFY2(report::writePdf(path, d, identity, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    const QString text = pdfText(path);
    QVERIFY2(!text.isEmpty(), "pdftotext could not read the report");
    for (const char *expected : {"KR 715 commissioning report", "FT7", "715", "785634", "Output 2 function",
                                 "Limit switch", "AB8DEF", "2.525", "101", "No contact with FT7",
                                 "Pump house <north> & tank 3", "2027-03-04T10:20:30"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void TestToolsLogic::reportPathNotWritable()
{
    QTemporaryDir dir;
    report::ReportData d;
    d.physId = QStringLiteral("FT1");
    QString error;
    // A folder that does not exist, and a folder in place of the file.
    QVERIFY(!report::writePdf(dir.filePath(QStringLiteral("missing/report.pdf")), d, identity, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!report::writePdf(dir.path(), d, identity, &error));
    QVERIFY(!error.isEmpty());
    // An existing report is kept when the new one cannot be written in its place.
    const QString path = dir.filePath(QStringLiteral("old.pdf"));
    QVERIFY(report::writePdf(path, d, identity, &error));
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool written = report::writePdf(path, d, identity, &error);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (written)
        QSKIP("running with rights that ignore folder permissions");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

// The monitor records the values as they were put or got and writes them as text only
// when asked: the texts are those of the trace file, for every kind of value.
void TestToolsLogic::monitorValuesReadAsTheTrace()
{
    QTemporaryDir dir;
    const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
    auto server = kelopro::KeloProServer::fromJson(
        R"({"devices":[{"physId":"FT1","deviceType":715,"frozen":true,"variables":{".Flow":12.345678,".Volume1":-0.1}}]})",
        QStringLiteral("test"), tracePath);
    monitor::MonitorBuffer buffer;
    const int id = automation::addAccessObserver([&](const automation::Access &a) { buffer.add(a, T0); });
    server->put(QStringLiteral("InformationInErrorCode"), true);
    server->put(QStringLiteral("PhysId"), QStringLiteral("FT1.Flow"));
    server->get(QStringLiteral("Value"));
    server->get(QStringLiteral("ErrorCode"));
    server->put(QStringLiteral("PhysId"), QStringLiteral("FT1.Volume1"));
    server->get(QStringLiteral("value"));
    server->call(QStringLiteral("DoRead"));
    // A name with a backslash and a line break: escaped in the trace, and so in the list.
    server->put(QStringLiteral("PhysId"), QStringLiteral("FT\\9\nx"));
    server->get(QStringLiteral("ErrorString"));
    server->get(QStringLiteral("InformationInErrorCode"));
    automation::removeAccessObserver(id);

    QFile trace(tracePath);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(trace.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(buffer.size(), 10);
    QCOMPARE(int(lines.size()), buffer.size());
    bool sawDouble = false;
    for (int i = 0; i < buffer.size(); ++i) {
        const monitor::Entry &e = buffer.at(i);
        QCOMPARE(e.traceLine(), lines.at(i));
        // Kept as the value itself, not as its text.
        if (e.value.typeId() == QMetaType::Double)
            sawDouble = true;
    }
    QVERIFY(sawDouble);
    QCOMPARE(buffer.at(7).valueText(), QStringLiteral("FT\\\\9\\nx"));
    QCOMPARE(buffer.at(8).variable, QStringLiteral("FT\\\\9\\nx"));
    QCOMPARE(buffer.at(6).valueText(), QString()); // a call has no value
}

// The time axis of the trend moves in steps of a sixtieth of its span, its end ahead
// of the newest value and never more than a step ahead.
void TestToolsLogic::trendTimeAxisSteps_data()
{
    QTest::addColumn<qint64>("newest");
    QTest::addColumn<qint64>("span");
    QTest::addColumn<qint64>("end");
    const qint64 tenMinutes = 600000, day = 86400000;
    QTest::newRow("within a step") << T0 + 3500 << tenMinutes << T0 + 10000;
    QTest::newRow("same step") << T0 + 9999 << tenMinutes << T0 + 10000;
    QTest::newRow("on a step") << T0 + 10000 << tenMinutes << T0 + 20000;
    QTest::newRow("day") << T0 + 60000 << day << T0 + 1440000;
}

void TestToolsLogic::trendTimeAxisSteps()
{
    QFETCH(qint64, newest);
    QFETCH(qint64, span);
    QFETCH(qint64, end);
    const QPair<qint64, qint64> range = TfrmTrend::timeRange(newest, span);
    QCOMPARE(range.second, end);
    QCOMPARE(range.second - range.first, span);
    QVERIFY(range.second > newest);
    QVERIFY(range.second - newest <= span / TfrmTrend::TimeSteps);
}

// The value axis keeps its range while the values fit it and fill half of it.
void TestToolsLogic::trendValueAxisHolds_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("shownLow");
    QTest::addColumn<double>("shownHigh");
    QTest::addColumn<double>("newLow");
    QTest::addColumn<double>("newHigh");
    QTest::newRow("fits") << 10.0 << 20.0 << 8.0 << 22.0 << 8.0 << 22.0;
    QTest::newRow("above") << 10.0 << 23.0 << 8.0 << 22.0 << 7.4 << 25.6;
    QTest::newRow("below") << 7.0 << 20.0 << 8.0 << 22.0 << 4.4 << 22.6;
    QTest::newRow("too wide") << 10.0 << 11.0 << 0.0 << 22.0 << 9.8 << 11.2;
    QTest::newRow("first picture") << 10.0 << 20.0 << 0.0 << 0.0 << 8.0 << 22.0;
    QTest::newRow("one value") << 12.5 << 12.5 << 0.0 << 1.0 << 11.5 << 13.5;
    QTest::newRow("no value") << 1.0 << 0.0 << 0.0 << 0.0 << -0.2 << 1.2;
}

void TestToolsLogic::trendValueAxisHolds()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, shownLow);
    QFETCH(double, shownHigh);
    QFETCH(double, newLow);
    QFETCH(double, newHigh);
    const QPair<double, double> range = TfrmTrend::valueRange(low, high, shownLow, shownHigh);
    QVERIFY2(qAbs(range.first - newLow) < 1e-9, qPrintable(QString::number(range.first)));
    QVERIFY2(qAbs(range.second - newHigh) < 1e-9, qPrintable(QString::number(range.second)));
}

QTEST_MAIN(TestToolsLogic)
#include "tst_toolslogic.moc"
