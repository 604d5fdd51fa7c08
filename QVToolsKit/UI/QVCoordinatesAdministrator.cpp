#include "QVToolsKit/UI/QVCoordinatesAdministrator.h"

#include "Platform/Kit/Event.h"
#include "Platform/Kit/Screen.h"

namespace QVToolsKit {

Kit::Point QVCoordinatesAdministrator::convertFromBottomLeftToTopLeft(Kit::Point p)
{
    for (const auto& screen : Kit::Screen::screens())
        if (screen->frame().origin == Kit::Point{0, 0})
            return {p.x, screen->frame().height() - p.y};
    return p;
}

Kit::Point QVCoordinatesAdministrator::convertFromTopLeftToBottomLeft(Kit::Point p)
{
    return convertFromBottomLeftToTopLeft(p);
}

Kit::Point QVCoordinatesAdministrator::getMouseLocationInScreen() { return Kit::Event::mouseLocation(); }

Kit::Point QVCoordinatesAdministrator::getMouseLocation(const Kit::Window& window)
{
    return window.convertPointFromScreen(Kit::Event::mouseLocation());
}

std::optional<Kit::Point> QVCoordinatesAdministrator::getMouseLocation(const Kit::View& view)
{
    const Kit::Window* window = view.window();
    if (!window)
        return std::nullopt;
    return view.convertFrom(getMouseLocation(*window), nullptr);
}

bool QVCoordinatesAdministrator::isPointInMainScreen(Kit::Point p)
{
    const auto main = Kit::Screen::main();
    return main && main->frame().contains(p);
}

bool QVCoordinatesAdministrator::isWindowFullyVisible(const Kit::Window& window)
{
    const auto screen = window.screen();
    return screen && screen->visibleFrame().contains(window.frame());
}

Kit::Point QVCoordinatesAdministrator::getMainScreenCenter()
{
    const auto main = Kit::Screen::main();
    if (!main)
        return {0, 0};
    return {main->frame().midX(), main->frame().midY()};
}

Kit::Point QVCoordinatesAdministrator::getWindowCenter(const Kit::Window& window)
{
    return {window.frame().midX(), window.frame().midY()};
}

Kit::Point screenFlipped(Kit::Point p)
{
    const auto screens = Kit::Screen::screens();
    if (screens.empty())
        return p;
    return {p.x, screens.front()->frame().maxY() - p.y};
}

} // namespace QVToolsKit
