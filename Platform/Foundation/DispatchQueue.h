#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace Foundation {

// A point in time on the main run loop's clock: `DispatchTime::now() + 5.0`.
struct AERLO_FOUNDATION_EXPORT DispatchTime {
    double seconds = 0;

    static DispatchTime now();
    friend DispatchTime operator+(DispatchTime time, double seconds) { return {time.seconds + seconds}; }
};

// Dispatch queues. main() runs its blocks on the main run loop, in every mode, in order.
// global() runs blocks concurrently on worker threads. DispatchQueue(label) is a private serial
// queue: one block at a time, first in first out, on a worker thread. concurrent(label) runs its
// blocks concurrently, except that a barrier block runs alone, after the blocks queued before it and
// before those queued after it. sync runs the block on the calling thread once its turn comes (on
// the queue it is called from, at once). Delayed blocks follow the run loop's clock (under a manual
// driver, advancing it releases them). Destroying a private queue waits until its queued work has run;
// delayed blocks not yet due are dropped. Move-only.
class AERLO_FOUNDATION_EXPORT DispatchQueue {
public:
    using Block = std::function<void()>;

    explicit DispatchQueue(std::string label);
    static DispatchQueue concurrent(std::string label);
    static DispatchQueue& main();
    static DispatchQueue& global();

    DispatchQueue(DispatchQueue&& other) noexcept;
    DispatchQueue& operator=(DispatchQueue&& other) noexcept;
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;
    ~DispatchQueue();

    const std::string& label() const;

    void async(Block block);
    void asyncAfter(DispatchTime deadline, Block block);
    void sync(const Block& block);
    template <class Function>
    requires(!std::is_void_v<std::invoke_result_t<Function&>>) auto sync(Function&& function)
        -> std::invoke_result_t<Function&>;

    // Barrier forms: only a concurrent queue treats them differently.
    void asyncBarrier(Block block);
    void syncBarrier(const Block& block);

private:
    enum class Kind { main, global, serial, concurrent };
    struct State;

    DispatchQueue(Kind kind, std::string label);
    void runAsync(Block block, bool barrier);
    void runSync(const Block& block, bool barrier);
    void waitUntilDrained();

    std::shared_ptr<State> state_;
};

template <class Function>
requires(!std::is_void_v<std::invoke_result_t<Function&>>) auto DispatchQueue::sync(Function&& function)
    -> std::invoke_result_t<Function&>
{
    std::optional<std::invoke_result_t<Function&>> result;
    sync(Block([&] { result.emplace(function()); }));
    return std::move(*result);
}

} // namespace Foundation
