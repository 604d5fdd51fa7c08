#include "Classes/Sensors/Repeater.h"
#include "Platform/Foundation/DeadlineScheduler.h"
#include "tests/Sensors/ProcessCounters.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>

using namespace Aerlo;

namespace {

// Counts callback runs, which happen on the repeater's queue.
struct Calls {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    std::thread::id thread;

    std::function<void()> callback()
    {
        return [this] {
            std::lock_guard lock(mutex);
            ++count;
            thread = std::this_thread::get_id();
            changed.notify_all();
        };
    }
    // The count once it reaches `expected`, or what it is after a short wait.
    int waitFor(int expected)
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(2), [&] { return count >= expected; });
        return count;
    }
    int now()
    {
        std::lock_guard lock(mutex);
        return count;
    }
};

class RepeaterTest : public ::testing::Test {
protected:
    void SetUp() override { Foundation::DeadlineScheduler::shared().reset(true); }
    void TearDown() override { Foundation::DeadlineScheduler::shared().reset(false); }

    Foundation::ManualRunLoopDriver driver;
};

} // namespace

TEST_F(RepeaterTest, MadeSuspendedAndReleasedWithoutFiring)
{
    Calls calls;
    {
        Repeater repeater(1, calls.callback());
        EXPECT_EQ(repeater.state(), RepeaterState::paused);
        driver.advance(5);
    }
    driver.advance(5);
    EXPECT_EQ(calls.now(), 0);
    EXPECT_FALSE(Foundation::DeadlineScheduler::shared().nextDeadline());
}

TEST_F(RepeaterTest, FirstEventAfterTheIntervalThenEveryInterval)
{
    Calls calls;
    Repeater repeater(1, calls.callback());
    repeater.resume();
    EXPECT_EQ(repeater.state(), RepeaterState::running);
    driver.advance(0.999);
    EXPECT_EQ(calls.now(), 0);
    driver.advance(0.001);
    EXPECT_EQ(calls.waitFor(1), 1);
    EXPECT_NE(calls.thread, std::this_thread::get_id());
    driver.advance(1);
    EXPECT_EQ(calls.waitFor(2), 2);
    driver.advance(0.5);
    driver.advance(0.5);
    EXPECT_EQ(calls.waitFor(3), 3);

    // reset moves the next event to a full interval from now.
    driver.advance(0.5);
    repeater.reset(2);
    driver.advance(1.9);
    EXPECT_EQ(calls.now(), 3);
    driver.advance(0.1);
    EXPECT_EQ(calls.waitFor(4), 4);

    repeater.suspend();
    EXPECT_EQ(repeater.state(), RepeaterState::paused);
    driver.advance(10);
    EXPECT_EQ(calls.now(), 4);
}

TEST_F(RepeaterTest, PendingEventAfterReleaseDoesNothing)
{
    Calls calls;
    {
        Repeater repeater(1, calls.callback());
        repeater.resume();
        driver.advance(0.5);
    }
    driver.advance(3);
    EXPECT_EQ(calls.now(), 0);
}

TEST_F(RepeaterTest, ManyRepeatersAddNoThreads)
{
    Calls calls;
    {
        Repeater warmUp(1, calls.callback());
    }
    const int before = threadCount();
    for (int i = 0; i < 10000; ++i)
        Repeater repeater(1, calls.callback());
    EXPECT_EQ(threadCount(), before);
    EXPECT_EQ(calls.now(), 0);
}
