#include "Classes/App/AppDelegate.h"
#include "Classes/Windows/FanControl/FanSpeedController.h"
#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/SensorPopup.h"
#include "Classes/Views/SensorView.h"
#include "Classes/Views/ValueSensorView.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/View.h"
#include "tests/Windows/FanControl/FanPanelTest.h"

#include <tuple>

using namespace Aerlo;
using namespace Aerlo::Testing;

namespace {

class FanWindowTest : public FanPanelTest {};

TEST_F(FanWindowTest, TheWindowIsTransparentAndHeldByItsController)
{
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    Kit::Window& window = panelWindow();
    EXPECT_EQ(window.delegate(), windowController_.get());
    EXPECT_FALSE(window.isOpaque());
    EXPECT_TRUE(window.titlebarAppearsTransparent());
    EXPECT_NE(window.styleMask() & Kit::Window::fullSizeContentView, 0u);
    EXPECT_EQ(window.contentView(), panel.view());
    EXPECT_EQ(window.contentView()->frame().size, (Kit::Size {FanSpeedController::width, FanSpeedController::height}));
    // The controls stay at the top when the panel grows (the sensor popup goes under them).
    Kit::SegmentedControl& control = *panel.fanModeSegmented;
    const auto fromTop = [&] { return panel.view()->frame().height() - control.convertTo(control.bounds(), nullptr).maxY(); };
    const double before = fromTop();
    EXPECT_DOUBLE_EQ(before, 54);
    window.setContentSize({FanSpeedController::width, FanSpeedController::height + 400});
    EXPECT_DOUBLE_EQ(fromTop(), before);
}

TEST_F(FanWindowTest, AClickElsewhereClosesTheWindowOnce)
{
    loadPanel<FanSpeedController>();
    ASSERT_TRUE(panelWindow().isKeyWindow());
    console_.clear();
    Kit::Window other({0, 0, 100, 100}, Kit::Window::titled);
    other.makeKeyAndOrderFront();
    EXPECT_FALSE(panelWindow().isVisible());
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"移除FanSpeedController"});
    // Shown again: the same panel.
    auto* before = windowController_->contentViewController().get();
    windowController_->showWindow();
    EXPECT_TRUE(panelWindow().isVisible());
    EXPECT_EQ(windowController_->contentViewController().get(), before);
}

TEST_F(FanWindowTest, StandingAloneTheWindowStaysOpenWhenAnotherBecomesKey)
{
    loadPanel<FanSpeedController>();
    auto* controller = dynamic_cast<QVFanSpeedWindowController*>(windowController_.get());
    ASSERT_NE(controller, nullptr);
    controller->setStandsAlone();
    Kit::Window other({0, 0, 100, 100}, Kit::Window::titled);
    other.makeKeyAndOrderFront();
    EXPECT_TRUE(panelWindow().isVisible());
}

TEST_F(FanWindowTest, TheScenesAreTheTwoPanels)
{
    QVFanSpeedWindowController::registerScenes();
    const auto two = Storyboard::instantiateWindowController("FanSpeedController");
    const auto one = Storyboard::instantiateWindowController("FanSpeedController", "SingleFanWindowController");
    const auto* twoPanel = dynamic_cast<const FanSpeedPanel*>(two->contentViewController().get());
    const auto* onePanel = dynamic_cast<const FanSpeedPanel*>(one->contentViewController().get());
    ASSERT_TRUE(twoPanel && onePanel);
    EXPECT_TRUE(twoPanel->isTwoFanPanel());
    EXPECT_FALSE(onePanel->isTwoFanPanel());
    EXPECT_NE(dynamic_cast<QVFanSpeedWindowController*>(one.get()), nullptr);
}

TEST_F(FanWindowTest, TheConfiguredWindowKeepsTheSensorPopupUnderTheControls)
{
    setHelperInstalled(true);
    auto delegate = AppDelegate::make();
    FanSpeedController& panel = loadPanel<FanSpeedController>();
    delegate->fanSpeedWindowController = windowController_;
    delegate->configureFanSpeedWindow(windowController_);
    driver().runUntilIdle();
    const double height = FanSpeedController::height + 400;
    EXPECT_EQ(panelWindow().contentView()->frame().height(), height);
    // The right card's bottom stays above the popup's scroll view (its top 20 points into the panel).
    const auto bottomOf = [](Kit::View& view) { return view.convertTo(view.bounds(), nullptr).minY(); };
    EXPECT_GE(bottomOf(*panel.rightFanView), 420.0);
    panel.leftExpandCollapseButton->performClick();
    advance(0.6);
    EXPECT_EQ(panelWindow().contentView()->frame().height(), height + FanSpeedController::heightChange);
    EXPECT_GE(bottomOf(*panel.rightFanView), 420.0);
    Kit::Testing::Snapshot::of(panelWindow(), 1).save("panels", "two-fan-window-left-box");
    delegate->fanSpeedWindowController.reset();
}

TEST_F(FanWindowTest, TheSensorValuesEndInsideThePopup)
{
    setHelperInstalled(true);
    auto delegate = AppDelegate::make();
    loadPanel<FanSpeedController>();
    delegate->fanSpeedWindowController = windowController_;
    std::vector<Sensor_p> readings;
    for (const auto& [key, name, value] : std::vector<std::tuple<std::string, std::string, double>> {
             {"TC0E", "CPU diode virtual", 55.3}, {"TC0P", "CPU proximity", 49.5}, {"TG0D", "GPU Intel Graphics", 105.25}})
        readings.push_back(Sensor {.key = key, .name = name, .value = value, .group = SensorGroup::CPU,
            .type = SensorType::temperature, .platforms = {}});
    delegate->sensorsList = readings;
    delegate->configureFanSpeedWindow(windowController_);
    driver().runUntilIdle();
    ASSERT_TRUE(panelWindow().isVisible());
    // Shown with the short texts; the first refresh on screen writes the longer, precise ones.
    panelWindow().displayIfNeeded();
    delegate->popupView->update(readings);
    driver().runUntilIdle();
    panelWindow().displayIfNeeded();

    const double w = FanSpeedController::width;
    std::shared_ptr<SensorPopup> popup;
    for (const auto& view : panelWindow().contentView()->subviews())
        if (const auto* scroll = dynamic_cast<Kit::ScrollView*>(view.get()))
            popup = std::dynamic_pointer_cast<SensorPopup>(scroll->documentView());
    ASSERT_TRUE(popup);
    const auto inWindow = [](Kit::View& view) { return view.convertTo(view.bounds(), nullptr); };
    EXPECT_EQ(inWindow(*popup).x(), 10);
    EXPECT_EQ(inWindow(*popup).width(), w - 20);
    int rows = 0;
    for (const auto& view : popup->arrangedSubviews()) {
        const auto row = std::dynamic_pointer_cast<SensorView>(view);
        if (!row)
            continue;
        ++rows;
        Kit::TextField& value = *row->valueView()->valueView();
        SCOPED_TRACE(value.stringValue());
        EXPECT_EQ(row->frame().width(), w - 20);
        EXPECT_LE(inWindow(value).maxX(), w - 10);
        EXPECT_GE(value.frame().width(), value.intrinsicContentSize().width);
        // Every glyph is drawn: the ink spans nearly the whole text.
        const auto ink = Kit::Testing::Snapshot::of(value).inkBounds();
        ASSERT_TRUE(ink);
        EXPECT_GE(ink->width(), value.intrinsicContentSize().width - 8);
    }
    EXPECT_EQ(rows, 3);
    Kit::Testing::Snapshot::of(panelWindow(), 1).save("panels", "two-fan-window-sensor-values");
    delegate->fanSpeedWindowController.reset();
}

TEST(FanPanelTextTest, PositionsPercentagesAndLimits)
{
    struct Case {
        double speed, min, max, position;
        const char* percent;
    };
    const std::vector<Case> cases {
        {2999, 0, 5999, 2999.0 / 5999, "49%"},
        {7000, 0, 5999, 1.0, "100%"},
        {-5, 0, 5999, 0.0, "0%"},
        {100, 100, 100, 0.0, "0%"},
        // Above an empty range: a full position.
        {200, 100, 100, 1.0, "100%"},
        {100, 0, 0, 1.0, "100%"},
        {3000, 0, -1, 0.0, "0%"},
        {std::nan(""), 0, 6000, 0.0, "0%"},
        {0.6, 0, 100, 0.006, "0%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        const double p = FanPanelController::position(c.speed, c.min, c.max);
        EXPECT_DOUBLE_EQ(p, c.position);
        EXPECT_EQ(FanPanelController::percentText(p), c.percent);
    }
    EXPECT_EQ(FanPanelController::limitText(5999.5), "6000");
    EXPECT_EQ(FanPanelController::limitText(-1), "-1");
    EXPECT_EQ(FanPanelController::limitText(-0.5), "-1");
    EXPECT_EQ(FanPanelController::describe(0.5), "0.5");
    EXPECT_EQ(FanPanelController::describe(2), "2.0");
}

} // namespace
