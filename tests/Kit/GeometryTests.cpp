#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/Rect.h"
#include "Platform/Kit/View.h"
#include "tests/Support/Kit/KitTest.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace Kit;

namespace {

class GeometryTest : public Testing::KitTest {};

class FlippedView : public View {
public:
    using View::View;
    bool isFlipped() const override { return true; }
};

TEST(RectTest, NormalisingAndRawMaxima)
{
    const Rect r {10, 20, -100, 50};
    EXPECT_DOUBLE_EQ(r.maxX(), 10);
    EXPECT_DOUBLE_EQ(r.minX(), -90);
    EXPECT_DOUBLE_EQ(r.midX(), -40);
    EXPECT_DOUBLE_EQ(r.rawMaxX(), -90);
    EXPECT_DOUBLE_EQ(r.maxY(), 70);
    EXPECT_EQ(r.standardized(), Rect(-90, 20, 100, 50));
}

TEST(RectTest, ContainsIncludesMinimumEdgesOnly)
{
    const Rect r {0, 0, 10, 10};
    EXPECT_TRUE(r.contains(Point {0, 0}));
    EXPECT_FALSE(r.contains(Point {10, 5}));
    EXPECT_FALSE(r.contains(Point {5, 10}));
    EXPECT_FALSE(Rect(0, 0, 0, 10).contains(Point {0, 0}));
}

TEST(RectTest, TextCodec)
{
    struct Case {
        const char* text;
        Rect rect;
    };
    const Case cases[] = {
        {"{{1, 2}, {3}}", {1, 2, 3, 0}},
        {"{{100, 200}, {400, 300}}", {100, 200, 400, 300}},
        {"{{-1.5, 2e1}, {3, 4}}", {-1.5, 20, 3, 4}},
        {"garbage", {0, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"{{1, 2}, {3, 4}, {5, 6}}", {1, 2, 3, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rectFromString(c.text), c.rect) << c.text;
    EXPECT_EQ(stringFromRect({100, 200, 400, 300}), "{{100, 200}, {400, 300}}");
    EXPECT_EQ(stringFromRect({0.5, -0.0, 1e-3, 7}), "{{0.5, 0}, {0.001, 7}}");
    const Rect odd {0.1, 1.0 / 3, 12345.678, 2};
    EXPECT_EQ(rectFromString(stringFromRect(odd)), odd);
}

TEST_F(GeometryTest, FramesRoundTripBetweenYUpAndQt)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 300, 200});
    auto child = std::make_shared<View>(Rect {10, 20, 100, 50});
    parent->addSubview(child);
    // y up: the child's top lies 200 − 70 = 130 below the parent's top.
    EXPECT_EQ(child->qtWidget()->geometry(), QRect(10, 130, 100, 50));
    EXPECT_EQ(QtBridge::flipped(QtBridge::rect(QRectF(10, 130, 100, 50)), 200), child->frame());

    auto flipped = std::make_shared<FlippedView>(Rect {0, 0, 300, 200});
    auto top = std::make_shared<View>(Rect {10, 20, 100, 50});
    flipped->addSubview(top);
    EXPECT_EQ(top->qtWidget()->geometry(), QRect(10, 20, 100, 50));
}

TEST_F(GeometryTest, ChildrenFollowAParentsHeightChange)
{
    auto parent = std::make_shared<View>(Rect {0, 0, 300, 200});
    auto child = std::make_shared<View>(Rect {10, 20, 100, 50});
    parent->addSubview(child);
    parent->setFrameSize({300, 260});
    EXPECT_EQ(child->frame(), Rect(10, 20, 100, 50));
    EXPECT_EQ(child->qtWidget()->geometry(), QRect(10, 190, 100, 50));
}

TEST_F(GeometryTest, BoundsOriginShiftsChildren)
{
    auto parent = std::make_shared<FlippedView>(Rect {0, 0, 100, 100});
    auto child = std::make_shared<View>(Rect {0, 50, 100, 20});
    parent->addSubview(child);
    parent->setBoundsOrigin({0, 40});
    EXPECT_EQ(child->qtWidget()->geometry(), QRect(0, 10, 100, 20));
}

TEST_F(GeometryTest, FlippedViewsLayOutTopDown)
{
    auto list = std::make_shared<FlippedView>(Rect {0, 0, 100, 90});
    for (int i = 0; i < 3; ++i)
        list->addSubview(std::make_shared<View>(Rect {0, 30.0 * i, 100, 30}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list->subviews()[i]->qtWidget()->geometry().top(), 30 * i);
    // The first row's top left (y up inside the row) is the window's top left corner.
    EXPECT_EQ(list->subviews()[0]->convertTo(Point {0, 30}, nullptr), (Point {0, 90}));
    EXPECT_EQ(list->convertFrom(Point {5, 85}, nullptr), (Point {5, 5}));
}

TEST_F(GeometryTest, ConversionBetweenSiblings)
{
    auto root = std::make_shared<View>(Rect {0, 0, 400, 300});
    auto a = std::make_shared<View>(Rect {10, 10, 100, 100});
    auto b = std::make_shared<FlippedView>(Rect {200, 100, 100, 100});
    root->addSubview(a);
    root->addSubview(b);
    // a's (0, 0) is the root's (10, 10); in b (flipped, top at 200) that is (−190, 190).
    EXPECT_EQ(a->convertTo(Point {0, 0}, b.get()), (Point {-190, 190}));
    EXPECT_EQ(b->convertFrom(Point {0, 0}, a.get()), (Point {-190, 190}));
    EXPECT_EQ(a->convertTo(Rect {0, 0, 10, 10}, b.get()), (Rect {-190, 180, 10, 10}));
}

TEST_F(GeometryTest, AutoresizingMasks)
{
    struct Case {
        unsigned mask;
        Rect expected;
    };
    // Superview 200 × 100 grows to 300 × 160; the child starts at (50, 20, 100, 60).
    const Case cases[] = {
        {45, {100, 50, 100, 60}}, // every margin flexible: the child keeps its size, centred
        {12, {50, 80, 100, 60}}, // right and bottom margins: stays at the top left (y up)
        {18, {50, 20, 200, 120}}, // width and height
        {0, {50, 20, 100, 60}},
    };
    for (const auto& c : cases) {
        auto parent = std::make_shared<View>(Rect {0, 0, 200, 100});
        auto child = std::make_shared<View>(Rect {50, 20, 100, 60});
        child->setAutoresizingMask(c.mask);
        parent->addSubview(child);
        parent->setFrameSize({300, 160});
        EXPECT_EQ(child->frame(), c.expected) << "mask " << c.mask;
    }
}

} // namespace
