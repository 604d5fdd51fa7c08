#include "Platform/System/HelperPaths.h"

#include "Platform/Foundation/Paths.h"

#include <string>

namespace SystemPlatform {

namespace {

std::filesystem::path named(const std::filesystem::path& folder, std::string_view label, std::string_view extension)
{
    return folder / (std::string(label) + std::string(extension));
}

} // namespace

std::filesystem::path HelperPaths::privilegedHelperTools() { return Foundation::Paths::privilegedHelperTools(); }

std::filesystem::path HelperPaths::launchDaemons() { return Foundation::Paths::resolve("/Library/LaunchDaemons"); }

std::filesystem::path HelperPaths::runDirectory() { return Foundation::Paths::resolve("/var/run"); }

std::filesystem::path HelperPaths::logDirectory() { return Foundation::Paths::resolve("/var/log"); }

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
    return !label.empty() && label != "." && label != ".." && label.find('/') == std::string_view::npos &&
           label.find('\0') == std::string_view::npos;
}

} // namespace SystemPlatform
