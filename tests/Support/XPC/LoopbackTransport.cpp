#include "tests/Support/XPC/LoopbackTransport.h"

#include "Platform/XPC/TransportState.h"

#include <mutex>
#include <unistd.h>

namespace XPC {

namespace {

// The service's view of one in-process session; replies go back through the codec.
class LoopbackPeer : public PeerConnection {
public:
    LoopbackPeer(TransportState& state, std::uint64_t session)
        : state_(state), session_(session), credentials_ {::getpid(), ::getuid(), ::getgid()}
    {
    }

    const PeerCredentials& credentials() const override { return credentials_; }

    [[nodiscard]] bool reply(std::uint64_t id, const std::optional<std::string>& text,
                             std::function<void()> written) override
    {
        if (!isOpen())
            return false;
        auto frame = MessageCodec::encode(MessageCodec::makeReply(id, text));
        if (!frame) {
            close();
            return false;
        }
        for (const Message& message : decoder_.feed(*frame).messages) {
            if (auto decoded = MessageCodec::parseReply(message))
                state_.receive(*decoded);
        }
        if (written)
            written();
        return true;
    }

    void close() override { open_ = false; }
    bool isOpen() const override { return open_ && state_.isSessionOpen(session_); }
    std::uint64_t session() const { return session_; }
    MessageCodec& requestDecoder() { return requests_; }

private:
    TransportState& state_;
    std::uint64_t session_;
    PeerCredentials credentials_;
    MessageCodec decoder_;
    MessageCodec requests_;
    bool open_ = true;
};

} // namespace

struct LoopbackTransport::Impl {
    std::shared_ptr<TransportState> state;
    MessageHandler handler;
    std::mutex serving; // the handler sees one message at a time
    std::unique_ptr<LoopbackPeer> peer;

    void deliver(TransportState::Outgoing outgoing)
    {
        std::lock_guard lock(serving);
        if (!peer || !peer->isOpen())
            peer = std::make_unique<LoopbackPeer>(*state, state->openSession());
        if (!state->await(outgoing, peer->session())) {
            state->fail(outgoing, state->makeError(Error::Code::connectionInvalid));
            return;
        }
        const auto decoded = peer->requestDecoder().feed(outgoing.frame);
        std::optional<Request> request;
        if (decoded.messages.size() == 1)
            request = MessageCodec::parseRequest(decoded.messages.front());
        state->written(outgoing.id);
        const bool keep = request && handler && handler(*peer, *request) && peer->isOpen();
        if (!keep) {
            state->endSession(peer->session(), state->makeError(Error::Code::connectionInterrupted));
            peer.reset();
        }
    }
};

LoopbackTransport::LoopbackTransport(std::string serviceName, MessageHandler handler) : impl_(std::make_shared<Impl>())
{
    impl_->state = std::make_shared<TransportState>(std::move(serviceName));
    impl_->handler = std::move(handler);
}

LoopbackTransport::~LoopbackTransport()
{
    invalidate();
    impl_->state->queue().stop();
}

const std::string& LoopbackTransport::serviceName() const { return impl_->state->serviceName(); }

void LoopbackTransport::setInvalidationHandler(std::function<void()> handler)
{
    impl_->state->setInvalidationHandler(std::move(handler));
}

void LoopbackTransport::resume()
{
    for (auto& outgoing : impl_->state->resume())
        impl_->deliver(std::move(outgoing));
}

void LoopbackTransport::invalidate() { impl_->state->invalidate(); }

void LoopbackTransport::drain() { impl_->state->queue().drain(); }

void LoopbackTransport::sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error)
{
    if (auto outgoing = impl_->state->prepare(message, std::move(reply), std::move(error)))
        impl_->deliver(std::move(*outgoing));
}

} // namespace XPC
