#pragma once
// Watching the accesses made to automation objects, for live views of the traffic
// (a bus monitor). A server that supports it reports each member access after it
// has run, with the text the access has in its trace file, so that a watcher shows
// exactly the lines of the trace.
//
// Nothing is formatted or reported while no observer is registered: a server asks
// accessObserved() first, which costs one atomic load.

#include <QString>
#include <functional>

namespace automation {

class AutomationObject;

struct Access {
    enum class Kind { Get, Put, Call };
    const AutomationObject *object = nullptr;
    Kind kind = Kind::Get;
    QString member;     // as the caller spelled it
    QString valueText;  // the value put or got in the trace's text form; empty for a call
    bool hasValue = false; // false for a call and for a get that failed
    int outcome = 0;    // the object's error code after the access (0: no error)
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

// "get", "put" or "call".
QString accessKindText(Access::Kind kind);

} // namespace automation
