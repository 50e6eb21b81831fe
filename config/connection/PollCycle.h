#pragma once
// The polling cycle: every 50 ms tick confirms that the selected device answers and
// is a KR 715, refreshes its identification and serves one variable of a cycle of 20,
// writing it when the operator has entered a value for it, otherwise reading and
// showing it.

#include "KR715Session.h"
#include "PollSlots.h"

#include <QObject>

class DeviceLink;

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
    // Temperature-compensated flow needs a working temperature sensor: while the
    // temperature reads below -200, TCFlow shows dashes too.
    void edDataTempChange();

signals:
    // A value the cycle has just read from the device, before it is shown (slot 1 to 19).
    // For views that follow the live values without asking the device again.
    void valueRead(int slot, const QVariant &value);

private:
    void serveSlot(int slot);
    void readSlot(int slot);
    bool writeSlot(int slot);
    QString text(const char *name) const;
    void setText(const char *name, const QString &text);
    double timeDivisor() const;
    int listIndex(const char *name) const;

    KR715Session &m_session;
    bool m_temperatureFault = false;
    DeviceLink &m_link;
};
