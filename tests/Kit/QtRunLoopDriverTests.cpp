#include "Platform/Kit/QtRunLoopDriver.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"

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
    Kit::QtRunLoopDriver driver;
    std::vector<std::string> order;
    const double start = Clock::system().now();
    double firedAfter = 0;
    auto timer = Timer::scheduledTimer(0.010, false, [&](Timer&) {
        order.push_back("timer");
        firedAfter = Clock::system().now() - start;
        DispatchQueue::main().async([&] {
            order.push_back("quit");
            QCoreApplication::quit();
        });
    });
    DispatchQueue::main().async([&] { order.push_back("block"); });
    std::thread worker([&] { DispatchQueue::main().async([&] { order.push_back("worker"); }); });
    worker.join();

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, (std::vector<std::string>{"block", "worker", "timer", "quit"}));
    // Not before it was due; how much later depends on the machine (sanitizers slow it down).
    EXPECT_GE(firedAfter, 0.010);
}

TEST_F(QtRunLoopDriverTest, DefaultModeTimersHoldWhileAModalLoopRuns)
{
    Kit::QtRunLoopDriver driver;
    std::vector<std::string> order;
    auto held = Timer::scheduledTimer(0.002, false, [&](Timer&) {
        order.push_back("default");
        QCoreApplication::quit();
    });
    auto common = std::make_shared<Timer>(0.010, false, [&](Timer&) { order.push_back("common"); });
    RunLoop::main().add(common, RunLoop::Mode::common);

    // A modal session, as a dialog's exec runs one, until the common timer has fired.
    QTimer::singleShot(0, [&] {
        auto modal = RunLoop::main().enterMode(RunLoop::Mode::modal);
        QEventLoop nested;
        auto stop = std::make_shared<Timer>(0.015, false, [&](Timer&) { nested.quit(); });
        RunLoop::main().add(stop, RunLoop::Mode::modal);
        nested.exec();
        order.push_back("modal ended");
    });

    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(order, (std::vector<std::string>{"common", "modal ended", "default"}));
}
