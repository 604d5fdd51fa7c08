#include "QVToolsKit/UI/ScreenInfo.h"

#include "Platform/Kit/Event.h"
#include "Platform/System/ProcessInfo.h"

namespace QVToolsKit {

bool isMain(const Kit::Screen& screen)
{
    const auto main = Kit::Screen::main();
    return main && *main == screen;
}

std::optional<std::uint32_t> displayID(const Kit::Screen& screen)
{
    const auto& description = screen.deviceDescription();
    const auto it = description.find("NSScreenNumber");
    if (it == description.end())
        return std::nullopt;
    if (const auto* number = std::any_cast<std::uint32_t>(&it->second))
        return *number;
    return std::nullopt;
}

bool isBuiltin(const Kit::Screen& screen) { return displayID(screen) && screen.isBuiltin(); }

std::optional<double> cameraHousingHeight(const Kit::Screen& screen)
{
    if (!SystemPlatform::ProcessInfo::isOperatingSystemAtLeast(12))
        return std::nullopt;
    const double top = screen.safeAreaInsets().top;
    if (top == 0)
        return std::nullopt;
    return top;
}

double menuBarThickness(const Kit::Screen&)
{
    const auto main = Kit::Screen::main();
    if (!main)
        return 0;
    const double hidden = main->frame().height() - main->visibleFrame().height() - main->visibleFrame().minY();
    return hidden != 0 ? Kit::Screen::statusBarThickness : 0;
}

std::shared_ptr<Kit::Screen> builtinScreen()
{
    for (auto& screen : Kit::Screen::screens())
        if (isBuiltin(*screen))
            return screen;
    return nullptr;
}

std::shared_ptr<Kit::Screen> mouseCurrentScreen()
{
    const Kit::Point p = Kit::Event::mouseLocation();
    for (auto& screen : Kit::Screen::screens()) {
        // The mouse-in-rect test, unflipped: the bottom edge is outside, the top edge inside.
        const Kit::Rect f = screen->frame();
        if (!f.isEmpty() && p.x >= f.minX() && p.x < f.maxX() && p.y > f.minY() && p.y <= f.maxY())
            return screen;
    }
    return nullptr;
}

} // namespace QVToolsKit
