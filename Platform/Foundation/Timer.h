#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace Foundation {

// A one-shot or repeating timer of the main run loop. Dates are seconds on the run loop's clock
// (Clock::now). The run loop keeps a scheduled timer alive until it is invalidated; a one-shot
// timer invalidates itself after it fired. A repeating timer keeps to its schedule: when it fires
// late, the intervals it missed are skipped and the next date stays on the grid of its fire date.
class AERLO_FOUNDATION_EXPORT Timer {
public:
    using Block = std::function<void(Timer&)>;

    // Not yet scheduled; the first fire date is now + interval. Intervals not above zero become 0.1 ms.
    Timer(double interval, bool repeats, Block block);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // A new timer added to the main run loop in the default mode.
    static std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Block block);

    // Stops the timer for good and releases its block (after the block returns when it is running).
    // Any thread.
    void invalidate();
    bool isValid() const;

    double fireDate() const;
    // Moves the next firing (a repeating timer continues every interval from there).
    void setFireDate(double date);
    // The repeat interval; 0 for a one-shot timer.
    double timeInterval() const;

private:
    friend class RunLoop;

    double interval_;
    bool repeats_;
    Block block_;
    // Guarded by the main run loop's lock.
    bool valid_ = true;
    bool firing_ = false;
    bool scheduled_ = false;
    unsigned modes_ = 0;
    double anchor_; // the date set last; the schedule is anchor_ + ticks_ * interval_
    std::uint64_t ticks_ = 0;
    std::uint64_t sequence_ = 0; // order among events due at the same time
    std::uint64_t generation_ = 0; // bumped by setFireDate
};

} // namespace Foundation
