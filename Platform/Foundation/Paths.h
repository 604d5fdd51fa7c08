#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace Foundation {

// The macOS file-system locations, resolved under one root folder:
// AERLO_ROOT, else $XDG_DATA_HOME/aerlo/root, else ~/.local/share/aerlo/root.
// The user's home is <root>/Users/<user>.
class AERLO_FOUNDATION_EXPORT Paths {
public:
    static std::filesystem::path root();
    // Points every location at another root (tests); an empty path goes back to the environment.
    static void setRoot(const std::filesystem::path& root);
    // Advances with every setRoot(), so that a cache of paths under the root can tell it moved without
    // asking again (the environment is taken to stay as the process found it).
    static std::uint64_t rootChangeCount();

    static std::string userName();
    static std::filesystem::path home();
    static std::filesystem::path documents();
    static std::filesystem::path library();
    static std::filesystem::path preferences();
    static std::filesystem::path caches(); // Library/Caches
    static std::filesystem::path trash(); // the user's trash, home/.Trash
    static std::filesystem::path applications(); // "/Applications/"
    static std::filesystem::path privilegedHelperTools(); // "/Library/PrivilegedHelperTools/"

    // The desktop's own configuration folder, outside the root, where the session looks:
    // $XDG_CONFIG_HOME when it is absolute, else .config in the user's real home.
    static std::filesystem::path configHome();

    // An absolute macOS path ("/Library/…", "~/Documents/…") as it lies under the root.
    // A relative path is returned unchanged.
    static std::filesystem::path resolve(std::string_view macPath);
};

} // namespace Foundation
