#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/System/JobBlessService.h"
#include "Platform/System/LaunchDaemonJob.h"
#include "Platform/System/SystemExport.h"
#include "Platform/System/SystemLayout.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace SystemPlatform {

// The root-owned install of the helper on a real machine. The application asks polkit to run the
// bundle's helper program as root with the install argument ("pkexec <helper> --install-system
// --client <application> [--system-root <prefix>] [--smc <spec>]"); that run places the program and
// its job file in the layout's install folder (HelperPaths with the system layout) and then, where
// systemd runs the machine, writes the system unit "<label>.service" (restarted after a crash, the
// helper's "--restore" step after every stop, started at boot), reloads systemd, (re)starts the unit and
// waits until the daemon's socket is there; elsewhere the helper runs under a root-owned copy of the keep-alive, as the
// stand-in install does. The daemon serves its socket in the layout's run folder.
class AERLO_SYSTEM_EXPORT SystemHelperInstall {
public:
    static constexpr std::string_view installArgument = "--install-system";
    // "pkexec <helper> --uninstall-system [--system-root <prefix>]": stops the helper however it runs
    // (its fans go automatic as it stops) and removes all of the install, for when it no longer answers.
    static constexpr std::string_view uninstallArgument = "--uninstall-system";

    struct Request {
        std::string label;
        std::filesystem::path tool; // the program to install
        std::filesystem::path client; // the one application it serves
        uid_t clientUID = 0;
        std::optional<std::string> smc; // AERLO_SMC for the daemon
    };

    // The application's side: runs the layout's pkexec with the bundle's `tool` and waits for it.
    static JobBlessResult installThroughPolkit(const std::filesystem::path& tool, const std::filesystem::path& client,
                                               const SystemLayout& layout);

    // The root side, with HelperPaths in the system layout.
    static JobBlessResult install(const Request& request);

    // The root side's command line after the install argument, installing `tool` (this program) as
    // `label` for the user who ran pkexec (PKEXEC_UID, else SUDO_UID, else this process's user). A failure is
    // printed on standard error. The exit status.
    static int main(std::string_view label, const std::filesystem::path& tool,
                    const std::vector<std::string>& arguments);

    // The root side of the uninstall argument, with HelperPaths in the system layout.
    static Foundation::Result<void> uninstall(std::string_view label);
    // Its command line after the argument; a failure is printed on standard error. The exit status.
    static int uninstallMain(std::string_view label, const std::vector<std::string>& arguments);

    // The unit of a job installed in `layout`, sandboxed to what the helper needs: the applesmc device's
    // files, its run, log and install folders and the unit's folder (its uninstall removes them), and
    // the two capabilities of the client check (another user's /proc/<pid>/exe). Fails when a value has
    // a line break.
    static Foundation::Result<std::string> unitText(const LaunchDaemonJob& job, const SystemLayout& layout);
    // Disables and removes the unit of `label` when there is one, then reloads systemd.
    static Foundation::Result<void> removeUnit(std::string_view label, const SystemLayout& layout);
};

} // namespace SystemPlatform
