#include "Platform/XPC/TransportState.h"

#include "Platform/Foundation/Console.h"

namespace XPC {

TransportState::TransportState(std::string serviceName)
    : serviceName_(std::move(serviceName)), queue_("xpc." + serviceName_.substr(serviceName_.rfind('.') + 1))
{
}

TransportState::~TransportState() = default;

std::optional<TransportState::Outgoing> TransportState::prepare(const Message& message, Transport::ReplyHandler reply,
                                                                Transport::ErrorHandler error)
{
    Outgoing outgoing;
    outgoing.reply = std::move(reply);
    outgoing.error = std::move(error);
    const auto request = MessageCodec::parseUnstampedRequest(message);

    std::unique_lock lock(mutex_);
    if (invalidated_) {
        lock.unlock();
        fail(outgoing, makeError(Error::Code::connectionInvalid));
        return std::nullopt;
    }
    std::optional<std::string> frame;
    if (request) {
        outgoing.id = nextId_;
        outgoing.request = MessageCodec::makeRequest(outgoing.id, request->sel, request->args);
        frame = MessageCodec::encode(outgoing.request);
    }
    if (!frame) {
        lock.unlock();
        const Error refused = makeError(Error::Code::messageInvalid);
        if (!outgoing.error)
            Foundation::Console::printError(refused.description);
        fail(outgoing, refused);
        return std::nullopt;
    }
    ++nextId_;
    outgoing.frame = std::move(*frame);
    if (!resumed_) {
        held_.push_back(std::move(outgoing));
        return std::nullopt;
    }
    return outgoing;
}

std::vector<TransportState::Outgoing> TransportState::resume()
{
    std::lock_guard lock(mutex_);
    if (resumed_ || invalidated_)
        return {};
    resumed_ = true;
    return std::move(held_);
}

bool TransportState::invalidate()
{
    std::lock_guard lock(mutex_);
    if (invalidated_)
        return false;
    invalidated_ = true;
    const Error error = makeError(Error::Code::connectionInvalid);
    for (auto& [id, awaiting] : awaiting_)
        postError(std::move(awaiting.error), error);
    awaiting_.clear();
    for (auto& outgoing : held_)
        postError(std::move(outgoing.error), error);
    held_.clear();
    openSessions_.clear();
    fireInvalidationLocked();
    return true;
}

void TransportState::setInvalidationHandler(std::function<void()> handler)
{
    std::lock_guard lock(mutex_);
    if (!invalidationFired_)
        invalidationHandler_ = std::move(handler);
}

std::uint64_t TransportState::openSession()
{
    std::lock_guard lock(mutex_);
    const std::uint64_t session = nextSession_++;
    openSessions_.insert(session);
    return session;
}

bool TransportState::isSessionOpen(std::uint64_t session) const
{
    std::lock_guard lock(mutex_);
    return openSessions_.contains(session);
}

bool TransportState::await(Outgoing& outgoing, std::uint64_t session)
{
    std::lock_guard lock(mutex_);
    if (invalidated_)
        return false;
    awaiting_[outgoing.id] = Awaiting{std::move(outgoing.reply), std::move(outgoing.error), session, true};
    return true;
}

void TransportState::written(std::uint64_t id)
{
    std::lock_guard lock(mutex_);
    auto it = awaiting_.find(id);
    if (it == awaiting_.end())
        return; // answered already
    if (!it->second.reply) {
        awaiting_.erase(it);
        return;
    }
    it->second.writing = false;
    if (!openSessions_.contains(it->second.session)) {
        // The session ended while this message was being written.
        postError(std::move(it->second.error), makeError(Error::Code::connectionInterrupted));
        awaiting_.erase(it);
    }
}

bool TransportState::withdraw(Outgoing& outgoing)
{
    std::lock_guard lock(mutex_);
    auto it = awaiting_.find(outgoing.id);
    if (it == awaiting_.end())
        return false;
    outgoing.reply = std::move(it->second.reply);
    outgoing.error = std::move(it->second.error);
    awaiting_.erase(it);
    return true;
}

void TransportState::fail(Outgoing& outgoing, const Error& error)
{
    std::lock_guard lock(mutex_);
    postError(std::move(outgoing.error), error);
    outgoing.reply = nullptr;
}

void TransportState::receive(const Reply& reply)
{
    std::lock_guard lock(mutex_);
    auto it = awaiting_.find(reply.id);
    if (it == awaiting_.end() || !it->second.reply)
        return;
    queue_.async([handler = std::move(it->second.reply), text = reply.reply]() mutable { handler(std::move(text)); });
    awaiting_.erase(it);
}

void TransportState::endSession(std::uint64_t session, const Error& error)
{
    std::lock_guard lock(mutex_);
    openSessions_.erase(session);
    for (auto it = awaiting_.begin(); it != awaiting_.end();) {
        if (it->second.session == session && !it->second.writing) {
            postError(std::move(it->second.error), error);
            it = awaiting_.erase(it);
        } else {
            ++it;
        }
    }
    fireInvalidationLocked();
}

void TransportState::connectionLost()
{
    std::lock_guard lock(mutex_);
    fireInvalidationLocked();
}

void TransportState::postError(Transport::ErrorHandler handler, const Error& error)
{
    if (handler)
        queue_.async([handler = std::move(handler), error] { handler(error); });
}

void TransportState::fireInvalidationLocked()
{
    if (invalidationFired_)
        return;
    invalidationFired_ = true;
    if (auto handler = std::move(invalidationHandler_))
        queue_.async(std::move(handler));
    invalidationHandler_ = nullptr;
}

Error TransportState::makeError(Error::Code code, std::string_view detail) const
{
    const std::string service = "service named " + serviceName_;
    std::string text;
    switch (code) {
    case Error::Code::connectionFailed:
        text = "Couldn't connect to " + service;
        break;
    case Error::Code::connectionInterrupted:
        text = "The connection to " + service + " was interrupted";
        break;
    case Error::Code::connectionInvalid:
        text = "The connection to " + service + " was invalidated";
        break;
    case Error::Code::timedOut:
        text = "Sending to " + service + " timed out";
        break;
    case Error::Code::messageInvalid:
        text = "A message to " + service + " could not be encoded";
        break;
    case Error::Code::replyInvalid:
        text = "The reply from " + service + " was malformed";
        break;
    }
    if (!detail.empty()) {
        text += ": ";
        text += detail;
    }
    text += '.';
    return Error{code, std::move(text)};
}

} // namespace XPC
