#include "Platform/Foundation/SystemRunLoopDriver.h"

#include "Platform/Foundation/RunLoop.h"

#include <algorithm>
#include <chrono>

namespace Foundation {

SystemRunLoopDriver::SystemRunLoopDriver() { RunLoop::main().setDriver(this); }

SystemRunLoopDriver::~SystemRunLoopDriver() { RunLoop::main().setDriver(nullptr); }

void SystemRunLoopDriver::run()
{
    RunLoop& loop = RunLoop::main();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            woken_ = false;
            if (stopped_)
                return;
        }
        const double now = loop.clock().now();
        while (loop.runNextEvent(now)) {}
        std::unique_lock lock(mutex_);
        if (stopped_)
            return;
        if (woken_)
            continue;
        const auto next = loop.nextEventTime();
        const auto woke = [this] { return woken_ || stopped_; };
        if (!next) {
            changed_.wait(lock, woke);
        } else {
            const double delay = std::clamp(*next - loop.clock().now(), 0.0, 86400.0);
            changed_.wait_for(lock, std::chrono::duration<double>(delay), woke);
        }
    }
}

void SystemRunLoopDriver::stop()
{
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
}

void SystemRunLoopDriver::wake()
{
    std::lock_guard lock(mutex_);
    woken_ = true;
    changed_.notify_all();
}

} // namespace Foundation
