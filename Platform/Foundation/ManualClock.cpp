#include "Platform/Foundation/ManualClock.h"

#include <cmath>

namespace Foundation {

ManualClock::ManualClock(double wallStart, double monotonicStart)
    : monotonic_(monotonicStart), wallOffset_(wallStart - monotonicStart)
{
}

double ManualClock::now() const { return monotonic_.load(); }

double ManualClock::wallTime() const { return monotonic_.load() + wallOffset_.load(); }

void ManualClock::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return;
    double current = monotonic_.load();
    while (!monotonic_.compare_exchange_weak(current, current + seconds)) {}
}

void ManualClock::advanceTo(double time)
{
    if (!std::isfinite(time))
        return;
    double current = monotonic_.load();
    while (current < time && !monotonic_.compare_exchange_weak(current, time)) {}
}

void ManualClock::setWallTime(double seconds)
{
    if (std::isfinite(seconds))
        wallOffset_.store(seconds - monotonic_.load());
}

} // namespace Foundation
