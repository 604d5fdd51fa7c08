#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace Foundation {

// The worker threads behind the global and private dispatch queues. A thread is started when a task
// finds none idle (up to a cap); a thread idle for a while ends.
class DispatchWorkerPool {
public:
    static DispatchWorkerPool& shared();
    void submit(std::function<void()> task);

private:
    DispatchWorkerPool() = default;
    void work();

    std::mutex mutex_;
    std::condition_variable available_;
    std::deque<std::function<void()>> tasks_;
    std::size_t threads_ = 0;
    std::size_t idle_ = 0;
};

} // namespace Foundation
