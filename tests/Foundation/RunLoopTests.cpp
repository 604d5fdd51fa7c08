#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using Foundation::DispatchQueue;
using Foundation::DispatchTime;
using Foundation::ManualRunLoopDriver;
using Foundation::RunLoop;
using Foundation::Timer;
using Mode = Foundation::RunLoop::Mode;

namespace {

// Records "name@seconds since the start" for every event.
struct Log {
    ManualRunLoopDriver& driver;
    double start = driver.clock().now();
    std::vector<std::string> entries;

    void operator()(const std::string& name)
    {
        const double elapsed = driver.clock().now() - start;
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", elapsed);
        entries.push_back(name + "@" + text);
    }
    std::function<void(Timer&)> timer(std::string name)
    {
        return [this, name](Timer&) { (*this)(name); };
    }
    std::function<void()> block(std::string name)
    {
        return [this, name] { (*this)(name); };
    }
};

std::shared_ptr<Timer> timerIn(double interval, bool repeats, std::function<void(Timer&)> block,
                               std::vector<Mode> modes)
{
    auto timer = std::make_shared<Timer>(interval, repeats, std::move(block));
    for (auto mode : modes)
        RunLoop::main().add(timer, mode);
    return timer;
}

using Entries = std::vector<std::string>;

} // namespace

TEST(RunLoop, TimersFireAtTheirVirtualTimesInOrder)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto repeating = Timer::scheduledTimer(0.3, true, log.timer("r"));
    auto once = Timer::scheduledTimer(0.5, false, log.timer("o"));
    EXPECT_DOUBLE_EQ(once->fireDate(), log.start + 0.5);
    EXPECT_DOUBLE_EQ(repeating->timeInterval(), 0.3);
    EXPECT_DOUBLE_EQ(once->timeInterval(), 0.0);

    driver.advance(0.29);
    EXPECT_TRUE(log.entries.empty());
    driver.advance(0.71);
    EXPECT_EQ(log.entries, (Entries {"r@0.30", "o@0.50", "r@0.60", "r@0.90"}));
    EXPECT_DOUBLE_EQ(driver.clock().now(), log.start + 1.0);
    EXPECT_FALSE(once->isValid());
    EXPECT_TRUE(repeating->isValid());
    EXPECT_NEAR(repeating->fireDate(), log.start + 1.2, 1e-9);
}

TEST(RunLoop, SlowBlocksNeitherDriftARepeatingTimerNorMakeItCatchUp)
{
    struct Case {
        double workSeconds;
        Entries expected;
    };
    const Case cases[] = {
        {0.03, {"t@0.10", "t@0.20", "t@0.30", "t@0.40", "t@0.50", "t@0.60", "t@0.70", "t@0.80", "t@0.90", "t@1.00"}},
        {0.25, {"t@0.10", "t@0.40", "t@0.70", "t@1.00"}},
    };
    for (const auto& c : cases) {
        ManualRunLoopDriver driver;
        Log log {driver, driver.clock().now(), {}};
        auto timer = Timer::scheduledTimer(0.1, true, [&](Timer&) {
            log("t");
            driver.clock().advance(c.workSeconds);
        });
        driver.advance(1.0);
        EXPECT_EQ(log.entries, c.expected) << c.workSeconds;
    }
}

TEST(RunLoop, InvalidatingInsideItsOwnBlockStopsTheTimerAndReleasesTheBlock)
{
    ManualRunLoopDriver driver;
    auto held = std::make_shared<int>(0);
    std::weak_ptr<int> watch = held;
    auto timer = Timer::scheduledTimer(1.0, true, [held = std::move(held)](Timer& self) {
        if (++*held == 3)
            self.invalidate();
        EXPECT_TRUE(*held < 3 || !self.isValid());
    });
    driver.advance(10);
    EXPECT_FALSE(timer->isValid());
    EXPECT_TRUE(watch.expired());
}

TEST(RunLoop, InvalidatingAnotherTimerDueAtTheSameTimeKeepsItFromFiring)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    std::shared_ptr<Timer> second;
    auto first = Timer::scheduledTimer(1.0, false, [&](Timer&) {
        log("first");
        second->invalidate();
    });
    second = Timer::scheduledTimer(1.0, true, log.timer("second"));
    driver.advance(3);
    EXPECT_EQ(log.entries, (Entries {"first@1.00"}));
    EXPECT_FALSE(second->isValid());
}

TEST(RunLoop, DefaultModeTimersHoldInTheModalModeAndCommonOnesDoNot)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto defaultTimer = timerIn(1.0, true, log.timer("d"), {Mode::default_});
    auto commonTimer = timerIn(1.0, true, log.timer("c"), {Mode::common});
    auto modalTimer = timerIn(1.0, false, log.timer("m"), {Mode::modal});

    driver.setMode(Mode::modal);
    EXPECT_EQ(RunLoop::main().currentMode(), Mode::modal);
    driver.advance(2.5);
    EXPECT_EQ(log.entries, (Entries {"c@1.00", "m@1.00", "c@2.00"}));

    // Back in the default mode: the held timer fires late, once, and keeps its grid.
    log.entries.clear();
    driver.setMode(Mode::default_);
    driver.advance(0);
    EXPECT_EQ(log.entries, (Entries {"d@2.50"}));
    EXPECT_NEAR(defaultTimer->fireDate(), log.start + 3.0, 1e-9);
    driver.advance(1.0);
    EXPECT_EQ(log.entries, (Entries {"d@2.50", "c@3.00", "d@3.00"}));
}

TEST(RunLoop, RunModalHoldsDefaultTimersUntilTheSessionEnds)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto tick = Timer::scheduledTimer(1.0, true, log.timer("tick"));
    auto spinner = timerIn(0.5, true, log.timer("spin"), {Mode::common, Mode::default_, Mode::eventTracking});
    driver.advance(1.0);
    driver.runModal([&] {
        EXPECT_EQ(RunLoop::main().currentMode(), Mode::modal);
        driver.advance(1.2);
    });
    EXPECT_EQ(RunLoop::main().currentMode(), Mode::default_);
    EXPECT_EQ(log.entries, (Entries {"spin@0.50", "tick@1.00", "spin@1.00", "spin@1.50", "spin@2.00", "tick@2.20"}));
}

TEST(RunLoop, ModalSessionInsideATimerBlockDoesNotRefireThatTimer)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto other = timerIn(0.5, true, log.timer("common"), {Mode::common});
    auto tick = Timer::scheduledTimer(1.0, true, [&](Timer&) {
        log("tick");
        if (log.entries.size() < 4)
            driver.runModal([&] { driver.advance(2.0); });
    });
    driver.advance(1.0);
    EXPECT_EQ(log.entries, (Entries {"common@0.50", "tick@1.00", "common@1.00", "common@1.50", "common@2.00",
                                     "common@2.50", "common@3.00"}));
    // The tick missed 2.0 and 3.0: its next date is on its grid after the session.
    EXPECT_NEAR(tick->fireDate(), log.start + 4.0, 1e-9);
}

TEST(RunLoop, EventsDueAtTheSameTimeRunInScheduleOrder)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto a = Timer::scheduledTimer(1.0, false, log.timer("A"));
    DispatchQueue::main().asyncAfter(DispatchTime::now() + 1.0, log.block("B"));
    auto c = Timer::scheduledTimer(1.0, false, log.timer("C"));
    DispatchQueue::main().async(log.block("D"));
    DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.5, [&] {
        log("E");
        DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.5, log.block("F"));
        DispatchQueue::main().async(log.block("G"));
    });
    driver.advance(1.0);
    EXPECT_EQ(log.entries, (Entries {"D@0.00", "E@0.50", "G@0.50", "A@1.00", "B@1.00", "C@1.00", "F@1.00"}));
}

TEST(RunLoop, MainQueueBlocksRunInEveryMode)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    driver.setMode(Mode::modal);
    DispatchQueue::main().async(log.block("now"));
    DispatchQueue::main().asyncAfter(DispatchTime::now() + 2, log.block("later"));
    driver.advance(2);
    EXPECT_EQ(log.entries, (Entries {"now@0.00", "later@2.00"}));
}

TEST(RunLoop, MainQueueBlockFromAWorkerRunsOnTheNextAdvanceOnTheTestThread)
{
    ManualRunLoopDriver driver;
    std::thread::id ranOn;
    std::thread worker([&] { DispatchQueue::main().async([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(ranOn, std::thread::id());
    driver.advance(0);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(RunLoop, MainQueueSyncFromAWorkerWaitsForTheLoop)
{
    ManualRunLoopDriver driver;
    std::atomic<bool> done {false};
    std::thread::id ranOn;
    std::thread worker([&] {
        DispatchQueue::main().sync([&] { ranOn = std::this_thread::get_id(); });
        done = true;
    });
    while (RunLoop::main().nextEventTime() == std::nullopt)
        std::this_thread::yield();
    EXPECT_FALSE(done);
    driver.runUntilIdle();
    worker.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(DispatchQueue::main().sync([] { return 7; }), 7);
}

TEST(RunLoop, FireDateCanBeMovedAndTimersAddedInSeveralModesFireOnce)
{
    ManualRunLoopDriver driver;
    Log log {driver, driver.clock().now(), {}};
    auto timer = timerIn(1.0, true, log.timer("t"), {Mode::default_, Mode::common});
    timer->setFireDate(log.start + 0.25);
    driver.advance(1.5);
    EXPECT_EQ(log.entries, (Entries {"t@0.25", "t@1.25"}));

    // A non-positive interval is clamped, never a busy loop.
    int fired = 0;
    auto fast = Timer::scheduledTimer(0, true, [&](Timer&) { ++fired; });
    driver.advance(0.001);
    EXPECT_EQ(fired, 10);
    fast->invalidate();
    fast->invalidate();
    RunLoop::main().add(fast, Mode::default_);
    driver.advance(1);
    EXPECT_EQ(fired, 10);
}

TEST(RunLoop, ANewDriverStartsFromAnEmptyLoop)
{
    std::shared_ptr<Timer> leftOver;
    bool fired = false;
    {
        ManualRunLoopDriver first;
        leftOver = Timer::scheduledTimer(1.0, false, [&](Timer&) { fired = true; });
        DispatchQueue::main().async([&] { fired = true; });
        first.setMode(Mode::modal);
    }
    ManualRunLoopDriver second;
    EXPECT_FALSE(leftOver->isValid());
    EXPECT_EQ(RunLoop::main().currentMode(), Mode::default_);
    EXPECT_EQ(RunLoop::main().nextEventTime(), std::nullopt);
    EXPECT_EQ(&RunLoop::main().clock(), &second.clock());
    second.advance(5);
    EXPECT_FALSE(fired);
}
