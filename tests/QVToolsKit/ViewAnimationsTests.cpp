#include "QVToolsKit/UI/ViewAnimations.h"

#include "Platform/Kit/Animation.h"
#include "Platform/Kit/AnimationClock.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace QVToolsKit;
using Kit::Rect;
using Kit::View;

namespace {

class ViewAnimationsTest : public Kit::Testing::KitTest {
protected:
    double rotation(const View& view, bool presentation = true)
    {
        const auto value = presentation ? view.layer().presentation().value("transform.rotation.z")
                                        : view.layer().value("transform.rotation.z");
        return Kit::LayerValues::number(*value).value();
    }
    double translationX(const View& view)
    {
        return Kit::LayerValues::number(*view.layer().presentation().value("transform.translation.x")).value();
    }
};

// The same angle up to whole turns.
::testing::AssertionResult sameAngle(double a, double b)
{
    const double d = std::remainder(a - b, 2 * M_PI);
    if (std::fabs(d) < 1e-6)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a << " and " << b << " differ by " << d;
}

TEST_F(ViewAnimationsTest, RotateKeepsOneAnimationWithTheNewDuration)
{
    View view(Rect{10, 10, 40, 40});
    view.layer().addAnimation(std::make_shared<Kit::BasicAnimation>("opacity"), "other");
    rotate(view, 4);
    rotate(view, 2);
    ASSERT_EQ(view.layer().animationKeys(), std::vector<std::string>{"rotationAnimation"});
    EXPECT_EQ(view.layer().animation("rotationAnimation")->duration, 2);
    EXPECT_EQ(view.layer().anchorPoint(), (Kit::Point{0.5, 0.5}));
    EXPECT_EQ(view.layer().position(), (Kit::Point{30, 30}));
    advance(0.5);
    EXPECT_TRUE(sameAngle(rotation(view), M_PI / 2));
    advance(0.5);
    EXPECT_TRUE(sameAngle(rotation(view), M_PI));
    // It repeats for ever.
    advance(100.5);
    EXPECT_TRUE(sameAngle(rotation(view), 3 * M_PI / 2));
    EXPECT_TRUE(view.layer().hasRunningAnimations());
}

TEST_F(ViewAnimationsTest, PauseHoldsAndResumeContinuesFromThere)
{
    View view(Rect{0, 0, 40, 40});
    rotate(view, 1);
    advance(0.25);
    EXPECT_TRUE(sameAngle(rotation(view), M_PI / 2));
    pauseAnimation(view);
    const double paused = rotation(view);
    EXPECT_TRUE(sameAngle(paused, M_PI / 2));
    advance(3);
    EXPECT_TRUE(sameAngle(rotation(view), paused));
    EXPECT_FALSE(view.layer().hasRunningAnimations());
    resumeAnimation(view);
    EXPECT_TRUE(sameAngle(rotation(view), paused));
    advance(0.25);
    EXPECT_TRUE(sameAngle(rotation(view), paused + M_PI / 2));
}

TEST_F(ViewAnimationsTest, StopLeavesTheEndlessTurnRunning)
{
    View view(Rect{0, 0, 40, 40});
    rotate(view, 1);
    startAnimation(view, true);
    stopAnimation(view);
    EXPECT_EQ(view.layer().animationKeys(), std::vector<std::string>{"rotationAnimation"});
}

TEST_F(ViewAnimationsTest, StartAnimationTurnsAdditivelyOncePerSecond)
{
    View view(Rect{0, 0, 40, 40});
    const Rect before = view.layer().frame();
    view.layer().setValue("transform.rotation.z", 0.1);
    startAnimation(view, false);
    EXPECT_EQ(view.layer().frame(), before);
    advance(0.25);
    EXPECT_TRUE(sameAngle(rotation(view), 0.1 + M_PI / 2));
    startAnimation(view, true); // replaces it: from 2π down to 0
    advance(0.25);
    EXPECT_TRUE(sameAngle(rotation(view), 0.1 - M_PI / 2));
}

TEST_F(ViewAnimationsTest, RotateAnimationTwiceEndsAtTheSum)
{
    View view(Rect{0, 0, 40, 40});
    rotateAnimation(view, true, M_PI / 2, 0.5);
    advance(0.25);
    EXPECT_TRUE(sameAngle(rotation(view), M_PI / 4));
    advance(1);
    // Kept after its end (fill forwards, not removed): the model holds the target too.
    EXPECT_TRUE(sameAngle(rotation(view), M_PI / 2));
    EXPECT_NE(view.layer().animation("rotateAnimation"), nullptr);
    rotateAnimation(view, true, M_PI / 2, 0.5);
    advance(0.6);
    EXPECT_TRUE(sameAngle(rotation(view), M_PI));
    EXPECT_TRUE(sameAngle(rotation(view, false), M_PI));
    rotateAnimation(view, false, M_PI, 0.5);
    advance(0.6);
    EXPECT_TRUE(sameAngle(rotation(view), 0));
}

TEST_F(ViewAnimationsTest, FadeToggles)
{
    View view(Rect{0, 0, 40, 40});
    toggleFadeAnimation(view, 0.3);
    EXPECT_EQ(view.layer().opacity(), 0);
    EXPECT_NE(view.layer().animation("fadeOutAnimation"), nullptr);
    advance(0.15);
    EXPECT_NEAR(view.layer().presentation().opacity, 0.5, 1e-9);
    advance(0.2);
    // Ended and removed: the model's 0 shows.
    EXPECT_EQ(view.layer().animation("fadeOutAnimation"), nullptr);
    EXPECT_EQ(view.layer().presentation().opacity, 0);
    toggleFadeAnimation(view, 0.3);
    EXPECT_EQ(view.layer().opacity(), 1);
    EXPECT_EQ(view.layer().animationKeys(), std::vector<std::string>{"fadeInAnimation"});
}

TEST_F(ViewAnimationsTest, ShakeRunsItsWholeDuration)
{
    View view(Rect{0, 0, 40, 40});
    shake(view, 1.0);
    // Eight steps of 1/8 s: at 0.5 s it is at the fifth value, still moving.
    advance(0.5);
    EXPECT_NEAR(translationX(view), -3, 1e-9);
    advance(0.0625);
    EXPECT_NEAR(translationX(view), 0, 1e-9);
    advance(0.2);
    EXPECT_NEAR(translationX(view), -1.6, 1e-9);
    advance(0.5);
    EXPECT_EQ(view.layer().animation("shakeIt"), nullptr);
    EXPECT_EQ(translationX(view), 0);
}

TEST_F(ViewAnimationsTest, SetAnchorPointKeepsTheFrame)
{
    View view(Rect{10, 20, 100, 50});
    const Rect before = view.layer().frame();
    setAnchorPoint(view, {0.5, 0.5});
    EXPECT_EQ(view.layer().frame(), before);
    EXPECT_EQ(view.layer().position(), (Kit::Point{60, 45}));
    setAnchorPoint(view, {1, 0});
    EXPECT_EQ(view.layer().frame(), before);
    EXPECT_EQ(view.frame(), (Rect{10, 20, 100, 50}));
}

TEST_F(ViewAnimationsTest, ZeroDurationShowsAStillPicture)
{
    View view(Rect{0, 0, 40, 40});
    rotate(view, 0);
    advance(0.1);
    EXPECT_TRUE(sameAngle(rotation(view), 0));
    advance(1);
    EXPECT_TRUE(sameAngle(rotation(view), 0));
    for (double bad : {std::nan(""), double(INFINITY), -1.0}) {
        rotate(view, bad);
        advance(0.3);
        EXPECT_TRUE(std::isfinite(rotation(view)));
        EXPECT_FALSE(view.layer().hasRunningAnimations());
    }
}

TEST_F(ViewAnimationsTest, CornerRadiusBackgroundAndSubviews)
{
    auto view = std::make_shared<View>(Rect{0, 0, 60, 60});
    setCornerRadius(*view, Kit::minXMinYCorner, 20, Kit::Colour::red());
    EXPECT_EQ(view->layer().cornerRadius(), 20);
    EXPECT_EQ(view->layer().maskedCorners(), unsigned(Kit::minXMinYCorner));
    EXPECT_TRUE(view->layer().masksToBounds());
    const auto shot = Kit::Testing::Snapshot::of(*view);
    EXPECT_EQ(shot.alphaAt({0.5, 0.5}), 0);
    EXPECT_COLOUR_NEAR(shot.colourAt({59.5, 0.5}), Kit::Colour::red());
    setBackgroundColor(*view, Kit::Colour::blue());
    EXPECT_EQ(view->layer().backgroundColor(), Kit::Colour::blue());

    for (int i = 0; i < 3; ++i)
        view->addSubview(std::make_shared<View>(Rect{0, 0, 5, 5}));
    auto kept = view->subviews()[1];
    removeAllSubviews(*view);
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_EQ(kept->superview(), nullptr);
}

TEST_F(ViewAnimationsTest, AnimatedViewAtThreeTimes)
{
    Kit::Window window(Rect{0, 0, 80, 80}, Kit::Window::borderless);
    window.setBackgroundColor(Kit::Colour::clear());
    auto fan = std::make_shared<View>(Rect{20, 20, 40, 40});
    fan->layer().setBackgroundColor(Kit::Colour::red());
    // One rounded corner (the bottom left) shows where the turn has got to.
    fan->layer().setCornerRadius(12);
    fan->layer().setMaskedCorners(Kit::minXMinYCorner);
    auto blade = std::make_shared<View>(Rect{18, 0, 4, 20});
    blade->layer().setBackgroundColor(Kit::Colour::blue());
    fan->addSubview(blade);
    window.contentView()->addSubview(fan);
    window.orderFront();
    rotate(*fan, 1);
    for (int step = 0; step < 3; ++step) {
        const auto shot = Kit::Testing::Snapshot::of(window);
        shot.save("qvtoolskit", "rotating-view-" + std::to_string(step));
        // The blade hangs down from the centre at first and turns counter-clockwise by 90° each step.
        const Kit::Point bladeTip[3] = {{40, 24}, {56, 40}, {40, 56}};
        EXPECT_COLOUR_NEAR(shot.colourAt(bladeTip[step]), Kit::Colour::blue()) << step;
        // The rounded corner turns from the bottom left to the bottom right, then the top right.
        const Kit::Point roundCorner[3] = {{20.5, 20.5}, {59.5, 20.5}, {59.5, 59.5}};
        EXPECT_EQ(shot.alphaAt(roundCorner[step]), 0) << step;
        EXPECT_COLOUR_NEAR(shot.colourAt({20.5, 59.5}), Kit::Colour::red()) << step;
        advance(0.25);
    }
    EXPECT_TRUE(Kit::AnimationClock::shared().isTicking());
}

} // namespace
