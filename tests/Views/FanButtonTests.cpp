#include "Classes/Views/FanCustomButton.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Platform/Kit/ColourAsset.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Views/ViewsTest.h"

using namespace Aerlo;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

constexpr Kit::Rect buttonFrame {20, 20, 80, 30};
constexpr Kit::Point inside {60, 35};
constexpr Kit::Point outside {150, 35};

class FanButtonTest : public Testing::ViewsTest {
protected:
    std::shared_ptr<FanCustomButton> makeButton(const std::function<void(FanCustomButton&)>& configure = {})
    {
        Kit::View& content = makeWindow({200, 70});
        auto button = makeFromStoryboard<FanCustomButton>(buttonFrame, configure);
        button->setTitle("Fan");
        button->setBordered(false);
        button->setAction(Kit::Control::Action([this](Kit::Control&) { ++actions; }));
        content.addSubview(button);
        return button;
    }
    static Kit::Colour background(const Kit::View& view)
    {
        return view.layer().backgroundColor().value_or(Kit::Colour::clear());
    }

    int actions = 0;
};

TEST_F(FanButtonTest, TheHoverColourIsTheAssetInEachAppearance)
{
    const auto hover = Kit::ColourAsset::named("InitialWindowActionButtonBackgroundHover");
    ASSERT_TRUE(hover.has_value());
    EXPECT_COLOUR_NEAR(hover->resolved(Kit::Appearance::aqua()), (Kit::Colour {0, 0, 0, 0.08}));
    EXPECT_COLOUR_NEAR(hover->resolved(Kit::Appearance::darkAqua()), (Kit::Colour {1, 1, 1, 0.10}));
    EXPECT_TRUE(Kit::ColourAsset::named("InitialWindowActionButtonBackgroundPressed").has_value());
    EXPECT_FALSE(Kit::ColourAsset::named("NoSuchColour").has_value());
    EXPECT_EQ(FanCustomButton(Kit::Rect {}).hoverBackground, *hover);
}

TEST_F(FanButtonTest, AStoryboardBackgroundShowsUntilThePointerHasBeenInAndOut)
{
    auto button = makeButton([](FanCustomButton& b) {
        b.setBackgroundColor(Kit::Colour::red());
        b.setCornerRadius(6);
    });
    EXPECT_EQ(background(*button), Kit::Colour::red());
    EXPECT_EQ(button->layer().cornerRadius(), 6);

    EventInjector input(window());
    input.moveTo(inside);
    EXPECT_TRUE(button->mouseInside);
    EXPECT_EQ(background(*button), button->hoverBackground);
    const Snapshot hovered = Snapshot::of(*window().contentView());
    hovered.save("views", "fan-button-hover");
    EXPECT_NEAR(hovered.colourAt({25, 25}).alphaComponent(), 0.08, 0.01);

    input.moveTo(outside);
    EXPECT_FALSE(button->mouseInside);
    EXPECT_EQ(background(*button), Kit::Colour::clear());
}

TEST_F(FanButtonTest, TheHoverColourFollowsTheDarkAppearance)
{
    auto button = makeButton();
    window().setAppearance(Kit::Appearance::darkAqua());
    EventInjector(window()).moveTo(inside);
    const Snapshot hovered = Snapshot::of(*window().contentView());
    hovered.save("views", "fan-button-hover-dark");
    EXPECT_COLOUR_NEAR_TOL(hovered.colourAt({25, 25}), (Kit::Colour {1, 1, 1, 0.10}), 0.01);
}

TEST_F(FanButtonTest, ABackgroundSetInCodeWhileOutsideLeavesItClear)
{
    auto button = makeButton();
    button->setBackgroundColor(Kit::Colour::blue());
    EXPECT_EQ(background(*button), Kit::Colour::clear());
    EXPECT_EQ(button->backgroundColor(), Kit::Colour::blue());
}

TEST_F(FanButtonTest, RefreshingTheTrackingAreasLeavesOneOverTheCurrentBounds)
{
    auto button = makeButton();
    for (int i = 0; i < 3; ++i)
        button->updateTrackingAreas();
    button->setFrameSize({120, 30});
    button->updateTrackingAreas();
    std::size_t own = 0;
    for (const auto& area : button->trackingAreas()) {
        if (area->owner() == button.get()) {
            ++own;
            EXPECT_EQ(area->rect(), button->bounds());
            EXPECT_EQ(area->options(), 0x81u);
        }
    }
    EXPECT_EQ(own, 1u);
}

TEST_F(FanButtonTest, AClickSendsOneActionAndEndsClear)
{
    auto button = makeButton();
    EventInjector input(window());
    input.moveTo(inside);
    input.click(inside);
    EXPECT_EQ(actions, 1);
    EXPECT_FALSE(button->mouseInside);
    EXPECT_EQ(background(*button), Kit::Colour::clear());
    const Snapshot clicked = Snapshot::of(*window().contentView());
    clicked.save("views", "fan-button-after-click");
    EXPECT_LT(clicked.colourAt({25, 25}).alphaComponent(), 0.01);
}

TEST_F(FanButtonTest, APressLostWithoutAReleaseAlsoEndsClear)
{
    auto button = makeButton();
    EventInjector input(window());
    input.moveTo(inside);
    input.down(inside);
    window().orderOut();
    EXPECT_FALSE(button->mouseInside);
    EXPECT_EQ(background(*button), Kit::Colour::clear());
    EXPECT_EQ(actions, 0);
}

TEST_F(FanButtonTest, SettersApplyToTheLayer)
{
    auto button = makeButton();
    button->setBorderWidth(2);
    button->setBorderColor(Kit::Colour::green());
    button->setCornerRadius(9);
    EXPECT_EQ(button->layer().borderWidth(), 2);
    EXPECT_EQ(button->layer().borderColor(), Kit::Colour::green());
    EXPECT_EQ(button->layer().cornerRadius(), 9);
}

} // namespace
