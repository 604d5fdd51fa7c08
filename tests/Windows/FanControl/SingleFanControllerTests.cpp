#include "Classes/Windows/FanControl/SingleFanController.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/Menu.h"
#include "tests/App/ScriptedUpdates.h"
#include "tests/Windows/FanControl/FanPanelTest.h"

using namespace Aerlo;
using namespace Aerlo::Testing;

namespace {

class SingleFanControllerTest : public FanPanelTest {
protected:
    void SetUp() override
    {
        FanPanelTest::SetUp();
        setFans(1, {0, 6000}, {0, 0});
        setHelperInstalled(true);
    }
    SingleFanController& load() { return loadPanelQuietly<SingleFanController>(); }
    std::vector<std::string> lines() const { return console_.lines(); }
    bool printed(const std::string& line) const
    {
        const auto all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }
};

TEST_F(SingleFanControllerTest, LoadingInSystemModeHandsFanZeroBackWithoutAnEvent)
{
    SingleFanController& panel = loadPanel<SingleFanController>();
    EXPECT_EQ(takeMessages(), std::vector<std::string> {modeMessage(0, 0)});
    EXPECT_TRUE(takeEvents().empty());
    EXPECT_FALSE(panel.leftFanSlider->isEnabled());
    EXPECT_EQ(panel.leftFanMaxSpeedTextField->stringValue(), "6000");
    EXPECT_TRUE(printed("SingleFanController 即将加入窗口时"));
    windowController_->close();
    EXPECT_TRUE(printed("移除SingleFanController"));
}

TEST_F(SingleFanControllerTest, EachSegmentDrivesFanZeroOnly)
{
    (void)defaults().set(std::int64_t {2500}, SettingsKey::leftFanSpeedAfterDrag);
    storeRule();
    SingleFanController& panel = load();
    struct Case {
        long segment;
        std::vector<std::string> messages;
        bool customFlag;
        std::string event;
    };
    const std::vector<Case> cases {
        {1, {modeMessage(0, 1), speedMessage(0, 6000)}, false, "更改风扇模式为：最大转速"},
        {2, {modeMessage(0, 1), speedMessage(0, 2500)}, false, "更改风扇模式为：手动模式"},
        {3, {modeMessage(0, 0)}, true, "更改风扇模式为：自定义模式"},
        {0, {modeMessage(0, 0)}, false, "更改风扇模式为：系统模式"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.segment);
        clickSegment(panel, c.segment);
        EXPECT_EQ(takeMessages(), c.messages);
        EXPECT_EQ(customFanModeFlag, c.customFlag);
        EXPECT_EQ(takeEvents(), std::vector<std::string> {c.event});
        EXPECT_EQ(defaults().integer(SettingsKey::fanModeSelectedSegment), c.segment);
    }
    clickSegment(panel, 2);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "41%");
}

TEST_F(SingleFanControllerTest, WithoutFansEveryChoiceAndDragAlertsAndSendsNothing)
{
    fanCount = 0;
    SingleFanController& panel = load();
    storeRule();
    for (long segment : {0L, 1L, 2L, 3L}) {
        SCOPED_TRACE(segment);
        const std::size_t before = alerts_->shown().size();
        alerts_->enqueue(Kit::AlertScript::button(0));
        clickSegment(panel, segment);
        ASSERT_EQ(alerts_->shown().size(), before + 1);
        EXPECT_EQ(alerts_->shown().back().messageText, LocalizationTable::text("NoFanKind tips"));
        EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), segment);
        EXPECT_EQ(defaults().integer(SettingsKey::fanModeSelectedSegment), segment);
    }
    EXPECT_FALSE(customFanModeFlag);
    // Each change of the knob is one attempt.
    panel.leftFanSlider->setEnabled(true);
    for (int i = 0; i < 3; ++i)
        alerts_->enqueue(Kit::AlertScript::button(0));
    const std::size_t before = alerts_->shown().size();
    for (double value : {0.2, 0.4, 0.6})
        panel.leftFanSlider->valueChangedHandler(value);
    EXPECT_EQ(alerts_->shown().size(), before + 3);
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_FALSE(defaults().object(SettingsKey::leftFanSpeedAfterDrag));
    EXPECT_TRUE(alerts_->failures().empty());
}

TEST_F(SingleFanControllerTest, LeftSpeedAloneIsEnoughAndTheProcessValueIsLeftAlone)
{
    SingleFanController& panel = load();
    leftFanSpeed = 1234;
    postSpeeds({{"leftSpeed", 3000}});
    EXPECT_EQ(panel.leftSpeedLabel->stringValue(), "3000");
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "50%");
    EXPECT_EQ(leftFanSpeed, 1234);
    EXPECT_EQ(turnPeriod(*panel.leftFanImage), 2.0);
    postSpeeds({{"rightSpeed", 3000}});
    EXPECT_EQ(lines(), std::vector<std::string> {"leftSpeed 为 nil，提前退出"});
}

TEST_F(SingleFanControllerTest, ADragSpinsThePictureOncePerSecondAndPrintsItsProgress)
{
    leftFanSpeed = 1800;
    SingleFanController& panel = load();
    clickSegment(panel, 2);
    takeMessages();
    console_.clear();
    dragSlider(*panel.leftFanSlider, 0.25);
    const auto messages = takeMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back(), speedMessage(0, 1500));
    EXPECT_EQ(defaults().integer(SettingsKey::leftFanSpeedAfterDrag), 1500);
    EXPECT_EQ(turnPeriod(*panel.leftFanImage), 1.0);
    for (const char* line : {"--- 左边风扇转速: 1800", "--- 右边风扇转速: 0", "---风扇当前百分比: 25", "拖动后的值: 1500"})
        EXPECT_TRUE(printed(line)) << line;
    // The next tick's notification turns it at its own period again.
    postSpeeds({{"leftSpeed", 1800}});
    EXPECT_EQ(turnPeriod(*panel.leftFanImage), 2.0);
}

TEST_F(SingleFanControllerTest, CustomWithoutRulesAlertsWhenChosenAndOnlySelectsByNotification)
{
    SingleFanController& panel = load();
    clickSegment(panel, 1);
    takeMessages();
    alerts_->enqueue(Kit::AlertScript::button(1));
    clickSegment(panel, 3);
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_EQ(alerts_->shown()[0].messageText, LocalizationTable::text("alert.rules.tips"));
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 1);
    EXPECT_FALSE(customFanModeFlag);
    EXPECT_EQ(defaults().integer(SettingsKey::fanModeSelectedSegment), 3);

    postMode(NotificationName::customFanMode);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 3);
    EXPECT_EQ(alerts_->shown().size(), 1u);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(SingleFanControllerTest, ModesByNotificationAndTheSleepHandlersName)
{
    SingleFanController& panel = load();
    postMode(NotificationName::maximumFanMode);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 1);
    EXPECT_EQ(panel.currentFanMode, CurrentFanMode::max);
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), speedMessage(0, 6000)}));
    EXPECT_FALSE(defaults().object(SettingsKey::fanModeSelectedSegment));
    postMode(NotificationName::updateSigleFanAutomatic);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(SingleFanControllerTest, QuitOnAThreeFanMachineHandsBackFansZeroAndOne)
{
    for (double count : {1.0, 3.0}) {
        SCOPED_TRACE(count);
        fanCount = count;
        quitThroughMenu(load());
        const std::vector<std::string> expected = count >= 2
            ? std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}
            : std::vector<std::string> {modeMessage(0, 0)};
        EXPECT_EQ(takeMessages(), expected);
        EXPECT_EQ(quits_, 1);
    }
}

TEST_F(SingleFanControllerTest, TheHelperGoneShowsSystemMode)
{
    SingleFanController& panel = load();
    clickSegment(panel, 2);
    EXPECT_TRUE(panel.leftFanSlider->isEnabled());
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::fanHelperState, nullptr, {{"state", false}});
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    EXPECT_FALSE(panel.isForcedMode);
    EXPECT_FALSE(panel.leftFanSlider->isEnabled());
    EXPECT_EQ(defaults().integer(SettingsKey::fanModeSelectedSegment), 2);
}

TEST_F(SingleFanControllerTest, TheHelperGoneWithFansForcedShowsAForcedModeAndSendsNothing)
{
    // Custom and system show as manual; maximum stays.
    for (const auto& [segment, shown] : {std::pair {3L, 2L}, {0L, 2L}, {1L, 1L}, {2L, 2L}}) {
        SCOPED_TRACE(segment);
        SingleFanController& panel = load();
        panel.fanModeSegmented->setSelectedSegment(segment);
        panel.currentFanMode = *currentFanModeFromRawValue(segment);
        takeMessages();
        panel.showForcedModeInForce();
        EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), shown);
        EXPECT_EQ(static_cast<long>(panel.currentFanMode), shown);
        EXPECT_TRUE(panel.isForcedMode);
        EXPECT_FALSE(panel.leftFanSlider->isEnabled());
        EXPECT_TRUE(takeMessages().empty());
    }
}

TEST_F(SingleFanControllerTest, UpdateRunsOneUserCheckAndLeavesTheWindow)
{
    ScriptedUpdates updates;
    SingleFanController& panel = load();
    const bool visible = panelWindow().isVisible();
    panel.moreBtnClickted(*panel.moreButton);
    panel.moreMenu()->itemAt(2)->perform();
    driver().runUntilIdle();
    EXPECT_EQ(updates.driver->calls, std::vector<std::string> {"error"});
    EXPECT_EQ(panelWindow().isVisible(), visible);
}

} // namespace
