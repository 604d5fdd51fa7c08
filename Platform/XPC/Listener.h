#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/XPC/PeerConnection.h"
#include "Platform/XPC/XPCExport.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace XPC {

// The service's side: listens on a Unix-domain socket (Connection::socketPath(name) for a named
// service), accepts clients and hands each decoded request to the message handler, on one private
// thread, in the order each client sent them.
//
// - Peers the peer admission refuses, and peers beyond the connection caps (in all, per uid, per
//   process), are closed at once. A peer is admitted before anything it wrote is read: the listener
//   then speaks first (MessageCodec::greetingFrame()), and a peer that wrote before that is closed.
// - Every read carries the kernel's credentials of the process that wrote the bytes; the sender
//   admission sees them for every read, and a refusal closes the connection.
// - A client is never closed for its rate: above `messagesPerSecond` (counted per uid and per
//   process over all their connections) its messages wait and its socket is read more slowly.
// - Replies are written without blocking, from a queue per connection; while the queue holds more
//   than `replyQueueBytes` the client is not read. A queue that makes no progress, or an incomplete
//   frame, held for `stallSeconds` closes the connection.
// - A malformed, oversized or non-request frame closes the connection (after the messages before it),
//   as does a handler that refuses a message.
class AERLO_XPC_EXPORT Listener {
public:
    struct Options {
        std::size_t maximumConnections = 64;
        std::size_t maximumConnectionsPerUID = 32;
        std::size_t maximumConnectionsPerProcess = 16;
        std::size_t messagesPerSecond = 2000; // per uid and per process; 0: no cap
        std::size_t replyQueueBytes = 256 * 1024;
        double stallSeconds = 5.0;
        unsigned socketMode = 0666; // access is decided by the peer admission
    };
    // The reason given for a peer beyond the connection caps.
    static constexpr std::string_view tooManyConnections = "too many connections";
    // The reason given for a peer that wrote before it was admitted.
    static constexpr std::string_view writtenBeforeAdmission = "bytes were written before the connection was admitted";

    // Admits the peer of a new connection, or says why not (and reports that refusal itself).
    using PeerAdmission = std::function<Foundation::Result<void>(const PeerCredentials& peer)>;
    // Admits the bytes that `sender` wrote on the connection of `peer`, or says why not.
    using SenderAdmission =
        std::function<Foundation::Result<void>(const PeerCredentials& peer, const PeerCredentials& sender)>;
    // Told why the listener refused or closed a client, or that a client left with replies not
    // delivered (not called for the peer admission's refusals, nor for messages the handler refuses).
    using RejectionHandler = std::function<void(const PeerCredentials& peer, std::string_view reason)>;

    explicit Listener(std::filesystem::path socketPath);
    Listener(std::filesystem::path socketPath, Options options);
    // Stops; no handler runs once it returns.
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Set these before start().
    void setPeerAdmission(PeerAdmission admission);
    void setSenderAdmission(SenderAdmission admission);
    void setMessageHandler(MessageHandler handler);
    void setRejectionHandler(RejectionHandler handler);

    // Creates the socket's folder, binds and listens. Fails when the path is taken by a live
    // listener or another file, or cannot be bound.
    [[nodiscard]] Foundation::Result<void> start();
    // Closes every client and the socket, and removes the socket file. Safe from a handler.
    void stop();
    bool isListening() const;
    std::size_t connectionCount() const;
    const std::filesystem::path& socketPath() const;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace XPC
