#include "KeloProBus.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>

namespace kelobus {

namespace {

bool toWireValue(const QVariant &value, QVariant &out)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::QStringList:
        out = value;
        return true;
    case QMetaType::Char:
    case QMetaType::SChar:
        out = value.toInt();
        return true;
    case QMetaType::Long:
        out = value.toLongLong();
        return true;
    case QMetaType::ULong:
        out = value.toULongLong();
        return true;
    case QMetaType::Float:
        out = value.toDouble();
        return true;
    case QMetaType::QVariantList: {
        QVariantList list;
        for (const QVariant &item : value.toList()) {
            QVariant converted;
            if (!toWireValue(item, converted))
                return false;
            list.append(converted);
        }
        out = list;
        return true;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map;
        const QVariantMap in = value.toMap();
        for (auto it = in.cbegin(); it != in.cend(); ++it) {
            QVariant converted;
            if (!toWireValue(it.value(), converted))
                return false;
            map.insert(it.key(), converted);
        }
        out = map;
        return true;
    }
    default:
        return false;
    }
}

QVariant unwrap(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return unwrap(qvariant_cast<QDBusVariant>(v).variant());
    if (v.userType() != qMetaTypeId<QDBusArgument>())
        return v;
    const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
    const QString signature = arg.currentSignature();
    if (signature == QLatin1String("av")) {
        QVariantList list = qdbus_cast<QVariantList>(arg);
        for (QVariant &item : list)
            item = unwrap(item);
        return list;
    }
    if (signature == QLatin1String("a{sv}")) {
        QVariantMap map = qdbus_cast<QVariantMap>(arg);
        for (QVariant &item : map)
            item = unwrap(item);
        return map;
    }
    if (signature == QLatin1String("as"))
        return qdbus_cast<QStringList>(arg);
    if (signature == QLatin1String("ay"))
        return qdbus_cast<QByteArray>(arg);
    return v;
}

} // namespace

bool toWire(const QVariant &value, QVariantList &wire)
{
    wire.clear();
    if (!value.isValid())
        return true;
    QVariant converted;
    if (!toWireValue(value, converted))
        return false;
    wire.append(converted);
    return true;
}

QVariant fromWire(const QVariant &received)
{
    const QVariant list = unwrap(received);
    if (list.typeId() != QMetaType::QVariantList)
        return QVariant();
    const QVariantList items = list.toList();
    return items.isEmpty() ? QVariant() : items.first();
}

QVariantList listFromWire(const QVariant &received)
{
    const QVariant list = unwrap(received);
    return list.typeId() == QMetaType::QVariantList ? list.toList() : QVariantList();
}

} // namespace kelobus
