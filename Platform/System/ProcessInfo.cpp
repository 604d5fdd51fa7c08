#include "Platform/System/ProcessInfo.h"

#include "Platform/System/ActiveMachine.h"

#include <charconv>
#include <string_view>

namespace SystemPlatform {

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
