#include "KREdit.h"
#include "KRFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TKREdit::TKREdit(QWidget *parent) : EntryControl(parent)
{
    setTextColour(normalColour());
    connect(this, &QLineEdit::textChanged, this, &TKREdit::textChangedHandler);
    connect(this, &QLineEdit::cursorPositionChanged, this, &TKREdit::cursorMoved);
    connect(this, &QLineEdit::textEdited, this, [this] { m_typed = m_editing; });
}

void TKREdit::setKRSimMode(bool on)
{
    if (on == m_simMode)
        return;
    m_simMode = on;
    setTextColour(on ? simulationColour() : normalColour());
}

QColor TKREdit::textColour() const
{
    return palette().color(QPalette::Active, QPalette::Text);
}

void TKREdit::setTextColour(const QColor &colour)
{
    QPalette pal = palette();
    if (pal.color(QPalette::Active, QPalette::Text) == colour
        && pal.color(QPalette::Inactive, QPalette::Text) == colour)
        return;
    pal.setColor(QPalette::Active, QPalette::Text, colour);
    pal.setColor(QPalette::Inactive, QPalette::Text, colour);
    setPalette(pal);
}

bool TKREdit::showText(QLineEdit *edit, const QString &text)
{
    if (!edit || edit->text() == text)
        return false;
    if (auto *field = qobject_cast<TKREdit *>(edit); field && field->isBeingTyped())
        return false;
    edit->setText(text);
    return true;
}

// A field that does not have the focus shows its text from the first character, as a
// value is read: the line edit would otherwise scroll to the end of a long text.
void TKREdit::cursorMoved(int, int newPosition)
{
    if (newPosition != 0 && !hasFocus())
        setCursorPosition(0);
}

void TKREdit::updateStep(UpdateReason reason)
{
    m_lastReason = reason;
    KREditUpDate();
}

void TKREdit::KREditUpDate()
{
    setTextColour(m_simMode ? simulationColour() : normalColour());
    m_editing = false;
    m_typed = false;
    m_lastUpdateChanged = text() != m_textAtUpdate;
    m_textAtUpdate = text();
    emit OnKREditUpDate(this);
}

void TKREdit::startEditing()
{
    m_editing = true;
    m_typed = false;
    if (!isReadOnly())
        setTextColour(editingColour());
    emit OnEnter(this);
}

void TKREdit::textChangedHandler()
{
    emit OnChange(this);
    if (!m_editing)
        updateStep(UpdateReason::Program);
    if (m_editing && !isReadOnly())
        setTextColour(editingColour());
}

void TKREdit::leave()
{
    // A handler of the update may have put the focus back (after a warning, say): then
    // the field has not been left.
    if (m_entry.leave([this] { updateStep(UpdateReason::Left); }))
        emit OnExit(this);
}

void TKREdit::enterKey()
{
    setTextColour(m_simMode ? simulationColour() : normalColour());
    updateStep(UpdateReason::EnterKey);
}
