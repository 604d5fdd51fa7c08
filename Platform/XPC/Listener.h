#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/XPC/PeerConnection.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace XPC {

// The service's side: listens on a Unix-domain socket (Connection::socketPath(name) for a named
// service), accepts clients and hands each decoded request to the message handler, on one private
// thread. A client is closed on a malformed, oversized or non-request frame, when the handler refuses
// a message, or when it sends faster than the rate cap; clients beyond the connection cap and peers
// the filter refuses are closed at once.
class Listener {
public:
    struct Options {
        std::size_t maximumConnections = 8;
        std::size_t messagesPerSecond = 200;  // per connection, over any one second; 0: no cap
        double replyTimeout = 2.0;            // seconds one reply may take to write
        unsigned socketMode = 0666;           // access is decided by the peer filter
        const Foundation::Clock* clock = nullptr; // for the rate cap; the system clock when none
    };
    using PeerFilter = std::function<bool(const PeerCredentials& peer)>;
    // Told why the listener closed a client (not called for clients that leave, or that the handler refuses).
    using RejectionHandler = std::function<void(const PeerCredentials& peer, std::string_view reason)>;

    explicit Listener(std::filesystem::path socketPath);
    Listener(std::filesystem::path socketPath, Options options);
    // Stops; no handler runs once it returns.
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Set these before start().
    void setPeerFilter(PeerFilter filter);
    void setMessageHandler(MessageHandler handler);
    void setRejectionHandler(RejectionHandler handler);

    // Creates the socket's folder, binds and listens. False (see errorDescription()) when the
    // path is taken by a live listener or another file, or cannot be bound.
    bool start();
    // Closes every client and the socket, and removes the socket file. Safe from a handler.
    void stop();
    bool isListening() const;
    std::string errorDescription() const;
    std::size_t connectionCount() const;
    const std::filesystem::path& socketPath() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace XPC
