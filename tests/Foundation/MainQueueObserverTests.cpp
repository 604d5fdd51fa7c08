#include "Platform/Foundation/NotificationCenter.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <gtest/gtest.h>
#include <thread>

using Foundation::Notification;
using Foundation::NotificationCenter;

TEST(MainQueueObserver, RunsInlineOnTheMainThreadAndLaterFromOtherThreads)
{
    Foundation::ManualRunLoopDriver driver;
    NotificationCenter centre;
    std::vector<std::pair<std::string, bool>> seen;
    auto token = centre.addObserverOnMainQueue("name", nullptr, [&](const Notification& notification) {
        seen.emplace_back(std::any_cast<std::string>(notification.userInfo.at("k")),
                          Foundation::RunLoop::main().isMainThread());
    });

    centre.post("name", nullptr, {{"k", std::string("main")}});
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>> {{"main", true}}));

    std::thread([&] { centre.post("name", nullptr, {{"k", std::string("worker")}}); }).join();
    EXPECT_EQ(seen.size(), 1u) << "queued, not run on the worker";
    driver.runUntilIdle();
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>> {{"main", true}, {"worker", true}}));

    std::thread([&] { centre.post("name", nullptr, {{"k", std::string("late")}}); }).join();
    token.reset(); // gone before the main queue runs: not delivered
    driver.runUntilIdle();
    EXPECT_EQ(seen.size(), 2u);
}
