#pragma once

#include "Platform/System/SystemExport.h"

#include "Platform/Foundation/Result.h"
#include "Platform/System/AuthorizationProvider.h"

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
    toolNotValid,   // the bundle's helper is missing or not executable
    clientNotValid, // the application's own executable cannot be read
    internalFailure, // a folder or file could not be written
    stopFailure,     // the running helper could not be stopped
    launchFailure,   // the new helper could not be started
};

// Why a blessing failed, with a text for people.
struct AERLO_SYSTEM_EXPORT JobBlessError {
    JobBlessErrorCode code = JobBlessErrorCode::internalFailure;
    std::string localizedDescription;
};

struct AERLO_SYSTEM_EXPORT JobBlessResult {
    bool ok = false;
    std::optional<JobBlessError> error; // set when not ok
};

// Installs a privileged helper into the root (Foundation::Paths), as the job-blessing service does:
// the helper "Contents/Library/LaunchServices/<label>" of the main bundle is copied to
// "/Library/PrivilegedHelperTools/<label>" (mode 0544, same modification time), its job file is
// written to "/Library/LaunchDaemons/<label>.plist", a helper already running is stopped, and the
// new one is started detached under the keep-alive (KeepAlive, its process id in
// "/var/run/<label>.keepalive.pid"), which restarts it after a crash, runs "<helper> --restore" at
// once after each crash (the helper's step that undoes what a crashed run left forced) and keeps the
// helper's process id in "/var/run/<label>.pid". The job names the main bundle's executable and the installing user as
// the only client the helper serves.
// Every path comes from HelperPaths.
class AERLO_SYSTEM_EXPORT JobBlessService {
public:
    static constexpr double stopTimeoutSeconds = 2.0;
    static constexpr double startTimeoutSeconds = 5.0;

    // A failure before the old helper is stopped changes nothing. Returns once the helper runs.
    static JobBlessResult bless(JobBlessDomain domain, std::string_view label, const AuthorizationRef& authorization);

    // Stops the keep-alive and then the helper named by the pid files, after checking that each
    // process runs the program it should (SIGTERM, at most `timeoutSeconds`, then SIGKILL), and
    // removes the pid files. A pid file naming no process, another program or nothing readable is
    // removed and nothing is signalled. The calling process is never stopped. Fails when a helper
    // still runs afterwards.
    static Foundation::Result<void> stop(std::string_view label, double timeoutSeconds = stopTimeoutSeconds);

    // Removes the installed program, the job file, the pid file and the socket (without stopping
    // anything: the helper's own uninstall calls it). Fails, saying which, when one is left.
    static Foundation::Result<void> remove(std::string_view label);

    // "system" or "user", as recorded in the job file.
    static std::string domainName(JobBlessDomain domain);
};

} // namespace SystemPlatform
