#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/StatusBar.h"
#include "Platform/Kit/StatusItemTray.h"
#include "Platform/Kit/Window.h"
#include "tests/KitX11/X11TestSupport.h"

#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace Kit;
using X11TestSupport::clickAt;
using X11TestSupport::waitUntil;

namespace {

Image fanImage()
{
    Image image = Image::withSize({18, 18}, false, [](const Rect& rect) {
        GraphicsContext::current()->fillRect(rect.insetBy(2, 2), Colour::black());
        return true;
    });
    image.setTemplate(true);
    return image;
}

// The application's way: a window the size of its content, centred under the item's window.
std::unique_ptr<Window> openUnder(const StatusItem& item, Size content)
{
    const Rect anchor = item.button()->window()->frame();
    auto window = std::make_unique<Window>(Rect({}, content), Window::borderless);
    window->setFrame({anchor.x() + (anchor.width() - content.width) * 0.5, anchor.y() - content.height, content.width,
                      content.height},
                     true);
    window->makeKeyAndOrderFront();
    return window;
}

} // namespace

TEST(StatusItemX11Test, AClickOnTheShownItemSendsItsActionAndAWindowOpensUnderIt)
{
    ASSERT_TRUE(waitUntil([] { return StatusItemTray::isTrayAvailable(); }));
    auto item = StatusBar::system().statusItem(60);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    item->button()->setImage(fanImage());
    item->button()->setTitle("1200 rpm");

    std::unique_ptr<Window> popup;
    int clicks = 0;
    item->button()->setAction(Control::Action([&](Control&) {
        ++clicks;
        popup = openUnder(*item, {240, 160});
    }));

    QSystemTrayIcon& icon = tray->trayIcon();
    ASSERT_TRUE(waitUntil([&] {
        return icon.isVisible() && icon.geometry().width() > 0 && !icon.geometry().topLeft().isNull();
    })) << "the item got no place in the tray";
    // The tray takes the item's look at its next refresh, not at once.
    EXPECT_TRUE(waitUntil([&] { return icon.toolTip() == "1200 rpm"; })) << icon.toolTip().toStdString();
    const QRect place = icon.geometry();
    // Drawn at the tray's own pixel size from the next change on, so that the tray shows it unscaled.
    item->button()->setTitle("1300 rpm");
    const int side = std::min(place.width(), place.height());
    EXPECT_TRUE(waitUntil([&] { return tray->icon().pixelsWide() == side; }))
        << tray->icon().pixelsWide() << " pixels for a place of " << side;

    ASSERT_TRUE(clickAt(place.center()));
    ASSERT_TRUE(waitUntil([&] { return clicks == 1; })) << "the click did not reach the item";

    // The item's window took the tray's place: its centre is the icon's, its top the icon's top.
    const Rect anchor = item->screenFrame();
    EXPECT_NEAR(anchor.midX(), place.x() + place.width() / 2.0, 0.5);
    EXPECT_EQ(anchor.width(), 60);

    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(waitUntil([&] { return popup->qtWidget()->isVisible(); }));
    const QRect opened = popup->qtWidget()->geometry();
    EXPECT_EQ(opened.size(), QSize(240, 160));
    // Right under the icon (y down on screen), centred on it.
    EXPECT_EQ(opened.top(), place.bottom() + 1);
    EXPECT_NEAR(opened.x() + opened.width() / 2.0, place.x() + place.width() / 2.0, 1.0);
    popup.reset();
    StatusBar::system().removeStatusItem(*item);
}

TEST(StatusItemX11Test, AHiddenItemLeavesTheTray)
{
    ASSERT_TRUE(waitUntil([] { return StatusItemTray::isTrayAvailable(); }));
    auto item = StatusBar::system().statusItem(StatusItem::squareLength);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    item->button()->setImage(fanImage());
    ASSERT_TRUE(waitUntil([&] { return tray->trayIcon().geometry().width() > 0; }));
    item->setVisible(false);
    EXPECT_TRUE(waitUntil([&] { return !tray->trayIcon().isVisible(); }));
    item->setVisible(true);
    EXPECT_TRUE(waitUntil([&] { return tray->trayIcon().isVisible(); }));
    StatusBar::system().removeStatusItem(*item);
}
