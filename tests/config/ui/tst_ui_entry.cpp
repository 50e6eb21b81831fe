// Event protocol of the value fields and value lists.
#include "DialogAnswerer.h"
#include "DialogService.h"
#include "EventLog.h"
#include "KRComboBox.h"
#include "KREdit.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// One window: a value field, a value list and a plain edit to move the focus to.
struct Form {
    QWidget window;
    TKREdit *edit;
    TKRComboBox *combo;
    QLineEdit *other;

    Form()
    {
        // Focus chain: other, edit, combo. The window gives other the first focus.
        auto *layout = new QHBoxLayout(&window);
        other = new QLineEdit(&window);
        edit = new TKREdit(&window);
        edit->setObjectName("edConE1");
        combo = new TKRComboBox(&window);
        combo->setObjectName("cmbOut2FuncOut");
        combo->addItems({"Pulse output", "Batch control", "Limit switch"});
        combo->setValueItems({"0", "1", "4"});
        layout->addWidget(other);
        layout->addWidget(edit);
        layout->addWidget(combo);
        window.resize(500, 60);
    }

    bool show()
    {
        window.show();
        return activate();
    }

    // What the window manager does when a dialog on top closes.
    bool activate()
    {
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    // The events of the control being watched.
    EventLog events;

    // Shows the window, then logs control's events.
    template <class Control>
    bool showWatching(Control *control)
    {
        if (!show())
            return false;
        events.watch(control);
        return true;
    }

    // Shows the window and enters control from the keyboard; the events of entering
    // are dropped.
    template <class Control>
    bool showInside(Control *control)
    {
        if (!showWatching(control))
            return false;
        control->setFocus(Qt::TabFocusReason);
        events.take();
        return true;
    }
};

QColor buttonTextColour(QWidget *w)
{
    return w->palette().color(QPalette::Active, QPalette::ButtonText);
}

} // namespace

class TestUiEntry : public QObject {
    Q_OBJECT
private slots:
    // Edit box
    void editStartsIdleAndBlack();
    void programTextWhileIdleFiresUpdate();
    void tabbingThroughWithoutTypingFiresUpdateOnce();
    void typingAndEnterEventOrder();
    void enterTwiceFiresUpdateTwice();
    void keyWhileIdleStartsEditingAgain();
    void mouseWhileIdleStartsEditing();
    void readOnlyNeverBlueButUpdates();
    void simModeColours();
    // Edit box and combo box
    void modalMessageBoxIsNoExit_data();
    void modalMessageBoxIsNoExit();
    void otherWindowActivatingIsNoExit();
    void updateHandlerMayWarnAndRefocus();
    void focusMovedWhileWindowInactive();
    void firstFocusOfShownWindowEnters();

    // Combo box
    void comboStartsWithoutSelection();
    void selectIndexRunsSelectionCheck();
    void selectIndexWithCurrentIndexFiresNothing();
    void selectValueCodeFindsCodeIgnoringCase();
    void selectValueCodeAbsentClearsSelection();
    void entryWithoutValueCode();
    void emptyValueItemsKeepCode();
    void codeSelectionFiresNoChange();
    void pickListMouseChoice();
    void pickListKeyChoice();
    void pickListFocusNotBlue();
    void editableBehavesLikeEdit();
    void illegalChoiceSwitchAndBack();
    void wheelOverUnfocusedListChangesNothing();
    void comboSimModeColours();
};

void TestUiEntry::editStartsIdleAndBlack()
{
    TKREdit edit;
    QVERIFY(!edit.isEditing());
    QVERIFY(!edit.KRSimMode());
    QCOMPARE(edit.textColour(), kBlack);
}

void TestUiEntry::programTextWhileIdleFiresUpdate()
{
    TKREdit edit;
    EventLog events;
    events.watch(&edit);
    edit.setText("1.5");
    QCOMPARE(events.take(), (QStringList{"OnChange", "OnKREditUpDate"}));
    QCOMPARE(edit.textColour(), kBlack);
    // The same text again is no change.
    edit.setText("1.5");
    QCOMPARE(events.take(), QStringList());
}

void TestUiEntry::tabbingThroughWithoutTypingFiresUpdateOnce()
{
    Form form;
    QVERIFY(form.showWatching(form.edit));
    form.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QVERIFY(form.edit->isEditing());
    QCOMPARE(form.edit->textColour(), kBlue);

    form.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), (QStringList{"OnKREditUpDate", "OnExit"}));
    QVERIFY(!form.edit->isEditing());
    QCOMPARE(form.edit->textColour(), kBlack);
}

void TestUiEntry::typingAndEnterEventOrder()
{
    Form form;
    QVERIFY(form.showWatching(form.edit));
    form.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});

    QTest::keyClick(form.edit, Qt::Key_5);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKeyPress:5", "OnChange"}));
    QCOMPARE(form.edit->text(), QStringLiteral("5"));
    QCOMPARE(form.edit->textColour(), kBlue);
    QVERIFY(form.edit->isEditing());

    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKREditUpDate"}));
    QCOMPARE(form.edit->textColour(), kBlack);
    QVERIFY(!form.edit->isEditing());

    // Leaving after Enter still fires the update.
    QTest::keyClick(form.edit, Qt::Key_Tab);
    QCOMPARE(form.events.take(), (QStringList{"OnKREditUpDate", "OnExit"}));
    QCOMPARE(QApplication::focusWidget(), form.combo);
}

void TestUiEntry::enterTwiceFiresUpdateTwice()
{
    Form form;
    QVERIFY(form.showInside(form.edit));
    QTest::keyClick(form.edit, Qt::Key_Enter); // keypad Enter
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.events.take(),
             (QStringList{"OnKeyDown", "OnKREditUpDate", "OnKeyDown", "OnKREditUpDate"}));
    QVERIFY(!form.edit->isEditing());
}

void TestUiEntry::keyWhileIdleStartsEditingAgain()
{
    Form form;
    QVERIFY(form.showWatching(form.edit));
    form.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.edit, Qt::Key_Return);
    form.events.take();

    // The entry starts before the character reaches the text, so the new text is an
    // edit and not a program change (no update step).
    QTest::keyClick(form.edit, Qt::Key_7);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnEnter", "OnKeyPress:7", "OnChange"}));
    QCOMPARE(form.edit->textColour(), kBlue);

    // A key that types nothing also starts an entry.
    QTest::keyClick(form.edit, Qt::Key_Return);
    form.events.take();
    QTest::keyClick(form.edit, Qt::Key_Left);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnEnter"}));
}

void TestUiEntry::mouseWhileIdleStartsEditing()
{
    Form form;
    QVERIFY(form.showWatching(form.edit));
    // A click on the field gives it the focus: the entry starts once.
    QTest::mouseClick(form.edit, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), form.edit);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKREditUpDate"}));
    // Idle with the focus: a click starts a new entry.
    QTest::mouseClick(form.edit, Qt::LeftButton);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.edit->textColour(), kBlue);
    QTest::mouseClick(form.edit, Qt::LeftButton);
    QCOMPARE(form.events.take(), QStringList());
}

void TestUiEntry::readOnlyNeverBlueButUpdates()
{
    Form form;
    form.edit->setReadOnly(true);
    QVERIFY(form.show());
    EventLog events;
    events.watch(form.edit);
    form.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.edit->textColour(), kBlack);
    QTest::keyClick(form.edit, Qt::Key_5);
    QCOMPARE(form.edit->textColour(), kBlack);
    QCOMPARE(form.edit->text(), QString());
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(events.take(), (QStringList{"OnKeyDown", "OnKeyPress:5", "OnKeyDown", "OnKREditUpDate"}));
    QTest::mouseClick(form.edit, Qt::LeftButton);
    QCOMPARE(events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.edit->textColour(), kBlack);
    form.edit->setText("12"); // program text while editing: no update, not blue
    QCOMPARE(events.take(), QStringList{"OnChange"});
    QCOMPARE(form.edit->textColour(), kBlack);
    form.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(events.take(), (QStringList{"OnKREditUpDate", "OnExit"}));
}

void TestUiEntry::simModeColours()
{
    Form form;
    QVERIFY(form.showWatching(form.edit));
    form.edit->setKRSimMode(true);
    QCOMPARE(form.edit->textColour(), kRed);
    QVERIFY(form.edit->KRSimMode());
    QCOMPARE(form.events.take(), QStringList()); // a colour change only

    form.edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.edit->textColour(), kBlue);
    // Writing the current value changes nothing, not even the colour.
    form.edit->setKRSimMode(true);
    QCOMPARE(form.edit->textColour(), kBlue);
    QTest::keyClick(form.edit, Qt::Key_Return);
    QCOMPARE(form.edit->textColour(), kRed);
    form.edit->setProperty("KRSimMode", false);
    QCOMPARE(form.edit->textColour(), kBlack);
    form.edit->setKRSimMode(true);
    form.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.edit->textColour(), kRed);
}

void TestUiEntry::modalMessageBoxIsNoExit_data()
{
    QTest::addColumn<bool>("list");
    QTest::addColumn<bool>("question");
    QTest::addColumn<QColor>("colour");
    // A field with a typed digit and a warning; a pick list (never blue) and a question.
    QTest::newRow("value field, warning") << false << false << kBlue;
    QTest::newRow("value list, question") << true << true << kBlack;
}

void TestUiEntry::modalMessageBoxIsNoExit()
{
    QFETCH(bool, list);
    QFETCH(bool, question);
    QFETCH(QColor, colour);
    Form form;
    QWidget *control = list ? static_cast<QWidget *>(form.combo) : form.edit;
    QVERIFY(list ? form.showInside(form.combo) : form.showInside(form.edit));
    if (!list) {
        QTest::keyClick(form.edit, Qt::Key_1);
        form.events.take();
    }

    DialogService dialogs(nullptr);
    DialogAnswerer answers;
    if (question) {
        answers.answerMessageBox(QMessageBox::No);
        QVERIFY(!dialogs.question(&form.window, QStringLiteral("This will clear volume2, is this OK")));
    } else {
        answers.answerMessageBox(QMessageBox::Ok);
        dialogs.warning(&form.window, QStringLiteral("Missing digit in register"));
    }
    KR_VERIFY_DIALOGS(answers);
    QVERIFY(form.activate());
    QCOMPARE(QApplication::focusWidget(), control);
    // Neither the dialog opening nor the focus coming back is an exit or an entry.
    QCOMPARE(form.events.take(), QStringList());
    QVERIFY(list ? form.combo->isEditing() : form.edit->isEditing());
    QCOMPARE(list ? form.combo->textColour() : form.edit->textColour(), colour);
}

void TestUiEntry::otherWindowActivatingIsNoExit()
{
    Form form;
    QVERIFY(form.showInside(form.edit));

    QWidget second;
    second.resize(100, 100);
    second.show();
    second.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&second));
    QVERIFY(form.activate());
    QCOMPARE(QApplication::focusWidget(), form.edit);
    QCOMPARE(form.events.take(), QStringList());
    QVERIFY(form.edit->isEditing());
}

void TestUiEntry::updateHandlerMayWarnAndRefocus()
{
    // The way a register edit refuses a short entry: the update handler warns and puts
    // the focus back. The dialog must not cause a second update or an exit.
    Form form;
    QVERIFY(form.showWatching(form.edit));
    DialogService dialogs(nullptr);
    int warnings = 0;
    QObject::connect(form.edit, &TKREdit::OnKREditUpDate, [&](QObject *sender) {
        auto *edit = static_cast<TKREdit *>(sender);
        if (edit->text().size() < 6 && warnings == 0) {
            ++warnings;
            dialogs.warning(&form.window, QStringLiteral("Missing digit in register"));
            edit->setFocus();
        }
    });
    form.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form.edit, Qt::Key_1);
    form.events.take();

    DialogAnswerer answers;
    answers.answerMessageBox(QMessageBox::Ok, QStringLiteral("Missing digit"));
    QTest::keyClick(form.edit, Qt::Key_Tab);
    KR_VERIFY_DIALOGS(answers);
    QVERIFY(form.activate());
    QCOMPARE(warnings, 1);
    QCOMPARE(QApplication::focusWidget(), form.edit);
    // One update (with the warning); the field ends entered again. Whether an exit
    // comes between depends on when the window is active again (here: only after the
    // handler returned, so the field was left for a moment).
    const QStringList got = form.events.take();
    QCOMPARE(got.count("OnKREditUpDate"), 1);
    QCOMPARE(got.first(), QStringLiteral("OnKREditUpDate"));
    QCOMPARE(got.last(), QStringLiteral("OnEnter"));
    QCOMPARE(got.count("OnEnter"), 1);
    QVERIFY(got.count("OnExit") <= 1);
    QVERIFY(form.edit->isEditing());
    QCOMPARE(form.edit->textColour(), kBlue);
}

void TestUiEntry::focusMovedWhileWindowInactive()
{
    Form form;
    QVERIFY(form.show());
    EventLog editEvents;
    editEvents.watch(form.edit);
    EventLog comboEvents;
    comboEvents.watch(form.combo);
    form.edit->setFocus(Qt::TabFocusReason);
    editEvents.take();

    QWidget second;
    second.show();
    second.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&second));
    // Code moves the focus of the inactive window; the field is left when the window
    // is active again and the list really has the focus.
    form.combo->setFocus(Qt::OtherFocusReason);
    QVERIFY(form.activate());
    QCOMPARE(QApplication::focusWidget(), form.combo);
    QCOMPARE(editEvents.take(), (QStringList{"OnKREditUpDate", "OnExit"}));
    QCOMPARE(comboEvents.take(), QStringList{"OnEnter"});
    QVERIFY(!form.edit->isEditing());
    QCOMPARE(form.edit->textColour(), kBlack);
}

void TestUiEntry::firstFocusOfShownWindowEnters()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *edit = new TKREdit(&window);
    layout->addWidget(edit);
    EventLog events;
    events.watch(edit);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(events.take(), QStringList{"OnEnter"});
    QVERIFY(edit->isEditing());
}

void TestUiEntry::comboStartsWithoutSelection()
{
    TKRComboBox combo;
    combo.addItems({"a", "b"});
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(combo.SelectedIndex(), -1);
    QVERIFY(!combo.HasValueCode());
    QCOMPARE(combo.ValueCode(), QString());
    QVERIFY(!combo.isEditing());
    QVERIFY(!combo.KRSimMode());
    QCOMPARE(combo.textColour(), kBlack);
    QCOMPARE(combo.insertPolicy(), QComboBox::NoInsert);
}

void TestUiEntry::selectIndexRunsSelectionCheck()
{
    Form form;
    EventLog events;
    events.watch(form.combo);
    form.combo->SelectIndex(0);
    QCOMPARE(events.take(), QStringList{"OnItemIndexChange"});
    QCOMPARE(form.combo->currentIndex(), 0);
    QVERIFY(form.combo->HasValueCode());
    QCOMPARE(form.combo->ValueCode(), QStringLiteral("0"));
    form.combo->SelectIndex(2);
    QCOMPARE(events.take(), QStringList{"OnItemIndexChange"});
    QCOMPARE(form.combo->ValueCode(), QStringLiteral("4"));
    // An index outside the list clears the selection.
    form.combo->SelectIndex(9);
    QCOMPARE(events.take(), QStringList{"OnItemIndexChange"});
    QCOMPARE(form.combo->currentIndex(), -1);
    QVERIFY(!form.combo->HasValueCode());
}

void TestUiEntry::selectIndexWithCurrentIndexFiresNothing()
{
    Form form;
    EventLog events;
    events.watch(form.combo);
    form.combo->SelectIndex(1);
    events.take();
    form.combo->SelectIndex(1);
    QCOMPARE(events.take(), QStringList());
    form.combo->SelectIndex(-1);
    events.take();
    form.combo->SelectIndex(-1);
    QCOMPARE(events.take(), QStringList());
}

void TestUiEntry::selectValueCodeFindsCodeIgnoringCase()
{
    TKRComboBox combo;
    combo.addItems({"m3", "litre", "gallon"});
    combo.setValueItems({"a", "B", "c"});
    EventLog events;
    events.watch(&combo);
    combo.SelectValueCode("b");
    QCOMPARE(combo.currentIndex(), 1);
    QVERIFY(combo.HasValueCode());
    QCOMPARE(combo.ValueCode(), QStringLiteral("B"));
    QCOMPARE(events.take(), QStringList{"OnItemIndexChange"});
    QCOMPARE(combo.property("ValueCode").toString(), QStringLiteral("B"));
}

void TestUiEntry::selectValueCodeAbsentClearsSelection()
{
    Form form;
    EventLog events;
    events.watch(form.combo);
    form.combo->SelectValueCode("4");
    QCOMPARE(form.combo->currentIndex(), 2);
    events.take();

    form.combo->SelectValueCode("7");
    QCOMPARE(form.combo->currentIndex(), -1);
    QVERIFY(!form.combo->HasValueCode());
    QCOMPARE(form.combo->ValueCode(), QString());
    QCOMPARE(events.take(), QStringList{"OnItemIndexChange"});

    // Without a selection before, nothing fires.
    form.combo->SelectValueCode("8");
    QCOMPARE(events.take(), QStringList());
    QVERIFY(!form.combo->HasValueCode());
}

void TestUiEntry::entryWithoutValueCode()
{
    TKRComboBox combo;
    combo.addItems({"a", "b", "c"});
    combo.setValueItems({"0", "1"});
    combo.SelectIndex(1);
    QVERIFY(combo.HasValueCode());
    combo.SelectIndex(2);
    QCOMPARE(combo.SelectedIndex(), 2);
    QVERIFY(!combo.HasValueCode());
    QCOMPARE(combo.ValueCode(), QString());
}

void TestUiEntry::emptyValueItemsKeepCode()
{
    TKRComboBox combo;
    combo.addItems({"a", "b", "c"});
    combo.setValueItems({"x", "y", "z"});
    combo.SelectIndex(1);
    QCOMPARE(combo.ValueCode(), QStringLiteral("y"));
    combo.setValueItems({});
    combo.SelectIndex(2);
    QCOMPARE(combo.SelectedIndex(), 2);
    // Without codes the last code stays as it was.
    QCOMPARE(combo.ValueCode(), QStringLiteral("y"));
    QVERIFY(combo.HasValueCode());
    // SelectValueCode then finds nothing and clears the selection.
    combo.SelectValueCode("y");
    QCOMPARE(combo.SelectedIndex(), -1);
    QVERIFY(!combo.HasValueCode());
}

void TestUiEntry::codeSelectionFiresNoChange()
{
    Form form;
    QVERIFY(form.showInside(form.combo));
    // The operator is in the list, yet a selection by code is no choice of his.
    form.combo->SelectIndex(1);
    form.combo->setCurrentIndex(2);
    QCOMPARE(form.events.take(), QStringList{"OnItemIndexChange"});
    QVERIFY(form.combo->isEditing());
    // The next check sees the index set directly.
    form.combo->SelectIndex(2);
    QCOMPARE(form.events.take(), QStringList{"OnItemIndexChange"});
}

void TestUiEntry::pickListMouseChoice()
{
    Form form;
    form.combo->SelectIndex(0);
    QVERIFY(form.showWatching(form.combo));
    form.combo->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});

    QTest::mouseClick(form.combo, Qt::LeftButton);
    QAbstractItemView *view = form.combo->view();
    QTRY_VERIFY(view->isVisible());
    QCOMPARE(form.events.take(), QStringList{"OnDropDown"});
    // The popup taking and giving back the focus is no exit. The list ignores a release
    // that comes as fast as a double click after it opened; an operator is slower.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect item = view->visualRect(form.combo->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(form.combo->currentIndex(), 1);
    const QStringList got = form.events.take();
    QStringList protocol = got;
    protocol.removeAll("OnCloseUp");
    QCOMPARE(protocol, (QStringList{"OnChange", "OnItemIndexChange", "OnKRCmbUpDate"}));
    QVERIFY(got.contains("OnCloseUp"));
    QCOMPARE(form.combo->ValueCode(), QStringLiteral("1"));
    QVERIFY(!form.combo->isEditing());
    QCOMPARE(QApplication::focusWidget(), form.combo);

    // Leaving fires the update again, from idle.
    form.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), (QStringList{"OnKRCmbUpDate", "OnExit"}));
}

void TestUiEntry::pickListKeyChoice()
{
    Form form;
    form.combo->SelectIndex(0);
    QVERIFY(form.showInside(form.combo));
    QTest::keyClick(form.combo, Qt::Key_Down);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnChange", "OnItemIndexChange", "OnKRCmbUpDate"}));
    QCOMPARE(form.combo->currentIndex(), 1);
    // Idle now: the next key starts a new entry first.
    QTest::keyClick(form.combo, Qt::Key_Down);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnEnter", "OnChange", "OnItemIndexChange",
                                         "OnKRCmbUpDate"}));
    QCOMPARE(form.combo->ValueCode(), QStringLiteral("4"));
    // Enter ends editing with an update, as in an edit box.
    QTest::keyClick(form.combo, Qt::Key_Return);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKRCmbUpDate"}));
}

void TestUiEntry::pickListFocusNotBlue()
{
    Form form;
    QVERIFY(form.show());
    form.combo->setFocus(Qt::TabFocusReason);
    QVERIFY(form.combo->isEditing());
    QCOMPARE(form.combo->textColour(), kBlack);
    QCOMPARE(buttonTextColour(form.combo), kBlack);
}

void TestUiEntry::editableBehavesLikeEdit()
{
    Form form;
    form.combo->setEditable(true);
    form.combo->SelectIndex(0);
    QVERIFY(form.showWatching(form.combo));
    form.combo->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.combo->textColour(), kBlue);

    QTest::keyClick(form.combo, Qt::Key_End);
    QTest::keyClick(form.combo, Qt::Key_X);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKeyDown", "OnKeyPress:x", "OnChange"}));
    QCOMPARE(form.combo->currentText(), QStringLiteral("Pulse outputx"));
    QCOMPARE(form.combo->count(), 3);
    QCOMPARE(form.combo->textColour(), kBlue);

    QTest::keyClick(form.combo, Qt::Key_Return);
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnKRCmbUpDate"}));
    QCOMPARE(form.combo->count(), 3); // typed text never becomes an entry
    QCOMPARE(form.combo->textColour(), kBlack);

    // A click into the edit field while idle starts an entry.
    QTest::mouseClick(form.combo->lineEdit(), Qt::LeftButton);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.combo->textColour(), kBlue);

    form.other->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), (QStringList{"OnKRCmbUpDate", "OnExit"}));
    QCOMPARE(form.combo->lineEdit()->cursorPosition(), 0);
}

void TestUiEntry::illegalChoiceSwitchAndBack()
{
    Form form;
    form.combo->SelectIndex(1);
    QVERIFY(form.showWatching(form.combo));

    // A code no entry stands for: no selection, an editable list showing a text.
    form.combo->SelectIndex(-1);
    form.combo->setEditable(true);
    form.combo->setEditText("Illegal Choice");
    QCOMPARE(form.events.take(), QStringList{"OnItemIndexChange"});
    QCOMPARE(form.combo->currentIndex(), -1);
    QCOMPARE(form.combo->currentText(), QStringLiteral("Illegal Choice"));
    QVERIFY(!form.combo->HasValueCode());

    // The change handler makes it a pick list again when the operator chooses.
    QObject::connect(form.combo, &TKRComboBox::OnChange, [&form] {
        if (form.combo->currentIndex() >= 0)
            form.combo->setEditable(false);
    });
    form.combo->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.events.take(), QStringList{"OnEnter"});
    QCOMPARE(form.combo->textColour(), kBlue);
    QTest::keyClick(form.combo, Qt::Key_Down);
    QCOMPARE(form.combo->currentIndex(), 0);
    QVERIFY(!form.combo->isEditable());
    QCOMPARE(form.events.take(), (QStringList{"OnKeyDown", "OnChange", "OnItemIndexChange", "OnKRCmbUpDate"}));
    QCOMPARE(form.combo->textColour(), kBlack);
    QCOMPARE(form.combo->ValueCode(), QStringLiteral("0"));

    // And once more illegal, then legal by code.
    form.combo->SelectIndex(-1);
    form.combo->setEditable(true);
    form.combo->setEditText("Illegal Choice");
    form.combo->setEditable(false);
    form.combo->SelectIndex(2);
    QCOMPARE(form.combo->currentText(), QStringLiteral("Limit switch"));
    QCOMPARE(form.events.take(), (QStringList{"OnItemIndexChange", "OnItemIndexChange"}));
}

void TestUiEntry::wheelOverUnfocusedListChangesNothing()
{
    Form form;
    QVERIFY(form.show());
    form.combo->SelectIndex(0);
    form.other->setFocus(Qt::TabFocusReason);
    EventLog events;
    events.watch(form.combo);
    const QPoint centre = form.combo->rect().center();
    QWheelEvent wheel(centre, form.combo->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.combo, &wheel);
    QCOMPARE(form.combo->currentIndex(), 0);
    QCOMPARE(events.take(), QStringList());

    // With the focus the wheel chooses like the arrow keys.
    form.combo->setFocus(Qt::TabFocusReason);
    events.take();
    QWheelEvent wheel2(centre, form.combo->mapToGlobal(centre), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form.combo, &wheel2);
    QCOMPARE(form.combo->currentIndex(), 1);
    QCOMPARE(events.take(), (QStringList{"OnChange", "OnItemIndexChange", "OnKRCmbUpDate"}));
}

void TestUiEntry::comboSimModeColours()
{
    Form form;
    form.combo->setEditable(true);
    QVERIFY(form.show());
    form.combo->setKRSimMode(true);
    QCOMPARE(form.combo->textColour(), kRed);
    QCOMPARE(buttonTextColour(form.combo), kRed);
    // The edit field shows the same colour.
    QCOMPARE(form.combo->lineEdit()->palette().color(QPalette::Active, QPalette::Text), kRed);
    form.combo->setFocus(Qt::TabFocusReason);
    QCOMPARE(form.combo->textColour(), kBlue);
    form.combo->setKRSimMode(true);
    QCOMPARE(form.combo->textColour(), kBlue);
    QTest::keyClick(form.combo, Qt::Key_Return);
    QCOMPARE(form.combo->textColour(), kRed);
    form.combo->setKRSimMode(false);
    QCOMPARE(form.combo->textColour(), kBlack);
}

QTEST_MAIN(TestUiEntry)
#include "tst_ui_entry.moc"
