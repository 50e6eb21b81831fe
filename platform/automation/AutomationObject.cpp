#include "AutomationObject.h"

#include <QHash>
#include <QMutex>

namespace automation {
namespace {
struct Registry {
    QMutex mutex;
    QHash<QString, Factory> factories; // keyed by upper-case ProgID
};
Registry &registry()
{
    static Registry r;
    return r;
}
} // namespace

void registerClass(const QString &progId, Factory factory)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.factories.insert(progId.toUpper(), std::move(factory));
}

void unregisterClass(const QString &progId)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.factories.remove(progId.toUpper());
}

std::unique_ptr<AutomationObject> createObject(const QString &progId)
{
    Factory factory;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        factory = r.factories.value(progId.toUpper());
    }
    if (!factory)
        throw AutomationError(QStringLiteral("Invalid class string: no automation server is registered as \"%1\".").arg(progId));
    std::unique_ptr<AutomationObject> object;
    try {
        object = factory();
    } catch (const AutomationError &e) {
        throw AutomationError(QStringLiteral("Cannot create \"%1\": %2").arg(progId, e.text()));
    }
    if (!object)
        throw AutomationError(QStringLiteral("Cannot create \"%1\": the server returned no object.").arg(progId));
    return object;
}

} // namespace automation
