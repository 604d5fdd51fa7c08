#include "Classes/Configure/Global/SettingsKey.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/StatusItemTray.h"
#include "QVToolsKit/UI/ViewAnimations.h"
#include "tests/App/AppShellTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <cmath>

using namespace Aerlo;

namespace {

class StatusItemTest : public AppShellTest {
protected:
    void SetUp() override
    {
        AppShellTest::SetUp();
        setBool(SettingsKey::isEnableStatusBarIconAnimation, true);
        setBool(SettingsKey::isDisplayCPUStatusBar, true);
        fanCount = 2;
        delegate_->setUpStatusItem();
    }
    static void setBool(std::string_view key, bool value) { (void)Foundation::UserDefaults::standard().set(value, key); }
    void refresh(int left, int right)
    {
        delegate_->refreshStatusBar(left, right);
        statusView().layoutSubtreeIfNeeded();
    }
    double period() const
    {
        const auto animation = statusView().icon->layer().animation(QVToolsKit::rotationAnimationKey);
        return animation ? animation->duration : 0;
    }
    bool iconPaused() const { return statusView().icon->layer().speed() == 0; }
};

// The same angle up to whole turns.
::testing::AssertionResult sameAngle(double a, double b)
{
    const double turn = 2 * M_PI;
    const double d = std::remainder(a - b, turn);
    if (std::abs(d) < 1e-6)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " and " << b << " differ by " << d;
}

TEST_F(StatusItemTest, SetUpMakesAVisibleItemWithTheViewInItsButton)
{
    EXPECT_EQ(item().length(), 60);
    EXPECT_TRUE(item().isVisible());
    EXPECT_EQ(statusView().frame(), (Kit::Rect {0, 0, 100, 22}));
    EXPECT_EQ(statusView().superview(), item().button());
    EXPECT_TRUE(statusView().icon->image().isTemplate());
    EXPECT_EQ(statusView().icon->image().size(), (Kit::Size {20, 20}));
    EXPECT_EQ(statusView().textFieldWidth, 45);
}

TEST_F(StatusItemTest, WidthFollowsTheFanCountTheTemperatureSettingAndStoppedFans)
{
    const struct {
        double fans;
        bool cpu;
        int left, right;
        double width;
    } rows[] = {
        {1, true, 1500, 0, 65}, {1, false, 1500, 0, 65}, {2, true, 1500, 1400, 105}, {2, false, 1500, 1400, 70},
        {3, true, 1500, 1400, 105}, {3, false, 1500, 1400, 70}, {0, false, 1500, 0, 70},
        // Fans off.
        {2, true, 0, 0, 60}, {2, false, 0, 0, 30}, {1, true, 0, 0, 60}, {1, false, 0, 0, 60}, {3, false, 0, 0, 60},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.fans) + (row.cpu ? " cpu " : " ") + std::to_string(row.left));
        fanCount = row.fans;
        setBool(SettingsKey::isDisplayCPUStatusBar, row.cpu);
        refresh(row.left, row.right);
        EXPECT_EQ(item().length(), row.width);
        EXPECT_EQ(statusView().frame().width(), row.width);
    }
}

TEST_F(StatusItemTest, SpinPeriodFollowsTheFasterFan)
{
    const struct {
        int left, right;
        double period;
    } rows[] = {{1999, 0, 2.0}, {0, 2000, 1.0}, {2999, 100, 1.0}, {3000, 0, 0.8}, {1200, 4000, 0.8}, {1, 0, 2.0}};
    for (const auto& row : rows) {
        refresh(row.left, row.right);
        EXPECT_EQ(period(), row.period) << row.left << " " << row.right;
        EXPECT_FALSE(iconPaused());
    }
}

TEST_F(StatusItemTest, TwoStoppedFansHideTheSpeedsAndPauseTheIcon)
{
    refresh(2500, 2500);
    driver_.advance(0.3);
    refresh(0, 0);
    EXPECT_TRUE(statusView().leftFanSpeedText->isHidden());
    EXPECT_TRUE(statusView().rightFanSpeedText->isHidden());
    EXPECT_TRUE(iconPaused());
    const double angle = iconAngle();
    driver_.advance(0.4);
    EXPECT_TRUE(sameAngle(iconAngle(), angle));

    // Turning again resumes from the paused angle.
    refresh(2500, 2500);
    EXPECT_FALSE(iconPaused());
    EXPECT_TRUE(sameAngle(iconAngle(), angle));
    EXPECT_FALSE(statusView().leftFanSpeedText->isHidden());
}

TEST_F(StatusItemTest, OneStoppedFanShowsFansOffWithTheTemperature)
{
    fanCount = 1;
    delegate_->CPUTemperature = 52.6f;
    refresh(0, 0);
    EXPECT_EQ(statusView().leftFanSpeedText->stringValue, "Fans Off");
    EXPECT_TRUE(statusView().rightFanSpeedText->isHidden());
    EXPECT_FALSE(statusView().temperatureText->isHidden());
    EXPECT_EQ(statusView().temperatureText->stringValue, "52℃");
    // The one-fan layout with the temperature.
    EXPECT_EQ(statusView().temperatureText->frame(), (Kit::Rect {22 + 6.5, 11, 30, 13}));
    EXPECT_EQ(statusView().temperatureText->font.pointSize(), 10);
    refresh(1800, 0);
    EXPECT_EQ(statusView().leftFanSpeedText->stringValue, "1800 rpm");
}

TEST_F(StatusItemTest, TextsAndTemperatureInTheChosenUnit)
{
    delegate_->CPUTemperature = 37.9f;
    (void)Foundation::UserDefaults::standard().set(std::int64_t {1}, SettingsKey::temperatureUnitIndex);
    refresh(1234, 2345);
    EXPECT_EQ(statusView().leftFanSpeedText->stringValue, "1234 rpm");
    EXPECT_EQ(statusView().rightFanSpeedText->stringValue, "2345 rpm");
    EXPECT_EQ(statusView().temperatureText->stringValue, "100℉");
    EXPECT_EQ(item().button()->toolTip(), "1234 rpm\n2345 rpm\n100℉");

    setBool(SettingsKey::isDisplayCPUStatusBar, false);
    refresh(1234, 2345);
    EXPECT_TRUE(statusView().temperatureText->isHidden());
}

TEST_F(StatusItemTest, WithTheAnimationOffTheIconKeepsItsAngleWhileTheTextsChange)
{
    refresh(2500, 2500);
    driver_.advance(0.3);
    setBool(SettingsKey::isEnableStatusBarIconAnimation, false);
    refresh(2600, 2600);
    const double angle = iconAngle();
    EXPECT_TRUE(iconPaused());
    for (int tick = 0; tick < 3; ++tick) {
        driver_.advance(1);
        refresh(3100 + tick, 3200);
        EXPECT_TRUE(sameAngle(iconAngle(), angle));
        EXPECT_EQ(statusView().leftFanSpeedText->stringValue, std::to_string(3100 + tick) + " rpm");
    }
    EXPECT_EQ(period(), 1.0); // no new turn was started
}

TEST_F(StatusItemTest, TheSamePeriodOnTheNextTickKeepsTheTurn)
{
    refresh(2500, 2500);
    const auto turn = statusView().icon->layer().animation(QVToolsKit::rotationAnimationKey);
    driver_.advance(0.25);
    const double angle = iconAngle();
    EXPECT_FALSE(sameAngle(angle, 0));
    refresh(2600, 2400);
    EXPECT_EQ(statusView().icon->layer().animation(QVToolsKit::rotationAnimationKey), turn);
    EXPECT_TRUE(sameAngle(iconAngle(), angle));
    refresh(3500, 2400);
    EXPECT_NE(statusView().icon->layer().animation(QVToolsKit::rotationAnimationKey), turn);
    EXPECT_EQ(period(), 0.8);
}

TEST_F(StatusItemTest, VisibilityFollowsTheSettingAndPrints)
{
    setBool(SettingsKey::isHiddenStatusBar, true);
    console_.clear();
    delegate_->updateStatusItemVisibility();
    EXPECT_FALSE(item().isVisible());
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"更新状态栏图标。。。。", "----隐藏菜单栏图标------"}));
    setBool(SettingsKey::isHiddenStatusBar, false);
    console_.clear();
    delegate_->updateStatusItemVisibility();
    EXPECT_TRUE(item().isVisible());
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"更新状态栏图标。。。。", "----显示菜单栏图标------"}));
}

TEST_F(StatusItemTest, RendersTheTwoFanOneFanAndFansOffLayouts)
{
    delegate_->CPUTemperature = 48;
    const struct {
        const char* name;
        double fans;
        int left, right;
        double width;
    } layouts[] = {{"status-two-fans", 2, 2450, 2380, 105}, {"status-one-fan", 1, 1800, 0, 65}, {"status-fans-off", 2, 0, 0, 60}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        fanCount = layout.fans;
        refresh(layout.left, layout.right);
        statusView().layoutSubtreeIfNeeded();
        Kit::Testing::Snapshot shot = Kit::Testing::Snapshot::of(statusView(), 2);
        shot.save("app", layout.name);
        EXPECT_EQ(shot.size(), (Kit::Size {layout.width, 22}));
        const auto ink = shot.inkBounds();
        ASSERT_TRUE(ink);
        // The icon at the left edge, the temperature reaching towards the right.
        EXPECT_LT(ink->minX(), 5);
        EXPECT_GT(ink->maxX(), layout.width - 25);
        // Speed texts between the icon and the temperature while fans turn.
        if (layout.left != 0) {
            EXPECT_FALSE(shot.isClear({24, 2, 30, 18}));
        }
    }
}

TEST_F(StatusItemTest, NoSpeedIsClippedWithOrWithoutTheTemperature)
{
    delegate_->CPUTemperature = 48;
    for (const bool temperature : {true, false}) {
        SCOPED_TRACE(temperature);
        setBool(SettingsKey::isDisplayCPUStatusBar, temperature);
        refresh(2450, 2380);
        QVStatusBarView& view = statusView();
        EXPECT_EQ(view.frame().width(), temperature ? 105 : 70);
        Kit::Testing::Snapshot::of(view, 2).save("app", temperature ? "status-two-fans-2450" : "status-two-fans-no-cpu");
        EXPECT_TRUE(Kit::Testing::drawnWhole(*view.leftFanSpeedText));
        EXPECT_TRUE(Kit::Testing::drawnWhole(*view.rightFanSpeedText));
        // "2450 rpm" needs 38.98 points: its frame is rounded up, and the speeds reach well past "2".
        EXPECT_EQ(view.leftFanSpeedText->frame().width(), temperature ? 39 : 48);
        const auto ink = Kit::Testing::Snapshot::of(*view.leftFanSpeedText, 2).inkBounds();
        ASSERT_TRUE(ink);
        EXPECT_GT(ink->maxX(), 36);
    }
}

TEST_F(StatusItemTest, TheTrayShowsTheFanAtEachStepOfItsTurnAndTheTicksDrawItOnce)
{
    Kit::StatusItemTray tray(item());
    delegate_->CPUTemperature = 48;
    refresh(2450, 2380); // a turn a second
    driver_.advance(0);
    const double step = 1.0 / Kit::StatusItemTray::framesPerSecond;
    Kit::Image previous = tray.icon();
    for (int i = 1; i <= 3; ++i) {
        driver_.advance(step * 1.01);
        const Kit::Testing::Snapshot frame(tray.icon());
        frame.save("app", "status-tray-fan-step-" + std::to_string(i));
        EXPECT_EQ(frame.size(), (Kit::Size {22, 22}));
        ASSERT_TRUE(frame.inkBounds());
        EXPECT_FALSE(tray.icon() == previous) << "step " << i;
        previous = tray.icon();
    }
    // A second later, a tick with other speeds: the texts change, the fan's frames stay.
    driver_.advance(1 - 3 * step * 1.01);
    const std::size_t drawn = tray.renderedFrames();
    refresh(2460, 2390);
    for (int i = 0; i < 12; ++i)
        driver_.advance(step * 1.01);
    EXPECT_EQ(statusView().leftFanSpeedText->stringValue, "2460 rpm");
    EXPECT_LE(tray.renderedFrames() - drawn, 1u) << "only the frame after the tick is drawn again";
}

} // namespace

namespace {

TEST_F(StatusItemTest, ArrangePlacesTheTextsBesideTheIconUntilTheNextLayoutPass)
{
    QVStatusBarView& view = statusView();
    view.setFrame({0, 0, 105, 22});
    view.arrange(true);
    EXPECT_EQ(view.icon->frame(), (Kit::Rect {0, 0, 22, 22}));
    EXPECT_EQ(view.leftFanSpeedText->frame(), (Kit::Rect {24, 11, 45, 11}));
    EXPECT_EQ(view.rightFanSpeedText->frame(), (Kit::Rect {24, 0, 45, 11}));
    EXPECT_EQ(view.temperatureText->frame(), (Kit::Rect {72, 3, 30, 16}));
    view.arrange(false);
    EXPECT_TRUE(view.leftFanSpeedText->isHidden());
    EXPECT_TRUE(view.rightFanSpeedText->isHidden());
    EXPECT_EQ(view.temperatureText->frame(), (Kit::Rect {24, 3, 30, 16}));

    // The layout pass: the two-fan frames.
    view.layout();
    EXPECT_EQ(view.icon->frame(), (Kit::Rect {2, 3, 16, 16}));
    EXPECT_EQ(view.leftFanSpeedText->frame(), (Kit::Rect {22, 11, 38, 11}));
    EXPECT_EQ(view.rightFanSpeedText->frame(), (Kit::Rect {22, 0, 38, 11}));
    EXPECT_EQ(view.temperatureText->frame(), (Kit::Rect {60, 0, 45, 22}));
    EXPECT_EQ(view.icon->layer().anchorPoint(), (Kit::Point {0.5, 0.5}));
}

class DarkStatusItemTest : public AppShellTest {};

TEST_F(DarkStatusItemTest, TheIconIsChosenOnceByTheAppearance)
{
    Kit::Appearance::setApplication(Kit::Appearance::darkAqua());
    delegate_->setUpStatusItem();
    const Kit::Image dark = statusView().icon->image();
    Kit::Appearance::setApplication(Kit::Appearance::aqua());
    statusView().layoutSubtreeIfNeeded();
    EXPECT_EQ(statusView().icon->image(), dark);
    // "fan_black.fill": an opaque pixel of the drawing is black.
    bool black = false;
    for (double x = 2; x < 18 && !black; x += 0.5)
        for (double y = 2; y < 18 && !black; y += 0.5) {
            const Kit::Colour c = dark.colourAt({x, y});
            black = c.alphaComponent() > 0.9 && c.redComponent() < 0.1;
        }
    EXPECT_TRUE(black);
}

} // namespace
