#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Window.h"
#include "QVToolsKit/UI/QVCustomTableRowView.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;
using QVToolsKit::QVCustomTableRowView;

namespace {

class QVCustomTableRowViewTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        row_ = std::make_shared<QVCustomTableRowView>(Rect {0, 0, 200, 30});
    }

    std::shared_ptr<QVCustomTableRowView> row_;
};

const Colour selection = Colour::black().withAlphaComponent(0.35);

} // namespace

TEST_F(QVCustomTableRowViewTest, StartsWithItsInitialValuesAndStaysEmphasised)
{
    EXPECT_FALSE(row_->mouseInside());
    EXPECT_EQ(row_->selectedBackgroundColor(), selection);
    EXPECT_EQ(row_->hoverBackgroundColorLight(), Colour::black().withAlphaComponent(0.1));
    EXPECT_EQ(row_->hoverBackgroundColorDark(), Colour::whiteColor().withAlphaComponent(0.1));
    EXPECT_EQ(row_->rowCornerRadius(), 10.0);
    EXPECT_TRUE(row_->selectedHasCorner());
    EXPECT_TRUE(row_->hoverEnabled());
    EXPECT_EQ(row_->selectionOffsetX(), 5.0);
    row_->setEmphasized(false);
    EXPECT_TRUE(row_->isEmphasized());
}

TEST_F(QVCustomTableRowViewTest, EverySetterMarksTheViewForDisplay)
{
    const std::function<void(QVCustomTableRowView&)> setters[] = {
        [](auto& r) { r.setMouseInside(true); },
        [](auto& r) { r.setSelectedBackgroundColor(Colour::red()); },
        [](auto& r) { r.setHoverBackgroundColorLight(Colour::red()); },
        [](auto& r) { r.setHoverBackgroundColorDark(Colour::red()); },
        [](auto& r) { r.setRowCornerRadius(4); },
        [](auto& r) { r.setSelectedHasCorner(false); },
        [](auto& r) { r.setHoverEnabled(false); },
        [](auto& r) { r.setSelectionOffsetX(0); },
    };
    for (size_t i = 0; i < std::size(setters); ++i) {
        row_->displayIfNeeded();
        ASSERT_FALSE(row_->needsDisplay());
        setters[i](*row_);
        EXPECT_TRUE(row_->needsDisplay()) << "setter " << i;
    }
}

TEST_F(QVCustomTableRowViewTest, TheSelectionFillsTheInsetRoundedRectangle)
{
    row_->setSelected(true);
    // At scale 2 the edges x 7.5, 192.5 and y 2.5, 27.5 fall between pixels: probe each side of them.
    const auto shot = Snapshot::of(*row_, 2);
    shot.save("qvtoolskit", "custom-row-selected");
    EXPECT_COLOUR_NEAR(shot.colourAt({7.75, 15}), selection);
    EXPECT_COLOUR_NEAR(shot.colourAt({192.25, 15}), selection);
    EXPECT_COLOUR_NEAR(shot.colourAt({100, 2.75}), selection);
    EXPECT_COLOUR_NEAR(shot.colourAt({100, 27.25}), selection);
    EXPECT_EQ(shot.alphaAt({7.25, 15}), 0);
    EXPECT_EQ(shot.alphaAt({192.75, 15}), 0);
    EXPECT_EQ(shot.alphaAt({100, 2.25}), 0);
    EXPECT_EQ(shot.alphaAt({100, 27.75}), 0);
    // Rounded by 10: the rectangle's corner stays clear.
    EXPECT_EQ(shot.alphaAt({8, 3}), 0);
    ASSERT_TRUE(shot.inkBounds().has_value());
    EXPECT_EQ(*shot.inkBounds(), (Rect {7.5, 2.5, 185, 25}));

    // At scale 1 the edge pixels are half covered.
    const auto coarse = Snapshot::of(*row_, 1);
    EXPECT_COLOUR_NEAR(coarse.colourAt({100, 15}), selection);
    EXPECT_NEAR(coarse.alphaAt({7, 15}), 0.35 / 2, 0.02);
    EXPECT_NEAR(coarse.alphaAt({192, 15}), 0.35 / 2, 0.02);
    EXPECT_EQ(coarse.alphaAt({6, 15}), 0);
    EXPECT_EQ(coarse.alphaAt({193, 15}), 0);
}

TEST_F(QVCustomTableRowViewTest, HighlightStyleNoneDrawsNoSelection)
{
    row_->setSelected(true);
    row_->setSelectionHighlightStyle(TableViewSelectionHighlightStyle::none);
    EXPECT_FALSE(Snapshot::of(*row_).inkBounds().has_value());
}

TEST_F(QVCustomTableRowViewTest, ASelectedRowUnderThePointerShowsTheSelectionOnly)
{
    row_->setSelected(true);
    row_->setMouseInside(true);
    EXPECT_COLOUR_NEAR(Snapshot::of(*row_).colourAt({100, 15}), selection);
}

TEST_F(QVCustomTableRowViewTest, WithoutSelectedCornersTheSelectionIsSquareButTheHoverStaysRound)
{
    row_->setSelectedHasCorner(false);
    row_->setSelected(true);
    const auto square = Snapshot::of(*row_, 2);
    square.save("qvtoolskit", "custom-row-square-selection");
    EXPECT_COLOUR_NEAR(square.colourAt({8, 3}), selection);
    row_->setSelected(false);
    row_->setMouseInside(true);
    const auto hover = Snapshot::of(*row_, 2);
    hover.save("qvtoolskit", "custom-row-hover");
    EXPECT_EQ(hover.alphaAt({8, 3}), 0);
    EXPECT_COLOUR_NEAR(hover.colourAt({100, 15}), Colour::black().withAlphaComponent(0.1));
}

TEST_F(QVCustomTableRowViewTest, ThePointerDrivesTheHoverInAWindowAndDarkSwitchesItsColour)
{
    Window window({0, 0, 200, 30}, Window::borderless);
    window.setContentView(row_);
    EventInjector input(window);
    ASSERT_EQ(row_->trackingAreas().size(), 1u);
    EXPECT_EQ(row_->trackingAreas()[0]->options(), 0x81u);
    EXPECT_EQ(row_->trackingAreas()[0]->rect(), row_->bounds());
    row_->updateTrackingAreas();
    row_->updateTrackingAreas();
    EXPECT_EQ(row_->trackingAreas().size(), 1u);

    input.moveTo({-10, 15});
    input.moveTo({50, 15});
    EXPECT_TRUE(row_->mouseInside());
    EXPECT_COLOUR_NEAR(Snapshot::of(*row_).colourAt({100, 15}), Colour::black().withAlphaComponent(0.1));

    row_->displayIfNeeded();
    Appearance::setSystem(Appearance::darkAqua());
    EXPECT_TRUE(row_->needsDisplay());
    EXPECT_COLOUR_NEAR(Snapshot::of(*row_).colourAt({100, 15}), Colour::whiteColor().withAlphaComponent(0.1));

    input.moveTo({250, 15});
    EXPECT_FALSE(row_->mouseInside());
    EXPECT_FALSE(Snapshot::of(*row_).inkBounds().has_value());
}

TEST_F(QVCustomTableRowViewTest, WithHoverOffThePointerChangesNothing)
{
    Window window({0, 0, 200, 30}, Window::borderless);
    window.setContentView(row_);
    row_->setHoverEnabled(false);
    EventInjector input(window);
    input.moveTo({50, 15});
    EXPECT_FALSE(row_->mouseInside());
    // Turning hover off keeps a pointer that was inside, but draws no hover.
    row_->setHoverEnabled(true);
    input.moveTo({60, 15});
    input.moveTo({250, 15});
    input.moveTo({60, 15});
    EXPECT_TRUE(row_->mouseInside());
    row_->setHoverEnabled(false);
    EXPECT_TRUE(row_->mouseInside());
    EXPECT_FALSE(Snapshot::of(*row_).inkBounds().has_value());
}
