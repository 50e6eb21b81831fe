#include "KRInOutFunction.h"

#include "Krpropertypage.h"

#include <QLocale>
#include <cmath>

TKRInOutFunction::TKRInOutFunction(TKrComponent *owner) : TKrChild(owner) {}

static double Number(const QVariant &v)
{
    bool ok = false;
    double d = 0;
    if (v.typeId() == QMetaType::QString) {
        d = QLocale::system().toDouble(v.toString().trimmed(), &ok);
        if (!ok)
            d = QLocale::c().toDouble(v.toString().trimmed(), &ok);
    } else {
        d = v.toDouble(&ok);
    }
    return (ok && std::isfinite(d)) ? d : 0.0;
}

void TKRInOutFunction::ComputeInput(const QVariant &value)
{
    const double v = Number(value);
    bool on = false;
    switch (m_inputFunction) {
    case ifEqualsOn: on = v == m_onValue; break;
    case ifBit: {
        const double r = std::trunc(v);
        const qint64 i = (std::fabs(r) < 9.0e18) ? qint64(r) : 0;
        on = (i >> qBound(0, m_inputBit, 62)) & 1;
        break;
    }
    case ifAtLeastOn: on = v >= m_onValue; break;
    default: on = v != m_offValue; break;
    }
    Change(on ? 1 : 0, m_inputOnChanged);
}

void TKRInOutFunction::ComputeOutput(bool pressed)
{
    int state = m_state;
    switch (m_outputFunction) {
    case ofToggle:
        if (pressed)
            state = m_state ? 0 : 1;
        break;
    case ofMomentary: state = pressed ? 1 : 0; break;
    case ofSetOn:
        if (pressed)
            state = 1;
        break;
    case ofSetOff:
        if (pressed)
            state = 0;
        break;
    default:
        return;
    }
    Change(state, m_outputOnChanged);
}

void TKRInOutFunction::Change(int state, const TNotifyEvent &which)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_onChanged)
        m_onChanged(this);
    if (which)
        which(this);
}

QVariant TKRInOutFunction::GetReturnValue() const
{
    const double v = m_state ? m_onValue : m_offValue;
    if (v == std::trunc(v) && std::fabs(v) <= 2147483647.0)
        return int(v);
    return v;
}

void TKRInOutFunction::SetInputFunction(int f)
{
    m_inputFunction = (f >= ifNotOff && f <= ifAtLeastOn) ? f : ifNotOff;
}

void TKRInOutFunction::SetOutputFunction(int f)
{
    m_outputFunction = (f >= ofNone && f <= ofSetOff) ? f : ofNone;
    Validate();
}

void TKRInOutFunction::SetOnValue(double v)
{
    if (std::isfinite(v))
        m_onValue = v;
}

void TKRInOutFunction::SetOffValue(double v)
{
    if (std::isfinite(v))
        m_offValue = v;
}

void TKRInOutFunction::SetInputBit(int bit)
{
    m_inputBit = qBound(0, bit, 31);
}

QList<TKrPropField> TKRInOutFunction::DetailsFields() const
{
    TKrPropField in;
    in.property = "InputFunction";
    in.caption = QStringLiteral("Input");
    in.kind = TKrPropField::Choice;
    in.choices = {QStringLiteral("On when not the off value"), QStringLiteral("On when the on value"), QStringLiteral("On when the bit is set"),
                  QStringLiteral("On from the on value up")};
    TKrPropField out;
    out.property = "OutputFunction";
    out.caption = QStringLiteral("Output");
    out.kind = TKrPropField::Choice;
    out.choices = {QStringLiteral("None"), QStringLiteral("Toggle"), QStringLiteral("Push button"), QStringLiteral("Set on"), QStringLiteral("Set off")};
    TKrPropField on;
    on.property = "OnValue";
    on.caption = QStringLiteral("On value");
    TKrPropField off;
    off.property = "OffValue";
    off.caption = QStringLiteral("Off value");
    TKrPropField bit;
    bit.property = "InputBit";
    bit.caption = QStringLiteral("Bit");
    bit.minimum = 0;
    bit.maximum = 31;
    return {in, out, on, off, bit};
}
