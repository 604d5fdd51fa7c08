#include "AerloControlHelper/AppDelegate.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/Workspace.h"

#include <vector>

namespace AerloControlHelper {

namespace fs = std::filesystem;

AppDelegate::AppDelegate(std::function<void()> terminate) : terminate_(std::move(terminate)) {}

std::optional<fs::path> AppDelegate::mainBundlePath(const fs::path& helperBundle)
{
    std::vector<fs::path> components;
    for (const fs::path& component : helperBundle.lexically_normal())
        if (!component.empty())
            components.push_back(component);
    if (components.size() < 5)
        return std::nullopt;
    const std::size_t n = components.size();
    const fs::path& helper = components[n - 1];
    if (helper.extension() != ".app" || helper.stem().empty() || components[n - 2] != "LoginItems"
        || components[n - 3] != "Library" || components[n - 4] != "Contents")
        return std::nullopt;
    fs::path main;
    for (std::size_t i = 0; i + 4 < n; ++i)
        main /= components[i];
    if (main.extension() != ".app" || main.stem().empty())
        return std::nullopt;
    return main;
}

void AppDelegate::applicationDidFinishLaunching()
{
    bool running = false;
    for (const auto& application : SystemPlatform::Workspace::shared().runningApplications())
        if (application.bundleIdentifier && *application.bundleIdentifier == mainBundleIdentifier)
            running = true;
    if (!running)
        launchMainApplication();
    Foundation::DispatchQueue::main().asyncAfter(Foundation::DispatchTime::now() + terminateDelay, [this] {
        if (terminate_)
            terminate_();
    });
}

void AppDelegate::launchMainApplication()
{
    if (Foundation::UserDefaults* suite = Foundation::UserDefaults::suite(Foundation::UserDefaults::appGroupSuiteName))
        (void)suite->set(true, firstLaunchKey);
    const fs::path helper = Foundation::Bundle::main().bundlePath();
    const auto main = mainBundlePath(helper);
    if (!main) {
        Foundation::Console::print("启动应用时发生错误: \"" + helper.string()
                                   + "\" does not lie in an application's Contents/Library/LoginItems.");
        return;
    }
    const auto launched = SystemPlatform::Workspace::shared().openApplication(*main, {.activates = false});
    if (!launched.ok())
        Foundation::Console::print("启动应用时发生错误: " + launched.error());
}

} // namespace AerloControlHelper
