#include "Classes/Views/QVSlider.h"
#include "Classes/Views/QVSliderCell.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/ActiveMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Views/ViewsTest.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace Aerlo;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

constexpr Kit::Rect sliderFrame {10, 20, 221, 21};

class FanSliderTest : public Testing::ViewsTest {
protected:
    void TearDown() override
    {
        SystemPlatform::ActiveMachine::reset();
        ViewsTest::TearDown();
    }

    // A slider made by its builder in a window, its handler recording the values it hears.
    std::shared_ptr<QVSlider> makeSlider()
    {
        Kit::View& content = makeWindow({260, 60});
        auto slider = makeFromStoryboard<QVSlider>(sliderFrame);
        slider->valueChangedHandler = [this](double value) { heard.push_back(value); };
        content.addSubview(slider);
        return slider;
    }
    QVSliderCell& cellOf(QVSlider& slider) { return dynamic_cast<QVSliderCell&>(slider.cell()); }

    // A point of the window over the slider at a fraction of the knob's travel (200 points).
    static Kit::Point at(double fraction) { return {20.5 + 200 * fraction, 30}; }

    // The bar rectangle in the window's (y-up) coordinates.
    Kit::Rect barInWindow(QVSlider& slider)
    {
        const Kit::Rect bar = cellOf(slider).barRect(true);
        return slider.convertTo(bar, nullptr).standardized();
    }

    std::vector<double> heard;
};

TEST_F(FanSliderTest, ADragDropsValuesSetByCodeUntilItEnds)
{
    auto slider = makeSlider();
    EventInjector input(window());
    input.down(at(0.2));
    EXPECT_TRUE(cellOf(*slider).isTracking);
    input.dragTo(at(0.3));
    slider->setDoubleValue(0.9);
    EXPECT_NEAR(slider->doubleValue(), 0.3, 1e-9);
    input.up(at(0.3));
    EXPECT_FALSE(cellOf(*slider).isTracking);
    slider->setDoubleValue(0.9);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.9);
    ASSERT_FALSE(heard.empty());
    EXPECT_NEAR(heard.back(), 0.3, 1e-9);
}

TEST_F(FanSliderTest, ALostMouseEndsTheDragAndCodeMayMoveTheSliderAgain)
{
    auto slider = makeSlider();
    EventInjector input(window());
    input.down(at(0.4));
    slider->mouseTrackingCancelled();
    EXPECT_FALSE(cellOf(*slider).isTracking);
    slider->setDoubleValue(0.75);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.75);
}

TEST_F(FanSliderTest, ADisabledSliderTakesValuesEvenWhileItsCellTracks)
{
    auto slider = makeSlider();
    slider->setEnabled(false);
    cellOf(*slider).isTracking = true;
    slider->setDoubleValue(0.6);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 0.6);
}

TEST_F(FanSliderTest, TheBuilderInstallsTheCellRangeAndTargetButTheFrameInitialiserNoTarget)
{
    auto built = makeSlider();
    EXPECT_NE(dynamic_cast<QVSliderCell*>(&built->cell()), nullptr);
    EXPECT_EQ(built->minValue(), 0);
    EXPECT_EQ(built->maxValue(), 1);
    EXPECT_EQ(built->target(), built.get());

    EventInjector input(window());
    input.drag(at(0.1), at(0.6));
    ASSERT_FALSE(heard.empty());
    EXPECT_NEAR(heard.back(), 0.6, 1e-9);
    heard.clear();
    input.wheel(at(0.6), 0, 3);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_NEAR(heard[0], 0.63, 1e-6);

    QVSlider coded(Kit::Rect {0, 0, 100, 21});
    EXPECT_NE(dynamic_cast<QVSliderCell*>(&coded.cell()), nullptr);
    EXPECT_EQ(coded.target(), nullptr);
    EXPECT_FALSE(coded.action().hasAction());
}

TEST_F(FanSliderTest, TheWheelStepsByAHundredthOfTheRangePerLine)
{
    struct Case {
        double start, dx, dy;
        bool inverted, enabled;
        double expected;
        const char* printed; // nullptr: nothing printed
        std::size_t actions;
    };
    const Case cases[] = {
        {0.5, 0, 3, false, true, 0.53, "滑动的快的值: 0.53", 1},
        {0.5, 0, 3, true, true, 0.47, "滑动的快的值: 0.47", 1},
        {0.5, 2, 3, false, true, 0.51, "滑动的快的值: 0.51", 1}, // a horizontal delta counts against
        {1.0, 0, 3, false, true, 1.0, "滑动的快的值: 1.03", 1},
        {0.0, 0, -3, false, true, 0.0, "滑动的快的值: -0.03", 1},
        {0.5, 0, 3, false, false, 0.5, nullptr, 0},
    };
    for (const Case& c : cases) {
        auto slider = makeSlider();
        slider->setDoubleValue(c.start);
        slider->setEnabled(c.enabled);
        heard.clear();
        ConsoleCapture console;
        EventInjector(window()).wheel(at(0.5), c.dx, c.dy, c.inverted);
        EXPECT_NEAR(slider->doubleValue(), c.expected, 1e-6) << c.start << " " << c.dy;
        EXPECT_EQ(heard.size(), c.actions);
        if (c.printed)
            EXPECT_EQ(console.lines(), std::vector<std::string> {c.printed});
        else
            EXPECT_TRUE(console.lines().empty());
    }
}

TEST(FanSliderCell, TheKnobFadesInBetween8And28Hundredths)
{
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(0.05f), 0.0f);
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(0.08f), 0.0f);
    EXPECT_NEAR(QVSliderCell::knobFade(0.18f), 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(0.28f), 1.0f);
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(QVSliderCell::knobFade(1.0f), 1.0f);
}

TEST_F(FanSliderTest, ValuesOutsideTheRangeOrNotNumbersDrawOnTheTrack)
{
    auto slider = makeSlider();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, float>> cases = {
        {nan, 0.0f}, {1.5, 1.0f}, {-0.5, 0.0f}, {inf, 1.0f}, {-inf, 0.0f}};
    for (const auto& [value, drawn] : cases) {
        slider->setDoubleValue(value);
        EXPECT_FLOAT_EQ(cellOf(*slider).drawnFraction(), drawn) << value;
        EXPECT_TRUE(std::isfinite(slider->doubleValue()));
    }
    // Drawn: nothing lies outside the track, knob shadow aside (it trails to the left).
    defaults().set(std::int64_t {2}, "fanModeSelectedSegment");
    slider->setDoubleValue(1.5);
    const Snapshot shot = Snapshot::of(window().contentView() ? *window().contentView() : *slider);
    const Kit::Rect bar = barInWindow(*slider);
    const auto ink = shot.inkBounds();
    ASSERT_TRUE(ink.has_value());
    EXPECT_LE(ink->maxX(), bar.maxX() + 1.5);
}

TEST_F(FanSliderTest, TheBarIsTheKnobsHeightLessSevenAndMovedByOneAndAHalf)
{
    auto slider = makeSlider();
    const Kit::Rect base = cellOf(*slider).Kit::SliderCell::barRect(true);
    const Kit::Rect knob = cellOf(*slider).Kit::SliderCell::knobRect(true);
    const Kit::Rect bar = cellOf(*slider).barRect(true);
    EXPECT_DOUBLE_EQ(bar.x(), base.x() - 1.5);
    EXPECT_DOUBLE_EQ(bar.width(), base.width());
    EXPECT_DOUBLE_EQ(bar.y(), knob.y() + 3.5 - 1.5);
    EXPECT_DOUBLE_EQ(bar.height(), 14);
}

TEST_F(FanSliderTest, RendersTheKnobOnlyInManualModeAndFadesIt)
{
    auto slider = makeSlider();
    cellOf(*slider).knobFillColor = Kit::Colour::whiteColor();
    const Kit::Rect bar = barInWindow(*slider);
    const double w = bar.width(), h = bar.height();
    const auto knobCentre = [&](double v) { return Kit::Point {bar.x() + (w - h) * v + h / 2, bar.midY()}; };
    const auto knobRightEdge = [&](double v) { return Kit::Point {bar.x() + (w - h) * v + h - 0.5, bar.midY()}; };

    defaults().set(std::int64_t {2}, "fanModeSelectedSegment");
    slider->setDoubleValue(0.5);
    const Snapshot manual = Snapshot::of(*window().contentView());
    manual.save("views", "slider-manual-0.5");
    EXPECT_COLOUR_NEAR(manual.colourAt(knobCentre(0.5)), Kit::Colour::whiteColor());
    // The knob's outline shows at its right edge.
    const double outlined = manual.colourAt(knobRightEdge(0.5)).redComponent();

    defaults().set(std::int64_t {0}, "fanModeSelectedSegment");
    slider->setNeedsDisplay();
    const Snapshot system = Snapshot::of(*window().contentView());
    system.save("views", "slider-system-0.5");
    EXPECT_COLOUR_NEAR(system.colourAt(knobCentre(0.5)), Kit::Colour::whiteColor()); // the filled track
    EXPECT_LT(outlined, system.colourAt(knobRightEdge(0.5)).redComponent() - 0.05) << "no knob outline in mode 0";
    // The unfilled track is the translucent grey.
    const Kit::Colour track = system.colourAt({bar.maxX() - h, bar.midY()});
    EXPECT_NEAR(track.alphaComponent(), 0.2, 0.03);

    // At 0.18 the knob body is half opaque (a red body over the white filled track).
    defaults().set(std::int64_t {2}, "fanModeSelectedSegment");
    cellOf(*slider).knobFillColor = Kit::Colour::red();
    slider->setDoubleValue(0.18);
    const Snapshot faded = Snapshot::of(*window().contentView());
    faded.save("views", "slider-manual-0.18");
    EXPECT_COLOUR_NEAR_TOL(faded.colourAt(knobCentre(0.18)), (Kit::Colour {1, 0.5, 0.5, 1}), 0.03);
    slider->setDoubleValue(0.05);
    const Snapshot hidden = Snapshot::of(*window().contentView());
    EXPECT_COLOUR_NEAR(hidden.colourAt(knobCentre(0.05)), Kit::Colour::whiteColor());
}

TEST_F(FanSliderTest, OnSystem26TheTrackIs21High)
{
    // The slider is 21 high, so the taller track runs down to its bottom edge.
    const auto probe = [this](const char* name) {
        auto slider = makeSlider();
        slider->setDoubleValue(1);
        const Kit::Rect bar = barInWindow(*slider);
        const Snapshot shot = Snapshot::of(*window().contentView());
        shot.save("views", name);
        return shot.alphaAt({bar.midX(), bar.maxY() - 17});
    };
    EXPECT_LT(probe("slider-14"), 0.1);

    auto profile = SMCSim::MachineProfile::load(SMCSim::MachineProfile::defaultName);
    ASSERT_TRUE(profile.has_value());
    profile->facts.osVersion = "26.0";
    SystemPlatform::ActiveMachine::set(std::make_shared<const SMCSim::MachineProfile>(*profile));
    EXPECT_GT(probe("slider-26"), 0.9);
}

} // namespace
