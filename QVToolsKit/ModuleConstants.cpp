#include "QVToolsKit/ModuleConstants.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/TextUtilities.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/ConsoleUser.h"
#include "Platform/System/IORegistry.h"
#include "Platform/System/ProcessInfo.h"
#include "QVToolsKit/OnceValue.h"

#include <cstdlib>

namespace QVToolsKit {

namespace {

std::optional<std::string> text(const nlohmann::json& value)
{
    return value.is_string() ? std::optional(value.get<std::string>()) : std::nullopt;
}

std::optional<std::string> localizedInfoValue(const Foundation::Bundle& bundle, const std::string& key)
{
    const auto table = bundle.localizedInfoDictionary();
    const auto found = table->find(key);
    return found != table->end() ? std::optional(found->second) : std::nullopt;
}

std::optional<SystemPlatform::ConsoleUser::User> consoleUser()
{
    auto user = SystemPlatform::ConsoleUser::current();
    if (!user || Foundation::lowercased(user->name) == "loginwindow")
        return std::nullopt;
    return user;
}

bool appIsSandbox() { return std::getenv("APP_SANDBOX_CONTAINER_ID") != nullptr; }

std::string documentPath() { return Foundation::Paths::documents().string(); }
std::string cachePath() { return Foundation::Paths::caches().string(); }
std::string appVersion() { return text(Foundation::Bundle::main().object("CFBundleShortVersionString")).value_or(""); }
std::string buildNumber() { return text(Foundation::Bundle::main().object("CFBundleVersion")).value_or(""); }
std::string mainAppName() { return appName(Foundation::Bundle::main()); }
std::optional<std::string> bundleID() { return Foundation::Bundle::main().bundleIdentifier(); }

std::string osVersion()
{
    const auto version = SystemPlatform::ProcessInfo::operatingSystemVersion();
    return std::to_string(version.majorVersion) + "." + std::to_string(version.minorVersion) + "."
           + std::to_string(version.patchVersion);
}

} // namespace

bool kAppIsSandbox() { return OnceValue::get<bool, appIsSandbox>(); }
bool kSystemIsDarkTheme() { return Foundation::UserDefaults::globalInterfaceStyleIsDark(); }

std::string kLibraryPath() { return Foundation::Paths::library().string(); }
const std::string& kDocumentPath() { return OnceValue::get<std::string, documentPath>(); }
const std::string& kCachePath() { return OnceValue::get<std::string, cachePath>(); }

std::optional<std::string> kBundlePath(std::string_view forResource)
{
    const auto path = Foundation::Bundle::main().path(forResource);
    return path ? std::optional(path->string()) : std::nullopt;
}

const std::string& kAPP_Version() { return OnceValue::get<std::string, appVersion>(); }
const std::string& kAPP_Build_Number() { return OnceValue::get<std::string, buildNumber>(); }
const std::string& kAPP_Name() { return OnceValue::get<std::string, mainAppName>(); }
const std::optional<std::string>& kBundle_id() { return OnceValue::get<std::optional<std::string>, bundleID>(); }
const std::string& kSystem_OS_Version() { return OnceValue::get<std::string, osVersion>(); }

std::string appName(const Foundation::Bundle& bundle)
{
    if (auto name = localizedInfoValue(bundle, "CFBundleDisplayName"))
        return *name;
    if (auto name = text(bundle.object("CFBundleDisplayName")))
        return *name;
    if (auto name = localizedInfoValue(bundle, "CFBundleName"))
        return *name;
    return text(bundle.object("CFBundleName")).value_or("");
}

std::optional<std::string> GUIUserName()
{
    const auto user = consoleUser();
    return user ? std::optional(user->name) : std::nullopt;
}

std::optional<std::string> GUIUserDisplayName()
{
    const auto user = consoleUser();
    if (!user)
        return std::nullopt;
    const auto home = SystemPlatform::ConsoleUser::homeDirectory(user->uid);
    if (!home)
        return std::nullopt;
    // The last non-empty piece of the path split at "/".
    const auto end = home->find_last_not_of('/');
    if (end == std::string::npos)
        return std::nullopt;
    const auto slash = home->rfind('/', end);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return home->substr(start, end + 1 - start);
}

std::string getUUID()
{
    const auto service = SystemPlatform::IORegistry::getMatchingService("IOPlatformExpertDevice");
    if (!service)
        return "";
    const auto property = service->properties.find("IOPlatformUUID");
    if (property == service->properties.end())
        return "";
    const auto* uuid = std::get_if<std::string>(&property->second);
    if (!uuid)
        return "";
    std::size_t start = 0;
    for (int group = 0; group < 4; ++group) {
        const auto dash = uuid->find('-', start);
        if (dash == std::string::npos)
            return "";
        start = dash + 1;
    }
    return uuid->substr(start, uuid->find('-', start) - start);
}

} // namespace QVToolsKit
