#include "Platform/System/SystemLayout.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <unistd.h>

namespace SystemPlatform {

SystemLayout SystemLayout::under(const std::filesystem::path& prefix)
{
    SystemLayout layout;
    layout.prefix = prefix;
    layout.installDirectory = prefix / "usr/local/libexec/aerlo";
    layout.unitDirectory = prefix / "etc/systemd/system";
    layout.runDirectory = prefix / "run/aerlo";
    layout.logDirectory = prefix / "var/log/aerlo";
    layout.pkexec = prefix / "usr/bin/pkexec";
    layout.systemctl = prefix / "usr/bin/systemctl";
    layout.systemdMarker = prefix / "run/systemd/system";
    return layout;
}

SystemLayout SystemLayout::fromEnvironment()
{
    const char* prefix = std::getenv("AERLO_SYSTEM_ROOT");
    return under(prefix && *prefix ? prefix : "/");
}

bool SystemLayout::hasSystemd() const
{
    std::error_code error;
    return std::filesystem::is_directory(systemdMarker, error) && ::access(systemctl.c_str(), X_OK) == 0;
}

std::filesystem::path SystemLayout::unitFile(std::string_view label) const
{
    return unitDirectory / (std::string(label) + ".service");
}

} // namespace SystemPlatform
