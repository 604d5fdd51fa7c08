#include "Platform/Foundation/DispatchWorkerPool.h"

#include "Platform/Foundation/SharedInstance.h"

#include <chrono>
#include <thread>
#include <utility>

namespace Foundation {

namespace {
constexpr std::size_t maximumThreads = 64;
constexpr std::chrono::seconds idleLifetime {10};
} // namespace

DispatchWorkerPool& DispatchWorkerPool::shared()
{
    // Never destroyed: detached workers may still wait on it while the process exits.
    static SharedInstance<DispatchWorkerPool> pool([](void* storage) { new (storage) DispatchWorkerPool; });
    return pool.get();
}

void DispatchWorkerPool::submit(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ < tasks_.size() && threads_ < maximumThreads) {
        ++threads_;
        std::thread([this] { work(); }).detach();
    }
    available_.notify_one();
}

void DispatchWorkerPool::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        const bool got = available_.wait_for(lock, idleLifetime, [this] { return !tasks_.empty(); });
        --idle_;
        if (!got) {
            --threads_;
            return;
        }
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
}

} // namespace Foundation
