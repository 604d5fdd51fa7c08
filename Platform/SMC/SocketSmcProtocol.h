#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/SMCExport.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>

namespace IOKit {

// What the shared simulator (smcsim) and its clients say over a Unix stream socket.
//
// Every message is a frame: op (1 byte), three zero bytes, payload length (u32 little-endian), payload.
// A reply carries the op of its request. Integers in payloads are u32 little-endian.
//   hello    magic "ASMC", version, want-privilege byte + 3 zero bytes, token (64 hex characters or zeros)
//            → result, privileged byte + 3 zero bytes. Must come first; privilege holds for the connection.
//   open     type                                   → result, handle
//   call     handle, selector, 80-byte record       → result, 80-byte record
//   close    handle                                 → result
//   control  a JSON request (privileged only)       → a JSON reply
// A malformed frame ends the connection.
class AERLO_SMC_EXPORT SocketSmcProtocol {
public:
    enum class Op : std::uint8_t { hello = 1, open = 2, call = 3, close = 4, control = 5 };
    enum class Status { ok, closed, timedOut, malformed };

    struct Frame {
        Op op = Op::hello;
        std::string payload; // bytes
    };

    static constexpr std::uint32_t magic = 0x434D5341; // "ASMC" as it lies in the payload
    static constexpr std::uint32_t version = 1;
    static constexpr std::size_t tokenSize = 64;
    static constexpr std::uint32_t maxPayload = 1u << 20;
    static constexpr std::size_t helloSize = 12 + tokenSize;
    static constexpr std::size_t headerSize = 8;
    // How long the server polls for the next frame before it sleeps: the next request of a client
    // reading many keys in a row usually comes within a few microseconds.
    static constexpr std::chrono::microseconds activeWait {100};

    // One whole frame over a connected socket, header and payload in one sendmsg() (MSG_NOSIGNAL: a
    // gone peer is an error, not a signal). Frames are read by a SocketSmcReader.
    [[nodiscard]] static bool send(int fd, Op op, std::string_view payload);
    // The op and payload length of a frame header (headerSize bytes), nullopt when malformed.
    static std::optional<std::pair<Op, std::uint32_t>> parseHeader(std::string_view header);

    static void putU32(std::string& bytes, std::uint32_t value);
    static std::optional<std::uint32_t> u32At(std::string_view bytes, std::size_t offset);

    // A connected stream socket, -1 when nobody listens at `path`. Replies slower than
    // `timeoutSeconds` count as a broken connection.
    static int connectTo(const std::filesystem::path& path, int timeoutSeconds = 10);
    // A listening socket at `path` (mode 0666: privilege is by token or uid, not by file mode); fails
    // when the path is too long, taken by a live server, or cannot be bound.
    [[nodiscard]] static Foundation::Result<int> listenOn(const std::filesystem::path& path);
    static std::optional<uid_t> peerUid(int fd);

    // The token file the server writes next to its socket ("smcsim.sock" → "smcsim.token").
    static std::filesystem::path tokenPath(const std::filesystem::path& socketPath);
    // The token in the file, when it holds one (64 hex characters).
    static std::optional<std::string> readToken(const std::filesystem::path& tokenFile);
    // A fresh random token.
    static std::string makeToken();
    // The root's simulator socket: <root>/var/run/smcsim.sock.
    static std::filesystem::path defaultSocketPath();
};

} // namespace IOKit
