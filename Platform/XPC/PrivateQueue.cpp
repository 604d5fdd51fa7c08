#include "Platform/XPC/PrivateQueue.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace XPC {

struct PrivateQueue::Inner {
    using Clock = std::chrono::steady_clock;
    struct Watch {
        int fd;
        short events;
        std::uint64_t token;
        std::shared_ptr<std::function<void(short)>> ready;
    };
    struct Delayed {
        Clock::time_point due;
        std::uint64_t order;
        std::function<void()> task;
    };

    std::mutex mutex;
    std::deque<std::function<void()>> tasks;
    std::vector<Watch> watches;
    std::vector<Delayed> delayed;
    std::uint64_t nextToken = 1;
    bool stopping = false;
    Foundation::FileDescriptor wakeFd;
    std::thread thread;
    std::thread::id threadId;

    void wake() const
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeFd.get(), &one, sizeof one);
    }

    bool isWatched(std::uint64_t token)
    {
        std::lock_guard lock(mutex);
        return std::any_of(watches.begin(), watches.end(), [token](const Watch& w) { return w.token == token; });
    }

    void forget(std::uint64_t token)
    {
        std::lock_guard lock(mutex);
        std::erase_if(watches, [token](const Watch& w) { return w.token == token; });
    }

    // Moves the delayed tasks that are due to the task list; the poll time-out until the next one.
    int takeDueTasks()
    {
        if (delayed.empty())
            return -1;
        const auto now = Clock::now();
        std::sort(delayed.begin(), delayed.end(), [](const Delayed& a, const Delayed& b) {
            return a.due != b.due ? a.due < b.due : a.order < b.order;
        });
        auto due = delayed.begin();
        while (due != delayed.end() && due->due <= now)
            tasks.push_back(std::move((due++)->task));
        delayed.erase(delayed.begin(), due);
        if (delayed.empty())
            return -1;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(delayed.front().due - now).count();
        return static_cast<int>(std::clamp<long long>(wait, 1, 1000000));
    }

    static void run(const std::shared_ptr<Inner>& self)
    {
        std::vector<Watch> watched;
        std::vector<pollfd> fds;
        for (;;) {
            std::unique_lock lock(self->mutex);
            const int timeout = self->stopping ? -1 : self->takeDueTasks();
            if (!self->tasks.empty()) {
                auto task = std::move(self->tasks.front());
                self->tasks.pop_front();
                lock.unlock();
                task();
                continue;
            }
            if (self->stopping)
                return;
            watched = self->watches;
            lock.unlock();

            fds.assign(1, pollfd{self->wakeFd.get(), POLLIN, 0});
            for (const Watch& w : watched)
                fds.push_back(pollfd{w.fd, w.events, 0});
            if (::poll(fds.data(), fds.size(), timeout) <= 0)
                continue;
            if (fds[0].revents) {
                std::uint64_t count;
                [[maybe_unused]] ssize_t n = ::read(self->wakeFd.get(), &count, sizeof count);
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                const short events = fds[i].revents;
                if (!events)
                    continue;
                const Watch& w = watched[i - 1];
                if (events & POLLNVAL) {
                    self->forget(w.token); // closed behind the queue's back
                    continue;
                }
                if (self->isWatched(w.token))
                    (*w.ready)(events);
            }
            watched.clear();
        }
    }
};

PrivateQueue::PrivateQueue(std::string_view label) : inner_(std::make_shared<Inner>())
{
    inner_->wakeFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    // The thread starts by taking the lock, so it sees its id set.
    std::lock_guard lock(inner_->mutex);
    inner_->thread = std::thread(&Inner::run, inner_);
    inner_->threadId = inner_->thread.get_id();
    std::string name(label.substr(0, 15));
    pthread_setname_np(inner_->thread.native_handle(), name.c_str());
}

PrivateQueue::~PrivateQueue() { stop(); }

void PrivateQueue::stop()
{
    {
        std::lock_guard lock(inner_->mutex);
        inner_->stopping = true;
    }
    inner_->wake();
    if (!inner_->thread.joinable())
        return;
    if (isCurrent()) {
        // Stopped by one of its own tasks: the thread finishes on its own and keeps `inner_` alive.
        inner_->thread.detach();
        return;
    }
    inner_->thread.join();
}

void PrivateQueue::async(std::function<void()> task)
{
    {
        std::lock_guard lock(inner_->mutex);
        inner_->tasks.push_back(std::move(task));
    }
    inner_->wake();
}

void PrivateQueue::sync(const std::function<void()>& task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    async([&] {
        task();
        std::lock_guard lock(mutex);
        finished = true;
        done.notify_all();
    });
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
}

void PrivateQueue::drain()
{
    sync([] {});
}

bool PrivateQueue::isCurrent() const
{
    return std::this_thread::get_id() == inner_->threadId;
}

void PrivateQueue::asyncAfter(double seconds, std::function<void()> task)
{
    const auto wait = std::chrono::duration<double>(std::clamp(seconds, 0.0, 86400.0));
    {
        std::lock_guard lock(inner_->mutex);
        inner_->delayed.push_back({Inner::Clock::now() + std::chrono::duration_cast<Inner::Clock::duration>(wait),
                                   inner_->nextToken++, std::move(task)});
    }
    inner_->wake();
}

void PrivateQueue::watch(int fd, std::function<void()> ready)
{
    watch(fd, POLLIN, [ready = std::move(ready)](short) { ready(); });
}

void PrivateQueue::watch(int fd, short events, std::function<void(short occurred)> ready)
{
    {
        std::lock_guard lock(inner_->mutex);
        std::erase_if(inner_->watches, [fd](const Inner::Watch& w) { return w.fd == fd; });
        inner_->watches.push_back(
            {fd, events, inner_->nextToken++, std::make_shared<std::function<void(short)>>(std::move(ready))});
    }
    inner_->wake();
}

void PrivateQueue::unwatch(int fd)
{
    {
        std::lock_guard lock(inner_->mutex);
        std::erase_if(inner_->watches, [fd](const Inner::Watch& w) { return w.fd == fd; });
    }
    inner_->wake();
}

} // namespace XPC
