#pragma once

#include "Platform/Foundation/ManualClock.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/RunLoopDriver.h"

#include <functional>
#include <memory>
#include <optional>

namespace Foundation {

// Runs the main run loop on a manual clock, on the thread that calls it (tests). Creating one gives
// a fresh main run loop (no timers, no blocks, default mode) on its clock; destroying it drops what
// is left and puts the run loop back on the system clock. One at a time.
class ManualRunLoopDriver : public RunLoopDriver {
public:
    ManualRunLoopDriver(); // on a clock of its own
    explicit ManualRunLoopDriver(ManualClock& clock); // on a clock the test shares with others
    ~ManualRunLoopDriver() override;
    ManualRunLoopDriver(const ManualRunLoopDriver&) = delete;
    ManualRunLoopDriver& operator=(const ManualRunLoopDriver&) = delete;

    ManualClock& clock();

    // Runs, in time order, every timer and block due up to now + seconds (and releases the delayed
    // blocks of worker queues), moving the clock to each event's time as it runs; then moves the
    // clock to now + seconds. A negative or non-finite step runs what is due now.
    void advance(double seconds);
    // Runs everything due now, including what that schedules for now, without moving the clock.
    void runUntilIdle();

    // Puts the loop in `mode` until the next call (default_ ends it).
    void setMode(RunLoop::Mode mode);
    // A modal session: the loop is in the modal mode while `session` runs (it may advance the clock);
    // back in the default mode, what became due meanwhile runs.
    void runModal(const std::function<void()>& session);

    void wake() override {}

private:
    void attach();
    void runUntil(double time);

    std::unique_ptr<ManualClock> ownClock_;
    ManualClock& clock_;
    std::optional<RunLoop::ModeScope> mode_;
};

} // namespace Foundation
