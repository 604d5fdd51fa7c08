#include "Classes/Windows/FanControl/FanSpeedController.h"
#include "Classes/App/AppDelegate.h"
#include "Classes/App/SettingsController.h"
#include "Platform/Kit/ImageRepresentation.h"
#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/QVCustomButton.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Menu.h"
#include "Platform/System/Workspace.h"
#include "tests/App/ScriptedUpdates.h"
#include "tests/Windows/FanControl/FanPanelTest.h"
#include "tests/Support/System/RecordingURLOpener.h"
#include "tests/Support/TestAccess.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cmath>

using namespace Aerlo;
using namespace Aerlo::Testing;

namespace {

class FanSpeedControllerTest : public FanPanelTest {
protected:
    FanSpeedController& load() { return loadPanelQuietly<FanSpeedController>(); }
    static std::int64_t stored(std::string_view key) { return defaults().integer(key); }
};

TEST_F(FanSpeedControllerTest, EachSegmentSendsItsMessagesInOrderAndIsStored)
{
    (void)defaults().set(std::int64_t {3000}, SettingsKey::leftFanSpeedAfterDrag);
    (void)defaults().set(std::int64_t {4000}, SettingsKey::rightFanSpeedAfterDrag);
    storeRule();
    FanSpeedController& panel = load();

    struct Case {
        long segment;
        std::vector<std::string> messages;
        bool customFlag;
        bool forced;
        std::string event;
    };
    const std::vector<Case> cases {
        {1, {modeMessage(0, 1), modeMessage(1, 1), speedMessage(0, 5999), speedMessage(1, 6000)}, false, false,
            "更改风扇模式为：最大转速"},
        {2, {modeMessage(0, 1), modeMessage(1, 1), speedMessage(0, 3000), speedMessage(1, 4000)}, false, true,
            "更改风扇模式为：手动模式"},
        {3, {modeMessage(0, 0), modeMessage(1, 0)}, true, false, "更改风扇模式为：自定义模式"},
        {0, {modeMessage(0, 0), modeMessage(1, 0)}, false, false, "更改风扇模式为：系统模式"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.segment);
        clickSegment(panel, c.segment);
        EXPECT_EQ(takeMessages(), c.messages);
        EXPECT_EQ(customFanModeFlag, c.customFlag);
        EXPECT_EQ(panel.isForcedMode, c.forced);
        EXPECT_EQ(stored(SettingsKey::fanModeSelectedSegment), c.segment);
        EXPECT_EQ(takeEvents(), std::vector<std::string> {c.event});
        EXPECT_EQ(panel.leftFanSlider->isEnabled(), c.segment == 2);
        EXPECT_EQ(panel.rightFanSlider->isEnabled(), c.segment == 2);
    }
    // The manual segment showed the stored speeds' positions.
    clickSegment(panel, 2);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "50%");
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "66%");
    EXPECT_NEAR(panel.leftFanSlider->doubleValue(), 3000.0 / 5999.0, 1e-9);
    EXPECT_TRUE(alerts_->shown().empty());
}

TEST_F(FanSpeedControllerTest, CustomWithoutRulesAlertsAndReturnsToTheModeInForce)
{
    FanSpeedController& panel = load();
    for (int answer : {0, 1}) {
        SCOPED_TRACE(answer);
        clickSegment(panel, 2);
        takeMessages();
        takePosts();
        alerts_->enqueue(Kit::AlertScript::button(answer));
        clickSegment(panel, 3);
        ASSERT_FALSE(alerts_->shown().empty());
        EXPECT_EQ(alerts_->shown().back().buttons,
            (std::vector<std::string> {LocalizationTable::text("alert.rules.setting"),
                LocalizationTable::text("alert.rules.cancel")}));
        EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 2);
        EXPECT_FALSE(customFanModeFlag);
        EXPECT_EQ(stored(SettingsKey::fanModeSelectedSegment), 3);
        EXPECT_TRUE(takeMessages().empty());
        EXPECT_EQ(takePosts(),
            answer == 0 ? std::vector<std::string> {"openCustomFanSpeedPreference"} : std::vector<std::string> {});
    }
}

TEST_F(FanSpeedControllerTest, ARefusedCustomChoiceAfterAModeByNotificationReturnsToThatMode)
{
    FanSpeedController& panel = load();
    postMode(NotificationName::manualFanMode);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 2);
    EXPECT_EQ(panel.currentFanMode, CurrentFanMode::forced);
    EXPECT_FALSE(defaults().object(SettingsKey::fanModeSelectedSegment));
    alerts_->enqueue(Kit::AlertScript::button(1));
    clickSegment(panel, 3);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 2);
    EXPECT_EQ(stored(SettingsKey::fanModeSelectedSegment), 3);
}

TEST_F(FanSpeedControllerTest, ACustomNotificationWithoutRulesOnlySelectsTheSegment)
{
    FanSpeedController& panel = load();
    postMode(NotificationName::customFanMode);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 3);
    EXPECT_FALSE(customFanModeFlag);
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_TRUE(alerts_->shown().empty());
    storeRule();
    postMode(NotificationName::customFanMode);
    EXPECT_TRUE(customFanModeFlag);
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
}

TEST_F(FanSpeedControllerTest, MaximumRoundsHalvesUpAndNeverForcesAnUnreadableMaximum)
{
    setFans(2, {0, 5999.5}, {0, -1});
    FanSpeedController& panel = load();
    EXPECT_EQ(panel.leftFanMaxSpeedTextField->stringValue(), "6000");
    EXPECT_EQ(panel.rightFanSpeedMaxTextField->stringValue(), "-1");
    clickSegment(panel, 1);
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), speedMessage(0, 6000)}));
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"风扇 1 的最大转速不可读 (-1)，不强制该风扇"});
}

TEST_F(FanSpeedControllerTest, ManualPositionsClampAndAnEmptyRangeShowsZeroAtItsEndsAndFullAboveThem)
{
    (void)defaults().set(std::int64_t {7000}, SettingsKey::leftFanSpeedAfterDrag);
    (void)defaults().set(std::int64_t {0}, SettingsKey::rightFanSpeedAfterDrag);
    setFans(2, {0, 5999}, {0, 0});
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), modeMessage(1, 1), speedMessage(0, 7000),
                                  speedMessage(1, 0)}));
    EXPECT_EQ(panel.leftFanSlider->doubleValue(), 1.0);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "100%");
    EXPECT_EQ(panel.rightFanSlider->doubleValue(), 0.0);
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "0%");
    // A speed equal to the empty range's ends, and one above.
    clickSegment(panel, 0);
    postSpeeds({{"leftSpeed", 0}, {"rightSpeed", 0}});
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "0%");
    postSpeeds({{"leftSpeed", 0}, {"rightSpeed", 10}});
    EXPECT_EQ(panel.rightFanSlider->doubleValue(), 1.0);
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "100%");
}

TEST_F(FanSpeedControllerTest, ADragSendsThroughTheHelperAndStoresTheSpeed)
{
    setHelperInstalled(true);
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    takeMessages();
    dragSlider(*panel.leftFanSlider, 0.5);
    EXPECT_DOUBLE_EQ(panel.leftFanSlider->doubleValue(), 0.5);
    const auto messages = takeMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.size() % 2, 0u);
    for (std::size_t i = 0; i < messages.size(); i += 2)
        EXPECT_EQ(messages[i], modeMessage(0, 1));
    EXPECT_EQ(messages.back(), speedMessage(0, 2999));
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "50%");
    EXPECT_EQ(stored(SettingsKey::leftFanPercent), 50);
    EXPECT_EQ(stored(SettingsKey::leftFanSpeedAfterDrag), 2999);
    EXPECT_EQ(stored(SettingsKey::leftFanCurrentValue), 2999);
    EXPECT_DOUBLE_EQ(defaults().doubleValue(SettingsKey::leftFanSliderValue), 2999.0 / 5999.0);
    EXPECT_FALSE(defaults().object(SettingsKey::rightFanSpeedAfterDrag));
    const auto lines = console_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "左边风扇滑块: 0.5"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "---- 风扇取值范围0-1: " + FanPanelController::describe(2999.0 / 5999.0)),
        lines.end());
    // The drag leaves the mode alone.
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 2);
    EXPECT_TRUE(panel.isForcedMode);
}

TEST_F(FanSpeedControllerTest, AnArrowOnTheFocusedSliderSendsAndStoresAsADragDoes)
{
    setHelperInstalled(true);
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    panel.leftFanSlider->setDoubleValue(0.5);
    takeMessages();
    Kit::Window& window = *panel.view()->window();
    ASSERT_TRUE(window.makeFirstResponder(panel.leftFanSlider.get()));
    QTest::keyClick(window.qtWidget()->windowHandle(), Qt::Key_Right);
    EXPECT_DOUBLE_EQ(panel.leftFanSlider->doubleValue(), 0.55);
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), speedMessage(0, 3299)}));
    EXPECT_EQ(stored(SettingsKey::leftFanSpeedAfterDrag), 3299);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "55%");
}

TEST_F(FanSpeedControllerTest, ADragSendsAndStoresNothingWhileTheHelperIsNotInstalled)
{
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    takeMessages();
    dragSlider(*panel.rightFanSlider, 0.5);
    EXPECT_DOUBLE_EQ(panel.rightFanSlider->doubleValue(), 0.5);
    EXPECT_TRUE(takeMessages().empty());
    for (auto key : {SettingsKey::rightFanPercent, SettingsKey::rightFanSpeedAfterDrag, SettingsKey::rightFanCurrentValue,
             SettingsKey::rightFanSliderValue})
        EXPECT_FALSE(defaults().object(key)) << key;
}

TEST_F(FanSpeedControllerTest, SpeedsMoveTheSlidersExceptInManualMode)
{
    FanSpeedController& panel = load();
    postSpeeds({{"leftSpeed", 3000}, {"rightSpeed", 1500}});
    EXPECT_EQ(panel.leftSpeedLabel->stringValue(), "3000");
    EXPECT_EQ(panel.rightSpeedLabel->stringValue(), "1500");
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "25%");
    // In system mode the speeds become the process-wide values.
    EXPECT_EQ(leftFanSpeed, 3000);
    EXPECT_EQ(rightFanSpeed, 1500);

    (void)defaults().set(std::int64_t {1200}, SettingsKey::leftFanSpeedAfterDrag);
    clickSegment(panel, 2);
    const double before = panel.leftFanSlider->doubleValue();
    postSpeeds({{"leftSpeed", 5000}, {"rightSpeed", 5000}});
    EXPECT_EQ(panel.leftSpeedLabel->stringValue(), "5000");
    EXPECT_EQ(panel.leftFanSlider->doubleValue(), before);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "20%");
    // Not in system mode: the process-wide values stay the tick's.
    EXPECT_EQ(leftFanSpeed, 3000);
}

TEST_F(FanSpeedControllerTest, StoppedFansPauseTheirPictureAndATurnIsNotRestartedEachTick)
{
    FanSpeedController& panel = load();
    Kit::ImageView& left = *panel.leftFanImage;
    postSpeeds({{"leftSpeed", 2000}, {"rightSpeed", 0}});
    EXPECT_EQ(turnPeriod(left), 1.0);
    EXPECT_EQ(layerSpeed(*panel.rightFanImage), 0.0);
    const auto turn = left.layer().animation(QVToolsKit::rotationAnimationKey);
    advance(0.25);
    postSpeeds({{"leftSpeed", 2100}, {"rightSpeed", 0}});
    EXPECT_EQ(left.layer().animation(QVToolsKit::rotationAnimationKey), turn);

    // Paused at a quarter turn; a later speed resumes from there.
    postSpeeds({{"leftSpeed", 0}, {"rightSpeed", 0}});
    EXPECT_EQ(layerSpeed(left), 0.0);
    const double pausedAt = left.layer().timeOffset();
    advance(3);
    postSpeeds({{"leftSpeed", 0}, {"rightSpeed", 0}});
    EXPECT_EQ(left.layer().timeOffset(), pausedAt);
    postSpeeds({{"leftSpeed", 1500}, {"rightSpeed", 0}});
    EXPECT_EQ(layerSpeed(left), 1.0);
    EXPECT_NEAR(left.layer().convertTime(Kit::AnimationClock::mediaTime(), nullptr), pausedAt, 1e-6);
    EXPECT_EQ(left.layer().animation(QVToolsKit::rotationAnimationKey), turn);
}

TEST_F(FanSpeedControllerTest, MalformedSpeedNotificationsPrintTheirLine)
{
    FanSpeedController& panel = load();
    postSpeeds({{"leftSpeed", 1000}, {"rightSpeed", 1000}});
    console_.clear();
    postSpeeds({{"leftSpeed", std::string("fast")}, {"rightSpeed", 1}});
    postSpeeds({{"leftSpeed", 2000}});
    EXPECT_EQ(console_.lines(),
        (std::vector<std::string> {"无法将 userInfo 转为 [String: Int]，提前退出", "leftSpeed 或 rightSpeed 为 nil，提前退出"}));
    EXPECT_EQ(panel.leftSpeedLabel->stringValue(), "1000");
}

TEST_F(FanSpeedControllerTest, UpdateFanAutomaticSelectsSystemOnlyWithoutAStoredChoice)
{
    FanSpeedController& panel = load();
    panel.fanModeSegmented->setSelectedSegment(2);
    postMode(NotificationName::updateFanAutomatic);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    clickSegment(panel, 1);
    takeMessages();
    postMode(NotificationName::updateFanAutomatic);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 1);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(FanSpeedControllerTest, QuitHandsBackFansZeroAndOneWheneverThereAreTwoOrMore)
{
    for (double count : {2.0, 3.0}) {
        SCOPED_TRACE(count);
        fanCount = count;
        FanSpeedController& panel = load();
        const auto menu = quitThroughMenu(panel);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->itemAt(0)->title(), LocalizationTable::text("statusBar.title.setting"));
        EXPECT_EQ(menu->itemAt(0)->keyEquivalent(), ",");
        EXPECT_EQ(menu->itemAt(3)->title(), LocalizationTable::text("statusBar.title.quit"));
        EXPECT_EQ(menu->itemAt(3)->keyEquivalent(), "q");
        EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
        EXPECT_EQ(quits_, 1);
    }
}

TEST_F(FanSpeedControllerTest, PerFanButtonsSwitchOneFanAndPostTheirChange)
{
    FanSpeedController& panel = load();
    panel.leftFanManualModeButton->performClick();
    EXPECT_EQ(takeMessages(), std::vector<std::string> {modeMessage(0, 1)});
    EXPECT_EQ(takePosts(), std::vector<std::string> {"fansModeToggle fan=left mode=forced"});
    EXPECT_TRUE(panel.leftFanSlider->isEnabled());
    EXPECT_EQ(panel.leftFanManualModeButton->state(), Kit::StateValue::on);
    EXPECT_EQ(panel.leftFanAutoModeButton->state(), Kit::StateValue::off);

    (void)defaults().set(true, SettingsKey::isFansSync);
    panel.rightFanManualModeButton->performClick();
    // The panel takes its own post: both fans follow.
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(1, 1), modeMessage(0, 1), modeMessage(1, 1)}));
    EXPECT_EQ(takePosts(), std::vector<std::string> {"syncFansControl mode=forced"});

    (void)defaults().set(false, SettingsKey::isFansSync);
    panel.rightFanSlider->setDoubleValue(0.8);
    panel.rightFanAutoModeButton->performClick();
    EXPECT_EQ(takeMessages(), std::vector<std::string> {modeMessage(1, 0)});
    EXPECT_EQ(takePosts(), std::vector<std::string> {"fansModeToggle fan=right mode=automatic"});
    EXPECT_EQ(panel.rightFanSlider->doubleValue(), 0.0);
    EXPECT_FALSE(panel.rightFanSlider->isEnabled());
    EXPECT_EQ(stored(SettingsKey::rightFanPercent), 0);
    EXPECT_EQ(defaults().doubleValue(SettingsKey::rightFanSliderValue), 0.0);
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "0%");
    EXPECT_EQ(panel.rightFanSpeedPercent->frame().x(), 205.0);
    // The buttons change neither the mode nor the control.
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    EXPECT_EQ(panel.currentFanMode, CurrentFanMode::auto_);
}

bool shows(const Kit::ImageView& view, std::string_view name)
{
    return view.image().isValid() && view.image().representation().pixels == Kit::Image::named(name).representation().pixels;
}

TEST_F(FanSpeedControllerTest, TheSettingsSyncBoxMakesEitherSliderDriveBothFans)
{
    setHelperInstalled(true);
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    auto settings = std::make_shared<SettingsController>();
    (void)settings->view();
    settings->syncFanControlCheckBox->performClick();
    ASSERT_TRUE(defaults().boolValue(SettingsKey::isFansSync));
    takeMessages();

    dragSlider(*panel.rightFanSlider, 0.5);
    auto messages = takeMessages();
    ASSERT_GE(messages.size(), 2u);
    ASSERT_EQ(messages.size() % 2, 0u);
    for (std::size_t i = 0; i < messages.size(); i += 2)
        EXPECT_EQ(messages[i + 1].substr(8), messages[i].substr(8)) << messages[i];
    // Fan 0's limits (0 to 5999) give the one speed.
    EXPECT_EQ(messages[messages.size() - 2], speedMessage(0, 2999));
    EXPECT_EQ(messages.back(), speedMessage(1, 2999));
    EXPECT_DOUBLE_EQ(panel.leftFanSlider->doubleValue(), 0.5);
    EXPECT_EQ(panel.leftFanSpeedPercent->stringValue(), "50%");
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "50%");
    EXPECT_EQ(stored(SettingsKey::leftFanPercent), 50);
    EXPECT_EQ(stored(SettingsKey::rightFanPercent), 50);
    EXPECT_DOUBLE_EQ(defaults().doubleValue(SettingsKey::rightFanSliderValue), 2999.0 / 5999.0);

    // Unticked, each slider drives its own fan again.
    settings->syncFanControlCheckBox->performClick();
    takeMessages();
    dragSlider(*panel.leftFanSlider, 0.25);
    messages = takeMessages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), speedMessage(0, 1499));
    for (const auto& message : messages)
        EXPECT_EQ(message.find(" 1 "), std::string::npos) << message;
    EXPECT_DOUBLE_EQ(panel.rightFanSlider->doubleValue(), 0.5);
}

TEST_F(FanSpeedControllerTest, APanelLoadedWithSyncOnDrivesBothFans)
{
    setHelperInstalled(true);
    (void)defaults().set(true, SettingsKey::isFansSync);
    FanSpeedController& panel = load();
    clickSegment(panel, 2);
    takeMessages();
    dragSlider(*panel.leftFanSlider, 1.0);
    const auto messages = takeMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back(), speedMessage(1, 5999));
    EXPECT_DOUBLE_EQ(panel.rightFanSlider->doubleValue(), 1.0);
}

TEST_F(FanSpeedControllerTest, SyncedModeButtonsSwitchBothFansAndTheirIcons)
{
    (void)defaults().set(true, SettingsKey::isFansSync);
    FanSpeedController& panel = load();
    panel.leftFanManualModeButton->performClick();
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), modeMessage(0, 1), modeMessage(1, 1)}));
    EXPECT_EQ(panel.rightFanManualModeButton->state(), Kit::StateValue::on);
    EXPECT_EQ(panel.rightFanAutoModeButton->state(), Kit::StateValue::off);
    EXPECT_TRUE(panel.rightFanSlider->isEnabled());
    EXPECT_TRUE(shows(*panel.leftIcon, "fan.fill"));
    EXPECT_TRUE(shows(*panel.rightIcon, "fan.fill"));

    panel.rightFanSlider->setDoubleValue(0.7);
    (void)defaults().set(std::int64_t {70}, SettingsKey::rightFanPercent);
    panel.leftFanAutoModeButton->performClick();
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(panel.rightFanAutoModeButton->state(), Kit::StateValue::on);
    EXPECT_FALSE(panel.rightFanSlider->isEnabled());
    EXPECT_EQ(panel.rightFanSlider->doubleValue(), 0.0);
    EXPECT_EQ(stored(SettingsKey::rightFanPercent), 0);
    EXPECT_EQ(panel.rightFanSpeedPercent->stringValue(), "0%");
    EXPECT_TRUE(shows(*panel.rightIcon, "fan.slash.fill"));

    // A mode posted while sync is off changes nothing and says why.
    (void)defaults().set(false, SettingsKey::isFansSync);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::syncFansControl, nullptr,
        {{"mode", std::string("forced")}});
    EXPECT_TRUE(takeMessages().empty());
    const auto lines = console_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "没有开启同步控制风扇"), lines.end());
}

TEST_F(FanSpeedControllerTest, AnUnsyncedModeButtonGreysOnlyItsFansIcon)
{
    FanSpeedController& panel = load();
    panel.rightFanManualModeButton->performClick();
    EXPECT_TRUE(shows(*panel.rightIcon, "fan.fill_gray"));
    EXPECT_TRUE(shows(*panel.leftIcon, "fan.slash.fill_gray"));
    panel.rightFanAutoModeButton->performClick();
    EXPECT_TRUE(shows(*panel.rightIcon, "fan.slash.fill_gray"));
}

TEST_F(FanSpeedControllerTest, PercentLabelsSitOppositeTheKnob)
{
    auto label = Kit::TextField::labelWithString("x");
    label->setFrame({0, 3, 56, 16});
    FanSpeedController::placePercentLabel(*label, 51);
    EXPECT_EQ(label->frame(), (Kit::Rect {35, 3, 56, 16}));
    EXPECT_TRUE(Kit::Testing::colourNear(label->textColor(), Kit::Colour::black().withAlphaComponent(0.7)));
    FanSpeedController::placePercentLabel(*label, 50);
    EXPECT_EQ(label->frame().x(), 205.0);
}

TEST_F(FanSpeedControllerTest, AfterTheHelperIsGoneThePanelShowsSystemModeAndKeepsTheChoice)
{
    setHelperInstalled(true);
    FanSpeedController& panel = load();
    EXPECT_TRUE(panel.installFanControlHelper->isHidden());
    EXPECT_FALSE(panel.uninstallFanControlHelper->isHidden());
    EXPECT_FALSE(panel.leftExpandCollapseButton->isHidden());
    clickSegment(panel, 2);
    panel.leftFanManualModeButton->performClick();
    takeMessages();
    console_.clear();

    FanSpeedController::postHelperState(false);
    driver().runUntilIdle();
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    EXPECT_EQ(panel.currentFanMode, CurrentFanMode::auto_);
    EXPECT_FALSE(panel.isForcedMode);
    EXPECT_FALSE(customFanModeFlag);
    EXPECT_FALSE(panel.leftFanSlider->isEnabled());
    EXPECT_FALSE(panel.rightFanSlider->isEnabled());
    EXPECT_EQ(panel.leftFanAutoModeButton->state(), Kit::StateValue::on);
    EXPECT_EQ(stored(SettingsKey::fanModeSelectedSegment), 2);
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_FALSE(panel.installFanControlHelper->isHidden());
    EXPECT_TRUE(panel.uninstallFanControlHelper->isHidden());
    EXPECT_TRUE(panel.leftExpandCollapseButton->isHidden());
    EXPECT_TRUE(panel.rightExpandCollapseButton->isHidden());
    EXPECT_EQ(console_.lines(),
        (std::vector<std::string> {"风扇控制程序安装状态: false", "未安装", "显示，安装Helper按钮"}));

    // A refused custom choice now returns to system.
    alerts_->enqueue(Kit::AlertScript::button(1));
    clickSegment(panel, 3);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);

    FanSpeedController::postHelperState(true);
    EXPECT_TRUE(panel.installFanControlHelper->isHidden());
    EXPECT_FALSE(panel.rightExpandCollapseButton->isHidden());
}

TEST_F(FanSpeedControllerTest, ACustomChoiceUndoneByTheHelperStopsTheRules)
{
    storeRule();
    FanSpeedController& panel = load();
    clickSegment(panel, 3);
    EXPECT_TRUE(customFanModeFlag);
    FanSpeedController::postHelperState(false);
    EXPECT_FALSE(customFanModeFlag);
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
}

TEST_F(FanSpeedControllerTest, TheChipHintShowsOnceBeforeTheFirstModeChange)
{
    QVSystemHardwareInfo::chipKeyword = "m1";
    FanSpeedController& panel = load();
    alerts_->enqueue(Kit::AlertScript::button(0));
    clickSegment(panel, 1);
    clickSegment(panel, 0);
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_EQ(alerts_->shown()[0].messageText, LocalizationTable::text("alert.m3.tips"));
    // The mode still changed.
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 1), modeMessage(1, 1), speedMessage(0, 5999),
                                  speedMessage(1, 6000), modeMessage(0, 0), modeMessage(1, 0)}));
}

TEST_F(FanSpeedControllerTest, LoadingInSystemModeHandsBothFansBackAndFillsTheLimits)
{
    setFans(2, {1200.4, 5779.5}, {0, 6241});
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(panel.leftFanMinSpeedTextField->stringValue(), "1200");
    EXPECT_EQ(panel.leftFanMaxSpeedTextField->stringValue(), "5780");
    EXPECT_EQ(panel.rightFanSpeedMaxTextField->stringValue(), "6241");
    EXPECT_FALSE(panel.leftFanSlider->isEnabled());
    const auto lines = console_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "FanSpeedController 即将加入窗口时"), lines.end());
    EXPECT_FALSE(panelWindow().isMovableByWindowBackground());
}

TEST_F(FanSpeedControllerTest, SupportOpensThePageAndClosesTheWindow)
{
    auto opener = std::make_shared<SystemPlatform::RecordingURLOpener>();
    TestAccess::resetForTesting<SystemPlatform::Workspace>(opener);
    auto delegate = AppDelegate::make();
    FanSpeedController& panel = load();
    delegate->fanSpeedWindowController = windowController_;
    panel.moreBtnClickted(*panel.moreButton);
    const Kit::Menu& menu = *panel.moreMenu();
    EXPECT_EQ(menu.itemAt(1)->title(), LocalizationTable::text("statusBar.title.userSupport"));
    EXPECT_EQ(menu.itemAt(2)->title(), LocalizationTable::text("statusBar.title.update"));
    EXPECT_TRUE(menu.itemAt(1)->keyEquivalent().empty());
    menu.itemAt(1)->perform();
    EXPECT_EQ(opener->openedURLs(), std::vector<std::string> {std::string(FanPanelController::supportAddress)});
    const auto lines = console_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "default browser was successfully opened"), lines.end());
    EXPECT_FALSE(panelWindow().isVisible());
    delegate->fanSpeedWindowController.reset();
    TestAccess::resetForTesting<SystemPlatform::Workspace>();
}

TEST_F(FanSpeedControllerTest, UpdateRunsOneUserCheckAndClosesTheWindow)
{
    ScriptedUpdates updates;
    auto delegate = AppDelegate::make();
    FanSpeedController& panel = load();
    delegate->fanSpeedWindowController = windowController_;
    panel.moreBtnClickted(*panel.moreButton);
    panel.moreMenu()->itemAt(2)->perform();
    driver().runUntilIdle();
    EXPECT_EQ(updates.driver->calls, std::vector<std::string> {"error"}) << "one check the user asked for";
    EXPECT_FALSE(panelWindow().isVisible());
    delegate->fanSpeedWindowController.reset();
}

} // namespace
