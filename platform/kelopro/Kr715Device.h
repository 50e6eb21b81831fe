#pragma once
// Simulated KR 715 flow transmitter.
//
// Configuration registers E1 to E8 in their device forms: ".MeterSize" (E1),
// ".Ti" (E2) and ".Scale" (E5) are reals; ".PiCode" (E3), ".Meternumber" (E4),
// ".Code1" (E6), ".Code2" (E7) and ".Code3" (E8) are 32-bit integers whose eight
// hexadecimal digits are numbered 1 to 8 from the left.
//
// Behaviour while not frozen:
// - instant flow follows a smooth profile around the nominal flow (the start value
//   of ".Flow"); ".Flow" is the instant flow through a first-order filter whose time
//   constant is chosen by E8 digit 1 (index digit / 2 into 0.15 s, 1.0 s, 5.0 s,
//   10.0 s); in test mode (E7 digit 5 = 8) both are the value last written to ".Flow";
// - the temperature drifts slowly around its start value; ".TCFlow" is the flow
//   compensated to 15 °C with 0.1 % per kelvin;
// - both volume counters integrate the value chosen by E7 digit 4 (1 flow, 2 TCFlow,
//   8 instant flow, anything else: no counting) per minute or per hour as E8 digit 1
//   says (odd: per hour); they hold while input 1 is on and E8 digit 4 is 2 or 3;
// - a batch (started by writing a non-zero value to ".BatchStart", or by input 1
//   switching on when E8 digit 4 is 4) clears ".Volume2" and holds ".Output2" at 1
//   until the batch value reaches ".SetPoint"; the batch value is chosen by E7 digit
//   6 (1 flow, 2 TCFlow, 3 temperature, 4 available, 5 Volume1, 8 instant flow,
//   anything else Volume2); writing 0 to ".BatchStart" stops a running batch;
// - with output 2 as limit switch (E7 digit 3 = 4) ".Output2" is 1 while the value of
//   E7 digit 6 is at or above the setpoint; as "error code equal 0" (digit 3 = 6) it
//   is 1 while the device has no fault.
// The batch, test-mode and output rules also apply to writes to a frozen device.

#include "SimDevice.h"

namespace kelopro {

class Kr715Device : public SimDevice {
public:
    static constexpr int Type = 715;

    enum Var : int {
        DeviceType = VariableTable::DeviceType,
        PrgVers = VariableTable::PrgVers,
        Error3 = VariableTable::Error3,
        MeterNumber,
        SerialNo,
        Code3,
        MeterSize,
        Ti,
        PiCode,
        Scale,
        Code1,
        Code2,
        Flow,
        Volume1,
        Volume2,
        InstantFlow,
        TCFlow,
        Temperature,
        SetPoint,
        Input1,
        Output2,
        Output3,
        Available,
        BatchStart,
        VarCount
    };

    // The variable table shared by all KR 715 devices.
    static std::shared_ptr<const VariableTable> table();

    // Configuration defaults of a KR 715 that its network file does not set.
    static constexpr qint32 DefaultCode1 = 0x00200000;  // resolution of Volume1: 2 decimals
    static constexpr qint32 DefaultCode2 = 0x00010000;  // volume counting on flow, normal mode
    static constexpr qint32 DefaultCode3 = 0x20220000;  // 1.0 s, per minute, uni/cut-off, °C, input stops counters

    explicit Kr715Device(const QString &physId);

    int node() const override;
    void setNode(int node) override;
    std::optional<quint32> serialNumber() const override;

    // Completes loading: derives the values that were not given from those that
    // were (instant flow, TCFlow) and sets the simulation's nominal values.
    // givenMask has bit i set for each variable index i given by the network file.
    void finishSetup(quint64 givenMask);

    bool testMode() const;
    bool perHour() const;
    double filterTimeConstant() const;
    bool batchRunning() const { return m_batchRunning; }

protected:
    void simulate(double lastTime, double now) override;
    SimValue readVariable(int index) const override;
    int writeVariable(int index, const SimValue &value) override;
    void faultChanged() override { updateOutputs(); }

private:
    int digit(Var reg, int position) const; // hexadecimal digit 1..8 of a code register
    double real(Var v) const { return slot(v).real; }
    double profileFlow(double t) const;
    double temperatureDrift(double t) const;
    double dataValue(int code) const;       // value chosen by a "data for" code
    void updateCompensatedFlow();
    void startBatch();
    void updateOutputs();

    double m_nominalFlow = 12.5;
    double m_temperatureBase = 20.0;
    double m_phase = 0.0;
    bool m_batchRunning = false;
};

} // namespace kelopro
