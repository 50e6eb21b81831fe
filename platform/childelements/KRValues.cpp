#include "KRValues.h"

#include "Krpropertypage.h"

// ---------------------------------------------------------------- TKRString

TKRString::TKRString(TKrComponent *owner) : TKrChild(owner) {}

void TKRString::SetValue(const QString &value)
{
    if (value == m_value)
        return;
    if (m_onChanging)
        m_onChanging(this);
    m_value = value;
    if (m_onChange)
        m_onChange(this);
    Validate();
}

void TKRString::Replace(TKrReplace &what)
{
    QString v = m_value;
    if (what.Apply(v))
        SetValue(v);
}

QList<TKrPropField> TKRString::DetailsFields() const
{
    TKrPropField f;
    f.property = "Value";
    f.caption = Name().isEmpty() ? QStringLiteral("Value") : Name();
    return {f};
}

// ---------------------------------------------------------------- TKrBoolean

TKrBoolean::TKrBoolean(TKrComponent *owner, const QString &falseCaption, const QString &trueCaption)
    : TKrChild(owner), m_falseCaption(falseCaption), m_trueCaption(trueCaption)
{
}

void TKrBoolean::SetValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    if (m_onChange)
        m_onChange(this);
    Validate();
}

void TKrBoolean::SetCaptions(const QString &falseCaption, const QString &trueCaption)
{
    m_falseCaption = falseCaption;
    m_trueCaption = trueCaption;
}

QList<TKrPropField> TKrBoolean::DetailsFields() const
{
    TKrPropField f;
    f.property = "Value";
    f.caption = Name().isEmpty() ? QStringLiteral("Value") : Name();
    f.kind = TKrPropField::Choice;
    f.choices = {m_falseCaption, m_trueCaption};
    return {f};
}

// ---------------------------------------------------------------- TKRDropdownList

TKRDropdownList::TKRDropdownList(TKrComponent *owner) : TKrChild(owner) {}

int TKRDropdownList::AddItem(const QString &text)
{
    m_items.append(text);
    return int(m_items.size()) - 1;
}

void TKRDropdownList::SetValue(int index)
{
    if (index == m_value || index < 0 || (index >= m_items.size() && !m_items.isEmpty()))
        return;
    if (m_items.isEmpty() && index != 0)
        return;
    m_value = index;
    if (m_onChange)
        m_onChange(this);
    Validate();
}

QList<TKrPropField> TKRDropdownList::DetailsFields() const
{
    TKrPropField f;
    f.property = "Value";
    f.caption = Name().isEmpty() ? QStringLiteral("Value") : Name();
    f.kind = TKrPropField::Choice;
    f.choices = m_items;
    return {f};
}
