#include "Platform/SMC/SocketSmcTransport.h"

#include <unistd.h>

namespace IOKit {

using Protocol = SocketSmcProtocol;

SocketSmcTransport::SocketSmcTransport(std::filesystem::path socketPath, bool privileged)
    : path_(std::move(socketPath)), wantsPrivilege_(privileged)
{
}

SocketSmcTransport::~SocketSmcTransport()
{
    std::lock_guard lock(mutex_);
    disconnectLocked();
}

bool SocketSmcTransport::privileged() const
{
    std::lock_guard lock(mutex_);
    return fd_ >= 0 && granted_;
}

std::size_t SocketSmcTransport::reconnects() const
{
    std::lock_guard lock(mutex_);
    return connects_ > 0 ? connects_ - 1 : 0;
}

void SocketSmcTransport::disconnectLocked()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    granted_ = false;
}

const std::string* SocketSmcTransport::roundTripLocked(Protocol::Op op, std::string_view payload,
                                                      Protocol::Status& status)
{
    status = Protocol::Status::closed;
    if (!Protocol::send(fd_, op, payload))
        return nullptr;
    status = reader_.receive(reply_);
    if (status == Protocol::Status::ok && reply_.op != op)
        status = Protocol::Status::malformed;
    return status == Protocol::Status::ok ? &reply_.payload : nullptr;
}

bool SocketSmcTransport::connectLocked()
{
    fd_ = Protocol::connectTo(path_);
    if (fd_ < 0)
        return false;
    reader_.reset(fd_);
    ++connects_;

    std::string hello;
    Protocol::putU32(hello, Protocol::magic);
    Protocol::putU32(hello, Protocol::version);
    hello.push_back(wantsPrivilege_ ? 1 : 0);
    hello.append(3, '\0');
    const auto token = wantsPrivilege_ ? Protocol::readToken(Protocol::tokenPath(path_)) : std::nullopt;
    hello.append(token ? *token : std::string(Protocol::tokenSize, '\0'));
    Protocol::Status status;
    const auto reply = roundTripLocked(Protocol::Op::hello, hello, status);
    if (!reply || Protocol::u32At(*reply, 0) != kIOReturnSuccess || reply->size() < 5) {
        disconnectLocked();
        return false;
    }
    granted_ = (*reply)[4] != 0;

    // The simulator's handles of an earlier connection died with it.
    for (auto& [local, handle] : handles_) {
        request_.clear();
        Protocol::putU32(request_, handle.type);
        const auto opened = roundTripLocked(Protocol::Op::open, request_, status);
        if (!opened) {
            disconnectLocked();
            return false;
        }
        handle.lost = Protocol::u32At(*opened, 0).value_or(kIOReturnError);
        handle.remote = handle.lost == kIOReturnSuccess ? Protocol::u32At(*opened, 4).value_or(0) : 0;
    }
    return true;
}

template <typename Build>
const std::string* SocketSmcTransport::exchangeLocked(Protocol::Op op, Build build, bool reconnect)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0 && (!reconnect || !connectLocked()))
            return nullptr;
        request_.clear();
        if (!build(request_))
            return nullptr;
        Protocol::Status status;
        if (const std::string* reply = roundTripLocked(op, request_, status))
            return reply;
        disconnectLocked();
        if (status == Protocol::Status::timedOut)
            return nullptr; // a hung simulator: do not wait twice
    }
    return nullptr;
}

kern_return_t SocketSmcTransport::open(std::uint32_t type, std::uint32_t& connection)
{
    std::lock_guard lock(mutex_);
    connection = 0;
    const std::string* reply = exchangeLocked(Protocol::Op::open, [&](std::string& request) {
        Protocol::putU32(request, type);
        return true;
    });
    if (!reply)
        return kIOReturnNoDevice;
    const kern_return_t result = Protocol::u32At(*reply, 0).value_or(kIOReturnError);
    const auto remote = Protocol::u32At(*reply, 4);
    if (result != kIOReturnSuccess)
        return result;
    if (!remote || *remote == 0)
        return kIOReturnError;
    connection = ++lastHandle_;
    handles_[connection] = Handle{type, *remote, kIOReturnSuccess};
    return kIOReturnSuccess;
}

kern_return_t SocketSmcTransport::call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                                       SMCRecord& output)
{
    std::lock_guard lock(mutex_);
    output.fill(0);
    if (!handles_.contains(connection))
        return MACH_SEND_INVALID_DEST;
    kern_return_t lost = kIOReturnSuccess;
    const std::string* reply = exchangeLocked(Protocol::Op::call, [&](std::string& request) {
        const Handle& handle = handles_.at(connection);
        if (handle.remote == 0) {
            lost = handle.lost;
            return false;
        }
        Protocol::putU32(request, handle.remote);
        Protocol::putU32(request, selector);
        request.append(reinterpret_cast<const char*>(input.data()), input.size());
        return true;
    });
    if (!reply)
        return lost != kIOReturnSuccess ? lost : kIOReturnNoDevice;
    if (reply->size() != 4 + output.size())
        return kIOReturnIOError;
    std::copy(reply->begin() + 4, reply->end(), output.begin());
    return *Protocol::u32At(*reply, 0);
}

kern_return_t SocketSmcTransport::close(std::uint32_t connection)
{
    std::lock_guard lock(mutex_);
    auto it = handles_.find(connection);
    if (it == handles_.end())
        return MACH_SEND_INVALID_DEST;
    const Handle handle = it->second;
    handles_.erase(it);
    if (handle.remote == 0 || fd_ < 0)
        return kIOReturnSuccess; // the simulator dropped it with the old connection
    const std::string* reply = exchangeLocked(
        Protocol::Op::close,
        [&](std::string& request) {
            Protocol::putU32(request, handle.remote);
            return true;
        },
        false);
    if (!reply)
        return kIOReturnSuccess;
    return Protocol::u32At(*reply, 0).value_or(kIOReturnError);
}

std::optional<std::string> SocketSmcTransport::control(std::string_view request)
{
    std::lock_guard lock(mutex_);
    const std::string* reply = exchangeLocked(Protocol::Op::control, [&](std::string& payload) {
        payload.assign(request);
        return true;
    });
    return reply ? std::optional<std::string>(*reply) : std::nullopt;
}

} // namespace IOKit
