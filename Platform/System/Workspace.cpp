#include "Platform/System/Workspace.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ProcessApplicationLauncher.h"
#include "Platform/System/ProcessURLOpener.h"

#include <fstream>

namespace SystemPlatform {

namespace {

Foundation::SharedInstance<Workspace>& instance()
{
    static Foundation::SharedInstance<Workspace> shared;
    return shared;
}

} // namespace

Workspace& Workspace::shared() { return instance().get(); }

void Workspace::resetForTesting(std::shared_ptr<URLOpener> opener, std::shared_ptr<ApplicationLauncher> launcher)
{
    instance().resetForTesting([opener, launcher](void* storage) { new (storage) Workspace(opener, launcher); });
}

Workspace::Workspace(std::shared_ptr<URLOpener> opener, std::shared_ptr<ApplicationLauncher> launcher)
    : opener_(opener ? std::move(opener) : std::make_shared<ProcessURLOpener>()),
      launcher_(launcher ? std::move(launcher) : std::make_shared<ProcessApplicationLauncher>())
{
}

std::vector<RunningApplication> Workspace::runningApplications() { return launcher()->runningApplications(); }

Foundation::Result<pid_t> Workspace::openApplication(const std::filesystem::path& bundlePath,
                                                     const OpenConfiguration& configuration)
{
    return launcher()->openApplication(bundlePath, configuration);
}

bool Workspace::open(const Foundation::URL& url) { return opener()->open(url); }

std::shared_ptr<URLOpener> Workspace::opener() const
{
    std::lock_guard lock(mutex_);
    return opener_;
}

Foundation::Result<void> Workspace::setDesktopImageURL(const std::filesystem::path& picture,
                                                       const std::string& screenKey)
{
    std::error_code error;
    if (!picture.is_absolute())
        return Foundation::Error("The picture \"" + picture.string() + "\" is not an absolute path");
    if (!std::filesystem::is_regular_file(picture, error) || !std::ifstream(picture).good())
        return Foundation::Error("The file \"" + picture.string() + "\" is not a readable file");
    return desktopPictureStore()->setPicture(picture, screenKey);
}

std::optional<std::filesystem::path> Workspace::desktopImageURL(const std::string& screenKey) const
{
    return desktopPictureStore()->picture(screenKey);
}

void Workspace::setDesktopPictureStore(std::shared_ptr<DesktopPictureStore> store)
{
    std::lock_guard lock(mutex_);
    pictures_ = std::move(store);
}

std::shared_ptr<DesktopPictureStore> Workspace::desktopPictureStore() const
{
    std::lock_guard lock(mutex_);
    if (!pictures_)
        pictures_ = DesktopPictureStore::makeDefault();
    return pictures_;
}

} // namespace SystemPlatform

namespace SystemPlatform {

std::shared_ptr<ApplicationLauncher> Workspace::launcher() const
{
    std::lock_guard lock(mutex_);
    return launcher_;
}

} // namespace SystemPlatform
