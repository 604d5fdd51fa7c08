#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/XPC/Listener.h"
#include "Tools/SMCHelper/ClientVerifier.h"
#include "Tools/SMCHelper/ClientWatch.h"
#include "Tools/SMCHelper/FanWriter.h"
#include "Tools/SMCHelper/HelperConfiguration.h"
#include "Tools/SMCHelper/HelperLog.h"
#include "Tools/SMCHelper/RefusalSummary.h"

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// The privileged helper daemon: serves HelperProtocol on the label's socket under the root
// (SystemPlatform::HelperPaths), checks every client and every message's sender (ClientVerifier),
// writes fans through a FanWriter and logs every message, delivered reply and refusal (HelperLog at
// HelperPaths::logFile; refusals of a uid beyond the first of an interval are summarised).
//
//   versionWithCompletion:               []           replies the version
//   setSMCPath:                          [text]       checks the path and logs it; never opens or runs it
//   setFanModeWithId:mode:completion:    [id, mode]   replies "" or why not
//   setFanSpeedWithId:value:completion:  [id, rpm]    replies "", "clamped to N" or why not
//   uninstall                            []           every fan automatic, files removed, exit 0
//   update                               []           re-executes the installed program when it differs
//
// An unknown selector or arguments of the wrong number or type close the client's connection.
// Safety nets: the client process that forced a fan is watched, and when it ends every fan it forced
// returns to automatic (a dropped connection of a living client changes nothing); at start the
// fans that no living client forced return to automatic; terminate() returns every forced fan
// before the process ends on a signal.
class HelperDaemon {
public:
    static constexpr std::string_view label = "com.norvane.AerloOffline.SMC.Helper";
    static constexpr std::size_t maximumSMCPathLength = 4096;

    struct Options {
        std::string version;
        HelperConfiguration configuration;
        std::shared_ptr<IOKit::ServiceRegistry> smcRegistry;
        const Foundation::Clock* clock = nullptr; // the system clock when none
        std::filesystem::path procRoot = "/proc";
        std::filesystem::path runningImage = "/proc/self/exe";
        XPC::Listener::Options listener;
        std::uintmax_t logLimit = HelperLog::defaultMaximumBytes;
        // What a previous image of this process handed over (handover()) before it re-executed.
        std::string handover;
    };

    // How the process is to end: exit with `status`, or replace its image with `program`.
    struct ExitRequest {
        enum class Kind { exit, reexec };
        Kind kind = Kind::exit;
        int status = 0;
        std::filesystem::path program;
    };

    explicit HelperDaemon(Options options);
    ~HelperDaemon();
    HelperDaemon(const HelperDaemon&) = delete;
    HelperDaemon& operator=(const HelperDaemon&) = delete;

    // Opens the log and listens. Fails when the socket cannot be bound.
    [[nodiscard]] Foundation::Result<void> start();
    // Closes the listener (the log stays open).
    void stop();
    // After a failed re-execution: forgets the exit request and listens again.
    [[nodiscard]] Foundation::Result<void> resume();
    bool isListening() const;
    // Clients connected now.
    std::size_t clientCount() const;
    // Peers refused at the door since the daemon started.
    std::uint64_t refusedCount() const;

    // The listener's peer admission (a refusal is logged) and message handler (also usable in process).
    [[nodiscard]] Foundation::Result<void> admitPeer(const XPC::PeerCredentials& peer);
    bool handle(XPC::PeerConnection& peer, const XPC::Request& request);

    // Call it about once a second: finds ended clients where processes cannot be watched, and
    // summarises the refusals of the intervals that have passed (on the daemon's clock).
    void tick();
    // The client process that forced each fan.
    std::map<int, ClientProcess> fanOwners() const;
    // The fan owners, for the next image of this process (Options::handover).
    std::string handover() const;
    // The owners in a handover text written by process `self`; fails when it is malformed.
    static Foundation::Result<std::map<int, ClientProcess>> parseHandover(std::string_view text, pid_t self);
    // A signal ends the daemon: forced fans back to automatic, listener closed, exit 0.
    void terminate(int signal);

    std::optional<ExitRequest> exitRequest() const;
    // Waits (in real time) up to `seconds` for an exit request.
    std::optional<ExitRequest> waitForExit(double seconds);

    HelperLog& log() { return log_; }
    const std::string& version() const { return options_.version; }

    // Whether a setSMCPath: text is an acceptable path (absolute, ≤ 4096 bytes, UTF-8, no NUL), or why not.
    static Foundation::Result<void> checkSMCPath(std::string_view path);
    static std::string signalName(int signal);

private:
    const Foundation::Clock& clock() const;
    void requestExit(ExitRequest request, bool override_);
    void refuse(const XPC::PeerCredentials& peer, const std::string& reason, const XPC::Request* request);
    // A refusal at the door: logged in full once per uid and interval, counted otherwise.
    void refuseAtTheDoor(const XPC::PeerCredentials& peer, std::string_view reason);
    void summariseRefusals(bool everything);
    [[nodiscard]] bool reply(XPC::PeerConnection& peer, const XPC::Request& request, const std::string& text);
    // These two reply, and fail when the reply cannot be queued (the connection is closed).
    [[nodiscard]] bool setMode(XPC::PeerConnection& peer, const XPC::Request& request, std::int64_t id,
                               std::int64_t mode);
    [[nodiscard]] bool setSpeed(XPC::PeerConnection& peer, const XPC::Request& request, std::int64_t id,
                                std::int64_t rpm);
    void clientEnded(const ClientProcess& process);
    void restoreUnowned();
    void uninstall();
    void update();
    void restore(const char* reason, bool everyFan);

    Options options_;
    HelperLog log_;
    ClientVerifier verifier_;
    FanWriter fans_;

    mutable std::mutex mutex_; // guards what follows
    std::condition_variable exitChanged_;
    std::optional<ExitRequest> exit_;
    std::map<int, ClientProcess> owners_;
    RefusalSummary refusals_;
    std::uint64_t refusedCount_ = 0;

    // These two run handlers on threads of their own, which use every member above: they go first.
    ClientWatch clients_;
    std::unique_ptr<XPC::Listener> listener_;
};

} // namespace Aerlo
