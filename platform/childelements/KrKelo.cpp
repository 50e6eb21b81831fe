#include "KrKelo.h"

#include "AutomationObject.h"
#include "KrPhysIdPath.h"
#include "Krpropertypage.h"
#include "Krsymbols.h"

#include <QLocale>
#include <QPointer>
#include <QTimer>
#include <cmath>
#include <limits>

static const QString kProgId = QStringLiteral("KELO.PRO");

TKrKelo::TKrKelo(TKrComponent *owner) : TKrChild(owner)
{
    m_timer = new QTimer(this);
    m_timer->setInterval(m_updateTime);
    connect(m_timer, &QTimer::timeout, this, [this]() { Poll(); });
}

TKrKelo::~TKrKelo() = default;

bool TKrKelo::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrPhysIdLink)
    return TKrChild::GetInterface(iid, obj);
}

QString TKrKelo::GetPhysId() const
{
    return KrResolvePhysId(m_physId, Symbol());
}

void TKrKelo::SetPhysId(const QString &physId)
{
    if (physId == m_physId)
        return;
    m_physId = physId;
    RefreshPhysId();
    UpdateTimer();
    Validate();
}

void TKrKelo::InitFromStream(TSymbolStream &stream)
{
    // The stored settings are applied while the link is held: no events, no
    // polling and no server access until the symbol is initialised.
    m_held = true;
    // A load that no InitSymbol follows (the designer restoring an undo step in
    // place) ends the hold once control is back in the event loop.
    QTimer::singleShot(0, this, [this]() {
        if (!m_held)
            return;
        m_held = false;
        QPointer<TKrKelo> self(this);
        RefreshPhysId();
        if (self)
            UpdateTimer();
    });
    TKrChild::InitFromStream(stream);
}

bool TKrKelo::IsHeld() const
{
    if (m_held)
        return true;
    const TKrSymbol *s = Symbol();
    return s && s->State().testFlag(ksLoading);
}

void TKrKelo::RefreshPhysId()
{
    if (IsHeld())
        return;
    const QString now = GetPhysId();
    if (now == m_resolved)
        return;
    m_resolved = now;
    UpdateTimer();
    if (m_onPhysIdChanged)
        m_onPhysIdChanged(this);
}

void TKrKelo::SetEnable(bool enable)
{
    m_enabled = enable;
    UpdateTimer();
}

void TKrKelo::SetUpdateTime(int ms)
{
    m_updateTime = qBound(50, ms, 3600 * 1000);
    m_timer->setInterval(m_updateTime);
}

void TKrKelo::UpdateTimer()
{
    const bool run = m_enabled && !m_physId.isEmpty() && !IsHeld();
    if (run && !m_timer->isActive())
        m_timer->start();
    else if (!run)
        m_timer->stop();
}

bool TKrKelo::Select()
{
    const QString physId = GetPhysId();
    if (physId.isEmpty()) {
        m_errorCode = ecNoPhysId;
        m_errorString = QStringLiteral("No PhysId");
        return false;
    }
    if (!m_server) {
        try {
            m_server = automation::createObject(kProgId);
        } catch (const automation::AutomationError &e) {
            m_errorCode = ecNoServer;
            m_errorString = e.text();
            return false;
        }
    }
    try {
        m_server->put(QStringLiteral("PhysId"), physId);
        m_server->put(QStringLiteral("InformationInErrorCode"), true);
    } catch (const automation::AutomationError &e) {
        m_errorCode = ecServerCall;
        m_errorString = e.text();
        return false;
    }
    return true;
}

void TKrKelo::TakeError()
{
    try {
        m_errorCode = m_server->get(QStringLiteral("ErrorCode")).toInt() & 0xFFFF;
        m_errorString = m_server->get(QStringLiteral("ErrorString")).toString();
    } catch (const automation::AutomationError &e) {
        m_errorCode = ecServerCall;
        m_errorString = e.text();
    }
}

QVariant TKrKelo::GetValue()
{
    if (!Select())
        return QVariant();
    QVariant v;
    try {
        v = m_server->get(QStringLiteral("value"));
    } catch (const automation::AutomationError &e) {
        m_errorCode = ecServerCall;
        m_errorString = e.text();
        return QVariant();
    }
    TakeError();
    return m_errorCode == 0 ? v : QVariant();
}

QVariant TKrKelo::ToServerValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return value.toInt();
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qint64 v = value.toLongLong(&ok);
        if (ok && v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max())
            return int(v);
        return value.toDouble();
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        return std::isfinite(d) ? QVariant(d) : QVariant();
    }
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        bool ok = false;
        double d = QLocale::system().toDouble(text, &ok);
        if (!ok)
            d = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(d))
            return QVariant();
        // A whole number written as such stays an integer.
        const bool whole = !text.contains(QLocale::system().decimalPoint()) && !text.contains(QLatin1Char('.'))
            && !text.contains(QLatin1Char('e'), Qt::CaseInsensitive);
        if (whole && d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max())
            return int(d);
        return d;
    }
    default:
        return QVariant();
    }
}

void TKrKelo::SetValue(const QVariant &value)
{
    const QVariant v = ToServerValue(value);
    if (!v.isValid()) {
        m_errorCode = ecBadValue;
        m_errorString = QStringLiteral("\"%1\" is not a number").arg(value.toString());
        return;
    }
    if (!Select())
        return;
    try {
        m_server->put(QStringLiteral("value"), v);
    } catch (const automation::AutomationError &e) {
        m_errorCode = ecServerCall;
        m_errorString = e.text();
        return;
    }
    TakeError();
}

bool TKrKelo::IsErrorCodeFatal(int code) const
{
    if (code == ecOk || code == ecNoContact || code == ecBadValue)
        return false;
    return true;
}

bool TKrKelo::DoRead()
{
    if (IsHeld())
        return false;
    const QVariant v = GetValue();
    if (m_errorCode != 0) {
        ReportError();
        return false;
    }
    m_inValue = v;
    ReportSuccess();
    return true;
}

bool TKrKelo::DoWrite()
{
    if (IsHeld())
        return false;
    SetValue(m_inValue);
    if (m_errorCode != 0) {
        ReportError();
        return false;
    }
    return true;
}

void TKrKelo::ReportError()
{
    if (OnError)
        OnError(this);
}

void TKrKelo::ReportSuccess()
{
    if (m_onDataReady)
        m_onDataReady(this);
}

void TKrKelo::Poll()
{
    if (IsHeld())
        return;
    QPointer<TKrKelo> self(this);
    RefreshPhysId();
    if (!self || !m_enabled || m_physId.isEmpty())
        return;
    DoRead();
}

void TKrKelo::InitSymbol()
{
    // The symbol is ready: the PhysId as loaded is the one in use, without a
    // change notice, and polling may start.
    m_held = false;
    m_resolved = GetPhysId();
    UpdateTimer();
    TKrChild::InitSymbol();
}

void TKrKelo::Replace(TKrReplace &what)
{
    QString p = m_physId;
    if (what.Apply(p))
        SetPhysId(p);
}

QList<TKrPropField> TKrKelo::DetailsFields() const
{
    TKrPropField physId;
    physId.property = "PhysId";
    physId.caption = QStringLiteral("PhysId");
    TKrPropField time;
    time.property = "UpdateTime";
    time.caption = QStringLiteral("Update time (ms)");
    time.minimum = 50;
    time.maximum = 3600 * 1000;
    return {physId, time};
}

// ---------------------------------------------------------------- TKrKeloTimer

TKrKeloTimer::TKrKeloTimer(TKrComponent *owner) : TKrKelo(owner)
{
    SetUpdateTime(500);
}

void TKrKeloTimer::ReportError()
{
    m_lastErrorText = QStringLiteral("%1: %2 (%3)").arg(GetPhysId(), GetErrorString()).arg(GetErrorCode());
    if (QWidget *w = OwnerWidget())
        w->setToolTip(m_lastErrorText);
    TKrKelo::ReportError();
}

void TKrKeloTimer::ReportSuccess()
{
    if (!m_lastErrorText.isEmpty()) {
        if (QWidget *w = OwnerWidget())
            if (w->toolTip() == m_lastErrorText)
                w->setToolTip(QString());
        m_lastErrorText.clear();
    }
    TKrKelo::ReportSuccess();
}
