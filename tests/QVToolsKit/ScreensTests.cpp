#include "QVToolsKit/UI/QVCoordinatesAdministrator.h"
#include "QVToolsKit/UI/ScreenInfo.h"

#include "Platform/Kit/Event.h"
#include "Platform/System/ActiveMachine.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace QVToolsKit;
using Kit::Point;
using Kit::Rect;
using Kit::Screen;

namespace {

Screen::Description screen(Rect frame, Rect visible, std::any number = {}, bool builtin = false,
    double safeTop = 0)
{
    Screen::Description d;
    d.frame = frame;
    d.visibleFrame = visible;
    d.isBuiltin = builtin;
    d.safeAreaInsets.top = safeTop;
    d.localizedName = "Screen " + std::to_string(static_cast<int>(frame.x()));
    if (number.has_value())
        d.deviceDescription["NSScreenNumber"] = number;
    return d;
}

class ScreensTest : public Kit::Testing::KitTest {
protected:
    void use(std::vector<Screen::Description> screens)
    {
        Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::move(screens)));
    }
    void TearDown() override
    {
        SystemPlatform::ActiveMachine::select("");
        KitTest::TearDown();
    }
};

TEST_F(ScreensTest, FrameReadsComputeDirectly)
{
    const Screen s(screen({1440, -200, 1920, 1080}, {1440, -200, 1920, 1050}));
    EXPECT_EQ(x(s), 1440);
    EXPECT_EQ(y(s), -200);
    EXPECT_EQ(maxX(s), 3360);
    EXPECT_EQ(maxY(s), 880);
    EXPECT_EQ(center(s), (Point{2400, 340}));
    EXPECT_EQ(size(s), (Kit::Size{1920, 1080}));
}

TEST_F(ScreensTest, NumberAndBuiltIn)
{
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 876}), // no "NSScreenNumber"
        screen({1440, 0, 100, 100}, {1440, 0, 100, 100}, std::string("7"), true), // not a 32-bit number
        screen({-100, 0, 100, 100}, {-100, 0, 100, 100}, std::uint32_t{5}, false),
        screen({0, 900, 100, 100}, {0, 900, 100, 100}, std::uint32_t{9}, true),
        screen({100, 900, 100, 100}, {100, 900, 100, 100}, std::uint32_t{11}, true)});
    const auto list = Screen::screens();
    EXPECT_EQ(displayID(*list[0]), std::nullopt);
    EXPECT_FALSE(isBuiltin(*list[0]));
    EXPECT_EQ(displayID(*list[1]), std::nullopt);
    EXPECT_FALSE(isBuiltin(*list[1]));
    EXPECT_EQ(displayID(*list[2]), 5u);
    EXPECT_FALSE(isBuiltin(*list[2]));
    ASSERT_NE(builtinScreen(), nullptr);
    EXPECT_EQ(displayID(*builtinScreen()), 9u);
    EXPECT_TRUE(isMain(*list[0]));
    EXPECT_FALSE(isMain(*list[2]));
}

TEST_F(ScreensTest, NoScreens)
{
    use({});
    const Screen lone(screen({0, 0, 10, 10}, {0, 0, 10, 10}));
    EXPECT_FALSE(isMain(lone));
    EXPECT_EQ(menuBarThickness(lone), 0);
    EXPECT_EQ(builtinScreen(), nullptr);
    EXPECT_EQ(mouseCurrentScreen(), nullptr);
    EXPECT_EQ(Screen::main(), nullptr);
    // Kit's own placement still has a screen.
    EXPECT_EQ(Screen::placementMain().frame(), (Rect{0, 0, 1440, 900}));
}

TEST_F(ScreensTest, MenuBarThickness)
{
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 876})});
    EXPECT_EQ(menuBarThickness(*Screen::screens()[0]), 22);
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 900})});
    EXPECT_EQ(menuBarThickness(*Screen::screens()[0]), 0);
    // A dock at the bottom alone hides nothing at the top.
    use({screen({0, 0, 1440, 900}, {0, 60, 1440, 840})});
    EXPECT_EQ(menuBarThickness(*Screen::screens()[0]), 0);
}

TEST_F(ScreensTest, CameraHousingNeedsTwelveAndAnInset)
{
    const Screen notched(screen({0, 0, 1512, 982}, {0, 0, 1512, 950}, {}, true, 32));
    const Screen plain(screen({0, 0, 1512, 982}, {0, 0, 1512, 950}));
    SystemPlatform::ActiveMachine::select("mbp-m1pro-2fan");
    EXPECT_EQ(cameraHousingHeight(notched), 32);
    EXPECT_EQ(cameraHousingHeight(plain), std::nullopt);
    SystemPlatform::ActiveMachine::select("macpro-intel-4fan"); // 10.14
    EXPECT_EQ(cameraHousingHeight(notched), std::nullopt);
}

TEST_F(ScreensTest, ScreenUnderThePointer)
{
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 876}), screen({1440, -200, 1920, 1080}, {1440, -200, 1920, 1080})});
    struct Case {
        Point pointer;
        int screen; // −1: none
    };
    const Case cases[] = {{{10, 10}, 0}, {{2000, -100}, 1}, {{5000, 0}, -1}, {{10, 0}, -1}, {{10, 900}, 0},
        {{1440, 500}, 1}, {{-1, 10}, -1}};
    for (const auto& c : cases) {
        TestAccess::setMouseLocationForTesting<Kit::Event>(c.pointer);
        const auto found = mouseCurrentScreen();
        if (c.screen < 0)
            EXPECT_EQ(found, nullptr) << c.pointer.x << "," << c.pointer.y;
        else
            EXPECT_EQ(found && *found == *Screen::screens()[c.screen], true) << c.pointer.x << "," << c.pointer.y;
    }
}

TEST_F(ScreensTest, CoordinateConversions)
{
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 876})});
    EXPECT_EQ(QVCoordinatesAdministrator::convertFromBottomLeftToTopLeft({100, 200}), (Point{100, 700}));
    EXPECT_EQ(QVCoordinatesAdministrator::convertFromTopLeftToBottomLeft({100, 200}), (Point{100, 700}));
    EXPECT_EQ(screenFlipped({100, 200}), (Point{100, 700}));
    EXPECT_EQ(QVCoordinatesAdministrator::getMainScreenCenter(), (Point{720, 450}));
    EXPECT_TRUE(QVCoordinatesAdministrator::isPointInMainScreen({0, 0}));
    EXPECT_FALSE(QVCoordinatesAdministrator::isPointInMainScreen({1440, 10}));

    // No screen at the origin: both conversions return their input; the flip uses the first screen.
    use({screen({100, 50, 800, 600}, {100, 50, 800, 600})});
    EXPECT_EQ(QVCoordinatesAdministrator::convertFromBottomLeftToTopLeft({1, 2}), (Point{1, 2}));
    EXPECT_EQ(QVCoordinatesAdministrator::convertFromTopLeftToBottomLeft({1, 2}), (Point{1, 2}));
    EXPECT_EQ(screenFlipped({1, 2}), (Point{1, 648}));

    use({});
    EXPECT_EQ(screenFlipped({3, 4}), (Point{3, 4}));
    EXPECT_EQ(QVCoordinatesAdministrator::convertFromBottomLeftToTopLeft({3, 4}), (Point{3, 4}));
    EXPECT_EQ(QVCoordinatesAdministrator::getMainScreenCenter(), (Point{0, 0}));
    EXPECT_FALSE(QVCoordinatesAdministrator::isPointInMainScreen({3, 4}));
}

TEST_F(ScreensTest, WindowVisibilityAndPointerInWindowsAndViews)
{
    use({screen({0, 0, 1440, 900}, {0, 0, 1440, 876})});
    Kit::Window window(Rect{100, 100, 400, 300}, Kit::Window::borderless);
    EXPECT_TRUE(QVCoordinatesAdministrator::isWindowFullyVisible(window));
    window.setFrame({100, 577, 400, 300}, false); // one point above the visible frame
    EXPECT_FALSE(QVCoordinatesAdministrator::isWindowFullyVisible(window));
    window.setFrame({3000, 3000, 400, 300}, false); // on no screen
    EXPECT_FALSE(QVCoordinatesAdministrator::isWindowFullyVisible(window));

    window.setFrame({100, 100, 400, 300}, false);
    EXPECT_EQ(QVCoordinatesAdministrator::getWindowCenter(window), (Point{300, 250}));
    TestAccess::setMouseLocationForTesting<Kit::Event>(Point{150, 120});
    EXPECT_EQ(QVCoordinatesAdministrator::getMouseLocationInScreen(), (Point{150, 120}));
    EXPECT_EQ(QVCoordinatesAdministrator::getMouseLocation(window), (Point{50, 20}));
    auto view = std::make_shared<Kit::View>(Rect{40, 10, 20, 20});
    EXPECT_EQ(QVCoordinatesAdministrator::getMouseLocation(*view), std::nullopt);
    window.contentView()->addSubview(view);
    EXPECT_EQ(QVCoordinatesAdministrator::getMouseLocation(*view), (Point{10, 10}));
}

} // namespace
