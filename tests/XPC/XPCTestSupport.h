#pragma once

#include "Platform/XPC/PeerConnection.h"
#include "Platform/XPC/Transport.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace XPCTest {

// What arrived, in order, with a bounded wait for more. The wait is a failure guard only.
class Log {
public:
    void add(std::string entry)
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(std::move(entry));
        changed_.notify_all();
    }

    std::vector<std::string> entries() const
    {
        std::lock_guard lock(mutex_);
        return entries_;
    }

    void clear()
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

    std::size_t size() const
    {
        std::lock_guard lock(mutex_);
        return entries_.size();
    }

    // True once at least `count` entries are in.
    bool waitFor(std::size_t count, std::chrono::milliseconds guard = std::chrono::milliseconds(2000)) const
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, guard, [&] { return entries_.size() >= count; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> entries_;
};

// A gate a handler can be held at until the test opens it.
class Gate {
public:
    void open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    bool wait(std::chrono::milliseconds guard = std::chrono::milliseconds(2000))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, guard, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// Outcomes of messages sent with both handlers: "reply:<text>", "reply:null" or "error:<code>",
// with the thread each ran on.
struct Outcomes {
    Log log;
    std::mutex mutex;
    std::vector<std::thread::id> threads;

    XPC::Transport::ReplyHandler reply(std::string tag)
    {
        return [this, tag](std::optional<std::string> text) {
            note();
            log.add(tag + " reply:" + (text ? *text : std::string("null")));
        };
    }

    XPC::Transport::ErrorHandler error(std::string tag)
    {
        return [this, tag](const XPC::Error& error) {
            note();
            log.add(tag + " error:" + std::to_string(static_cast<int>(error.code)));
        };
    }

    void note()
    {
        std::lock_guard lock(mutex);
        threads.push_back(std::this_thread::get_id());
    }
};

inline std::string errorEntry(const std::string& tag, XPC::Error::Code code)
{
    return tag + " error:" + std::to_string(static_cast<int>(code));
}

// The service the tests talk to: "echo" replies its first argument, "null" replies null, "silent"
// never replies, "close" refuses the message (the connection closes); every request is logged as
// "<sel> <args>".
inline bool echoService(XPC::PeerConnection& peer, const XPC::Request& request, Log& received)
{
    received.add(request.sel + " " + request.args.dump());
    if (request.sel == "echo")
        return peer.reply(request.id, request.args.at(0).get<std::string>());
    if (request.sel == "null")
        return peer.reply(request.id, std::nullopt);
    return request.sel != "close";
}

inline XPC::Message request(const std::string& sel, XPC::Message args = XPC::Message::array())
{
    return XPC::MessageCodec::makeRequest(sel, std::move(args));
}

} // namespace XPCTest
