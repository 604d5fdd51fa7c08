#pragma once

#include "Platform/System/ApplicationLauncher.h"
#include "Platform/System/SystemExport.h"

#include <string_view>

namespace SystemPlatform {

// Applications of this root: each running application listens on registrationSocket(its bundle
// identifier); one that accepts a connection runs, and the socket's peer credentials give its process.
// Opening runs the bundle's executable in a new session, with this process's environment and standard
// streams (there is no window to bring forward: activation changes nothing).
class AERLO_SYSTEM_EXPORT ProcessApplicationLauncher final : public ApplicationLauncher {
public:
    // "<root>/var/run/applications/<identifier>.sock".
    static std::filesystem::path registrationSocket(std::string_view identifier);

    std::vector<RunningApplication> runningApplications() override;
    Foundation::Result<pid_t> openApplication(const std::filesystem::path& bundlePath,
                                              const OpenConfiguration& configuration) override;
};

} // namespace SystemPlatform
