#pragma once
// The ownership and interface base of everything the host and the components
// hand to each other: drawing pages, symbols and child elements.
//
// An owner keeps the ordered list of the components it owns and frees them when
// it goes; a component leaves its owner's list when it is freed. Ownership is
// independent of the widget parent: a symbol owned by the page may sit on a
// floor. Interfaces are asked for by their fixed identifier with GetInterface.

#include "KrGuid.h"

#include <QList>
#include <QObject>
#include <QString>
#include <type_traits>

class TKrComponent;

class KRTL_EXPORT TKrComponent {
public:
    explicit TKrComponent(TKrComponent *owner = nullptr);
    virtual ~TKrComponent();
    TKrComponent(const TKrComponent &) = delete;
    TKrComponent &operator=(const TKrComponent &) = delete;

    // The object itself (a QObject-derived class implements this as "return this").
    virtual QObject *AsObject() = 0;

    // Asks for an interface by its identifier; on success *obj points to it.
    virtual bool GetInterface(const TGUID &iid, void **obj);

    TKrComponent *Owner() const { return m_owner; }
    int ComponentCount() const { return int(m_components.size()); }
    TKrComponent *Component(int index) const;
    QList<TKrComponent *> Components() const { return m_components; }
    int ComponentIndex(const TKrComponent *c) const { return int(m_components.indexOf(const_cast<TKrComponent *>(c))); }
    // Takes c over from its present owner (appended at the end of the list).
    void InsertComponent(TKrComponent *c);
    // Gives c up without freeing it; c has no owner afterwards.
    void RemoveComponent(TKrComponent *c);
    // Frees every owned component, last first.
    void DestroyComponents();

    QString Name() const { return m_name; }
    virtual void SetName(const QString &name);

    // The last owner up the chain (this component when it has no owner).
    TKrComponent *TopOwner();

private:
    TKrComponent *m_owner = nullptr;
    QList<TKrComponent *> m_components;
    QString m_name;
};

Q_DECLARE_INTERFACE(TKrComponent, "de.kelo.KeloRTL.TKrComponent/1")

// The component behind a QObject, or nullptr for any other object.
KRTL_EXPORT TKrComponent *KrComponentOf(QObject *o);
KRTL_EXPORT TKrComponent *KrComponentOf(const QObject *o);

// The interface I of an object (a component, or any QObject), or nullptr. I
// names its identifier in I::IID.
template <class I>
I *SupportsComponent(TKrComponent *c)
{
    void *p = nullptr;
    if (c && c->GetInterface(I::IID, &p) && p)
        return static_cast<I *>(p);
    return nullptr;
}

template <class I, class T>
I *Supports(T *o)
{
    if constexpr (std::is_base_of_v<TKrComponent, T>)
        return SupportsComponent<I>(static_cast<TKrComponent *>(o));
    else
        return SupportsComponent<I>(KrComponentOf(static_cast<QObject *>(o)));
}

// Inside GetInterface: offers interface I of this object when asked for it.
#define KR_OFFER_INTERFACE(I)                  \
    if (iid == I::IID) {                       \
        *obj = static_cast<I *>(this);         \
        return true;                           \
    }
