#include "Platform/Kit/Slider.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

// Counts the tracking steps its slider goes through.
class CountingSliderCell : public SliderCell {
public:
    bool startTracking(Point point, View& view) override
    {
        ++starts;
        return SliderCell::startTracking(point, view);
    }
    bool continueTracking(Point last, Point current, View& view) override
    {
        ++continues;
        return SliderCell::continueTracking(last, current, view);
    }
    void stopTracking(Point last, Point stop, View& view, bool mouseIsUp) override
    {
        stops.push_back(mouseIsUp);
        SliderCell::stopTracking(last, stop, view, mouseIsUp);
    }

    int starts = 0;
    int continues = 0;
    std::vector<bool> stops;
};

class SliderTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        cell_ = std::make_shared<CountingSliderCell>();
        window_ = std::make_unique<Window>(Rect {100, 100, 260, 60}, Window::borderless);
        container_ = std::make_shared<View>(Rect {0, 0, 260, 60});
        window_->setContentView(container_);
        // 221 wide: the knob's centre travels 200 points, from x 20.5 to 220.5 in the window.
        slider_ = std::make_shared<Slider>(Rect {10, 20, 221, 21});
        slider_->setCell(cell_);
        slider_->setAction(Control::Action([this](Control& sender) { values_.push_back(sender.doubleValue()); }));
        container_->addSubview(slider_);
        window_->orderFront();
    }
    void TearDown() override
    {
        window_.reset();
        KitTest::TearDown();
    }

public:
    // A point over the slider at the given fraction of the knob's travel.
    static Point at(double fraction) { return {20.5 + 200 * fraction, 30}; }

    std::unique_ptr<Window> window_;
    std::shared_ptr<View> container_;
    std::shared_ptr<Slider> slider_;
    std::shared_ptr<CountingSliderCell> cell_;
    std::vector<double> values_;
};

TEST_F(SliderTest, ADragChangesTheValueAndSendsTheActionOncePerStep)
{
    EXPECT_EQ(slider_->minValue(), 0);
    EXPECT_EQ(slider_->maxValue(), 1);
    EXPECT_TRUE(slider_->isContinuous());
    EventInjector input(*window_);
    input.down(at(0.1));
    EXPECT_TRUE(slider_->isTracking());
    input.dragTo(at(0.25));
    input.dragTo(at(0.25)); // no change: no action
    input.dragTo(at(0.6));
    input.dragTo(at(1.5)); // beyond the end: clamped to 1
    input.up(at(1.5));

    ASSERT_EQ(values_.size(), 4u);
    EXPECT_NEAR(values_[0], 0.1, 1e-9);
    EXPECT_NEAR(values_[1], 0.25, 1e-9);
    EXPECT_NEAR(values_[2], 0.6, 1e-9);
    EXPECT_DOUBLE_EQ(values_[3], 1.0);
    EXPECT_DOUBLE_EQ(slider_->doubleValue(), 1.0);
    EXPECT_EQ(cell_->starts, 1);
    EXPECT_EQ(cell_->continues, 4);
    EXPECT_EQ(cell_->stops, std::vector<bool> {true});
    EXPECT_FALSE(slider_->isTracking());
}

TEST_F(SliderTest, ANonContinuousSliderSendsOnceWhenTheDragEnds)
{
    slider_->setContinuous(false);
    EventInjector input(*window_);
    input.drag(at(0), at(0.5), 5);
    ASSERT_EQ(values_.size(), 1u);
    EXPECT_NEAR(values_[0], 0.5, 1e-9);
    // A press and release that change nothing send nothing.
    input.click(at(0.5));
    EXPECT_EQ(values_.size(), 1u);
}

TEST_F(SliderTest, EveryWayADragEndsStopsTrackingExactlyOnce)
{
    struct Ending {
        const char* name;
        std::function<void(SliderTest&)> end;
    };
    const Ending endings[] = {
        {"window hidden", [](SliderTest& t) { t.window_->orderOut(); }},
        {"window closed", [](SliderTest& t) { t.window_->close(); }},
        {"slider disabled", [](SliderTest& t) { t.slider_->setEnabled(false); }},
        {"slider hidden", [](SliderTest& t) { t.slider_->setHidden(true); }},
        {"ancestor hidden", [](SliderTest& t) { t.container_->setHidden(true); }},
        {"removed from its window", [](SliderTest& t) { t.slider_->removeFromSuperview(); }},
        {"cell replaced", [](SliderTest& t) { t.slider_->setCell(std::make_shared<SliderCell>()); }},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        TearDown();
        SetUp();
        EventInjector input(*window_);
        input.down(at(0.2));
        input.dragTo(at(0.4));
        ending.end(*this);
        EXPECT_EQ(cell_->stops, std::vector<bool> {false});
        EXPECT_FALSE(slider_->isTracking());
        // The release that may still come changes nothing.
        input.up(at(0.9));
        EXPECT_EQ(cell_->stops.size(), 1u);
        EXPECT_NEAR(cell_->doubleValue(), 0.4, 1e-9);
    }
}

TEST_F(SliderTest, ADisabledSliderDoesNotTrack)
{
    slider_->setEnabled(false);
    EventInjector input(*window_);
    input.drag(at(0), at(1), 3);
    EXPECT_EQ(cell_->starts, 0);
    EXPECT_TRUE(values_.empty());
    EXPECT_EQ(slider_->doubleValue(), 0);
}

TEST_F(SliderTest, ValuesAreClampedToTheCellsRange)
{
    slider_->setDoubleValue(3);
    EXPECT_EQ(slider_->doubleValue(), 1);
    slider_->setDoubleValue(-1);
    EXPECT_EQ(slider_->doubleValue(), 0);
    slider_->setMaxValue(100);
    slider_->setMinValue(10);
    EXPECT_EQ(slider_->doubleValue(), 10);
    slider_->setFloatValue(55.5f);
    EXPECT_FLOAT_EQ(slider_->floatValue(), 55.5f);
    EXPECT_EQ(slider_->integerValue(), 55);
    slider_->setDoubleValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(slider_->doubleValue(), 10);
    EXPECT_TRUE(values_.empty()); // values set by code send nothing
}

TEST_F(SliderTest, TheKnobSitsAtTheValue)
{
    slider_->setDoubleValue(0.5);
    const Rect knob = cell_->knobRect(true);
    EXPECT_DOUBLE_EQ(knob.width(), SliderCell::knobThickness);
    EXPECT_DOUBLE_EQ(knob.midX(), 110.5);
    const auto shot = Snapshot::of(*slider_, 2);
    shot.save("kit", "slider-half");
    // The bar's filled part lies left of the knob, the track right of it; the knob's body is white.
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({110.5, 10.5}), Colour::whiteColor(), 0.05);
    const Colour left = shot.colourAt({40, 10.5});
    const Colour right = shot.colourAt({180, 10.5});
    EXPECT_GT(left.alphaComponent(), 0.9);
    EXPECT_LT(right.alphaComponent(), left.alphaComponent());
    EXPECT_TRUE(shot.isClear({0, 0, 90, 4}));
    EXPECT_TRUE(shot.isClear({130, 17, 91, 4}));
}

} // namespace
