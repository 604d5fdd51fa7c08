#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/AuthorizationProvider.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace SystemPlatform {

// The launchd domain a job is blessed into. It is recorded in the job file; both install the same way.
enum class JobBlessDomain { system, user };
inline constexpr JobBlessDomain kSMDomainSystemLaunchd = JobBlessDomain::system;
inline constexpr JobBlessDomain kSMDomainUserLaunchd = JobBlessDomain::user;

enum class JobBlessErrorCode {
    authorizationFailure, // the authorization does not hold the bless right
    invalidLabel,
    toolNotValid, // the bundle's helper is missing or not executable
    clientNotValid, // the application's own executable cannot be read
    internalFailure, // a folder or file could not be written
    stopFailure, // the running helper could not be stopped
    launchFailure, // the new helper could not be started
};

// Why a blessing failed, with a text for people.
struct AERLO_SYSTEM_EXPORT JobBlessError {
    JobBlessErrorCode code = JobBlessErrorCode::internalFailure;
    std::string localizedDescription;
};

// A blessing done, or the JobBlessError that says why not.
using JobBlessResult = Foundation::Result<void, JobBlessError>;

// Installs a privileged helper into the root (Foundation::Paths), as the job-blessing service does:
// the helper "Contents/Library/LaunchServices/<label>" of the main bundle is copied to
// "/Library/PrivilegedHelperTools/<label>" (mode 0544, same modification time), its job file is
// written to "/Library/LaunchDaemons/<label>.plist", a helper already running is stopped, and the
// new one is started detached under the keep-alive (KeepAlive, its process id in
// "/var/run/<label>.keepalive.pid"), which restarts it after a crash, runs "<helper> --restore" at
// once after each crash (the helper's step that undoes what a crashed run left forced) and keeps the
// helper's process id in "/var/run/<label>.pid". The job names the main bundle's executable and the installing user as
// the only client the helper serves.
// Every path comes from HelperPaths. With a system layout (a real machine) the blessing is the
// root-owned install instead, asked of polkit (SystemHelperInstall).
class AERLO_SYSTEM_EXPORT JobBlessService {
public:
    static constexpr double stopTimeoutSeconds = 2.0;
    static constexpr double startTimeoutSeconds = 5.0;

    // A failure before the old helper is stopped changes nothing. Returns once the helper runs.
    static JobBlessResult bless(JobBlessDomain domain, std::string_view label, const AuthorizationRef& authorization);

    // The job of helper `label` for one client, its paths from HelperPaths.
    static LaunchDaemonJob job(std::string_view label, std::string domain, const std::filesystem::path& client,
                               uid_t clientUID, std::string clientSHA256,
                               std::map<std::string, std::string> environment);
    // Stages the program copied from `tool` and the job file, stops the running helper, then puts both
    // in place. A failure before the stop changes nothing.
    static JobBlessResult place(const LaunchDaemonJob& job, const std::filesystem::path& tool);
    // Starts the placed job under the keep-alive (copied to HelperPaths::keepAliveProgram() first when
    // that is not the stand-in itself) and returns once the helper runs.
    static JobBlessResult startUnderKeepAlive(const LaunchDaemonJob& job);

    // Stops the keep-alive and then the helper named by the pid files, after checking that each
    // process runs the program it should (SIGTERM, at most `timeoutSeconds`, then SIGKILL), and
    // removes the pid files. A pid file naming no process, another program or nothing readable is
    // removed and nothing is signalled. The calling process is never stopped. Fails when a helper
    // still runs afterwards.
    static Foundation::Result<void> stop(std::string_view label, double timeoutSeconds = stopTimeoutSeconds);

    // Removes the installed program, the job file, the pid file and the socket, and with a system
    // layout the keep-alive's copy and the systemd unit (disabled first), without stopping anything:
    // the helper's own uninstall calls it. Fails, saying which, when one is left.
    static Foundation::Result<void> remove(std::string_view label);

    // "system" or "user", as recorded in the job file.
    static std::string domainName(JobBlessDomain domain);
};

} // namespace SystemPlatform
