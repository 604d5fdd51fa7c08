#pragma once

#include "Platform/Kit/KitExport.h"

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace Kit {

// A tray icon of the StatusNotifierItem kind on a D-Bus session bus: it owns a bus name of its own,
// serves the item's properties (the icon as pixmaps and, where the AppIndicator service that loads icons
// only by name runs, as a PNG file in a folder of its own given as the icon theme path; the tool tip, the status and the label that
// AppIndicator hosts show beside the icon), tells the host of each change by its signal, and registers
// with the bus's StatusNotifierWatcher (again whenever a watcher appears). Hosts' clicks come to the
// activation handler with the place they give. The folder goes with the item.
class AERLO_KIT_EXPORT StatusNotifierItem final {
public:
    static constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
    static constexpr const char* watcherPath = "/StatusNotifierWatcher";
    static constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
    static constexpr const char* itemPath = "/StatusNotifierItem";

    // One pixmap as the protocol carries it: ARGB32 in network byte order, row by row.
    struct Pixmap {
        int width = 0;
        int height = 0;
        QByteArray bytes;
    };
    // One icon: the image's pixmaps (at its own size and, for large images, at half of it), and the image
    // as a PNG file's bytes under a name made from its pixels, for hosts that take only icon names.
    struct Icon {
        QList<Pixmap> pixmaps;
        QString name;
        QByteArray png;
        static Icon fromImage(const QImage& image);
    };
    // The tool tip as the protocol carries it: icon name, icon pixmaps, title, text.
    struct ToolTip {
        QString iconName;
        QList<Pixmap> pixmaps;
        QString title;
        QString text;
    };
    enum class Click { primary, secondary, context };
    using ActivationHandler = std::function<void(Click, QPoint)>;

    explicit StatusNotifierItem(std::string id, QDBusConnection connection = QDBusConnection::sessionBus());
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // The protocol's types with QtDBus (done by every item; readers of the properties call it).
    static void registerMetaTypes();
    // Whether the bus has a watcher with a host registered with it (a panel that shows the items).
    static bool isHostAvailable(const QDBusConnection& connection = QDBusConnection::sessionBus());

    const std::string& serviceName() const;

    void setIcon(const Icon& icon);
    void setToolTip(const std::string& text);
    void setLabel(const std::string& label);
    // Visible: status "Active"; hidden: "Passive" (hosts hide such items).
    void setVisible(bool visible);
    void setActivationHandler(ActivationHandler handler);

private:
    class Object;
    std::unique_ptr<Object> object_;
};

AERLO_KIT_EXPORT QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::Pixmap& pixmap);
AERLO_KIT_EXPORT const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::Pixmap& pixmap);
AERLO_KIT_EXPORT QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierItem::ToolTip& tip);
AERLO_KIT_EXPORT const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierItem::ToolTip& tip);

} // namespace Kit

Q_DECLARE_METATYPE(Kit::StatusNotifierItem::Pixmap)
Q_DECLARE_METATYPE(Kit::StatusNotifierItem::ToolTip)
