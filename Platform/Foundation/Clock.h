#pragma once

#include "Platform/Foundation/FoundationExport.h"

namespace Foundation {

// A source of time. `now` is monotonic seconds (never jumps with the wall clock);
// `wallTime` is seconds since 1970-01-01 UTC. Tests use ManualClock.
class AERLO_FOUNDATION_EXPORT Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    virtual double wallTime() const = 0;

    // The process's real clock.
    static Clock& system();
};

} // namespace Foundation
