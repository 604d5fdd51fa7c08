#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/RunLoopDriver.h"

#include <condition_variable>
#include <mutex>

namespace Foundation {

// Runs the main run loop on the system clock without any toolkit, on the thread that calls run():
// it sleeps until the next event is due or something wakes it, until stop(). For programs without
// windows. Create it on the thread that becomes the main thread.
class AERLO_FOUNDATION_EXPORT SystemRunLoopDriver final : public RunLoopDriver {
public:
    SystemRunLoopDriver();
    ~SystemRunLoopDriver() override;
    SystemRunLoopDriver(const SystemRunLoopDriver&) = delete;
    SystemRunLoopDriver& operator=(const SystemRunLoopDriver&) = delete;

    // Returns once stop() was called (from any thread, or from an event).
    void run();
    void stop();
    void wake() override;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    bool stopped_ = false;
};

} // namespace Foundation
