// Device selection against the simulated network: the identification of a KR 715,
// the three operator messages, the PhysId box handlers with real focus changes and
// keys, the PhysId history, bad PhysIds, the error line with its history, and the
// node-address assignment by serial number.
#include "ConnectionTestSupport.h"
#include "DialogAnswerer.h"

#include "GeneralTabU.h"
#include "KRLanguage.h"
#include "PhysIdHistory.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace conn;

namespace {

// FT1 and FT2 are KR 715s with known serial and node numbers; FT3 does not answer;
// PT1 is another device type.
const QByteArray FT1 = device("FT1", 715, R"({".Meternumber":2018918144,".Code3":539112448,".PrgVers":117})");
const QByteArray FT2 = device("FT2", 715, R"({".Meternumber":2882400000,".Code3":539103744})");
const QByteArray FT3 = device("FT3", 715, "{}", R"(,"answers":false)");
const QByteArray PT1 = device("PT1", 702, R"({".Pressure":2.5})");
constexpr quint32 FT1Serial = 0x78563F;  // .Meternumber 78563F00
constexpr int FT1Node = 0x34;             // .Code3 20223400
constexpr int FT2Node = 0x12;             // .Code3 20221200

// The PhysIds put by a trace, each checked to be followed by InformationInErrorCode.
QStringList selections(const QStringList &trace, bool *eachFlagged)
{
    QStringList ids;
    *eachFlagged = true;
    for (int i = 0; i < trace.size(); ++i) {
        if (!trace.at(i).startsWith(QLatin1String("put PhysId ")))
            continue;
        ids << trace.at(i).mid(11);
        if (trace.value(i + 1).compare(QLatin1String("put InformationInErrorCode true"), Qt::CaseInsensitive) != 0)
            *eachFlagged = false;
    }
    return ids;
}

QStringList errorEntries(TfrmKR715Config &w) { return items(w.ui.cmb715Error); }

// A translation table for the window's translator; the window must go before dir.
void useTranslations(TfrmKR715Config &w, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("texts.enu"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Selected PhysId is not a node=PhysId names no node\r\n"
               "Selected PhysId is not a flowmeter=PhysId names no flow meter\r\n"
               "No contact to selected PhysId=The device does not answer\r\n"
               "0x00A=Sensor defect\r\n");
    file.close();
    w.lanTrans->setFileName(path);
}

} // namespace


namespace {

// The two ways the operator applies a typed serial number: a data column "enterKey".
void addApplyWays()
{
    QTest::addColumn<bool>("enterKey");
    QTest::newRow("button") << false;
    QTest::newRow("Enter in the serial field") << true;
}

// Applies the serial number typed into edGenNAddr by the Enter key or the button.
void applySerial(TfrmKR715Config &w, bool enterKey)
{
    if (enterKey)
        QTest::keyClick(w.generalTab->ui.edGenNAddr, Qt::Key_Return);
    else
        QTest::mouseClick(w.generalTab->ui.btnApplyNAddr, Qt::LeftButton);
}

} // namespace

class DeviceSelectionTest : public QObject {
    Q_OBJECT
private slots:
    void identificationOfAKR715_data()
    {
        QTest::addColumn<qint64>("meterNumber");
        QTest::addColumn<qint64>("code3");
        QTest::addColumn<QString>("serialText");
        QTest::addColumn<QString>("nodeText");
        QTest::newRow("six serial digits, node 34 hex") << qint64(0xABCDEF00) << qint64(0x12AB3456) << "ABCDEF" << "52";
        QTest::newRow("two serial digits, node 7D hex") << qint64(0x1F) << qint64(0x00007D00) << "1F" << "125";
    }
    void identificationOfAKR715()
    {
        QFETCH(qint64, meterNumber);
        QFETCH(qint64, code3);
        QFETCH(QString, serialText);
        QFETCH(QString, nodeText);
        const QByteArray variables = QStringLiteral(R"({".Meternumber":%1,".Code3":%2,".PrgVers":117})")
                                         .arg(meterNumber)
                                         .arg(code3)
                                         .toLatin1();
        MainWindowFixture f(network({device("FT1", 715, variables)}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        w.ui.pc715->setCurrentWidget(w.ui.tsData);
        DialogAnswerer answers; // no message may come

        bool restarted = false;
        typePhysId(w, QStringLiteral("FT1"), true, &restarted);

        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(text(s, "edGenPrgVer"), QStringLiteral("117"));
        QCOMPARE(text(s, "edGenNodeNo"), nodeText);
        QCOMPARE(text(s, "edGenNAddr"), serialText);
        QCOMPARE(qobject_cast<TKREdit *>(edit(s, "edGenNAddr"))->textColour(), TKREdit::normalColour());
        QCOMPARE(w.ui.cmb715PhysId->currentText(), QStringLiteral("FT1"));
        QCOMPARE(items(w.ui.cmb715PhysId), QStringList{"FT1"});
        QCOMPARE(w.ui.cmb715PhysId->textColour(), TKREdit::normalColour());
        // The device is accepted and the cycle starts again from its first slot.
        QCOMPARE(s.device.currentPhysId, QStringLiteral("FT1"));
        QVERIFY(s.device.deviceAccepted);
        QVERIFY(s.device.contact);
        QVERIFY(s.initialLoadPending);
        QCOMPARE(s.pollSlot, 1);
        QVERIFY(restarted);
        // The General tab is shown, with its help context.
        QCOMPARE(w.ui.pc715->currentWidget(), w.ui.tsGen);
        QCOMPARE(w.ui.pc715->property("HelpContext"), w.ui.tsGen->property("HelpContext"));
        QVERIFY(w.isVisible());

        // What the selection asked the server, in order.
        const QStringList trace = f.traceLines();
        bool flagged = false;
        QCOMPARE(selections(trace, &flagged),
                 (QStringList{"FT1", "FT1.DeviceType", "FT1.Meternumber", "FT1.PrgVers", "FT1.Code3"}));
        QVERIFY(flagged);
        QCOMPARE(trace.mid(2, 2), (QStringList{"get ErrorCode 0", "get ErrorString No error"}));
    }

    void messagesOfASelection_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("contact");
        QTest::newRow("another device type") << "PT1" << "PhysId names no flow meter" << true;
        QTest::newRow("a device that does not answer") << "FT3" << "The device does not answer" << false;
    }
    void messagesOfASelection()
    {
        QFETCH(QString, physId);
        QFETCH(QString, message);
        QFETCH(bool, contact);
        QTemporaryDir dir;
        MainWindowFixture f(network({FT1, FT3, PT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        useTranslations(w, dir);
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));

        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok);
        bool restarted = false;
        typePhysId(w, physId, true, &restarted);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts(), QStringList{message});
        QCOMPARE(answers.records().first().icon, QMessageBox::Warning);

        // After the OK the box shows the PhysId, which is the selected one now.
        QCOMPARE(w.ui.cmb715PhysId->currentText(), physId);
        QCOMPARE(s.device.currentPhysId, physId);
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(s.device.contact, contact);
        QVERIFY(restarted);
        QCOMPARE(s.pollSlot, 1);
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{physId, "FT1"}));
        if (!contact) {
            for (const char *name : {"edGenDeviceNo", "edGenPrgVer", "edGenNodeNo", "edGenNAddr"})
                QVERIFY2(text(s, name).isEmpty(), name);
        }
        // The message is no error of the line below.
        QCOMPARE(errorEntries(w).size(), 0);
    }

    void aPhysIdEndingInAColonIsNoNode()
    {
        QTemporaryDir dir;
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        useTranslations(w, dir);
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        f.clearTrace();

        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok);
        bool restarted = true;
        typePhysId(w, QStringLiteral("SEGMENT2:"), true, &restarted);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(answers.texts(), QStringList{"PhysId names no node"});
        QCOMPARE(w.ui.cmb715PhysId->currentText(), QString());
        // The earlier device stays the current one, but nothing is polled any more.
        QCOMPARE(s.device.currentPhysId, QStringLiteral("FT1"));
        QVERIFY(!s.device.deviceAccepted);
        QVERIFY(!restarted);
        QCOMPARE(f.traceLines(), QStringList());
        f.tick(3);
        QCOMPARE(f.traceLines(), QStringList());
        QCOMPARE(w.ui.pc715->currentWidget(), w.ui.tsGen);
    }

    void aPhysIdThatNamesNothingShowsOnlyInTheErrorLine()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        DialogAnswerer answers;
        bool restarted = false;
        typePhysId(w, QStringLiteral("FT9"), true, &restarted);
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("Unknown PhysId: FT9"));
        QVERIFY(!s.device.deviceAccepted);
        QVERIFY(!s.device.contact);
        for (const char *name : {"edGenDeviceNo", "edGenPrgVer", "edGenNodeNo", "edGenNAddr"})
            QVERIFY2(text(s, name).isEmpty(), name);
        // The timer runs again, but ticks do nothing for a device that was not accepted.
        QVERIFY(restarted);
        f.clearTrace();
        f.tick(5);
        QCOMPARE(f.traceLines(), QStringList());
    }

    void badPhysIdsNeverBreakTheHistory_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<bool>("typed");
        QTest::newRow("names nothing") << "NOWHERE" << true;
        QTest::newRow("blanks inside") << "FT 1 .x" << true;
        QTest::newRow("non-ASCII letters") << QStringLiteral("Måler-Ø7ß") << true;
        QTest::newRow("10000 characters") << QString(10000, QLatin1Char('K')) << false;
    }
    void badPhysIdsNeverBreakTheHistory()
    {
        QFETCH(QString, physId);
        QFETCH(bool, typed);
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        QStringList history;
        for (int i = 0; i < physid::MaxHistory; ++i)
            history << QStringLiteral("H%1").arg(i, 3, 10, QLatin1Char('0'));
        w.ui.cmb715PhysId->addItems(history);
        w.ui.cmb715PhysId->setCurrentIndex(-1);
        DialogAnswerer answers;

        if (typed) {
            typePhysId(w, physId);
        } else {
            w.ui.cmb715PhysId->setFocus(Qt::TabFocusReason);
            w.ui.cmb715PhysId->setEditText(physId);
            QTest::keyClick(w.ui.cmb715PhysId, Qt::Key_Return);
            w.ti715UpdateData->stop();
        }
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(w.ui.cmb715PhysId->count(), physid::MaxHistory);
        QCOMPARE(w.ui.cmb715PhysId->itemText(0), physId);
        QCOMPARE(w.ui.cmb715PhysId->itemText(physid::MaxHistory - 1), QStringLiteral("H098"));
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("Unknown PhysId: ") + physId);
        QCOMPARE(errorEntries(w).size(), 1);
        QVERIFY(!s.device.deviceAccepted);
        f.clearTrace();
        f.tick(2);
        QCOMPARE(f.traceLines(), QStringList());

        // A good PhysId afterwards works as ever.
        typePhysId(w, QStringLiteral("FT1"));
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(text(s, "edGenDeviceNo"), QStringLiteral("715"));
        QCOMPARE(w.ui.cmb715PhysId->count(), physid::MaxHistory);
    }

    void anEmptyBoxSelectsNothing()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        QVERIFY(showActive(w));
        DialogAnswerer answers;
        bool restarted = true;
        typePhysId(w, QString(), true, &restarted);
        w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        KR_VERIFY_DIALOGS(answers);
        QVERIFY(!restarted);
        QVERIFY(!w.session().server); // not even the server was needed
        QCOMPARE(w.ui.cmb715PhysId->count(), 0);
        QCOMPARE(f.traceLines(), QStringList());
    }

    void typingTheSelectedPhysIdAndLeavingDoesNothing()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        w.session().pollSlot = 7;
        f.clearTrace();

        // Typed again and left with the Tab key ...
        typePhysId(w, QStringLiteral("FT1"), false);
        w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        QVERIFY(w.generalTab->ui.edGenNAddr->hasFocus());
        // ... or confirmed with Enter.
        typePhysId(w, QStringLiteral("FT1"), true);
        w.generalTab->ui.edGenNAddr->setFocus(Qt::MouseFocusReason);

        QCOMPARE(f.traceLines(), QStringList());
        QCOMPARE(items(w.ui.cmb715PhysId), QStringList{"FT1"});
        QCOMPARE(w.session().pollSlot, 7);
        QVERIFY(!w.ti715UpdateData->isActive());
    }

    void leavingTheBoxSelectsANewPhysIdAndPutsItOnTop()
    {
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        f.clearTrace();

        typePhysId(w, QStringLiteral("FT2"), false);
        QVERIFY(f.traceLines().isEmpty()); // typing alone selects nothing
        w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        w.ti715UpdateData->stop();

        QCOMPARE(s.device.currentPhysId, QStringLiteral("FT2"));
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{"FT2", "FT1"}));
        QCOMPARE(text(s, "edGenNAddr"), QStringLiteral("ABCDEF"));
        QCOMPARE(text(s, "edGenNodeNo"), QString::number(FT2Node));
        QVERIFY(f.traceLines().contains(QStringLiteral("put PhysId FT2")));
    }

    // What the operator types is what gets selected: a longer history entry that
    // begins with the typed text is never completed into the box.
    void aTypedPhysIdIsNotCompletedFromTheHistory_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enterKey");
        QTest::newRow("variable listed, Enter") << "FT1.Flow" << "FT1" << true;
        QTest::newRow("variable listed, left with Tab") << "FT1.Flow" << "FT1" << false;
        QTest::newRow("longer PhysId listed, Enter") << "FT10" << "FT1" << true;
        QTest::newRow("listed in other letters, Enter") << "ft1.flow" << "FT1" << true;
    }
    void aTypedPhysIdIsNotCompletedFromTheHistory()
    {
        QFETCH(QString, listed);
        QFETCH(QString, typed);
        QFETCH(bool, enterKey);
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        w.ui.cmb715PhysId->addItem(listed);
        w.ui.cmb715PhysId->setCurrentIndex(-1);
        typePhysId(w, QStringLiteral("FT2"));
        f.clearTrace();

        DialogAnswerer answers;
        typePhysId(w, typed, enterKey);
        QCOMPARE(w.ui.cmb715PhysId->currentText(), typed);
        if (!enterKey)
            w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        w.ti715UpdateData->stop();

        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(s.device.currentPhysId, typed);
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(text(s, "edGenNAddr"), QStringLiteral("78563F"));
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{typed, "FT2", listed}));
    }

    void aListedPhysIdInAnotherLetterCaseIsSelectedOnce_data()
    {
        QTest::addColumn<QString>("physId");
        QTest::addColumn<bool>("enterKey");
        QTest::newRow("KR 715, left with Tab") << "FT2" << false;
        QTest::newRow("KR 715, Enter") << "FT2" << true;
        QTest::newRow("no flow meter, left with Tab") << "PT1" << false;
        QTest::newRow("no flow meter, Enter") << "PT1" << true;
    }
    void aListedPhysIdInAnotherLetterCaseIsSelectedOnce()
    {
        QFETCH(QString, physId);
        QFETCH(bool, enterKey);
        MainWindowFixture f(network({FT1, FT2, PT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        w.ui.cmb715PhysId->addItem(physId);
        w.ui.cmb715PhysId->setCurrentIndex(-1);
        typePhysId(w, QStringLiteral("FT1"));
        f.clearTrace();

        DialogAnswerer answers;
        if (physId == QLatin1String("PT1"))
            answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Selected PhysId is not a flowmeter"));
        // Typed, the box would complete the text to the listed spelling at once.
        w.ui.cmb715PhysId->setFocus(Qt::TabFocusReason);
        w.ui.cmb715PhysId->setEditText(physId.toLower());
        if (enterKey)
            QTest::keyClick(w.ui.cmb715PhysId, Qt::Key_Return);
        else
            w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        w.ti715UpdateData->stop();

        KR_VERIFY_DIALOGS(answers);
        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(s.device.currentPhysId.toUpper(), physId);
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{"FT1", physId}));
        bool flagged = false;
        const QStringList devices = selections(f.traceLines(), &flagged).filter(QRegularExpression(QStringLiteral("^[^.]*$")));
        QCOMPARE(devices.size(), 1);
    }

    void choosingAListedPhysIdSelectsItWithoutDuplicating()
    {
        MainWindowFixture f(network({FT1, FT2, PT1}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        w.ui.cmb715PhysId->addItems({QStringLiteral("PT1"), QStringLiteral("FT2")});
        w.ui.cmb715PhysId->setCurrentIndex(-1);
        typePhysId(w, QStringLiteral("FT1"));
        QCOMPARE(items(w.ui.cmb715PhysId), (QStringList{"FT1", "PT1", "FT2"}));

        // The operator opens the list and clicks FT2.
        TKRComboBox *box = w.ui.cmb715PhysId;
        box->setFocus(Qt::MouseFocusReason);
        box->showPopup();
        QAbstractItemView *view = box->view();
        QTRY_VERIFY(view->isVisible());
        const QModelIndex entry = view->model()->index(2, 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(entry).center());
        QTRY_COMPARE(s.device.currentPhysId, QStringLiteral("FT2"));
        w.ti715UpdateData->stop();

        QVERIFY(s.device.deviceAccepted);
        QCOMPARE(text(s, "edGenNAddr"), QStringLiteral("ABCDEF"));
        QCOMPARE(box->currentText(), QStringLiteral("FT2"));
        QCOMPARE(items(box), (QStringList{"FT1", "PT1", "FT2"}));
        QVERIFY(!box->hasFocus()); // the choice left the box at once
    }

    void aFullHistoryLosesItsLastEntryEvenForAListedPhysId()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        QVERIFY(showActive(w));
        QStringList history;
        for (int i = 0; i < physid::MaxHistory; ++i)
            history << (i == 50 ? QStringLiteral("FT1") : QStringLiteral("H%1").arg(i, 3, 10, QLatin1Char('0')));
        w.ui.cmb715PhysId->addItems(history);
        w.ui.cmb715PhysId->setCurrentIndex(-1);

        typePhysId(w, QStringLiteral("FT1"));
        QVERIFY(w.session().device.deviceAccepted);
        const QStringList after = items(w.ui.cmb715PhysId);
        QCOMPARE(after.size(), physid::MaxHistory - 1);
        QCOMPARE(after, history.mid(0, physid::MaxHistory - 1));
        QCOMPARE(after.count(QStringLiteral("FT1")), 1);
    }

    void enteringTheBoxPutsTheCaretAtTheStart()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        QVERIFY(showActive(w));
        TKRComboBox *box = w.ui.cmb715PhysId;
        w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        QVERIFY(!box->hasFocus());
        box->setEditText(QStringLiteral("FT1234"));
        box->lineEdit()->setCursorPosition(6);
        box->setFocus(Qt::TabFocusReason);
        QVERIFY(box->hasFocus());
        QCOMPARE(box->lineEdit()->cursorPosition(), 0);

        // Leaving puts it there as well, whatever the operator did inside.
        box->lineEdit()->setCursorPosition(4);
        w.generalTab->ui.edGenNAddr->setFocus(Qt::TabFocusReason);
        w.ti715UpdateData->stop();
        QCOMPARE(box->lineEdit()->cursorPosition(), 0);
    }

    void theSameErrorTwiceIsOneHistoryEntry()
    {
        MainWindowFixture f(network({FT1, FT3}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        DialogAnswerer answers;
        answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("No contact to selected PhysId"));
        selectDevice(w, QStringLiteral("FT3"));
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(errorEntries(w).size(), 0); // the message, not the error line, tells

        f.tick(4);
        const QStringList entries = errorEntries(w);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("No contact: FT3 does not answer"));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d{2}:\\d{2}\\S* No contact: FT3 does not answer$"))
                     .match(entries.first())
                     .hasMatch(),
                 qPrintable(entries.first()));
        QCOMPARE(s.device.lastErrorCode, 1024);

        // A good access shows "No error" in the line and leaves the history alone.
        selectDevice(w, QStringLiteral("FT1"));
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("No error"));
        QCOMPARE(errorEntries(w), entries);
        QCOMPARE(s.device.lastErrorCode, 0);
    }

    void theEleventhErrorPushesOutTheOldest()
    {
        MainWindowFixture f(network({FT1}));
        TfrmKR715Config &w = f.open();
        for (int i = 1; i <= 10; ++i)
            selectDevice(w, QStringLiteral("U%1").arg(i));
        QCOMPARE(errorEntries(w).size(), 10);
        QVERIFY(errorEntries(w).last().endsWith(QLatin1String(" Unknown PhysId: U1")));

        selectDevice(w, QStringLiteral("U11"));
        QStringList entries = errorEntries(w);
        QCOMPARE(entries.size(), 10);
        QVERIFY(entries.first().endsWith(QLatin1String(" Unknown PhysId: U11")));
        QVERIFY(entries.last().endsWith(QLatin1String(" Unknown PhysId: U2")));
        for (const QString &entry : entries)
            QVERIFY2(!entry.endsWith(QLatin1String(" U1")), qPrintable(entry));

        // The tenth entry goes before the text is compared: the same error once more
        // shortens a full history by one.
        selectDevice(w, QStringLiteral("U11"));
        QCOMPARE(errorEntries(w), entries.mid(0, 9));
        QCOMPARE(w.ui.cmb715Error->currentText(), QStringLiteral("Unknown PhysId: U11"));
    }

    void aDeviceFaultShowsTheTranslatedFaultKey_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("shown");
        QTest::newRow("5") << 5 << false << "0x005";
        QTest::newRow("10") << 10 << false << "0x00A";
        QTest::newRow("10, translated") << 10 << true << "Sensor defect";
        QTest::newRow("31") << 31 << true << "0x01F";
        QTest::newRow("200") << 200 << false << "0x0C8";
    }
    void aDeviceFaultShowsTheTranslatedFaultKey()
    {
        QFETCH(int, fault);
        QFETCH(bool, translated);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        MainWindowFixture f(network({device("FT1", 715, "{}", ",\"fault\":" + QByteArray::number(fault))}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        if (translated)
            useTranslations(w, dir);
        selectDevice(w, QStringLiteral("FT1"));
        QVERIFY(s.device.contact); // a device with a fault still answers

        // A read from the device: code 256.
        f.clearTrace();
        f.tick();
        QVERIFY(f.traceLines().contains(QStringLiteral("get ErrorCode 256")));
        QCOMPARE(w.ui.cmb715Error->currentText(), shown);
        QCOMPARE(s.device.lastErrorCode, fault);
        QCOMPARE(errorEntries(w).size(), 1);
        QVERIFY(errorEntries(w).first().endsWith(QLatin1Char(' ') + shown));

        // A write to it: code 512, the same text, so no second entry.
        s.server->SelectVariable(QStringLiteral("FT1.Volume1"));
        s.server->setValue(3.0);
        f.clearTrace();
        QVERIFY(w.deviceLink->CheckServerError());
        QCOMPARE(f.traceLines().value(0), QStringLiteral("get ErrorCode 512"));
        QCOMPARE(w.ui.cmb715Error->currentText(), shown);
        QCOMPARE(s.device.lastErrorCode, fault);
        QCOMPARE(errorEntries(w).size(), 1);
    }

    void theNodeAddressGoesToTheDeviceWithTheTypedSerial_data() { addApplyWays(); }
    void theNodeAddressGoesToTheDeviceWithTheTypedSerial()
    {
        QFETCH(bool, enterKey);
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        f.tick(5);
        QCOMPARE(liveDevice(s, "FT2").node(), FT2Node);

        // The operator types FT2's serial number and applies.
        TKREdit *serial = w.generalTab->ui.edGenNAddr;
        serial->setFocus(Qt::TabFocusReason);
        serial->selectAll();
        QTest::keyClicks(serial, QStringLiteral("abcdef"));
        f.clearTrace();
        applySerial(w, enterKey);

        const QString node = QStringLiteral("%1").arg(FT1Node, 2, 16, QLatin1Char('0')).toUpper();
        KR_COMPARE_TRACE(f.traceLines(),
                         (QStringList{
                             QStringLiteral("get NodeAddress 0001.0000.") + node,
                             "put PhysId FT1.SerialNo", "put InformationInErrorCode true",
                             "get ErrorCode 0", "get ErrorString No error",
                             QStringLiteral("put InValue %1").arg(qint32(0xABCDEF00u | FT1Node)),
                             "put NodeAddress 0001.0000.7E", "call DoWrite",
                             "put PhysId FT1.Meternumber", "put InformationInErrorCode true", "call DoRead",
                             "get ErrorCode 0", "get ErrorString No error",
                             QStringLiteral("get InValue %1").arg(qint32(FT1Serial << 8)),
                         }));
        // FT2 now answers at FT1's node; FT1 keeps it.
        QCOMPARE(liveDevice(s, "FT2").node(), FT1Node);
        QCOMPARE(liveDevice(s, "FT1").node(), FT1Node);
        QCOMPARE(deviceValue(s, "FT2", ".Code3").integer, qint32(0x20220000 | (FT1Node << 8)));
        // The field shows the selected device's serial number again, and the cycle
        // starts over to load its configuration.
        QCOMPARE(serial->text(), QStringLiteral("78563F"));
        QCOMPARE(serial->textColour(), TKREdit::normalColour());
        QCOMPARE(s.pollSlot, 1);
        QVERIFY(s.initialLoadPending);
    }

    // The poll refreshes the serial number once per cycle, but never over a number the
    // operator is typing: "Apply node addr." sends what was typed, however long it took.
    void aSerialBeingTypedIsNotReplacedByThePoll_data() { addApplyWays(); }
    void aSerialBeingTypedIsNotReplacedByThePoll()
    {
        QFETCH(bool, enterKey);
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        f.tick(20);
        TKREdit *serial = w.generalTab->ui.edGenNAddr;
        serial->setFocus(Qt::TabFocusReason);
        serial->selectAll();
        QTest::keyClicks(serial, QStringLiteral("ABC"));
        f.tick(20);
        QTest::keyClicks(serial, QStringLiteral("DEF"));
        f.tick(40); // two whole cycles, each reading the serial number
        QCOMPARE(serial->text(), QStringLiteral("ABCDEF"));
        applySerial(w, enterKey);
        QCOMPARE(liveDevice(s, "FT2").node(), FT1Node);
        QCOMPARE(serial->text(), QStringLiteral("78563F"));

        // A typed number left without applying gives way to the device's again.
        serial->setFocus(Qt::TabFocusReason);
        serial->selectAll();
        QTest::keyClicks(serial, QStringLiteral("12"));
        f.tick(20);
        QCOMPARE(serial->text(), QStringLiteral("12"));
        w.ui.cmb715PhysId->setFocus(Qt::TabFocusReason);
        f.tick(20);
        QCOMPARE(serial->text(), QStringLiteral("78563F"));
    }

    void aSerialThatIsNoHexNumberDoesNothing()
    {
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        KR715Session &s = w.session();
        QVERIFY(showActive(w));
        typePhysId(w, QStringLiteral("FT1"));
        f.tick(9); // all registers read: the initial load is over
        QVERIFY(!s.initialLoadPending);

        TKREdit *serial = w.generalTab->ui.edGenNAddr;
        serial->setFocus(Qt::TabFocusReason);
        serial->selectAll();
        QTest::keyClicks(serial, QStringLiteral("12G4"));
        f.clearTrace();
        QTest::keyClick(serial, Qt::Key_Return);

        for (const QString &line : f.traceLines()) {
            QVERIFY2(!line.startsWith(QLatin1String("put InValue")) && !line.startsWith(QLatin1String("call")),
                     qPrintable(line));
        }
        QCOMPARE(serial->text(), QStringLiteral("12G4"));
        QCOMPARE(s.pollSlot, 10);
        QVERIFY(!s.initialLoadPending);
        QCOMPARE(liveDevice(s, "FT2").node(), FT2Node);
    }

    void assigningWithoutASelectedDeviceDoesNothing()
    {
        MainWindowFixture f(network({FT1, FT2}));
        TfrmKR715Config &w = f.open();
        DialogAnswerer answers;
        w.generalTab->ui.edGenNAddr->setText(QStringLiteral("ABCDEF"));
        w.generalTab->ui.btnApplyNAddr->click();
        KR_VERIFY_DIALOGS(answers);
        QCOMPARE(f.traceLines(), QStringList());
        QCOMPARE(w.generalTab->ui.edGenNAddr->text(), QStringLiteral("ABCDEF"));
    }
};

QTEST_MAIN(DeviceSelectionTest)
#include "tst_deviceselection.moc"
