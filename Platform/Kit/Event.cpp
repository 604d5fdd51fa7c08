#include "Platform/Kit/Event.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/Screen.h"

#include <QCursor>
#include <QGuiApplication>

namespace Kit {

namespace {
std::optional<Point>& mouseOverride()
{
    static Foundation::SharedInstance<std::optional<Point>> location;
    return location.get();
}
} // namespace

Point Event::mouseLocation()
{
    if (mouseOverride())
        return *mouseOverride();
    if (!qGuiApp)
        return {};
    const QPoint p = QCursor::pos();
    return Screen::globalPointFromQt({double(p.x()), double(p.y())});
}

void Event::setMouseLocationForTesting(std::optional<Point> location) { mouseOverride() = location; }

} // namespace Kit
