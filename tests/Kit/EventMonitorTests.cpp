#include "Platform/Kit/EventMonitor.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;

namespace {

// Counts the presses it gets.
class Target : public View {
public:
    using View::View;
    void mouseDown(const Event& event) override { downs.push_back(event.locationInWindow); }
    std::vector<Point> downs;
};

class EventMonitorTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        target_ = std::make_shared<Target>(Rect {0, 0, 100, 100});
        window_ = std::make_unique<Window>(Rect {0, 0, 100, 100}, Window::borderless);
        window_->setContentView(target_);
    }
    void TearDown() override
    {
        for (const auto& monitor : monitors_)
            EventMonitor::removeMonitor(monitor);
        window_.reset();
        KitTest::TearDown();
    }

    std::shared_ptr<Target> target_;
    std::unique_ptr<Window> window_;
    std::vector<std::shared_ptr<EventMonitor>> monitors_;
};

} // namespace

TEST_F(EventMonitorTest, LocalMonitorsSeeMatchingEventsInOrderAndMayChangeOrSwallowThem)
{
    std::vector<std::string> order;
    monitors_.push_back(EventMonitor::addLocalMonitorForEvents(EventMonitor::maskFor(Event::Type::leftMouseDown),
                                                               [&](const Event& event) -> std::optional<Event> {
                                                                   order.push_back("first");
                                                                   Event moved = event;
                                                                   moved.locationInWindow.x += 10;
                                                                   return moved;
                                                               }));
    monitors_.push_back(
        EventMonitor::addLocalMonitorForEvents(EventMonitor::any, [&](const Event& event) -> std::optional<Event> {
            order.push_back("second " + std::to_string(static_cast<int>(event.type)));
            if (event.locationInWindow.y > 80)
                return std::nullopt;
            return event;
        }));
    EXPECT_EQ(EventMonitor::localMonitorCount(), 2u);

    EventInjector input(*window_);
    input.down({20, 30});
    input.up({20, 30});
    EXPECT_EQ(order, (std::vector<std::string> {"first", "second 1", "second 2"}));
    ASSERT_EQ(target_->downs.size(), 1u);
    EXPECT_EQ(target_->downs[0], (Point {30, 30}));

    input.down({20, 90}); // swallowed
    EXPECT_EQ(target_->downs.size(), 1u);

    EventMonitor::removeMonitor(monitors_[1]);
    input.down({20, 90});
    EXPECT_EQ(target_->downs.size(), 2u);
}

TEST_F(EventMonitorTest, AMonitorRemovedByAnEarlierOneSeesNothingMore)
{
    int late = 0;
    std::shared_ptr<EventMonitor> second;
    monitors_.push_back(
        EventMonitor::addLocalMonitorForEvents(EventMonitor::any, [&](const Event& event) -> std::optional<Event> {
            EventMonitor::removeMonitor(second);
            return event;
        }));
    second = EventMonitor::addLocalMonitorForEvents(EventMonitor::any, [&](const Event& event) -> std::optional<Event> {
        ++late;
        return event;
    });
    monitors_.push_back(second);
    EventInjector(*window_).click({10, 10});
    EXPECT_EQ(late, 0);
    EXPECT_EQ(target_->downs.size(), 1u);
}

TEST_F(EventMonitorTest, GlobalMonitorsAreInertTokens)
{
    int calls = 0;
    auto global = EventMonitor::addGlobalMonitorForEvents(EventMonitor::any, [&](const Event&) { ++calls; });
    ASSERT_NE(global, nullptr);
    EXPECT_TRUE(global->isGlobal());
    EXPECT_EQ(EventMonitor::localMonitorCount(), 0u);
    EventInjector(*window_).click({10, 10});
    EXPECT_EQ(calls, 0);
    EventMonitor::removeMonitor(global);
}
