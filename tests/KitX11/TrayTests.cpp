#include "tests/KitX11/X11TestSupport.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using X11TestSupport::clickAt;
using X11TestSupport::waitUntil;

// The ground the status-item tests stand on: a real tray, an icon with a place in it, and a click that arrives.
TEST(TrayTest, TrayIsAvailableAndAClickOnTheIconReachesTheApplication)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::red);
    QSystemTrayIcon icon {QIcon(pixmap)};
    int triggers = 0;
    QObject::connect(&icon, &QSystemTrayIcon::activated, [&](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            ++triggers;
    });
    icon.show();
    // The icon reports a size at the origin first, then its place in the tray.
    ASSERT_TRUE(waitUntil([&] { return icon.geometry().width() > 0 && !icon.geometry().topLeft().isNull(); }))
        << "the icon got no place in the tray";

    ASSERT_TRUE(clickAt(icon.geometry().center()));
    EXPECT_TRUE(waitUntil([&] { return triggers == 1; }));
}
