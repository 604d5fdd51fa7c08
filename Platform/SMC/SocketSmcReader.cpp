#include "Platform/SMC/SocketSmcReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/socket.h>

namespace IOKit {

namespace {

// Enough for any frame but a large control request or reply.
constexpr std::size_t initialCapacity = 4096;

// Waiting actively for a peer that needs this CPU to answer would only delay it.
bool severalCpus()
{
    static const bool several = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        return ::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 1;
    }();
    return several;
}

} // namespace

SocketSmcReader::SocketSmcReader(int fd, std::chrono::microseconds activeWait)
    : fd_(fd), activeWait_(severalCpus() ? activeWait : std::chrono::microseconds {})
{
}

void SocketSmcReader::reset(int fd)
{
    fd_ = fd;
    begin_ = end_ = 0;
}

SocketSmcProtocol::Status SocketSmcReader::fill(std::size_t count)
{
    using Status = SocketSmcProtocol::Status;
    if (buffer_.size() - begin_ < count) {
        if (end_ > begin_) // an empty buffer may have no storage yet
            std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        if (buffer_.size() < count)
            buffer_.resize(std::max(count, initialCapacity));
    }
    while (end_ - begin_ < count) {
        const long n = receiveSome();
        if (n == 0)
            return Status::closed;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK ? Status::timedOut : Status::closed;
        }
        end_ += static_cast<std::size_t>(n);
    }
    return Status::ok;
}

long SocketSmcReader::receiveSome()
{
    char* const into = buffer_.data() + end_;
    const std::size_t room = buffer_.size() - end_;
    if (activeWait_.count() <= 0)
        return ::recv(fd_, into, room, 0);
    const auto start = std::chrono::steady_clock::now();
    if (spins_) {
        const auto until = start + activeWait_;
        do {
            const ssize_t n = ::recv(fd_, into, room, MSG_DONTWAIT);
            if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return n;
        } while (std::chrono::steady_clock::now() < until);
        // The peer is slower than the wait: stop polling until it answers within it again.
        spins_ = false;
        return ::recv(fd_, into, room, 0);
    }
    const ssize_t n = ::recv(fd_, into, room, 0);
    spins_ = std::chrono::steady_clock::now() - start < activeWait_;
    return n;
}

SocketSmcProtocol::Status SocketSmcReader::receive(SocketSmcProtocol::Frame& frame)
{
    using Protocol = SocketSmcProtocol;
    if (const auto status = fill(Protocol::headerSize); status != Protocol::Status::ok)
        return status;
    const auto header = Protocol::parseHeader(std::string_view(buffer_.data() + begin_, Protocol::headerSize));
    if (!header)
        return Protocol::Status::malformed;
    const std::size_t size = Protocol::headerSize + header->second;
    if (const auto status = fill(size); status != Protocol::Status::ok)
        return status;
    frame.op = header->first;
    frame.payload.assign(buffer_.data() + begin_ + Protocol::headerSize, header->second);
    begin_ += size;
    if (begin_ == end_)
        begin_ = end_ = 0;
    return Protocol::Status::ok;
}

} // namespace IOKit
