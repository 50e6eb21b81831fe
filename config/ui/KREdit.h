#pragma once
// One-line value field: blue while the operator edits, an update event when editing ends.
//
// Event protocol (all events pass the control as sender):
//  - any text change, by the operator or by the program: OnChange; then, when the field
//    is idle, the update step (so a value set by the program fires OnKREditUpDate); when
//    it is being edited and is not read-only, the text turns blue;
//  - entering (the field becomes the focused control of its window): editing starts
//    (blue unless read-only), OnEnter;
//  - leaving (another control of the window takes the focus): the update step (always),
//    OnExit. A window activating or deactivating (a modal dialog opening, another window
//    taking over) and popups (context menus) neither enter nor leave the field. When a
//    handler of the update puts the focus back into the field, OnExit is not fired;
//  - key down: OnKeyDown first. Enter/Return: colour back to normal, update step. Any
//    other key while idle: editing starts (blue unless read-only), OnEnter. The key is
//    then handled by the line edit (OnKeyPress for a key that types a character);
//  - mouse button down while idle: editing starts (blue unless read-only), OnEnter.
// The update step sets the normal colour (red in simulation mode, else black), ends
// editing and fires OnKREditUpDate.
#include <QColor>
#include <QLineEdit>

#include "KRFocus.h"

class TKREdit : public KRFocus::EntryControl<QLineEdit> {
    Q_OBJECT
    Q_PROPERTY(bool KRSimMode READ KRSimMode WRITE setKRSimMode)
public:
    explicit TKREdit(QWidget *parent = nullptr);
    bool KRSimMode() const { return m_simMode; }
    // A new value colours the text red (on) or black (off) at once.
    void setKRSimMode(bool on);
    // True between the start of an entry and its end (Enter, leaving the field).
    bool isEditing() const override { return m_editing; }
    // Current text colour (black, red or blue).
    QColor textColour() const;

    // How the last update step came about.
    enum class UpdateReason { Program, EnterKey, Left };
    UpdateReason lastUpdateReason() const { return m_lastReason; }
    // Whether the text at the last update step differed from the text at the update
    // before it (or at the start of the entry): false when the operator passed through
    // the field, or confirmed it, without changing anything.
    bool lastUpdateChangedText() const { return m_lastUpdateChanged; }
    // The operator is typing in the field: it has the focus and its text differs from
    // what it was when the entry started, by typing. The program leaves such a text alone.
    bool isBeingTyped() const { return m_editing && m_typed && hasFocus(); }

    // Puts a text the program shows into a field: nothing happens when the field already
    // shows it (no repaint, no change rules) or while the operator types in it. Works for
    // any line edit; true when the text was set.
    static bool showText(QLineEdit *edit, const QString &text);

    static QColor normalColour() { return QColor(0, 0, 0); }
    static QColor simulationColour() { return QColor(255, 0, 0); }
    static QColor editingColour() { return QColor(0, 0, 255); }

signals:
    void OnChange(QObject *sender);
    void OnKREditUpDate(QObject *sender);
    void OnEnter(QObject *sender);
    void OnExit(QObject *sender);
    // key is a Qt::Key value; emitted before the field handles the key.
    void OnKeyDown(QObject *sender, int key);
    // The character a key types, emitted before it reaches the text.
    void OnKeyPress(QObject *sender, QChar character);

protected:
    // Editing finished: normal colour, idle, OnKREditUpDate.
    virtual void KREditUpDate();
    void setTextColour(const QColor &colour);

private:
    void textChangedHandler();
    void startEditing() override;
    void leave() override;
    void keyDown(int key) override { emit OnKeyDown(this, key); }
    void keyTyped(QChar character) override { emit OnKeyPress(this, character); }
    // Enter: the normal (or simulation) colour, then the update step.
    void enterKey() override;
    void cursorMoved(int oldPosition, int newPosition);
    void updateStep(UpdateReason reason);

    bool m_editing = false;
    bool m_simMode = false;
    UpdateReason m_lastReason = UpdateReason::Program;
    bool m_lastUpdateChanged = false;
    QString m_textAtUpdate;
    bool m_typed = false;

};
