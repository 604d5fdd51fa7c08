#include "Platform/Kit/Event.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cstdint>
#include <gtest/gtest.h>

using namespace Kit;

namespace {

// Two screens, scale 2 and 1, the second above the origin: set before the application starts.
const bool screenFile = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" AERLO_SOURCE_DIR "/tests/KitScreens/screens.json");
    return true;
}();

class QtScreenProviderTest : public Testing::KitTest {};

TEST_F(QtScreenProviderTest, ScreensInYUpGlobalCoordinatesPrimaryFirst)
{
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the offscreen screen file was not read";
    const auto screens = Screen::screens();
    ASSERT_EQ(screens.size(), 2u);
    // The plugin makes the external screen primary: the global origin is its bottom left, Qt's
    // (1440, 880); the built-in screen at Qt's (0, 0) lies left of it, its bottom 20 below that origin.
    ASSERT_EQ(QGuiApplication::primaryScreen()->name(), "HDMI-1");
    EXPECT_EQ(screens[0]->frame(), (Rect {0, 0, 1920, 1080}));
    EXPECT_EQ(screens[1]->frame(), (Rect {-1440, -20, 1440, 900}));
    EXPECT_EQ(screens[0]->backingScaleFactor(), 1);
    EXPECT_EQ(screens[1]->backingScaleFactor(), 2);
    EXPECT_FALSE(screens[0]->isBuiltin());
    EXPECT_TRUE(screens[1]->isBuiltin());
    const auto number = [](const Screen& s) {
        return std::any_cast<std::uint32_t>(s.deviceDescription().at("NSScreenNumber"));
    };
    EXPECT_NE(number(*screens[0]), number(*screens[1]));
    // Stable from one reading to the next.
    EXPECT_EQ(number(*Screen::screens()[1]), number(*screens[1]));
    EXPECT_EQ(Screen::main()->frame(), screens[0]->frame());
}

TEST_F(QtScreenProviderTest, WindowsFollowTheirScreen)
{
    Window window(Rect {100, 100, 200, 100}, Window::borderless);
    EXPECT_EQ(window.backingScaleFactor(), 1);
    // Qt's geometry: x 1440 + 100, y 880 − (100 + 100).
    EXPECT_EQ(window.qtWidget()->geometry(), QRect(1540, 680, 200, 100));
    window.setFrame({-1000, 500, 200, 100}, false);
    EXPECT_EQ(window.screen()->frame(), (Rect {-1440, -20, 1440, 900}));
    EXPECT_EQ(window.backingScaleFactor(), 2);
    EXPECT_EQ(window.qtWidget()->geometry(), QRect(440, 280, 200, 100));
}

TEST_F(QtScreenProviderTest, MouseLocationIsTheCursorInYUp)
{
    QCursor::setPos(1500, 800);
    EXPECT_EQ(Event::mouseLocation(), (Point {60, 80}));
    TestAccess::setMouseLocationForTesting<Event>(Point {5, 6});
    EXPECT_EQ(Event::mouseLocation(), (Point {5, 6}));
}

} // namespace
