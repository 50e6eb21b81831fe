#pragma once
// The polling cycle: every 50 ms tick confirms that the selected device answers and
// is a KR 715, refreshes its identification and serves one variable of a cycle of 20,
// writing it when the operator has entered a value for it, otherwise reading and
// showing it.

#include "KR715Session.h"

#include <QObject>

class DeviceLink;

// The variables of the cycle, by slot 1 to 20.
enum PollSlot : int {
    SlotMeterSize = 1, SlotTi, SlotPiCode, SlotMeterNumber, SlotScale, SlotCode1, SlotCode2, SlotCode3,
    SlotFlow, SlotVolume1, SlotVolume2, SlotInstantFlow, SlotTCFlow, SlotTemperature, SlotSetPoint,
    SlotInput1, SlotOutput2, SlotOutput3, SlotAvailable, SlotBatchStart
};

// The device variable of a slot (".MeterSize" ... ".BatchStart").
QString pollVariable(int slot);

class PollCycle : public QObject {
    Q_OBJECT
public:
    PollCycle(KR715Session &session, DeviceLink &link, QObject *parent = nullptr);

    // One tick of ti715UpdateData.
    void ti715UpdateDataTimer();

    // Derived output values of the Data tab, refreshed after each read of outputs 2 and 3.
    void showOutput2Frequency();
    void showOutput3Values();

    // Replaces a temperature below -200 by dashes (run on every change of edDataTemp).
    void edDataTempChange();

private:
    void serveSlot(int slot);
    void readSlot(int slot);
    bool writeSlot(int slot);
    QString text(const char *name) const;
    void setText(const char *name, const QString &text);
    double timeDivisor() const;
    int listIndex(const char *name) const;

    KR715Session &m_session;
    DeviceLink &m_link;
};
