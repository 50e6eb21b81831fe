#include "KrFormat.h"

#include "Krpropertypage.h"

#include <QLocale>
#include <cmath>

TKrFormat::TKrFormat(TKrComponent *owner) : TKrChild(owner) {}

void TKrFormat::SetEnable(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Changed();
}

void TKrFormat::SetPrefix(const QString &p)
{
    if (p == m_prefix)
        return;
    m_prefix = p;
    Changed();
}

void TKrFormat::SetSuffix(const QString &s)
{
    if (s == m_suffix)
        return;
    m_suffix = s;
    Changed();
}

void TKrFormat::SetKind(int kind)
{
    kind = (kind >= fkGeneral && kind <= fkHex) ? kind : fkGeneral;
    if (kind == m_kind)
        return;
    m_kind = kind;
    Changed();
}

void TKrFormat::SetDecimals(int d)
{
    d = qBound(0, d, 15);
    if (d == m_decimals)
        return;
    m_decimals = d;
    Changed();
}

void TKrFormat::Changed()
{
    if (OnChange)
        OnChange(this);
    Validate();
}

QString TKrFormat::VariantToStr(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QLocale loc = QLocale::system();
    double d = 0;
    bool ok = false;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        d = loc.toDouble(text, &ok);
        if (!ok)
            d = QLocale::c().toDouble(text, &ok);
        if (!ok)
            return value.toString();
    } else if (value.typeId() == QMetaType::Bool) {
        d = value.toBool() ? 1 : 0;
        ok = true;
    } else {
        d = value.toDouble(&ok);
        if (!ok)
            return value.toString();
    }
    if (!std::isfinite(d))
        return loc.toString(d);
    switch (m_kind) {
    case fkFixed: return loc.toString(d, 'f', m_decimals);
    case fkScientific: return loc.toString(d, 'e', m_decimals);
    case fkInteger: return loc.toString(qint64(std::llround(qBound(-9.0e18, d, 9.0e18))));
    case fkHex: {
        const qint64 i = qint64(std::llround(qBound(-9.0e18, d, 9.0e18)));
        return (i < 0 ? QStringLiteral("-") : QString()) + QString::number(i < 0 ? -i : i, 16).toUpper();
    }
    default: {
        QString s = loc.toString(d, 'g', qMin(15, m_decimals + 6));
        return s;
    }
    }
}

QList<TKrPropField> TKrFormat::DetailsFields() const
{
    QList<TKrPropField> fields;
    TKrPropField f;
    f.property = "Enabled";
    f.caption = QStringLiteral("Format the value");
    fields << f;
    f.property = "Prefix";
    f.caption = QStringLiteral("Prefix");
    fields << f;
    f.property = "Suffix";
    f.caption = QStringLiteral("Suffix");
    fields << f;
    f.property = "Kind";
    f.caption = QStringLiteral("Form");
    f.kind = TKrPropField::Choice;
    f.choices = {QStringLiteral("General"), QStringLiteral("Fixed"), QStringLiteral("Scientific"), QStringLiteral("Whole number"), QStringLiteral("Hexadecimal")};
    fields << f;
    f = TKrPropField();
    f.property = "Decimals";
    f.caption = QStringLiteral("Decimals");
    f.minimum = 0;
    f.maximum = 15;
    fields << f;
    return fields;
}
