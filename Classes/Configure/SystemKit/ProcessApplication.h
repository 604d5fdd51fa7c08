#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace Aerlo {

// The application a process runs as: its name in the user's language and its icon's file.
struct ProcessApplication {
    std::string localizedName;
    std::filesystem::path iconFile; // empty when there is none

    // The workspace's running application with that pid (its bundle's name and icon), else the desktop
    // entry whose Exec starts the process's executable. Nothing for a pid beyond 32 bits or a process
    // that is not an application.
    static std::optional<ProcessApplication> forProcess(std::int64_t pid);
};

} // namespace Aerlo
