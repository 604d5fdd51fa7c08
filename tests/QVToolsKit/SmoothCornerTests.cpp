#include "QVToolsKit/UI/SmoothCorner.h"

#include "Platform/Kit/ShapeLayer.h"
#include "Platform/System/ActiveMachine.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace QVToolsKit;
using Kit::BezierPath;
using Kit::Point;
using Kit::Rect;
using Kit::View;

namespace {

class SmoothCornerTest : public Kit::Testing::KitTest {
protected:
    void TearDown() override
    {
        SystemPlatform::ActiveMachine::select("");
        KitTest::TearDown();
    }
    static std::shared_ptr<Kit::ShapeLayer> maskOf(const View& view)
    {
        return std::dynamic_pointer_cast<Kit::ShapeLayer>(view.layer().mask());
    }
};

// The end point of an element.
Point endOf(const BezierPath::Element& e)
{
    return e.type == BezierPath::ElementType::curveTo ? e.points[2] : e.points[0];
}

TEST(NSViewCornerBezierPathTest, OutlineOfEqualCorners)
{
    const NSViewCornerBezierPath path(Rect{0, 0, 300, 200}, {24, 24, 24, 24});
    const auto& e = path.elements();
    // move, then per edge a line and three curves, then close.
    ASSERT_EQ(e.size(), 1u + 4 * 4 + 1);
    const double extent = 1.28195 * 24; // 30.7668
    EXPECT_EQ(e[0].type, BezierPath::ElementType::moveTo);
    EXPECT_NEAR(e[0].points[0].x, extent, 1e-9);
    EXPECT_EQ(e[0].points[0].y, 0);
    const Point lineEnds[4] = {{300 - extent, 0}, {300, 200 - extent}, {extent, 200}, {0, extent}};
    for (int edge = 0; edge < 4; ++edge) {
        const auto& line = e[1 + edge * 4];
        EXPECT_EQ(line.type, BezierPath::ElementType::lineTo);
        EXPECT_NEAR(line.points[0].x, lineEnds[edge].x, 1e-9) << edge;
        EXPECT_NEAR(line.points[0].y, lineEnds[edge].y, 1e-9) << edge;
    }
    EXPECT_NEAR(lineEnds[0].x, 269.2332, 1e-9);
    EXPECT_NEAR(lineEnds[1].y, 169.2332, 1e-9);
    // Each corner ends where the next edge begins; the last one where the path began.
    const Point cornerEnds[4] = {{300, extent}, {300 - extent, 200}, {0, 200 - extent}, {extent, 0}};
    for (int corner = 0; corner < 4; ++corner) {
        const Point end = endOf(e[4 + corner * 4]);
        EXPECT_NEAR(end.x, cornerEnds[corner].x, 1e-9) << corner;
        EXPECT_NEAR(end.y, cornerEnds[corner].y, 1e-9) << corner;
    }
    EXPECT_EQ(e.back().type, BezierPath::ElementType::closePath);
}

TEST(NSViewCornerBezierPathTest, CoefficientTableAndKPerCorner)
{
    const NSViewCornerBezierPath path(Rect{0, 0, 100, 100}, {10, 10, 10, 10});
    const auto& e = path.elements();
    // The first corner (top right in the table's naming, at (100, 0)): u = +x, v = +y.
    const Point start = e[1].points[0];
    const auto& c1 = e[2];
    EXPECT_NEAR(c1.points[0].x - start.x, 4.4576, 1e-9);
    EXPECT_NEAR(c1.points[1].x - start.x, 6.074, 1e-9);
    EXPECT_NEAR(c1.points[1].y - start.y, 0.4641, 1e-9);
    const Point afterFirst = c1.points[2];
    // k of the second curve: 0.215 at this corner, 0.21505 at the next.
    EXPECT_NEAR(e[3].points[1].y - afterFirst.y, 2.15, 1e-9);
    const Point nextAfterFirst = e[6].points[2];
    EXPECT_NEAR(e[7].points[1].x - nextAfterFirst.x, -2.1505, 1e-9);
}

TEST(NSViewCornerBezierPathTest, SharpCornersAndTheCopiedPath)
{
    const NSViewCornerBezierPath path(Rect{0, 0, 100, 50}, {0, 0, 10, 10});
    EXPECT_EQ(path.elements()[0].points[0], (Point{0, 0}));
    EXPECT_EQ(path.elements()[1].points[0], (Point{100, 0}));
    EXPECT_TRUE(path.contains({0.2, 0.2}));    // a sharp corner keeps its corner point
    EXPECT_FALSE(path.contains({99.8, 49.8})); // a rounded one does not
    const BezierPath copy = path.getCGPath();
    EXPECT_EQ(copy.elements(), path.elements());
    EXPECT_TRUE(NSViewCornerBezierPath().getCGPath().isEmpty());
}

TEST_F(SmoothCornerTest, CornersClipTheViewAndItsSubviews)
{
    auto view = std::make_shared<View>(Rect{0, 0, 300, 200});
    view->layer().setBackgroundColor(Kit::Colour::red());
    auto filler = std::make_shared<View>(Rect{150, 0, 150, 200});
    filler->layer().setBackgroundColor(Kit::Colour::blue());
    view->addSubview(filler);
    setSmoothCorner(*view, 24);
    EXPECT_TRUE(smoothCornerMethodsDidSwizzle());
    for (double scale : {1.0, 2.0}) {
        const auto shot = Kit::Testing::Snapshot::of(*view, scale);
        shot.save("qvtoolskit", scale == 1 ? "smooth-corners" : "smooth-corners@2x");
        EXPECT_EQ(shot.alphaAt({0.5, 0.5}), 0);
        EXPECT_EQ(shot.alphaAt({299.5, 199.5}), 0);
        EXPECT_COLOUR_NEAR(shot.colourAt({150, 100}), Kit::Colour::blue());
        EXPECT_COLOUR_NEAR(shot.colourAt({75, 100}), Kit::Colour::red());
        EXPECT_COLOUR_NEAR(shot.colourAt({150, 0.5}), Kit::Colour::blue());  // an edge midpoint
        EXPECT_COLOUR_NEAR(shot.colourAt({0.5, 100}), Kit::Colour::red());
        // The subview filling the right half is clipped at the corner, with antialiasing.
        EXPECT_EQ(shot.alphaAt({299.5, 0.5}), 0);
        EXPECT_GT(shot.countPartial({270, 0, 30, 30}), 10);
    }
}

TEST_F(SmoothCornerTest, ZeroRadiiRemoveAnyMask)
{
    View view(Rect{0, 0, 100, 100});
    auto foreign = std::make_shared<Kit::ShapeLayer>();
    view.layer().setMask(foreign);
    setSmoothCorner(view, 0, 0, 0, -1);
    EXPECT_EQ(view.layer().mask(), nullptr);
    EXPECT_EQ(view.associatedValue("NSViewSmoothCornerMaskCornerKey"), nullptr);
    EXPECT_TRUE(view.needsLayout());
}

TEST_F(SmoothCornerTest, MaskFollowsEverySizeChange)
{
    View view(Rect{0, 0, 100, 100});
    setSmoothCorner(view, 10, 10, 10, 10);
    view.setFrameSize({200, 80});
    // Rebuilt right after the base size change, without a display pass.
    auto mask = maskOf(view);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bounds(), (Rect{0, 0, 200, 80}));
    EXPECT_EQ(mask->path()->elements(), NSViewCornerBezierPath(Rect{0, 0, 200, 80}, {10, 10, 10, 10}).elements());
    // Views without corners pass through the hooks untouched.
    View plain(Rect{0, 0, 10, 10});
    plain.setFrameSize({20, 20});
    EXPECT_EQ(plain.layer().mask(), nullptr);
}

TEST_F(SmoothCornerTest, HooksRunAfterTheBaseSizeChange)
{
    // Hooks stay for the process: this one counts only while the test runs.
    auto state = std::make_shared<std::pair<int, Kit::Size>>();
    auto active = std::make_shared<bool>(true);
    View view(Rect{0, 0, 10, 10});
    setSmoothCorner(view, 2);
    Kit::View::addPostHook(Kit::View::Hook::setFrameSize, [state, active](View& v) {
        if (!*active)
            return;
        ++state->first;
        state->second = maskOf(v) ? maskOf(v)->bounds().size : Kit::Size{};
    });
    view.setFrameSize({30, 40});
    *active = false;
    EXPECT_EQ(state->first, 1);
    // The draw step ran before this later hook, on the new size.
    EXPECT_EQ(state->second, (Kit::Size{30, 40}));
}

TEST_F(SmoothCornerTest, BorderStrokesTwiceTheWidthAtTheBack)
{
    auto view = std::make_shared<View>(Rect{0, 0, 100, 60});
    view->layer().setBackgroundColor(Kit::Colour::whiteColor());
    auto front = std::make_shared<Kit::ShapeLayer>();
    view->layer().addSublayer(front);
    setSmoothCornerBorder(*view, Kit::Colour::blue(), 2);
    // Without corners the border is not placed.
    view->displayIfNeeded();
    EXPECT_EQ(view->layer().sublayers().size(), 1u);
    setSmoothCorner(*view, 12);
    view->displayIfNeeded();
    ASSERT_EQ(view->layer().sublayers().size(), 2u);
    auto border = std::dynamic_pointer_cast<Kit::ShapeLayer>(view->layer().sublayers()[0]);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->lineWidth(), 4);
    EXPECT_EQ(border->strokeColor(), Kit::Colour::blue());
    const auto shot = Kit::Testing::Snapshot::of(*view, 2);
    shot.save("qvtoolskit", "smooth-corner-border");
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 0.5}), Kit::Colour::blue());
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 1.5}), Kit::Colour::blue());
    EXPECT_COLOUR_NEAR(shot.colourAt({50, 2.5}), Kit::Colour::whiteColor());
    // Width 0 removes the border layer and keeps the corners.
    setSmoothCornerBorder(*view, Kit::Colour::blue(), 0);
    EXPECT_EQ(view->layer().sublayers().size(), 1u);
    EXPECT_NE(view->layer().mask(), nullptr);
}

TEST_F(SmoothCornerTest, ProfilesBelowAndAboveFourteenGiveTheSamePath)
{
    std::vector<BezierPath::Element> paths[2];
    const char* machines[2] = {"macpro-intel-4fan", "mbp-m1pro-2fan"};
    for (int i = 0; i < 2; ++i) {
        SystemPlatform::ActiveMachine::select(machines[i]);
        View view(Rect{0, 0, 120, 90});
        setSmoothCorner(view, 5, 10, 15, 20);
        view.setFrameSize({120, 90.5});
        paths[i] = maskOf(view)->path()->elements();
    }
    EXPECT_FALSE(paths[0].empty());
    EXPECT_EQ(paths[0], paths[1]);
}

} // namespace
