#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/FoundationExport.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace Foundation {

class RunLoopDriver;
class Timer;

// The main thread's run loop: timers in modes and main-queue blocks, on a clock. It runs where its
// driver runs it (ManualRunLoopDriver in tests, Kit::QtRunLoopDriver inside Qt's event loop).
// Events run in time order; events due at the same time run in the order they were scheduled.
// Everything but the driver side may be called from any thread.
class AERLO_FOUNDATION_EXPORT RunLoop {
public:
    // `common` stands for all three running modes: a timer added in it fires in each of them.
    enum class Mode { default_, common, modal, eventTracking };
    using Block = std::function<void()>;

    // Leaves a mode entered with enterMode when destroyed (or on leave()). Move-only.
    class ModeScope {
    public:
        ModeScope() = default;
        ModeScope(ModeScope&& other) noexcept;
        ModeScope& operator=(ModeScope&& other) noexcept;
        ModeScope(const ModeScope&) = delete;
        ModeScope& operator=(const ModeScope&) = delete;
        ~ModeScope();
        void leave();

    private:
        friend class RunLoop;
        ModeScope(RunLoop* loop, std::uint64_t id) : loop_(loop), id_(id) {}
        RunLoop* loop_ = nullptr;
        std::uint64_t id_ = 0;
    };

    static RunLoop& main();

    // Schedules the timer in the mode (a timer may be added in several modes). An invalid timer is ignored.
    void add(const std::shared_ptr<Timer>& timer, Mode mode);
    // Runs the block at the next pass, or at the deadline, in every mode (the main queue's blocks).
    void perform(Block block);
    void perform(double deadline, Block block);

    Mode currentMode() const;
    // Runs the loop in `mode` until the scope ends (the modal mode while a dialog is up).
    // Entering `common` means the default mode.
    [[nodiscard]] ModeScope enterMode(Mode mode);

    const Clock& clock() const;
    // True on the thread that installed the driver (the main thread).
    bool isMainThread() const;

    // Driver side, on the main thread.
    // The time of the earliest event that may run in the current mode (it may lie in the past).
    std::optional<double> nextEventTime() const;
    // Runs that event when it is due at or before `upTo`; false when there is none.
    bool runNextEvent(double upTo);
    void setDriver(RunLoopDriver* driver);
    // Drops every timer (they become invalid) and block, leaves every mode, and moves to `clock` (tests).
    void reset(const Clock& clock);

private:
    friend class Timer;

    struct Next {
        double time;
        std::uint64_t sequence;
        std::shared_ptr<Timer> timer; // null: the first block
    };

    RunLoop();
    Mode currentModeLocked() const;
    std::optional<Next> nextLocked() const;
    void fire(std::unique_lock<std::mutex>& lock, const std::shared_ptr<Timer>& timer);
    void leaveMode(std::uint64_t id);
    void wake();

    // Timer operations, under the loop's lock.
    void invalidate(Timer& timer);
    bool isValid(const Timer& timer) const;
    double fireDate(const Timer& timer) const;
    void setFireDate(Timer& timer, double date);

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Timer>> timers_;
    std::map<std::pair<double, std::uint64_t>, Block> blocks_;
    std::vector<std::pair<std::uint64_t, Mode>> modes_;
    std::uint64_t nextSequence_ = 0;
    std::uint64_t nextScopeId_ = 1;
    std::atomic<const Clock*> clock_;
    std::atomic<std::thread::id> mainThread_;

    std::mutex driverMutex_;
    RunLoopDriver* driver_ = nullptr;
};

} // namespace Foundation
