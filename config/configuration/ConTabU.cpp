#include "ConTabU.h"

#include "KR715Session.h"
#include "KREdit.h"
#include "RegisterEditorU.h"

#include <QAbstractButton>
#include "Pictures.h"

ConTab::ConTab(KR715Session &session, QWidget *parent) : QWidget(parent), m_session(session)
{
    ui.setupUi(this);
    krApplyPictures(this);
    m_session.controls.addTree(this);
}

void ConTab::setEditor(RegisterEditor *editor)
{
    m_editor = editor;
    connect(ui.edConE1, &TKREdit::OnChange, this, [this] { edConE1Change(); });
    connect(ui.edConE2, &TKREdit::OnChange, this, [this] { edConE2Change(); });
    connect(ui.edConE3, &TKREdit::OnChange, this, [this] { edConE3Change(); });
    connect(ui.edConE5, &TKREdit::OnChange, this, [this] { edConE5Change(); });
    connect(ui.edConE6, &TKREdit::OnChange, this, [this] { edConE6Change(); });
    connect(ui.edConE7, &TKREdit::OnChange, this, [this] { edConE7Change(); });
    connect(ui.edConE8, &TKREdit::OnChange, this, [this] { edConE8Change(); });
    connect(ui.edConE3, &TKREdit::OnKeyDown, this, [this] { edConE3KeyDown(); });
    connect(ui.edConE6, &TKREdit::OnKeyDown, this, [this] { edConE6KeyDown(); });
    connect(ui.edConE7, &TKREdit::OnKeyDown, this, [this] { edConE7KeyDown(); });
    connect(ui.edConE8, &TKREdit::OnKeyDown, this, [this] { edConE8KeyDown(); });
    connect(ui.btnConReset, &QAbstractButton::clicked, this, &ConTab::btnConResetClick);
    if (auto *undo = m_session.controls.get<QAbstractButton>(QStringLiteral("bbConUndo")))
        connect(undo, &QAbstractButton::clicked, this, &ConTab::bbConUndoClick);
    if (auto *redo = m_session.controls.get<QAbstractButton>(QStringLiteral("bbConRedo")))
        connect(redo, &QAbstractButton::clicked, this, &ConTab::bbConRedoClick);
}

void ConTab::registerChanged(int reg)
{
    if (!m_editor || m_session.device.contact)
        return;
    const bool code = reg == 3 || reg >= 6;
    if (code && m_editor->registerText(reg).size() != 6)
        return;
    m_editor->DecodeRegister(reg);
}

void ConTab::edConE1Change() { registerChanged(1); }
void ConTab::edConE2Change() { registerChanged(2); }
void ConTab::edConE3Change() { registerChanged(3); }
void ConTab::edConE5Change() { registerChanged(5); }
void ConTab::edConE6Change() { registerChanged(6); }
void ConTab::edConE7Change() { registerChanged(7); }
void ConTab::edConE8Change() { registerChanged(8); }
void ConTab::edConE3KeyDown() { m_session.digitKeyPressed = true; }
void ConTab::edConE6KeyDown() { m_session.digitKeyPressed = true; }
void ConTab::edConE7KeyDown() { m_session.digitKeyPressed = true; }
void ConTab::edConE8KeyDown() { m_session.digitKeyPressed = true; }

void ConTab::showSnapshot(const RegisterSnapshot &snapshot)
{
    if (m_editor)
        m_editor->restoreSnapshot(snapshot);
}

void ConTab::bbConUndoClick()
{
    if (const std::optional<RegisterSnapshot> snapshot = m_session.history.undo())
        showSnapshot(*snapshot);
}

void ConTab::bbConRedoClick()
{
    if (const std::optional<RegisterSnapshot> snapshot = m_session.history.redo())
        showSnapshot(*snapshot);
}

void ConTab::btnConResetClick()
{
    if (!m_session.device.contact || !m_session.server)
        return;
    try {
        m_session.server->SelectVariable(m_session.device.currentPhysId + QStringLiteral(".Error3"));
        m_session.server->object().put(QStringLiteral("Value"), 255);
    } catch (const automation::AutomationError &) {
        // The error line shows the outcome at the next poll.
    }
}
