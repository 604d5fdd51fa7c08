#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include <filesystem>
#include <optional>

namespace Kit {
class Screen;
}

namespace QVToolsKit {

// Sets and reads the desktop picture of the screens through the workspace. Every outcome is one printed
// line; nothing is returned but the current picture.
class QVTOOLSKITUI_EXPORT QVWallpaperManager {
public:
    // The main screen's picture.
    static void setWallpaper(const std::optional<std::filesystem::path>& url);
    static void setWallpaper(const std::filesystem::path& imageURL, const Kit::Screen& screen);
    // One line per screen, in the screen list's order.
    static void setWallpaperForAllScreens(const std::filesystem::path& url);
    static std::optional<std::filesystem::path> getCurrentWallpaperURL();
};

} // namespace QVToolsKit
