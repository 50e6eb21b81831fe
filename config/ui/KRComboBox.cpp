#include "KRComboBox.h"
#include "KREdit.h"
#include "KRFocus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

TKRComboBox::TKRComboBox(QWidget *parent) : EntryControl(parent)
{
    // Typed text never becomes a new entry: the entries are the legal choices.
    setInsertPolicy(QComboBox::NoInsert);
    // Entries added to an empty list select nothing: a list shows no choice until one is
    // made (Qt would select the first entry unless a placeholder text is set).
    setPlaceholderText(QStringLiteral(" "));
    setTextColour(TKREdit::normalColour());
    // activated is emitted for the operator's choices only (popup, keys, wheel).
    connect(this, &QComboBox::activated, this, &TKRComboBox::operatorChange);
}

TKRComboBox::~TKRComboBox()
{
    if (m_attachedLineEdit)
        m_attachedLineEdit->removeEventFilter(this);
}

void TKRComboBox::setKRSimMode(bool on)
{
    if (on == m_simMode)
        return;
    m_simMode = on;
    setTextColour(on ? TKREdit::simulationColour() : TKREdit::normalColour());
}

QColor TKRComboBox::textColour() const
{
    return palette().color(QPalette::Active, QPalette::Text);
}

void TKRComboBox::setTextColour(const QColor &colour)
{
    QPalette pal = palette();
    if (pal.color(QPalette::Active, QPalette::Text) == colour
        && pal.color(QPalette::Inactive, QPalette::Text) == colour
        && pal.color(QPalette::Active, QPalette::ButtonText) == colour
        && pal.color(QPalette::Inactive, QPalette::ButtonText) == colour)
        return;
    // A pick list shows its text in the button colour, the edit field in the text colour.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Text, colour);
        pal.setColor(group, QPalette::ButtonText, colour);
    }
    setPalette(pal);
}

void TKRComboBox::refreshValueCode(int index)
{
    if (index >= 0 && index < m_valueItems.size()) {
        m_valueCode = m_valueItems.at(index);
        m_hasValueCode = true;
    } else {
        m_valueCode.clear();
        m_hasValueCode = false;
    }
}

int TKRComboBox::SelectedIndex()
{
    const int index = currentIndex();
    if (!m_valueItems.isEmpty())
        refreshValueCode(index);
    return index;
}

void TKRComboBox::SelectIndex(int index)
{
    if (index != SelectedIndex())
        setCurrentIndex(index >= 0 && index < count() ? index : -1);
    CheckSelection();
}

void TKRComboBox::SelectValueCode(const QString &code)
{
    int position = -1;
    for (int i = 0; i < m_valueItems.size(); ++i) {
        if (m_valueItems.at(i).compare(code, Qt::CaseInsensitive) == 0) {
            position = i;
            break;
        }
    }
    SelectIndex(position);
    m_hasValueCode = SelectedIndex() >= 0;
}

void TKRComboBox::CheckSelection()
{
    const int index = SelectedIndex();
    if (index == m_lastIndex)
        return;
    m_lastIndex = index;
    emit OnItemIndexChange(this);
}

void TKRComboBox::KRCmbUpDate()
{
    setTextColour(m_simMode ? TKREdit::simulationColour() : TKREdit::normalColour());
    m_editing = false;
    emit OnKRCmbUpDate(this);
}

void TKRComboBox::startEditing()
{
    m_editing = true;
    if (isEditable())
        setTextColour(TKREdit::editingColour());
    emit OnEnter(this);
}

void TKRComboBox::operatorChange()
{
    emit OnChange(this);
    CheckSelection();
    if (!m_editing)
        return;
    // Handlers of OnChange may have switched the style; the current one decides.
    if (isEditable())
        setTextColour(TKREdit::editingColour());
    else
        KRCmbUpDate();
}

void TKRComboBox::attachLineEdit()
{
    QLineEdit *edit = lineEdit();
    if (edit == m_attachedLineEdit)
        return;
    m_attachedLineEdit = edit;
    if (!edit)
        return;
    edit->installEventFilter(this);
    // textEdited is the operator's typing; texts set by code do not emit it.
    connect(edit, &QLineEdit::textEdited, this, &TKRComboBox::operatorChange);
}

bool TKRComboBox::event(QEvent *event)
{
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
        // setEditable creates its edit field as a child before it installs it; look
        // once the event loop returns, and at every later child event.
        QMetaObject::invokeMethod(this, &TKRComboBox::attachLineEdit, Qt::QueuedConnection);
    }
    return QComboBox::event(event);
}

bool TKRComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_attachedLineEdit && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_editing && KRFocus::startsEditing(mouse->button()))
            startEditing();
    }
    return QComboBox::eventFilter(watched, event);
}

void TKRComboBox::focusInEvent(QFocusEvent *event)
{
    // The edit field of an editable list reports its mouse presses from the start.
    attachLineEdit();
    EntryControl::focusInEvent(event);
}

void TKRComboBox::leave()
{
    // A handler of the update may have put the focus back: then the list is not left.
    if (!m_entry.leave([this] { KRCmbUpDate(); }))
        return;
    emit OnExit(this);
    if (QLineEdit *edit = lineEdit())
        edit->setCursorPosition(0);
}

void TKRComboBox::keyPressEvent(QKeyEvent *event)
{
    attachLineEdit();
    EntryControl::keyPressEvent(event);
}

void TKRComboBox::enterKey()
{
    setTextColour(m_simMode ? TKREdit::simulationColour() : TKREdit::normalColour());
    KRCmbUpDate();
}

void TKRComboBox::wheelEvent(QWheelEvent *event)
{
    // Only the field being worked on follows the wheel; over any other list the wheel
    // scrolls the page instead of changing a setting by accident.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void TKRComboBox::showPopup()
{
    emit OnDropDown(this);
    QComboBox::showPopup();
}

void TKRComboBox::hidePopup()
{
    // Qt also calls this when no list is open; only a closing list is a close-up.
    const bool wasOpen = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen)
        emit OnCloseUp(this);
}
