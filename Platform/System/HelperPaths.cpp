#include "Platform/System/HelperPaths.h"

#include "Platform/Foundation/Paths.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/System/KeepAlive.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

namespace SystemPlatform {

namespace {

std::filesystem::path named(const std::filesystem::path& folder, std::string_view label, std::string_view extension)
{
    return folder / (std::string(label) + std::string(extension));
}

struct LayoutState {
    std::mutex mutex;
    bool read = false;
    std::optional<SystemLayout> layout;
};

LayoutState& layoutState()
{
    static auto* state = new LayoutState(); // lives as long as the process
    return *state;
}

std::optional<SystemLayout> layoutFromEnvironment()
{
    const char* install = std::getenv("AERLO_HELPER_INSTALL");
    const bool system =
        install ? std::string_view(install) == "system" : IOKit::SMCEndpoint::specFromEnvironment() == "applesmc";
    return system ? std::optional(SystemLayout::fromEnvironment()) : std::nullopt;
}

} // namespace

std::optional<SystemLayout> HelperPaths::systemLayout()
{
    auto& state = layoutState();
    std::lock_guard lock(state.mutex);
    if (!state.read) {
        state.layout = layoutFromEnvironment();
        state.read = true;
    }
    return state.layout;
}

void HelperPaths::useSystemLayout(std::optional<SystemLayout> layout)
{
    auto& state = layoutState();
    std::lock_guard lock(state.mutex);
    state.layout = std::move(layout);
    state.read = true;
}

void HelperPaths::resetForTesting()
{
    auto& state = layoutState();
    std::lock_guard lock(state.mutex);
    state.layout.reset();
    state.read = false;
}

std::filesystem::path HelperPaths::privilegedHelperTools()
{
    const auto layout = systemLayout();
    return layout ? layout->installDirectory : Foundation::Paths::privilegedHelperTools();
}

std::filesystem::path HelperPaths::launchDaemons()
{
    const auto layout = systemLayout();
    return layout ? layout->installDirectory : Foundation::Paths::resolve("/Library/LaunchDaemons");
}

std::filesystem::path HelperPaths::runDirectory()
{
    const auto layout = systemLayout();
    return layout ? layout->runDirectory : Foundation::Paths::resolve("/var/run");
}

std::filesystem::path HelperPaths::logDirectory()
{
    const auto layout = systemLayout();
    return layout ? layout->logDirectory : Foundation::Paths::resolve("/var/log");
}

std::filesystem::path HelperPaths::keepAliveProgram(std::string_view label)
{
    return systemLayout() ? named(privilegedHelperTools(), label, ".keepalive") : KeepAlive::standInProgram();
}

std::filesystem::path HelperPaths::installedProgram(std::string_view label)
{
    return named(privilegedHelperTools(), label, "");
}

std::filesystem::path HelperPaths::jobFile(std::string_view label) { return named(launchDaemons(), label, ".plist"); }

std::filesystem::path HelperPaths::socket(std::string_view label) { return named(runDirectory(), label, ".sock"); }

std::filesystem::path HelperPaths::pidFile(std::string_view label) { return named(runDirectory(), label, ".pid"); }

std::filesystem::path HelperPaths::keepAlivePidFile(std::string_view label)
{
    return named(runDirectory(), label, ".keepalive.pid");
}

std::filesystem::path HelperPaths::smcIndexLock(std::string_view label)
{
    return named(runDirectory(), label, ".applesmc.lock");
}

std::filesystem::path HelperPaths::logFile(std::string_view label) { return named(logDirectory(), label, ".log"); }

std::filesystem::path HelperPaths::consoleLog(std::string_view label)
{
    return named(logDirectory(), label, ".console.log");
}

std::filesystem::path HelperPaths::bundledProgram(const std::filesystem::path& bundlePath, std::string_view label)
{
    return named(bundlePath / "Contents" / "Library" / "LaunchServices", label, "");
}

bool HelperPaths::isValidLabel(std::string_view label)
{
    return !label.empty() && label != "." && label != ".." && label.find('/') == std::string_view::npos
           && label.find('\0') == std::string_view::npos;
}

} // namespace SystemPlatform
