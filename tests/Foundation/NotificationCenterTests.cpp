#include "Platform/Foundation/NotificationCenter.h"
#include "tests/Support/TestAccess.h"

#include <any>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using Foundation::Notification;
using Foundation::NotificationCenter;
using Foundation::ObserverToken;

namespace {

using Calls = std::vector<std::string>;

NotificationCenter::Callback record(Calls& calls, std::string who)
{
    return [&calls, who](const Notification& n) { calls.push_back(who + ":" + n.name); };
}

} // namespace

TEST(NotificationCenter, DeliversInRegistrationOrderToObserversOfTheNameAndSender)
{
    NotificationCenter center;
    Calls calls;
    const int sender = 0;
    const int stranger = 0;
    auto any = center.addObserver("fansController", nullptr, record(calls, "any"));
    auto fromSender = center.addObserver("fansController", &sender, record(calls, "sender"));
    auto other = center.addObserver("updateTemperatureUnit", nullptr, record(calls, "other"));
    auto everything = center.addObserver("", nullptr, record(calls, "all"));
    auto late = center.addObserver("fansController", nullptr, record(calls, "late"));

    center.post("fansController", &sender);
    EXPECT_EQ(calls,
              (Calls {"any:fansController", "sender:fansController", "all:fansController", "late:fansController"}));
    calls.clear();
    center.post("fansController", &stranger);
    EXPECT_EQ(calls, (Calls {"any:fansController", "all:fansController", "late:fansController"}));
    calls.clear();
    center.post("fansController");
    EXPECT_EQ(calls, (Calls {"any:fansController", "all:fansController", "late:fansController"}));
    calls.clear();
    center.post("nobodyListens");
    EXPECT_EQ(calls, (Calls {"all:nobodyListens"}));
}

TEST(NotificationCenter, CarriesUserInfoAndTheSenderSynchronously)
{
    auto& center = NotificationCenter::defaultCenter();
    TestAccess::resetForTesting<NotificationCenter>();
    std::optional<bool> state;
    const void* object = &center;
    std::thread::id deliveredOn;
    auto token = center.addObserver("fanHelperState", nullptr, [&](const Notification& n) {
        state = std::any_cast<bool>(n.userInfo.at("state"));
        object = n.object;
        deliveredOn = std::this_thread::get_id();
    });
    std::thread poster([] { NotificationCenter::defaultCenter().post("fanHelperState", nullptr, {{"state", true}}); });
    const auto posterId = poster.get_id();
    poster.join();
    EXPECT_EQ(state, true);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(deliveredOn, posterId);
}

TEST(NotificationCenter, TokensUnregisterWhenDestroyedOrResetAndMoveTheRegistration)
{
    NotificationCenter center;
    Calls calls;
    std::optional<ObserverToken> scoped = center.addObserver("a", nullptr, record(calls, "scoped"));
    ObserverToken moved = center.addObserver("a", nullptr, record(calls, "moved"));
    ObserverToken target = std::move(moved);
    EXPECT_FALSE(moved.isActive());
    EXPECT_TRUE(target.isActive());
    center.post("a");
    EXPECT_EQ(calls, (Calls {"scoped:a", "moved:a"}));

    calls.clear();
    scoped.reset();
    center.post("a");
    EXPECT_EQ(calls, (Calls {"moved:a"}));

    calls.clear();
    target = center.addObserver("a", nullptr, record(calls, "replacement"));
    center.post("a");
    target.reset();
    target.reset();
    center.post("a");
    EXPECT_EQ(calls, (Calls {"replacement:a"}));
}

TEST(NotificationCenter, ObserversRemovedDuringADeliveryAreNotCalledAndAddedOnesWaitForTheNextPost)
{
    NotificationCenter center;
    Calls calls;
    ObserverToken second;
    ObserverToken self;
    ObserverToken added;
    auto first = center.addObserver("tick", nullptr, [&](const Notification&) {
        calls.push_back("first");
        second.reset();
        if (!added.isActive())
            added = center.addObserver("tick", nullptr, record(calls, "added"));
    });
    second = center.addObserver("tick", nullptr, record(calls, "second"));
    self = center.addObserver("tick", nullptr, [&](const Notification&) {
        calls.push_back("self");
        self.reset();
    });
    center.post("tick");
    EXPECT_EQ(calls, (Calls {"first", "self"}));
    calls.clear();
    center.post("tick");
    EXPECT_EQ(calls, (Calls {"first", "added:tick"}));
}

TEST(NotificationCenter, ResetAndTheCentresEndMakeTokensInert)
{
    Calls calls;
    auto token = NotificationCenter::workspace().addObserver("NSWorkspaceWillSleepNotification", nullptr,
                                                             record(calls, "sleep"));
    TestAccess::resetForTesting<NotificationCenter>();
    NotificationCenter::workspace().post("NSWorkspaceWillSleepNotification");
    EXPECT_TRUE(calls.empty());

    ObserverToken outlives;
    {
        NotificationCenter local;
        outlives = local.addObserver("x", nullptr, record(calls, "x"));
    }
    outlives.reset();
    EXPECT_TRUE(calls.empty());
}

TEST(NotificationCenter, PostsAndRegistrationsFromManyThreadsAreSafe)
{
    NotificationCenter center;
    std::atomic<int> delivered {0};
    auto steady = center.addObserver("ping", nullptr, [&](const Notification&) { ++delivered; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                auto churn = center.addObserver("ping", nullptr, [](const Notification&) {});
                center.post("ping");
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered.load(), 2000);
}
