#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Animation.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Layer.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;

namespace {

class AnimationTest : public Testing::KitTest {
protected:
    double presented(const Layer& layer, const char* keyPath)
    {
        return LayerValues::number(*layer.presentation().value(keyPath)).value();
    }
    std::shared_ptr<BasicAnimation> opacityAnimation(double from, double to, double duration)
    {
        auto a = std::make_shared<BasicAnimation>("opacity");
        a->fromValue = from;
        a->toValue = to;
        a->duration = duration;
        return a;
    }
};

class Recorder : public AnimationDelegate {
public:
    void animationDidStop(Animation&, bool finished) override { stops.push_back(finished); }
    std::vector<bool> stops;
};

TEST_F(AnimationTest, RotationOfOneSecondIsAtNinetyDegreesAfterAQuarter)
{
    Layer layer;
    auto turn = std::make_shared<BasicAnimation>("transform.rotation.z");
    turn->fromValue = 0.0;
    turn->toValue = 2 * M_PI;
    turn->duration = 1;
    layer.addAnimation(turn, "turn");
    advance(0.25);
    EXPECT_NEAR(presented(layer, "transform.rotation.z"), M_PI / 2, 1e-9);
    // The model is untouched.
    EXPECT_EQ(LayerValues::number(*layer.value("transform.rotation.z")), 0.0);
}

TEST_F(AnimationTest, FillModeDecidesWhatAnEndedAnimationShows)
{
    struct Case {
        Animation::FillMode fill;
        bool removedOnCompletion;
        double shownAfterEnd;
        bool kept;
    };
    const Case cases[] = {
        {Animation::FillMode::removed, true, 1.0, false}, {Animation::FillMode::forwards, true, 1.0, false},
        {Animation::FillMode::removed, false, 1.0, true}, {Animation::FillMode::forwards, false, 0.2, true},
        {Animation::FillMode::both, false, 0.2, true},
    };
    for (const auto& c : cases) {
        Layer layer;
        auto a = opacityAnimation(0.6, 0.2, 0.5);
        a->fillMode = c.fill;
        a->isRemovedOnCompletion = c.removedOnCompletion;
        layer.addAnimation(a, "fade");
        advance(0.25);
        EXPECT_NEAR(presented(layer, "opacity"), 0.4, 1e-9);
        advance(0.5);
        EXPECT_NEAR(presented(layer, "opacity"), c.shownAfterEnd, 1e-9);
        EXPECT_EQ(layer.animation("fade") != nullptr, c.kept);
    }
}

TEST_F(AnimationTest, BackwardsFillShowsTheStartBeforeTheBeginTime)
{
    Layer layer;
    auto a = opacityAnimation(0.3, 0.9, 1);
    a->beginTime = layer.localTime() + 1;
    layer.addAnimation(a, "later");
    EXPECT_NEAR(presented(layer, "opacity"), 1.0, 1e-9);
    a->fillMode = Animation::FillMode::backwards;
    layer.addAnimation(a, "later");
    EXPECT_NEAR(presented(layer, "opacity"), 0.3, 1e-9);
    advance(1.5);
    EXPECT_NEAR(presented(layer, "opacity"), 0.6, 1e-9);
}

TEST_F(AnimationTest, DelegateHearsTheEndOnceAndReplacementAsUnfinished)
{
    Layer layer;
    auto recorder = std::make_shared<Recorder>();
    auto first = opacityAnimation(0, 1, 1);
    first->delegate = recorder;
    layer.addAnimation(first, "a");
    auto second = opacityAnimation(1, 0, 1);
    second->delegate = recorder;
    layer.addAnimation(second, "a");
    // Not inside the call that replaced it.
    EXPECT_TRUE(recorder->stops.empty());
    advance(0);
    EXPECT_EQ(recorder->stops, std::vector<bool> {false});
    advance(0.999);
    EXPECT_EQ(recorder->stops.size(), 1u);
    advance(0.001);
    EXPECT_EQ(recorder->stops, (std::vector<bool> {false, true}));
    EXPECT_EQ(layer.animation("a"), nullptr);
    advance(5);
    EXPECT_EQ(recorder->stops.size(), 2u);
}

TEST_F(AnimationTest, CompletionAndRemoval)
{
    Layer layer;
    std::vector<std::string> log;
    auto a = opacityAnimation(0, 1, 1);
    a->completion = [&](bool finished) { log.push_back(finished ? "a finished" : "a stopped"); };
    auto b = opacityAnimation(0, 1, 1);
    b->completion = [&](bool finished) { log.push_back(finished ? "b finished" : "b stopped"); };
    layer.addAnimation(a, "a");
    layer.addAnimation(b, "b");
    layer.removeAnimation("a");
    layer.removeAnimation("missing");
    advance(2);
    EXPECT_EQ(log, (std::vector<std::string> {"a stopped", "b finished"}));
    layer.addAnimation(a, "a");
    layer.addAnimation(b, "b");
    layer.removeAllAnimations();
    advance(0);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_TRUE(layer.animationKeys().empty());
}

TEST_F(AnimationTest, RepeatAutoreverseAndTiming)
{
    Layer layer;
    auto a = opacityAnimation(0, 1, 1);
    a->autoreverses = true;
    a->repeatCount = 2;
    a->fillMode = Animation::FillMode::forwards;
    a->isRemovedOnCompletion = false;
    layer.addAnimation(a, "pulse");
    // One repeat goes there and back (2 s); two of them end at 4 s, back at the start.
    const std::pair<double, double> samples[] = {{0.25, 0.25}, {0.5, 0.75}, {0.5, 0.75}, {0.5, 0.25},
                                                 {0.25, 0.0},  {1.0, 1.0},  {1.0, 0.0},  {1.0, 0.0}};
    for (auto [step, value] : samples) {
        advance(step);
        EXPECT_NEAR(presented(layer, "opacity"), value, 1e-9) << "at " << now();
    }

    Layer eased;
    auto e = opacityAnimation(0, 1, 1);
    e->timingFunction = TimingFunction::named(TimingFunction::Name::easeInEaseOut);
    eased.addAnimation(e, "e");
    advance(0.25);
    EXPECT_LT(presented(eased, "opacity"), 0.25);
    advance(0.25);
    EXPECT_NEAR(presented(eased, "opacity"), 0.5, 1e-6);

    Layer timed;
    auto r = opacityAnimation(0, 1, 1);
    r->repeatDuration = 2.5;
    timed.addAnimation(r, "r");
    advance(2.25);
    EXPECT_NEAR(presented(timed, "opacity"), 0.25, 1e-9);
    advance(0.5);
    EXPECT_EQ(timed.animation("r"), nullptr);
}

TEST_F(AnimationTest, DegenerateTimingJumpsToTheEnd)
{
    struct Case {
        const char* name;
        void (*spoil)(Animation&);
    };
    const Case cases[] = {
        {"zero duration", [](Animation& a) { a.duration = 0; }},
        {"NaN duration", [](Animation& a) { a.duration = std::nan(""); }},
        {"infinite duration", [](Animation& a) { a.duration = INFINITY; }},
        {"zero speed", [](Animation& a) { a.speed = 0; }},
        {"NaN speed", [](Animation& a) { a.speed = std::nan(""); }},
        {"NaN repeat count", [](Animation& a) { a.repeatCount = std::nan(""); }},
        {"negative repeat count", [](Animation& a) { a.repeatCount = -2; }},
    };
    for (const auto& c : cases) {
        Layer layer;
        auto a = opacityAnimation(0, 0.4, 1);
        a->fillMode = Animation::FillMode::forwards;
        a->isRemovedOnCompletion = false;
        c.spoil(*a);
        layer.addAnimation(a, "x");
        EXPECT_NEAR(presented(layer, "opacity"), 0.4, 1e-9) << c.name;
        advance(0.1);
        EXPECT_NEAR(presented(layer, "opacity"), 0.4, 1e-9) << c.name;
        EXPECT_FALSE(layer.hasRunningAnimations()) << c.name;
    }
}

TEST_F(AnimationTest, KeyframesGroupsAndAdditive)
{
    Layer layer;
    auto k = std::make_shared<KeyframeAnimation>("position.x");
    k->values = {0.0, 10.0, 40.0};
    k->keyTimes = {0, 0.25, 1};
    k->duration = 2;
    auto group = std::make_shared<AnimationGroup>();
    auto fade = opacityAnimation(1, 0, 1);
    fade->beginTime = 0.5;
    group->animations = {k, fade};
    group->duration = 1.5;
    layer.addAnimation(group, "g");
    advance(0.25);
    EXPECT_NEAR(presented(layer, "position.x"), 5, 1e-9);
    EXPECT_NEAR(presented(layer, "opacity"), 1, 1e-9); // its own begin is later
    advance(0.75);
    EXPECT_NEAR(presented(layer, "position.x"), 20, 1e-9);
    EXPECT_NEAR(presented(layer, "opacity"), 0.5, 1e-9);
    advance(1);
    EXPECT_EQ(layer.animation("g"), nullptr);
    EXPECT_EQ(presented(layer, "position.x"), 0);

    layer.setPosition({100, 0});
    auto shift = std::make_shared<BasicAnimation>("position.x");
    shift->fromValue = 0.0;
    shift->toValue = 10.0;
    shift->duration = 1;
    shift->isAdditive = true;
    layer.addAnimation(shift, "shift");
    advance(0.5);
    EXPECT_NEAR(presented(layer, "position.x"), 105, 1e-9);
}

TEST_F(AnimationTest, ToValueAloneStartsFromTheCurrentValueAndColoursMixLinearly)
{
    Layer layer;
    layer.setOpacity(0.2);
    auto a = std::make_shared<BasicAnimation>("opacity");
    a->toValue = 1.0;
    a->duration = 1;
    layer.addAnimation(a, "to");
    advance(0.5);
    EXPECT_NEAR(presented(layer, "opacity"), 0.6, 1e-9);

    layer.setBackgroundColor(Colour {1, 0, 0, 1});
    auto c = std::make_shared<BasicAnimation>("backgroundColor");
    c->toValue = Colour {0, 0, 1, 0};
    c->duration = 2;
    layer.addAnimation(c, "colour");
    advance(1);
    const Colour mid = *layer.presentation().backgroundColor;
    EXPECT_NEAR(mid.redComponent(), 0.5, 1e-9);
    EXPECT_NEAR(mid.blueComponent(), 0.5, 1e-9);
    EXPECT_NEAR(mid.alphaComponent(), 0.5, 1e-9);
}

TEST_F(AnimationTest, LayerTimeFollowsSpeedOffsetAndBeginTime)
{
    Layer layer;
    const double t0 = now();
    EXPECT_NEAR(layer.convertTime(t0, nullptr), t0, 1e-9);
    layer.setSpeed(2);
    layer.setBeginTime(t0 - 1);
    layer.setTimeOffset(3);
    EXPECT_NEAR(layer.convertTime(t0, nullptr), 5, 1e-9);
    EXPECT_NEAR(layer.localTime(), 5, 1e-9);
    // A sublayer's time runs on its parent's.
    auto child = std::make_shared<Layer>();
    layer.addSublayer(child);
    EXPECT_NEAR(child->localTime(), 5, 1e-9);
    EXPECT_NEAR(layer.convertTime(7, child.get()), 7, 1e-9);
    advance(1);
    EXPECT_NEAR(child->localTime(), 7, 1e-9);
}

TEST_F(AnimationTest, DisplayLinkRunsOnlyWhileAVisibleLayerAnimates)
{
    Window window(Rect {0, 0, 100, 100}, Window::borderless);
    auto view = std::make_shared<View>(Rect {10, 10, 20, 20});
    window.contentView()->addSubview(view);
    auto& clock = AnimationClock::shared();
    // An idle window schedules no repaint timer.
    window.orderFront();
    advance(1);
    EXPECT_FALSE(clock.isTicking());
    EXPECT_FALSE(Foundation::RunLoop::main().nextEventTime().has_value());

    view->layer().addAnimation(opacityAnimation(0, 1, 1), "fade");
    EXPECT_TRUE(clock.isTicking());
    const auto ticks = clock.tickCount();
    advance(0.5);
    EXPECT_NEAR(static_cast<double>(clock.tickCount() - ticks), 30, 1);
    advance(0.6);
    EXPECT_FALSE(clock.isTicking());

    // Hidden, paused or in a window that is not shown: no ticks.
    view->layer().addAnimation(opacityAnimation(0, 1, 10), "fade");
    view->setHidden(true);
    EXPECT_FALSE(clock.isTicking());
    view->setHidden(false);
    EXPECT_TRUE(clock.isTicking());
    view->layer().setSpeed(0);
    EXPECT_FALSE(clock.isTicking());
    view->layer().setSpeed(1);
    window.orderOut();
    EXPECT_FALSE(clock.isTicking());
    window.orderFront();
    EXPECT_TRUE(clock.isTicking());
    view->removeFromSuperview();
    EXPECT_FALSE(clock.isTicking());
}

TEST_F(AnimationTest, SnapshotsShowThePresentationAtTheClocksTime)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    view->layer().setBackgroundColor(Colour::red());
    view->layer().addAnimation(opacityAnimation(1, 0, 1), "fade");
    advance(0.75);
    const auto shot = Testing::Snapshot::of(*view);
    EXPECT_NEAR(shot.alphaAt({5, 5}), 0.25, 2.0 / 255);
}

} // namespace
