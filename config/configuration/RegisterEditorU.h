#pragma once
// The configuration registers E1 to E8 and the controls that are views of them.
//
// The registers live only as the texts of edConE1 ... edConE8. DecodeRegister spreads
// a register over its controls, EncodeRegister puts a control's setting back into the
// register text. The standard handlers shared by the setting fields and lists of the
// configuration tabs mark registers Editing while the operator works on them and
// WritePending when an entry is complete; the polling cycle does the rest.

#include "KR715Session.h"
#include "RegisterDecoder.h"

#include <QObject>

class QWidget;
class TKRComboBox;
class TKREdit;
class Out3Tab;
class Out2Tab;
class InpTab;

class RegisterEditor : public QObject, public RegisterDecoder {
    Q_OBJECT
public:
    RegisterEditor(KR715Session &session, QWidget *window, QObject *parent = nullptr);

    // The tabs whose change handlers run after a register has been decoded.
    void setTabs(Out3Tab *out3, Out2Tab *out2, InpTab *inp);

    void DecodeRegister(int reg) override;
    // A register read from the device: shown and decoded. The register is written back
    // only when decoding had to change its text (a conflict that fell back to a default
    // entry, say); a plain read never causes a write.
    void ShowRegisterRead(int reg, const QString &text) override;

    // part: E7 the digit 1 to 6; E8 1 time unit and constant, 2 direction and
    // suppression, 3 temperature unit, 4 input function. text: only for E5.
    void EncodeRegister(int reg, int part = 0, const QString &text = QString());

    // The state pattern of the list change handlers: Editing before, WritePending after,
    // only while the device answers (and not while a read is being decoded).
    void beginChange(int reg);
    void endChange(int reg);

    // Standard handlers of the setting fields and lists.
    void StandardEnter(QObject *sender);
    void StandardUpdate(QObject *sender);
    void CmbStdDropDown(QObject *sender);
    void CmbStandardExit(QObject *sender);
    void CheckRegisterDigits(int reg);

    // The manual value field of output 3 on the Data tab: shown with its "0..scale:"
    // label when output 3 takes its data from "Available", else hidden by narrowing
    // the panel to end after the "mA" label.
    void showManualOutput3();

    // The setpoint of the Data tab is writable (on white) when output 2 is "Batch
    // control" or "Limit switch" or output 3 is the PI regulator, else read only on
    // the window colour.
    void applySetpointRule();
    // The warning of a setting that conflicts with another: the translated parts,
    // one a line.
    void warnIllegalChoice(const QStringList &parts);

    // Register text and edit.
    QString registerText(int reg) const;
    TKREdit *registerEdit(int reg) const;
    void setRegisterText(int reg, const QString &text);

    // "Illegal Choice": no selection and the translated text until the user picks an entry.
    void setIllegal(TKRComboBox *list);
    static void makePickList(TKRComboBox *list);

    RegisterSnapshot currentSnapshot() const;
    // Records the current register set in the history (the caller refreshes lastRecorded).
    void RecordSnapshot();
    // Puts a snapshot into the seven register edits, E1, E2, E3, E5, E6, E7, E8 in this
    // order. The edits' change handlers run (so while offline the setting controls
    // follow); nothing is recorded and no register changes its exchange state.
    void restoreSnapshot(const RegisterSnapshot &snapshot);

    // A register text loaded from a configuration file, for E1, E2, E3, E5, E6, E7 and
    // E8 one at a time: the register is set Editing, its edit gets the text and the
    // register is set WritePending, whether or not the device answers, so that the poll
    // writes it at its next turn (at once, or once a device is selected and answers).
    // The edit's change handler runs as for any change (offline the setting controls
    // follow), but the text is no entry of the operator: no message, no digit check,
    // no recording (endLoad records the loaded set as one entry).
    // A code register text of fewer than six characters is shown but neither decoded
    // nor written: the register is set Reading, so the device's own value comes back
    // at the register's next turn. A text longer than the register edit holds is not
    // taken at all: the register keeps its text and state.
    enum class LoadResult { Loaded, Incomplete, NotTaken };
    LoadResult loadRegisterText(int reg, const QString &text);
    // Ends a load: the loaded set is recorded in the history when it differs from the
    // last recorded one, and the manual output 3 field of the Data tab follows.
    void endLoad();

private:
    void decodeE3(const QString &text);
    void decodeE6(const QString &text);
    void decodeE7(const QString &text);
    void decodeE8(const QString &text);
    void selectIndex(TKRComboBox *list, int index);
    // Shows in the list (a setting list of SettingWords) what the register text selects.
    void showChoice(const char *name, const QString &registerText);
    TKRComboBox *list(const char *name) const;
    void setDigit(int reg, int k, int value);
    void recordIfChanged();
    bool online() const { return m_session.device.contact; }

    KR715Session &m_session;
    QWidget *m_window;
    Out3Tab *m_out3 = nullptr;
    Out2Tab *m_out2 = nullptr;
    InpTab *m_inp = nullptr;
    int m_decoding = 0; // > 0 while a register read is shown and decoded
    int m_spreading = 0; // > 0 while DecodeRegister puts a register into its controls
    bool m_restoring = false; // a snapshot is being put into the register edits
};
