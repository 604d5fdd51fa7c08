#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Platform/Foundation/WorkspaceNotificationName.h"
#include "tests/App/ControlCoreTest.h"

#include <gtest/gtest.h>

using namespace Aerlo;
using Foundation::NotificationCenter;
using Foundation::WorkspaceNotificationName;

namespace {

const std::string sleepLine = "----- 开始睡眠，停止控制风扇，恢复为自动模式！----- ";
const std::string screenSleepLine = "处理`屏幕进入睡眠`状态时, 系统本身可能未睡眠。";
const std::string onlyAfterUnlock = "触发条件《仅在解锁后控制风扇》 ---- 索引 1, 直接返回";
const std::string rightAfterStart = "触发条件《开机后即控制风扇》 ---- 索引 0, 直接返回，不恢复系统控制";
const std::string locked = "用户已锁定屏幕";
const std::string unlocked = "用户已解锁屏幕";

enum class Event { sleep, powerOff, screenSleep, screensWake, wake, lock, unlock };

void post(Event event)
{
    NotificationCenter& workspace = NotificationCenter::workspace();
    NotificationCenter& distributed = NotificationCenter::distributed();
    switch (event) {
    case Event::sleep:
        return workspace.post(WorkspaceNotificationName::willSleep);
    case Event::powerOff:
        return workspace.post(WorkspaceNotificationName::willPowerOff);
    case Event::screenSleep:
        return workspace.post(WorkspaceNotificationName::screensDidSleep);
    case Event::screensWake:
        return workspace.post(WorkspaceNotificationName::screensDidWake);
    case Event::wake:
        return workspace.post(WorkspaceNotificationName::didWake);
    case Event::lock:
        return distributed.post(WorkspaceNotificationName::screenIsLocked);
    case Event::unlock:
        return distributed.post(WorkspaceNotificationName::screenIsUnlocked);
    }
}

} // namespace

class PowerPolicyTest : public ControlCoreTest {
protected:
    void SetUp() override
    {
        ControlCoreTest::SetUp();
        delegate_->observePowerAndLockNotifications();
    }

    // Custom mode on a two-fan machine whose readings are above the rule's threshold.
    void hotCustomMode()
    {
        useMachine("mbp-m1pro-2fan");
        QVFanRulesManager::saveFanRules({{"Any Sensor", 30, "All Fans", 50}});
        setInteger(SettingsKey::fanModeSelectedSegment, 3);
        delegate_->postSelectedFanMode();
        ASSERT_TRUE(customFanModeFlag);
        takePosts();
    }

    // Fan messages of `ticks` ticks, one second apart.
    std::vector<std::string> tick(int ticks)
    {
        for (int i = 0; i < ticks; ++i)
            driver_.advance(1.0);
        takePosts();
        return newFanMessages();
    }
};

TEST_F(PowerPolicyTest, EveryEventUnderEveryTrigger)
{
    const std::vector<std::string> restore {modeMessage(0, 0), modeMessage(1, 0)};
    const std::vector<std::string> none;
    const std::string custom(NotificationName::customFanMode);
    const std::string system(NotificationName::systemFanMode);
    const struct {
        std::int64_t trigger;
        Event event;
        std::vector<std::string> messages;
        std::vector<std::string> posts;
        std::vector<std::string> printed;
    } cases[] = {
        // Sleep, power-off and screen sleep do not depend on the trigger.
        {0, Event::sleep, restore, {"updateFanAutomatic"}, {sleepLine}},
        {1, Event::sleep, restore, {"updateFanAutomatic"}, {sleepLine}},
        {5, Event::sleep, restore, {"updateFanAutomatic"}, {sleepLine}},
        {0, Event::powerOff, restore, {}, {}},
        {1, Event::powerOff, restore, {}, {}},
        {5, Event::powerOff, restore, {}, {}},
        {0, Event::screenSleep, restore, {system}, {screenSleepLine}},
        {1, Event::screenSleep, restore, {system}, {screenSleepLine}},
        {5, Event::screenSleep, restore, {system}, {screenSleepLine}},
        // Wake and screens wake re-apply the saved mode with trigger 0 only.
        {0, Event::screensWake, none, {custom}, {}},
        {1, Event::screensWake, none, {}, {onlyAfterUnlock}},
        {5, Event::screensWake, none, {}, {onlyAfterUnlock}},
        {0, Event::wake, none, {custom}, {}},
        {1, Event::wake, none, {}, {onlyAfterUnlock}},
        {5, Event::wake, none, {}, {onlyAfterUnlock}},
        // Lock drops to system mode and unlock re-applies with trigger 1 only.
        {0, Event::lock, none, {}, {locked, rightAfterStart}},
        {1, Event::lock, restore, {system}, {locked}},
        {5, Event::lock, none, {}, {locked, rightAfterStart}},
        {0, Event::unlock, none, {}, {unlocked, rightAfterStart}},
        {1, Event::unlock, none, {custom}, {unlocked}},
        {5, Event::unlock, none, {}, {unlocked, rightAfterStart}},
    };
    fanCount = 2;
    setInteger(SettingsKey::fanModeSelectedSegment, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE("trigger " + std::to_string(c.trigger) + ", event " + std::to_string(int(c.event)));
        setInteger(SettingsKey::triggerConditionIndex, c.trigger);
        console_.clear();
        post(c.event);
        EXPECT_EQ(newFanMessages(), c.messages);
        EXPECT_EQ(takePosts(), c.posts);
        EXPECT_EQ(console_.lines(), c.printed);
    }
}

TEST_F(PowerPolicyTest, SleepWithOneFanRestoresFanZeroAndTellsTheOneFanPanel)
{
    fanCount = 1;
    post(Event::sleep);
    EXPECT_EQ(newFanMessages(), std::vector<std::string> {modeMessage(0, 0)});
    EXPECT_EQ(takePosts(), std::vector<std::string> {"updateSigleFanAutomatic"});
}

TEST_F(PowerPolicyTest, TheSavedModeIsReappliedByNameAndAnUnknownOneNotAtAll)
{
    const struct {
        std::optional<std::int64_t> saved;
        std::vector<std::string> posts;
    } cases[] = {
        {std::nullopt, {"SystemFanModeNotification"}},
        {0, {"SystemFanModeNotification"}},
        {1, {"MaximumFanModeNotification"}},
        {2, {"ManualFanModeNotification"}},
        {3, {"CustomFanModeNotification"}},
        {7, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        if (c.saved)
            setInteger(SettingsKey::fanModeSelectedSegment, *c.saved);
        post(Event::wake);
        EXPECT_EQ(takePosts(), c.posts) << c.saved.value_or(-99);
    }
    EXPECT_TRUE(fanMessages().empty());
}

TEST_F(PowerPolicyTest, HandlersCheckTheNameTheyWereGiven)
{
    fanCount = 2;
    const Foundation::Notification other {"somethingElse", nullptr, {}};
    delegate_->handleWillPowerOff(other);
    delegate_->onlyHandleScreenSleep(other);
    delegate_->onlyHandleScreensDidWake(other);
    delegate_->handleWakeNotification(other);
    delegate_->receiveSleepNotification(other); // no name check: it restores
    EXPECT_EQ(newFanMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(takePosts(), std::vector<std::string> {"updateFanAutomatic"});
    EXPECT_EQ(console_.lines(), std::vector<std::string> {sleepLine});
}

TEST_F(PowerPolicyTest, AfterSleepTheTickForcesNothingUntilTheWakeReappliesTheMode)
{
    hotCustomMode();
    delegate_->startTimer();
    const std::vector<std::string> forced {modeMessage(0, 1), speedMessage(0, 2889), modeMessage(1, 1),
                                           speedMessage(1, 3120)};
    EXPECT_EQ(tick(1), forced);

    post(Event::sleep);
    EXPECT_EQ(tick(3), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_FALSE(customFanModeFlag);

    post(Event::wake); // trigger 0
    EXPECT_TRUE(customFanModeFlag);
    EXPECT_EQ(tick(1), forced);

    post(Event::powerOff);
    EXPECT_EQ(tick(3), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
}

TEST_F(PowerPolicyTest, WithTriggerOneOnlyTheUnlockResumesTheRules)
{
    hotCustomMode();
    setInteger(SettingsKey::triggerConditionIndex, 1);
    delegate_->startTimer();
    ASSERT_EQ(tick(1).size(), 4u);

    post(Event::sleep);
    post(Event::wake);
    EXPECT_EQ(tick(3), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    post(Event::unlock);
    EXPECT_EQ(tick(1).size(), 4u);

    post(Event::lock);
    EXPECT_FALSE(customFanModeFlag);
    EXPECT_EQ(tick(3), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
}
