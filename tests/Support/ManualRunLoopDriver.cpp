#include "tests/Support/ManualRunLoopDriver.h"

#include "Platform/Foundation/DeadlineScheduler.h"

#include <cmath>

namespace Foundation {

ManualRunLoopDriver::ManualRunLoopDriver() : ownClock_(std::make_unique<ManualClock>()), clock_(*ownClock_)
{
    attach();
}

ManualRunLoopDriver::ManualRunLoopDriver(ManualClock& clock) : clock_(clock) { attach(); }

void ManualRunLoopDriver::attach()
{
    RunLoop::main().reset(clock_);
    DeadlineScheduler::shared().reset(true);
    RunLoop::main().setDriver(this);
}

ManualRunLoopDriver::~ManualRunLoopDriver()
{
    mode_.reset();
    RunLoop::main().setDriver(nullptr);
    RunLoop::main().reset(Clock::system());
    DeadlineScheduler::shared().reset(false);
}

ManualClock& ManualRunLoopDriver::clock() { return clock_; }

void ManualRunLoopDriver::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const double target = clock_.now() + seconds;
    runUntil(target);
    clock_.advanceTo(target);
}

void ManualRunLoopDriver::runUntilIdle() { runUntil(clock_.now()); }

void ManualRunLoopDriver::runUntil(double time)
{
    auto& loop = RunLoop::main();
    auto& scheduler = DeadlineScheduler::shared();
    for (;;) {
        const auto event = loop.nextEventTime();
        const auto deadline = scheduler.nextDeadline();
        const bool eventDue = event && *event <= time;
        const bool deadlineDue = deadline && *deadline <= time;
        if (!eventDue && !deadlineDue)
            return;
        // Worker-queue deadlines only hand blocks over, so they go first at equal times.
        if (deadlineDue && (!eventDue || *deadline <= *event)) {
            clock_.advanceTo(*deadline);
            scheduler.runNext(*deadline);
        } else {
            clock_.advanceTo(*event);
            loop.runNextEvent(*event);
        }
    }
}

void ManualRunLoopDriver::setMode(RunLoop::Mode mode)
{
    mode_.reset();
    if (mode != RunLoop::Mode::default_ && mode != RunLoop::Mode::common)
        mode_ = RunLoop::main().enterMode(mode);
}

void ManualRunLoopDriver::runModal(const std::function<void()>& session)
{
    {
        auto modal = RunLoop::main().enterMode(RunLoop::Mode::modal);
        if (session)
            session();
    }
    runUntilIdle();
}

} // namespace Foundation
