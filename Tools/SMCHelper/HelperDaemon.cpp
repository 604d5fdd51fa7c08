#include "Tools/SMCHelper/HelperDaemon.h"

#include "Platform/Foundation/UTF8.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace Aerlo {

using SystemPlatform::HelperPaths;

namespace {

constexpr std::string_view versionSelector = "versionWithCompletion:";
constexpr std::string_view smcPathSelector = "setSMCPath:";
constexpr std::string_view fanModeSelector = "setFanModeWithId:mode:completion:";
constexpr std::string_view fanSpeedSelector = "setFanSpeedWithId:value:completion:";
constexpr std::string_view uninstallSelector = "uninstall";
constexpr std::string_view updateSelector = "update";

// A "q" argument: a whole number that fits a signed 64-bit integer.
std::optional<std::int64_t> int64Argument(const XPC::Message& value)
{
    if (!value.is_number_integer())
        return std::nullopt;
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return static_cast<std::int64_t>(unsignedValue);
    }
    return value.get<std::int64_t>();
}

// [q, q], or nothing.
std::optional<std::pair<std::int64_t, std::int64_t>> int64Pair(const XPC::Message& args)
{
    if (!args.is_array() || args.size() != 2)
        return std::nullopt;
    const auto first = int64Argument(args[0]);
    const auto second = int64Argument(args[1]);
    if (!first || !second)
        return std::nullopt;
    return std::pair {*first, *second};
}

bool noArguments(const XPC::Message& args) { return args.is_array() && args.empty(); }

nlohmann::ordered_json peerFields(const XPC::PeerCredentials& peer)
{
    nlohmann::ordered_json fields;
    fields["pid"] = static_cast<std::int64_t>(peer.pid);
    fields["uid"] = static_cast<std::uint64_t>(peer.uid);
    return fields;
}

nlohmann::ordered_json digestOrNull(const std::optional<std::string>& digest)
{
    return digest ? nlohmann::ordered_json(*digest) : nlohmann::ordered_json(nullptr);
}

// Why `program` may not be run as this process's new image: it must be a regular file of this
// process's user, writable by nobody else.
std::optional<std::string> unsafeProgram(const std::filesystem::path& program)
{
    struct stat info {};
    if (::lstat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return "the installed program is not a regular file";
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return "the installed program may be written by another user";
    if ((info.st_mode & S_IXUSR) == 0)
        return "the installed program is not executable";
    return std::nullopt;
}

} // namespace

HelperDaemon::HelperDaemon(Options options)
    : options_(std::move(options)),
      log_(options_.clock ? *options_.clock : Foundation::Clock::system()),
      verifier_(options_.configuration, options_.procRoot),
      fans_(options_.smcRegistry)
{
    auto listenerOptions = options_.listener;
    if (!listenerOptions.clock)
        listenerOptions.clock = &clock();
    listener_ = std::make_unique<XPC::Listener>(HelperPaths::socket(label), listenerOptions);
    listener_->setPeerFilter([this](const XPC::PeerCredentials& peer) { return admit(peer); });
    listener_->setMessageHandler(
        [this](XPC::PeerConnection& peer, const XPC::Request& request) { return handle(peer, request); });
    listener_->setRejectionHandler([this](const XPC::PeerCredentials& peer, std::string_view reason) {
        auto fields = peerFields(peer);
        fields["reason"] = std::string(reason);
        log_.record("closed", fields);
    });
}

// The listener goes first: its thread runs handlers that use every other member.
HelperDaemon::~HelperDaemon() { listener_.reset(); }

const Foundation::Clock& HelperDaemon::clock() const
{
    return options_.clock ? *options_.clock : Foundation::Clock::system();
}

bool HelperDaemon::start()
{
    if (!log_.isOpen())
        if (auto problem = log_.open(HelperPaths::logFile(label)); !problem.empty())
            Foundation::Console::printError(problem);

    const auto& configuration = options_.configuration;
    nlohmann::ordered_json fields;
    fields["version"] = options_.version;
    fields["pid"] = static_cast<std::int64_t>(::getpid());
    fields["development"] = configuration.development;
    fields["allowedClientUIDs"] = configuration.allowedClientUIDs;
    fields["allowedClientPath"] = configuration.allowedClientPath.string();
    fields["watchdogSeconds"] = configuration.watchdogSeconds;
    log_.record("start", fields);
    if (configuration.development) {
        const std::string warning = "No job file at " + HelperPaths::jobFile(label).string() +
                                    ": development run, serving only uid " +
                                    std::to_string(configuration.allowedClientUIDs.at(0)) +
                                    " and not checking the client's executable.";
        Foundation::Console::printError(warning);
        nlohmann::ordered_json note;
        note["warning"] = warning;
        log_.record("development", note);
    }
    {
        std::lock_guard lock(mutex_);
        lastClient_ = clock().now();
        idleHandled_ = false;
    }
    if (!listener_->start()) {
        nlohmann::ordered_json failure;
        failure["problem"] = listener_->errorDescription();
        log_.record("failed", failure);
        return false;
    }
    return true;
}

void HelperDaemon::stop() { listener_->stop(); }

bool HelperDaemon::resume()
{
    {
        std::lock_guard lock(mutex_);
        exit_.reset();
    }
    return listener_->start();
}

std::string HelperDaemon::errorDescription() const { return listener_->errorDescription(); }

bool HelperDaemon::isListening() const { return listener_->isListening(); }

std::size_t HelperDaemon::clientCount() const { return listener_->connectionCount(); }

void HelperDaemon::noteClient()
{
    std::lock_guard lock(mutex_);
    lastClient_ = clock().now();
    idleHandled_ = false;
}

void HelperDaemon::refuse(const XPC::PeerCredentials& peer, const std::string& reason, const XPC::Request* request)
{
    auto fields = peerFields(peer);
    if (request) {
        fields["id"] = request->id;
        fields["sel"] = request->sel;
    }
    fields["reason"] = reason;
    log_.record("refused", fields);
}

bool HelperDaemon::admit(const XPC::PeerCredentials& peer)
{
    if (auto problem = verifier_.admit(peer)) {
        refuse(peer, *problem, nullptr);
        return false;
    }
    noteClient();
    return true;
}

bool HelperDaemon::reply(XPC::PeerConnection& peer, const XPC::Request& request, const std::string& text)
{
    nlohmann::ordered_json fields;
    fields["id"] = request.id;
    fields["sel"] = request.sel;
    fields["reply"] = text;
    log_.record("reply", fields);
    return peer.reply(request.id, text);
}

bool HelperDaemon::handle(XPC::PeerConnection& peer, const XPC::Request& request)
{
    const auto& credentials = peer.credentials();
    if (auto problem = verifier_.recheck(credentials)) {
        refuse(credentials, *problem, &request);
        return false;
    }
    noteClient();
    auto fields = peerFields(credentials);
    fields["id"] = request.id;
    fields["sel"] = request.sel;
    fields["args"] = request.args;
    log_.record("message", fields);

    const auto& args = request.args;
    const auto wrongArguments = [&] {
        refuse(credentials, "wrong arguments for " + request.sel, &request);
        return false;
    };
    if (request.sel == versionSelector)
        return noArguments(args) ? reply(peer, request, options_.version) : wrongArguments();
    if (request.sel == smcPathSelector) {
        if (!args.is_array() || args.size() != 1 || !args[0].is_string())
            return wrongArguments();
        // Only looked at: the daemon never opens or runs what a client names.
        if (auto problem = smcPathProblem(args[0].get_ref<const std::string&>()))
            refuse(credentials, *problem, &request);
        return true;
    }
    if (request.sel == fanModeSelector || request.sel == fanSpeedSelector) {
        const auto values = int64Pair(args);
        if (!values)
            return wrongArguments();
        const auto [id, value] = *values;
        return reply(peer, request, request.sel == fanModeSelector ? fans_.setMode(id, value) : fans_.setSpeed(id, value));
    }
    if (request.sel == uninstallSelector) {
        if (!noArguments(args))
            return wrongArguments();
        uninstall();
        return true;
    }
    if (request.sel == updateSelector) {
        if (!noArguments(args))
            return wrongArguments();
        update();
        return true;
    }
    refuse(credentials, "unknown selector", &request);
    return false;
}

void HelperDaemon::restore(const char* reason, bool everyFan)
{
    const auto fans = fans_.restoreAutomatic(everyFan);
    nlohmann::ordered_json fields;
    fields["reason"] = reason;
    fields["fans"] = fans;
    log_.record("restore", fields);
}

void HelperDaemon::uninstall()
{
    restore("uninstall", true);
    listener_->stop();
    const std::string problem = SystemPlatform::JobBlessService::remove(label);
    nlohmann::ordered_json fields;
    fields["problem"] = problem.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(problem);
    log_.record("uninstalled", fields);
    requestExit({ExitRequest::Kind::exit, 0, {}}, false);
}

void HelperDaemon::update()
{
    // Only the installed program is ever run: nothing is copied from the application's folder.
    const auto installed = HelperPaths::installedProgram(label);
    const auto installedDigest = Foundation::FileDigest::sha256(installed);
    const auto runningDigest = Foundation::FileDigest::sha256(options_.runningImage);
    nlohmann::ordered_json fields;
    fields["installed"] = digestOrNull(installedDigest);
    fields["running"] = digestOrNull(runningDigest);
    std::optional<std::string> problem;
    if (!installedDigest || !runningDigest)
        problem = installedDigest ? "the running program cannot be read" : "the installed program cannot be read";
    else if (*installedDigest == *runningDigest)
        problem = "the installed program is the running one";
    else
        problem = unsafeProgram(installed);
    fields["action"] = problem ? "none" : "re-exec";
    if (problem)
        fields["reason"] = *problem;
    log_.record("update", fields);
    if (!problem)
        requestExit({ExitRequest::Kind::reexec, 0, installed}, false);
}

void HelperDaemon::tick()
{
    const double now = clock().now();
    const bool connected = listener_->connectionCount() > 0;
    double idle = 0;
    {
        std::lock_guard lock(mutex_);
        if (connected) {
            lastClient_ = now;
            idleHandled_ = false;
            return;
        }
        const double period = options_.configuration.watchdogSeconds;
        idle = now - lastClient_;
        if (period <= 0 || idleHandled_ || exit_ || idle < period)
            return;
        idleHandled_ = true;
    }
    const auto fans = fans_.restoreAutomatic(false);
    if (fans.empty())
        return;
    nlohmann::ordered_json fields;
    fields["reason"] = "watchdog";
    fields["idleSeconds"] = idle;
    fields["fans"] = fans;
    log_.record("restore", fields);
}

void HelperDaemon::terminate(int signal)
{
    const std::string name = signalName(signal);
    nlohmann::ordered_json fields;
    fields["signal"] = name;
    log_.record("signal", fields);
    restore(name.c_str(), false);
    listener_->stop();
    requestExit({ExitRequest::Kind::exit, 0, {}}, true);
}

void HelperDaemon::requestExit(ExitRequest request, bool override_)
{
    std::lock_guard lock(mutex_);
    if (!exit_ || override_)
        exit_ = std::move(request);
    exitChanged_.notify_all();
}

std::optional<HelperDaemon::ExitRequest> HelperDaemon::exitRequest() const
{
    std::lock_guard lock(mutex_);
    return exit_;
}

std::optional<HelperDaemon::ExitRequest> HelperDaemon::waitForExit(double seconds)
{
    std::unique_lock lock(mutex_);
    exitChanged_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return exit_.has_value(); });
    return exit_;
}

std::optional<std::string> HelperDaemon::smcPathProblem(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos)
        return "the SMC path holds a NUL byte";
    if (!Foundation::UTF8::isValid(path))
        return "the SMC path is not UTF-8";
    if (path.size() > maximumSMCPathLength)
        return "the SMC path is longer than 4096 bytes";
    if (path.empty() || path.front() != '/')
        return "the SMC path is not absolute";
    return std::nullopt;
}

std::string HelperDaemon::signalName(int signal)
{
    switch (signal) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace Aerlo
