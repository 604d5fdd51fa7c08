#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/StatusBar.h"
#include "Platform/Kit/StatusItemTray.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"
#include "tests/Support/Kit/StatusItemContent.h"
#include "tests/Support/TestAccess.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <cmath>
#include <gtest/gtest.h>

using namespace Kit;
using Kit::Testing::Snapshot;

namespace {

class StatusItemTest : public Testing::KitTest {
protected:
    void TearDown() override
    {
        TestAccess::resetForTesting<StatusBar>();
        KitTest::TearDown();
    }

    static Image squareImage() { return Testing::squareTemplateImage(); }
};

TEST_F(StatusItemTest, TheModelKeepsLengthVisibilityButtonAndMenu)
{
    TestAccess::resetForTesting<StatusBar>([](StatusItem&) { return nullptr; });
    auto item = StatusBar::system().statusItem(StatusItem::variableLength);
    EXPECT_EQ(StatusBar::system().thickness(), 22);
    EXPECT_EQ(item->length(), -1);
    EXPECT_TRUE(item->isVisible());
    EXPECT_EQ(item->width(), 22); // nothing in it yet: one square
    int changes = 0;
    item->setChangeHandler([&] { ++changes; });

    item->setImage(squareImage());
    EXPECT_EQ(item->width(), 28); // image and margins
    EXPECT_EQ(item->window().frame().width(), 28);
    item->setLength(60);
    EXPECT_EQ(item->width(), 60);
    EXPECT_EQ(item->button()->frame().size, (Size {60, 22}));
    EXPECT_EQ(&item->button()->statusItem(), item.get());
    EXPECT_EQ(item->button()->window(), &item->window());
    item->setLength(StatusItem::squareLength);
    EXPECT_EQ(item->width(), 22);
    item->setVisible(false);
    EXPECT_FALSE(item->isVisible());
    item->setMenu(std::make_shared<Menu>());
    EXPECT_GE(changes, 4);

    // A view added to the button asks for display: the item hears of it.
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    item->button()->addSubview(view);
    const int before = changes;
    view->setNeedsDisplay();
    EXPECT_GT(changes, before);

    StatusBar::system().removeStatusItem(*item);
    EXPECT_TRUE(StatusBar::system().items().empty());
}

TEST_F(StatusItemTest, TheScreenFrameCentresTheItemOnItsPlaceAndGrowsLeft)
{
    TestAccess::resetForTesting<StatusBar>([](StatusItem&) { return nullptr; });
    auto item = StatusBar::system().statusItem(40);
    const Rect before = item->screenFrame();
    item->setLength(100);
    EXPECT_EQ(item->screenFrame().maxX(), before.maxX());
    EXPECT_EQ(item->screenFrame().width(), 100);
    item->setScreenFrame({500, 878, 22, 22});
    EXPECT_EQ(item->screenFrame(), (Rect {461, 878, 100, 22}));
}

TEST_F(StatusItemTest, TheTrayShowsTheButtonsLeftSquareAndSendsTheActionOnAClick)
{
    auto item = StatusBar::system().statusItem(60);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    item->button()->setImage(squareImage());
    item->button()->setImagePosition(Button::ImagePosition::imageLeft);
    item->button()->setTitle("1200 rpm");
    int clicks = 0;
    item->button()->setAction(Control::Action([&](Control&) { ++clicks; }));
    advance(0);
    EXPECT_FALSE(tray->isRefreshScheduled());

    const Snapshot icon(tray->icon());
    icon.save("kit", "status-item-icon");
    EXPECT_EQ(icon.size(), (Size {22, 22}));
    EXPECT_EQ(tray->icon().pixelsWide(), 44);
    // The template image takes the label colour (black under aqua) at the left; no text reaches the square's
    // left half.
    EXPECT_COLOUR_NEAR_TOL(icon.colourAt({12, 11}), Colour::labelColor().resolved(), 0.1);
    EXPECT_EQ(tray->toolTip(), "1200 rpm");
    EXPECT_EQ(tray->trayIcon().toolTip(), "1200 rpm");
    // A tool tip shows from the next rendering on (the texts change every tick anyway).
    item->button()->setToolTip("CPU 45℃");
    item->button()->setTitle("1300 rpm");
    advance(0);
    EXPECT_EQ(tray->trayIcon().toolTip(), "CPU 45℃");

    tray->click();
    EXPECT_EQ(clicks, 1);
    item->setVisible(false);
    advance(0);
    EXPECT_FALSE(tray->trayIcon().isVisible());
}

TEST_F(StatusItemTest, TheTrayReRendersAfterChangesAndWhileAnimatingOnly)
{
    auto item = StatusBar::system().statusItem(22);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    auto icon = std::make_shared<View>(Rect {3, 3, 16, 16});
    icon->layer().setBackgroundColor(Colour::red());
    item->button()->addSubview(icon);
    EXPECT_TRUE(tray->isRefreshScheduled());
    advance(0);
    EXPECT_FALSE(tray->isRefreshScheduled()); // idle: no timer

    auto turn = std::make_shared<BasicAnimation>("transform.rotation.z");
    turn->toValue = LayerValue(2 * M_PI);
    turn->duration = 1;
    turn->repeatCount = Animation::infinity;
    icon->layer().addAnimation(turn, "rotationAnimation");
    icon->setNeedsDisplay();
    advance(0);
    EXPECT_TRUE(tray->isRefreshScheduled());
    const Image first = tray->icon();
    advance(StatusItemTray::frameInterval);
    EXPECT_TRUE(tray->isRefreshScheduled());
    EXPECT_FALSE(tray->icon() == first);

    // Paused (speed 0): the next frame is the last.
    icon->layer().setSpeed(0);
    advance(StatusItemTray::frameInterval);
    EXPECT_FALSE(tray->isRefreshScheduled());
    icon->layer().setSpeed(1);
    item->setVisible(false);
    advance(StatusItemTray::frameInterval);
    EXPECT_FALSE(tray->isRefreshScheduled());
}

TEST_F(StatusItemTest, AFrameLikeTheLastSetsNoNewIconButChangesStillShowWhileAnimating)
{
    auto item = StatusBar::system().statusItem(22);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    // A turning view with nothing drawn: every frame looks the same.
    auto blank = std::make_shared<View>(Rect {3, 3, 16, 16});
    item->button()->addSubview(blank);
    auto turn = std::make_shared<BasicAnimation>("transform.rotation.z");
    turn->toValue = LayerValue(2 * M_PI);
    turn->duration = 1;
    turn->repeatCount = Animation::infinity;
    blank->layer().addAnimation(turn, "rotationAnimation");
    advance(0);
    ASSERT_TRUE(tray->isRefreshScheduled());
    const qint64 shown = tray->trayIcon().icon().cacheKey();
    for (int frame = 0; frame < 3; ++frame) {
        advance(StatusItemTray::frameInterval);
        EXPECT_TRUE(tray->isRefreshScheduled());
        EXPECT_EQ(tray->trayIcon().icon().cacheKey(), shown) << "frame " << frame;
    }

    // A change made between frames shows at the next frame, tool tip included.
    blank->layer().setBackgroundColor(Colour::red());
    item->button()->setToolTip("2000 rpm");
    advance(StatusItemTray::frameInterval);
    EXPECT_NE(tray->trayIcon().icon().cacheKey(), shown);
    EXPECT_EQ(tray->trayIcon().toolTip(), "2000 rpm");
    EXPECT_TRUE(tray->isRefreshScheduled());
}

using Testing::addTurningBar;

TEST_F(StatusItemTest, ATurnIsDrawnOncePerStepAndShownFromTheKeptFramesAfterwards)
{
    auto item = StatusBar::system().statusItem(22);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    auto bar = addTurningBar(*item);
    advance(0);
    const int steps = static_cast<int>(StatusItemTray::framesPerSecond);
    const double step = 1.0 / steps;
    const std::size_t before = tray->renderedFrames();
    qint64 last = tray->trayIcon().icon().cacheKey();
    for (int i = 1; i <= 2 * steps; ++i) {
        advance(step * 1.01);
        const qint64 shown = tray->trayIcon().icon().cacheKey();
        EXPECT_NE(shown, last) << "frame " << i;
        last = shown;
        if (i == steps / 4)
            Testing::Snapshot(tray->icon()).save("kit", "status-item-turn-quarter");
    }
    // The first step was drawn at the start.
    EXPECT_EQ(tray->renderedFrames() - before, static_cast<std::size_t>(steps - 1)) << "the second turn draws nothing";
    EXPECT_EQ(tray->keptFrames(), static_cast<std::size_t>(steps));
    // A quarter turn on (counter-clockwise, y up): the bar points up.
    advance(step * (steps / 4) + 0.01);
    const Snapshot quarter(tray->icon());
    EXPECT_COLOUR_NEAR_TOL(quarter.colourAt({11, 16}), Colour::red(), 0.1);
    EXPECT_TRUE(quarter.isClear({15, 9, 4, 4}));

    // Drawn again between steps, at the nearest step's time, the frame equals the kept one: kept frames
    // show their steps' angles exactly.
    advance(step * 0.3);
    tray->refresh();
    EXPECT_EQ(tray->keptFrames(), static_cast<std::size_t>(steps));

    // A change that shows drops the kept frames: the next frames are drawn from the new look.
    bar->subviews().front()->layer().setBackgroundColor(Colour::blue());
    const std::size_t beforeChange = tray->renderedFrames();
    std::size_t shownFrames = 0;
    last = tray->trayIcon().icon().cacheKey();
    for (int i = 0; i < steps; ++i) {
        advance(step * 1.01);
        shownFrames += tray->trayIcon().icon().cacheKey() != last;
        last = tray->trayIcon().icon().cacheKey();
    }
    EXPECT_GE(shownFrames, static_cast<std::size_t>(steps - 1));
    EXPECT_EQ(tray->renderedFrames() - beforeChange, shownFrames) << "every frame after the change is drawn anew";
    const Snapshot changed(tray->icon());
    EXPECT_FALSE(changed.inkBounds() == std::nullopt);
    bool red = false;
    for (double x = 3; x < 19; x += 1)
        for (double y = 3; y < 19; y += 1)
            red = red || changed.colourAt({x, y}).redComponent() > 0.5;
    EXPECT_FALSE(red) << "no frame of the old look is shown";

    // So does the appearance.
    const std::size_t beforeAppearance = tray->renderedFrames();
    item->button()->setAppearance(Appearance::darkAqua());
    advance(step * 1.01);
    EXPECT_GT(tray->renderedFrames(), beforeAppearance);
    EXPECT_LE(tray->keptFrames(), 2u);
}

TEST_F(StatusItemTest, AChangeBesideTheIconKeepsTheFramesOfATurnNotYetComplete)
{
    auto item = StatusBar::system().statusItem(60);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    ASSERT_NE(tray, nullptr);
    addTurningBar(*item);
    auto label = std::make_shared<View>(Rect {30, 3, 20, 16});
    item->button()->addSubview(label);
    advance(0);
    const int steps = static_cast<int>(StatusItemTray::framesPerSecond);
    const double step = 1.0 / steps;
    for (int i = 1; i <= steps / 2; ++i)
        advance(step * 1.01);
    const std::size_t kept = tray->keptFrames();
    ASSERT_LT(kept, static_cast<std::size_t>(steps));

    // As the fan speed texts do at every tick: a change beside the icon, shown at a step not drawn yet.
    label->layer().setBackgroundColor(Colour::blue());
    advance(step * 1.01);
    EXPECT_EQ(tray->keptFrames(), kept + 1) << "the change beside the icon drops no kept frame";
    while (tray->keptFrames() < static_cast<std::size_t>(steps))
        advance(step * 1.01);
    const std::size_t before = tray->renderedFrames();
    for (int i = 0; i < steps; ++i)
        advance(step * 1.01);
    EXPECT_EQ(tray->renderedFrames(), before) << "the next turn is shown from the kept frames";
}

TEST_F(StatusItemTest, ADisplayPassOverATurnIsNoChangeButALayerChangeIs)
{
    TestAccess::resetForTesting<StatusBar>([](StatusItem&) { return nullptr; });
    auto item = StatusBar::system().statusItem(22);
    auto bar = addTurningBar(*item);
    int changes = 0;
    item->setChangeHandler([&] { ++changes; });
    advance(0.3);
    // As the tray's place does when it moves the item's window: time moved on, nothing changed.
    item->window().displayIfNeeded();
    EXPECT_EQ(changes, 0);
    bar->subviews().front()->layer().setBackgroundColor(Colour::blue());
    EXPECT_GE(changes, 1);
}

TEST_F(StatusItemTest, AnItemWithAMenuOpensItInsteadOfSendingTheAction)
{
    auto item = StatusBar::system().statusItem(22);
    auto* tray = dynamic_cast<StatusItemTray*>(StatusBar::system().presenterFor(*item));
    int clicks = 0;
    item->button()->setAction(Control::Action([&](Control&) { ++clicks; }));
    auto menu = std::make_shared<Menu>();
    menu->addItem("Quit");
    item->setMenu(menu);
    advance(0);
    tray->click();
    EXPECT_EQ(clicks, 0);
    QMenu* shown = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<QMenu*>(widget); candidate && candidate->isVisible())
            shown = candidate;
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->actions().size(), 1);
    EXPECT_EQ(shown->actions().front()->text(), "Quit");
    shown->hide();
}

} // namespace
