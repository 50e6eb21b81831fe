#pragma once
// Watching the accesses made to automation objects, for live views of the traffic
// (a bus monitor). A server that supports it reports each member access after it
// has run, with the value as it was put or got and the server's own way of writing
// that value in its trace file, so that a watcher shows exactly the lines of the
// trace. The text is made only when a watcher asks for it (valueText()): recording
// an access costs copies of shared data, no formatting.
//
// Nothing is reported while no observer is registered: a server asks
// accessObserved() first, which costs one atomic load.

#include <QString>
#include <QVariant>
#include <functional>

namespace automation {

class AutomationObject;

// How a server writes a value in its trace.
using ValueFormatter = QString (*)(const QVariant &value);

struct Access {
    enum class Kind { Get, Put, Call };
    const AutomationObject *object = nullptr;
    Kind kind = Kind::Get;
    QString member;     // as the caller spelled it
    QVariant value;     // the value put or got; invalid for a call and for a get that failed
    bool hasValue = false; // false for a call and for a get that failed
    int outcome = 0;    // the object's error code after the access (0: no error)
    ValueFormatter formatter = nullptr; // the server's trace form; null: QVariant::toString()

    // The value in the trace's text form; empty without a value.
    QString valueText() const { return formatValue(value, hasValue, formatter); }
    static QString formatValue(const QVariant &value, bool hasValue, ValueFormatter formatter)
    {
        if (!hasValue)
            return QString();
        return formatter ? formatter(value) : value.toString();
    }
};

using AccessObserver = std::function<void(const Access &)>;

// Registers an observer; the returned id removes it again. Observers are called on the
// thread that makes the access, in the order of registration.
int addAccessObserver(AccessObserver observer);
void removeAccessObserver(int id);
// Whether any observer is registered.
bool accessObserved();
// Reports an access to every observer.
void notifyAccess(const Access &access);
// Reports an access of object that has run (or raised): its value when it has one
// (put, or a get that answered), the object's outcome after it, and the object's way
// of writing values in its trace.
void notifyAccess(const AutomationObject *object, Access::Kind kind, const QString &member, const QVariant *value,
                  int outcome, ValueFormatter formatter);

// "get", "put" or "call".
QString accessKindText(Access::Kind kind);

// A value as the server's bus trace writes it: integers in digits, reals with up to
// 17 significant digits ("12.5"), "true"/"false", "null" for the empty value, texts
// as they are with backslash, line feed and carriage return escaped, "<type>" for a
// value that has no text.
QString traceText(const QVariant &value);

} // namespace automation
