#pragma once

#include "Platform/XPC/Transport.h"

#include <memory>
#include <string>
#include <vector>

namespace XPC {

// A fake transport for tests: records every message sent, in order and as it would go on the wire
// (with its "id"), and answers as scripted. Handlers run on its private queue, as a connection's do.
class RecordingTransport : public Transport {
public:
    struct Response {
        enum class Kind {
            reply, // a message with a reply handler gets `text`
            fail, // the message fails and the connection is lost, as when the service is absent
            pending, // no answer until disconnect() or invalidate()
        };
        Kind kind = Kind::reply;
        std::optional<std::string> text;

        static Response reply(std::optional<std::string> text = std::nullopt) { return {Kind::reply, std::move(text)}; }
        static Response fail() { return {Kind::fail, std::nullopt}; }
        static Response pending() { return {Kind::pending, std::nullopt}; }
    };
    // Chooses the answer to each request; by default every request is answered with an absent text.
    using Responder = std::function<Response(const Request& request)>;

    explicit RecordingTransport(std::string serviceName = "recording");
    // Invalidates; every handler has run when it returns.
    ~RecordingTransport() override;

    void setResponder(Responder responder);
    // Every message sent so far (held ones once resumed), in order.
    std::vector<Message> messages() const;
    // Their selectors, in order.
    std::vector<std::string> selectors() const;
    void clear();
    // The service goes away: pending replies fail and the invalidation handler runs (once).
    void disconnect();
    // Waits until every reply and error queued so far has run.
    void drain();

    const std::string& serviceName() const override;
    void setInvalidationHandler(std::function<void()> handler) override;
    void resume() override;
    void invalidate() override;

protected:
    void sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error) override;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace XPC
