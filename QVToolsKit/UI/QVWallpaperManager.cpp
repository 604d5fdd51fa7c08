#include "QVToolsKit/UI/QVWallpaperManager.h"

#include "Platform/Foundation/Console.h"
#include "Platform/Kit/Screen.h"
#include "Platform/System/Workspace.h"
#include "QVToolsKit/UI/ScreenInfo.h"

#include <string>

namespace QVToolsKit {

namespace {

// The screen's key in the workspace: its display number, else its name.
std::string screenKey(const Kit::Screen& screen)
{
    const auto id = displayID(screen);
    return id ? std::to_string(*id) : screen.localizedName();
}

constexpr const char* noMainScreen = "❌ 无法获取主屏幕";

} // namespace

void QVWallpaperManager::setWallpaper(const std::filesystem::path& imageURL, const Kit::Screen& screen)
{
    const auto result = SystemPlatform::Workspace::shared().setDesktopImageURL(imageURL, screenKey(screen));
    if (result)
        Foundation::Console::print("✅ 壁纸设置成功：" + imageURL.string() + " -> " + screen.localizedName());
    else
        Foundation::Console::print("❌ 设置壁纸失败：" + result.error());
}

void QVWallpaperManager::setWallpaper(const std::optional<std::filesystem::path>& url)
{
    if (!url) {
        Foundation::Console::print("❌ 无效的图片 URL，壁纸设置失败");
        return;
    }
    const auto main = Kit::Screen::main();
    if (!main) {
        Foundation::Console::print(noMainScreen);
        return;
    }
    setWallpaper(*url, *main);
}

void QVWallpaperManager::setWallpaperForAllScreens(const std::filesystem::path& url)
{
    for (const auto& screen : Kit::Screen::screens())
        setWallpaper(url, *screen);
}

std::optional<std::filesystem::path> QVWallpaperManager::getCurrentWallpaperURL()
{
    const auto main = Kit::Screen::main();
    if (!main) {
        Foundation::Console::print(noMainScreen);
        return std::nullopt;
    }
    return SystemPlatform::Workspace::shared().desktopImageURL(screenKey(*main));
}

} // namespace QVToolsKit
