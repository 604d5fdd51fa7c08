#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;

namespace {

class EventTest : public Testing::KitTest {};

// Records what reaches it; optionally handles mouse-downs itself.
class Probe : public View {
public:
    Probe(std::string name, Rect frame, std::vector<std::string>& log, bool handlesDown = true)
        : View(frame), name_(std::move(name)), log_(log), handlesDown_(handlesDown)
    {
    }
    void mouseDown(const Event& e) override
    {
        if (!handlesDown_)
            return View::mouseDown(e);
        log_.push_back(name_ + " down " + where(e));
    }
    void mouseDragged(const Event& e) override { log_.push_back(name_ + " dragged " + where(e)); }
    void mouseUp(const Event& e) override { log_.push_back(name_ + " up " + where(e)); }
    void scrollWheel(const Event& e) override
    {
        if (!handlesDown_)
            return View::scrollWheel(e);
        log_.push_back(name_ + " wheel " + std::to_string(int(e.scrollingDeltaY))
                       + (e.isDirectionInvertedFromDevice ? " inverted" : "")
                       + (e.hasPreciseScrollingDeltas ? " precise" : ""));
    }
    void mouseEntered(const Event& e) override { log_.push_back(name_ + " entered " + tag(e)); }
    void mouseExited(const Event& e) override { log_.push_back(name_ + " exited " + tag(e)); }
    void mouseMoved(const Event& e) override { log_.push_back(name_ + " moved " + where(e)); }
    View* hitTest(Point p) override { return transparent ? nullptr : View::hitTest(p); }
    bool transparent = false;

private:
    std::string where(const Event& e) const
    {
        const Point p = convertFrom(e.locationInWindow, nullptr);
        return std::to_string(int(p.x)) + "," + std::to_string(int(p.y));
    }
    static std::string tag(const Event& e)
    {
        return e.trackingArea && e.trackingArea->userInfo().has_value()
                   ? std::any_cast<std::string>(e.trackingArea->userInfo())
                   : "";
    }
    std::string name_;
    std::vector<std::string>& log_;
    bool handlesDown_;
};

TEST_F(EventTest, HitTestingTakesTheTopmostVisibleView)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 200, 100}, Window::borderless);
    auto back = std::make_shared<Probe>("back", Rect {0, 0, 200, 100}, log);
    auto front = std::make_shared<Probe>("front", Rect {50, 0, 100, 100}, log);
    auto hidden = std::make_shared<Probe>("hidden", Rect {50, 0, 100, 100}, log);
    hidden->setHidden(true);
    window.contentView()->addSubview(back);
    window.contentView()->addSubview(front);
    window.contentView()->addSubview(hidden);
    EXPECT_EQ(window.contentView()->hitTest({60, 50}), front.get());
    EXPECT_EQ(window.contentView()->hitTest({10, 50}), back.get());
    EXPECT_EQ(window.contentView()->hitTest({250, 50}), nullptr);
    // An override that declines lets the view behind take the click.
    front->transparent = true;
    EXPECT_EQ(window.contentView()->hitTest({60, 50}), back.get());
    // Ordering below a sibling puts a view behind it.
    auto under = std::make_shared<Probe>("under", Rect {0, 0, 200, 100}, log);
    window.contentView()->addSubview(under, View::Ordering::below, back.get());
    EXPECT_EQ(window.contentView()->subviews().front(), under);
    EXPECT_EQ(window.contentView()->hitTest({10, 50}), back.get());
}

TEST_F(EventTest, TheMouseDownViewGetsTheDragsAndTheUp)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 200, 100}, Window::borderless);
    auto left = std::make_shared<Probe>("left", Rect {0, 0, 100, 100}, log);
    auto right = std::make_shared<Probe>("right", Rect {100, 0, 100, 100}, log);
    window.contentView()->addSubview(left);
    window.contentView()->addSubview(right);
    Testing::EventInjector input(window);
    input.drag({10, 10}, {150, 20}, 2);
    EXPECT_EQ(log, (std::vector<std::string> {"left down 10,10", "left dragged 80,15", "left dragged 150,20",
                                              "left up 150,20"}));
}

TEST_F(EventTest, UnhandledMouseDownAndWheelClimbToTheSuperview)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 200, 100}, Window::borderless);
    auto outer = std::make_shared<Probe>("outer", Rect {0, 0, 200, 100}, log);
    auto inner = std::make_shared<Probe>("inner", Rect {20, 20, 50, 50}, log, false);
    outer->addSubview(inner);
    window.contentView()->addSubview(outer);
    Testing::EventInjector input(window);
    input.down({30, 30});
    input.wheel({30, 30}, 0, -3, true, false);
    input.wheel({30, 30}, 0, 7, false, true);
    EXPECT_EQ(log,
              (std::vector<std::string> {"outer down 30,30", "outer wheel -30 inverted", "outer wheel 7 precise"}));
}

TEST_F(EventTest, TrackingAreasReportEnterExitAndMovesPerArea)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 200, 100}, Window::borderless);
    auto view = std::make_shared<Probe>("v", Rect {50, 0, 100, 100}, log);
    window.contentView()->addSubview(view);
    view->addTrackingArea(std::make_shared<TrackingArea>(
        Rect {0, 0, 50, 100}, TrackingArea::mouseEnteredAndExited | TrackingArea::activeAlways, view.get(),
        std::string("a")));
    view->addTrackingArea(std::make_shared<TrackingArea>(Rect {0, 0, 100, 100},
                                                         TrackingArea::mouseEnteredAndExited | TrackingArea::mouseMoved
                                                             | TrackingArea::activeAlways,
                                                         view.get(), std::string("b")));
    Testing::EventInjector input(window);
    input.moveTo({10, 10});
    input.moveTo({60, 10});
    input.moveTo({70, 10});
    input.moveTo({120, 10});
    input.exit();
    EXPECT_EQ(log, (std::vector<std::string> {"v entered a", "v entered b", "v moved 10,10", "v moved 20,10",
                                              "v exited a", "v moved 70,10", "v exited b"}));
}

TEST_F(EventTest, ActiveInActiveAppNeedsAnActiveApplication)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 100, 100}, Window::borderless);
    auto view = std::make_shared<Probe>("v", Rect {0, 0, 100, 100}, log);
    window.contentView()->addSubview(view);
    view->addTrackingArea(std::make_shared<TrackingArea>(
        Rect {0, 0, 100, 100}, TrackingArea::mouseEnteredAndExited | TrackingArea::activeInActiveApp, view.get()));
    TestAccess::setApplicationActiveForTesting<Window>(false);
    Testing::EventInjector input(window);
    input.moveTo({10, 10});
    EXPECT_TRUE(log.empty());
    TestAccess::setApplicationActiveForTesting<Window>(true);
    input.moveTo({11, 10});
    EXPECT_EQ(log, (std::vector<std::string> {"v entered "}));
}

TEST_F(EventTest, UpdateTrackingAreasWhenEnteringAWindowAndOnResize)
{
    class Tracking : public View {
    public:
        using View::View;
        void updateTrackingAreas() override { ++updates; }
        int updates = 0;
    };
    Window window(Rect {0, 0, 100, 100}, Window::borderless);
    auto view = std::make_shared<Tracking>(Rect {0, 0, 10, 10});
    view->setFrameSize({20, 20});
    EXPECT_EQ(view->updates, 0);
    window.contentView()->addSubview(view);
    EXPECT_EQ(view->updates, 1);
    view->setFrameSize({30, 30});
    view->setFrameOrigin({5, 5});
    EXPECT_EQ(view->updates, 3);
}

TEST_F(EventTest, QtInputReachesKitThroughTheWindow)
{
    std::vector<std::string> log;
    Window window(Rect {0, 0, 200, 100}, Window::borderless);
    auto view = std::make_shared<Probe>("v", Rect {50, 0, 100, 100}, log);
    window.contentView()->addSubview(view);
    window.makeKeyAndOrderFront();
    QWindow* handle = window.qtWidget()->windowHandle();
    ASSERT_NE(handle, nullptr);
    // Qt's y runs down: (60, 80) is 20 above the bottom.
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(60, 80));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(60, 80));
    EXPECT_EQ(log, (std::vector<std::string> {"v down 10,20", "v up 10,20"}));
}

} // namespace
