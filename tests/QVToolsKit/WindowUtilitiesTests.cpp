#include "QVToolsKit/UI/FrameGeometry.h"
#include "QVToolsKit/UI/QVWindowManager.h"
#include "QVToolsKit/UI/TransparentWindow.h"

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

using namespace QVToolsKit;
using Kit::Rect;
using Kit::Window;

namespace {

class WindowUtilitiesTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        KitTest::TearDown();
    }
    TempRoot root_;
};

TEST_F(WindowUtilitiesTest, TransparentWindow)
{
    auto window = makeTransparentWindow();
    EXPECT_EQ(window->styleMask(), 0x8007u);
    EXPECT_EQ(window->frame(), (Rect{0, 0, 0, 0}));
    EXPECT_TRUE(window->titlebarAppearsTransparent());
    for (auto type : {Window::ButtonType::closeButton, Window::ButtonType::miniaturizeButton,
             Window::ButtonType::zoomButton}) {
        ASSERT_NE(window->standardWindowButton(type), nullptr);
        EXPECT_TRUE(window->standardWindowButton(type)->isHidden());
    }
    EXPECT_EQ(window->backgroundColor(), Kit::Colour::clear());
    EXPECT_FALSE(window->isOpaque());
    EXPECT_TRUE(window->isMovableByWindowBackground());

    // Sized and filled by its caller, only the content shows: clear around a rounded card.
    window->setFrame({100, 100, 200, 120}, true);
    auto card = std::make_shared<Kit::View>(Rect{10, 10, 180, 100});
    card->layer().setBackgroundColor(Kit::Colour{0.2, 0.4, 0.8, 1});
    card->layer().setCornerRadius(16);
    window->contentView()->addSubview(card);
    const auto shot = Kit::Testing::Snapshot::of(*window);
    shot.save("qvtoolskit", "transparent-window");
    EXPECT_EQ(shot.alphaAt({5, 5}), 0);
    EXPECT_EQ(shot.alphaAt({11, 11}), 0);
    EXPECT_COLOUR_NEAR(shot.colourAt({100, 60}), (Kit::Colour{0.2, 0.4, 0.8, 1}));
}

TEST_F(WindowUtilitiesTest, GeometryReadsAndWrites)
{
    Window window(Rect{100, 200, 400, 300}, Window::borderless);
    EXPECT_EQ(bottom(window), 500);
    EXPECT_EQ(top(window), 200);
    EXPECT_EQ(centerPoint(window), (Kit::Point{200, 150}));
    EXPECT_EQ(maxX(window), 500);
    setCenterX(window, 500);
    EXPECT_EQ(window.frame(), (Rect{300, 200, 400, 300}));
    setRight(window, 400);
    EXPECT_EQ(window.frame(), (Rect{0, 200, 400, 300}));
    // A negative width: windows take x + width as it stands.
    window.setFrame({10, 0, -20, 5}, false);
    EXPECT_EQ(right(window), -10);
    EXPECT_EQ(centerX(window), 0);
}

TEST_F(WindowUtilitiesTest, ManagerSettings)
{
    QVWindowManager::setWindowLevel(nullptr, true);
    Window window(Rect{0, 0, 100, 100}, Window::titled | Window::closable | Window::miniaturizable);
    QVWindowManager::setWindowLevel(&window, true);
    EXPECT_EQ(window.level(), 25);
    QVWindowManager::setWindowLevel(&window, false);
    EXPECT_EQ(window.level(), 0);

    QVWindowManager::setResizable(&window, true);
    EXPECT_EQ(window.styleMask(), 0xFu);
    QVWindowManager::setMinimizable(&window, false);
    EXPECT_EQ(window.styleMask(), 0xBu);
    QVWindowManager::setResizable(&window, false);
    EXPECT_EQ(window.styleMask(), 0x3u);

    QVWindowManager::hideStandardButtons(&window, {Window::ButtonType::closeButton});
    EXPECT_TRUE(window.standardWindowButton(Window::ButtonType::closeButton)->isHidden());
    EXPECT_FALSE(window.standardWindowButton(Window::ButtonType::zoomButton)->isHidden());
    QVWindowManager::showStandardButtons(&window, {Window::ButtonType::closeButton});
    EXPECT_FALSE(window.standardWindowButton(Window::ButtonType::closeButton)->isHidden());
    QVWindowManager::disableStandardButtons(&window, {Window::ButtonType::zoomButton});
    EXPECT_FALSE(window.isStandardWindowButtonEnabled(Window::ButtonType::zoomButton));
    EXPECT_TRUE(window.isStandardWindowButtonEnabled(Window::ButtonType::closeButton));

    QVWindowManager::setCornerRadius(&window, 12);
    EXPECT_EQ(window.contentView()->layer().cornerRadius(), 12);
    EXPECT_TRUE(window.contentView()->layer().masksToBounds());

    QVWindowManager::setBorderlessStyle(&window);
    EXPECT_EQ(window.styleMask(), 0u);
    EXPECT_FALSE(window.isOpaque());
    EXPECT_EQ(window.backgroundColor(), Kit::Colour::clear());

    QVWindowManager::setAlpha(&window, 0.5);
    QVWindowManager::setHasShadow(&window, false);
    QVWindowManager::setHidesOnDeactivate(&window, true);
    QVWindowManager::setIgnoresMouseEvents(&window, true);
    QVWindowManager::setMovableByBackground(&window, true);
    EXPECT_EQ(window.alphaValue(), 0.5);
    EXPECT_FALSE(window.hasShadow());
    EXPECT_TRUE(window.hidesOnDeactivate());
    EXPECT_TRUE(window.ignoresMouseEvents());
    EXPECT_TRUE(window.isMovableByWindowBackground());
}

TEST_F(WindowUtilitiesTest, BackingScaleWithoutAWindow)
{
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector<Kit::Screen::Description>{}));
    EXPECT_EQ(QVWindowManager::getBackingScaleFactor(nullptr), 1.0);
    Kit::Screen::Description retina;
    retina.frame = retina.visibleFrame = {0, 0, 1440, 900};
    retina.backingScaleFactor = 2;
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector{retina}));
    EXPECT_EQ(QVWindowManager::getBackingScaleFactor(nullptr), 2.0);
}

TEST_F(WindowUtilitiesTest, CenterPlacesAThirdOfTheFreeHeightAbove)
{
    Kit::Screen::Description screen;
    screen.frame = {0, 0, 1440, 900};
    screen.visibleFrame = {0, 0, 1440, 876};
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector{screen}));
    Window window(Rect{0, 0, 400, 276}, Window::borderless);
    QVWindowManager::centerWindow(&window);
    EXPECT_EQ(window.frame(), (Rect{520, 400, 400, 276}));
    // Without any screen Kit places on its fixed 1440 × 900 fallback.
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector<Kit::Screen::Description>{}));
    QVWindowManager::centerWindow(&window);
    EXPECT_EQ(window.frame().x(), 520);
}

TEST_F(WindowUtilitiesTest, SaveAndRestoreTheFrame)
{
    Window window(Rect{100, 200, 400, 300}, Window::borderless);
    QVWindowManager::saveWindowFrame(&window, "frameKey");
    EXPECT_EQ(Foundation::UserDefaults::standard().string("frameKey"), "{{100, 200}, {400, 300}}");
    window.setFrame({0, 0, 10, 10}, false);
    QVWindowManager::restoreWindowFrame(&window, "frameKey");
    EXPECT_EQ(window.frame(), (Rect{100, 200, 400, 300}));

    // Nothing stored, a zero size or a foreign text: the frame stays.
    for (const char* text : {"{{0, 0}, {0, 0}}", "hello", "{{5, 5}, {100}}", "{{1, 2}, {-3, 4}}"}) {
        (void)Foundation::UserDefaults::standard().set(std::string(text), "frameKey");
        QVWindowManager::restoreWindowFrame(&window, "frameKey");
        EXPECT_EQ(window.frame(), (Rect{100, 200, 400, 300})) << text;
    }
    QVWindowManager::restoreWindowFrame(&window, "missing");
    QVWindowManager::restoreWindowFrame(nullptr, "frameKey");
    QVWindowManager::saveWindowFrame(nullptr, "other");
    EXPECT_EQ(Foundation::UserDefaults::standard().string("other"), std::nullopt);
    EXPECT_EQ(window.frame(), (Rect{100, 200, 400, 300}));
}

} // namespace
