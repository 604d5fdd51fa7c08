#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/System/SystemExport.h"
#include "Platform/System/SystemLayout.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace SystemPlatform {

// Where a privileged helper and its files live: all under Foundation::Paths::root() (the stand-in
// install), or, with a system layout, root-owned on the real machine (the program and its job file in
// the install folder, the socket and pid files in the run folder, the log in the log folder).
// The layout in use is read once: a system layout when AERLO_HELPER_INSTALL is "system", or when it is
// unset and the SMC is the applesmc driver; the stand-in install otherwise.
class AERLO_SYSTEM_EXPORT HelperPaths {
public:
    static std::optional<SystemLayout> systemLayout();
    // A layout to use from now on (nothing: the stand-in install).
    static void useSystemLayout(std::optional<SystemLayout> layout);

    // "/Library/PrivilegedHelperTools/<label>": the installed program.
    static std::filesystem::path installedProgram(std::string_view label);
    // "/Library/LaunchDaemons/<label>.plist": its job file (JSON).
    static std::filesystem::path jobFile(std::string_view label);
    // "/var/run/<label>.sock": the socket the daemon listens on.
    static std::filesystem::path socket(std::string_view label);
    // "/var/run/<label>.pid": the running daemon's process id.
    static std::filesystem::path pidFile(std::string_view label);
    // "/var/run/<label>.keepalive.pid": the process id of the keep-alive that runs the daemon.
    static std::filesystem::path keepAlivePidFile(std::string_view label);
    // "/var/run/<label>.applesmc.lock": the lock every process of the install takes around the applesmc
    // driver's key index.
    static std::filesystem::path smcIndexLock(std::string_view label);
    // "/var/log/<label>.log": the daemon's own log.
    static std::filesystem::path logFile(std::string_view label);
    // "/var/log/<label>.console.log": the daemon's standard output and error.
    static std::filesystem::path consoleLog(std::string_view label);
    // The keep-alive that runs the daemon: the stand-in program, or its copy "<label>.keepalive" in the
    // install folder of a system layout.
    static std::filesystem::path keepAliveProgram(std::string_view label);
    // "<bundle>/Contents/Library/LaunchServices/<label>": the helper carried by an application bundle.
    static std::filesystem::path bundledProgram(const std::filesystem::path& bundlePath, std::string_view label);

    // "/Library/PrivilegedHelperTools", "/Library/LaunchDaemons", "/var/run", "/var/log" (stand-in).
    static std::filesystem::path privilegedHelperTools();
    static std::filesystem::path launchDaemons();
    static std::filesystem::path runDirectory();
    static std::filesystem::path logDirectory();

    // A label names one file in each folder: not empty, no "/" or NUL, not "." or "..".
    static bool isValidLabel(std::string_view label);

private:
    friend struct ::TestAccess;
    // Tests: the next systemLayout() reads the environment again.
    static void resetForTesting();
};

} // namespace SystemPlatform
