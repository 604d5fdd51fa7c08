#pragma once

#include "Platform/XPC/XPCExport.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/types.h>

namespace XPC {

// Who is at the other end of a local socket (SO_PEERCRED).
struct AERLO_XPC_EXPORT PeerCredentials {
    pid_t pid = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

// An owned, non-blocking Unix-domain stream socket. Writes never raise SIGPIPE (MSG_NOSIGNAL).
class AERLO_XPC_EXPORT Socket {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    enum class WriteResult { written, peerGone, timedOut, failed };

    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    Socket(Socket&& other) noexcept = default;
    Socket& operator=(Socket&& other) noexcept = default;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_.get(); }
    bool isOpen() const { return fd_.valid(); }
    void close();
    // Ends reading and/or writing without giving up the descriptor.
    void shutdown(bool read, bool write);

    // Connects to the socket at `path`, waiting no longer than the deadline; `error` gets errno on failure.
    static std::optional<Socket> connect(const std::filesystem::path& path, Deadline deadline, int& error);
    // Binds and listens at `path` (the directory is created; a stale socket left there is replaced,
    // a live one or any other file is not). The socket file appears only once it listens, with its
    // mode, and with `credentials`, receiving them (receiveCredentials()). `error` gets errno on failure.
    static std::optional<Socket> listen(const std::filesystem::path& path, unsigned mode, int& error,
                                        bool credentials = false);
    // The next pending connection, non-blocking; none when there is none (or it failed).
    [[nodiscard]] std::optional<Socket> accept() const;

    // Writes every byte unless the peer is gone or the deadline passes; `error` gets errno on failure.
    WriteResult writeAll(std::string_view bytes, Deadline deadline, int& error) const;
    // One non-blocking read: > 0 bytes read, 0 end of stream, -1 nothing to read now, -2 error.
    ssize_t read(void* buffer, std::size_t size) const;
    // The same, also giving the kernel's credentials of the process that wrote the bytes (none when
    // the socket does not receive credentials). One read never mixes the bytes of two senders.
    ssize_t read(void* buffer, std::size_t size, std::optional<PeerCredentials>& sender) const;
    // Bytes received and not read yet.
    std::size_t queuedBytes() const;
    // One non-blocking write: the bytes written (0 when none can be written now), -1 when the peer is
    // gone or the write failed.
    ssize_t writeSome(std::string_view bytes) const;
    // Every byte received from now on carries its sender's credentials (SO_PASSCRED; a listening
    // socket passes it to the connections it accepts).
    [[nodiscard]] bool receiveCredentials() const;

    [[nodiscard]] std::optional<PeerCredentials> peerCredentials() const;

    // SIGPIPE is ignored from the first socket on (unless the process installed its own handler).
    static void ignoreBrokenPipe();
    static std::chrono::steady_clock::duration toDuration(double seconds);

private:
    Foundation::FileDescriptor fd_;
};

} // namespace XPC
