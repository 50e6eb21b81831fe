#pragma once
// Tab page "Config" of the main window: the eight configuration registers E1 to E8 as
// raw texts (E1, E2, E5 real numbers; E3, E4, E6, E7, E8 six hexadecimal digits, E4
// read only), the buttons that load and save the register set from and to a file, and
// the reset button.
//
// The page content is the dockable panel pnCon1 in its home container pnCon2.
// Every named control is registered with the session's control registry.

#include "RegisterHistory.h"
#include "ui_ConTabU.h"

#include <QWidget>

class KR715Session;
class RegisterEditor;

class ConTab : public QWidget {
    Q_OBJECT
public:
    explicit ConTab(KR715Session &session, QWidget *parent = nullptr);

    Ui::ConTab ui;

    // The register model; connects the register edits, the undo buttons of the
    // main window (found by name) and the reset button.
    void setEditor(RegisterEditor *editor);

    // Register edits: while the device does not answer, a changed register is spread
    // over the setting controls at once (code registers only with all six digits).
    void edConE1Change();
    void edConE2Change();
    void edConE3Change();
    void edConE5Change();
    void edConE6Change();
    void edConE7Change();
    void edConE8Change();
    // Any key in a code register edit: its digits are checked when the edit ends.
    void edConE3KeyDown();
    void edConE6KeyDown();
    void edConE7KeyDown();
    void edConE8KeyDown();

    // "Undo" steps to the next newer register set, "Redo" to the next older one.
    void bbConUndoClick();
    void bbConRedoClick();
    // Clears a device fault (Error3 := 255); only while the device answers.
    void btnConResetClick();

    // Saves the register set with a setup description (edited in the configuration
    // memo) to a configuration file. The node address (E8 digits 5 and 6) is not
    // stored: it belongs to the device, not to the setup.
    void bbConSaveE1_8Click();
    // Loads the register set of a configuration file into the register edits, from
    // where the poll writes it to the device; E8 gets the node address of the device
    // now selected.
    void bbConLoadE1_8Click();

private:
    enum class ConfigFileUse { Save, Load };
    // The file dialog of a save or a load, on configuration files in the data folder:
    // the chosen path, or nothing when the operator cancels.
    QString chooseConfigFile(ConfigFileUse use);
    void registerChanged(int reg);
    void showSnapshot(const RegisterSnapshot &snapshot);

    KR715Session &m_session;
    RegisterEditor *m_editor = nullptr;
};
