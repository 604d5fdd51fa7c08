#pragma once

#include "Platform/XPC/Transport.h"
#include "Platform/XPC/XPCExport.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace XPC {

// A client connection to a named service on a Unix-domain socket, <root>/var/run/<name>.sock.
// Connects on the first message (once resumed). Messages are written on the sender's thread,
// in order, and each write is bounded by the send timeout, so a sender never waits long. When the
// service has gone away, a message is sent again once on a fresh connection. A private thread reads
// the replies and runs every handler.
class AERLO_XPC_EXPORT Connection : public Transport {
public:
    static constexpr double defaultSendTimeout = 2.0;

    explicit Connection(std::string serviceName);
    Connection(std::string serviceName, std::filesystem::path socketPath);
    // Invalidates the connection; pending replies fail, and every handler has run when it returns.
    ~Connection() override;

    // <root>/var/run/<serviceName>.sock
    static std::filesystem::path socketPath(std::string_view serviceName);

    const std::string& serviceName() const override;
    const std::filesystem::path& socketPath() const;
    // How long one message may take to connect and write, in seconds.
    void setSendTimeout(double seconds);

    void setInvalidationHandler(std::function<void()> handler) override;
    void resume() override;
    void invalidate() override;

protected:
    void sendMessage(const Message& message, ReplyHandler reply, ErrorHandler error) override;

private:
    struct Link;
    std::shared_ptr<Link> link_;
};

} // namespace XPC
