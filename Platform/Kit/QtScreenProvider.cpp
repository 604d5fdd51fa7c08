#include "Platform/Kit/QtScreenProvider.h"

#include "Platform/Kit/QtBridge.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdint>
#include <functional>

namespace Kit {

namespace {

QList<QScreen*> primaryFirst()
{
    if (!qGuiApp)
        return {};
    QList<QScreen*> list = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && list.contains(primary)) {
        list.removeAll(primary);
        list.prepend(primary);
    }
    return list;
}

} // namespace

std::optional<Point> QtScreenProvider::qtGlobalOrigin() const
{
    const auto list = primaryFirst();
    if (list.isEmpty())
        return std::nullopt;
    const QRect g = list.front()->geometry();
    return Point {double(g.x()), double(g.y() + g.height())};
}

std::vector<Screen::Description> QtScreenProvider::screens() const
{
    std::vector<Screen::Description> out;
    const auto list = primaryFirst();
    if (list.isEmpty())
        return out;
    const Point origin = *qtGlobalOrigin();
    // Global y-up: the primary screen's bottom left is the origin.
    auto global = [&](const QRect& q) {
        return Rect {q.x() - origin.x, origin.y - q.y() - q.height(), double(q.width()), double(q.height())};
    };
    for (QScreen* s : list) {
        Screen::Description d;
        d.frame = global(s->geometry());
        d.visibleFrame = global(s->availableGeometry());
        d.backingScaleFactor = s->devicePixelRatio();
        d.localizedName = s->name().toStdString();
        const QString name = s->name();
        d.isBuiltin = name.startsWith(QLatin1String("eDP")) || name.startsWith(QLatin1String("LVDS"))
                      || name.startsWith(QLatin1String("DSI"));
        // A number stable for the display: its name, maker and serial.
        const std::string key = (name + s->manufacturer() + s->serialNumber()).toStdString();
        d.deviceDescription["NSScreenNumber"] = static_cast<std::uint32_t>(std::hash<std::string> {}(key)&0x7fffffff);
        out.push_back(std::move(d));
    }
    return out;
}

} // namespace Kit
