#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/FoundationExport.h"

#include <atomic>

namespace Foundation {

// A clock that moves only when told to. Both readings move together.
class AERLO_FOUNDATION_EXPORT ManualClock : public Clock {
public:
    // Wall time starts at 2025-01-01 00:00:00 UTC unless given.
    explicit ManualClock(double wallStart = 1735689600.0, double monotonicStart = 1000.0);

    double now() const override;
    double wallTime() const override;

    // Moves both readings forward; a negative or non-finite step is ignored.
    void advance(double seconds);
    // Moves both readings forward to `time` on the monotonic scale; an earlier or non-finite time is ignored.
    void advanceTo(double time);
    // Sets the wall reading alone (as when the user changes the date); `now` is untouched.
    void setWallTime(double seconds);

private:
    std::atomic<double> monotonic_;
    std::atomic<double> wallOffset_;
};

} // namespace Foundation
