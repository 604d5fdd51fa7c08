#pragma once

#include "Platform/XPC/Transport.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// The privileged helper's remote interface. An instance is a proxy over one helper transport: each
// method sends one message, never waits and never retries. Completions take one optional text; they
// and the proxy's error handler run on the transport's private queue. For a message with a
// completion exactly one of the completion or the error handler runs; for one without, the error
// handler runs only when the message could not be sent.
class HelperProtocol {
public:
    // The selectors, in declared order.
    struct Selector {
        static constexpr std::string_view versionWithCompletion = "versionWithCompletion:";
        static constexpr std::string_view setSMCPath = "setSMCPath:";
        static constexpr std::string_view setFanModeWithId = "setFanModeWithId:mode:completion:";
        static constexpr std::string_view setFanSpeedWithId = "setFanSpeedWithId:value:completion:";
        static constexpr std::string_view uninstall = "uninstall";
        static constexpr std::string_view update = "update";
    };
    static constexpr std::array<std::string_view, 6> selectors = {
        Selector::versionWithCompletion, Selector::setSMCPath, Selector::setFanModeWithId,
        Selector::setFanSpeedWithId,     Selector::uninstall,  Selector::update,
    };

    using Completion = std::function<void(std::optional<std::string> reply)>;
    using ErrorHandler = XPC::Transport::ErrorHandler;

    // Messages whose completion or error has not run yet, so that a sender can wait for them.
    class PendingReplies {
    public:
        void begin();
        void end();
        std::size_t count() const;
        // True once none is pending; false when `timeoutSeconds` passed first.
        [[nodiscard]] bool waitUntilIdle(double timeoutSeconds);

    private:
        mutable std::mutex mutex_;
        std::condition_variable idle_;
        std::size_t count_ = 0;
    };

    // `pending`, when given, counts the messages sent with a completion until it or the error runs.
    HelperProtocol(std::shared_ptr<XPC::Transport> transport, ErrorHandler errorHandler,
                   std::shared_ptr<PendingReplies> pending = nullptr);

    void versionWithCompletion(Completion completion) const;
    void setSMCPath(std::string_view path) const;
    void setFanModeWithId(std::int64_t id, std::int64_t mode, Completion completion) const;
    void setFanSpeedWithId(std::int64_t id, std::int64_t value, Completion completion) const;
    void uninstall() const;
    void update() const;

private:
    void send(std::string_view selector, XPC::Message args, Completion completion) const;

    std::shared_ptr<XPC::Transport> transport_;
    ErrorHandler errorHandler_;
    std::shared_ptr<PendingReplies> pending_;
};

} // namespace Aerlo
