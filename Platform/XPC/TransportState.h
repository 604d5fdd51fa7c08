#pragma once

#include "Platform/XPC/PrivateQueue.h"
#include "Platform/XPC/Transport.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace XPC {

// The bookkeeping every transport shares: ids, held messages, replies awaited per session,
// the once-only invalidation, and the private queue all handlers run on.
//
// A send goes: prepare() → await(session) → write → written() or, on failure, withdraw() → fail().
// A session is one underlying connection; ending it fails the replies still awaited on it.
class TransportState {
public:
    struct Outgoing {
        std::uint64_t id = 0;
        Message request;   // as sent, with its id
        std::string frame; // the encoded request
        Transport::ReplyHandler reply;
        Transport::ErrorHandler error;
    };

    explicit TransportState(std::string serviceName);
    ~TransportState();

    const std::string& serviceName() const { return serviceName_; }
    PrivateQueue& queue() { return queue_; }

    // Stamps and encodes the message. None when there is nothing to send now: the message was
    // refused (its error posted), or it is held until resume().
    std::optional<Outgoing> prepare(const Message& message, Transport::ReplyHandler reply,
                                    Transport::ErrorHandler error);
    // The held messages, in order, the first time; empty afterwards or once invalidated.
    std::vector<Outgoing> resume();
    // Fails everything awaited or held with connectionInvalid and runs the invalidation handler
    // once. False when already invalidated.
    bool invalidate();
    void setInvalidationHandler(std::function<void()> handler);

    std::uint64_t openSession();
    bool isSessionOpen(std::uint64_t session) const;
    // The message is being written on the session; its handlers are kept until it is answered.
    // False (handlers left in `outgoing`) when the connection was invalidated.
    [[nodiscard]] bool await(Outgoing& outgoing, std::uint64_t session);
    // The write finished. A message without a reply handler is done; one with a reply handler now waits.
    void written(std::uint64_t id);
    // The write failed: hands the handlers back to `outgoing` (for a retry or fail()). False when
    // the message was answered meanwhile (the connection was invalidated).
    [[nodiscard]] bool withdraw(Outgoing& outgoing);
    // Posts the error to the message's error handler, if it has one.
    void fail(Outgoing& outgoing, const Error& error);
    // A reply arrived; unknown ids are ignored.
    void receive(const Reply& reply);
    // The session is gone: its awaited replies fail with `error`, and the invalidation handler
    // runs if it has not yet.
    void endSession(std::uint64_t session, const Error& error);
    // The service could not be reached: the invalidation handler runs if it has not yet.
    void connectionLost();

    Error makeError(Error::Code code, std::string_view detail = {}) const;

private:
    struct Awaiting {
        Transport::ReplyHandler reply;
        Transport::ErrorHandler error;
        std::uint64_t session = 0;
        bool writing = true;
    };

    void postError(Transport::ErrorHandler handler, const Error& error);
    void fireInvalidationLocked();

    const std::string serviceName_;
    mutable std::mutex mutex_;
    std::uint64_t nextId_ = 1;
    std::uint64_t nextSession_ = 1;
    bool resumed_ = false;
    bool invalidated_ = false;
    bool invalidationFired_ = false;
    std::function<void()> invalidationHandler_;
    std::vector<Outgoing> held_;
    std::map<std::uint64_t, Awaiting> awaiting_;
    std::set<std::uint64_t> openSessions_;
    PrivateQueue queue_; // last: stops (running what is queued) before the rest goes
};

} // namespace XPC
