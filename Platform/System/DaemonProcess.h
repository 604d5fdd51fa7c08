#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace SystemPlatform {

// How a request to end a daemon process went.
enum class DaemonStopOutcome {
    notRunning, // no such process (or it has already exited)
    notOurs, // the process runs another program: left alone
    stopped, // it ended on SIGTERM
    killed, // it ignored SIGTERM and ended on SIGKILL
    failed, // it could not be signalled, or it outlived SIGKILL
};

// Daemon processes: started detached, stopped by process id after checking what runs under it.
class AERLO_SYSTEM_EXPORT DaemonProcess {
public:
    // Starts `program` with its path and `arguments`, in a new session that this process does not
    // parent (double fork), with exactly `environment`, standard input from /dev/null and standard
    // output and error appended to `outputPath`, working folder "/". Returns once the program runs:
    // its process id, or why it does not run.
    static Foundation::Result<pid_t> launch(const std::filesystem::path& program,
                                            const std::vector<std::string>& arguments,
                                            const std::map<std::string, std::string>& environment,
                                            const std::filesystem::path& outputPath);

    // Ends process `pid` when it runs `program`: SIGTERM, a wait of at most `timeoutSeconds`, then
    // SIGKILL and a short wait. The calling process is never signalled (failed).
    static DaemonStopOutcome stop(pid_t pid, const std::filesystem::path& program, double timeoutSeconds);

    // A descriptor that refers to process `pid` (readable once it exits), close-on-exec; -1 with errno
    // set when there is no such process or the system has no pidfds.
    static int openPidfd(pid_t pid);
    // The program process `pid` runs (a replaced or deleted file still names its path); nothing
    // when the process is gone, has exited, or cannot be inspected.
    static std::optional<std::filesystem::path> executable(pid_t pid);
    // True while process `pid` exists and has not exited (an unreaped process has).
    static bool isAlive(pid_t pid);
    // The process id in a pid file: one positive whole number, optionally followed by white space.
    static std::optional<pid_t> readPidFile(const std::filesystem::path& pidFile);
};

} // namespace SystemPlatform
