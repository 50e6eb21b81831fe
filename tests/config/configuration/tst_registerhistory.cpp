// The undo history of the register set.
#include "RegisterHistory.h"

#include <QTest>

namespace {
RegisterSnapshot snap(const QString &e1)
{
    RegisterSnapshot s;
    s.texts.fill(QStringLiteral("000000"));
    s.texts[0] = e1;
    return s;
}
} // namespace

class RegisterHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void redoStepsBackAndUndoForward()
    {
        RegisterHistoryState h;
        h.record(snap("A"), false);
        h.record(snap("B"), false);
        QCOMPARE(h.redo()->texts[0], QStringLiteral("A"));
        QVERIFY(!h.redo()); // the entry after A is empty
        QCOMPARE(h.historyPosition, 2);
        QCOMPARE(h.undo()->texts[0], QStringLiteral("B"));
        QVERIFY(!h.undo());
        QCOMPARE(h.historyPosition, 1);
    }

    void recordingAfterRedoDropsTheNewerEntries()
    {
        RegisterHistoryState h;
        h.record(snap("Z"), false);
        h.record(snap("A"), false);
        h.record(snap("B"), false);
        QVERIFY(h.redo()); // shows A
        h.record(snap("C"), false); // right after a redo: nothing is stored
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("B"));
        h.record(snap("D"), false);
        QCOMPARE(h.historyPosition, 1);
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("D"));
        QCOMPARE(h.entries[1].texts[0], QStringLiteral("A"));
        QCOMPARE(h.entries[2].texts[0], QStringLiteral("Z"));
        QVERIFY(h.entries[3].texts[0].isEmpty());
    }

    void undoAtTheNewestEntryStillSwallowsTheNextRecording()
    {
        RegisterHistoryState h;
        h.record(snap("A"), false);
        QVERIFY(!h.undo());
        h.record(snap("B"), false);
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("A"));
        h.record(snap("C"), false);
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("C"));
        QCOMPARE(h.entries[1].texts[0], QStringLiteral("A"));
    }

    void theHundredAndFirstRecordingDropsTheOldest()
    {
        RegisterHistoryState h;
        for (int i = 1; i <= 101; ++i)
            h.record(snap(QString::number(i)), false);
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("101"));
        QCOMPARE(h.entries[99].texts[0], QStringLiteral("2"));
        // Redo walks back through all 100 and stops at the last.
        int steps = 0;
        while (h.redo())
            ++steps;
        QCOMPARE(steps, 99);
        QCOMPARE(h.historyPosition, 100);
    }

    void initialLoadReplacesTheNewestEntry()
    {
        RegisterHistoryState h;
        h.record(snap("A"), false);
        h.record(snap("dev1"), true);
        h.record(snap("dev2"), true);
        QCOMPARE(h.entries[0].texts[0], QStringLiteral("dev2"));
        QVERIFY(h.entries[1].texts[0].isEmpty());
    }

    void clearEmptiesEverything()
    {
        RegisterHistoryState h;
        h.record(snap("A"), false);
        h.record(snap("B"), false);
        h.redo();
        h.clear();
        QCOMPARE(h.historyPosition, 1);
        QVERIFY(!h.undoRedoActive);
        QVERIFY(h.entries[0].texts[0].isEmpty());
        QVERIFY(!h.redo());
    }
};

QTEST_APPLESS_MAIN(RegisterHistoryTest)
#include "tst_registerhistory.moc"
