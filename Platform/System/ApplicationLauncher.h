#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace SystemPlatform {

// A running application as the workspace knows it.
struct AERLO_SYSTEM_EXPORT RunningApplication {
    pid_t processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::filesystem::path bundlePath; // empty when its executable lies outside a bundle
};

// How an application is opened.
struct AERLO_SYSTEM_EXPORT OpenConfiguration {
    bool activates = true; // false: the launch option without activation (0x200)
};

// What the workspace lists and launches applications with: processes in the application, a recorder
// in tests.
class AERLO_SYSTEM_EXPORT ApplicationLauncher {
public:
    virtual ~ApplicationLauncher() = default;
    virtual std::vector<RunningApplication> runningApplications() = 0;
    // The new process's id, or why it could not be started.
    virtual Foundation::Result<pid_t> openApplication(const std::filesystem::path& bundlePath,
                                                      const OpenConfiguration& configuration) = 0;
};

} // namespace SystemPlatform
