#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/Foundation/TestAccess.h"
#include "Platform/Foundation/URL.h"
#include "Platform/System/ApplicationLauncher.h"
#include "Platform/System/DesktopPictureStore.h"
#include "Platform/System/SystemExport.h"
#include "Platform/System/URLOpener.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace SystemPlatform {

// The desktop's workspace: opens addresses in their default handler, lists the running applications and
// opens applications. The shared workspace opens through ProcessURLOpener and ProcessApplicationLauncher;
// tests install recorders. Thread-safe.
class AERLO_SYSTEM_EXPORT Workspace {
public:
    static Workspace& shared();

    explicit Workspace(std::shared_ptr<URLOpener> opener = nullptr,
                       std::shared_ptr<ApplicationLauncher> launcher = nullptr);

    std::vector<RunningApplication> runningApplications();
    Foundation::Result<pid_t> openApplication(const std::filesystem::path& bundlePath,
                                              const OpenConfiguration& configuration);

    // True when the address was handed to an application.
    [[nodiscard]] bool open(const Foundation::URL& url);

    std::shared_ptr<URLOpener> opener() const;
    std::shared_ptr<ApplicationLauncher> launcher() const;

    // The desktop picture of a screen (named by its key): an absolute path to a readable regular file.
    Foundation::Result<void> setDesktopImageURL(const std::filesystem::path& picture, const std::string& screenKey);
    std::optional<std::filesystem::path> desktopImageURL(const std::string& screenKey) const;
    // Where pictures are kept (the desktop's settings or a file under the root, chosen at first use);
    // null chooses again.
    void setDesktopPictureStore(std::shared_ptr<DesktopPictureStore> store);
    std::shared_ptr<DesktopPictureStore> desktopPictureStore() const;

private:
    mutable std::mutex mutex_;
    std::shared_ptr<URLOpener> opener_;
    std::shared_ptr<ApplicationLauncher> launcher_;
    mutable std::shared_ptr<DesktopPictureStore> pictures_;

    friend struct ::TestAccess;
    // Tests: a fresh shared workspace with `opener` and `launcher` (the default ones when null).
    static void resetForTesting(std::shared_ptr<URLOpener> opener = nullptr,
                                std::shared_ptr<ApplicationLauncher> launcher = nullptr);
};

} // namespace SystemPlatform
