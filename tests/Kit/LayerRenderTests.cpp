#include "Platform/Kit/BezierPath.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/ShapeLayer.h"
#include "Platform/Kit/View.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace Kit;
using Kit::Testing::Snapshot;

namespace {

class LayerRenderTest : public Testing::KitTest {};

const Colour red {1, 0, 0, 1};
const Colour blue {0, 0, 1, 1};

TEST_F(LayerRenderTest, BackgroundFillsTheBoundsAtBothScales)
{
    auto view = std::make_shared<View>(Rect {0, 0, 40, 30});
    view->layer().setBackgroundColor(red);
    for (double scale : {1.0, 2.0}) {
        const auto shot = Snapshot::of(*view, scale);
        EXPECT_COLOUR_NEAR(shot.colourAt({0.5, 0.5}), red);
        EXPECT_COLOUR_NEAR(shot.colourAt({39.5, 29.5}), red);
        EXPECT_EQ(shot.inkBounds(), (Rect {0, 0, 40, 30}));
    }
}

TEST_F(LayerRenderTest, RoundedCornersLeaveTheCornerClearAndAntialiased)
{
    auto view = std::make_shared<View>(Rect {0, 0, 300, 200});
    view->layer().setBackgroundColor(red);
    view->layer().setCornerRadius(24);
    view->layer().setCornerCurve(CornerCurve::continuous);
    for (double scale : {1.0, 2.0}) {
        const auto shot = Snapshot::of(*view, scale);
        shot.save("kit", scale == 1 ? "continuous-corners" : "continuous-corners@2x");
        EXPECT_EQ(shot.alphaAt({0.5, 0.5}), 0);
        EXPECT_EQ(shot.alphaAt({299.5, 199.5}), 0);
        EXPECT_COLOUR_NEAR(shot.colourAt({150, 100}), red);
        EXPECT_COLOUR_NEAR(shot.colourAt({150, 0.5}), red); // the edge midpoint
        EXPECT_COLOUR_NEAR(shot.colourAt({0.5, 100}), red);
        EXPECT_GT(shot.countPartial({0, 0, 31, 31}), 10);
    }
}

TEST_F(LayerRenderTest, MaskedCornersRoundOnlyTheChosenOnes)
{
    auto view = std::make_shared<View>(Rect {0, 0, 100, 100});
    view->layer().setBackgroundColor(red);
    view->layer().setCornerRadius(20);
    view->layer().setMaskedCorners(minXMaxYCorner | maxXMaxYCorner); // the top two, y up
    const auto shot = Snapshot::of(*view);
    EXPECT_EQ(shot.alphaAt({0.5, 99.5}), 0);
    EXPECT_EQ(shot.alphaAt({99.5, 99.5}), 0);
    EXPECT_COLOUR_NEAR(shot.colourAt({0.5, 0.5}), red);
    EXPECT_COLOUR_NEAR(shot.colourAt({99.5, 0.5}), red);
}

TEST_F(LayerRenderTest, BorderOfWidthTwoSitsInsideTheBounds)
{
    auto view = std::make_shared<View>(Rect {0, 0, 60, 40});
    view->layer().setBackgroundColor(red);
    view->layer().setBorderColor(blue);
    view->layer().setBorderWidth(2);
    const auto shot = Snapshot::of(*view, 2);
    shot.save("kit", "border");
    EXPECT_COLOUR_NEAR(shot.colourAt({0.5, 20}), blue);
    EXPECT_COLOUR_NEAR(shot.colourAt({1.5, 20}), blue);
    EXPECT_COLOUR_NEAR(shot.colourAt({2.5, 20}), red);
    EXPECT_COLOUR_NEAR(shot.colourAt({30, 39.5}), blue);
    EXPECT_COLOUR_NEAR(shot.colourAt({30, 37.5}), red);
    EXPECT_EQ(shot.inkBounds(), (Rect {0, 0, 60, 40}));
}

TEST_F(LayerRenderTest, ShadowDarkensBesideTheViewAndNotUnderIt)
{
    auto root = std::make_shared<View>(Rect {0, 0, 120, 120});
    auto card = std::make_shared<View>(Rect {30, 40, 60, 50});
    card->layer().setBackgroundColor(Colour::whiteColor());
    card->layer().setShadowOpacity(1);
    card->layer().setShadowRadius(4);
    card->layer().setShadowOffset({0, -6});
    root->addSubview(card);
    for (double scale : {1.0, 2.0}) {
        const auto shot = Snapshot::of(*root, scale);
        shot.save("kit", scale == 1 ? "shadow" : "shadow@2x");
        // Under the card: the card itself, white and opaque.
        EXPECT_COLOUR_NEAR(shot.colourAt({60, 65}), Colour::whiteColor());
        // Below it the shadow: darker near the edge than further away, nothing far above.
        const double near = shot.alphaAt({60, 38});
        const double far = shot.alphaAt({60, 28});
        EXPECT_GT(near, 0.3);
        EXPECT_GT(near, far);
        EXPECT_LT(shot.alphaAt({60, 100}), near);
        EXPECT_EQ(shot.alphaAt({60, 118}), 0);
    }
}

TEST_F(LayerRenderTest, MasksToBoundsClipsSubviewsAtTheRoundedCorner)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 100, 100});
    parent->layer().setCornerRadius(30);
    parent->layer().setMasksToBounds(true);
    auto child = std::make_shared<View>(Rect {0, 0, 100, 100});
    child->layer().setBackgroundColor(blue);
    parent->addSubview(child);
    for (double scale : {1.0, 2.0}) {
        const auto shot = Snapshot::of(*parent, scale);
        EXPECT_EQ(shot.alphaAt({0.5, 0.5}), 0);
        EXPECT_COLOUR_NEAR(shot.colourAt({50, 50}), blue);
        EXPECT_GT(shot.countPartial({0, 0, 20, 20}), 5);
    }
}

TEST_F(LayerRenderTest, OpacityAppliesToTheGroup)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 50, 50});
    parent->layer().setBackgroundColor(red);
    auto child = std::make_shared<View>(Rect {0, 0, 25, 50});
    child->layer().setBackgroundColor(blue);
    parent->addSubview(child);
    parent->setAlphaValue(0.5);
    const auto shot = Snapshot::of(*parent);
    // Group opacity: the child covers the parent before the whole fades (no red shows through).
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({10, 25}), (Colour {0, 0, 1, 0.5}), 3.0 / 255);
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({40, 25}), (Colour {1, 0, 0, 0.5}), 3.0 / 255);
}

TEST_F(LayerRenderTest, RotationTurnsCounterClockwiseAboutTheAnchor)
{
    auto root = std::make_shared<View>(Rect {0, 0, 100, 100});
    auto bar = std::make_shared<View>(Rect {20, 45, 60, 10});
    bar->layer().setBackgroundColor(red);
    root->addSubview(bar);
    bar->layer().setAnchorPoint({0.5, 0.5});
    bar->layer().setPosition({50, 50});
    bar->layer().setValue("transform.rotation.z", M_PI / 2);
    const auto shot = Snapshot::of(*root);
    shot.save("kit", "rotated-bar");
    // A quarter turn about the centre makes the horizontal bar vertical.
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 50}), red);
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 75}), red);
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 25}), red);
    EXPECT_EQ(shot.alphaAt({25, 50}), 0);
    EXPECT_EQ(shot.alphaAt({75, 50}), 0);
}

TEST_F(LayerRenderTest, MaskLayerClipsTheViewAndItsSubviews)
{
    auto view = std::make_shared<View>(Rect {0, 0, 100, 100});
    auto child = std::make_shared<View>(Rect {0, 0, 100, 100});
    child->layer().setBackgroundColor(blue);
    view->addSubview(child);
    auto mask = std::make_shared<ShapeLayer>();
    mask->setFrame({0, 0, 100, 100});
    mask->setPath(BezierPath::oval({0, 0, 100, 100}));
    view->layer().setMask(mask);
    const auto shot = Snapshot::of(*view);
    EXPECT_EQ(shot.alphaAt({2, 2}), 0);
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 50}), blue);
    EXPECT_GT(shot.countPartial({0, 0, 100, 100}), 20);
}

TEST_F(LayerRenderTest, DrawRunsInAYUpContextAndTextStaysUpright)
{
    class Drawing : public View {
    public:
        using View::View;
        void draw(const Rect&) override
        {
            auto* c = GraphicsContext::current();
            c->fillRect({0, 0, 20, 10}, Colour {0, 1, 0, 1}); // bottom left, y up
            c->drawText("Ag", Rect {30, 0, 60, 30}, Font::systemFont(20), Colour::black());
        }
    };
    auto view = std::make_shared<Drawing>(Rect {0, 0, 100, 40});
    const auto shot = Snapshot::of(*view);
    shot.save("kit", "draw-y-up");
    EXPECT_COLOUR_NEAR(shot.colourAt({5, 5}), (Colour {0, 1, 0, 1}));
    EXPECT_EQ(shot.alphaAt({5, 35}), 0);
    // Text laid out from the top of its rect: ink in the rect's upper part, none at its bottom edge.
    Snapshot text(shot.image());
    const auto ink = text.inkBounds();
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->maxY(), 25);
}

} // namespace
