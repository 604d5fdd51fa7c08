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

unsigned Event::currentModifierFlags()
{
    if (!qGuiApp)
        return 0;
    const auto m = QGuiApplication::queryKeyboardModifiers();
    unsigned flags = 0;
    if (m & Qt::ShiftModifier) flags |= shift;
    if (m & Qt::ControlModifier) flags |= command;
    if (m & Qt::AltModifier) flags |= option;
    if (m & Qt::MetaModifier) flags |= control;
    return flags;
}

} // namespace Kit
