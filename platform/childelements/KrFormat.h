#pragma once
// TKrFormat: the display format of a value: a prefix, the value written in one
// of several forms, and a suffix.
//
// Kind 0 general (shortest form, at most Decimals+6 significant digits), 1 fixed
// with Decimals decimals, 2 scientific with Decimals decimals, 3 whole number
// (rounded), 4 hexadecimal of the whole number. Numbers use the user's decimal
// separator. A text that is no number is shown as it is; an empty or null value
// gives an empty text.

#include "ChildElementsGlobal.h"
#include "Krchild.h"

class KRCE_EXPORT TKrFormat : public TKrChild {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ GetEnable WRITE SetEnable)
    Q_PROPERTY(QString Prefix READ Prefix WRITE SetPrefix)
    Q_PROPERTY(QString Suffix READ Suffix WRITE SetSuffix)
    Q_PROPERTY(int Kind READ GetKind WRITE SetKind)
    Q_PROPERTY(int Decimals READ GetDecimals WRITE SetDecimals)

public:
    enum { fkGeneral = 0, fkFixed = 1, fkScientific = 2, fkInteger = 3, fkHex = 4 };

    explicit TKrFormat(TKrComponent *owner);

    bool GetEnable() const { return m_enabled; }
    void SetEnable(bool enabled);
    QString Prefix() const { return m_prefix; }
    void SetPrefix(const QString &p);
    QString Suffix() const { return m_suffix; }
    void SetSuffix(const QString &s);
    int GetKind() const { return m_kind; }
    void SetKind(int kind);
    int GetDecimals() const { return m_decimals; }
    void SetDecimals(int d);

    // The value in this format (without prefix and suffix).
    QString VariantToStr(const QVariant &value) const;
    // The whole display text: prefix, value, suffix.
    QString DisplayText(const QVariant &value) const { return m_prefix + VariantToStr(value) + m_suffix; }

    // Raised when any setting changes.
    TNotifyEvent OnChange;
    void SetOnChange(TNotifyEvent h) { OnChange = std::move(h); }

    QList<TKrPropField> DetailsFields() const override;

private:
    void Changed();
    bool m_enabled = false;
    QString m_prefix;
    QString m_suffix;
    int m_kind = fkGeneral;
    int m_decimals = 2;
};
