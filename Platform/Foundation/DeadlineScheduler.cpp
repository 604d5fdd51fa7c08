#include "Platform/Foundation/DeadlineScheduler.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace Foundation {

DeadlineScheduler& DeadlineScheduler::shared()
{
    // Never destroyed: its detached thread may still wait on it while the process exits.
    static SharedInstance<DeadlineScheduler> scheduler([](void* storage) { new (storage) DeadlineScheduler; });
    return scheduler.get();
}

void DeadlineScheduler::schedule(double deadline, Action action)
{
    if (!action)
        return;
    if (std::isnan(deadline))
        deadline = RunLoop::main().clock().now();
    std::lock_guard lock(mutex_);
    actions_.emplace(std::make_pair(deadline, nextSequence_++), std::move(action));
    if (!driven_ && !threadStarted_) {
        threadStarted_ = true;
        std::thread([this] { work(); }).detach();
    }
    changed_.notify_all();
}

void DeadlineScheduler::reset(bool driven)
{
    std::map<std::pair<double, std::uint64_t>, Action> dropped;
    std::lock_guard lock(mutex_);
    dropped.swap(actions_);
    driven_ = driven;
    changed_.notify_all();
}

std::optional<double> DeadlineScheduler::nextDeadline() const
{
    std::lock_guard lock(mutex_);
    if (actions_.empty())
        return std::nullopt;
    return actions_.begin()->first.first;
}

bool DeadlineScheduler::runNext(double upTo)
{
    std::unique_lock lock(mutex_);
    if (actions_.empty() || actions_.begin()->first.first > upTo)
        return false;
    auto node = actions_.extract(actions_.begin());
    lock.unlock();
    node.mapped()();
    return true;
}

void DeadlineScheduler::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (driven_ || actions_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const double wait = actions_.begin()->first.first - RunLoop::main().clock().now();
        if (wait > 0) {
            changed_.wait_for(lock, std::chrono::duration<double>(std::min(wait, 60.0)));
            continue;
        }
        auto node = actions_.extract(actions_.begin());
        lock.unlock();
        node.mapped()();
        node = {};
        lock.lock();
    }
}

} // namespace Foundation
