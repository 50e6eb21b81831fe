// The process-variable link: reads, writes, errors and polling through the
// automation server by ProgID, first against a scripted stand-in, then against
// the simulated network of the "KELO.PRO" server; the hold while its data loads;
// errors and PhysId changes found by the polling timer.

#include "AutomationObject.h"
#include "KeloProServer.h"
#include "KrKelo.h"
#include "KrPhysIdPath.h"
#include "TestPage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct FakeState {
    QHash<QString, QVariant> values{{QStringLiteral("AB.X"), 5}, {QStringLiteral("AB.Y"), 1.5}};
    QStringList log;
    int created = 0;
    bool throwOnValue = false;
};
FakeState *g_fake = nullptr;

// Answers like the server: a cursor, ErrorCode 1024 for unknown variables.
class FakeServer : public automation::AutomationObject {
public:
    void put(const QString &member, const QVariant &value) override
    {
        g_fake->log << QStringLiteral("put %1=%2").arg(member, value.toString());
        if (member == QLatin1String("PhysId"))
            m_current = value.toString();
        else if (member.compare(QLatin1String("value"), Qt::CaseInsensitive) == 0) {
            if (g_fake->values.contains(m_current)) {
                g_fake->values[m_current] = value;
                m_error = 0;
            } else {
                m_error = 1024;
            }
        }
    }
    QVariant get(const QString &member) override
    {
        g_fake->log << QStringLiteral("get %1").arg(member);
        if (member.compare(QLatin1String("value"), Qt::CaseInsensitive) == 0) {
            if (g_fake->throwOnValue)
                throw automation::AutomationError(QStringLiteral("dispatch failed"));
            m_error = g_fake->values.contains(m_current) ? 0 : 1024;
            return g_fake->values.value(m_current);
        }
        if (member == QLatin1String("ErrorCode"))
            return m_error;
        if (member == QLatin1String("ErrorString"))
            return m_error ? QStringLiteral("no contact") : QStringLiteral("ok");
        return QVariant();
    }
    QVariant call(const QString &, const QVariantList &) override { return QVariant(); }

private:
    QString m_current;
    int m_error = 0;
};

} // namespace

class Host : public TKrGraphicControl {
    Q_OBJECT
public:
    explicit Host(TKrComponent *owner) : TKrGraphicControl(owner) {}
};

class TestKeloLink : public QObject {
    Q_OBJECT

    FakeState m_state;

    void UseFake()
    {
        automation::registerClass(QStringLiteral("KELO.PRO"), []() {
            ++g_fake->created;
            return std::make_unique<FakeServer>();
        });
    }

private slots:
    void initTestCase()
    {
        g_fake = &m_state;
        UseFake();
    }

    void readsAndWritesByName()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *link = new TKrKelo(host);
        int ready = 0, errors = 0;
        link->SetOnDataReadyEvent([&](QObject *) { ++ready; });
        link->OnError = [&](QObject *) { ++errors; };
        link->SetPhysId(QStringLiteral("AB.X"));
        m_state.log.clear();
        QCOMPARE(link->GetValue(), QVariant(5));
        QCOMPARE(link->GetErrorCode(), 0);
        QCOMPARE(m_state.log.mid(0, 3), (QStringList{QStringLiteral("put PhysId=AB.X"), QStringLiteral("put InformationInErrorCode=true"), QStringLiteral("get value")}));
        QVERIFY(link->DoRead());
        QCOMPARE(link->GetInValue(), QVariant(5));
        QCOMPARE(ready, 1);

        link->SetValue(QStringLiteral("12.5"));
        QCOMPARE(link->GetErrorCode(), 0);
        QCOMPARE(m_state.values.value(QStringLiteral("AB.X")), QVariant(12.5));
        link->SetValue(QStringLiteral("7"));
        QCOMPARE(m_state.values.value(QStringLiteral("AB.X")).typeId(), int(QMetaType::Int));
        link->SetValue(true);
        QCOMPARE(m_state.values.value(QStringLiteral("AB.X")), QVariant(1));
        m_state.log.clear();
        link->SetValue(QStringLiteral("abc"));
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecBadValue));
        QVERIFY(!link->IsErrorCodeFatal(TKrKelo::ecBadValue));
        QVERIFY(m_state.log.isEmpty()); // nothing reached the server

        link->SetInValue(3);
        QVERIFY(link->DoWrite());
        QCOMPARE(m_state.values.value(QStringLiteral("AB.X")), QVariant(3));
        QCOMPARE(errors, 0);

        link->SetPhysId(QStringLiteral("ZZ.Q"));
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), 1024);
        QCOMPARE(link->GetErrorString(), QStringLiteral("no contact"));
        QVERIFY(!link->GetValue().isValid());
        link->SetInValue(1);
        QVERIFY(!link->DoWrite());
        QCOMPARE(errors, 2);
        QCOMPARE(ready, 1);

        m_state.throwOnValue = true;
        link->SetPhysId(QStringLiteral("AB.Y"));
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecServerCall));
        QVERIFY(link->IsErrorCodeFatal(link->GetErrorCode()));
        m_state.throwOnValue = false;

        link->SetPhysId(QString());
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecNoPhysId));
    }

    void missingServerIsAnErrorNotACrash()
    {
        automation::unregisterClass(QStringLiteral("KELO.PRO"));
        TestPage page;
        auto *host = new Host(&page);
        auto *link = new TKrKeloTimer(host);
        int errors = 0;
        link->OnError = [&](QObject *) { ++errors; };
        link->SetPhysId(QStringLiteral("AB.X"));
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecNoServer));
        QVERIFY(link->IsErrorCodeFatal(link->GetErrorCode()));
        QVERIFY(link->GetErrorString().contains(QStringLiteral("KELO.PRO")));
        QCOMPARE(errors, 1);
        QVERIFY(host->toolTip().contains(QStringLiteral("AB.X")));
        // The next access tries again.
        UseFake();
        QVERIFY(link->DoRead());
        QVERIFY(host->toolTip().isEmpty());
    }

    void pollsWhileEnabled()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto *link = new TKrKelo(host);
        link->SetUpdateTime(50);
        int ready = 0;
        link->SetOnDataReadyEvent([&](QObject *) { ++ready; });
        link->SetEnable(true); // without a PhysId nothing runs
        QTest::qWait(120);
        QCOMPARE(ready, 0);
        link->SetPhysId(QStringLiteral("AB.Y"));
        QTRY_VERIFY_WITH_TIMEOUT(ready >= 2, 3000);
        link->SetEnable(false);
        const int stopped = ready;
        QTest::qWait(150);
        QCOMPARE(ready, stopped);
        // A link freed from inside its own event does not crash the poll.
        auto *doomed = new TKrKelo(host);
        doomed->SetUpdateTime(50);
        doomed->SetPhysId(QStringLiteral("AB.X"));
        bool fired = false;
        doomed->SetOnDataReadyEvent([&](QObject *) {
            fired = true;
            doomed->deleteLater();
        });
        doomed->SetEnable(true);
        QTRY_VERIFY(fired);
    }

    void loadingHoldsTheLinkUntilInitSymbol()
    {
        TestPage page;
        auto *host = new Host(&page);
        auto stored = [&](const QString &physId) {
            TKrKelo source(host);
            source.SetPhysId(physId);
            source.SetUpdateTime(50);
            TSymbolStream st;
            source.SaveToStream(st);
            return st.Data();
        };
        const QByteArray dataX = stored(QStringLiteral("AB.X"));
        const QByteArray dataY = stored(QStringLiteral("AB.Y"));

        auto *link = new TKrKelo(host);
        QStringList events;
        link->SetOnPhysIdChanged([&](QObject *) { events << QStringLiteral("changed ") + link->GetPhysId(); });
        link->SetOnDataReadyEvent([&](QObject *) { events << QStringLiteral("ready"); });
        link->OnError = [&](QObject *) { events << QStringLiteral("error"); };
        link->SetEnable(true); // as a symbol's setter might during its load
        m_state.log.clear();

        TSymbolStream in(dataX);
        link->InitFromStream(in);
        QCOMPARE(link->PhysIdText(), QStringLiteral("AB.X"));
        QCOMPARE(link->GetUpdateTime(), 50);
        QVERIFY(link->IsHeld());
        QVERIFY(!link->DoRead());
        QVERIFY(!link->DoWrite());
        QVERIFY(events.isEmpty());
        QVERIFY(m_state.log.isEmpty()); // no server access while held

        // InitSymbol takes the loaded PhysId without a change notice and starts polling.
        link->InitSymbol();
        QVERIFY(!link->IsHeld());
        QVERIFY(events.isEmpty());
        QTRY_VERIFY(events.contains(QStringLiteral("ready")));
        QVERIFY(!events.contains(QStringLiteral("changed AB.X")));
        link->SetEnable(false);
        events.clear();

        // Data restored in place with no InitSymbol after it (a designer's
        // undo): the hold ends once control is back in the event loop, and the
        // change of PhysId is told then.
        TSymbolStream undo(dataY);
        link->InitFromStream(undo);
        QVERIFY(link->IsHeld());
        QVERIFY(events.isEmpty());
        QTRY_VERIFY(!link->IsHeld());
        QCOMPARE(events, QStringList{QStringLiteral("changed AB.Y")});

        // The same through a symbol: its data holds the link's data.
        auto *a = new Host(&page);
        auto *aLink = new TKrKelo(a);
        aLink->SetName(QStringLiteral("Variable link"));
        aLink->SetPhysId(QStringLiteral("AB.X"));
        TSymbolStream symbolData;
        QStringList files;
        a->SaveToStream(symbolData, files);
        auto *b = new Host(&page);
        auto *bLink = new TKrKelo(b);
        bLink->SetName(QStringLiteral("Variable link"));
        int changes = 0;
        bLink->SetOnPhysIdChanged([&](QObject *) { ++changes; });
        TSymbolStream symbolIn(symbolData.Data());
        b->InitFromStream(symbolIn);
        QCOMPARE(bLink->PhysIdText(), QStringLiteral("AB.X"));
        b->InitSymbol();
        QCOMPARE(changes, 0);
        QVERIFY(!bLink->IsHeld());
        QCOMPARE(bLink->GetPhysId(), QStringLiteral("AB.X"));
    }

    void simulatedNetwork()
    {
        kelopro::registerServer();
        TestPage page;
        auto *host = new Host(&page);
        auto *link = new TKrKeloTimer(host);
        link->SetPhysId(QStringLiteral("FT101.Flow"));
        QVERIFY2(link->DoRead(), qPrintable(link->GetErrorString()));
        bool ok = false;
        QVERIFY(link->GetInValue().toDouble(&ok) > 0 && ok);

        link->SetPhysId(QStringLiteral("FT101.SetPoint"));
        link->SetValue(QStringLiteral("321"));
        QCOMPARE(link->GetErrorCode(), 0);
        QCOMPARE(link->GetValue().toDouble(), 321.0);

        link->SetPhysId(QStringLiteral("FT103.Flow"));
        QVERIFY(!link->DoRead());
        QCOMPARE(link->GetErrorCode(), 1024);
        QVERIFY(!link->IsErrorCodeFatal(1024));

        link->SetPhysId(QStringLiteral("FT102.Flow"));
        link->DoRead();
        if (link->GetErrorCode() != 0) {
            QVERIFY(link->GetErrorCode() == 256 || link->GetErrorCode() == 512);
            QVERIFY(link->IsErrorCodeFatal(link->GetErrorCode()));
        }
    }

    void pollingReportsErrorsAndPhysIdChangesOnTheSimulatedNetwork()
    {
        // A network of one device that does not answer and one that does.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("network.json"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({ "devices": [
            { "physId": "PT301", "deviceType": 702, "answers": false, "variables": { ".Flow": 1.5 } },
            { "physId": "PT302", "deviceType": 702, "frozen": true, "variables": { ".Flow": 7.25 } } ] })");
        f.close();
        qputenv("KELO_PRO_NETWORK", QFile::encodeName(file));
        kelopro::registerServer();

        // Two openers, each with its own partial PhysId, and a floor shown for
        // the first; the link on the floor names only the variable.
        TestPage page;
        auto *openerA = new Host(&page);
        (new TKrPhysIdPath(openerA))->SetPath(QStringLiteral("PT301"));
        auto *openerB = new Host(&page);
        (new TKrPhysIdPath(openerB))->SetPath(QStringLiteral("PT302"));
        auto *floor = new Host(&page);
        auto *floorPath = new TKrPhysIdPath(floor);
        floorPath->SetReference(openerA);
        auto *onFloor = new Host(floor);
        auto *link = new TKrKelo(onFloor);
        link->SetUpdateTime(50);
        link->SetPhysId(QStringLiteral(".Flow"));
        link->InitSymbol();
        QCOMPARE(link->GetPhysId(), QStringLiteral("PT301.Flow"));

        int errors = 0, ready = 0;
        QStringList changes;
        link->OnError = [&](QObject *sender) {
            QCOMPARE(sender, static_cast<QObject *>(link));
            ++errors;
        };
        link->SetOnDataReadyEvent([&](QObject *) { ++ready; });
        link->SetOnPhysIdChanged([&](QObject *) { changes << link->GetPhysId(); });
        link->SetEnable(true);
        QCOMPARE(errors, 0); // nothing happens until the timer runs
        QTRY_VERIFY_WITH_TIMEOUT(errors >= 2, 5000);
        QCOMPARE(link->GetErrorCode(), int(TKrKelo::ecNoContact));
        QVERIFY2(link->GetErrorString().contains(QStringLiteral("PT301")), qPrintable(link->GetErrorString()));
        QCOMPARE(ready, 0);
        QVERIFY(changes.isEmpty());

        // The floor is now shown for the other opener and nobody tells the
        // link: its next poll finds the new PhysId, tells it, and reads there.
        floorPath->SetReference(openerB);
        QVERIFY(changes.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(changes, QStringList{QStringLiteral("PT302.Flow")}, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(ready >= 1, 5000);
        QCOMPARE(link->GetErrorCode(), 0);
        QCOMPARE(link->GetInValue().toDouble(), 7.25);
        const int errorsBefore = errors;
        QTest::qWait(150);
        QCOMPARE(errors, errorsBefore); // the answering device gives no errors
        link->SetEnable(false);
        qunsetenv("KELO_PRO_NETWORK");
    }
};

QTEST_MAIN(TestKeloLink)
#include "tst_kelolink.moc"
