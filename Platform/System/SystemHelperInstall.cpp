#include "Platform/System/SystemHelperInstall.h"

#include "Platform/Foundation/AtomicFile.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/FileDigest.h"
#include "Platform/Foundation/Posix.h"
#include "Platform/Foundation/Process.h"
#include "Platform/SMC/SysfsApplesmcFiles.h"
#include "Platform/System/HelperPaths.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace SystemPlatform {

namespace {

// pkexec's statuses when the authorization was dismissed, or refused (or could not be asked).
constexpr int polkitDismissed = 126;
constexpr int polkitRefused = 127;

JobBlessResult failure(JobBlessErrorCode code, std::string description)
{
    return JobBlessError {code, std::move(description)};
}

// A value as systemd reads it in a unit: quoted, its backslashes, quotes and specifiers escaped.
std::string unitQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::string lastLine(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    const auto start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

// Runs the layout's systemctl; the failure says which command and why.
Foundation::Result<void> systemctl(const SystemLayout& layout, const std::vector<std::string>& arguments)
{
    const auto result = Foundation::Process::run(layout.systemctl.string(), arguments);
    std::string command = "systemctl";
    for (const auto& argument : arguments)
        command += " " + argument;
    if (!result.launched)
        return Foundation::Error(command + " could not be run: " + result.launchError + ".");
    if (result.reason != Foundation::ProcessTerminationReason::exit || result.status != 0) {
        const std::string why = lastLine(result.stderr_);
        return Foundation::Error(command + " failed" + (why.empty() ? std::string(".") : ": " + why));
    }
    return {};
}

std::optional<uid_t> uidVariable(const char* name)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return std::nullopt;
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text, text + std::char_traits<char>::length(text), value);
    if (error != std::errc() || *end != '\0')
        return std::nullopt;
    return static_cast<uid_t>(value);
}

} // namespace

JobBlessResult SystemHelperInstall::installThroughPolkit(const std::filesystem::path& tool,
                                                         const std::filesystem::path& client,
                                                         const SystemLayout& layout)
{
    std::vector<std::string> arguments {tool.string(), std::string(installArgument), "--client", client.string()};
    if (layout.prefix != "/")
        arguments.insert(arguments.end(), {"--system-root", layout.prefix.string()});
    if (const char* smc = std::getenv("AERLO_SMC"); smc && *smc)
        arguments.insert(arguments.end(), {"--smc", smc});
    Foundation::ProcessOptions options;
    options.standardOutput = Foundation::ProcessOutput::discard;
    const auto result = Foundation::Process::run(layout.pkexec.string(), arguments, options);
    if (!result.launched)
        return failure(JobBlessErrorCode::authorizationFailure,
                       "The administrator's authorization could not be asked for: " + result.launchError + ".");
    if (result.reason == Foundation::ProcessTerminationReason::exit && result.status == polkitDismissed)
        return failure(JobBlessErrorCode::authorizationFailure, "The administrator's authorization was dismissed.");
    if (result.reason == Foundation::ProcessTerminationReason::exit && result.status == polkitRefused)
        return failure(JobBlessErrorCode::authorizationFailure, "The administrator's authorization was refused.");
    if (result.reason != Foundation::ProcessTerminationReason::exit || result.status != 0) {
        const std::string why = lastLine(result.stderr_);
        return failure(JobBlessErrorCode::internalFailure, why.empty() ? "The helper could not be installed." : why);
    }
    return {};
}

JobBlessResult SystemHelperInstall::install(const Request& request)
{
    const auto layout = HelperPaths::systemLayout();
    if (!layout)
        return failure(JobBlessErrorCode::internalFailure, "No system layout to install the helper into.");
    if (!HelperPaths::isValidLabel(request.label))
        return failure(JobBlessErrorCode::invalidLabel, "The helper label \"" + request.label + "\" is not valid.");
    std::error_code error;
    const auto client = std::filesystem::canonical(request.client, error);
    const auto digest = error ? std::nullopt : Foundation::FileDigest::sha256(client);
    if (!digest)
        return failure(JobBlessErrorCode::clientNotValid,
                       "The application's executable \"" + request.client.string() + "\" cannot be read.");

    std::map<std::string, std::string> environment {
        {"PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"},
        {"AERLO_HELPER_INSTALL", "system"},
    };
    if (layout->prefix != "/")
        environment["AERLO_SYSTEM_ROOT"] = layout->prefix.string();
    if (request.smc)
        environment["AERLO_SMC"] = *request.smc;
    const auto job = JobBlessService::job(request.label, "system", client, request.clientUID, *digest, environment);
    const auto unit = unitText(job, *layout);
    if (!unit)
        return failure(JobBlessErrorCode::internalFailure, unit.error());

    if (const auto placed = JobBlessService::place(job, request.tool); !placed.ok())
        return placed;
    if (!layout->hasSystemd())
        return JobBlessService::startUnderKeepAlive(job);

    if (auto made = Foundation::makeDirectories(layout->unitDirectory); !made)
        return failure(JobBlessErrorCode::internalFailure, made.error());
    if (auto written = Foundation::AtomicFile::write(layout->unitFile(request.label), *unit, 0644); !written)
        return failure(JobBlessErrorCode::internalFailure, written.error());
    const std::string name = layout->unitFile(request.label).filename().string();
    // The old daemon's socket goes first, so that the one waited for is the new daemon's.
    std::filesystem::remove(job.socketPath, error);
    for (const auto& arguments : {std::vector<std::string> {"daemon-reload"}, {"enable", name}, {"restart", name}})
        if (auto done = systemctl(*layout, arguments); !done)
            return failure(JobBlessErrorCode::launchFailure, done.error());
    // Returns once the daemon listens, as the stand-in install does once it runs.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(JobBlessService::startTimeoutSeconds);
    while (!std::filesystem::exists(std::filesystem::symlink_status(job.socketPath, error))) {
        if (std::chrono::steady_clock::now() > deadline)
            return failure(JobBlessErrorCode::launchFailure, "The helper did not start.");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

int SystemHelperInstall::main(std::string_view label, const std::filesystem::path& tool,
                              const std::vector<std::string>& arguments)
{
    Request request;
    request.label = std::string(label);
    request.tool = tool;
    std::filesystem::path prefix = "/";
    const auto usage = [label] {
        Foundation::Console::printError("usage: " + std::string(label) + " " + std::string(installArgument)
                                        + " --client <application> [--system-root <folder>] [--smc <spec>]");
        return 64;
    };
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty())
            return usage();
        if (arguments[i] == "--client")
            request.client = arguments[i + 1];
        else if (arguments[i] == "--system-root")
            prefix = arguments[i + 1];
        else if (arguments[i] == "--smc")
            request.smc = arguments[i + 1];
        else
            return usage();
    }
    if (request.client.empty())
        return usage();
    request.clientUID = uidVariable("PKEXEC_UID").value_or(uidVariable("SUDO_UID").value_or(::getuid()));
    HelperPaths::useSystemLayout(SystemLayout::under(prefix));
    const auto installed = install(request);
    if (!installed.ok()) {
        Foundation::Console::printError(installed.failure().localizedDescription);
        return 1;
    }
    return 0;
}

Foundation::Result<void> SystemHelperInstall::uninstall(std::string_view label)
{
    const auto layout = HelperPaths::systemLayout();
    if (!layout)
        return Foundation::Error("No system layout to remove the helper from.");
    std::error_code error;
    const auto unit = layout->unitFile(label);
    if (layout->hasSystemd() && std::filesystem::exists(std::filesystem::symlink_status(unit, error))) {
        // Its stop runs the restore step.
        if (auto stopped = systemctl(*layout, {"stop", unit.filename().string()}); !stopped)
            return stopped;
    } else if (auto stopped = JobBlessService::stop(label); !stopped) {
        return stopped;
    }
    return JobBlessService::remove(label);
}

int SystemHelperInstall::uninstallMain(std::string_view label, const std::vector<std::string>& arguments)
{
    std::filesystem::path prefix = "/";
    if (arguments.size() == 2 && arguments[0] == "--system-root" && !arguments[1].empty()) {
        prefix = arguments[1];
    } else if (!arguments.empty()) {
        Foundation::Console::printError("usage: " + std::string(label) + " " + std::string(uninstallArgument)
                                        + " [--system-root <folder>]");
        return 64;
    }
    HelperPaths::useSystemLayout(SystemLayout::under(prefix));
    if (auto removed = uninstall(label); !removed) {
        Foundation::Console::printError(removed.error());
        return 1;
    }
    return 0;
}

Foundation::Result<std::string> SystemHelperInstall::unitText(const LaunchDaemonJob& job, const SystemLayout& layout)
{
    const auto smc = job.environmentVariables.find("AERLO_SMC");
    const bool realDriver = smc == job.environmentVariables.end() || smc->second == "applesmc";
    std::string text = "[Unit]\nDescription=Aerlo SMC helper (" + job.label + ")\n";
    // The job file names the one client served, its digest and the helper's environment (a URI: left out
    // for a path it would have to escape).
    if (const auto jobFile = HelperPaths::jobFile(job.label).string();
        jobFile.find_first_of(" \t%\"\\") == std::string::npos)
        text += "Documentation=file:" + jobFile + "\n";
    if (realDriver)
        text += "ConditionPathExists="
                + (std::filesystem::path(IOKit::SysfsApplesmcFiles::deviceDirectory) / "key_count").string() + "\n";
    text += "\n[Service]\nType=simple\n";
    text += "ExecStart=" + unitQuoted(job.program.string()) + "\n";
    // Every stop, a crash among them, returns the fans to automatic before any restart.
    text += "ExecStopPost=-" + unitQuoted(job.program.string()) + " --restore\n";
    text += "Restart=on-failure\nRestartSec=1\n";
    for (const auto& [name, value] : job.environmentVariables)
        text += "Environment=" + unitQuoted(name + "=" + value) + "\n";
    // systemd makes the run and log folders; the key index lock in the run folder outlives a restart.
    text +=
        "RuntimeDirectory=aerlo\nRuntimeDirectoryMode=0755\nRuntimeDirectoryPreserve=restart\nLogsDirectory=aerlo\n";
    text += "ReadWritePaths=";
    for (const auto& folder : {std::filesystem::path(IOKit::SysfsApplesmcFiles::deviceDirectory), layout.runDirectory,
                               layout.logDirectory, layout.installDirectory, layout.unitDirectory})
        text += "-" + unitQuoted(folder.string()) + " ";
    text.back() = '\n';
    text += "CapabilityBoundingSet=CAP_SYS_PTRACE CAP_DAC_READ_SEARCH\n"
            "NoNewPrivileges=yes\n"
            "ProtectSystem=strict\n"
            "ProtectHome=read-only\n"
            "PrivateTmp=yes\n"
            "PrivateDevices=yes\n"
            "PrivateNetwork=yes\n"
            "PrivateIPC=yes\n"
            "PrivateMounts=yes\n"
            "ProtectHostname=yes\n"
            "ProtectClock=yes\n"
            "ProtectKernelTunables=yes\n"
            "ProtectKernelModules=yes\n"
            "ProtectKernelLogs=yes\n"
            "ProtectControlGroups=yes\n"
            "RestrictAddressFamilies=AF_UNIX\n"
            "IPAddressDeny=any\n"
            "RestrictNamespaces=yes\n"
            "LockPersonality=yes\n"
            "MemoryDenyWriteExecute=yes\n"
            "RestrictRealtime=yes\n"
            "RestrictSUIDSGID=yes\n"
            "SystemCallArchitectures=native\n"
            "SystemCallFilter=@system-service\n"
            "SystemCallFilter=~@privileged @resources\n"
            "SystemCallErrorNumber=EPERM\n"
            "DevicePolicy=closed\n"
            "KeyringMode=private\n";
    text += "\n[Install]\nWantedBy=multi-user.target\n";
    const auto lines = [](std::string_view value) { return value.find_first_of("\n\r") != std::string_view::npos; };
    bool broken = lines(job.label) || lines(job.program.string()) || lines(layout.prefix.string());
    for (const auto& [name, value] : job.environmentVariables)
        broken = broken || lines(name) || lines(value);
    if (broken)
        return Foundation::Error("The helper's unit cannot name a value with a line break.");
    return text;
}

Foundation::Result<void> SystemHelperInstall::removeUnit(std::string_view label, const SystemLayout& layout)
{
    const auto unit = layout.unitFile(label);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(unit, error)))
        return {};
    const bool systemd = layout.hasSystemd();
    std::string problems;
    const auto note = [&problems](const std::string& problem) { problems += (problems.empty() ? "" : " ") + problem; };
    if (systemd)
        if (auto disabled = systemctl(layout, {"disable", unit.filename().string()}); !disabled)
            note(disabled.error());
    std::filesystem::remove(unit, error);
    if (error)
        note("Cannot remove \"" + unit.string() + "\": " + error.message() + ".");
    if (systemd)
        if (auto reloaded = systemctl(layout, {"daemon-reload"}); !reloaded)
            note(reloaded.error());
    if (!problems.empty())
        return Foundation::Error(problems);
    return {};
}

} // namespace SystemPlatform
