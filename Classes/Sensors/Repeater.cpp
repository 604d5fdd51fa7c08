#include "Classes/Sensors/Repeater.h"

#include "Platform/Foundation/DeadlineScheduler.h"

#include <mutex>
#include <string>

namespace Aerlo {

using Foundation::DeadlineScheduler;
using Foundation::DispatchTime;

// The timer source: its handler, schedule and suspension. Scheduled events and queued blocks hold it
// weakly, so they do nothing once the repeater has let it go.
struct Repeater::Timer : std::enable_shared_from_this<Repeater::Timer> {
    std::mutex mutex;
    Foundation::DispatchQueue queue {std::string(queueLabel)};
    std::function<void()> handler;
    double interval = 0;
    double deadline = 0;
    std::uint64_t generation = 0;
    bool suspended = true;
    bool cancelled = false;

    // Under the lock.
    void arm()
    {
        if (suspended || cancelled || interval <= 0)
            return;
        DeadlineScheduler::shared().schedule(deadline, [weak = weak_from_this(), generation = generation] {
            if (auto timer = weak.lock())
                timer->fire(generation);
        });
    }

    void fire(std::uint64_t scheduled)
    {
        std::lock_guard lock(mutex);
        if (scheduled != generation || suspended || cancelled)
            return;
        queue.async([weak = weak_from_this()] {
            auto timer = weak.lock();
            if (!timer)
                return;
            std::function<void()> run;
            {
                std::lock_guard lock(timer->mutex);
                if (timer->cancelled)
                    return;
                run = timer->handler;
            }
            if (run)
                run();
        });
        // Events missed while the clock jumped are not repeated.
        const double now = DispatchTime::now().seconds;
        do
            deadline += interval;
        while (deadline <= now);
        arm();
    }
};

Repeater::Repeater(int64_t seconds, std::function<void()> callback)
    : callback_(std::make_shared<std::function<void()>>(std::move(callback))), timer_(std::make_shared<Timer>())
{
    reset(seconds);
}

Repeater::~Repeater()
{
    {
        std::lock_guard lock(timer_->mutex);
        timer_->cancelled = true;
        timer_->handler = nullptr;
    }
    if (state_ == RepeaterState::paused) {
        resume();
        state_ = RepeaterState::running;
    }
    callback_.reset();
    timer_.reset();
}

void Repeater::reset(int64_t seconds)
{
    std::lock_guard lock(timer_->mutex);
    timer_->interval = static_cast<double>(seconds);
    timer_->deadline = DispatchTime::now().seconds + timer_->interval;
    timer_->handler = [weak = std::weak_ptr<std::function<void()>>(callback_)] {
        if (auto callback = weak.lock(); callback && *callback)
            (*callback)();
    };
    ++timer_->generation;
    timer_->arm();
}

void Repeater::resume()
{
    std::lock_guard lock(timer_->mutex);
    if (!timer_->suspended)
        return;
    timer_->suspended = false;
    state_ = RepeaterState::running;
    ++timer_->generation;
    timer_->arm();
}

void Repeater::suspend()
{
    std::lock_guard lock(timer_->mutex);
    if (timer_->suspended)
        return;
    timer_->suspended = true;
    state_ = RepeaterState::paused;
    ++timer_->generation;
}

} // namespace Aerlo
