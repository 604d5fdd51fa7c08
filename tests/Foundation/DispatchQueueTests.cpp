#include "Platform/Foundation/DispatchQueue.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Foundation::DispatchQueue;
using Foundation::DispatchTime;
using Foundation::ManualRunLoopDriver;

TEST(DispatchQueue, SerialQueueRunsOneBlockAtATimeInFifoOrderFromManyProducers)
{
    constexpr int producers = 8;
    constexpr int perProducer = 500;
    DispatchQueue queue("com.norvane.test.serial");
    std::vector<std::vector<int>> seen(producers);
    std::atomic<int> inside {0};
    std::atomic<int> overlaps {0};
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&, p] {
            for (int i = 0; i < perProducer; ++i) {
                auto block = [&, p, i] {
                    if (inside.fetch_add(1) != 0)
                        ++overlaps;
                    seen[p].push_back(i);
                    inside.fetch_sub(1);
                };
                if (i % 50 == 0)
                    queue.sync(block);
                else
                    queue.async(block);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    queue.sync([] {});
    EXPECT_EQ(overlaps.load(), 0);
    for (int p = 0; p < producers; ++p) {
        ASSERT_EQ(seen[p].size(), static_cast<std::size_t>(perProducer)) << p;
        for (int i = 0; i < perProducer; ++i)
            ASSERT_EQ(seen[p][i], i) << "producer " << p;
    }
}

TEST(DispatchQueue, ConcurrentQueueBarrierExcludesReaders)
{
    auto queue = DispatchQueue::concurrent("com.norvane.test.list");
    std::atomic<int> readers {0};
    std::atomic<bool> writing {false};
    std::atomic<int> violations {0};
    std::vector<int> list;
    auto read = [&] {
        readers.fetch_add(1);
        if (writing)
            ++violations;
        std::this_thread::yield();
        auto copy = list;
        if (writing)
            ++violations;
        readers.fetch_sub(1);
        return copy.size();
    };
    auto write = [&](int value) {
        if (writing.exchange(true) || readers.load() != 0)
            ++violations;
        list.push_back(value);
        std::this_thread::yield();
        if (readers.load() != 0)
            ++violations;
        writing = false;
    };

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                switch ((i + t) % 4) {
                case 0:
                    queue.asyncBarrier([&, i] { write(i); });
                    break;
                case 1:
                    queue.async([&] { read(); });
                    break;
                case 2:
                    queue.sync([&] { return read(); });
                    break;
                default:
                    queue.syncBarrier([&, i] { write(i); });
                    break;
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::size_t size = 0;
    queue.syncBarrier([&] { size = list.size(); });
    EXPECT_EQ(size, 600u);
    EXPECT_EQ(violations.load(), 0);
}

namespace {

// The first block waits for the second: only a queue that runs blocks together gets through in time.
bool runsTwoBlocksTogether(DispatchQueue& queue, std::chrono::milliseconds patience)
{
    auto secondIn = std::make_shared<std::promise<void>>();
    auto firstSawSecond = std::make_shared<std::promise<bool>>();
    queue.async([firstSawSecond, second = secondIn->get_future().share(), patience] {
        firstSawSecond->set_value(second.wait_for(patience) == std::future_status::ready);
    });
    queue.async([secondIn] { secondIn->set_value(); });
    return firstSawSecond->get_future().get();
}

} // namespace

TEST(DispatchQueue, GlobalAndConcurrentQueuesRunBlocksTogetherAndSerialOnesDoNot)
{
    EXPECT_TRUE(runsTwoBlocksTogether(DispatchQueue::global(), std::chrono::seconds(5)));
    auto concurrent = DispatchQueue::concurrent("com.norvane.test.readers");
    EXPECT_TRUE(runsTwoBlocksTogether(concurrent, std::chrono::seconds(5)));
    DispatchQueue serial("com.norvane.test.one");
    EXPECT_FALSE(runsTwoBlocksTogether(serial, std::chrono::milliseconds(5)));
}

TEST(DispatchQueue, BarrierWaitsForEarlierReadersAndHoldsLaterOnes)
{
    auto queue = DispatchQueue::concurrent("com.norvane.test.barrier");
    std::promise<void> release;
    auto gate = release.get_future().share();
    std::atomic<bool> barrierRan {false};
    queue.async([gate] { gate.wait(); });
    queue.asyncBarrier([&] { barrierRan = true; });
    std::atomic<bool> laterReaderRan {false};
    queue.async([&] { laterReaderRan = true; });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_FALSE(barrierRan);
    EXPECT_FALSE(laterReaderRan);
    release.set_value();
    queue.syncBarrier([] {});
    EXPECT_TRUE(barrierRan);
    EXPECT_TRUE(laterReaderRan);
}

TEST(DispatchQueue, SyncReturnsTheValueAndNestedSyncOnTheSameQueueRunsInline)
{
    DispatchQueue queue("com.norvane.test.nested");
    const auto label = queue.sync([&] {
        int inner = 0;
        queue.sync([&] { inner = 1; });
        return queue.label() + std::to_string(inner);
    });
    EXPECT_EQ(label, "com.norvane.test.nested1");
}

TEST(DispatchQueue, DestroyingASerialQueueRunsItsQueuedWorkFirst)
{
    std::atomic<int> ran {0};
    {
        DispatchQueue queue("com.norvane.test.stop");
        std::promise<void> release;
        queue.async([gate = release.get_future().share()] { gate.wait(); });
        for (int i = 0; i < 100; ++i)
            queue.async([&] { ++ran; });
        release.set_value();
    }
    EXPECT_EQ(ran.load(), 100);

    DispatchQueue moved = DispatchQueue("com.norvane.test.moved");
    moved.async([&] { ++ran; });
    moved = DispatchQueue("com.norvane.test.other");
    EXPECT_EQ(ran.load(), 101);
    EXPECT_EQ(moved.label(), "com.norvane.test.other");
}

TEST(DispatchQueue, WorkerQueueAsyncAfterFollowsTheManualClock)
{
    ManualRunLoopDriver driver;
    DispatchQueue queue("com.norvane.test.delayed");
    std::vector<std::string> order;
    queue.asyncAfter(DispatchTime::now() + 2.0, [&] { order.push_back("late"); });
    queue.asyncAfter(DispatchTime::now() + 1.0, [&] { order.push_back("early"); });
    queue.async([&] { order.push_back("now"); });

    driver.advance(0.99);
    queue.sync([] {});
    EXPECT_EQ(order, (std::vector<std::string> {"now"}));
    driver.advance(0.01);
    queue.sync([] {});
    EXPECT_EQ(order, (std::vector<std::string> {"now", "early"}));
    driver.advance(5);
    queue.sync([] {});
    EXPECT_EQ(order, (std::vector<std::string> {"now", "early", "late"}));

    std::promise<double> when;
    auto ran = when.get_future();
    const double start = driver.clock().now();
    DispatchQueue::global().asyncAfter(DispatchTime::now() + 0.5, [&] { when.set_value(DispatchTime::now().seconds); });
    driver.advance(0.49);
    EXPECT_EQ(ran.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    driver.advance(0.01);
    EXPECT_GE(ran.get(), start + 0.5);
}

TEST(DispatchQueue, WorkerQueueAsyncAfterWaitsOnTheSystemClockWithoutADriver)
{
    DispatchQueue queue("com.norvane.test.realtime");
    std::promise<double> ran;
    const double start = DispatchTime::now().seconds;
    queue.asyncAfter(DispatchTime::now() + 0.005, [&] { ran.set_value(DispatchTime::now().seconds); });
    auto result = ran.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_GE(result.get() - start, 0.005);
}
