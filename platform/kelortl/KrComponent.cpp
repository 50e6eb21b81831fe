#include "KrComponent.h"

TKrComponent::TKrComponent(TKrComponent *owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TKrComponent::~TKrComponent()
{
    DestroyComponents();
    if (m_owner)
        m_owner->RemoveComponent(this);
}

bool TKrComponent::GetInterface(const TGUID &, void **obj)
{
    if (obj)
        *obj = nullptr;
    return false;
}

TKrComponent *TKrComponent::Component(int index) const
{
    return (index >= 0 && index < m_components.size()) ? m_components.at(index) : nullptr;
}

void TKrComponent::InsertComponent(TKrComponent *c)
{
    if (!c || c == this || c->m_owner == this)
        return;
    if (c->m_owner)
        c->m_owner->RemoveComponent(c);
    c->m_owner = this;
    m_components.append(c);
}

void TKrComponent::RemoveComponent(TKrComponent *c)
{
    if (!c || c->m_owner != this)
        return;
    m_components.removeOne(c);
    c->m_owner = nullptr;
}

void TKrComponent::DestroyComponents()
{
    while (!m_components.isEmpty()) {
        TKrComponent *c = m_components.takeLast();
        c->m_owner = nullptr;
        delete c->AsObject();
    }
}

void TKrComponent::SetName(const QString &name)
{
    m_name = name;
    if (QObject *o = AsObject())
        o->setObjectName(name);
}

TKrComponent *TKrComponent::TopOwner()
{
    TKrComponent *c = this;
    while (c->m_owner)
        c = c->m_owner;
    return c;
}

TKrComponent *KrComponentOf(QObject *o)
{
    return o ? qobject_cast<TKrComponent *>(o) : nullptr;
}

TKrComponent *KrComponentOf(const QObject *o)
{
    return KrComponentOf(const_cast<QObject *>(o));
}
