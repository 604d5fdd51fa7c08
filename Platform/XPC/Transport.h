#pragma once

#include "Platform/XPC/MessageCodec.h"
#include "Platform/XPC/XPCExport.h"

#include <functional>
#include <optional>
#include <string>

namespace XPC {

// Why a message got no reply.
struct AERLO_XPC_EXPORT Error {
    enum class Code {
        connectionFailed, // the service could not be reached
        connectionInterrupted, // the service went away before replying
        connectionInvalid, // the connection was invalidated on this side
        timedOut, // the message could not be written in time
        messageInvalid, // the message is not a request that can be encoded
        replyInvalid, // the service answered with something that is not a reply
    };
    Code code = Code::connectionFailed;
    std::string description; // one line, for printing
};

// A connection to a named service with XPC's semantics; implemented on a socket (Connection) and, in
// the tests' support, in process and as a recording fake.
//
// - Messages are requests, {"sel": text, "args": array}; the transport gives each its "id".
// - Messages sent before resume() are held, and go out in order when it is called.
// - For every message with a reply handler exactly one of the reply or the error handler runs;
//   a message without one reports only a failure to send it, and only when it has an error handler.
// - Replies, errors and the invalidation handler run on the transport's private queue, never on the
//   sender's thread.
// - The invalidation handler runs once, the first time the connection is lost (the service is
//   unreachable or goes away) or invalidated. Unless invalidate() was called, a later message is
//   still delivered, on a fresh connection.
// - Thread-safe. Do not destroy a transport from inside one of its own handlers while other threads use it.
class AERLO_XPC_EXPORT Transport {
public:
    using ReplyHandler = std::function<void(std::optional<std::string> reply)>;
    using ErrorHandler = std::function<void(const Error& error)>;

    virtual ~Transport() = default;

    void send(const Message& message) { sendMessage(message, {}, {}); }
    void send(const Message& message, ReplyHandler reply, ErrorHandler error)
    {
        sendMessage(message, std::move(reply), std::move(error));
    }

    virtual void setInvalidationHandler(std::function<void()> handler) = 0;
    virtual void resume() = 0;
    // Ends the connection for good: pending replies and later messages get connectionInvalid.
    virtual void invalidate() = 0;
    virtual const std::string& serviceName() const = 0;

protected:
    virtual void sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error) = 0;
};

} // namespace XPC
