#include "Classes/App/AppDelegate.h"
#include "Classes/Windows/FanControl/FanSpeedController.h"
#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/QVCustomButton.h"
#include "Platform/Kit/Box.h"
#include "Platform/System/AuthorizationProvider.h"
#include "tests/Windows/FanControl/FanPanelTest.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/System/ScriptedAuthorizationProvider.h"

using namespace Aerlo;
using namespace Aerlo::Testing;

namespace {

constexpr double step = FanSpeedController::heightChange;

class FanModeBoxTest : public FanPanelTest {
protected:
    void SetUp() override
    {
        FanPanelTest::SetUp();
        setHelperInstalled(true);
    }

    FanSpeedController& load()
    {
        FanSpeedController& panel = loadPanelQuietly<FanSpeedController>();
        collapsed_ = panelWindow().frame();
        return panel;
    }
    void clickLeft(FanSpeedController& panel) { panel.leftExpandCollapseButton->performClick(); }
    void clickRight(FanSpeedController& panel) { panel.rightExpandCollapseButton->performClick(); }
    // Lets the running animation end.
    void finish() { advance(FanSpeedController::animationDuration + 0.01); }

    // The window for `boxes` shown boxes, its top edge where it was.
    void expectWindowFor(int boxes)
    {
        const Kit::Rect frame = panelWindow().frame();
        EXPECT_DOUBLE_EQ(frame.height(), collapsed_.height() + step * boxes);
        EXPECT_DOUBLE_EQ(frame.maxY(), collapsed_.maxY());
    }
    // A view's distance from the top edge of the controls' layer (which stays at the panel's top).
    static double fromTop(FanSpeedController&, const Kit::View& view)
    {
        return view.superview()->frame().height() - view.frame().y();
    }

    Kit::Rect collapsed_;
};

TEST_F(FanModeBoxTest, ExpandingTheLeftBoxMakesRoomAndShowsItAfterTheGroupStarts)
{
    FanSpeedController& panel = load();
    const double rightTop = fromTop(panel, *panel.rightFanView);
    clickLeft(panel);
    EXPECT_TRUE(panel.isAnimationRunning);
    EXPECT_TRUE(panel.leftFanModeBox->isHidden());
    advance(0.01);
    EXPECT_FALSE(panel.leftFanModeBox->isHidden());
    EXPECT_FALSE(panel.isExpandedLeft);
    finish();
    EXPECT_TRUE(panel.isExpandedLeft);
    EXPECT_FALSE(panel.isAnimationRunning);
    expectWindowFor(1);
    EXPECT_DOUBLE_EQ(fromTop(panel, *panel.rightFanView), rightTop + step);
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"展开"});

    clickLeft(panel);
    finish();
    EXPECT_FALSE(panel.isExpandedLeft);
    EXPECT_TRUE(panel.leftFanModeBox->isHidden());
    expectWindowFor(0);
    EXPECT_DOUBLE_EQ(fromTop(panel, *panel.rightFanView), rightTop);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"展开", "收起"}));
}

TEST_F(FanModeBoxTest, AFastDoubleClickOnEitherButtonRunsOneAnimation)
{
    FanSpeedController& panel = load();
    clickLeft(panel);
    clickLeft(panel);
    finish();
    EXPECT_TRUE(panel.isExpandedLeft);
    expectWindowFor(1);

    clickRight(panel);
    advance(0.1);
    clickRight(panel);
    finish();
    EXPECT_TRUE(panel.isExpandedRight);
    expectWindowFor(2);
    // Later clicks change the window by one step each, never more.
    clickRight(panel);
    finish();
    expectWindowFor(1);
}

TEST_F(FanModeBoxTest, ARightClickWhileTheLeftAnimatesIsIgnored)
{
    FanSpeedController& panel = load();
    clickLeft(panel);
    advance(0.2);
    clickRight(panel);
    finish();
    EXPECT_TRUE(panel.isExpandedLeft);
    EXPECT_FALSE(panel.isExpandedRight);
    EXPECT_TRUE(panel.rightFanModeBox->isHidden());
    expectWindowFor(1);
}

TEST_F(FanModeBoxTest, WithTheLeftBoxShownTheRightBoxShiftsByEighty)
{
    FanSpeedController& panel = load();
    clickLeft(panel);
    finish();
    const double boxTop = fromTop(panel, *panel.rightFanModeBox);
    clickRight(panel);
    finish();
    EXPECT_DOUBLE_EQ(fromTop(panel, *panel.rightFanModeBox), boxTop + FanSpeedController::rightBoxShift);
    EXPECT_FALSE(panel.rightFanModeBox->isHidden());
    clickRight(panel);
    finish();
    EXPECT_DOUBLE_EQ(fromTop(panel, *panel.rightFanModeBox), boxTop);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"展开", "展开", "右边收起"}));
}

TEST_F(FanModeBoxTest, TheWindowHeightFollowsTheShownBoxesAfterAnySequence)
{
    FanSpeedController& panel = load();
    const std::vector<char> sequence {'L', 'R', 'L', 'R', 'R', 'L', 'R', 'L', 'L'};
    for (char button : sequence) {
        button == 'L' ? clickLeft(panel) : clickRight(panel);
        finish();
        SCOPED_TRACE(button);
        expectWindowFor(int(panel.isExpandedLeft) + int(panel.isExpandedRight));
        EXPECT_EQ(panel.leftFanModeBox->isHidden(), !panel.isExpandedLeft);
        EXPECT_EQ(panel.rightFanModeBox->isHidden(), !panel.isExpandedRight);
    }
}

TEST_F(FanModeBoxTest, WithoutAWindowTheFlagsFlipAndNoFrameChanges)
{
    auto panel = std::make_shared<FanSpeedController>();
    panel->view();
    const double rightY = panel->rightFanView->frame().y();
    panel->leftExpandCollapseButton->performClick();
    finish();
    EXPECT_TRUE(panel->isExpandedLeft);
    EXPECT_FALSE(panel->leftFanModeBox->isHidden());
    EXPECT_DOUBLE_EQ(panel->rightFanView->frame().y(), rightY - step);
    EXPECT_EQ(panel->view()->frame().height(), FanSpeedController::height);
}

class FanHelperButtonsTest : public FanModeBoxTest {
protected:
    void SetUp() override
    {
        FanModeBoxTest::SetUp();
        machine_ = std::make_unique<SensorsMachine>("mbp-m1pro-2fan");
        delegate_ = AppDelegate::make();
    }
    void TearDown() override
    {
        delegate_->fanSpeedWindowController.reset();
        delegate_.reset();
        machine_.reset();
        SystemPlatform::AuthorizationProvider::replaceShared(nullptr);
        FanModeBoxTest::TearDown();
    }
    FanSpeedController& loadShown()
    {
        FanSpeedController& panel = load();
        delegate_->fanSpeedWindowController = windowController_;
        return panel;
    }

    std::unique_ptr<SensorsMachine> machine_;
    std::shared_ptr<AppDelegate> delegate_;
};

TEST_F(FanHelperButtonsTest, CancellingTheUninstallChangesNothing)
{
    FanSpeedController& panel = loadShown();
    alerts_->enqueue(Kit::AlertScript::button(1));
    panel.uninstallFanControlHelper->performClick();
    ASSERT_EQ(alerts_->shown().size(), 1u);
    const Kit::ShownAlert& alert = alerts_->shown()[0];
    EXPECT_EQ(alert.messageText, LocalizationTable::text("alert.unInstallFansHelper.title"));
    EXPECT_EQ(alert.buttons, (std::vector<std::string> {LocalizationTable::text("Ok"), LocalizationTable::text("Cancel")}));
    EXPECT_FALSE(alert.asSheet);
    EXPECT_EQ(alert.mode, Foundation::RunLoop::Mode::modal);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"开始卸载风扇控制程序Helper", "用户点击了取消"}));
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_TRUE(takePosts().empty());
    EXPECT_TRUE(panelWindow().isVisible());
}

TEST_F(FanHelperButtonsTest, ConfirmingHandsTheFansBackRemovesTheHelperFoldsTheBoxesAndCloses)
{
    FanSpeedController& panel = loadShown();
    clickLeft(panel);
    finish();
    clickRight(panel);
    finish();
    expectWindowFor(2);
    clickSegment(panel, 2);
    takeMessages();
    console_.clear();

    alerts_->enqueue(Kit::AlertScript::button(0));
    panel.uninstallFanControlHelper->performClick();
    EXPECT_EQ(takeMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0), "uninstall"}));
    EXPECT_EQ(takePosts(), std::vector<std::string> {"fanHelperState state=false"});
    EXPECT_FALSE(panel.isExpandedLeft);
    EXPECT_FALSE(panel.isExpandedRight);
    EXPECT_TRUE(panel.leftFanModeBox->isHidden());
    EXPECT_TRUE(panel.rightFanModeBox->isHidden());
    expectWindowFor(0);
    EXPECT_FALSE(panelWindow().isVisible());
    EXPECT_EQ(panel.fanModeSegmented->selectedSegment(), 0);
    EXPECT_EQ(defaults().integer(SettingsKey::fanModeSelectedSegment), 2);
    const auto lines = console_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "--------左、右都已展开---------"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "用户点击了确定"), lines.end());

    // The folded panel opens again as it was built.
    clickLeft(panel);
    finish();
    expectWindowFor(1);
}

TEST_F(FanHelperButtonsTest, AnUninstallDuringAnAnimationFoldsForGood)
{
    FanSpeedController& panel = loadShown();
    clickLeft(panel);
    finish();
    clickRight(panel);
    advance(0.2);
    alerts_->enqueue(Kit::AlertScript::button(0));
    panel.uninstallFanControlHelper->performClick();
    finish();
    EXPECT_FALSE(panel.isExpandedLeft);
    EXPECT_FALSE(panel.isExpandedRight);
    EXPECT_FALSE(panel.isAnimationRunning);
    EXPECT_TRUE(panel.leftFanModeBox->isHidden());
    EXPECT_TRUE(panel.rightFanModeBox->isHidden());
    expectWindowFor(0);
    // And the buttons work again from the folded state.
    panelWindow().orderFront();
    clickRight(panel);
    finish();
    EXPECT_TRUE(panel.isExpandedRight);
    expectWindowFor(1);
}

TEST_F(FanHelperButtonsTest, AFailedInstallPostsNothing)
{
    setHelperInstalled(false);
    auto authorization = std::make_shared<SystemPlatform::ScriptedAuthorizationProvider>(
        SystemPlatform::ScriptedAuthorization::deny);
    SystemPlatform::AuthorizationProvider::replaceShared(authorization);
    FanSpeedController& panel = loadShown();
    EXPECT_FALSE(panel.installFanControlHelper->isHidden());
    panel.installFanControlHelper->performClick();
    EXPECT_TRUE(takePosts().empty());
    const auto lines = console_.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "安装风扇控制程序Helper");
    EXPECT_FALSE(panel.installFanControlHelper->isHidden());
}

} // namespace
