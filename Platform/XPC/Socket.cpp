#include "Platform/XPC/Socket.h"

#include "Platform/Foundation/Posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace XPC {

namespace {

int remainingMilliseconds(Socket::Deadline deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return 0;
    return left.count() > 1000000 ? 1000000 : static_cast<int>(left.count());
}

void setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

void Socket::close() { fd_.reset(); }

void Socket::shutdown(bool read, bool write)
{
    if (!fd_ || (!read && !write))
        return;
    ::shutdown(fd_.get(), read && write ? SHUT_RDWR : (read ? SHUT_RD : SHUT_WR));
}

void Socket::ignoreBrokenPipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL
            && !(current.sa_flags & SA_SIGINFO)) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGPIPE, &ignore, nullptr);
        }
    });
}

std::chrono::steady_clock::duration Socket::toDuration(double seconds)
{
    if (!(seconds > 0))
        return std::chrono::steady_clock::duration::zero();
    if (seconds > 86400.0)
        seconds = 86400.0;
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

std::optional<Socket> Socket::connect(const std::filesystem::path& path, Deadline deadline, int& error)
{
    ignoreBrokenPipe();
    const auto address = Foundation::unixAddress(path);
    if (!address) {
        error = ENAMETOOLONG;
        return std::nullopt;
    }
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isOpen()) {
        error = errno;
        return std::nullopt;
    }
    // A blocking connect only waits while the listener's backlog is full; bound it by the deadline.
    const int ms = remainingMilliseconds(deadline);
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    if (ms == 0)
        timeout.tv_usec = 1000;
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    int result;
    do {
        result = ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    } while (result < 0 && errno == EINTR && remainingMilliseconds(deadline) > 0);
    if (result < 0) {
        error = (errno == EAGAIN || errno == EINPROGRESS) ? ETIMEDOUT : errno;
        return std::nullopt;
    }
    timeval none{0, 0};
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &none, sizeof none);
    setNonBlocking(socket.fd());
    return socket;
}

std::optional<Socket> Socket::listen(const std::filesystem::path& path, unsigned mode, int& error, bool credentials)
{
    ignoreBrokenPipe();
    // Bound under a name of its own and renamed once it listens: whoever sees the socket file can connect.
    const auto bound = path.parent_path() / ("." + path.filename().string() + "." + std::to_string(::getpid()));
    const auto address = Foundation::unixAddress(bound);
    if (!Foundation::unixAddress(path) || !address) {
        error = ENAMETOOLONG;
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        error = ec.value();
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = EEXIST;
            return std::nullopt;
        }
        int probeError = 0;
        if (connect(path, std::chrono::steady_clock::now() + std::chrono::milliseconds(200), probeError)) {
            error = EADDRINUSE;
            return std::nullopt;
        }
    }
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.isOpen()) {
        error = errno;
        return std::nullopt;
    }
    ::unlink(bound.c_str()); // left behind by a listener of this pid that is gone
    if ((credentials && !socket.receiveCredentials())
        || ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) < 0) {
        error = errno;
        return std::nullopt;
    }
    // A stale socket left at `path` by a listener that is gone is replaced by the rename.
    if (::listen(socket.fd(), 16) < 0 || ::chmod(bound.c_str(), mode) < 0 || ::rename(bound.c_str(), path.c_str()) < 0) {
        error = errno;
        ::unlink(bound.c_str());
        return std::nullopt;
    }
    return socket;
}

std::optional<Socket> Socket::accept() const
{
    for (;;) {
        const int fd = ::accept4(fd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return Socket(fd);
        if (errno != EINTR)
            return std::nullopt;
    }
}

Socket::WriteResult Socket::writeAll(std::string_view bytes, Deadline deadline, int& error) const
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        const int e = n < 0 ? errno : EIO;
        if (e == EINTR)
            continue;
        if (e == EAGAIN || e == EWOULDBLOCK) {
            const int ms = remainingMilliseconds(deadline);
            if (ms == 0) {
                error = ETIMEDOUT;
                return WriteResult::timedOut;
            }
            pollfd entry{fd_.get(), POLLOUT, 0};
            ::poll(&entry, 1, ms);
            continue;
        }
        error = e;
        return (e == EPIPE || e == ECONNRESET || e == ENOTCONN) ? WriteResult::peerGone : WriteResult::failed;
    }
    return WriteResult::written;
}

ssize_t Socket::read(void* buffer, std::size_t size) const
{
    for (;;) {
        const ssize_t n = ::recv(fd_.get(), buffer, size, MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? -1 : -2;
    }
}

ssize_t Socket::read(void* buffer, std::size_t size, std::optional<PeerCredentials>& sender) const
{
    sender.reset();
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    for (;;) {
        iovec vector {buffer, size};
        msghdr message {};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd_.get(), &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? -1 : -2;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_CREDENTIALS
                && header->cmsg_len == CMSG_LEN(sizeof(ucred))) {
                ucred credentials {};
                std::memcpy(&credentials, CMSG_DATA(header), sizeof credentials);
                sender = PeerCredentials {credentials.pid, credentials.uid, credentials.gid};
            }
        }
        return n;
    }
}

ssize_t Socket::writeSome(std::string_view bytes) const
{
    for (;;) {
        const ssize_t n = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

std::size_t Socket::queuedBytes() const
{
    int bytes = 0;
    return ::ioctl(fd_.get(), FIONREAD, &bytes) == 0 && bytes > 0 ? static_cast<std::size_t>(bytes) : 0;
}

bool Socket::receiveCredentials() const
{
    const int on = 1;
    return ::setsockopt(fd_.get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on) == 0;
}

std::optional<PeerCredentials> Socket::peerCredentials() const
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd_.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &length) < 0 || length != sizeof credentials)
        return std::nullopt;
    return PeerCredentials{credentials.pid, credentials.uid, credentials.gid};
}

} // namespace XPC
