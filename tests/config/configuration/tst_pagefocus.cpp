// Changing the shown tab of the main window: the shown page gets the focus, and none of
// its fields is entered or left by that, so that looking at a tab never writes anything
// to the device. Entering a register field and leaving it unchanged is an edit of its
// own, with the write the register editor makes for a completed edit.
#include "OperatorDriver.h"

#include "DialogAnswerer.h"

#include <QLocale>
#include <QTabBar>
#include <QWheelEvent>

namespace {

// Records the enterings and leavings of every value field on the pages.
class FieldWatch {
public:
    explicit FieldWatch(QWidget &pages)
    {
        for (TKREdit *edit : pages.findChildren<TKREdit *>()) {
            QObject::connect(edit, &TKREdit::OnEnter, [this, edit] { entered.append(edit->objectName()); });
            QObject::connect(edit, &TKREdit::OnExit, [this, edit] { left.append(edit->objectName()); });
        }
        for (TKRComboBox *list : pages.findChildren<TKRComboBox *>()) {
            QObject::connect(list, &TKRComboBox::OnEnter, [this, list] { entered.append(list->objectName()); });
            QObject::connect(list, &TKRComboBox::OnExit, [this, list] { left.append(list->objectName()); });
        }
    }
    void clear()
    {
        entered.clear();
        left.clear();
    }
    QStringList entered;
    QStringList left;
};

enum class Route { Mouse, Keyboard, Wheel };

// Shows page index of the page control the way route goes there.
void showPage(OperatorDriver &op, int index, Route route)
{
    QTabWidget *pages = op.window().ui.pc715;
    QTabBar *bar = pages->tabBar();
    switch (route) {
    case Route::Mouse:
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
        break;
    case Route::Keyboard:
        // Ctrl+Tab steps to the next page from wherever the focus is on the pages (or on
        // the page control).
        for (int attempt = 0; attempt < 2 * pages->count() && pages->currentIndex() != index; ++attempt) {
            QWidget *focus = QApplication::focusWidget();
            QWidget *target = focus && pages->isAncestorOf(focus) ? focus : pages;
            QTest::keyClick(target, Qt::Key_Tab, Qt::ControlModifier);
        }
        break;
    case Route::Wheel: {
        const QPoint at = bar->tabRect(pages->currentIndex()).center();
        for (int attempt = 0; attempt < 2 * pages->count() && pages->currentIndex() != index; ++attempt) {
            const int step = index > pages->currentIndex() ? -120 : 120;
            QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, step), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &wheel);
            QCoreApplication::processEvents();
        }
        break;
    }
    }
    QCoreApplication::processEvents();
}

} // namespace

Q_DECLARE_METATYPE(Route)

class PageFocusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void lookingAtTheTabsWritesNothing_data()
    {
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("fromAField");
        QTest::newRow("mouse, after selecting the device") << Route::Mouse << false;
        QTest::newRow("mouse, after a completed edit") << Route::Mouse << true;
        QTest::newRow("Ctrl+Tab, after selecting the device") << Route::Keyboard << false;
        QTest::newRow("Ctrl+Tab, after a completed edit") << Route::Keyboard << true;
        QTest::newRow("wheel, after selecting the device") << Route::Wheel << false;
    }
    void lookingAtTheTabsWritesNothing()
    {
        QFETCH(Route, route);
        QFETCH(bool, fromAField);
        DialogAnswerer answers;
        OperatorDriver op;
        TfrmKR715Config &w = op.open();
        QTabWidget *pages = w.ui.pc715;
        op.cycle(2);
        if (fromAField) {
            // The operator has completed an edit of E1 and gone back to the top bar; the
            // Config tab remembers its field. The edit went out.
            op.typeAndEnter(op.edit("edConE1"), QStringLiteral("2.5"));
            op.window().ui.cmb715PhysId->setFocus(Qt::MouseFocusReason);
            pages->setCurrentIndex(0);
            op.cycle(2);
            QCOMPARE(op.deviceReal(".MeterSize"), 2.5);
        }
        op.window().ui.cmb715PhysId->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        // What the program writes by itself over as many cycles as the clicks take.
        op.clearTrace();
        const int rounds = 3 * pages->count();
        op.cycle(rounds);
        const QStringList unprompted = op.writes();

        FieldWatch fields(*pages);
        op.clearTrace();
        // Through every tab forwards, backwards and forwards again, a cycle on each.
        QCOMPARE(pages->currentIndex(), 0);
        QList<int> order;
        for (int i = 1; i < pages->count(); ++i)
            order.append(i);
        for (int i = pages->count() - 2; i >= 0; --i)
            order.append(i);
        for (int i = 1; i < pages->count(); ++i)
            order.append(i);
        if (route == Route::Keyboard) { // Ctrl+Tab only steps forwards (and round)
            order.clear();
            for (int i = 1; i <= 2 * pages->count(); ++i)
                order.append(i % pages->count());
        }
        for (int index : order) {
            showPage(op, index, route);
            QCOMPARE(pages->currentIndex(), index);
            QWidget *page = pages->widget(index);
            QVERIFY2(QApplication::focusWidget() == page,
                     qPrintable(QStringLiteral("focus on %1 after showing %2")
                                    .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                                     : QStringLiteral("nothing"),
                                         page->objectName())));
            op.cycle();
        }
        op.cycle(rounds - order.size() > 0 ? rounds - order.size() : 0);
        QCOMPARE(op.registerWrites(), QStringList());
        QCOMPARE(op.writes(), unprompted);
        QCOMPARE(fields.entered, QStringList());
        QCOMPARE(fields.left, QStringList());
        KR_VERIFY_DIALOGS(answers);
    }

    // Entering a register field and leaving it without a change is a completed edit:
    // the register goes to the device once more with the value shown (the one just read)
    // and is read back. The same holds for a code register; its digits are unchanged.
    void anUnchangedRegisterEditWritesTheShownValueOnce_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("written");
        QTest::newRow("E1") << "edConE1" << int(SlotMeterSize) << "write 1";
        QTest::newRow("E3") << "edConE3" << int(SlotPiCode) << "write 256";
        QTest::newRow("meter size field") << "edInpMeterSize" << int(SlotMeterSize) << "write 1";
    }
    void anUnchangedRegisterEditWritesTheShownValueOnce()
    {
        QFETCH(QString, field);
        QFETCH(int, slot);
        QFETCH(QString, written);
        DialogAnswerer answers;
        OperatorDriver op(OperatorDriver::kr715({{".MeterSize", 1.0}, {".PiCode", 256}}));
        op.open();
        op.cycle(2);
        const QString before = op.edit(field)->text();
        op.focus(op.edit(field));
        op.leave();
        QCOMPARE(op.edit(field)->text(), before);
        QCOMPARE(op.serve(slot), written);
        QCOMPARE(op.serve(slot), QStringLiteral("read"));
        op.clearTrace();
        op.cycle(2);
        QCOMPARE(op.registerWrites(), QStringList());
        KR_VERIFY_DIALOGS(answers);
    }
};

QTEST_MAIN(PageFocusTest)
#include "tst_pagefocus.moc"
