#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace SystemPlatform {

// Where a root-owned helper install lives on a real machine, and the two programs it runs. Every path
// is under one prefix ("/" on a real machine; a temporary folder in tests, with fake programs there).
struct AERLO_SYSTEM_EXPORT SystemLayout {
    std::filesystem::path prefix;
    std::filesystem::path installDirectory; // "<prefix>/usr/local/libexec/aerlo": program and job file
    std::filesystem::path unitDirectory; // "<prefix>/etc/systemd/system"
    std::filesystem::path runDirectory; // "<prefix>/run/aerlo": socket and pid files
    std::filesystem::path logDirectory; // "<prefix>/var/log/aerlo"
    std::filesystem::path pkexec; // "<prefix>/usr/bin/pkexec"
    std::filesystem::path systemctl; // "<prefix>/usr/bin/systemctl"
    std::filesystem::path systemdMarker; // "<prefix>/run/systemd/system": there while systemd runs the machine

    static SystemLayout under(const std::filesystem::path& prefix);
    // Under AERLO_SYSTEM_ROOT, else "/".
    static SystemLayout fromEnvironment();

    // systemd runs the machine and its systemctl can be run.
    bool hasSystemd() const;
    // "<unitDirectory>/<label>.service".
    std::filesystem::path unitFile(std::string_view label) const;

    bool operator==(const SystemLayout&) const = default;
};

} // namespace SystemPlatform
