#pragma once

#include "Platform/SMC/SMCTransport.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/SMC/SocketSmcReader.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace IOKit {

// The "AppleSMC" service of the shared simulator, reached over its Unix socket (SocketSmcProtocol).
//
// One socket per transport; a mutex makes each request and its reply one exchange, whatever the
// thread. The socket is opened on first use. A privileged transport presents the token next to the
// socket (or is root); otherwise the simulator refuses its writes with kIOReturnNotPrivileged.
// When the connection breaks (the simulator restarted, say) the next exchange reconnects, opens
// again every user-client connection this transport had open (handles stay the same for the
// caller) and is retried once. While nobody serves the socket, exchanges fail with kIOReturnNoDevice.
class SocketSmcTransport : public SMCTransport {
public:
    SocketSmcTransport(std::filesystem::path socketPath, bool privileged);
    ~SocketSmcTransport() override;
    SocketSmcTransport(const SocketSmcTransport&) = delete;
    SocketSmcTransport& operator=(const SocketSmcTransport&) = delete;

    kern_return_t open(std::uint32_t type, std::uint32_t& connection) override;
    kern_return_t call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                       SMCRecord& output) override;
    kern_return_t close(std::uint32_t connection) override;

    // One control request (JSON text) and the simulator's JSON reply; nullopt when it cannot be reached.
    std::optional<std::string> control(std::string_view request);

    const std::filesystem::path& path() const { return path_; }
    // Whether the simulator granted privilege on the current connection.
    bool privileged() const;
    // Connections made after the first (tests).
    std::size_t reconnects() const;

private:
    struct Handle {
        std::uint32_t type = 0;
        std::uint32_t remote = 0;            // the simulator's handle, 0 when reopening failed
        kern_return_t lost = kIOReturnSuccess; // why reopening failed
    };

    bool connectLocked();
    void disconnectLocked();
    // Sends one request that `build` writes into the (cleared) string it gets, run after any reconnect;
    // false from `build` sends nothing. Reads the reply; one retry over a fresh connection when the
    // connection broke. The reply payload, null on failure, stays valid until the next exchange.
    template <typename Build>
    const std::string* exchangeLocked(SocketSmcProtocol::Op op, Build build, bool reconnect = true);
    const std::string* roundTripLocked(SocketSmcProtocol::Op op, std::string_view payload,
                                       SocketSmcProtocol::Status& status);

    std::filesystem::path path_;
    bool wantsPrivilege_;
    mutable std::mutex mutex_;
    int fd_ = -1;
    // Replies are waited for asleep: a client reading a hundred keys every second would spend more CPU
    // polling than the wake-ups cost.
    SocketSmcReader reader_{-1, std::chrono::microseconds{0}};
    std::string request_;           // reused by every exchange
    SocketSmcProtocol::Frame reply_; // the last reply
    bool granted_ = false;
    std::size_t connects_ = 0;
    std::map<std::uint32_t, Handle> handles_;
    std::uint32_t lastHandle_ = 0;
};

} // namespace IOKit
