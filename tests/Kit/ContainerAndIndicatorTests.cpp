#include "Platform/Kit/Box.h"
#include "Platform/Kit/MenuPresenter.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ProgressIndicator.h"
#include "Platform/Kit/SegmentedControl.h"
#include "Platform/Kit/StackView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/ScriptedMenuPresenter.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

class ControlKindsTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        MenuPresenter::replaceShared(menus_);
        window_ = std::make_unique<Window>(Rect {0, 0, 300, 100}, Window::borderless);
        window_->setContentView(std::make_shared<View>(Rect {0, 0, 300, 100}));
    }
    void TearDown() override
    {
        window_.reset();
        MenuPresenter::replaceShared(nullptr);
        KitTest::TearDown();
    }

    std::shared_ptr<ScriptedMenuPresenter> menus_ = std::make_shared<ScriptedMenuPresenter>();
    std::unique_ptr<Window> window_;
    int actions_ = 0;
};

} // namespace

TEST_F(ControlKindsTest, APopUpButtonSelectsByCodeQuietlyAndByTheUserWithItsAction)
{
    auto popUp = std::make_shared<PopUpButton>(Rect {10, 10, 160, 26});
    popUp->setAction(Control::Action([this](Control&) { ++actions_; }));
    window_->contentView()->addSubview(popUp);
    EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "");
    popUp->addItems({"All Fans", "Left Fan", "Right Fan"});
    EXPECT_EQ(popUp->indexOfSelectedItem(), 0); // the first item added is selected
    popUp->selectItemWithTitle("Right Fan");
    EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
    popUp->selectItemWithTitle("No Fan");
    EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
    EXPECT_EQ(popUp->selectedItem(), nullptr);
    popUp->selectItem(1);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "Left Fan");
    EXPECT_EQ(actions_, 0);

    EventInjector input(*window_);
    input.click({50, 20});
    ASSERT_EQ(menus_->popUps().size(), 1u);
    EXPECT_EQ(menus_->popUps()[0].menu, &popUp->menu());
    EXPECT_EQ(menus_->popUps()[0].positioningItem, popUp->itemAt(1));
    EXPECT_EQ(menus_->popUps()[0].view, popUp.get());
    EXPECT_TRUE(menus_->choose("Right Fan"));
    EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
    EXPECT_EQ(actions_, 1);

    // A title added again moves; removal keeps the selection on its item.
    popUp->addItem("All Fans");
    EXPECT_EQ(popUp->itemTitles(), (std::vector<std::string> {"Left Fan", "Right Fan", "All Fans"}));
    EXPECT_EQ(popUp->titleOfSelectedItem(), "Right Fan");
    popUp->removeItem(0);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "Right Fan");
    popUp->removeAllItems();
    EXPECT_EQ(popUp->indexOfSelectedItem(), -1);
    EXPECT_TRUE(popUp->wantsUpdateLayer());
}

TEST_F(ControlKindsTest, APopUpButtonDrawsItsBezelTitleAndArrowsThoughItUpdatesItsLayer)
{
    auto popUp = std::make_shared<PopUpButton>(Rect {0, 0, 160, 26});
    window_->contentView()->addSubview(popUp);
    popUp->addItems({"Left Fan", "Right Fan"});
    ASSERT_TRUE(popUp->wantsUpdateLayer());
    const auto darkIn = [](const Snapshot& shot, const Rect& rect) {
        int dark = 0;
        for (double x = rect.minX(); x < rect.maxX(); x += 0.5) {
            for (double y = rect.minY(); y < rect.maxY(); y += 0.5) {
                const Colour c = shot.colourAt({x, y});
                dark += c.alphaComponent() > 0.5 && c.redComponent() + c.greenComponent() + c.blueComponent() < 1.5;
            }
        }
        return dark;
    };
    const Snapshot shot = Snapshot::of(*popUp, 2);
    shot.save("kit", "pop-up-button");
    // The bezel fills the body; the title sits at the left, the arrows at the right end, the gap between bare.
    EXPECT_GT(shot.alphaAt({80, 13}), 0.9);
    EXPECT_GT(darkIn(shot, {8, 6, 50, 14}), 20);
    EXPECT_GT(darkIn(shot, {144, 6, 8, 14}), 4);
    EXPECT_EQ(darkIn(shot, {100, 6, 30, 14}), 0);

    popUp->selectItem(-1);
    const Snapshot empty = Snapshot::of(*popUp, 2);
    EXPECT_EQ(darkIn(empty, {8, 6, 50, 14}), 0);
    EXPECT_GT(darkIn(empty, {144, 6, 8, 14}), 4);
}

TEST_F(ControlKindsTest, ASegmentedControlSendsItsActionOnlyForTheUsersChoice)
{
    auto modes = SegmentedControl::withLabels({"System", "Max", "Manual", "Custom"},
        Control::Action([this](Control&) { ++actions_; }));
    modes->setFrame({0, 0, 280, 24});
    window_->contentView()->addSubview(modes);
    EXPECT_EQ(modes->segmentCount(), 4);
    EXPECT_EQ(modes->selectedSegment(), -1);
    modes->setSelectedSegment(3);
    EXPECT_EQ(modes->selectedSegment(), 3);
    EXPECT_EQ(actions_, 0);
    EXPECT_EQ(modes->rectOfSegment(1), (Rect {70, 0, 70, 24}));

    EventInjector input(*window_);
    input.click({100, 12});
    EXPECT_EQ(modes->selectedSegment(), 1);
    EXPECT_EQ(actions_, 1);
    input.down({100, 12});
    input.up({250, 12}); // released over another segment: nothing
    EXPECT_EQ(modes->selectedSegment(), 1);
    EXPECT_EQ(actions_, 1);
    modes->setEnabled(false, 2);
    input.click({180, 12});
    EXPECT_EQ(modes->selectedSegment(), 1);

    modes->setSelectedSegment(9);
    EXPECT_EQ(modes->selectedSegment(), -1);
    modes->setSelectedSegment(3);
    modes->setSegmentCount(2);
    EXPECT_EQ(modes->selectedSegment(), -1);
    modes->setSelectedSegment(0);
    const auto shot = Snapshot::of(*modes, 2);
    shot.save("kit", "segmented-first-selected");
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({10, 12}), Colour::controlAccentColor().resolved(), 0.02);
}

TEST_F(ControlKindsTest, AProgressBarFillsToItsFractionAndASpinnerTurnsOnlyWhileAnimating)
{
    auto bar = std::make_shared<ProgressIndicator>(Rect {0, 0, 200, 10});
    bar->setIndeterminate(false);
    bar->setMinValue(0);
    bar->setMaxValue(50);
    bar->setDoubleValue(20);
    EXPECT_DOUBLE_EQ(bar->fraction(), 0.4);
    bar->setDoubleValue(80);
    EXPECT_EQ(bar->doubleValue(), 50);
    bar->setDoubleValue(25);
    const auto shot = Snapshot::of(*bar, 2);
    shot.save("kit", "progress-half");
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({60, 5}), Colour::controlAccentColor().resolved(), 0.02);
    EXPECT_LT(shot.alphaAt({150, 5}), 0.5);

    auto spinner = std::make_shared<ProgressIndicator>(Rect {0, 0, 32, 32});
    spinner->setStyle(ProgressIndicator::Style::spinning);
    spinner->setDisplayedWhenStopped(false);
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimation();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_TRUE(spinner->isAnimating());
    ASSERT_NE(spinner->layer().animation(ProgressIndicator::animationKey), nullptr);
    advance(0.25);
    const auto angle = spinner->layer().presentation().value("transform.rotation.z");
    ASSERT_TRUE(angle.has_value());
    EXPECT_NEAR(std::get<double>(*angle), -M_PI / 2, 1e-6);
    spinner->stopAnimation();
    EXPECT_EQ(spinner->layer().animation(ProgressIndicator::animationKey), nullptr);
    EXPECT_TRUE(spinner->isHidden());
}

TEST_F(ControlKindsTest, ACustomBoxFillsItsRoundedRectAndKeepsItsContentInsideTheMargins)
{
    auto box = std::make_shared<Box>(Rect {0, 0, 120, 80});
    box->setBoxType(Box::BoxType::custom);
    box->setTitlePosition(Box::TitlePosition::noTitle);
    box->setCornerRadius(16);
    box->setBorderWidth(0);
    box->setFillColor(Colour::white(1, 0.4));
    box->setContentViewMargins({0, 0});
    EXPECT_EQ(box->contentView()->frame(), (Rect {0, 0, 120, 80}));
    box->setContentViewMargins({10, 5});
    EXPECT_EQ(box->contentView()->frame(), (Rect {10, 5, 100, 70}));
    box->setFrameSize({200, 100});
    EXPECT_EQ(box->contentView()->frame(), (Rect {10, 5, 180, 90}));
    const auto shot = Snapshot::of(*box, 2);
    shot.save("kit", "box-custom");
    EXPECT_COLOUR_NEAR(shot.colourAt({100, 50}), Colour::white(1, 0.4));
    EXPECT_EQ(shot.alphaAt({0.5, 0.5}), 0);

    box->setBorderWidth(2);
    box->setBorderColor(Colour::red());
    const auto bordered = Snapshot::of(*box, 2);
    bordered.save("kit", "box-custom-bordered");
    EXPECT_COLOUR_NEAR(bordered.colourAt({100, 0.75}), Colour::red());
    EXPECT_COLOUR_NEAR(bordered.colourAt({100, 2.5}), Colour::white(1, 0.4));
}

TEST_F(ControlKindsTest, AColumnStacksTopDownAndARowGivesTheLabelWhatTheValueLeaves)
{
    auto column = std::make_shared<StackView>(Rect {0, 0, 200, 100});
    column->setOrientation(StackView::Orientation::vertical);
    column->setSpacing(0);
    auto header = std::make_shared<View>(Rect {0, 0, 50, 30});
    auto first = std::make_shared<View>(Rect {0, 0, 50, 22});
    auto hidden = std::make_shared<View>(Rect {0, 0, 50, 22});
    hidden->setHidden(true);
    auto second = std::make_shared<View>(Rect {0, 0, 50, 22});
    for (const auto& view : {header, first, hidden, second})
        column->addArrangedSubview(view);
    column->layoutSubtreeIfNeeded();
    EXPECT_EQ(header->frame(), (Rect {0, 70, 200, 30}));
    EXPECT_EQ(first->frame(), (Rect {0, 48, 200, 22}));
    EXPECT_EQ(second->frame(), (Rect {0, 26, 200, 22}));
    EXPECT_EQ(column->fittingLength(), 74);
    column->removeArrangedSubview(*first);
    EXPECT_EQ(column->arrangedSubviews().size(), 3u);
    EXPECT_EQ(first->superview(), column.get());

    auto label = TextField::labelWithString("CPU Core Average");
    auto value = TextField::labelWithString("45 ℃");
    auto row = StackView::withViews({label, value});
    row->setFrame({0, 0, 200, 22});
    row->setDistribution(StackView::Distribution::fillProportionally);
    row->setSpacing(0);
    row->layoutSubtreeIfNeeded();
    const double valueWidth = value->intrinsicContentSize().width;
    EXPECT_EQ(value->frame(), (Rect {200 - valueWidth, 0, valueWidth, 22}));
    EXPECT_EQ(label->frame(), (Rect {0, 0, 200 - valueWidth, 22}));

    // A longer text lays the row out again, so the value keeps all of it.
    value->setStringValue("45.3 ℃");
    EXPECT_TRUE(row->needsLayout());
    row->layoutSubtreeIfNeeded();
    const double longerWidth = value->intrinsicContentSize().width;
    ASSERT_GT(longerWidth, valueWidth);
    EXPECT_EQ(value->frame(), (Rect {200 - longerWidth, 0, longerWidth, 22}));
    EXPECT_EQ(label->frame(), (Rect {0, 0, 200 - longerWidth, 22}));
    // The same text again asks for nothing.
    value->setStringValue("45.3 ℃");
    EXPECT_FALSE(row->needsLayout());
}
