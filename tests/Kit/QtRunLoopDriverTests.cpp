#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/ManualClock.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/QtRunLoopDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Foundation::Clock;
using Foundation::DispatchQueue;
using Foundation::RunLoop;
using Foundation::Timer;

namespace {

// The test's application (or the one another test of this program made), and a fresh main run loop.
class QtRunLoopDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        RunLoop::main().reset(Clock::system());
        // Ends a stuck test instead of hanging it.
        guard_.setSingleShot(true);
        QObject::connect(&guard_, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard_.start(2000);
    }
    void TearDown() override { RunLoop::main().reset(Clock::system()); }

    int argc_ = 1;
    char name_[8] = "tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    QTimer guard_;
};

} // namespace

TEST_F(QtRunLoopDriverTest, TimersAndMainQueueBlocksRunInsideQtsEventLoop)
{
    Foundation::ManualClock clock;
    RunLoop::main().reset(clock);
    Kit::QtRunLoopDriver driver;
    std::vector<std::string> order;
    const double start = clock.now();
    double firedAfter = 0;
    auto timer = Timer::scheduledTimer(0.010, false, [&](Timer&) {
        order.push_back("timer");
        firedAfter = clock.now() - start;
        DispatchQueue::main().async([&] {
            order.push_back("quit");
            QCoreApplication::quit();
        });
    });
    DispatchQueue::main().async([&] { order.push_back("block"); });
    std::thread worker([&] { DispatchQueue::main().async([&] { order.push_back("worker"); }); });
    worker.join();
    // The timer waits for its date, and fires in the pass after the clock reaches it.
    DispatchQueue::main().async([&] {
        order.push_back("due");
        clock.advance(0.010);
    });

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, (std::vector<std::string> {"block", "worker", "due", "timer", "quit"}));
    EXPECT_NEAR(firedAfter, 0.010, 1e-9);
}

TEST_F(QtRunLoopDriverTest, DefaultModeTimersHoldWhileAModalLoopRuns)
{
    Foundation::ManualClock clock;
    RunLoop::main().reset(clock);
    Kit::QtRunLoopDriver driver;
    std::vector<std::string> order;
    auto held = Timer::scheduledTimer(0.002, false, [&](Timer&) {
        order.push_back("default");
        QCoreApplication::quit();
    });
    auto common = std::make_shared<Timer>(0.010, false, [&](Timer&) { order.push_back("common"); });
    RunLoop::main().add(common, RunLoop::Mode::common);

    // A modal session, as a dialog's exec runs one, until the common timer has fired. Every timer is due
    // once it runs.
    QTimer::singleShot(0, [&] {
        auto modal = RunLoop::main().enterMode(RunLoop::Mode::modal);
        QEventLoop nested;
        auto stop = std::make_shared<Timer>(0.015, false, [&](Timer&) { nested.quit(); });
        clock.advance(0.020);
        RunLoop::main().add(stop, RunLoop::Mode::modal);
        nested.exec();
        order.push_back("modal ended");
    });

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, (std::vector<std::string> {"common", "modal ended", "default"}));
}

TEST_F(QtRunLoopDriverTest, WorkScheduledInsideAPassRunsAfterItAndInANestedLoopItRuns)
{
    Foundation::ManualClock clock;
    RunLoop::main().reset(clock);
    Kit::QtRunLoopDriver driver;
    std::vector<std::string> order;
    DispatchQueue::main().async([&] {
        // A later pass runs what this one schedules.
        DispatchQueue::main().async([&] { order.push_back("next pass"); });
        // A modal session inside the pass: what is scheduled from this thread runs inside it.
        QEventLoop nested;
        QTimer::singleShot(0, [&] {
            DispatchQueue::main().async([&] {
                order.push_back("inner block");
                clock.advance(0.005);
            });
            auto timer = Timer::scheduledTimer(0.005, false, [&](Timer&) {
                order.push_back("inner timer");
                nested.quit();
            });
        });
        nested.exec();
        order.push_back("nested ended");
        auto last = Timer::scheduledTimer(0.001, false, [&](Timer&) {
            order.push_back("after");
            QCoreApplication::quit();
        });
        clock.advance(0.001);
    });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, (std::vector<std::string> {"next pass", "inner block", "inner timer", "nested ended", "after"}));
}
