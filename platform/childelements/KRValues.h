#pragma once
// Simple setting elements: a text (TKRString), a yes/no choice (TKrBoolean) and
// a choice from a fixed list (TKRDropdownList). Each reports a change of its
// value through its events; setting the value it already has reports nothing.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class KRCE_EXPORT TKRString : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(QString Value READ GetValue WRITE SetValue)

public:
    explicit TKRString(TKrComponent *owner);

    QString GetValue() const { return m_value; }
    QString Value() const { return m_value; }
    // OnChanging runs before the value changes, OnChange after.
    void SetValue(const QString &value);
    void SetOnChange(TNotifyEvent handler) { m_onChange = std::move(handler); }
    void SetOnChanging(TNotifyEvent handler) { m_onChanging = std::move(handler); }

    void Replace(TKrReplace &what) override;
    QList<TKrPropField> DetailsFields() const override;

private:
    QString m_value;
    TNotifyEvent m_onChange;
    TNotifyEvent m_onChanging;
};

class KRCE_EXPORT TKrBoolean : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(bool Value READ GetValue WRITE SetValue)

public:
    explicit TKrBoolean(TKrComponent *owner, const QString &falseCaption = QStringLiteral("No"),
                        const QString &trueCaption = QStringLiteral("Yes"));

    bool GetValue() const { return m_value; }
    void SetValue(bool value);
    void SetOnChange(TNotifyEvent handler) { m_onChange = std::move(handler); }
    void SetCaptions(const QString &falseCaption, const QString &trueCaption);
    QString FalseCaption() const { return m_falseCaption; }
    QString TrueCaption() const { return m_trueCaption; }
    // The caption of the present value.
    QString Caption() const { return m_value ? m_trueCaption : m_falseCaption; }

    QList<TKrPropField> DetailsFields() const override;

private:
    bool m_value = false;
    QString m_falseCaption;
    QString m_trueCaption;
    TNotifyEvent m_onChange;
};

class KRCE_EXPORT TKRDropdownList : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(int Value READ GetValue WRITE SetValue)

public:
    explicit TKRDropdownList(TKrComponent *owner);

    // Appends an item; returns its index.
    int AddItem(const QString &text);
    QStringList Items() const { return m_items; }
    int GetValue() const { return m_value; }
    // Selects an item by index; an index outside the items is ignored.
    void SetValue(int index);
    QString Text() const { return m_items.value(m_value); }
    void SetOnChange(TNotifyEvent handler) { m_onChange = std::move(handler); }

    QList<TKrPropField> DetailsFields() const override;

private:
    QStringList m_items;
    int m_value = 0;
    TNotifyEvent m_onChange;
};
