#include "Classes/Configure/Global/QVNotificationManager.h"
#include "Classes/Configure/Global/QVNotificationManager2.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "tests/Support/ManualRunLoopDriver.h"

#include <gtest/gtest.h>
#include <thread>

using namespace Aerlo;

class NotificationManagerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QVNotificationManager::removeAllObservers();
        QVNotificationManager::removeAllDistributedObservers();
        QVNotificationManager::removeAllWorkspaceObservers();
        QVNotificationManager2::removeAllDistributedObservers();
        QVNotificationManager2::removeAllWorkspaceObservers();
    }

    // Records each delivery as "<tag> <name> <value of "k">" and whether it ran on the main thread.
    NotificationObserverRegistry::Handler recorder(std::string tag)
    {
        return [this, tag](const Foundation::Notification& notification) {
            const auto value = notification.userInfo.find("k");
            seen.push_back(
                tag + " " + notification.name
                + (value != notification.userInfo.end() ? " " + std::any_cast<std::string>(value->second) : ""));
            onMain.push_back(Foundation::RunLoop::main().isMainThread());
        };
    }

    Foundation::ManualRunLoopDriver driver_;
    std::vector<std::string> seen;
    std::vector<bool> onMain;
};

TEST_F(NotificationManagerTest, ObservedNamesArriveOnceOnTheMainThreadWithTheirUserInfo)
{
    QVNotificationManager::observe("a", recorder("default"));
    QVNotificationManager::post("a", {{"k", std::string("1")}});
    std::thread([] { QVNotificationManager::post("a", {{"k", std::string("2")}}); }).join();
    EXPECT_EQ(seen, std::vector<std::string> {"default a 1"});
    driver_.runUntilIdle();
    EXPECT_EQ(seen, (std::vector<std::string> {"default a 1", "default a 2"}));
    EXPECT_EQ(onMain, (std::vector<bool> {true, true}));
}

TEST_F(NotificationManagerTest, RemovalsStopDeliveries)
{
    QVNotificationManager::observe("a", recorder("default"));
    QVNotificationManager::observe("b", recorder("default"));
    QVNotificationManager::removeObserver("a");
    QVNotificationManager::post("a");
    QVNotificationManager::post("b");
    EXPECT_EQ(seen, std::vector<std::string> {"default b"});

    QVNotificationManager::observeWorkspace("w", recorder("workspace"));
    QVNotificationManager2::observeWorkspace("w", recorder("workspace2"));
    QVNotificationManager::removeAllObservers();
    QVNotificationManager::post("b");
    QVNotificationManager2::postWorkspace("w");
    EXPECT_EQ(seen, (std::vector<std::string> {"default b", "workspace w", "workspace2 w"}))
        << "remove-all touches only the default centre";

    QVNotificationManager2::removeAllWorkspaceObservers();
    QVNotificationManager::postWorkspace("w");
    EXPECT_EQ(seen.back(), "workspace w") << "the other class's observers stay";
    QVNotificationManager::removeWorkspaceObserver("w");
    QVNotificationManager::postWorkspace("w");
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(NotificationManagerTest, DistributedPostsReachInProcessObservers)
{
    QVNotificationManager::observeDistributed("d", recorder("any"));
    QVNotificationManager2::observeDistributed("d", recorder("two"));
    const int observer = 0;
    QVNotificationManager::addDistributedObserver(&observer, recorder("object"), "d", std::string("sender"));

    QVNotificationManager::postDistributedImmediately("d", std::string("sender"), {{"k", std::string("x")}});
    QVNotificationManager::postDistributedToAll("d");
    EXPECT_EQ(seen, (std::vector<std::string> {"any d x", "two d x", "object d x", "any d", "two d"}));

    seen.clear();
    QVNotificationManager::removeDistributedObserver(&observer, "d", std::string("sender"));
    QVNotificationManager2::removeDistributedObserver("d");
    QVNotificationManager::postDistributed("d", std::string("sender"), {}, false);
    EXPECT_EQ(seen, std::vector<std::string> {"any d"});
    QVNotificationManager::removeAllDistributedObservers();
    QVNotificationManager::postDistributedToAll("d");
    EXPECT_EQ(seen.size(), 1u);
}
