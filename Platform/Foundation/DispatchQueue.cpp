#include "Platform/Foundation/DispatchQueue.h"

#include "Platform/Foundation/DeadlineScheduler.h"
#include "Platform/Foundation/DispatchWorkerPool.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SharedInstance.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>

namespace Foundation {

DispatchTime DispatchTime::now() { return {RunLoop::main().clock().now()}; }

struct DispatchQueue::State : std::enable_shared_from_this<DispatchQueue::State> {
    struct Item {
        Block block; // empty for a sync item
        bool barrier = false;
        std::promise<void>* turn = nullptr; // a sync item's caller waits on it
    };

    Kind kind;
    std::string label;
    std::mutex mutex;
    std::condition_variable drained;
    std::deque<Item> pending;
    std::size_t running = 0;
    bool barrierRunning = false;

    State(Kind kind, std::string label) : kind(kind), label(std::move(label)) {}

    // The queue whose block the current thread runs (sync on it runs inline).
    static thread_local const State* current;

    struct Running {
        const State* previous;
        explicit Running(const State* state) : previous(std::exchange(current, state)) {}
        ~Running() { current = previous; }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
    };

    bool isBarrier(bool requested) const { return kind == Kind::serial || (kind == Kind::concurrent && requested); }

    bool idle() const { return pending.empty() && running == 0 && !barrierRunning; }

    void enqueue(Item item)
    {
        std::lock_guard lock(mutex);
        pending.push_back(std::move(item));
        pump();
    }

    // Starts what may run now; under the lock.
    void pump()
    {
        while (!pending.empty() && !barrierRunning) {
            const bool barrier = isBarrier(pending.front().barrier);
            if (barrier && running > 0)
                return;
            Item item = std::move(pending.front());
            pending.pop_front();
            if (barrier)
                barrierRunning = true;
            else
                ++running;
            if (item.turn) {
                item.turn->set_value();
            } else {
                DispatchWorkerPool::shared().submit(
                    [self = shared_from_this(), block = std::move(item.block), barrier]() mutable {
                        {
                            Running scope(self.get());
                            auto run = std::move(block);
                            run();
                        }
                        self->finish(barrier);
                    });
            }
            if (barrier)
                return;
        }
    }

    void finish(bool barrier)
    {
        std::lock_guard lock(mutex);
        if (barrier)
            barrierRunning = false;
        else
            --running;
        pump();
        if (idle())
            drained.notify_all();
    }

    void sync(const Block& block, bool requestedBarrier)
    {
        if (current == this) {
            block();
            return;
        }
        const bool barrier = isBarrier(requestedBarrier);
        std::promise<void> turn;
        auto started = turn.get_future();
        enqueue(Item {{}, requestedBarrier, &turn});
        started.wait();
        struct Finish {
            State* state;
            bool barrier;
            ~Finish() { state->finish(barrier); }
        } finish {this, barrier};
        Running scope(this);
        block();
    }
};

thread_local const DispatchQueue::State* DispatchQueue::State::current = nullptr;

DispatchQueue::DispatchQueue(Kind kind, std::string label) : state_(std::make_shared<State>(kind, std::move(label))) {}

DispatchQueue::DispatchQueue(std::string label) : DispatchQueue(Kind::serial, std::move(label)) {}

DispatchQueue DispatchQueue::concurrent(std::string label) { return DispatchQueue(Kind::concurrent, std::move(label)); }

DispatchQueue& DispatchQueue::main()
{
    static SharedInstance<DispatchQueue> queue(
        [](void* storage) { new (storage) DispatchQueue(Kind::main, "com.apple.main-thread"); });
    return queue.get();
}

DispatchQueue& DispatchQueue::global()
{
    static SharedInstance<DispatchQueue> queue(
        [](void* storage) { new (storage) DispatchQueue(Kind::global, "com.apple.root.default-qos"); });
    return queue.get();
}

DispatchQueue::DispatchQueue(DispatchQueue&& other) noexcept : state_(std::move(other.state_)) {}

DispatchQueue& DispatchQueue::operator=(DispatchQueue&& other) noexcept
{
    if (this != &other) {
        waitUntilDrained();
        state_ = std::move(other.state_);
    }
    return *this;
}

DispatchQueue::~DispatchQueue() { waitUntilDrained(); }

void DispatchQueue::waitUntilDrained()
{
    if (!state_ || state_->kind == Kind::main || State::current == state_.get())
        return;
    std::unique_lock lock(state_->mutex);
    state_->drained.wait(lock, [this] { return state_->idle(); });
}

const std::string& DispatchQueue::label() const
{
    static const std::string none;
    return state_ ? state_->label : none;
}

void DispatchQueue::async(Block block) { runAsync(std::move(block), false); }

void DispatchQueue::asyncBarrier(Block block) { runAsync(std::move(block), true); }

void DispatchQueue::runAsync(Block block, bool barrier)
{
    if (!state_ || !block)
        return;
    if (state_->kind == Kind::main)
        RunLoop::main().perform(std::move(block));
    else
        state_->enqueue(State::Item {std::move(block), barrier, nullptr});
}

void DispatchQueue::asyncAfter(DispatchTime deadline, Block block)
{
    if (!state_ || !block)
        return;
    if (state_->kind == Kind::main) {
        RunLoop::main().perform(deadline.seconds, std::move(block));
        return;
    }
    DeadlineScheduler::shared().schedule(deadline.seconds,
                                         [weak = std::weak_ptr<State>(state_), block = std::move(block)]() mutable {
                                             if (auto state = weak.lock())
                                                 state->enqueue(State::Item {std::move(block), false, nullptr});
                                         });
}

void DispatchQueue::sync(const Block& block) { runSync(block, false); }

void DispatchQueue::syncBarrier(const Block& block) { runSync(block, true); }

void DispatchQueue::runSync(const Block& block, bool barrier)
{
    if (!state_ || !block)
        return;
    if (state_->kind != Kind::main) {
        state_->sync(block, barrier);
        return;
    }
    if (RunLoop::main().isMainThread()) {
        block();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    RunLoop::main().perform([&] {
        block();
        done.set_value();
    });
    finished.wait();
}

} // namespace Foundation
