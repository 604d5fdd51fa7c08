#include "Platform/System/JobBlessService.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/System/DaemonProcess.h"
#include "Platform/System/HelperPaths.h"
#include "Platform/System/KeepAlive.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "Platform/System/SystemHelperInstall.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace SystemPlatform {

namespace {

JobBlessResult failure(JobBlessErrorCode code, std::string description)
{
    return JobBlessError {code, std::move(description)};
}

std::string quoted(const std::filesystem::path& path) { return "\"" + path.string() + "\""; }

Foundation::Result<void> invalidLabel(std::string_view label)
{
    return Foundation::Error("The helper label \"" + std::string(label) + "\" is not valid.");
}

// Stops the process a pid file names when it runs `program`, and removes the pid file.
Foundation::Result<void> stopNamed(const std::filesystem::path& pidFile, const std::filesystem::path& program,
                                   double timeoutSeconds)
{
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(pidFile, error)))
        return {};
    if (const auto pid = DaemonProcess::readPidFile(pidFile))
        if (DaemonProcess::stop(*pid, program, timeoutSeconds) == DaemonStopOutcome::failed)
            return Foundation::Error("The running helper (process " + std::to_string(*pid) + ") could not be stopped.");
    std::filesystem::remove(pidFile, error);
    if (error)
        return Foundation::Error("Cannot remove " + quoted(pidFile) + ": " + error.message());
    return {};
}

// Waits (in real time, at most `seconds`) until the pid file names a running process.
std::optional<pid_t> waitForPidFile(const std::filesystem::path& pidFile, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (const auto pid = DaemonProcess::readPidFile(pidFile); pid && DaemonProcess::isAlive(*pid))
            return pid;
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Whether the bundle's helper can be installed, or why not.
Foundation::Result<void> checkTool(const std::filesystem::path& tool)
{
    using Foundation::Error;
    struct stat attributes {};
    if (::stat(tool.c_str(), &attributes) != 0) {
        const int error = errno;
        return Error(error == ENOENT
                         ? "The helper tool " + quoted(tool) + " does not exist."
                         : "The helper tool " + quoted(tool) + " cannot be read: " + Foundation::errnoText(error));
    }
    if (!S_ISREG(attributes.st_mode))
        return Error("The helper tool " + quoted(tool) + " is not a file.");
    if ((attributes.st_mode & 0111) == 0 || ::access(tool.c_str(), X_OK) != 0)
        return Error("The helper tool " + quoted(tool) + " is not executable.");
    return {};
}

std::map<std::string, std::string> daemonEnvironment()
{
    std::error_code error;
    auto root = std::filesystem::absolute(Foundation::Paths::root(), error);
    if (error)
        root = Foundation::Paths::root();
    std::map<std::string, std::string> environment {
        {"PATH", "/usr/local/bin:/usr/bin:/bin"},
        {"AERLO_ROOT", root.lexically_normal().string()},
        {"AERLO_HELPER_INSTALL", "stand-in"}, // even on a real Mac, where the daemon would take the system layout
    };
    if (const char* smc = std::getenv("AERLO_SMC"))
        environment["AERLO_SMC"] = smc;
    return environment;
}

} // namespace

JobBlessResult JobBlessService::bless(JobBlessDomain domain, std::string_view label,
                                      const AuthorizationRef& authorization)
{
    if (!authorization || !authorization->hasRight(kSMRightBlessPrivilegedHelper))
        return failure(JobBlessErrorCode::authorizationFailure,
                       "The authorization does not allow installing a privileged helper.");
    if (!HelperPaths::isValidLabel(label))
        return failure(JobBlessErrorCode::invalidLabel,
                       "The helper label \"" + std::string(label) + "\" is not valid.");

    const Foundation::Bundle bundle = Foundation::Bundle::main();
    const auto tool = HelperPaths::bundledProgram(bundle.bundlePath(), label);
    if (const auto checked = checkTool(tool); !checked)
        return failure(JobBlessErrorCode::toolNotValid, checked.error());

    const auto client = bundle.executablePath().value_or(bundle.bundlePath() / "Contents" / "MacOS" / "Aerlo");
    std::error_code error;
    const auto clientPath = std::filesystem::canonical(client, error);
    if (error)
        return failure(JobBlessErrorCode::clientNotValid,
                       "The application's executable " + quoted(client) + " cannot be found.");
    const auto clientDigest = Foundation::FileDigest::sha256(clientPath);
    if (!clientDigest)
        return failure(JobBlessErrorCode::clientNotValid,
                       "The application's executable " + quoted(clientPath) + " cannot be read.");

    if (const auto layout = HelperPaths::systemLayout())
        return SystemHelperInstall::installThroughPolkit(tool, clientPath, *layout);

    const auto blessed = job(label, domainName(domain), clientPath, ::getuid(), *clientDigest, daemonEnvironment());
    if (const auto placed = place(blessed, tool); !placed.ok())
        return placed;
    return startUnderKeepAlive(blessed);
}

LaunchDaemonJob JobBlessService::job(std::string_view label, std::string domain, const std::filesystem::path& client,
                                     uid_t clientUID, std::string clientSHA256,
                                     std::map<std::string, std::string> environment)
{
    LaunchDaemonJob job;
    job.label = std::string(label);
    job.program = HelperPaths::installedProgram(label);
    job.domain = std::move(domain);
    job.socketPath = HelperPaths::socket(label);
    job.allowedClientPath = client;
    job.allowedClientUIDs = {clientUID};
    job.allowedClientSHA256 = std::move(clientSHA256);
    job.environmentVariables = std::move(environment);
    job.standardOutPath = HelperPaths::consoleLog(label);
    job.standardErrorPath = job.standardOutPath;
    return job;
}

JobBlessResult JobBlessService::place(const LaunchDaemonJob& job, const std::filesystem::path& tool)
{
    for (const auto& folder : {HelperPaths::privilegedHelperTools(), HelperPaths::launchDaemons(),
                               HelperPaths::runDirectory(), HelperPaths::logDirectory()})
        if (auto made = Foundation::makeDirectories(folder); !made)
            return failure(JobBlessErrorCode::internalFailure, made.error());

    // Both files are staged before anything installed is touched.
    Foundation::AtomicFile program(job.program);
    if (const auto staged = program.stageCopy(tool, 0544); !staged)
        return failure(JobBlessErrorCode::internalFailure, staged.error());
    Foundation::AtomicFile jobFile(HelperPaths::jobFile(job.label));
    if (const auto staged = jobFile.stage(job.json().dump(2) + "\n", 0644); !staged)
        return failure(JobBlessErrorCode::internalFailure, staged.error());

    if (auto stopped = stop(job.label); !stopped)
        return failure(JobBlessErrorCode::stopFailure, stopped.error());
    if (const auto committed = program.commit(); !committed)
        return failure(JobBlessErrorCode::internalFailure, committed.error());
    if (const auto committed = jobFile.commit(); !committed)
        return failure(JobBlessErrorCode::internalFailure, committed.error());
    return {};
}

JobBlessResult JobBlessService::startUnderKeepAlive(const LaunchDaemonJob& job)
{
    const std::string& label = job.label;
    // Under the keep-alive, which restarts it after a crash and keeps its pid file.
    const auto keepAlive = HelperPaths::keepAliveProgram(label);
    if (keepAlive != KeepAlive::standInProgram()) {
        Foundation::AtomicFile copy(keepAlive);
        if (auto staged = copy.stageCopy(KeepAlive::standInProgram(), 0755); !staged)
            return failure(JobBlessErrorCode::internalFailure, staged.error());
        if (auto committed = copy.commit(); !committed)
            return failure(JobBlessErrorCode::internalFailure, committed.error());
    }
    // After every crash it runs the helper's restore step at once, whatever its pause before the restart.
    const auto launch = DaemonProcess::launch(keepAlive,
                                              {"--pid-file", HelperPaths::pidFile(label).string(), "--own-pid-file",
                                               HelperPaths::keepAlivePidFile(label).string(), "--after-crash",
                                               "--restore", job.program.string()},
                                              job.environmentVariables, job.standardOutPath);
    if (!launch)
        return failure(JobBlessErrorCode::launchFailure, "The helper could not be started: " + launch.error() + ".");
    const auto keepAlivePidFile = HelperPaths::keepAlivePidFile(label);
    if (const auto written = Foundation::AtomicFile::write(keepAlivePidFile, std::to_string(*launch) + "\n", 0644);
        !written) {
        // Nobody could stop a helper without its pid file.
        DaemonProcess::stop(*launch, keepAlive, stopTimeoutSeconds);
        return failure(JobBlessErrorCode::internalFailure, written.error());
    }
    if (!waitForPidFile(HelperPaths::pidFile(label), startTimeoutSeconds)) {
        (void)stop(label);
        return failure(JobBlessErrorCode::launchFailure, "The helper did not start.");
    }
    return {};
}

Foundation::Result<void> JobBlessService::stop(std::string_view label, double timeoutSeconds)
{
    if (!HelperPaths::isValidLabel(label))
        return invalidLabel(label);
    // The keep-alive first, which passes the stop on to the helper; then a helper it left behind.
    if (auto stopped =
            stopNamed(HelperPaths::keepAlivePidFile(label), HelperPaths::keepAliveProgram(label), timeoutSeconds + 1);
        !stopped)
        return stopped;
    return stopNamed(HelperPaths::pidFile(label), HelperPaths::installedProgram(label), timeoutSeconds);
}

Foundation::Result<void> JobBlessService::remove(std::string_view label)
{
    if (!HelperPaths::isValidLabel(label))
        return invalidLabel(label);
    std::string problems;
    std::vector<std::filesystem::path> paths {HelperPaths::installedProgram(label), HelperPaths::jobFile(label),
                                              HelperPaths::pidFile(label), HelperPaths::keepAlivePidFile(label),
                                              HelperPaths::socket(label)};
    if (const auto layout = HelperPaths::systemLayout()) {
        paths.push_back(HelperPaths::keepAliveProgram(label));
        if (auto removed = SystemHelperInstall::removeUnit(label, *layout); !removed)
            problems = removed.error();
    }
    for (const auto& path : paths) {
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error) {
            if (!problems.empty())
                problems += " ";
            problems += "Cannot remove " + quoted(path) + ": " + error.message() + ".";
        }
    }
    if (!problems.empty())
        return Foundation::Error(problems);
    return {};
}

std::string JobBlessService::domainName(JobBlessDomain domain)
{
    return domain == JobBlessDomain::system ? "system" : "user";
}

} // namespace SystemPlatform
