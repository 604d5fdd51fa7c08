#include "Platform/Kit/AnimationContext.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;

namespace {

class AnimatorTest : public Testing::KitTest {};

TEST_F(AnimatorTest, AnimatorMovesTheRealFrameOverTheDefaultDuration)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    view->animator().setFrameOrigin({100, 0});
    EXPECT_EQ(view->frame().x(), 0);
    EXPECT_TRUE(AnimationContext::isAnimating());
    advance(0.125);
    EXPECT_NEAR(view->frame().x(), 50, 7); // the last frame tick before half time
    advance(0.125);
    EXPECT_EQ(view->frame().x(), 100);
    EXPECT_FALSE(AnimationContext::isAnimating());
}

TEST_F(AnimatorTest, GroupCompletionRunsOnceAtTheEnd)
{
    Window window(Rect {0, 0, 100, 100}, Window::titled);
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    std::vector<std::string> log;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext& context) {
            context.setDuration(0.5);
            window.animator().setFrame({0, -85, 100, 213}, true);
            view->animator().setAlphaValue(0);
        },
        [&] { log.push_back("done at " + std::to_string(now() - 1000)); });
    advance(0.25);
    EXPECT_TRUE(log.empty());
    EXPECT_NEAR(window.frame().y(), -42.5, 3);
    EXPECT_NEAR(view->alphaValue(), 0.5, 0.05);
    advance(0.25);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "done at 0.500000");
    EXPECT_EQ(window.frame(), (Rect {0, -85, 100, 213}));
    EXPECT_EQ(view->alphaValue(), 0);
    advance(1);
    EXPECT_EQ(log.size(), 1u);

    // A group with no changes completes after its duration all the same.
    AnimationContext::runAnimationGroup([](AnimationContext& c) { c.setDuration(0.2); },
                                        [&] { log.push_back("empty"); });
    advance(0.19);
    EXPECT_EQ(log.size(), 1u);
    advance(0.01);
    EXPECT_EQ(log.back(), "empty");
}

TEST_F(AnimatorTest, HidingFadesOutThenHidesAndShowingFadesIn)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    view->animator().setHidden(true);
    advance(0.1);
    EXPECT_FALSE(view->isHidden());
    EXPECT_LT(view->alphaValue(), 1);
    advance(0.2);
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->alphaValue(), 1);
    view->animator().setHidden(false);
    EXPECT_FALSE(view->isHidden());
    EXPECT_EQ(view->alphaValue(), 0);
    advance(0.25);
    EXPECT_EQ(view->alphaValue(), 1);
}

TEST_F(AnimatorTest, ANewMoveReplacesTheRunningOneAndAGoneViewStopsIt)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    view->animator().setFrameOrigin({100, 0});
    advance(0.125);
    const double midway = view->frame().x();
    view->animator().setFrameOrigin({0, 0});
    advance(0.3);
    EXPECT_EQ(view->frame().x(), 0);
    EXPECT_GT(midway, 0);

    view->animator().setFrameOrigin({100, 0});
    view.reset();
    advance(0.5);
    EXPECT_FALSE(AnimationContext::isAnimating());
}

TEST_F(AnimatorTest, ZeroDurationAppliesAtOnce)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    bool done = false;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext& c) {
            c.setDuration(0);
            view->animator().setFrameOrigin({7, 7});
        },
        [&] { done = true; });
    EXPECT_EQ(view->frame().origin, (Point {7, 7}));
    EXPECT_FALSE(done);
    advance(0);
    EXPECT_TRUE(done);
}

} // namespace
