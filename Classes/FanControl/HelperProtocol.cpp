#include "Classes/FanControl/HelperProtocol.h"

#include "Platform/XPC/MessageCodec.h"

#include <chrono>
#include <cmath>

namespace Aerlo {

void HelperProtocol::PendingReplies::begin()
{
    std::lock_guard lock(mutex_);
    ++count_;
}

void HelperProtocol::PendingReplies::end()
{
    std::lock_guard lock(mutex_);
    if (count_ > 0)
        --count_;
    if (count_ == 0)
        idle_.notify_all();
}

std::size_t HelperProtocol::PendingReplies::count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

bool HelperProtocol::PendingReplies::waitUntilIdle(double timeoutSeconds)
{
    const double seconds = std::isfinite(timeoutSeconds) && timeoutSeconds > 0 ? timeoutSeconds : 0.0;
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return count_ == 0; });
}

HelperProtocol::HelperProtocol(std::shared_ptr<XPC::Transport> transport, ErrorHandler errorHandler,
                               std::shared_ptr<PendingReplies> pending)
    : transport_(std::move(transport)), errorHandler_(std::move(errorHandler)), pending_(std::move(pending))
{
}

void HelperProtocol::versionWithCompletion(Completion completion) const
{
    send(Selector::versionWithCompletion, XPC::Message::array(), std::move(completion));
}

void HelperProtocol::setSMCPath(std::string_view path) const
{
    send(Selector::setSMCPath, XPC::Message::array({std::string(path)}), {});
}

void HelperProtocol::setFanModeWithId(std::int64_t id, std::int64_t mode, Completion completion) const
{
    send(Selector::setFanModeWithId, XPC::Message::array({id, mode}), std::move(completion));
}

void HelperProtocol::setFanSpeedWithId(std::int64_t id, std::int64_t value, Completion completion) const
{
    send(Selector::setFanSpeedWithId, XPC::Message::array({id, value}), std::move(completion));
}

void HelperProtocol::uninstall() const { send(Selector::uninstall, XPC::Message::array(), {}); }

void HelperProtocol::update() const { send(Selector::update, XPC::Message::array(), {}); }

void HelperProtocol::send(std::string_view selector, XPC::Message args, Completion completion) const
{
    if (!transport_)
        return;
    const XPC::Message message = XPC::MessageCodec::makeRequest(selector, std::move(args));
    if (!completion) {
        transport_->send(message, {}, errorHandler_);
        return;
    }
    if (pending_)
        pending_->begin();
    transport_->send(
        message,
        [completion = std::move(completion), pending = pending_](std::optional<std::string> reply) {
            completion(std::move(reply));
            if (pending)
                pending->end();
        },
        [error = errorHandler_, pending = pending_](const XPC::Error& failure) {
            if (error)
                error(failure);
            if (pending)
                pending->end();
        });
}

} // namespace Aerlo
