#pragma once
// TKRInOutFunction: turns a variable's value into a two-state state (input) and
// clicks into a state and a value to write (output).
//
// Input functions: 0 on when the value differs from OffValue, 1 on when it
// equals OnValue, 2 on when bit InputBit of the (integer) value is set, 3 on
// when the value is at least OnValue. A value that is not a number counts as 0.
// Output functions: 0 none (clicks change nothing), 1 toggle on each press,
// 2 momentary (on while pressed), 3 set on at a press, 4 set off at a press.
// The value to write is OnValue while on and OffValue while off.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class KRCE_EXPORT TKRInOutFunction : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(int InputFunction READ GetInputFunction WRITE SetInputFunction)
    Q_PROPERTY(int OutputFunction READ GetOutputFunction WRITE SetOutputFunction)
    Q_PROPERTY(double OnValue READ GetOnValue WRITE SetOnValue)
    Q_PROPERTY(double OffValue READ GetOffValue WRITE SetOffValue)
    Q_PROPERTY(int InputBit READ GetInputBit WRITE SetInputBit)

public:
    enum { ifNotOff = 0, ifEqualsOn = 1, ifBit = 2, ifAtLeastOn = 3 };
    enum { ofNone = 0, ofToggle = 1, ofMomentary = 2, ofSetOn = 3, ofSetOff = 4 };

    explicit TKRInOutFunction(TKrComponent *owner);

    // The state from a value of the variable.
    void ComputeInput(const QVariant &value);
    // The state from a press (true) or a release (false).
    void ComputeOutput(bool pressed);
    int GetState() const { return m_state; }
    // Non-zero when clicks produce output.
    int GetOutputFunction() const { return m_outputFunction; }
    QVariant GetReturnValue() const;

    void SetOnChanged(TNotifyEvent h) { m_onChanged = std::move(h); }
    void SetInputOnChanged(TNotifyEvent h) { m_inputOnChanged = std::move(h); }
    void SetOutputOnChanged(TNotifyEvent h) { m_outputOnChanged = std::move(h); }

    int GetInputFunction() const { return m_inputFunction; }
    void SetInputFunction(int f);
    void SetOutputFunction(int f);
    double GetOnValue() const { return m_onValue; }
    void SetOnValue(double v);
    double GetOffValue() const { return m_offValue; }
    void SetOffValue(double v);
    int GetInputBit() const { return m_inputBit; }
    void SetInputBit(int bit);

    QList<TKrPropField> DetailsFields() const override;

private:
    void Change(int state, const TNotifyEvent &which);
    int m_inputFunction = ifNotOff;
    int m_outputFunction = ofToggle;
    double m_onValue = 1;
    double m_offValue = 0;
    int m_inputBit = 0;
    int m_state = 0;
    TNotifyEvent m_onChanged;
    TNotifyEvent m_inputOnChanged;
    TNotifyEvent m_outputOnChanged;
};
