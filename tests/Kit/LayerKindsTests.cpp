#include "Platform/Kit/Animation.h"
#include "Platform/Kit/GradientLayer.h"
#include "Platform/Kit/ShapeLayer.h"
#include "Platform/Kit/TextLayer.h"
#include "Platform/Kit/Transaction.h"
#include "Platform/Kit/View.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

using namespace Kit;

namespace {

class LayerKindsTest : public Testing::KitTest {};

TEST_F(LayerKindsTest, VerticalGradientPutsTheFirstColourAtTheBottom)
{
    auto view = std::make_shared<View>(Rect {0, 0, 20, 100});
    auto gradient = std::make_shared<GradientLayer>();
    gradient->setFrame({0, 0, 20, 100});
    gradient->setColors({Colour::red(), Colour::blue()});
    view->layer().addSublayer(gradient);
    const auto shot = Testing::Snapshot::of(*view);
    shot.save("kit", "gradient");
    EXPECT_COLOUR_NEAR(shot.colourAt({10, 0.5}), Colour::red());
    EXPECT_COLOUR_NEAR(shot.colourAt({10, 99.5}), Colour::blue());
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({10, 50}), (Colour {0.5, 0, 0.5, 1}), 3.0 / 255);
    gradient->setStartPoint({0, 0.5});
    gradient->setEndPoint({1, 0.5});
    gradient->setLocations({0.5, 1});
    const auto across = Testing::Snapshot::of(*view);
    EXPECT_COLOUR_NEAR(across.colourAt({5, 50}), Colour::red());
}

TEST_F(LayerKindsTest, TextLayerDrawsFromTheTopOfItsBounds)
{
    auto view = std::make_shared<View>(Rect {0, 0, 120, 60});
    auto text = std::make_shared<TextLayer>();
    text->setFrame({10, 0, 100, 60});
    text->setString("1234 rpm");
    text->setFontSize(12);
    text->setForegroundColor(Colour::black());
    view->layer().addSublayer(text);
    const auto shot = Testing::Snapshot::of(*view, 2);
    shot.save("kit", "text-layer");
    const auto ink = shot.inkBounds();
    ASSERT_TRUE(ink);
    EXPECT_GE(ink->minX(), 10);
    EXPECT_LE(ink->maxY(), 60);
    EXPECT_GE(ink->minY(), 40); // one 12-px line at the top
    text->setAlignmentMode(TextAlignment::right);
    const auto right = Testing::Snapshot::of(*view).inkBounds();
    ASSERT_TRUE(right);
    EXPECT_NEAR(right->maxX(), 110, 2);
}

TEST_F(LayerKindsTest, ShapeLayerFillsStrokesAndCutsTheStroke)
{
    auto view = std::make_shared<View>(Rect {0, 0, 100, 20});
    auto line = std::make_shared<ShapeLayer>();
    line->setFrame({0, 0, 100, 20});
    BezierPath path;
    path.moveTo({0, 10});
    path.lineTo({100, 10});
    line->setPath(path);
    line->setFillColor(std::nullopt);
    line->setStrokeColor(Colour::blue());
    line->setLineWidth(4);
    line->setStrokeEnd(0.5);
    view->layer().addSublayer(line);
    const auto shot = Testing::Snapshot::of(*view);
    EXPECT_COLOUR_NEAR(shot.colourAt({25, 10}), Colour::blue());
    EXPECT_EQ(shot.alphaAt({75, 10}), 0);
}

TEST_F(LayerKindsTest, SublayersInsertAtAnIndexAndPaintInOrder)
{
    auto view = std::make_shared<View>(Rect {0, 0, 10, 10});
    auto top = std::make_shared<Layer>();
    top->setFrame({0, 0, 10, 10});
    top->setBackgroundColor(Colour::red());
    auto bottom = std::make_shared<Layer>();
    bottom->setFrame({0, 0, 10, 10});
    bottom->setBackgroundColor(Colour::blue());
    view->layer().addSublayer(top);
    view->layer().insertSublayer(bottom, 0);
    EXPECT_EQ(view->layer().sublayers().front(), bottom);
    EXPECT_EQ(bottom->superlayer(), &view->layer());
    EXPECT_COLOUR_NEAR(Testing::Snapshot::of(*view).colourAt({5, 5}), Colour::red());
    view->layer().insertSublayer(bottom, 99);
    EXPECT_EQ(view->layer().sublayers().back(), bottom);
    EXPECT_COLOUR_NEAR(Testing::Snapshot::of(*view).colourAt({5, 5}), Colour::blue());
    bottom->removeFromSuperlayer();
    EXPECT_EQ(view->layer().sublayers().size(), 1u);
    EXPECT_EQ(bottom->superlayer(), nullptr);
}

TEST_F(LayerKindsTest, ActionsAnimateChangesOutsideTransactionsThatDisableThem)
{
    Layer fin;
    auto fade = std::make_shared<BasicAnimation>();
    fade->duration = 0.7;
    fin.setActions({{"opacity", fade}});
    {
        Transaction::Scope transaction;
        Transaction::setDisableActions(true);
        fin.setOpacity(1.0);
    }
    EXPECT_TRUE(fin.animationKeys().empty());
    fin.setOpacity(0.0);
    ASSERT_NE(fin.animation("opacity"), nullptr);
    advance(0.35);
    EXPECT_NEAR(fin.presentation().opacity, 0.5, 1e-9);
    advance(0.35);
    EXPECT_NEAR(fin.presentation().opacity, 0.0, 1e-9);
    // Keys without an action change at once.
    fin.setCornerRadius(4);
    EXPECT_EQ(fin.animation("cornerRadius"), nullptr);
    EXPECT_FALSE(Transaction::disableActions());
}

} // namespace
