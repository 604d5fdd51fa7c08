#pragma once

#include "Platform/XPC/MessageCodec.h"
#include "Platform/XPC/Socket.h"
#include "Platform/XPC/XPCExport.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace XPC {

// The service's side of one client connection, as a message handler sees it. Used on the
// listener's thread only.
class AERLO_XPC_EXPORT PeerConnection {
public:
    virtual ~PeerConnection() = default;

    virtual const PeerCredentials& credentials() const = 0;
    // Queues {"id":id,"reply":text|null} without waiting for the client to read it; `written` runs
    // once the whole frame has been written. False when the connection is closed.
    [[nodiscard]] virtual bool reply(std::uint64_t id, const std::optional<std::string>& text,
                                     std::function<void()> written = {}) = 0;
    // Closes the connection at once (replies written so far stay sent); no later message of it is handled.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// Handles one request from a client; false closes that client's connection (as for an unknown
// selector or wrong arguments). The peer is valid for the duration of the call.
using MessageHandler = std::function<bool(PeerConnection& peer, const Request& request)>;

} // namespace XPC
