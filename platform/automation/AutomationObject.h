#pragma once
// Late-bound automation objects: created by ProgID, members put, got or called by
// name (compared without regard to case), values carried as QVariant.
//
// A failing member access raises AutomationError, as a dispatch call raises an
// automation exception; callers that must never raise catch it.

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>

namespace automation {

class AutomationError : public std::runtime_error {
public:
    explicit AutomationError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual void put(const QString &member, const QVariant &value) = 0;
    virtual QVariant get(const QString &member) = 0;
    virtual QVariant call(const QString &member, const QVariantList &args = {}) = 0;
};

using Factory = std::function<std::unique_ptr<AutomationObject>()>;

// Registers (or replaces) the factory of a ProgID. A factory may raise
// AutomationError to report that the object cannot be created.
void registerClass(const QString &progId, Factory factory);
void unregisterClass(const QString &progId);

// Creates an object by ProgID; an unknown ProgID or a failing factory raises
// AutomationError with a text that names the ProgID and the cause.
std::unique_ptr<AutomationObject> createObject(const QString &progId);

} // namespace automation
