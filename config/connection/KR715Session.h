#pragma once
// The state the main window's modules share: the device, the polling cycle, the
// register history and every named control. One object, owned by the main window,
// handed to each tab module at creation.

#include "FormControls.h"
#include "RegisterHistory.h"
#include "VariableServer.h"

#include <QString>
#include <array>
#include <memory>

class TKRLanguage;
class DialogService;
class DeviceLink;
class RegisterDecoder;

// Defined with the translator (KRLanguage.h).
QString krTranslate(TKRLanguage *language, const QString &text);

enum class ExchangeState : quint8 { WritePending = 0, Reading = 1, Editing = 2 };

// The device the operator has selected.
struct DeviceState {
    QString currentPhysId;
    bool deviceAccepted = false;
    bool contact = false;
    int lastErrorCode = 0;
    QString lastErrorText;
};

class KR715Session {
public:
    static constexpr int SlotCount = 20;

    DeviceState device;
    std::unique_ptr<VariableServer> server; // created on the first device selection

    // Polling cycle: one exchange state per slot, 1 to 20 (index 0 unused).
    std::array<ExchangeState, SlotCount + 1> exchange{};
    int pollSlot = 1;
    double availableValue = 0;
    bool initialLoadPending = false;

    RegisterHistoryState history;
    // The volume unit the meter size is given in (an entry text of cmbInpUnitChoice).
    QString previousUnitName;
    bool digitKeyPressed = false;
    QString textAtEnter;
    // Folder where configuration files are saved and loaded by default (the
    // program's data directory; empty when the product has none).
    QString dataDirectory;

    FormControls controls;
    DeviceLink *link = nullptr;          // selection, error line, PhysId history
    RegisterDecoder *decoder = nullptr;  // spreads a register over its controls
    TKRLanguage *lanTrans = nullptr;
    DialogService *dialogs = nullptr;

    ExchangeState &state(int slot) { return exchange[static_cast<size_t>(slot)]; }

    // A text of the program in the operator's language; the text itself while no
    // translator is set.
    QString translate(const QString &text) const { return krTranslate(lanTrans, text); }

    void resetPolling()
    {
        exchange.fill(ExchangeState::Reading);
        availableValue = 0;
        pollSlot = 1;
    }
};
