#include "Platform/System/ProcessInfo.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ActiveMachine.h"

#include <charconv>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace SystemPlatform {

namespace {

struct TestNames {
    std::mutex mutex;
    std::optional<ProcessInfo::UserNames> names;
};

TestNames& testNames()
{
    static Foundation::SharedInstance<TestNames> names;
    return names.get();
}

// The account's names from the password database.
ProcessInfo::UserNames accountNames()
{
    {
        TestNames& test = testNames();
        std::lock_guard lock(test.mutex);
        if (test.names)
            return *test.names;
    }
    ProcessInfo::UserNames names;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        names.userName = found->pw_name ? found->pw_name : "";
        names.fullUserName = found->pw_gecos ? found->pw_gecos : "";
    }
    if (names.userName.empty())
        if (const char* user = std::getenv("USER"))
            names.userName = user;
    return names;
}

} // namespace

std::string ProcessInfo::userName() { return accountNames().userName; }

std::string ProcessInfo::fullUserName()
{
    const UserNames names = accountNames();
    const std::string full = names.fullUserName.substr(0, names.fullUserName.find(','));
    return full.empty() ? names.userName : full;
}

void ProcessInfo::setUserNamesForTesting(std::optional<UserNames> names)
{
    TestNames& test = testNames();
    std::lock_guard lock(test.mutex);
    test.names = std::move(names);
}

OperatingSystemVersion ProcessInfo::operatingSystemVersion()
{
    OperatingSystemVersion version;
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return version;
    std::string_view text = profile->facts.osVersion;
    std::int64_t* parts[] = {&version.majorVersion, &version.minorVersion, &version.patchVersion};
    for (std::int64_t* part : parts) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *part);
        if (error != std::errc() || end == text.data() + text.size() || *end != '.')
            break;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    }
    return version;
}

bool ProcessInfo::isOperatingSystemAtLeast(std::int64_t major, std::int64_t minor, std::int64_t patch)
{
    const OperatingSystemVersion v = operatingSystemVersion();
    if (v.majorVersion != major)
        return v.majorVersion > major;
    if (v.minorVersion != minor)
        return v.minorVersion > minor;
    return v.patchVersion >= patch;
}

std::string ProcessInfo::operatingSystemVersionString()
{
    const auto profile = ActiveMachine::profile();
    if (!profile)
        return {};
    return "Version " + profile->facts.osVersion + " (Build " + profile->facts.osBuild + ")";
}

} // namespace SystemPlatform
