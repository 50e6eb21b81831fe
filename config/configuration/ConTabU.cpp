#include "ConTabU.h"
#include "ConfigFileText.h"
#include "RegisterCodec.h"

#include <array>

#include "DialogService.h"
#include "KR715Session.h"
#include "KRLanguage.h"
#include "KREdit.h"
#include "MemoSaveConfigU.h"
#include "RegisterEditorU.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include "Pictures.h"

namespace {

// Configuration files: plain text, 8-bit characters, lines ended by CR LF.
//   1      [Reg values]
//   2..9   "Reg E1: " ... "Reg E8: " followed by the register text (E8: its first four
//          characters and "XX" in place of the node address)
//   10     empty
//   11     [Setup description]
//   12...  the setup description
// Lines are known by their position only; the eight-character prefix of a register
// line is skipped by count, not compared.
const QString ConfigFileFilter = QStringLiteral("Flow transmitter config (*.txt)|*.txt|(*.*)|*.*");
const QString ConfigFileExtension = QStringLiteral("*.txt");
// The setup description of a configuration file: its lines after the header.
using configfile::descriptionOf;

// The node address in edGenNodeNo (decimal) as two upper-case hexadecimal digits;
// "00" when the field holds no node address.
QString nodeAddressDigits(const KR715Session &session)
{
    int node = 0;
    if (auto *field = session.controls.get<QLineEdit>(QStringLiteral("edGenNodeNo"))) {
        bool ok = false;
        node = field->text().trimmed().toInt(&ok, 10);
        if (!ok || node < 0 || node > 0xFF)
            node = 0;
    }
    return QStringLiteral("%1").arg(node, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

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
    connect(ui.bbConSaveE1_8, &QAbstractButton::clicked, this, &ConTab::bbConSaveE1_8Click);
    connect(ui.bbConLoadE1_8, &QAbstractButton::clicked, this, &ConTab::bbConLoadE1_8Click);
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

// The configuration memo of a save or a load: its caption and buttons in the
// operator's language; the first button saves or opens.
static void captionMemo(TfrmSaveConfigMemo &memo, const KR715Session &session, const QString &firstButton)
{
    memo.setWindowTitle(session.translate(QStringLiteral("Configuration memo")));
    memo.ui.btnSaveMemo->setText(session.translate(firstButton));
    memo.ui.btnCancelSaveMemo->setText(session.translate(QStringLiteral("Cancel")));
}

QString ConTab::chooseConfigFile(ConfigFileUse use)
{
    DialogService *dialogs = m_session.dialogs;
    if (!dialogs || !m_editor)
        return QString();
    return use == ConfigFileUse::Save
        ? dialogs->getSaveFileName(window(), QString(), m_session.dataDirectory, ConfigFileFilter, ConfigFileExtension)
        : dialogs->getOpenFileName(window(), QString(), m_session.dataDirectory, ConfigFileFilter, ConfigFileExtension);
}

void ConTab::bbConSaveE1_8Click()
{
    const QString path = chooseConfigFile(ConfigFileUse::Save);
    if (path.isEmpty())
        return;
    DialogService *dialogs = m_session.dialogs;

    TfrmSaveConfigMemo memo(window());
    captionMemo(memo, m_session, QStringLiteral("Save"));
    // Saving over a configuration file keeps its description for editing. A file whose
    // description cannot be read whole is not written over: it would lose the rest.
    if (QFileInfo(path).isFile()) {
        const std::optional<QStringList> old = configfile::readFile(path);
        if (!old) {
            dialogs->warning(window(), m_session.translate(QStringLiteral(
                                           "The setup description of the file cannot be read whole; nothing is saved")));
            return;
        }
        memo.addLines(descriptionOf(*old));
    }
    if (memo.exec() != QDialog::Accepted)
        return;

    QStringList registers;
    for (int reg = 1; reg <= 8; ++reg)
        registers.append(configfile::savedText(reg, m_editor->registerText(reg))); // E8 without the node address
    const QByteArray bytes = configfile::fileBytes(registers, memo.lines());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        dialogs->warning(window(), m_session.translate(QStringLiteral("Failed to save setup to file")));
}

void ConTab::bbConLoadE1_8Click()
{
    const QString path = chooseConfigFile(ConfigFileUse::Load);
    if (path.isEmpty())
        return;
    DialogService *dialogs = m_session.dialogs;
    const std::optional<QStringList> lines = configfile::readFile(path);
    if (!lines) {
        dialogs->warning(window(), m_session.translate(QStringLiteral("Failed to load setup from file")));
        return;
    }

    TfrmSaveConfigMemo memo(window());
    captionMemo(memo, m_session, QStringLiteral("Open"));
    memo.addLines(descriptionOf(*lines));
    if (memo.exec() != QDialog::Accepted)
        return;

    // A load is all or nothing: every register line must be there and valid for its
    // register before any register, state or history entry changes.
    const std::optional<std::array<QString, 9>> loaded = configfile::loadTexts(*lines);
    if (!loaded) {
        dialogs->warning(window(), m_session.translate(QStringLiteral("Failed to load setup from file")));
        return;
    }
    std::array<QString, 9> texts = *loaded;
    // E8 without the node address of the file: the device keeps its own.
    texts[8] += nodeAddressDigits(m_session);
    for (const int reg : configfile::LoadedRegisters)
        m_editor->loadRegisterText(reg, texts[static_cast<size_t>(reg)]);
    m_editor->endLoad();
}
