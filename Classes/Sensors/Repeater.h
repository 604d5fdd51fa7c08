#pragma once

#include "Platform/Foundation/DispatchQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace Aerlo {

enum class RepeaterState { paused, running };

// A repeating timer that runs a callback on a private serial queue every given number of seconds.
// The timer is made suspended: nothing fires until resume(). Times follow the main run loop's clock.
class Repeater {
public:
    static constexpr std::string_view queueLabel = "com.norvane.AerloOffline.Repeater";

    Repeater(int64_t seconds, std::function<void()> callback);
    // Cancels the timer; an event already due runs nothing.
    ~Repeater();
    Repeater(const Repeater&) = delete;
    Repeater& operator=(const Repeater&) = delete;

    // First event `seconds` from now, then every `seconds`, no leeway.
    void reset(int64_t seconds);
    // Starts or continues the timer.
    void resume();
    // Holds the timer; events due meanwhile are not queued.
    void suspend();

    RepeaterState state() const { return state_; }

private:
    struct Timer;

    std::shared_ptr<std::function<void()>> callback_;
    RepeaterState state_ = RepeaterState::paused;
    std::shared_ptr<Timer> timer_;
};

} // namespace Aerlo
