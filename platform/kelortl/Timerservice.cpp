#include "Timerservice.h"

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct Entry {
    TKrTimerMethode method;
    int kind;
    std::unique_ptr<QTimer> timer;
};

std::vector<std::unique_ptr<Entry>> &entries()
{
    static std::vector<std::unique_ptr<Entry>> list;
    return list;
}

void RemoveEntry(Entry *e)
{
    auto &list = entries();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->get() == e) {
            // Deleting the timer from inside its own timeout is not allowed.
            QTimer *t = (*it)->timer.release();
            t->stop();
            t->deleteLater();
            list.erase(it);
            return;
        }
    }
}

Entry *FindEntry(const TKrTimerMethode &m)
{
    for (auto &e : entries())
        if (e->method == m)
            return e.get();
    return nullptr;
}

void Fire(Entry *e)
{
    if (!e->method.Alive()) {
        RemoveEntry(e);
        return;
    }
    const TKrTimerMethode method = e->method; // the entry may go while it runs
    if (e->kind == tkOnce)
        RemoveEntry(e);
    method.Call();
}

void ClearAll()
{
    auto &list = entries();
    for (auto &e : list)
        e->timer->stop();
    list.clear();
}

} // namespace

void EnableTimerMethode(double seconds, const TKrTimerMethode &method, int kind)
{
    static bool cleanupInstalled = false;
    if (!cleanupInstalled && QCoreApplication::instance()) {
        // Timers must go while the application (and its event dispatcher) exists.
        qAddPostRoutine(ClearAll);
        cleanupInstalled = true;
    }
    if (kind != tkOnce)
        kind = tkRepeated;
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const int ms = int(std::min(seconds * 1000.0, 2147483647.0));
    if (Entry *old = FindEntry(method))
        RemoveEntry(old);
    auto e = std::make_unique<Entry>(Entry{method, kind, std::make_unique<QTimer>()});
    Entry *raw = e.get();
    raw->timer->setSingleShot(kind == tkOnce);
    raw->timer->setInterval(ms);
    QObject::connect(raw->timer.get(), &QTimer::timeout, raw->timer.get(), [raw]() { Fire(raw); });
    raw->timer->start();
    entries().push_back(std::move(e));
}

void DeleteTimerMethode(const TKrTimerMethode &method)
{
    if (Entry *e = FindEntry(method))
        RemoveEntry(e);
}

bool TimerMethodeEnabled(const TKrTimerMethode &method)
{
    Entry *e = FindEntry(method);
    return e && e->method.Alive();
}
