#include "Classes/Configure/SystemKit/ProcessApplication.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/System/DesktopApplications.h"
#include "Platform/System/Workspace.h"

#include <limits>

namespace fs = std::filesystem;

namespace Aerlo {

namespace {

// A registered application's bundle: its localised display name or name, and its icon among its
// resources.
std::optional<ProcessApplication> fromBundle(const fs::path& bundlePath)
{
    const Foundation::Bundle bundle(bundlePath);
    std::optional<std::string> name;
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        if (const auto localized = bundle.localizedInfoDictionary())
            if (const auto found = localized->find(key); found != localized->end() && !found->second.empty()) {
                name = found->second;
                break;
            }
        if (const nlohmann::json value = bundle.object(key); value.is_string() && !value.get<std::string>().empty()) {
            name = value.get<std::string>();
            break;
        }
    }
    if (!name)
        return std::nullopt;
    ProcessApplication application {*name, {}};
    std::error_code error;
    for (const fs::path& folder : {bundle.resourcePath(), bundle.resourcePath() / "Images"})
        for (const char* file : {"AppIcon@2x.png", "AppIcon.png"})
            if (application.iconFile.empty() && fs::is_regular_file(folder / file, error))
                application.iconFile = folder / file;
    return application;
}

} // namespace

std::optional<ProcessApplication> ProcessApplication::forProcess(std::int64_t pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return std::nullopt;
    for (const SystemPlatform::RunningApplication& running : SystemPlatform::Workspace::shared().runningApplications())
        if (running.processIdentifier == pid && !running.bundlePath.empty())
            if (auto application = fromBundle(running.bundlePath))
                return application;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error)
        return std::nullopt;
    const auto entry = SystemPlatform::DesktopApplications::forExecutable(
        executable, SystemPlatform::DesktopApplications::entryLanguages(Foundation::Bundle::preferredLocalization()));
    if (!entry)
        return std::nullopt;
    return ProcessApplication {entry->localizedName, entry->iconFile};
}

} // namespace Aerlo
