#pragma once

#include "Classes/FanControl/HelperProtocol.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/XPC/Transport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>

namespace Aerlo {

// The application's only client of the privileged helper daemon: it holds the one connection to the
// daemon's service, hands out a proxy per message (each sent after `setSMCPath:`), and installs,
// checks, updates and removes the daemon. Messages are fire-and-forget: a reply is only printed.
//
// The connection belongs to the main thread, as do the senders. Replies and proxy errors run on the
// connection's private queue and only print; the version check hands its follow-up to the main queue.
class SMCHelper : public std::enable_shared_from_this<SMCHelper> {
public:
    using TransportFactory = std::function<std::shared_ptr<XPC::Transport>()>;

    // The daemon's service name, job label and program file name.
    static constexpr std::string_view label = "com.norvane.AerloOffline.SMC.Helper";
    // After a version mismatch: how long the old daemon may take to go, and how often to look.
    static constexpr double reinstallWaitSeconds = 3.0;
    static constexpr double reinstallPollSeconds = 0.1;
    static constexpr double defaultFlushSeconds = 1.0;
    // After the connection was lost: how often to look whether the daemon listens again, and how long
    // it may take (beyond the keep-alive's longest wait) before it counts as gone.
    static constexpr double returnPollSeconds = 0.5;
    static constexpr double returnWaitSeconds = 15.0;

    // The process-wide client, made on first use; holders keep the one they got across a test reset.
    static std::shared_ptr<SMCHelper> shared();
    // An instance of its own (tests); deferred work holds it weakly.
    static std::shared_ptr<SMCHelper> make(TransportFactory factory = {});
    // The socket connection to the service named `label`.
    static std::shared_ptr<XPC::Transport> makeSocketConnection();

    ~SMCHelper();
    SMCHelper(const SMCHelper&) = delete;
    SMCHelper& operator=(const SMCHelper&) = delete;

    // The daemon's program is installed: the exact file "/Library/PrivilegedHelperTools/<label>".
    bool isInstalled() const;
    void setFanSpeed(std::int64_t id, std::int64_t value);
    void setFanMode(std::int64_t id, std::int64_t mode);
    // True while a connection is held.
    bool isConnected() const;
    const std::shared_ptr<XPC::Transport>& connection() const { return connection_; }

    // Replaces the daemon when its version differs from the copy in the bundle.
    void checkHelperVersion();
    // Blesses the bundle's daemon on the caller's thread; `completion` runs once with the outcome.
    void installHelper(const std::function<void(bool)>& completion);
    // Every fan back to automatic, then `uninstall`; unless silent, announces "fanHelperState" false.
    void uninstall(bool silent);
    void update();

    // The held connection, or a new resumed one (none only when the factory gives none).
    std::shared_ptr<XPC::Transport> makeConnection();
    // A proxy, after `setSMCPath:` has gone through it; none (and `errorHandler` called) when no
    // connection can be made. The proxy prints the first error of its messages.
    std::optional<HelperProtocol> helperProxy(const std::function<void()>& errorHandler = {});
    // Queues on the main queue the emptying of the connection; the next message makes a new one.
    void connectionInvalidated();
    // After the connection to the daemon was lost, run on the main queue with true once the daemon
    // answers again (a restarted daemon runs every fan automatic), or with false, once, when it has not
    // come back within returnWaitSeconds; nothing once it is no longer installed. Set it on the main thread.
    std::function<void(bool back)> reconnectionHandler;
    // Run when installing the helper failed for want of the administrator's authorization (refused,
    // dismissed, or no agent to ask), after the printed line. Set it on the main thread.
    std::function<void()> authorizationRefusedHandler;

    // Waits at most `timeoutSeconds` for the replies of the messages sent so far. Messages are on the
    // wire once sent; at quit this lets the daemon apply the restores before the process goes.
    // True when none is pending.
    [[nodiscard]] bool flush(double timeoutSeconds = defaultFlushSeconds);

    // Runs `cmd` with /bin/sh -c and returns its standard output, read to the end, as UTF-8 text.
    static std::string shell(const std::string& cmd);

private:
    explicit SMCHelper(TransportFactory factory);

    static void queueConnectionClearing(const std::weak_ptr<SMCHelper>& helper);
    void clearConnection();
    // While the connection is lost: looks for a new socket of the daemon, then asks its version; its
    // answer runs the reconnection handler.
    void watchForReturn();
    // After a version mismatch, on the main queue.
    void reinstall();
    // `daemon`: the old daemon's process, when its pid file named one.
    void installWhenOldDaemonIsGone(double deadline, std::optional<pid_t> daemon);

    TransportFactory factory_;
    std::shared_ptr<XPC::Transport> connection_;
    // The connection emptied last; kept so that replies to what was sent on it still arrive.
    std::shared_ptr<XPC::Transport> retired_;
    std::shared_ptr<HelperProtocol::PendingReplies> pending_;
    bool missingResourceReported_ = false;
    bool watching_ = false;
    bool toldGone_ = false;
    double lostAt_ = 0;
    // The socket file the lost daemon listened on (device, inode); a new daemon renames another in place.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> lostSocket_;

    friend struct ::TestAccess;
    // Tests: drops the shared instance; the next one makes its connections with `factory`
    // (empty: the socket connection).
    static void resetForTesting(TransportFactory factory = {});
};

} // namespace Aerlo
