#include "Platform/SMC/SocketSmcTransport.h"

namespace IOKit {

using Protocol = SocketSmcProtocol;

SocketSmcTransport::SocketSmcTransport(std::filesystem::path socketPath, bool privileged)
    : path_(std::move(socketPath)), wantsPrivilege_(privileged)
{
}

SocketSmcTransport::~SocketSmcTransport()
{
    std::lock_guard lock(mutex_);
    for (auto& channel : channels_)
        disconnect(*channel);
}

SocketSmcTransport::Lease::Lease(SocketSmcTransport& transport) : transport_(transport)
{
    std::unique_lock lock(transport_.mutex_);
    transport_.idle_.wait(lock, [&] {
        return !transport_.free_.empty() || transport_.channels_.size() < maxConnections;
    });
    if (!transport_.free_.empty()) {
        channel_ = transport_.free_.back();
        transport_.free_.pop_back();
    } else {
        channel_ = transport_.channels_.emplace_back(std::make_unique<Channel>()).get();
    }
    for (const auto& [local, remote] : channel_->remotes)
        if (!transport_.handles_.contains(local))
            stale_.push_back(local);
}

SocketSmcTransport::Lease::~Lease()
{
    {
        std::lock_guard lock(transport_.mutex_);
        transport_.free_.push_back(channel_);
    }
    transport_.idle_.notify_one();
}

bool SocketSmcTransport::privileged() const
{
    std::lock_guard lock(mutex_);
    for (const Channel* channel : free_)
        if (channel->fd && channel->granted)
            return true;
    return false;
}

std::size_t SocketSmcTransport::reconnects() const
{
    std::lock_guard lock(mutex_);
    return reconnects_;
}

std::uint64_t SocketSmcTransport::generation() const
{
    return connects_.load();
}

std::size_t SocketSmcTransport::connections() const
{
    std::lock_guard lock(mutex_);
    return channels_.size();
}

void SocketSmcTransport::disconnect(Channel& channel)
{
    channel.fd.reset();
    channel.granted = false;
    // The simulator's handles died with the connection.
    channel.remotes.clear();
}

const std::string* SocketSmcTransport::roundTrip(Channel& channel, Protocol::Op op, std::string_view payload,
                                                Protocol::Status& status)
{
    status = Protocol::Status::closed;
    if (Protocol::send(channel.fd.get(), op, payload)) {
        status = channel.reader.receive(channel.reply);
        if (status == Protocol::Status::ok && channel.reply.op != op)
            status = Protocol::Status::malformed;
    }
    channel.status = status;
    return status == Protocol::Status::ok ? &channel.reply.payload : nullptr;
}

bool SocketSmcTransport::connect(Channel& channel)
{
    channel.fd.reset(Protocol::connectTo(path_));
    if (!channel.fd)
        return false;
    channel.reader.reset(channel.fd.get());
    if (channel.connectedBefore) {
        std::lock_guard lock(mutex_);
        ++reconnects_;
    }
    channel.connectedBefore = true;

    std::string hello;
    Protocol::putU32(hello, Protocol::magic);
    Protocol::putU32(hello, Protocol::version);
    hello.push_back(wantsPrivilege_ ? 1 : 0);
    hello.append(3, '\0');
    const auto token = wantsPrivilege_ ? Protocol::readToken(Protocol::tokenPath(path_)) : std::nullopt;
    hello.append(token ? *token : std::string(Protocol::tokenSize, '\0'));
    Protocol::Status status;
    const auto reply = roundTrip(channel, Protocol::Op::hello, hello, status);
    if (!reply || Protocol::u32At(*reply, 0) != kIOReturnSuccess || reply->size() < 5) {
        disconnect(channel);
        return false;
    }
    channel.granted = (*reply)[4] != 0;
    ++connects_;
    return true;
}

template <typename Build>
const std::string* SocketSmcTransport::exchange(Channel& channel, Protocol::Op op, Build build, bool reconnect)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!channel.fd && (!reconnect || !connect(channel)))
            return nullptr;
        channel.request.clear();
        if (!build(channel.request)) {
            // The connection broke under what `build` sent first: once more over a fresh one.
            if (!channel.fd && channel.status != Protocol::Status::timedOut)
                continue;
            return nullptr;
        }
        Protocol::Status status;
        if (const std::string* reply = roundTrip(channel, op, channel.request, status))
            return reply;
        disconnect(channel);
        if (status == Protocol::Status::timedOut)
            return nullptr; // a hung simulator: do not wait twice
    }
    return nullptr;
}

const SocketSmcTransport::Remote* SocketSmcTransport::remoteFor(Channel& channel, std::uint32_t connection,
                                                              std::uint32_t type, Protocol::Status& status)
{
    if (const auto found = channel.remotes.find(connection); found != channel.remotes.end())
        return &found->second;
    channel.openRequest.clear();
    Protocol::putU32(channel.openRequest, type);
    const std::string* opened = roundTrip(channel, Protocol::Op::open, channel.openRequest, status);
    if (!opened) {
        disconnect(channel);
        return nullptr;
    }
    Remote remote;
    remote.lost = Protocol::u32At(*opened, 0).value_or(kIOReturnError);
    remote.remote = remote.lost == kIOReturnSuccess ? Protocol::u32At(*opened, 4).value_or(0) : 0;
    return &(channel.remotes[connection] = remote);
}

kern_return_t SocketSmcTransport::closeRemote(Channel& channel, std::uint32_t connection)
{
    const auto found = channel.remotes.find(connection);
    if (found == channel.remotes.end())
        return kIOReturnSuccess;
    const Remote remote = found->second;
    channel.remotes.erase(found);
    if (remote.remote == 0 || !channel.fd)
        return kIOReturnSuccess; // the simulator dropped it with the old connection
    const std::string* reply = exchange(
        channel, Protocol::Op::close,
        [&](std::string& request) {
            Protocol::putU32(request, remote.remote);
            return true;
        },
        false);
    return reply ? Protocol::u32At(*reply, 0).value_or(kIOReturnError) : kIOReturnSuccess;
}

void SocketSmcTransport::closeStale(Lease& lease)
{
    for (const std::uint32_t connection : lease.stale())
        (void)closeRemote(*lease, connection);
}

kern_return_t SocketSmcTransport::open(std::uint32_t type, std::uint32_t& connection)
{
    connection = 0;
    Lease lease(*this);
    closeStale(lease);
    const std::string* reply = exchange(*lease, Protocol::Op::open, [&](std::string& request) {
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
    {
        std::lock_guard lock(mutex_);
        connection = ++lastHandle_;
        handles_[connection] = type;
    }
    lease->remotes[connection] = Remote{*remote, kIOReturnSuccess};
    return kIOReturnSuccess;
}

kern_return_t SocketSmcTransport::call(std::uint32_t connection, std::uint32_t selector, const SMCRecord& input,
                                       SMCRecord& output)
{
    output.fill(0);
    std::uint32_t type = 0;
    {
        std::lock_guard lock(mutex_);
        const auto found = handles_.find(connection);
        if (found == handles_.end())
            return MACH_SEND_INVALID_DEST;
        type = found->second;
    }
    Lease lease(*this);
    closeStale(lease);
    kern_return_t lost = kIOReturnSuccess;
    const std::string* reply = exchange(*lease, Protocol::Op::call, [&](std::string& request) {
        Protocol::Status status;
        const Remote* remote = remoteFor(*lease, connection, type, status);
        if (!remote)
            return false;
        if (remote->remote == 0) {
            lost = remote->lost;
            return false;
        }
        Protocol::putU32(request, remote->remote);
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
    {
        std::lock_guard lock(mutex_);
        if (handles_.erase(connection) == 0)
            return MACH_SEND_INVALID_DEST;
    }
    // The channel at hand closes its side now; the others when they next carry an exchange.
    Lease lease(*this);
    const kern_return_t result = closeRemote(*lease, connection);
    closeStale(lease);
    return result;
}

std::optional<std::string> SocketSmcTransport::control(std::string_view request)
{
    Lease lease(*this);
    closeStale(lease);
    const std::string* reply = exchange(*lease, Protocol::Op::control, [&](std::string& payload) {
        payload.assign(request);
        return true;
    });
    return reply ? std::optional<std::string>(*reply) : std::nullopt;
}

} // namespace IOKit
