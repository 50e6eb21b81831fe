#pragma once
// Unit Timerservice: timed calls of a component's method, on the user-interface
// thread.
//
// EnableTimerMethode(seconds, method, kind) schedules the method: kind 0 calls
// it every interval until DeleteTimerMethode, kind 2 calls it once after the
// interval (then the schedule ends by itself). Any other kind is taken as 0.
// Enabling a method that is already scheduled restarts it with the new interval
// and kind. A method of a QObject is never called after the object is gone.

#include "KrGlobal.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstring>
#include <functional>
#include <type_traits>

enum { tkRepeated = 0, tkOnce = 2 };

// A method of an object: the object and the member function, compared by both.
class KRTL_EXPORT TKrTimerMethode {
public:
    template <class T>
    TKrTimerMethode(T *object, void (T::*method)())
        : m_object(object), m_key(reinterpret_cast<const char *>(&method), qsizetype(sizeof(method))),
          m_call([object, method]() { (object->*method)(); })
    {
        if constexpr (std::is_base_of_v<QObject, T>) {
            m_guard = static_cast<QObject *>(object);
            m_guarded = true;
        }
    }
    // A method given as a function, the object it belongs to and a tag that
    // tells it from the object's other methods; guard, when given, is the
    // QObject whose end cancels the calls.
    TKrTimerMethode(const void *object, const QByteArray &tag, std::function<void()> call, QObject *guard = nullptr)
        : m_object(object), m_key(tag), m_call(std::move(call)), m_guard(guard), m_guarded(guard != nullptr)
    {
    }

    bool operator==(const TKrTimerMethode &o) const { return m_object == o.m_object && m_key == o.m_key; }
    const void *Object() const { return m_object; }
    bool Alive() const { return !m_guarded || m_guard; }
    void Call() const
    {
        if (Alive() && m_call)
            m_call();
    }

private:
    const void *m_object;
    QByteArray m_key;
    std::function<void()> m_call;
    QPointer<QObject> m_guard;
    bool m_guarded = false;
};

KRTL_EXPORT void EnableTimerMethode(double seconds, const TKrTimerMethode &method, int kind);
KRTL_EXPORT void DeleteTimerMethode(const TKrTimerMethode &method);
// Whether the method is scheduled now.
KRTL_EXPORT bool TimerMethodeEnabled(const TKrTimerMethode &method);

template <class T>
void EnableTimerMethode(double seconds, T *object, void (T::*method)(), int kind)
{
    EnableTimerMethode(seconds, TKrTimerMethode(object, method), kind);
}

template <class T>
void DeleteTimerMethode(T *object, void (T::*method)())
{
    DeleteTimerMethode(TKrTimerMethode(object, method));
}

template <class T>
bool TimerMethodeEnabled(T *object, void (T::*method)())
{
    return TimerMethodeEnabled(TKrTimerMethode(object, method));
}
