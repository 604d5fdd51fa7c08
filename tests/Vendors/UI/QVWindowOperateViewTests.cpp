#include "Platform/Kit/Window.h"
#include "Platform/Vendors/UI/QVWindowOperateView.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

using Vendors::QVWindowOperateView;

namespace {

class QVWindowOperateViewTest : public Kit::Testing::KitTest {};

TEST_F(QVWindowOperateViewTest, EachCircleGivesItsCodeAndTheGapsNothing)
{
    using Type = QVWindowOperateView::ButtonType;
    auto strip = std::make_shared<QVWindowOperateView>(
        std::vector<Type> {Type::close, Type::miniaturize, Type::fullScreen}, false);
    EXPECT_EQ(strip->frame().size, (Kit::Size {2 * 21.5 + 12, 20}));
    Kit::Window window({100, 100, 100, 40}, Kit::Window::borderless);
    window.setContentView(std::make_shared<Kit::View>(Kit::Rect {0, 0, 100, 40}));
    strip->setFrameOrigin({10, 10});
    window.contentView()->addSubview(strip);
    window.orderFront();
    std::vector<int> codes;
    strip->setAction([&](int code) { codes.push_back(code); });

    Kit::Testing::EventInjector mouse(window);
    const auto centre = [&](std::size_t i) {
        const Kit::Rect r = strip->rectOfButton(i);
        return strip->convertTo(Kit::Point {r.midX(), r.midY()}, nullptr);
    };
    for (std::size_t i : {0, 1, 2, 2})
        mouse.click(centre(i));
    // Between the circles, and a press that leaves its circle before the release.
    mouse.click(strip->convertTo(Kit::Point {16.75, 10}, nullptr));
    mouse.down(centre(0));
    mouse.up(centre(1));
    EXPECT_EQ(codes, (std::vector<int> {0, 1, 2, 3}));

    // The glyphs show only under the pointer.
    mouse.moveTo(centre(0));
    EXPECT_TRUE(strip->isHovering());
    const auto shot = Kit::Testing::Snapshot::of(*strip);
    EXPECT_GT(shot.colourAt({6, 5.5}).redComponent(), 0.9);
    EXPECT_LT(shot.colourAt({4.5, 8.5}).redComponent(), 0.8); // the cross's stroke
    mouse.exit();
    EXPECT_GT(Kit::Testing::Snapshot::of(*strip).colourAt({4.5, 8.5}).redComponent(), 0.9);
}

TEST_F(QVWindowOperateViewTest, ADisabledFullScreenButtonDoesNothing)
{
    using Type = QVWindowOperateView::ButtonType;
    auto strip = std::make_shared<QVWindowOperateView>(std::vector<Type> {Type::fullScreen}, true);
    Kit::Window window({100, 100, 40, 40}, Kit::Window::borderless);
    window.setContentView(std::make_shared<Kit::View>(Kit::Rect {0, 0, 40, 40}));
    window.contentView()->addSubview(strip);
    window.orderFront();
    int calls = 0;
    strip->setAction([&](int) { ++calls; });
    Kit::Testing::EventInjector(window).click({6, 10});
    EXPECT_EQ(calls, 0);
}

} // namespace
