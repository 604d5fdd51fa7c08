#include "QVToolsKit/UI/ViewFrameGeometry.h"

#include "tests/Support/Kit/KitTest.h"

#include <gtest/gtest.h>

#include <functional>

using namespace QVToolsKit;
using Kit::Point;
using Kit::Rect;
using Kit::Size;
using Kit::View;

namespace {

class ViewFrameGeometryTest : public Kit::Testing::KitTest {};

TEST_F(ViewFrameGeometryTest, Reads)
{
    View view(Rect{10, 20, 100, 50});
    EXPECT_EQ(x(view), 10);
    EXPECT_EQ(left(view), 10);
    EXPECT_EQ(y(view), 20);
    EXPECT_EQ(top(view), 20);
    EXPECT_EQ(bottom(view), 70);
    EXPECT_EQ(right(view), 110);
    EXPECT_EQ(maxX(view), 110);
    EXPECT_EQ(maxY(view), 70);
    EXPECT_EQ(centerPoint(view), (Point{50, 25}));
    EXPECT_EQ(center(view), (Point{60, 45}));
    EXPECT_EQ(frameSize(view), (Size{100, 50}));

    // A negative width: `right` is the normalised maximum, `bottom` stays y + height.
    View odd(Rect{10, 20, -100, -50});
    EXPECT_EQ(right(odd), 10);
    EXPECT_EQ(centerX(odd), -40);
    EXPECT_EQ(bottom(odd), -30);
    EXPECT_EQ(maxY(odd), 20);
}

TEST_F(ViewFrameGeometryTest, WritesChangeOnePart)
{
    struct Case {
        const char* name;
        std::function<void(View&)> write;
        Rect expected;
    };
    const Case cases[] = {
        {"bottom", [](View& v) { setBottom(v, 100); }, {10, 50, 100, 50}},
        {"right", [](View& v) { setRight(v, 300); }, {200, 20, 100, 50}},
        {"centerX", [](View& v) { setCenterX(v, 0); }, {-50, 20, 100, 50}},
        {"centerY", [](View& v) { setCenterY(v, 0); }, {10, -25, 100, 50}},
        {"center", [](View& v) { setCenter(v, {0, 0}); }, {-50, -25, 100, 50}},
        {"width", [](View& v) { setWidth(v, 7); }, {10, 20, 7, 50}},
        {"frameSize", [](View& v) { setFrameSize(v, {1, 2}); }, {10, 20, 1, 2}},
        {"origin", [](View& v) { setOrigin(v, {3, 4}); }, {3, 4, 100, 50}},
        {"left", [](View& v) { setLeft(v, 1); }, {1, 20, 100, 50}},
        {"top", [](View& v) { setTop(v, 1); }, {10, 1, 100, 50}},
    };
    for (const auto& c : cases) {
        View view(Rect{10, 20, 100, 50});
        c.write(view);
        EXPECT_EQ(view.frame(), c.expected) << c.name;
    }
}

TEST_F(ViewFrameGeometryTest, ChainableOperations)
{
    auto super = std::make_shared<View>(Rect{0, 0, 300, 200});
    auto other = std::make_shared<View>(Rect{200, 30, 40, 60});
    super->addSubview(other);
    struct Case {
        const char* name;
        std::function<View&(View&)> op;
        Rect expected;
    };
    const Case cases[] = {
        {"edgeToSuper", [](View& v) -> View& { return edgeToSuper(v, 5, 10, 15, 20); }, {10, 5, 270, 180}},
        {"rightSpaceTo", [&](View& v) -> View& { return rightSpaceTo(v, *other, 8); }, {142, 20, 50, 10}},
        {"leftSpaceTo", [&](View& v) -> View& { return leftSpaceTo(v, *other, 8); }, {248, 20, 50, 10}},
        {"topSpaceTo", [&](View& v) -> View& { return topSpaceTo(v, *other, 4); }, {1, 94, 50, 10}},
        {"bottomSpaceTo", [&](View& v) -> View& { return bottomSpaceTo(v, *other, 4); }, {1, 16, 50, 10}},
        {"rightEqualTo", [&](View& v) -> View& { return rightEqualTo(v, *other, 2); }, {192, 20, 50, 10}},
        {"bottomEqualTo", [&](View& v) -> View& { return bottomEqualTo(v, *other); }, {1, 80, 50, 10}},
        {"centerEqualTo", [&](View& v) -> View& { return centerEqualTo(v, *other); }, {195, 55, 50, 10}},
        {"centerXEqualTo", [&](View& v) -> View& { return centerXEqualTo(v, *other, 1); }, {196, 20, 50, 10}},
        {"xEqualTo", [&](View& v) -> View& { return xEqualTo(v, *other, -1); }, {199, 20, 50, 10}},
        {"sizeEqualTo", [&](View& v) -> View& { return sizeEqualTo(v, *other); }, {1, 20, 40, 60}},
        {"rightEqualToSuper", [](View& v) -> View& { return rightEqualToSuper(v); }, {250, 20, 50, 10}},
        {"bottomEqualToSuper", [](View& v) -> View& { return bottomEqualToSuper(v); }, {1, 190, 50, 10}},
        {"centerEqualToSuper", [](View& v) -> View& { return centerEqualToSuper(v); }, {125, 95, 50, 10}},
        {"centerYEqualToSuper", [](View& v) -> View& { return centerYEqualToSuper(v); }, {1, 95, 50, 10}},
        {"rightSpaceToSuper", [](View& v) -> View& { return rightSpaceToSuper(v, 6); }, {244, 20, 50, 10}},
        {"bottomSpaceToSuper", [](View& v) -> View& { return bottomSpaceToSuper(v, 6); }, {1, 184, 50, 10}},
        {"offset", [](View& v) -> View& { return offset(v, 2, -3); }, {3, 17, 50, 10}},
        {"frameIs", [](View& v) -> View& { return frameIs(v, 1, 2, 3, 4); }, {1, 2, 3, 4}},
        {"centerIs", [](View& v) -> View& { return centerIs(v, 0, 0); }, {-25, -5, 50, 10}},
    };
    for (const auto& c : cases) {
        auto view = std::make_shared<View>(Rect{1, 20, 50, 10});
        super->addSubview(view);
        View& result = c.op(*view);
        EXPECT_EQ(&result, view.get()) << c.name;
        EXPECT_EQ(view->frame(), c.expected) << c.name;
        view->removeFromSuperview();
    }
}

TEST_F(ViewFrameGeometryTest, SuperviewOperationsWithoutASuperviewChangeNothing)
{
    View view(Rect{10, 20, 100, 50});
    EXPECT_EQ(&centerEqualToSuper(view), &view);
    EXPECT_EQ(&edgeToSuper(view, 1, 2, 3, 4), &view);
    EXPECT_EQ(&rightSpaceToSuper(view, 1), &view);
    EXPECT_EQ(view.frame(), (Rect{10, 20, 100, 50}));
    // The "space to super" pair on the minimum edges needs no superview.
    leftSpaceToSuper(topSpaceToSuper(view, 3), 4);
    EXPECT_EQ(view.frame(), (Rect{4, 3, 100, 50}));
}

TEST_F(ViewFrameGeometryTest, ChainedCallsApplyInOrder)
{
    View view(Rect{10, 20, 100, 50});
    rightIs(widthIs(xIs(view, 5), 30), 100);
    EXPECT_EQ(view.frame(), (Rect{70, 20, 30, 50}));
}

} // namespace
