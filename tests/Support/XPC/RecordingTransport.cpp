#include "tests/Support/XPC/RecordingTransport.h"

#include "Platform/XPC/TransportState.h"

#include <mutex>

namespace XPC {

struct RecordingTransport::Impl {
    std::shared_ptr<TransportState> state;
    std::mutex serving; // one message at a time, in order
    Responder responder;
    std::uint64_t session = 0;
    mutable std::mutex recordMutex;
    std::vector<Message> messages;

    void deliver(TransportState::Outgoing outgoing)
    {
        std::lock_guard lock(serving);
        if (session == 0 || !state->isSessionOpen(session))
            session = state->openSession();
        // Recorded as the service would decode it.
        MessageCodec decoder;
        auto decoded = decoder.feed(outgoing.frame);
        if (decoded.messages.size() != 1)
            return;
        {
            std::lock_guard record(recordMutex);
            messages.push_back(decoded.messages.front());
        }
        const auto request = MessageCodec::parseRequest(decoded.messages.front());
        const Response response = responder && request ? responder(*request) : Response::reply();
        if (!state->await(outgoing, session)) {
            state->fail(outgoing, state->makeError(Error::Code::connectionInvalid));
            return;
        }
        switch (response.kind) {
        case Response::Kind::reply:
            state->written(outgoing.id);
            state->receive(Reply {outgoing.id, response.text});
            break;
        case Response::Kind::pending:
            state->written(outgoing.id);
            break;
        case Response::Kind::fail: {
            // Earlier messages fail first, as the service's going would report them.
            const bool answered = !state->withdraw(outgoing);
            state->endSession(session, state->makeError(Error::Code::connectionInterrupted));
            if (!answered)
                state->fail(outgoing, state->makeError(Error::Code::connectionFailed));
            session = 0;
            break;
        }
        }
    }
};

RecordingTransport::RecordingTransport(std::string serviceName) : impl_(std::make_shared<Impl>())
{
    impl_->state = std::make_shared<TransportState>(std::move(serviceName));
}

RecordingTransport::~RecordingTransport()
{
    invalidate();
    impl_->state->queue().stop();
}

void RecordingTransport::setResponder(Responder responder)
{
    std::lock_guard lock(impl_->serving);
    impl_->responder = std::move(responder);
}

std::vector<Message> RecordingTransport::messages() const
{
    std::lock_guard lock(impl_->recordMutex);
    return impl_->messages;
}

std::vector<std::string> RecordingTransport::selectors() const
{
    std::vector<std::string> result;
    for (const Message& message : messages())
        result.push_back(message.value("sel", std::string()));
    return result;
}

void RecordingTransport::clear()
{
    std::lock_guard lock(impl_->recordMutex);
    impl_->messages.clear();
}

void RecordingTransport::disconnect()
{
    std::lock_guard lock(impl_->serving);
    if (impl_->session != 0)
        impl_->state->endSession(impl_->session, impl_->state->makeError(Error::Code::connectionInterrupted));
    impl_->session = 0;
}

void RecordingTransport::drain() { impl_->state->queue().drain(); }

const std::string& RecordingTransport::serviceName() const { return impl_->state->serviceName(); }

void RecordingTransport::setInvalidationHandler(std::function<void()> handler)
{
    impl_->state->setInvalidationHandler(std::move(handler));
}

void RecordingTransport::resume()
{
    for (auto& outgoing : impl_->state->resume())
        impl_->deliver(std::move(outgoing));
}

void RecordingTransport::invalidate() { impl_->state->invalidate(); }

void RecordingTransport::sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error)
{
    if (auto outgoing = impl_->state->prepare(message, std::move(reply), std::move(error)))
        impl_->deliver(std::move(*outgoing));
}

} // namespace XPC
