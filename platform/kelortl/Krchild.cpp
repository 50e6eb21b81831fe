#include "Krchild.h"

#include "Krpropertypage.h"
#include "Krsymbols.h"

#include <QMetaProperty>
#include <QWidget>
#include <algorithm>

bool TKrReplace::Apply(QString &text)
{
    if (find.isEmpty() || !text.contains(find, cs))
        return false;
    const int n = int(text.count(find, cs));
    text.replace(find, replaceWith, cs);
    count += n;
    return true;
}

// ---------------------------------------------------------------- object streaming

QList<krstream::Property> KrStoredProperties(const QObject *object, int firstProperty)
{
    QList<krstream::Property> props;
    const QMetaObject *mo = object->metaObject();
    for (int i = firstProperty; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.isStored() || !p.isWritable() || !p.isReadable())
            continue;
        QVariant v = p.read(object);
        if (p.isEnumType())
            v = QVariant(v.toInt());
        if (!krstream::CanEncode(v))
            continue;
        props.append({QString::fromLatin1(p.name()), v});
    }
    return props;
}

// Converts a loaded value to the property's type when nothing is lost.
static bool Fit(const QVariant &in, int type, QVariant *out)
{
    const int from = in.typeId();
    if (from == type) {
        *out = in;
        return true;
    }
    const bool inInteger = from == QMetaType::Int || from == QMetaType::UInt || from == QMetaType::LongLong;
    switch (type) {
    case QMetaType::Int:
        if (inInteger) {
            const qint64 v = in.toLongLong();
            if (from == QMetaType::UInt)
                *out = int(in.toUInt()); // colours and flags keep their bits
            else if (v < INT_MIN || v > INT_MAX)
                return false;
            else
                *out = int(v);
            return true;
        }
        return false;
    case QMetaType::UInt:
        if (from == QMetaType::Int) {
            *out = uint(in.toInt());
            return true;
        }
        return false;
    case QMetaType::LongLong:
        if (inInteger) {
            *out = in.toLongLong();
            return true;
        }
        return false;
    case QMetaType::Double:
        if (inInteger) {
            *out = in.toDouble();
            return true;
        }
        return false;
    default:
        return false;
    }
}

int KrApplyProperties(QObject *object, int firstProperty, const QList<krstream::Property> &props)
{
    const QMetaObject *mo = object->metaObject();
    int applied = 0;
    for (const krstream::Property &p : props) {
        const QByteArray name = p.name.toLatin1();
        const int index = mo->indexOfProperty(name.constData());
        if (index < firstProperty || !p.value.isValid())
            continue;
        const QMetaProperty mp = mo->property(index);
        if (!mp.isWritable() || !mp.isStored())
            continue;
        QVariant v;
        const int type = mp.isEnumType() ? int(QMetaType::Int) : mp.metaType().id();
        if (!Fit(p.value, type, &v))
            continue;
        if (mp.write(object, v))
            ++applied;
    }
    return applied;
}

QList<TKrChild *> KrElementsOf(const TKrComponent *owner)
{
    QList<TKrChild *> list;
    if (!owner)
        return list;
    for (TKrComponent *c : owner->Components())
        if (auto *e = qobject_cast<TKrChild *>(c->AsObject()))
            list.append(e);
    return list;
}

void KrWriteObject(TKeloStream &s, QObject *object, int firstProperty, TKrComponent *elementOwner)
{
    krstream::ObjectRecord rec;
    rec.properties = KrStoredProperties(object, firstProperty);
    for (TKrChild *e : KrElementsOf(elementOwner)) {
        TSymbolStream data;
        e->SaveToStream(data);
        rec.elements.append({e->Name(), QString::fromLatin1(e->metaObject()->className()), data.Data()});
    }
    krstream::WriteObject(s, rec);
}

void KrReadObject(TKeloStream &s, QObject *object, int firstProperty, TKrComponent *elementOwner)
{
    const krstream::ObjectRecord rec = krstream::ReadObject(s);
    KrApplyProperties(object, firstProperty, rec.properties);
    if (!elementOwner)
        return;
    // Applying one element's data may create or free elements (a change handler
    // of the owner), so the target of each record is looked up afresh among the
    // elements the owner has now, less those already given data.
    QList<QPointer<TKrChild>> used;
    for (const krstream::ElementRecord &e : rec.elements) {
        TKrChild *target = nullptr;
        for (TKrChild *c : KrElementsOf(elementOwner)) {
            if (c->Name() != e.label || QString::fromLatin1(c->metaObject()->className()) != e.className)
                continue;
            const bool taken = std::any_of(used.cbegin(), used.cend(), [c](const QPointer<TKrChild> &u) { return u.data() == c; });
            if (!taken) {
                target = c;
                break;
            }
        }
        if (!target)
            continue; // an element this version does not have
        used.append(target);
        TSymbolStream data(e.data);
        // Corrupt element data leaves that element as it was.
        KrReadElement(data, target);
    }
}

bool KrReadElement(TKeloStream &s, TKrChild *element)
{
    // The element's block: where it starts and ends is all that must be sound.
    const qint64 start = s.Position();
    const TKeloStream::Block block = s.EnterBlock();
    const QByteArray bytes = s.Data().mid(start, block.end - start);
    s.LeaveBlock(block);
    if (!element)
        return false;
    TSymbolStream in(bytes);
    try {
        element->InitFromStream(in);
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- TKrChild

TKrChild::TKrChild(TKrComponent *owner) : QObject(nullptr), TKrComponent(owner) {}

TKrChild::~TKrChild()
{
    delete m_details.data();
    DestroyComponents();
}

void TKrChild::SetName(const QString &label)
{
    TKrComponent::SetName(label);
}

void TKrChild::InitFromStream(TSymbolStream &stream)
{
    // Parsed whole before anything is applied, so corrupt data changes nothing.
    KrReadObject(stream, this, TKrChild::staticMetaObject.propertyCount(), this);
}

void TKrChild::SaveToStream(TSymbolStream &stream)
{
    KrWriteObject(stream, this, TKrChild::staticMetaObject.propertyCount(), this);
}

QList<krstream::Property> TKrChild::StoredProperties() const
{
    return KrStoredProperties(this, TKrChild::staticMetaObject.propertyCount());
}

int TKrChild::ApplyProperties(const QList<krstream::Property> &props)
{
    return KrApplyProperties(this, TKrChild::staticMetaObject.propertyCount(), props);
}

QList<TKrPropField> TKrChild::DetailsFields() const
{
    QList<TKrPropField> fields;
    const QMetaObject *mo = metaObject();
    for (int i = TKrChild::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (p.isStored() && p.isWritable()) {
            TKrPropField f;
            f.property = QByteArray(p.name());
            f.caption = QString::fromLatin1(p.name());
            fields.append(f);
        }
    }
    return fields;
}

QWidget *TKrChild::CreateDetailsPage(QWidget *parent)
{
    return new TKrPropertyPage(this, DetailsFields(), [this]() { AfterDetailsEdit(); }, parent);
}

void TKrChild::AfterDetailsEdit()
{
    Validate();
    if (TKrSymbol *s = Symbol())
        s->GrundI()->AddUndo();
}

void TKrChild::ShowDetails(QWidget *parent)
{
    if (!m_details) {
        m_details = CreateDetailsPage(parent);
        if (!m_details)
            return;
    } else if (m_details->parentWidget() != parent) {
        m_details->setParent(parent);
    }
    if (parent)
        m_details->resize(parent->size().expandedTo(m_details->sizeHint()));
    m_details->show();
}

void TKrChild::HideDetails()
{
    delete m_details.data();
    m_details = nullptr;
}

void TKrChild::Validate()
{
    TKrComponent *owner = Owner();
    if (!owner)
        return;
    if (auto *e = qobject_cast<TKrChild *>(owner->AsObject()))
        e->Validate();
    else if (auto *s = KrSymbolOf(owner->AsObject())) {
        if (!s->State().testFlag(ksDestroying))
            s->Validate();
    }
}

void TKrChild::InitSymbol()
{
    for (TKrChild *e : Elements())
        e->InitSymbol();
}

void TKrChild::SetShowInTree(bool show)
{
    m_showInTree = show;
}

void TKrChild::Replace(TKrReplace &what)
{
    for (TKrChild *e : Elements())
        e->Replace(what);
}

void TKrChild::VisibleChanged(QObject *sender)
{
    for (TKrChild *e : Elements())
        e->VisibleChanged(sender);
}

void TKrChild::CollectFiles(QStringList &files)
{
    for (TKrChild *e : Elements())
        e->CollectFiles(files);
}

TKrSymbol *TKrChild::Symbol() const
{
    for (TKrComponent *c = Owner(); c; c = c->Owner()) {
        if (auto *s = KrSymbolOf(c->AsObject()))
            return s;
        if (!qobject_cast<TKrChild *>(c->AsObject()))
            return nullptr;
    }
    return nullptr;
}

QWidget *TKrChild::OwnerWidget() const
{
    return Symbol();
}

QList<TKrChild *> TKrChild::Elements() const
{
    return KrElementsOf(this);
}

TKrChild *TKrChild::FindElement(const QString &label) const
{
    for (TKrChild *e : Elements())
        if (e->Name() == label)
            return e;
    return nullptr;
}
