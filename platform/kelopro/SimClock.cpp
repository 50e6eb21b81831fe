#include "SimClock.h"

#include <cmath>

namespace kelopro {

SimClock::SimClock()
{
    m_timer.start();
}

double SimClock::now() const
{
    if (m_manual)
        return m_manualNow;
    return static_cast<double>(m_timer.nsecsElapsed()) * 1e-9 + m_offset;
}

void SimClock::useManualTime(double startSeconds)
{
    m_manualNow = std::isfinite(startSeconds) ? startSeconds : 0.0;
    m_manual = true;
}

void SimClock::useMonotonicTime()
{
    if (!m_manual)
        return;
    // Continue from the manual time so that the simulation does not jump.
    m_offset = m_manualNow - static_cast<double>(m_timer.nsecsElapsed()) * 1e-9;
    m_manual = false;
}

void SimClock::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return;
    if (m_manual)
        m_manualNow += seconds;
    else
        m_offset += seconds;
}

} // namespace kelopro
