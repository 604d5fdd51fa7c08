#include "Platform/System/Workspace.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ProcessApplicationLauncher.h"
#include "Platform/System/ProcessURLOpener.h"

namespace SystemPlatform {

namespace {

Foundation::SharedInstance<Workspace>& instance()
{
    static Foundation::SharedInstance<Workspace> shared;
    return shared;
}

} // namespace

Workspace& Workspace::shared()
{
    return instance().get();
}

void Workspace::resetShared(std::shared_ptr<URLOpener> opener, std::shared_ptr<ApplicationLauncher> launcher)
{
    instance().resetForTesting([opener, launcher](void* storage) { new (storage) Workspace(opener, launcher); });
}

Workspace::Workspace(std::shared_ptr<URLOpener> opener, std::shared_ptr<ApplicationLauncher> launcher)
    : opener_(opener ? std::move(opener) : std::make_shared<ProcessURLOpener>()),
      launcher_(launcher ? std::move(launcher) : std::make_shared<ProcessApplicationLauncher>())
{
}

std::vector<RunningApplication> Workspace::runningApplications()
{
    return launcher()->runningApplications();
}

Foundation::Result<pid_t> Workspace::openApplication(const std::filesystem::path& bundlePath,
                                                     const OpenConfiguration& configuration)
{
    return launcher()->openApplication(bundlePath, configuration);
}

bool Workspace::open(const Foundation::URL& url)
{
    return opener()->open(url);
}

std::shared_ptr<URLOpener> Workspace::opener() const
{
    std::lock_guard lock(mutex_);
    return opener_;
}

} // namespace SystemPlatform

namespace SystemPlatform {

std::shared_ptr<ApplicationLauncher> Workspace::launcher() const
{
    std::lock_guard lock(mutex_);
    return launcher_;
}

} // namespace SystemPlatform
