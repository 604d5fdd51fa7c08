#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/XPC/Listener.h"
#include "Tools/SMCHelper/ClientVerifier.h"
#include "Tools/SMCHelper/FanWriter.h"
#include "Tools/SMCHelper/HelperConfiguration.h"
#include "Tools/SMCHelper/HelperLog.h"

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// The privileged helper daemon: serves HelperProtocol on the label's socket under the root
// (SystemPlatform::HelperPaths), checks every client (ClientVerifier), writes fans through a
// FanWriter and logs every message and refusal (HelperLog at HelperPaths::logFile).
//
//   versionWithCompletion:               []           replies the version
//   setSMCPath:                          [text]       checks the path and logs it; never opens or runs it
//   setFanModeWithId:mode:completion:    [id, mode]   replies "" or why not
//   setFanSpeedWithId:value:completion:  [id, rpm]    replies "", "clamped to N" or why not
//   uninstall                            []           every fan automatic, files removed, exit 0
//   update                               []           re-executes the installed program when it differs
//
// An unknown selector or arguments of the wrong number or type close the client's connection.
// Safety nets: tick() returns forced fans to automatic once no client has been connected for the
// watchdog period, and terminate() does so before the process ends on a signal.
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

    // Opens the log and listens. False (see errorDescription()) when the socket cannot be bound.
    bool start();
    // Closes the listener (the log stays open).
    void stop();
    // After a failed re-execution: forgets the exit request and listens again.
    bool resume();
    std::string errorDescription() const;
    bool isListening() const;
    // Clients connected now.
    std::size_t clientCount() const;

    // The listener's peer filter and message handler (also usable in process).
    bool admit(const XPC::PeerCredentials& peer);
    bool handle(XPC::PeerConnection& peer, const XPC::Request& request);

    // The watchdog: call it periodically; it acts on the daemon's clock.
    void tick();
    // A signal ends the daemon: forced fans back to automatic, listener closed, exit 0.
    void terminate(int signal);

    std::optional<ExitRequest> exitRequest() const;
    // Waits (in real time) up to `seconds` for an exit request.
    std::optional<ExitRequest> waitForExit(double seconds);

    HelperLog& log() { return log_; }
    const std::string& version() const { return options_.version; }

    // Why a setSMCPath: text is not an acceptable path (absolute, ≤ 4096 bytes, UTF-8, no NUL), or nothing.
    static std::optional<std::string> smcPathProblem(std::string_view path);
    static std::string signalName(int signal);

private:
    const Foundation::Clock& clock() const;
    void noteClient();
    void requestExit(ExitRequest request, bool override_);
    void refuse(const XPC::PeerCredentials& peer, const std::string& reason, const XPC::Request* request);
    bool reply(XPC::PeerConnection& peer, const XPC::Request& request, const std::string& text);
    void uninstall();
    void update();
    void restore(const char* reason, bool everyFan);

    Options options_;
    HelperLog log_;
    ClientVerifier verifier_;
    FanWriter fans_;
    std::unique_ptr<XPC::Listener> listener_;

    mutable std::mutex mutex_; // guards what follows
    std::condition_variable exitChanged_;
    std::optional<ExitRequest> exit_;
    double lastClient_ = 0;
    bool idleHandled_ = false;
};

} // namespace Aerlo
