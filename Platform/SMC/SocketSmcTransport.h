#pragma once

#include "Platform/SMC/SMCExport.h"

#include "Platform/Foundation/FileDescriptor.h"

#include "Platform/SMC/SMCTransport.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace IOKit {

// The "AppleSMC" service of the shared simulator, reached over its Unix socket (SocketSmcProtocol).
//
// Each exchange holds one connection to the simulator for its request and reply. Threads that read at
// the same time each get a connection of their own (up to maxConnections; more wait for one), so that
// a reader on a background queue and one on the main thread never take turns on one socket. A
// connection is made on first need and kept. A privileged transport presents the token next to the
// socket (or is root); otherwise the simulator refuses its writes with kIOReturnNotPrivileged.
// User-client connections are the caller's handles: each socket opens the simulator's side of a
// handle when it first carries a call for it. When a socket breaks (the simulator restarted, say)
// the next exchange on it reconnects, opens again what it carries (handles stay the same for the
// caller) and is retried once. While nobody serves the socket, exchanges fail with kIOReturnNoDevice.
class AERLO_SMC_EXPORT SocketSmcTransport : public SMCTransport {
public:
    SocketSmcTransport(std::filesystem::path socketPath, bool privileged);
    ~SocketSmcTransport() override;
    SocketSmcTransport(const SocketSmcTransport&) = delete;
    SocketSmcTransport& operator=(const SocketSmcTransport&) = delete;

    kern_return_t open(std::uint32_t type, std::uint32_t& connection) override;
    kern_return_t call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                       SMCRecord& output) override;
    kern_return_t close(std::uint32_t connection) override;

    // One control request (JSON text) and the simulator's JSON reply; nullopt when it cannot be reached.
    std::optional<std::string> control(std::string_view request);

    const std::filesystem::path& path() const { return path_; }
    // Whether the simulator granted privilege on a connection that is open and idle now.
    bool privileged() const;
    // Connections made again after one broke (tests).
    std::size_t reconnects() const;
    // Connections made to the simulator so far: a new one may reach a restarted simulator.
    std::uint64_t generation() const override;
    // Sockets made so far: at most one per thread exchanging at the same time (tests).
    std::size_t connections() const;

    static constexpr std::size_t maxConnections = 4;

private:
    struct Remote {
        std::uint32_t remote = 0;             // the simulator's handle, 0 when opening it failed
        kern_return_t lost = kIOReturnSuccess; // why opening failed
    };
    // One socket to the simulator and what was opened on it.
    struct Channel {
        Foundation::FileDescriptor fd;
        // Replies are waited for asleep: a client reading a hundred keys every second would spend more
        // CPU polling than the wake-ups cost.
        SocketSmcReader reader{-1, std::chrono::microseconds{0}};
        std::string request;            // reused by every exchange
        std::string openRequest;
        SocketSmcProtocol::Frame reply; // the last reply
        SocketSmcProtocol::Status status = SocketSmcProtocol::Status::ok; // of the last round trip
        bool granted = false;
        bool connectedBefore = false;
        std::map<std::uint32_t, Remote> remotes; // by the caller's handle
    };
    // A channel held by one thread for the time of its exchanges.
    class Lease {
    public:
        explicit Lease(SocketSmcTransport& transport);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Channel& operator*() const { return *channel_; }
        Channel* operator->() const { return channel_; }
        // The channel's handles that the caller closed meanwhile.
        const std::vector<std::uint32_t>& stale() const { return stale_; }

    private:
        SocketSmcTransport& transport_;
        Channel* channel_ = nullptr;
        std::vector<std::uint32_t> stale_;
    };

    [[nodiscard]] bool connect(Channel& channel);
    static void disconnect(Channel& channel);
    // Sends one request that `build` writes into the (cleared) string it gets, run after any reconnect;
    // false from `build` sends nothing. Reads the reply; one retry over a fresh connection when the
    // connection broke. The reply payload, null on failure, stays valid until the next exchange.
    template <typename Build>
    const std::string* exchange(Channel& channel, SocketSmcProtocol::Op op, Build build, bool reconnect = true);
    static const std::string* roundTrip(Channel& channel, SocketSmcProtocol::Op op, std::string_view payload,
                                        SocketSmcProtocol::Status& status);
    // The simulator's side of the caller's handle on this channel, opened when missing; null when the
    // channel broke.
    const Remote* remoteFor(Channel& channel, std::uint32_t connection, std::uint32_t type,
                            SocketSmcProtocol::Status& status);
    // Closes the simulator's side of the caller's handle on the channel, when it has one.
    kern_return_t closeRemote(Channel& channel, std::uint32_t connection);
    // Closes on the lease's channel what it holds of handles the caller closed.
    void closeStale(Lease& lease);

    std::filesystem::path path_;
    bool wantsPrivilege_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<Channel*> free_;
    // The caller's handles and the user-client type of each.
    std::map<std::uint32_t, std::uint32_t> handles_;
    std::uint32_t lastHandle_ = 0;
    std::size_t reconnects_ = 0;
    std::atomic<std::uint64_t> connects_ {0};
};

} // namespace IOKit
