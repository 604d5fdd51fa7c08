#pragma once

#include "Platform/XPC/PeerConnection.h"
#include "Platform/XPC/Transport.h"

#include <memory>
#include <string>

namespace XPC {

// A transport that serves messages in process: each message is encoded and decoded through the
// codec and handed to the handler on the sender's thread (one at a time), as a listener would;
// the handler's replies come back through the codec and run on the private queue. The peer
// credentials are this process's. A handler that refuses a message or closes the peer ends the
// connection, as the socket's service would.
class LoopbackTransport : public Transport {
public:
    LoopbackTransport(std::string serviceName, MessageHandler handler);
    // Invalidates; every handler has run when it returns.
    ~LoopbackTransport() override;

    const std::string& serviceName() const override;
    void setInvalidationHandler(std::function<void()> handler) override;
    void resume() override;
    void invalidate() override;
    // Waits until every reply and error queued so far has run.
    void drain();

protected:
    void sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error) override;

private:
    struct Impl;
    std::shared_ptr<Impl> impl_;
};

} // namespace XPC
