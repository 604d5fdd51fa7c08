#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Kit/Panel.h"
#include "Platform/Kit/Popover.h"
#include "Platform/Kit/Screen.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kit;

namespace {

class WindowTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        Screen::Description primary;
        primary.frame = {0, 0, 1440, 900};
        primary.visibleFrame = {0, 0, 1440, 876};
        Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::vector{primary}));
    }
};

class Recorder : public WindowDelegate {
public:
    void windowDidBecomeKey(Window&) override { log.push_back("becomeKey"); }
    void windowDidResignKey(Window&) override { log.push_back("resignKey"); }
    void windowWillClose(Window&) override { log.push_back("willClose"); }
    void windowDidResize(Window&) override { log.push_back("resize"); }
    void windowDidMove(Window&) override { log.push_back("move"); }
    std::vector<std::string> log;
};

TEST_F(WindowTest, FrameIsYUpFromThePrimaryScreensBottom)
{
    Window window(Rect{100, 200, 400, 300}, Window::borderless);
    EXPECT_EQ(window.frame(), (Rect{100, 200, 400, 300}));
    // Qt's top: 900 − (200 + 300).
    EXPECT_EQ(window.qtWidget()->geometry(), QRect(100, 400, 400, 300));
    window.setFrameTopLeftPoint({0, 900});
    EXPECT_EQ(window.qtWidget()->geometry(), QRect(0, 0, 400, 300));
    // Without screens Kit places on its fixed 1440 × 900 main screen.
    Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::vector<Screen::Description>{}));
    window.setFrame({10, 100, 50, 50}, false);
    EXPECT_EQ(window.qtWidget()->geometry(), QRect(10, 750, 50, 50));
}

TEST_F(WindowTest, TitledWindowsHaveATitleStripAboveTheContent)
{
    Window titled(Rect{0, 0, 300, 200}, Window::titled | Window::closable);
    EXPECT_EQ(titled.frame(), (Rect{0, 0, 300, 228}));
    EXPECT_EQ(titled.contentSize(), (Size{300, 200}));
    EXPECT_EQ(titled.contentView()->frame(), (Rect{0, 0, 300, 200}));
    Window full(Rect{0, 0, 300, 200}, Window::titled | Window::fullSizeContentView);
    EXPECT_EQ(full.frame(), (Rect{0, 0, 300, 200}));
    EXPECT_EQ(Window(Rect{}, Window::borderless).standardWindowButton(Window::ButtonType::closeButton), nullptr);
    // The content keeps its size when the style changes.
    titled.setStyleMask(Window::titled | Window::fullSizeContentView);
    EXPECT_EQ(titled.frame(), (Rect{0, 0, 300, 200}));
    titled.setContentSize({100, 50});
    EXPECT_EQ(titled.contentView()->frame().size, (Size{100, 50}));
    EXPECT_EQ(titled.frame().rawMaxY(), 200); // the top edge stays
}

TEST_F(WindowTest, KeyWindowAndDelegate)
{
    Recorder recorder;
    Window a(Rect{0, 0, 100, 100}, Window::titled);
    Window b(Rect{0, 0, 100, 100}, Window::titled);
    Window borderless(Rect{0, 0, 100, 100}, Window::borderless);
    a.setDelegate(&recorder);
    a.makeKeyAndOrderFront();
    EXPECT_TRUE(a.isKeyWindow());
    EXPECT_EQ(Window::keyWindow(), &a);
    EXPECT_TRUE(Window::isApplicationActive());
    b.makeKeyAndOrderFront();
    EXPECT_FALSE(a.isKeyWindow());
    borderless.makeKeyAndOrderFront();
    EXPECT_TRUE(b.isKeyWindow()); // a borderless window does not take key
    a.makeKey();
    a.setFrame({5, 5, 100, 128}, true);
    a.setFrame({5, 5, 120, 128}, true);
    a.close();
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(recorder.log,
        (std::vector<std::string>{"becomeKey", "resignKey", "becomeKey", "move", "resize", "willClose", "resignKey"}));
}

TEST_F(WindowTest, KeyAndCloseAreAlsoPosted)
{
    std::vector<std::string> names;
    Window window(Rect{0, 0, 100, 100}, Window::titled);
    auto token = Foundation::NotificationCenter::defaultCenter().addObserver(
        "", &window, [&](const Foundation::Notification& n) { names.push_back(n.name); });
    window.makeKeyAndOrderFront();
    window.close();
    EXPECT_EQ(names, (std::vector<std::string>{"NSWindowDidBecomeKeyNotification", "NSWindowWillCloseNotification",
                         "NSWindowDidResignKeyNotification"}));
}

TEST_F(WindowTest, StandardButtonsActOnTheWindow)
{
    Recorder recorder;
    Window window(Rect{0, 0, 200, 100}, Window::titled | Window::closable | Window::miniaturizable);
    window.setDelegate(&recorder);
    window.orderFront();
    View* close = window.standardWindowButton(Window::ButtonType::closeButton);
    ASSERT_NE(close, nullptr);
    Testing::EventInjector input(window);
    const Point centre{close->frame().midX(), close->frame().midY()};
    window.setStandardWindowButtonEnabled(Window::ButtonType::closeButton, false);
    input.click(centre);
    EXPECT_TRUE(window.isVisible());
    window.setStandardWindowButtonEnabled(Window::ButtonType::closeButton, true);
    input.click(centre);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(recorder.log, std::vector<std::string>{"willClose"});
}

TEST_F(WindowTest, LevelBackgroundAndRendering)
{
    Window window(Rect{0, 0, 60, 40}, Window::borderless);
    window.setLevel(Window::Level::floating);
    EXPECT_TRUE(window.qtWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    window.setLevel(Window::Level::normal);
    EXPECT_FALSE(window.qtWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    window.setBackgroundColor(Colour::green());
    auto view = std::make_shared<View>(Rect{0, 0, 30, 40});
    view->layer().setBackgroundColor(Colour::red());
    window.contentView()->addSubview(view);
    const auto shot = Testing::Snapshot::of(window, 2);
    EXPECT_COLOUR_NEAR(shot.colourAt({10, 20}), Colour::red());
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 20}), Colour::green());
    window.setOpaque(false);
    window.setBackgroundColor(Colour::clear());
    EXPECT_TRUE(window.qtWidget()->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(Testing::Snapshot::of(window).alphaAt({50, 20}), 0);
    window.setIgnoresMouseEvents(true);
    std::vector<std::string> log;
    class Clicked : public View {
    public:
        Clicked(std::vector<std::string>& log) : View(Rect{0, 0, 60, 40}), log_(log) {}
        void mouseDown(const Event&) override { log_.push_back("down"); }
        std::vector<std::string>& log_;
    };
    window.contentView()->addSubview(std::make_shared<Clicked>(log));
    Testing::EventInjector(window).click({5, 5});
    EXPECT_TRUE(log.empty());
}

TEST_F(WindowTest, InputRectLetsThePointerThroughElsewhere)
{
    std::vector<std::string> log;
    class Clicked : public View {
    public:
        Clicked(std::vector<std::string>& log) : View(Rect{0, 0, 100, 100}), log_(log) {}
        void mouseDown(const Event& e) override { log_.push_back("down " + std::to_string(int(e.locationInWindow.x))); }
        void mouseUp(const Event& e) override { log_.push_back("up " + std::to_string(int(e.locationInWindow.x))); }
        std::vector<std::string>& log_;
    };
    Window window(Rect{0, 0, 100, 100}, Window::borderless);
    window.contentView()->addSubview(std::make_shared<Clicked>(log));
    window.setInputRect(Rect{10, 10, 20, 20});
    EXPECT_EQ(window.qtWidget()->mask().boundingRect(), QRect(10, 70, 20, 20));
    Testing::EventInjector input(window);
    input.click({5, 5});
    input.down({15, 15});
    input.up({50, 50}); // a press that began inside ends where it ends
    EXPECT_EQ(log, (std::vector<std::string>{"down 15", "up 50"}));
    window.setFrame({0, 0, 100, 200}, false);
    EXPECT_EQ(window.qtWidget()->mask().boundingRect(), QRect(10, 170, 20, 20));
    window.setInputRect(std::nullopt);
    EXPECT_TRUE(window.qtWidget()->mask().isEmpty());
}

TEST_F(WindowTest, CenterAndConversions)
{
    Window window(Rect{0, 0, 440, 276}, Window::borderless);
    window.center();
    EXPECT_EQ(window.frame(), (Rect{500, 400, 440, 276}));
    EXPECT_EQ(window.convertPointFromScreen({510, 420}), (Point{10, 20}));
    EXPECT_EQ(window.convertRectToScreen({1, 2, 3, 4}), (Rect{501, 402, 3, 4}));
    EXPECT_EQ(window.screen()->frame(), (Rect{0, 0, 1440, 900}));
    EXPECT_EQ(window.backingScaleFactor(), 1);
}

TEST_F(WindowTest, WindowsThatHideOnDeactivationComeBack)
{
    Panel panel(Rect{0, 0, 100, 100}, Window::borderless);
    Window plain(Rect{0, 0, 100, 100}, Window::borderless);
    Panel closed(Rect{0, 0, 100, 100}, Window::borderless);
    panel.orderFront();
    plain.orderFront();
    Window::applicationActivityDidChange(false);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(plain.isVisible());
    EXPECT_FALSE(closed.isVisible());
    Window::applicationActivityDidChange(true);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(closed.isVisible());
}

TEST_F(WindowTest, Panels)
{
    Panel panel(Rect{0, 0, 100, 100}, Window::borderless | Window::nonactivatingPanel);
    EXPECT_TRUE(panel.hidesOnDeactivate());
    EXPECT_TRUE(panel.isNonactivating());
    EXPECT_TRUE(panel.qtWidget()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(panel.qtWidget()->testAttribute(Qt::WA_ShowWithoutActivating));
    panel.setFloatingPanel(true);
    EXPECT_EQ(panel.level(), Window::Level::floating);
    EXPECT_TRUE(panel.isFloatingPanel());
}

TEST(PopoverPlacement, OpensAtTheEdgeThatFits)
{
    const Rect visible{0, 0, 1440, 876};
    const Size size{200, 100};
    struct Case {
        const char* name;
        Rect anchor;
        Popover::Edge edge;
        Rect expected;
    };
    const Case cases[] = {
        {"above", {600, 400, 40, 20}, Popover::Edge::maxY, {520, 422, 200, 100}},
        {"below", {600, 400, 40, 20}, Popover::Edge::minY, {520, 298, 200, 100}},
        {"below a status item at the top", {1300, 876, 24, 22}, Popover::Edge::minY, {1212, 774, 200, 100}},
        {"above flips below at the top", {600, 850, 40, 20}, Popover::Edge::maxY, {520, 748, 200, 100}},
        {"kept inside on the right", {1430, 400, 10, 20}, Popover::Edge::maxY, {1240, 422, 200, 100}},
        {"right", {600, 400, 40, 20}, Popover::Edge::maxX, {642, 360, 200, 100}},
        {"right flips left", {1300, 400, 40, 20}, Popover::Edge::maxX, {1098, 360, 200, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Popover::frameFor(c.anchor, size, c.edge, visible), c.expected) << c.name;
}

TEST_F(WindowTest, PopoverShowsBesideAViewAndReportsItsClose)
{
    Window window(Rect{100, 100, 300, 200}, Window::borderless);
    auto anchor = std::make_shared<View>(Rect{20, 30, 40, 20});
    window.contentView()->addSubview(anchor);
    window.orderFront();
    Popover popover;
    popover.setBehavior(Popover::Behavior::transient);
    popover.setContentView(std::make_shared<View>(Rect{0, 0, 80, 50}));
    int closes = 0;
    popover.didClose = [&] { ++closes; };
    popover.show(anchor->bounds(), *anchor, Popover::Edge::maxY);
    ASSERT_TRUE(popover.isShown());
    EXPECT_EQ(popover.window()->frame(), (Rect{100 + 20 + 20 - 40, 100 + 50 + 2, 80, 50}));
    EXPECT_TRUE(popover.window()->qtWidget()->windowFlags().testFlag(Qt::Popup));
    // Qt closing the popup (a click outside) closes the popover once.
    popover.window()->qtWidget()->hide();
    EXPECT_FALSE(popover.isShown());
    EXPECT_EQ(closes, 1);
    popover.close();
    EXPECT_EQ(closes, 1);
    popover.show({700, 876, 24, 22}, Popover::Edge::minY);
    EXPECT_EQ(popover.window()->frame(), (Rect{672, 874 - 50, 80, 50}));
    popover.close();
    EXPECT_EQ(closes, 2);
}

} // namespace

namespace {

class BackingRecorder : public View {
public:
    using View::View;
    void viewDidChangeBackingProperties() override { scales.push_back(window()->backingScaleFactor()); }
    std::vector<double> scales;
};

} // namespace

TEST_F(WindowTest, ViewsHearOfTheBackingScaleWhenTheyEnterAWindowAndWhenItMovesToAnotherScale)
{
    Screen::Description standard;
    standard.frame = standard.visibleFrame = {0, 0, 1440, 900};
    Screen::Description retina;
    retina.frame = retina.visibleFrame = {1440, 0, 1440, 900};
    retina.backingScaleFactor = 2;
    Screen::replaceProvider(std::make_shared<Screen::FixedProvider>(std::vector {standard, retina}));

    Window window(Rect {100, 100, 200, 100}, Window::borderless);
    window.setContentView(std::make_shared<View>(Rect {0, 0, 200, 100}));
    auto outer = std::make_shared<BackingRecorder>(Rect {0, 0, 100, 100});
    auto inner = std::make_shared<BackingRecorder>(Rect {0, 0, 50, 50});
    outer->addSubview(inner);
    window.contentView()->addSubview(outer);
    EXPECT_EQ(outer->scales, std::vector<double> {1});
    EXPECT_EQ(inner->scales, std::vector<double> {1});

    // A move on the same screen changes nothing; one onto the other screen tells every view once.
    window.setFrameOrigin({300, 300});
    EXPECT_EQ(outer->scales.size(), 1u);
    window.setFrameOrigin({1600, 300});
    EXPECT_EQ(outer->scales, (std::vector<double> {1, 2}));
    EXPECT_EQ(inner->scales, (std::vector<double> {1, 2}));

    // Out of a window, nothing; into one, told of its scale.
    outer->removeFromSuperview();
    EXPECT_EQ(outer->scales.size(), 2u);
    Window other(Rect {100, 100, 200, 100}, Window::borderless);
    other.setContentView(std::make_shared<View>(Rect {0, 0, 200, 100}));
    other.contentView()->addSubview(outer);
    EXPECT_EQ(outer->scales, (std::vector<double> {1, 2, 1}));
    EXPECT_EQ(inner->scales, (std::vector<double> {1, 2, 1}));
}
