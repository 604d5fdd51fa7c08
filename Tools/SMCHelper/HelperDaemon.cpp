#include "Tools/SMCHelper/HelperDaemon.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/UTF8.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"

#include <algorithm>
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

// Whether `program` may be run as this process's new image: it must be a regular file of this
// process's user, writable by nobody else.
Foundation::Result<void> checkProgram(const std::filesystem::path& program)
{
    using Foundation::Error;
    struct stat info {};
    if (::lstat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Error("the installed program is not a regular file");
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Error("the installed program may be written by another user");
    if ((info.st_mode & S_IXUSR) == 0)
        return Error("the installed program is not executable");
    return {};
}

} // namespace

HelperDaemon::HelperDaemon(Options options)
    : options_(std::move(options)),
      log_(options_.clock ? *options_.clock : Foundation::Clock::system(), options_.logLimit),
      verifier_(options_.configuration, options_.procRoot), fans_(options_.smcRegistry),
      clients_([this](const ClientProcess& process) { clientEnded(process); }, options_.procRoot)
{
    listener_ = std::make_unique<XPC::Listener>(HelperPaths::socket(label), options_.listener);
    listener_->setPeerAdmission([this](const XPC::PeerCredentials& peer) { return admitPeer(peer); });
    listener_->setSenderAdmission([this](const XPC::PeerCredentials& peer, const XPC::PeerCredentials& sender) {
        return verifier_.admitSender(peer, sender);
    });
    listener_->setMessageHandler(
        [this](XPC::PeerConnection& peer, const XPC::Request& request) { return handle(peer, request); });
    listener_->setRejectionHandler([this](const XPC::PeerCredentials& peer, std::string_view reason) {
        if (reason == XPC::Listener::tooManyConnections || reason == XPC::Listener::writtenBeforeAdmission) {
            refuseAtTheDoor(peer, reason);
            return;
        }
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

Foundation::Result<void> HelperDaemon::start()
{
    if (!log_.isOpen())
        if (const auto opened = log_.open(HelperPaths::logFile(label)); !opened)
            Foundation::Console::printError(opened.error());

    const auto& configuration = options_.configuration;
    nlohmann::ordered_json fields;
    fields["version"] = options_.version;
    fields["pid"] = static_cast<std::int64_t>(::getpid());
    fields["development"] = configuration.development;
    fields["allowedClientUIDs"] = configuration.allowedClientUIDs;
    fields["allowedClientPath"] = configuration.allowedClientPath.string();
    log_.record("start", fields);
    if (configuration.development) {
        const std::string warning =
            "No job file at " + HelperPaths::jobFile(label).string() + ": development run, serving only uid "
            + std::to_string(configuration.allowedClientUIDs.at(0)) + " and not checking the client's executable.";
        Foundation::Console::printError(warning);
        nlohmann::ordered_json note;
        note["warning"] = warning;
        log_.record("development", note);
    }
    restoreUnowned();
    auto started = listener_->start();
    if (!started) {
        nlohmann::ordered_json failure;
        failure["problem"] = started.error();
        log_.record("failed", failure);
    }
    return started;
}

void HelperDaemon::restoreUnowned()
{
    // Owners handed over by this very process before it re-executed are kept while they live;
    // anything else (a daemon that died, another process's word) is not trusted.
    std::map<int, ClientProcess> handedOver;
    if (!options_.handover.empty()) {
        if (auto owners = parseHandover(options_.handover, ::getpid())) {
            handedOver = std::move(*owners);
        } else {
            nlohmann::ordered_json fields;
            fields["problem"] = owners.error();
            log_.record("handover", fields);
        }
    }

    std::vector<int> unowned;
    for (const int fan : fans_.forcedFans()) {
        const auto owner = handedOver.find(fan);
        if (owner != handedOver.end() && clients_.watch(owner->second)) {
            std::lock_guard lock(mutex_);
            owners_[fan] = owner->second;
        } else {
            unowned.push_back(fan);
        }
    }
    if (unowned.empty())
        return;
    nlohmann::ordered_json fields;
    fields["reason"] = "start";
    fields["fans"] = fans_.setAutomatic(unowned);
    log_.record("restore", fields);
}

Foundation::Result<std::map<int, ClientProcess>> HelperDaemon::parseHandover(std::string_view text, pid_t self)
{
    const auto handover = nlohmann::json::parse(text, nullptr, false);
    const auto whole = [](const nlohmann::json& value, std::uint64_t maximum) {
        return value.is_number_unsigned() && value.get<std::uint64_t>() <= maximum;
    };
    constexpr auto pidMaximum = static_cast<std::uint64_t>(std::numeric_limits<pid_t>::max());
    if (!handover.is_object() || handover.size() != 2 || !handover.contains("pid") || !handover.contains("owners")
        || !whole(handover["pid"], pidMaximum) || !handover["owners"].is_array())
        return Foundation::Error("the handover is not {\"pid\": <pid>, \"owners\": [...]}");
    if (handover["pid"].get<std::uint64_t>() != static_cast<std::uint64_t>(self))
        return Foundation::Error("the handover names process " + std::to_string(handover["pid"].get<std::uint64_t>())
                                 + ", not this one");
    std::map<int, ClientProcess> owners;
    for (const auto& owner : handover["owners"]) {
        if (!owner.is_array() || owner.size() != 3 || !whole(owner[0], FanWriter::maximumFanCount - 1)
            || !whole(owner[1], pidMaximum) || owner[1] == 0 || !whole(owner[2], UINT64_MAX)
            || owners.count(owner[0].get<int>()))
            return Foundation::Error("the handover holds a malformed owner: " + owner.dump());
        owners[owner[0].get<int>()] = ClientProcess {owner[1].get<pid_t>(), owner[2].get<std::uint64_t>()};
    }
    return owners;
}

std::string HelperDaemon::handover() const
{
    nlohmann::ordered_json text;
    text["pid"] = static_cast<std::int64_t>(::getpid());
    text["owners"] = nlohmann::ordered_json::array();
    for (const auto& [fan, owner] : fanOwners())
        text["owners"].push_back({fan, owner.pid, owner.startTime});
    return text.dump();
}

std::map<int, ClientProcess> HelperDaemon::fanOwners() const
{
    std::lock_guard lock(mutex_);
    return owners_;
}

void HelperDaemon::stop() { listener_->stop(); }

Foundation::Result<void> HelperDaemon::resume()
{
    {
        std::lock_guard lock(mutex_);
        exit_.reset();
    }
    return listener_->start();
}

bool HelperDaemon::isListening() const { return listener_->isListening(); }

std::size_t HelperDaemon::clientCount() const { return listener_->connectionCount(); }

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

std::uint64_t HelperDaemon::refusedCount() const
{
    std::lock_guard lock(mutex_);
    return refusedCount_;
}

void HelperDaemon::refuseAtTheDoor(const XPC::PeerCredentials& peer, std::string_view reason)
{
    bool inFull = false;
    {
        std::lock_guard lock(mutex_);
        ++refusedCount_;
        inFull = refusals_.note(peer.uid, clock().now());
    }
    if (inFull)
        refuse(peer, std::string(reason), nullptr);
}

void HelperDaemon::summariseRefusals(bool everything)
{
    std::vector<RefusalSummary::Count> counts;
    {
        std::lock_guard lock(mutex_);
        counts = refusals_.take(clock().now(), everything);
    }
    for (const auto& count : counts) {
        nlohmann::ordered_json fields;
        fields["uid"] = static_cast<std::int64_t>(count.uid == static_cast<uid_t>(-1) ? -1 : count.uid);
        fields["count"] = count.refusals;
        fields["intervalSeconds"] = refusals_.intervalSeconds();
        log_.record("refusals", fields);
    }
}

Foundation::Result<void> HelperDaemon::admitPeer(const XPC::PeerCredentials& peer)
{
    auto admitted = verifier_.admitPeer(peer);
    if (!admitted)
        refuseAtTheDoor(peer, admitted.error());
    return admitted;
}

bool HelperDaemon::reply(XPC::PeerConnection& peer, const XPC::Request& request, const std::string& text)
{
    // Logged once the client has it all, not before.
    return peer.reply(request.id, text, [this, id = request.id, sel = request.sel, text] {
        nlohmann::ordered_json fields;
        fields["id"] = id;
        fields["sel"] = sel;
        fields["reply"] = text;
        log_.record("reply", fields);
    });
}

bool HelperDaemon::setMode(XPC::PeerConnection& peer, const XPC::Request& request, std::int64_t id, std::int64_t mode)
{
    const auto set = fans_.setMode(id, mode);
    if (set) {
        const int fan = static_cast<int>(id);
        const auto client = clients_.process(peer.credentials().pid);
        std::optional<ClientProcess> released;
        bool ended = false;
        {
            std::lock_guard lock(mutex_);
            const auto previous = owners_.find(fan);
            if (previous != owners_.end())
                released = previous->second;
            if (mode == 1 && client) {
                owners_[fan] = *client;
                ended = !clients_.watch(*client);
            } else {
                owners_.erase(fan);
            }
            if (released && std::none_of(owners_.begin(), owners_.end(), [&](const auto& owner) {
                    return owner.second == *released;
                }))
                clients_.forget(*released);
        }
        if (ended)
            clientEnded(*client);
    }
    return reply(peer, request, set ? "" : set.error());
}

bool HelperDaemon::setSpeed(XPC::PeerConnection& peer, const XPC::Request& request, std::int64_t id, std::int64_t rpm)
{
    const auto written = fans_.setSpeed(id, rpm);
    if (!written)
        return reply(peer, request, written.error());
    return reply(peer, request, *written == rpm ? "" : "clamped to " + std::to_string(*written));
}

void HelperDaemon::clientEnded(const ClientProcess& process)
{
    std::vector<int> fans;
    {
        std::lock_guard lock(mutex_);
        for (auto owner = owners_.begin(); owner != owners_.end();) {
            if (owner->second == process) {
                fans.push_back(owner->first);
                owner = owners_.erase(owner);
            } else {
                ++owner;
            }
        }
    }
    if (fans.empty())
        return;
    nlohmann::ordered_json fields;
    fields["reason"] = "client ended";
    fields["pid"] = static_cast<std::int64_t>(process.pid);
    fields["fans"] = fans_.setAutomatic(fans);
    log_.record("restore", fields);
}

bool HelperDaemon::handle(XPC::PeerConnection& peer, const XPC::Request& request)
{
    const auto& credentials = peer.credentials();
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
        if (const auto checked = checkSMCPath(args[0].get_ref<const std::string&>()); !checked)
            refuse(credentials, checked.error(), &request);
        return true;
    }
    if (request.sel == fanModeSelector || request.sel == fanSpeedSelector) {
        const auto values = int64Pair(args);
        if (!values)
            return wrongArguments();
        const auto [id, value] = *values;
        return request.sel == fanModeSelector ? setMode(peer, request, id, value) : setSpeed(peer, request, id, value);
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
    const auto removed = SystemPlatform::JobBlessService::remove(label);
    nlohmann::ordered_json fields;
    fields["problem"] = removed ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(removed.error());
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
    Foundation::Result<void> runnable;
    if (!installedDigest || !runningDigest)
        runnable = Foundation::Error(installedDigest ? "the running program cannot be read"
                                                     : "the installed program cannot be read");
    else if (*installedDigest == *runningDigest)
        runnable = Foundation::Error("the installed program is the running one");
    else
        runnable = checkProgram(installed);
    fields["action"] = runnable ? "re-exec" : "none";
    if (!runnable)
        fields["reason"] = runnable.error();
    log_.record("update", fields);
    if (runnable)
        requestExit({ExitRequest::Kind::reexec, 0, installed}, false);
}

void HelperDaemon::tick()
{
    clients_.check();
    summariseRefusals(false);
}

void HelperDaemon::terminate(int signal)
{
    const std::string name = signalName(signal);
    nlohmann::ordered_json fields;
    fields["signal"] = name;
    log_.record("signal", fields);
    summariseRefusals(true);
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

Foundation::Result<void> HelperDaemon::checkSMCPath(std::string_view path)
{
    using Foundation::Error;
    if (path.find('\0') != std::string_view::npos)
        return Error("the SMC path holds a NUL byte");
    if (!Foundation::UTF8::isValid(path))
        return Error("the SMC path is not UTF-8");
    if (path.size() > maximumSMCPathLength)
        return Error("the SMC path is longer than 4096 bytes");
    if (path.empty() || path.front() != '/')
        return Error("the SMC path is not absolute");
    return {};
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
