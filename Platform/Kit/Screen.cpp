#include "Platform/Kit/Screen.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/QtScreenProvider.h"
#include "Platform/Kit/Window.h"

#include <cstdint>

namespace Kit {

namespace {
Foundation::SharedInstance<std::shared_ptr<Screen::Provider>>& current()
{
    static Foundation::SharedInstance<std::shared_ptr<Screen::Provider>> provider(
        [] { return std::make_shared<QtScreenProvider>(); });
    return provider;
}

std::uint32_t numberOf(const Screen::Description& d)
{
    auto it = d.deviceDescription.find("NSScreenNumber");
    if (it == d.deviceDescription.end())
        return 0;
    if (auto* n = std::any_cast<std::uint32_t>(&it->second))
        return *n;
    return 0;
}
} // namespace

std::shared_ptr<Screen::Provider> Screen::provider()
{
    return current().get();
}

void Screen::replaceProvider(std::shared_ptr<Provider> provider) { current().replace(std::move(provider)); }

std::vector<std::shared_ptr<Screen>> Screen::screens()
{
    std::vector<std::shared_ptr<Screen>> out;
    for (auto& d : provider()->screens())
        out.push_back(std::make_shared<Screen>(std::move(d)));
    return out;
}

std::shared_ptr<Screen> Screen::main()
{
    if (Window* key = Window::keyWindow())
        if (auto screen = key->screen())
            return screen;
    auto list = screens();
    return list.empty() ? nullptr : list.front();
}

Screen::Description Screen::fallbackDescription()
{
    Description d;
    d.frame = {0, 0, 1440, 900};
    d.visibleFrame = {0, 0, 1440, 900 - statusBarThickness};
    d.localizedName = "Fallback";
    return d;
}

Screen Screen::placementMain()
{
    auto screen = main();
    return screen ? *screen : Screen(fallbackDescription());
}

std::optional<Point> Screen::Provider::qtGlobalOrigin() const
{
    const auto list = screens();
    if (list.empty())
        return std::nullopt;
    return Point{list.front().frame.x(), list.front().frame.height()};
}

namespace {
Point qtOrigin()
{
    return Screen::provider()->qtGlobalOrigin().value_or(Point{0, Screen::fallbackDescription().frame.height()});
}
} // namespace

Rect Screen::qtRectFromGlobal(const Rect& r)
{
    const Point o = qtOrigin();
    return {o.x + r.x(), o.y - r.y() - r.height(), r.width(), r.height()};
}

Rect Screen::globalRectFromQt(const Rect& r)
{
    const Point o = qtOrigin();
    return {r.x() - o.x, o.y - r.y() - r.height(), r.width(), r.height()};
}

Point Screen::qtPointFromGlobal(Point p)
{
    const Point o = qtOrigin();
    return {o.x + p.x, o.y - p.y};
}

Point Screen::globalPointFromQt(Point p)
{
    const Point o = qtOrigin();
    return {p.x - o.x, o.y - p.y};
}

bool Screen::operator==(const Screen& other) const
{
    return description_.frame == other.description_.frame
        && description_.localizedName == other.description_.localizedName
        && numberOf(description_) == numberOf(other.description_);
}

} // namespace Kit
