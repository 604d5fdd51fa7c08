#include "Classes/FanControl/SMCHelper.h"

#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Sensors/FanMode.h"
#include "Classes/Sensors/SMC.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/Process.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/AuthorizationProvider.h"
#include "Platform/System/DaemonProcess.h"
#include "Platform/System/EmbeddedInfo.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/XPC/Connection.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <sys/stat.h>

namespace Aerlo {

namespace {

// The most fans an "F<i>Md" key can name.
constexpr double maximumFanCount = 10;

Foundation::SharedInstance<std::shared_ptr<SMCHelper>>& sharedInstance()
{
    static Foundation::SharedInstance<std::shared_ptr<SMCHelper>> instance([] { return SMCHelper::make(); });
    return instance;
}

void printReply(std::optional<std::string> reply)
{
    if (reply && !reply->empty())
        Foundation::Console::print(*reply);
}

// The daemon's socket file as (device, inode), while there is one.
std::optional<std::pair<std::uint64_t, std::uint64_t>> socketIdentity()
{
    struct stat info {};
    if (::lstat(SystemPlatform::HelperPaths::socket(SMCHelper::label).c_str(), &info) != 0 || !S_ISSOCK(info.st_mode))
        return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t> {info.st_dev, info.st_ino};
}

bool fileExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace

std::shared_ptr<SMCHelper> SMCHelper::shared() { return sharedInstance().get(); }

void SMCHelper::resetForTesting(TransportFactory factory)
{
    if (!factory)
        return sharedInstance().resetForTesting();
    sharedInstance().resetForTesting([factory = std::move(factory)] { return make(factory); });
}

std::shared_ptr<SMCHelper> SMCHelper::make(TransportFactory factory)
{
    return std::shared_ptr<SMCHelper>(new SMCHelper(std::move(factory)));
}

std::shared_ptr<XPC::Transport> SMCHelper::makeSocketConnection()
{
    return std::make_shared<XPC::Connection>(std::string(label), SystemPlatform::HelperPaths::socket(label));
}

SMCHelper::SMCHelper(TransportFactory factory)
    : factory_(std::move(factory)), pending_(std::make_shared<HelperProtocol::PendingReplies>())
{
}

SMCHelper::~SMCHelper()
{
    if (connection_)
        connection_->setInvalidationHandler(nullptr);
}

bool SMCHelper::isInstalled() const
{
    struct stat attributes {};
    const auto program = SystemPlatform::HelperPaths::installedProgram(label);
    return ::stat(program.c_str(), &attributes) == 0 && S_ISREG(attributes.st_mode);
}

void SMCHelper::setFanSpeed(std::int64_t id, std::int64_t value)
{
    if (auto proxy = helperProxy())
        proxy->setFanSpeedWithId(id, value, printReply);
}

void SMCHelper::setFanMode(std::int64_t id, std::int64_t mode)
{
    if (auto proxy = helperProxy())
        proxy->setFanModeWithId(id, mode, printReply);
}

bool SMCHelper::isConnected() const { return connection_ != nullptr; }

void SMCHelper::checkHelperVersion()
{
    const auto program = SystemPlatform::HelperPaths::bundledProgram(Foundation::Bundle::main().bundlePath(), label);
    const auto info = SystemPlatform::EmbeddedInfo::infoDictionary(program);
    if (!info)
        return;
    const auto version = info->find("CFBundleShortVersionString");
    if (version == info->end() || !version->is_string())
        return;
    auto proxy = helperProxy();
    if (!proxy)
        return;
    proxy->versionWithCompletion(
        [weak = weak_from_this(), bundled = version->get<std::string>()](std::optional<std::string> reply) {
            if (reply.value_or(std::string()) == bundled)
                return;
            Foundation::Console::print("New version of SMC helper is detected, going to update...");
            // The removal reads the SMC and uses the connection, and the installation may ask the user:
            // both belong to the main thread.
            Foundation::DispatchQueue::main().async([weak] {
                if (auto self = weak.lock())
                    self->reinstall();
            });
        });
}

void SMCHelper::reinstall()
{
    const auto daemon = SystemPlatform::DaemonProcess::readPidFile(SystemPlatform::HelperPaths::pidFile(label));
    uninstall(true);
    installWhenOldDaemonIsGone(Foundation::DispatchTime::now().seconds + reinstallWaitSeconds, daemon);
}

void SMCHelper::installWhenOldDaemonIsGone(double deadline, std::optional<pid_t> daemon)
{
    using SystemPlatform::HelperPaths;
    // Gone: its socket and pid file removed, and its process ended.
    const bool gone = !fileExists(HelperPaths::socket(label)) && !fileExists(HelperPaths::pidFile(label))
                      && !(daemon && SystemPlatform::DaemonProcess::isAlive(*daemon));
    if (!gone && Foundation::DispatchTime::now().seconds < deadline) {
        Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + reinstallPollSeconds,
                                                     [weak = weak_from_this(), deadline, daemon] {
                                                         if (auto self = weak.lock())
                                                             self->installWhenOldDaemonIsGone(deadline, daemon);
                                                     });
        return;
    }
    // Past the bound, the installation stops a daemon that its pid file still names.
    installHelper([](bool installed) {
        if (installed) {
            Foundation::Console::print("The new version of SMC helper was successfully installed.");
            return;
        }
        Foundation::Console::print("Error when installing a new version of the SMC helper.");
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::fanHelperState, nullptr,
                                                             {{"state", false}});
    });
}

void SMCHelper::installHelper(const std::function<void(bool)>& completion)
{
    using namespace SystemPlatform;
    const auto finish = [&](bool installed) {
        if (completion)
            completion(installed);
    };
    const auto provider = AuthorizationProvider::shared();
    const AuthorizationResult empty = provider->create({}, kAuthorizationFlagPreAuthorize);
    if (empty.status != errAuthorizationSuccess) {
        Foundation::Console::print("Unable to get a valid empty authorization reference to load Helper daemon");
        finish(false);
        return;
    }
    const AuthorizationRights rights {AuthorizationItem {std::string(kSMRightBlessPrivilegedHelper), {}, 0}};
    const AuthorizationResult loading = provider->create(
        rights, kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize);
    if (loading.status != errAuthorizationSuccess) {
        Foundation::Console::print("Unable to get a valid loading authorization reference to load Helper daemon");
        if (authorizationRefusedHandler)
            authorizationRefusedHandler();
        finish(false);
        return;
    }
    const JobBlessResult blessed = JobBlessService::bless(kSMDomainUserLaunchd, label, loading.authorization);
    if (!blessed) {
        Foundation::Console::print("Error while installing the Helper: " + blessed.failure().localizedDescription);
        if (blessed.failure().code == JobBlessErrorCode::authorizationFailure && authorizationRefusedHandler)
            authorizationRefusedHandler();
        finish(false);
        return;
    }
    provider->free(loading.authorization, kAuthorizationFlagDefaults);
    finish(true);
}

void SMCHelper::uninstall(bool silent)
{
    const auto count = SMC::shared().getValue("FNum");
    if (count && std::isfinite(*count)) {
        const auto fans = static_cast<std::int64_t>(std::clamp(*count, 0.0, maximumFanCount));
        for (std::int64_t fan = 0; fan < fans; ++fan)
            if (auto proxy = helperProxy())
                proxy->setFanModeWithId(fan, static_cast<std::int64_t>(FanMode::automatic), printReply);
    }
    auto proxy = helperProxy();
    if (!proxy)
        return;
    proxy->uninstall();
    if (!silent)
        Foundation::NotificationCenter::defaultCenter().post(NotificationName::fanHelperState, nullptr,
                                                             {{"state", false}});
}

void SMCHelper::update()
{
    if (auto proxy = helperProxy())
        proxy->update();
}

std::shared_ptr<XPC::Transport> SMCHelper::makeConnection()
{
    if (connection_)
        return connection_;
    auto transport = factory_ ? factory_() : makeSocketConnection();
    if (!transport)
        return nullptr;
    transport->setInvalidationHandler([weak = weak_from_this()] { queueConnectionClearing(weak); });
    connection_ = transport;
    transport->resume();
    return transport;
}

std::optional<HelperProtocol> SMCHelper::helperProxy(const std::function<void()>& errorHandler)
{
    auto transport = makeConnection();
    if (!transport) {
        if (errorHandler)
            errorHandler();
        return std::nullopt;
    }
    // One line per proxy, however many of its messages fail.
    auto reported = std::make_shared<std::atomic<bool>>(false);
    HelperProtocol proxy(
        std::move(transport),
        [reported](const XPC::Error& error) {
            if (!reported->exchange(true))
                Foundation::Console::print(error.description);
        },
        pending_);
    if (const auto path = Foundation::Bundle::main().path("SMC")) {
        proxy.setSMCPath(path->string());
    } else if (!missingResourceReported_) {
        missingResourceReported_ = true;
        Foundation::Console::print(
            "The application's resource \"SMC\" is missing; messages go to the helper without its path.");
    }
    return proxy;
}

void SMCHelper::connectionInvalidated() { queueConnectionClearing(weak_from_this()); }

void SMCHelper::queueConnectionClearing(const std::weak_ptr<SMCHelper>& helper)
{
    Foundation::DispatchQueue::main().async([helper] {
        if (auto self = helper.lock())
            self->clearConnection();
    });
}

void SMCHelper::clearConnection()
{
    if (!connection_)
        return;
    connection_->setInvalidationHandler(nullptr);
    retired_ = std::move(connection_);
    if (!reconnectionHandler || watching_)
        return;
    lostSocket_ = socketIdentity();
    lostAt_ = Foundation::DispatchTime::now().seconds;
    watching_ = true;
    toldGone_ = false;
    watchForReturn();
}

void SMCHelper::watchForReturn()
{
    if (!watching_ || !reconnectionHandler)
        return;
    // Removed (an uninstall says so itself): nothing to wait for.
    if (!isInstalled()) {
        watching_ = false;
        return;
    }
    if (!toldGone_ && Foundation::DispatchTime::now().seconds - lostAt_ >= returnWaitSeconds) {
        toldGone_ = true;
        reconnectionHandler(false);
    }
    const auto socket = socketIdentity();
    if (socket && socket != lostSocket_) {
        if (auto proxy = helperProxy()) {
            proxy->versionWithCompletion([weak = weak_from_this()](std::optional<std::string>) {
                Foundation::DispatchQueue::main().async([weak] {
                    auto self = weak.lock();
                    if (!self || !self->watching_)
                        return;
                    self->watching_ = false;
                    if (self->reconnectionHandler)
                        self->reconnectionHandler(true);
                });
            });
            // Unanswered (a daemon that went again): the socket after it is probed in turn.
            lostSocket_ = socket;
        }
    }
    Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + returnPollSeconds,
                                                 [weak = weak_from_this()] {
                                                     if (auto self = weak.lock())
                                                         self->watchForReturn();
                                                 });
}

bool SMCHelper::flush(double timeoutSeconds) { return pending_->waitUntilIdle(timeoutSeconds); }

std::string SMCHelper::shell(const std::string& cmd)
{
    Foundation::ProcessOptions options;
    options.standardInput = Foundation::ProcessInput::inherit;
    options.standardOutput = Foundation::ProcessOutput::pipe;
    options.standardError = Foundation::ProcessOutput::inherit;
    // Reads the pipe to its end before reaping the child, so a long output never blocks it.
    const auto result = Foundation::Process::run("/bin/sh", {"-c", cmd}, options);
    return decodingUTF8(result.stdout_);
}

} // namespace Aerlo
