#include "Platform/Foundation/RunLoop.h"

#include "Platform/Foundation/RunLoopDriver.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/Timer.h"

#include <algorithm>
#include <cmath>

namespace Foundation {

namespace {

unsigned bit(RunLoop::Mode mode) { return 1u << static_cast<unsigned>(mode); }

bool runsIn(unsigned modes, RunLoop::Mode current)
{
    return (modes & bit(current)) != 0 || (modes & bit(RunLoop::Mode::common)) != 0;
}

double scheduledDate(double anchor, std::uint64_t ticks, double interval)
{
    return anchor + static_cast<double>(ticks) * interval;
}

} // namespace

// ModeScope

RunLoop::ModeScope::ModeScope(ModeScope&& other) noexcept : loop_(std::exchange(other.loop_, nullptr)), id_(other.id_)
{
}

RunLoop::ModeScope& RunLoop::ModeScope::operator=(ModeScope&& other) noexcept
{
    if (this != &other) {
        leave();
        loop_ = std::exchange(other.loop_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

RunLoop::ModeScope::~ModeScope() { leave(); }

void RunLoop::ModeScope::leave()
{
    if (auto* loop = std::exchange(loop_, nullptr))
        loop->leaveMode(id_);
}

// RunLoop

RunLoop::RunLoop() : clock_(&Clock::system()), mainThread_(std::this_thread::get_id()) {}

RunLoop& RunLoop::main()
{
    static SharedInstance<RunLoop> loop([](void* storage) { new (storage) RunLoop; });
    return loop.get();
}

void RunLoop::add(const std::shared_ptr<Timer>& timer, Mode mode)
{
    if (!timer)
        return;
    {
        std::lock_guard lock(mutex_);
        if (!timer->valid_)
            return;
        timer->modes_ |= bit(mode);
        if (!timer->scheduled_) {
            timer->scheduled_ = true;
            timer->sequence_ = nextSequence_++;
            timers_.push_back(timer);
        }
    }
    wake();
}

void RunLoop::perform(Block block) { perform(clock().now(), std::move(block)); }

void RunLoop::perform(double deadline, Block block)
{
    if (!block)
        return;
    if (std::isnan(deadline))
        deadline = clock().now();
    {
        std::lock_guard lock(mutex_);
        blocks_.emplace(std::make_pair(deadline, nextSequence_++), std::move(block));
    }
    wake();
}

RunLoop::Mode RunLoop::currentMode() const
{
    std::lock_guard lock(mutex_);
    return currentModeLocked();
}

RunLoop::Mode RunLoop::currentModeLocked() const { return modes_.empty() ? Mode::default_ : modes_.back().second; }

RunLoop::ModeScope RunLoop::enterMode(Mode mode)
{
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = nextScopeId_++;
        modes_.emplace_back(id, mode == Mode::common ? Mode::default_ : mode);
    }
    wake();
    return ModeScope(this, id);
}

void RunLoop::leaveMode(std::uint64_t id)
{
    {
        std::lock_guard lock(mutex_);
        std::erase_if(modes_, [id](const auto& entry) { return entry.first == id; });
    }
    wake();
}

const Clock& RunLoop::clock() const { return *clock_.load(); }

bool RunLoop::isMainThread() const { return mainThread_.load() == std::this_thread::get_id(); }

std::optional<RunLoop::Next> RunLoop::nextLocked() const
{
    std::optional<Next> next;
    if (!blocks_.empty()) {
        const auto& key = blocks_.begin()->first;
        next = Next {key.first, key.second, nullptr};
    }
    const Mode mode = currentModeLocked();
    for (const auto& timer : timers_) {
        if (!timer->valid_ || timer->firing_ || !runsIn(timer->modes_, mode))
            continue;
        const double date = scheduledDate(timer->anchor_, timer->ticks_, timer->interval_);
        if (!next || std::make_pair(date, timer->sequence_) < std::make_pair(next->time, next->sequence))
            next = Next {date, timer->sequence_, timer};
    }
    return next;
}

std::optional<double> RunLoop::nextEventTime() const
{
    std::lock_guard lock(mutex_);
    auto next = nextLocked();
    if (!next)
        return std::nullopt;
    return next->time;
}

bool RunLoop::runNextEvent(double upTo)
{
    std::unique_lock lock(mutex_);
    auto next = nextLocked();
    if (!next || next->time > upTo)
        return false;
    if (next->timer) {
        fire(lock, next->timer);
        return true;
    }
    auto node = blocks_.extract(blocks_.begin());
    lock.unlock();
    node.mapped()();
    return true;
}

void RunLoop::fire(std::unique_lock<std::mutex>& lock, const std::shared_ptr<Timer>& timer)
{
    timer->firing_ = true;
    const std::uint64_t generation = timer->generation_;
    lock.unlock();
    timer->block_(*timer);

    Timer::Block released;
    lock.lock();
    timer->firing_ = false;
    if (timer->valid_ && timer->repeats_) {
        if (timer->generation_ == generation) {
            // Next date on the grid, strictly after now: missed intervals are skipped.
            const double now = clock().now();
            std::uint64_t ticks = timer->ticks_ + 1;
            const double behind = (now - timer->anchor_) / timer->interval_;
            if (behind >= static_cast<double>(ticks))
                ticks = static_cast<std::uint64_t>(std::floor(behind)) + 1;
            while (scheduledDate(timer->anchor_, ticks, timer->interval_) <= now)
                ++ticks;
            timer->ticks_ = ticks;
        }
        timer->sequence_ = nextSequence_++;
    } else if (timer->valid_) {
        timer->valid_ = false;
        std::erase(timers_, timer);
    }
    if (!timer->valid_)
        released = std::move(timer->block_);
    lock.unlock();
}

void RunLoop::invalidate(Timer& timer)
{
    std::shared_ptr<Timer> keep;
    Timer::Block released;
    std::lock_guard lock(mutex_);
    if (!timer.valid_)
        return;
    timer.valid_ = false;
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const auto& t) { return t.get() == &timer; });
    if (it != timers_.end()) {
        keep = std::move(*it);
        timers_.erase(it);
    }
    if (!timer.firing_)
        released = std::move(timer.block_);
}

bool RunLoop::isValid(const Timer& timer) const
{
    std::lock_guard lock(mutex_);
    return timer.valid_;
}

double RunLoop::fireDate(const Timer& timer) const
{
    std::lock_guard lock(mutex_);
    return scheduledDate(timer.anchor_, timer.ticks_, timer.interval_);
}

void RunLoop::setFireDate(Timer& timer, double date)
{
    {
        std::lock_guard lock(mutex_);
        if (!timer.valid_)
            return;
        timer.anchor_ = date;
        timer.ticks_ = 0;
        timer.sequence_ = nextSequence_++;
        ++timer.generation_;
    }
    wake();
}

void RunLoop::setDriver(RunLoopDriver* driver)
{
    std::lock_guard lock(driverMutex_);
    driver_ = driver;
    if (driver)
        mainThread_ = std::this_thread::get_id();
}

void RunLoop::wake()
{
    std::lock_guard lock(driverMutex_);
    if (driver_)
        driver_->wake();
}

void RunLoop::reset(const Clock& clock)
{
    std::vector<std::shared_ptr<Timer>> timers;
    std::vector<Timer::Block> timerBlocks;
    std::map<std::pair<double, std::uint64_t>, Block> blocks;
    {
        std::lock_guard lock(mutex_);
        timers.swap(timers_);
        blocks.swap(blocks_);
        for (auto& timer : timers) {
            timer->valid_ = false;
            if (!timer->firing_)
                timerBlocks.push_back(std::move(timer->block_));
        }
        modes_.clear();
        clock_ = &clock;
    }
}

} // namespace Foundation
