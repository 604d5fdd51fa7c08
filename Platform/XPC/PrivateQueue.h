#pragma once

#include "Platform/XPC/XPCExport.h"

#include <functional>
#include <memory>
#include <string_view>

namespace XPC {

// A serial queue on one private thread: tasks run in the order they were added, and between
// tasks the thread waits on the sockets it watches, calling their handler when they are readable
// or hung up. A connection's replies, errors and invalidation run here. Unlike a serial
// Foundation::DispatchQueue it owns its thread, so the queue is also the connection's reader.
class AERLO_XPC_EXPORT PrivateQueue {
public:
    explicit PrivateQueue(std::string_view label);
    // Stops (see stop()).
    ~PrivateQueue();
    PrivateQueue(const PrivateQueue&) = delete;
    PrivateQueue& operator=(const PrivateQueue&) = delete;

    void async(std::function<void()> task);
    // Runs the task on the queue and waits for it; runs it in place when called on the queue.
    void sync(const std::function<void()>& task);
    // Waits until every task added before the call has run.
    void drain();
    bool isCurrent() const;
    // Runs every task added so far (and those they add), then ends the thread and waits for it;
    // called on the queue itself it only asks the thread to end after the current task.
    // Nothing runs on the queue afterwards.
    void stop();

    // Runs the task on the queue once `seconds` (real time) have passed.
    void asyncAfter(double seconds, std::function<void()> task);

    // `ready` runs on the queue whenever `fd` is readable, hung up or in error, until unwatched.
    void watch(int fd, std::function<void()> ready);
    // The same for the poll `events` asked for (POLLIN, POLLOUT); `ready` gets the events that occurred.
    // Watching a descriptor again replaces its watch.
    void watch(int fd, short events, std::function<void(short occurred)> ready);
    void unwatch(int fd);

private:
    struct Inner;
    std::shared_ptr<Inner> inner_;
};

} // namespace XPC
