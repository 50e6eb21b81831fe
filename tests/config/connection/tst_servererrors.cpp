// Server failures: a server that cannot be created, members that fail and values of
// the wrong type. Every one is a failed access for the program: no exception leaves
// a handler or a timer, and the program goes on once the server behaves again.
//
// The simulator answers every well-formed call; where a member has to misbehave, a
// thin wrapper registered as "KELO.PRO" passes every call to the simulator except
// the ones a test breaks.
#include "ConnectionTestSupport.h"
#include "DialogAnswerer.h"

#include "AutomationObject.h"
#include "DataTabU.h"
#include "GeneralTabU.h"

#include <QPushButton>

using namespace conn;

namespace {

// One broken member: op "get", "put" or "call", the member, and the end of the
// selected name it applies to (empty: any). A get either raises or returns value.
struct Breakage {
    QString op;
    QString member;
    QString selected;
    bool raises = true;
    QVariant value;
};

class BreakableServer : public automation::AutomationObject {
public:
    static inline QList<Breakage> breakages;

    explicit BreakableServer(std::unique_ptr<kelopro::KeloProServer> inner) : m_inner(std::move(inner)) {}

    kelopro::KeloProServer &inner() { return *m_inner; }

    void put(const QString &member, const QVariant &value) override
    {
        // A selection is broken by the name it selects.
        const bool selecting = member.compare(QLatin1String("PhysId"), Qt::CaseInsensitive) == 0;
        if (const Breakage *b = find(QStringLiteral("put"), member, selecting ? value.toString() : m_selected))
            throw automation::AutomationError(QStringLiteral("%1 failed").arg(b->member));
        if (selecting)
            m_selected = value.toString();
        m_inner->put(member, value);
    }
    QVariant get(const QString &member) override
    {
        if (const Breakage *b = find(QStringLiteral("get"), member, m_selected)) {
            if (b->raises)
                throw automation::AutomationError(QStringLiteral("%1 failed").arg(b->member));
            m_inner->get(member); // the access happens, its value is replaced
            return b->value;
        }
        return m_inner->get(member);
    }
    QVariant call(const QString &member, const QVariantList &args) override
    {
        if (const Breakage *b = find(QStringLiteral("call"), member, m_selected))
            throw automation::AutomationError(QStringLiteral("%1 failed").arg(b->member));
        return m_inner->call(member, args);
    }

    static void install()
    {
        automation::registerClass(QStringLiteral("KELO.PRO"), []() -> std::unique_ptr<automation::AutomationObject> {
            return std::make_unique<BreakableServer>(kelopro::KeloProServer::createFromEnvironment());
        });
    }

private:
    static const Breakage *find(const QString &op, const QString &member, const QString &selected)
    {
        for (const Breakage &b : breakages) {
            if (b.op == op && b.member.compare(member, Qt::CaseInsensitive) == 0
                && (b.selected.isEmpty() || selected.endsWith(b.selected, Qt::CaseInsensitive)))
                return &b;
        }
        return nullptr;
    }

    std::unique_ptr<kelopro::KeloProServer> m_inner;
    QString m_selected;
};

kelopro::SimNetwork &networkOf(KR715Session &s)
{
    return static_cast<BreakableServer &>(s.server->object()).inner().network();
}

double volume1Of(KR715Session &s)
{
    kelopro::SimDevice *d = networkOf(s).device(QStringLiteral("FT1"));
    return d->read(d->variableIndex(QStringLiteral(".volume1")), networkOf(s).clock().now()).real;
}

const QByteArray Network = network({device("FT1", 715, R"({".Flow":12.5,".Volume1":1234.5,".Temperature":21.5,".Available":3.25})"),
                                    device("FT2", 715, R"({".Meternumber":2882400000})")});

// A fixture whose "KELO.PRO" is the breakable wrapper.
struct BrokenFixture : MainWindowFixture {
    explicit BrokenFixture(const QByteArray &json = Network) : MainWindowFixture(json)
    {
        BreakableServer::breakages.clear();
        BreakableServer::install();
    }
    ~BrokenFixture() { BreakableServer::breakages.clear(); }
};

// The set-up of most cases: the main window on the breakable server with FT1 selected,
// and the answers to dialogs standing ready from the selection on.
struct SelectedCase {
    SelectedCase() : w(f.open()), s(w.session()) { selectDevice(w, QStringLiteral("FT1")); }
    BrokenFixture f;
    TfrmKR715Config &w;
    KR715Session &s;
    DialogAnswerer answers;
};

} // namespace

Q_DECLARE_METATYPE(Breakage)

class ServerErrorsTest : public QObject {
    Q_OBJECT
private slots:
    void aServerThatCannotBeCreatedIsTriedAgain_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("report");
        QTest::newRow("network file that is no network") << true << "Network file";
        QTest::newRow("no server installed") << false << "Invalid class string";
    }
    void aServerThatCannotBeCreatedIsTriedAgain()
    {
        QFETCH(bool, registered);
        QFETCH(QString, report);
        MainWindowFixture f(registered ? QByteArray("{\"devices\": [ {\"physId\": ") : Network);
        if (!registered)
            automation::unregisterClass(QStringLiteral("KELO.PRO"));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        w.ui.pc715->setCurrentWidget(w.ui.tsData);

        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, report).answerMessageBox(QMessageBox::Ok, report);
        bool restarted = true;
        typePhysId(w, QStringLiteral("FT1"), true, &restarted);
        QCOMPARE(answers.texts().size(), 1);
        QVERIFY(answers.texts().value(0).contains(QLatin1String("KELO.PRO")));
        QCOMPARE(answers.records().value(0).icon, QMessageBox::Warning);
        QVERIFY(!s.server);
        QVERIFY(!s.device.deviceAccepted);
        QVERIFY(s.device.currentPhysId.isEmpty());
        QVERIFY(!restarted);
        QCOMPARE(w.ui.pc715->currentWidget(), w.ui.tsData); // the selection ended there
        f.tick(3); // nothing to poll, nothing breaks

        // Every selection tries again, here by leaving the box ...
        typePhysId(w, QStringLiteral("FT1"), false);
        w.dataTab->ui.edDataFlow->setFocus(Qt::TabFocusReason);
        QVERIFY(answers.waitUntilAnswered());
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts().size(), 2);
        QVERIFY(!s.server);

        // ... and succeeds once the server can be created.
        if (registered) {
            QFile file(f.networkPath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(Network);
            file.close();
        } else {
            kelopro::registerServer();
        }
        answers.reset();
        typePhysId(w, QStringLiteral("FT1"));
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(s.server);
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(items(w.ui.cmb715PhysId), QStringList{"FT1"});
        f.tick(9);
        QCOMPARE(text(s, "edDataFlow"), num("12.50000"));
    }

    void aReadOfTheWrongTypeIsAFailedRead_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("field");
        QTest::newRow("flow as a list") << ".Flow" << QVariant(QVariantList{1, 2}) << "edDataFlow";
        QTest::newRow("temperature as words") << ".Temperature" << QVariant(QStringLiteral("warm")) << "edDataTemp";
        QTest::newRow("E7 empty") << ".Code2" << QVariant() << "edConE7";
        QTest::newRow("E1 as a map") << ".MeterSize" << QVariant(QVariantMap{{"a", 1}}) << "edConE1";
        QTest::newRow("available as a date") << ".Available" << QVariant(QDate(2020, 1, 1)) << "edDataManSetOut3";
    }
    void aReadOfTheWrongTypeIsAFailedRead()
    {
        QFETCH(QString, variable);
        QFETCH(QVariant, value);
        QFETCH(QString, field);
        SelectedCase c;
        auto &[f, w, s, answers] = c;
        const QString before = text(s, qPrintable(field));
        BreakableServer::breakages = {{"get", "value", variable, false, value}};
        f.tick(20);
        KR_VERIFY_DIALOGS(answers);
        // The field keeps what it showed; the cycle went round and served the rest.
        QCOMPARE(text(s, qPrintable(field)), before);
        QCOMPARE(s.pollSlot, 1);
        QVERIFY(s.device.contact);
        QCOMPARE(s.availableValue, variable == QLatin1String(".Available") ? 0.0 : 3.25);
        if (variable != QLatin1String(".Flow"))
            QCOMPARE(text(s, "edDataFlow"), num("12.50000"));
        QCOMPARE(text(s, "edDataVol1"), num("1234.500"));
        QCOMPARE(text(s, "edGenPrgVer"), QStringLiteral("105"));
        QCOMPARE(w.ui.cmb715Error->count(), 0);

        // Once the server delivers numbers again, the field follows.
        BreakableServer::breakages.clear();
        f.tick(20);
        QVERIFY(text(s, qPrintable(field)) != before || field == QLatin1String("edConE7"));
    }

    void aFailingQueryOfTheTickIsAFailedAccess_data()
    {
        QTest::addColumn<Breakage>("breakage");
        QTest::addColumn<bool>("served");      // the tick went on to the slot
        QTest::addColumn<QString>("errorLine"); // what the error line shows
        QTest::newRow("device type selection raises")
            << Breakage{"put", "PhysId", ".DeviceType", true, {}} << false << "No error";
        QTest::newRow("device type of the wrong type")
            << Breakage{"get", "value", ".DeviceType", false, QVariant(QVariantList{715})} << false << "No error";
        QTest::newRow("error code raises") << Breakage{"get", "ErrorCode", "", true, {}} << true << "ErrorCode failed";
        QTest::newRow("error code as words")
            << Breakage{"get", "ErrorCode", "", false, QVariant(QStringLiteral("none"))} << true
            << "Type mismatch: the value does not convert to an integer.";
        QTest::newRow("error text raises") << Breakage{"get", "ErrorString", "", true, {}} << true << "ErrorString failed";
        QTest::newRow("program version raises") << Breakage{"get", "value", ".PrgVers", true, {}} << true << "No error";
        QTest::newRow("slot selection raises") << Breakage{"put", "InformationInErrorCode", ".Ti", true, {}} << true
                                               << "No error";
    }
    void aFailingQueryOfTheTickIsAFailedAccess()
    {
        QFETCH(Breakage, breakage);
        QFETCH(bool, served);
        QFETCH(QString, errorLine);
        SelectedCase c;
        auto &[f, w, s, answers] = c;
        f.tick(1);
        const QString e1 = text(s, "edConE1");
        edit(s, "edConE2")->setText(QStringLiteral("old"));
        s.state(2) = ExchangeState::Reading;

        BreakableServer::breakages = {breakage};
        f.tick();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(s.pollSlot, served ? 3 : 2);
        QCOMPARE(w.ui.cmb715Error->currentText(), errorLine);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(text(s, "edGenPrgVer"), QStringLiteral("105"));
        QCOMPARE(text(s, "edConE1"), e1);
        const bool slotRead = served && breakage.selected != QLatin1String(".Ti");
        QCOMPARE(text(s, "edConE2"), slotRead ? num("10.00000") : QStringLiteral("old"));

        BreakableServer::breakages.clear();
        f.tick(20);
        QCOMPARE(text(s, "edConE2"), num("10.00000"));
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("No error"));
    }

    void aWriteThatFailsStaysPending()
    {
        BrokenFixture f;
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        selectDevice(w, QStringLiteral("FT1"));
        f.tick(9);
        edit(s, "edDataVol1")->setText(num("88.5"));
        s.state(10) = ExchangeState::WritePending;
        BreakableServer::breakages = {{"put", "value", ".Volume1", true, {}}};
        f.tick(20);
        QCOMPARE(s.state(10), ExchangeState::WritePending);
        QCOMPARE(volume1Of(s), 1234.5);
        QCOMPARE(s.pollSlot, 10);

        BreakableServer::breakages.clear();
        f.tick();
        QCOMPARE(s.state(10), ExchangeState::Reading);
        QCOMPARE(volume1Of(s), 88.5);
    }

    void theTimersSurviveABrokenServer()
    {
        SelectedCase c;
        auto &[f, w, s, answers] = c;
        BreakableServer::breakages = {{"get", "value", ".PrgVers", true, {}},
                                      {"get", "value", ".Flow", false, QVariant(QVariantList{})},
                                      {"get", "ErrorString", "", true, {}},
                                      {"put", "value", "", true, {}}};
        s.state(SlotBatchStart) = ExchangeState::WritePending;
        // The real timers, as the program runs them.
        w.ti715UpdateData->start();
        w.tiOut2BatchCalc->start();
        QTRY_VERIFY_WITH_TIMEOUT(s.pollSlot >= 6, 3000);
        w.ti715UpdateData->stop();
        w.tiOut2BatchCalc->stop();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(s.state(SlotBatchStart), ExchangeState::WritePending);
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("ErrorString failed"));
    }

    void aSelectionThroughFailingMembers_data()
    {
        QTest::addColumn<Breakage>("breakage");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the PhysId put raises") << Breakage{"put", "PhysId", "FT1", true, {}} << "" << false;
        QTest::newRow("the first error query raises") << Breakage{"get", "ErrorCode", "FT1", true, {}} << "" << false;
        QTest::newRow("device type of the wrong type")
            << Breakage{"get", "value", ".DeviceType", false, QVariant(QStringLiteral("KR715"))}
            << "Selected PhysId is not a flowmeter" << true;
        QTest::newRow("device type read raises")
            << Breakage{"get", "value", ".DeviceType", true, {}} << "Selected PhysId is not a flowmeter" << true;
        QTest::newRow("serial number of the wrong type")
            << Breakage{"get", "value", ".Meternumber", false, QVariant(QVariantList{})} << "" << true;
        QTest::newRow("node number read raises") << Breakage{"get", "value", ".Code3", true, {}} << "" << true;
    }
    void aSelectionThroughFailingMembers()
    {
        QFETCH(Breakage, breakage);
        QFETCH(QString, message);
        QFETCH(bool, accepted);
        BrokenFixture f;
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        DialogAnswerer answers;
        if (!message.isEmpty())
            answers.answerMessageBox(QMessageBox::Ok, message);
        BreakableServer::breakages = {breakage};
        typePhysId(w, QStringLiteral("FT1"));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(s.device.deviceAccepted, accepted);
        QCOMPARE(w.ui.cmb715PhysId->currentText(), QStringLiteral("FT1"));
        QCOMPARE(items(w.ui.cmb715PhysId), QStringList{"FT1"});
        if (!accepted)
            QVERIFY(text(s, "edGenDeviceNo").isEmpty());
        else if (message.isEmpty())
            QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));

        // The same PhysId again, with a server that works: all is shown.
        BreakableServer::breakages.clear();
        answers.reset();
        typePhysId(w, QStringLiteral("FT2"));
        typePhysId(w, QStringLiteral("FT1"));
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(text(s, "edGenNodeNo"), QString::number(0x10));
    }

    void aNodeAssignmentThroughFailingMembers_data()
    {
        QTest::addColumn<Breakage>("breakage");
        QTest::addColumn<bool>("written");
        QTest::newRow("node address of the wrong type")
            << Breakage{"get", "NodeAddress", "", false, QVariant(QVariantList{})} << false;
        QTest::newRow("node address put raises") << Breakage{"put", "NodeAddress", "", true, {}} << false;
        QTest::newRow("the write raises") << Breakage{"call", "DoWrite", "", true, {}} << false;
        QTest::newRow("the read back raises") << Breakage{"call", "DoRead", "", true, {}} << true;
    }
    void aNodeAssignmentThroughFailingMembers()
    {
        QFETCH(Breakage, breakage);
        QFETCH(bool, written);
        SelectedCase c;
        auto &[f, w, s, answers] = c;
        f.tick(3);
        TKREdit *serial = w.generalTab->ui.edGenNAddr;
        serial->setText(QStringLiteral("ABCDEF"));
        BreakableServer::breakages = {breakage};
        w.generalTab->ui.btnApplyNAddr->click();
        KR_VERIFY_DIALOGS(answers);
        // The assignment ends where the server failed, without a message.
        QCOMPARE(serial->text(), QStringLiteral("ABCDEF"));
        QCOMPARE(s.pollSlot, 4);
        QCOMPARE(networkOf(s).device(QStringLiteral("FT2"))->node(), written ? 0x10 : 0x11);
    }
};

QTEST_MAIN(ServerErrorsTest)
#include "tst_servererrors.moc"
