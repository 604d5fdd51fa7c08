#include "Platform/Kit/QtScreenProvider.h"

#include "Platform/Kit/QtBridge.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdint>
#include <functional>

namespace Kit {

std::vector<Screen::Description> QtScreenProvider::screens() const
{
    std::vector<Screen::Description> out;
    if (!qGuiApp)
        return out;
    QList<QScreen*> list = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && list.contains(primary)) {
        list.removeAll(primary);
        list.prepend(primary);
    }
    if (list.isEmpty())
        return out;
    const double primaryHeight = list.front()->geometry().height();
    for (QScreen* s : list) {
        Screen::Description d;
        // Global y-up: the primary screen's bottom left is the origin.
        d.frame = QtBridge::flipped(QtBridge::rect(QRectF(s->geometry())), primaryHeight);
        d.visibleFrame = QtBridge::flipped(QtBridge::rect(QRectF(s->availableGeometry())), primaryHeight);
        d.backingScaleFactor = s->devicePixelRatio();
        d.localizedName = s->name().toStdString();
        const QString name = s->name();
        d.isBuiltin = name.startsWith(QLatin1String("eDP")) || name.startsWith(QLatin1String("LVDS"))
            || name.startsWith(QLatin1String("DSI"));
        // A number stable for the display: its name, maker and serial.
        const std::string key = (name + s->manufacturer() + s->serialNumber()).toStdString();
        d.deviceDescription["NSScreenNumber"] = static_cast<std::uint32_t>(std::hash<std::string>{}(key) & 0x7fffffff);
        out.push_back(std::move(d));
    }
    return out;
}

} // namespace Kit
