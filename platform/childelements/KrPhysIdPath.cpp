#include "KrPhysIdPath.h"

#include "KrKelo.h"
#include "Krpropertypage.h"
#include "Krsymbols.h"

namespace {
// Reference chains can loop (two openers naming each other's floors); the
// prefix stops growing after this many steps.
thread_local int g_depth = 0;
constexpr int kMaxDepth = 16;

struct DepthGuard {
    bool ok;
    DepthGuard() : ok(++g_depth <= kMaxDepth) {}
    ~DepthGuard() { --g_depth; }
};

TKrPhysIdPath *PathElementOf(QObject *symbol)
{
    TKrSymbol *s = KrSymbolOf(symbol);
    if (!s)
        return nullptr;
    for (TKrChild *e : s->Elements())
        if (auto *p = qobject_cast<TKrPhysIdPath *>(e))
            return p;
    return nullptr;
}
} // namespace

QString KrPhysIdPrefixAbove(QObject *symbol)
{
    DepthGuard guard;
    if (!guard.ok)
        return QString();
    auto *w = qobject_cast<QWidget *>(symbol);
    for (QWidget *p = w ? w->parentWidget() : nullptr; p && KrSymbolOf(p); p = p->parentWidget())
        if (TKrPhysIdPath *path = PathElementOf(p))
            return path->GetPhysIdPath();
    return QString();
}

QString KrPhysIdPrefixOf(QObject *symbol)
{
    DepthGuard guard;
    if (!guard.ok)
        return QString();
    if (TKrPhysIdPath *path = PathElementOf(symbol))
        return path->GetPhysIdPath();
    return KrPhysIdPrefixAbove(symbol);
}

QString KrResolvePhysId(const QString &text, QObject *linkSymbol)
{
    if (!text.startsWith(QLatin1Char('.')))
        return text;
    return KrPhysIdPrefixAbove(linkSymbol) + text;
}

TKrPhysIdPath::TKrPhysIdPath(TKrComponent *owner) : TKrChild(owner) {}

bool TKrPhysIdPath::GetInterface(const TGUID &iid, void **obj)
{
    KR_OFFER_INTERFACE(IKrPhysIdUpdate)
    return TKrChild::GetInterface(iid, obj);
}

void TKrPhysIdPath::SetPath(const QString &path)
{
    if (path == m_path)
        return;
    m_path = path;
    Update(false);
    Validate();
}

void TKrPhysIdPath::SetReference(QObject *symbol)
{
    m_reference = symbol;
}

QString TKrPhysIdPath::GetPhysIdPath() const
{
    DepthGuard guard;
    if (!guard.ok)
        return m_path;
    QString base;
    if (m_reference) {
        // The opener's own path, without its containers' when it has none.
        if (TKrPhysIdPath *p = PathElementOf(m_reference.data()))
            base = (p == this) ? QString() : p->GetPhysIdPath();
        else
            base = KrPhysIdPrefixAbove(m_reference.data());
    } else if (TKrSymbol *s = Symbol()) {
        base = KrPhysIdPrefixAbove(s);
    }
    return base + m_path;
}

static void Notify(QWidget *container, bool changing)
{
    for (TKrSymbol *s : KrChildSymbols(container)) {
        for (TKrChild *e : s->Elements()) {
            if (auto *n = Supports<IKrPhysIdNotify>(static_cast<TKrComponent *>(e))) {
                if (changing)
                    n->PhysIdChanging();
                else
                    n->PhysIdChanged();
            }
        }
        Notify(s, changing);
    }
}

static void RefreshLinks(QWidget *container)
{
    for (TKrSymbol *s : KrChildSymbols(container)) {
        for (TKrChild *e : s->Elements())
            if (auto *link = Supports<IKrPhysIdLink>(static_cast<TKrComponent *>(e)))
                link->RefreshPhysId();
        RefreshLinks(s);
    }
}

void TKrPhysIdPath::Update(bool force)
{
    const QString now = GetPhysIdPath();
    if (!force && now == m_last)
        return;
    m_last = now;
    TKrSymbol *s = Symbol();
    if (!s)
        return;
    Notify(s, true);
    RefreshLinks(s);
    Notify(s, false);
}

void TKrPhysIdPath::InitSymbol()
{
    m_last = GetPhysIdPath();
    TKrChild::InitSymbol();
}

void TKrPhysIdPath::Replace(TKrReplace &what)
{
    QString p = m_path;
    if (what.Apply(p))
        SetPath(p);
}

QList<TKrPropField> TKrPhysIdPath::DetailsFields() const
{
    TKrPropField f;
    f.property = "Path";
    f.caption = QStringLiteral("Partial PhysId");
    return {f};
}
