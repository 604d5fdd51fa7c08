#include "Classes/App/Preferences.h"
#include "Classes/App/QVAlertManager.h"
#include "Classes/App/Utility.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Kit/Application.h"
#include "tests/App/AppShellTest.h"
#include "tests/Support/TestAccess.h"

using namespace Aerlo;

namespace {

class AlertsTest : public AppShellTest {};

TEST_F(AlertsTest, TheChipHintShowsOncePerRunAndAgainAfterARelaunch)
{
    // Asked again while it is up: no second copy.
    Kit::AlertScript script;
    script.whileShown = [] { QVAlertManager::showChipTipsAlert(); };
    alerts_->enqueue(script);
    QVAlertManager::showChipTipsAlert();
    QVAlertManager::showChipTipsAlert();
    ASSERT_EQ(alerts_->shown().size(), 1u);
    const Kit::ShownAlert& shown = alerts_->shown()[0];
    EXPECT_EQ(shown.messageText, LocalizationTable::text("alert.m3.tips"));
    EXPECT_EQ(shown.informativeText, LocalizationTable::text("alert.m3.message"));
    EXPECT_EQ(shown.buttons, (std::vector<std::string> {LocalizationTable::text("alert.m3.ok")}));
    EXPECT_EQ(shown.style, Kit::AlertStyle::informational);
    EXPECT_EQ(shown.mode, Foundation::RunLoop::Mode::modal);

    TestAccess::resetForTesting<QVAlertManager>();
    alerts_->enqueue({});
    QVAlertManager::showChipTipsAlert();
    EXPECT_EQ(alerts_->shown().size(), 2u);
    EXPECT_TRUE(alerts_->failures().empty());
}

TEST_F(AlertsTest, TheNoFanAlertShowsOnEveryCall)
{
    alerts_->enqueue({});
    alerts_->enqueue({});
    QVAlertManager::showNoFanAlert();
    QVAlertManager::showNoFanAlert();
    ASSERT_EQ(alerts_->shown().size(), 2u);
    EXPECT_EQ(alerts_->shown()[1].messageText, LocalizationTable::text("NoFanKind tips"));
    EXPECT_EQ(alerts_->shown()[1].informativeText, LocalizationTable::text("NoFanMessage"));
    EXPECT_EQ(alerts_->shown()[1].buttons, (std::vector<std::string> {LocalizationTable::text("NoFanOK")}));
    EXPECT_EQ(alerts_->shown()[1].style, Kit::AlertStyle::warning);
}

// The fan window open, and every step of the rules alert's answers recorded.
class FanRulesAlertTest : public AlertsTest {
protected:
    void SetUp() override
    {
        AlertsTest::SetUp();
        registerStandInScenes();
        fanCount = 2;
        delegate_->makeFanSpeedWindowController();
        delegate_->showFanSpeedWindow();
        ASSERT_TRUE(delegate_->fanSpeedWindowController->isWindowVisible());
        token_ = Foundation::NotificationCenter::defaultCenter().addObserver(
            NotificationName::openCustomFanSpeedPreference, nullptr, [this](const Foundation::Notification&) {
                steps_.push_back(std::string("post") + (fanWindowVisible() ? " fan window open" : "")
                                 + (settingsVisible() ? " settings open" : ""));
            });
    }
    bool fanWindowVisible() const { return delegate_->fanSpeedWindowController->isWindowVisible(); }
    bool settingsVisible() const { return delegate_->preferences && delegate_->preferences->isWindowVisible(); }
    void present()
    {
        QVAlertManager::showFanRulesAlert([this] { steps_.push_back("onSettings"); },
                                          [this] { steps_.push_back("onCancel"); });
    }

    std::vector<std::string> steps_;
    Foundation::ObserverToken token_;
};

TEST_F(FanRulesAlertTest, CancelCallsOnCancelPostsNothingAndLeavesTheFanWindowOpen)
{
    alerts_->enqueue(Kit::AlertScript::button(1, LocalizationTable::text("alert.rules.tips")));
    present();
    EXPECT_EQ(steps_, (std::vector<std::string> {"onCancel"}));
    EXPECT_TRUE(fanWindowVisible());
    EXPECT_FALSE(settingsVisible());
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_EQ(alerts_->shown()[0].buttons, (std::vector<std::string> {LocalizationTable::text("alert.rules.setting"),
                                                                      LocalizationTable::text("alert.rules.cancel")}));
}

TEST_F(FanRulesAlertTest, SettingsClosesTheFanWindowOpensTheSettingsPostsThenCallsOnSettings)
{
    alerts_->enqueue(Kit::AlertScript::button(0));
    present();
    EXPECT_EQ(steps_, (std::vector<std::string> {"post settings open", "onSettings"}));
    EXPECT_FALSE(fanWindowVisible());
    EXPECT_EQ(Kit::Application::shared().activationCount(), 2); // the fan window, then the settings
}

TEST_F(AlertsTest, ConfirmWithoutAWindowIsModalAndTrueOnlyForOk)
{
    alerts_->enqueue(Kit::AlertScript::button(0));
    alerts_->enqueue(Kit::AlertScript::button(1));
    EXPECT_TRUE(Utility::confirm("Uninstall?", "The fans return to the system."));
    EXPECT_FALSE(Utility::confirm("Uninstall?", "The fans return to the system."));
    const Kit::ShownAlert& shown = alerts_->shown()[0];
    EXPECT_EQ(shown.messageText, "Uninstall?");
    EXPECT_EQ(shown.informativeText, "The fans return to the system.");
    EXPECT_EQ(shown.buttons,
              (std::vector<std::string> {LocalizationTable::text("Ok"), LocalizationTable::text("Cancel")}));
    EXPECT_EQ(LocalizationTable::text("Ok"), "OK");
    EXPECT_EQ(shown.style, Kit::AlertStyle::informational);
    EXPECT_TRUE(shown.hasIcon);
    EXPECT_FALSE(shown.asSheet);
    EXPECT_EQ(shown.mode, Foundation::RunLoop::Mode::modal);
}

TEST_F(AlertsTest, ConfirmWithAWindowReturnsFalseAtOnceAndTheCompletionSeesTheAnswer)
{
    Kit::Window window({0, 0, 200, 100}, Kit::Window::borderless);
    alerts_->enqueue(Kit::AlertScript::button(0));
    std::vector<Kit::ModalResponse> answers;
    EXPECT_FALSE(Utility::confirm("Title", "Message", &window, [&](Kit::ModalResponse r) { answers.push_back(r); }));
    driver_.runUntilIdle();
    EXPECT_EQ(answers, (std::vector<Kit::ModalResponse> {1000}));
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_TRUE(alerts_->shown()[0].asSheet);
    EXPECT_EQ(alerts_->shown()[0].window, &window);
}

TEST_F(AlertsTest, ADefaultModeTimerWaitsWhileAnAlertIsUp)
{
    int fired = 0;
    auto timer = Foundation::Timer::scheduledTimer(1.0, false, [&](Foundation::Timer&) { ++fired; });
    Kit::AlertScript script;
    script.whileShown = [&] {
        driver_.advance(2);
        EXPECT_EQ(fired, 0);
    };
    alerts_->enqueue(script);
    QVAlertManager::showNoFanAlert();
    driver_.runUntilIdle();
    EXPECT_EQ(fired, 1);
}

TEST_F(AlertsTest, TheFirstRuleAlertShowsOncePerRun)
{
    alerts_->enqueue({});
    QVAlertManager::showAddRulesAlert();
    QVAlertManager::showAddRulesAlert();
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_EQ(alerts_->shown()[0].messageText, LocalizationTable::text("alert.add.rules.tips"));
    EXPECT_EQ(alerts_->shown()[0].style, Kit::AlertStyle::warning);
    EXPECT_TRUE(QVAlertManager::hasShownAddRules());
}

} // namespace
