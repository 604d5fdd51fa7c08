#include "Platform/Foundation/SystemClock.h"

#include "Platform/Foundation/SharedInstance.h"

#include <ctime>

namespace Foundation {

namespace {
double read(clockid_t id)
{
    timespec ts {};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
} // namespace

double SystemClock::now() const { return read(CLOCK_MONOTONIC); }

double SystemClock::wallTime() const { return read(CLOCK_REALTIME); }

Clock& Clock::system()
{
    // Never destroyed: detached threads and exit handlers still read it.
    static SharedInstance<SystemClock> clock;
    return clock.get();
}

} // namespace Foundation
