#pragma once
// Time base of a simulated network, in seconds.
//
// By default the clock follows the monotonic system clock from the moment it was
// made. Tests and benchmarks switch it to manual time, after which it stands still
// and moves only when advance() is called, so that every simulated value can be
// reproduced exactly.

#include <QElapsedTimer>

namespace kelopro {

class SimClock {
public:
    SimClock();

    // Seconds since the clock was made (or the manual time).
    double now() const;

    // Stops following the monotonic clock: the time becomes startSeconds and then
    // changes only through advance().
    void useManualTime(double startSeconds = 0.0);
    // Follows the monotonic clock again, continuing from the present time.
    void useMonotonicTime();
    bool isManual() const { return m_manual; }

    // Moves the time forward; negative or non-finite steps are ignored. Works in
    // both modes (with the monotonic clock it adds a fixed offset).
    void advance(double seconds);

private:
    QElapsedTimer m_timer;
    double m_offset = 0.0;     // added to the monotonic time
    double m_manualNow = 0.0;  // the time while manual
    bool m_manual = false;
};

} // namespace kelopro
