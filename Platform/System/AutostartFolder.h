#pragma once

#include "Platform/System/SystemExport.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace SystemPlatform {

// The session's autostart folder and the names a program's entry takes in it: "<stem>.desktop", else
// "<stem>-2.desktop", "-3", … while a name is taken by someone else's entry or by one that cannot be read,
// which are left as they are. Main thread only.
class AERLO_SYSTEM_EXPORT AutostartFolder {
public:
    static constexpr int maximumNameSuffix = 100;

    // What lies under one of the names.
    enum class Occupant { none, starts, other, unreadable };

    // $XDG_CONFIG_HOME/autostart (by default ~/.config/autostart), where the desktop's session looks.
    static std::filesystem::path path();
    // The names `stem` may take, in order; none for a stem that cannot name a file.
    static std::vector<std::filesystem::path> names(std::string_view stem);
    // Whether `entry` is missing, an application entry whose Exec starts `executable`, another entry, or
    // cannot be read (damaged, not a regular file); one printed line, once, tells of the last.
    static Occupant occupant(const std::filesystem::path& entry, const std::filesystem::path& executable);
};

} // namespace SystemPlatform
