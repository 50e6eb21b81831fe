#include "AccessObserver.h"

#include <QList>
#include <QMutex>
#include <atomic>
#include <utility>

namespace automation {
namespace {
struct Observers {
    QMutex mutex;
    QList<std::pair<int, AccessObserver>> list;
    int nextId = 1;
    std::atomic<int> count{0};
};
Observers &observers()
{
    static Observers o;
    return o;
}
} // namespace

int addAccessObserver(AccessObserver observer)
{
    Observers &o = observers();
    QMutexLocker lock(&o.mutex);
    const int id = o.nextId++;
    o.list.append({id, std::move(observer)});
    o.count.store(int(o.list.size()));
    return id;
}

void removeAccessObserver(int id)
{
    Observers &o = observers();
    QMutexLocker lock(&o.mutex);
    for (qsizetype i = 0; i < o.list.size(); ++i) {
        if (o.list.at(i).first == id) {
            o.list.removeAt(i);
            break;
        }
    }
    o.count.store(int(o.list.size()));
}

bool accessObserved()
{
    return observers().count.load(std::memory_order_relaxed) > 0;
}

void notifyAccess(const Access &access)
{
    // A copy, so that an observer may register or remove observers while it runs.
    QList<std::pair<int, AccessObserver>> list;
    {
        Observers &o = observers();
        QMutexLocker lock(&o.mutex);
        list = o.list;
    }
    for (const auto &entry : list)
        entry.second(access);
}

void notifyAccess(const AutomationObject *object, Access::Kind kind, const QString &member, const QVariant *value,
                  int outcome, ValueFormatter formatter)
{
    Access access;
    access.object = object;
    access.kind = kind;
    access.member = member;
    if (value) {
        access.value = *value;
        access.hasValue = true;
    }
    access.outcome = outcome;
    access.formatter = formatter;
    notifyAccess(access);
}

QString accessKindText(Access::Kind kind)
{
    switch (kind) {
    case Access::Kind::Get:
        return QStringLiteral("get");
    case Access::Kind::Put:
        return QStringLiteral("put");
    case Access::Kind::Call:
        return QStringLiteral("call");
    }
    return QString();
}

QString traceText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("null");
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 17);
    default:
        break;
    }
    QString text;
    if (value.typeId() == QMetaType::QString)
        text = value.toString();
    else if (value.canConvert<QString>())
        text = value.toString();
    else
        return QStringLiteral("<%1>").arg(QString::fromLatin1(value.typeName()));
    if (text.contains(QLatin1Char('\\')) || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    }
    return text;
}

} // namespace automation
