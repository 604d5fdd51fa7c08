#include "Classes/Views/QVCustomButton.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Platform/Kit/Screen.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <cmath>

using namespace Aerlo;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

constexpr Kit::Rect buttonFrame {20, 20, 100, 30};
constexpr Kit::Point inside {70, 35};
constexpr Kit::Point outside {180, 35};
const Kit::Colour normalFill = Kit::Colour::fromRGB255(230, 230, 235);
const Kit::Colour activeFill = Kit::Colour::fromRGB255(0, 122, 255);

class CustomButtonTest : public Testing::ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        TestAccess::setApplicationActiveForTesting<Kit::Window>(true);
    }

    // A button from its builder with the two fills, the panels' look, in a window; the action counted.
    std::shared_ptr<QVCustomButton> makeButton()
    {
        Kit::View& content = makeWindow({200, 70});
        auto button = makeFromStoryboard<QVCustomButton>(buttonFrame, [](QVCustomButton& b) {
            b.setTitle("Auto");
            b.setCornerRadius(8);
            b.setBackgroundColor(normalFill);
            b.setActiveBackgroundColor(activeFill);
            b.setTextColor(Kit::Colour::black());
            b.setActiveTextColor(Kit::Colour::whiteColor());
        });
        content.addSubview(button);
        button->setAction(Kit::Control::Action([this](Kit::Control&) { ++actions; }));
        button->setTarget(this);
        window().displayIfNeeded();
        return button;
    }
    static Kit::Colour shown(const Kit::Layer& layer, const char* key)
    {
        return std::get<Kit::Colour>(*layer.presentation().value(key));
    }
    static Kit::Colour stored(const Kit::Layer& layer, const char* key) { return std::get<Kit::Colour>(*layer.value(key)); }
    // Sets the state as code does; the look follows at the next display pass.
    void setState(QVCustomButton& button, Kit::StateValue state)
    {
        button.setState(state);
        window().displayIfNeeded();
    }

    int actions = 0;
};

TEST_F(CustomButtonTest, ANewButtonIsClearWithALabelColouredTitle)
{
    const QVCustomButton button;
    const Kit::Layer& layer = button.layer();
    EXPECT_EQ(layer.backgroundColor(), Kit::Colour::clear());
    EXPECT_EQ(layer.borderColor(), Kit::Colour::clear());
    EXPECT_EQ(layer.shadowColor(), Kit::Colour::clear());
    EXPECT_EQ(layer.cornerRadius(), 0);
    EXPECT_EQ(layer.borderWidth(), 0);
    EXPECT_EQ(layer.shadowRadius(), 0);
    EXPECT_EQ(layer.shadowOpacity(), 0);
    EXPECT_FALSE(layer.masksToBounds());
    EXPECT_EQ(layer.cornerCurve(), Kit::CornerCurve::continuous);
    EXPECT_EQ(button.titleLayer()->foregroundColor(), Kit::Colour::labelColor());
    EXPECT_EQ(button.state(), Kit::StateValue::off);
    EXPECT_EQ(button.activeShadowRadius(), -1);
    EXPECT_EQ(button.activeShadowOpacity(), -1);
    EXPECT_FALSE(button.activeShadowColor().has_value());
    EXPECT_EQ(button.titleLayer()->superlayer(), &layer);
    EXPECT_EQ(button.titleLayer()->alignmentMode(), Kit::TextAlignment::center);
    // Never in a window: the title is drawn at twice the density.
    EXPECT_EQ(button.titleLayer()->contentsScale(), 2.0);
}

TEST_F(CustomButtonTest, UnsetActiveShadowValuesFallBackToTheNormalOnes)
{
    auto button = makeButton();
    button->setShadowRadius(4);
    button->setShadowOpacity(0.3);
    button->setShadowColor(Kit::Colour::blue());
    setState(*button, Kit::StateValue::on);
    advance(0.3);
    EXPECT_EQ(stored(button->layer(), "shadowColor"), Kit::Colour::blue());
    button->setupLayer();
    EXPECT_EQ(button->layer().shadowRadius(), 4);
    EXPECT_FLOAT_EQ(static_cast<float>(button->layer().shadowOpacity()), 0.3f);

    button->setActiveShadowRadius(7);
    button->setActiveShadowOpacity(0.5);
    button->setActiveShadowColor(Kit::Colour::red());
    EXPECT_EQ(button->layer().shadowRadius(), 7);
    EXPECT_EQ(button->layer().shadowColor(), Kit::Colour::red());
    button->setupLayer();
    EXPECT_EQ(button->layer().shadowRadius(), 7);
    EXPECT_FLOAT_EQ(static_cast<float>(button->layer().shadowOpacity()), 0.5f);
}

TEST_F(CustomButtonTest, ANormalSetterRepaintsAtOnceEvenWhileOn)
{
    auto button = makeButton();
    setState(*button, Kit::StateValue::on);
    advance(0.3);
    EXPECT_EQ(shown(button->layer(), "backgroundColor"), activeFill);

    button->setBackgroundColor(Kit::Colour::green());
    EXPECT_EQ(shown(button->layer(), "backgroundColor"), Kit::Colour::green()) << "a finished animation must not hold its end value";
    button->updateStateAppearance();
    advance(0.3);
    EXPECT_EQ(shown(button->layer(), "backgroundColor"), activeFill);
    EXPECT_EQ(stored(button->layer(), "backgroundColor"), activeFill);
}

TEST_F(CustomButtonTest, TheActiveTitleColourShowsAtOnceOnlyWhileOn)
{
    auto button = makeButton();
    button->setActiveTextColor(Kit::Colour::red());
    EXPECT_EQ(stored(*button->titleLayer(), "foregroundColor"), Kit::Colour::black());
    setState(*button, Kit::StateValue::on);
    advance(0.3);
    button->setActiveTextColor(Kit::Colour::green());
    EXPECT_EQ(shown(*button->titleLayer(), "foregroundColor"), Kit::Colour::green());
}

TEST_F(CustomButtonTest, PressesSendTheActionOnceAndOnlyWhenReleasedInside)
{
    auto button = makeButton();
    EventInjector input(window());

    input.moveTo(inside);
    input.down(inside);
    EXPECT_TRUE(button->isMouseDown());
    EXPECT_EQ(button->state(), Kit::StateValue::on) << "the active look for the length of the press";
    input.up(inside);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(button->state(), Kit::StateValue::off);
    EXPECT_FALSE(button->isMouseDown());

    // Dragged out: cancelled.
    input.down(inside);
    input.moveTo(outside);
    EXPECT_EQ(button->state(), Kit::StateValue::off);
    EXPECT_FALSE(button->isMouseDown());
    input.up(outside);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(button->state(), Kit::StateValue::off);

    // A chosen button stays chosen after a click.
    input.moveTo(inside);
    setState(*button, Kit::StateValue::on);
    input.click(inside);
    EXPECT_EQ(actions, 2);
    EXPECT_EQ(button->state(), Kit::StateValue::on);

    // Without a target nothing is sent.
    button->setTarget(nullptr);
    input.click(inside);
    EXPECT_EQ(actions, 2);
}

TEST_F(CustomButtonTest, APressShowsTheActiveLookUntilTheRelease)
{
    auto button = makeButton();
    EventInjector input(window());
    input.moveTo(inside);
    input.down(inside);
    window().displayIfNeeded();
    advance(0.25);
    const Snapshot pressed = Snapshot::of(*window().contentView());
    pressed.save("views", "custom-button-pressed");
    EXPECT_COLOUR_NEAR(pressed.colourAt({30, 35}), activeFill);
    input.up(inside);
    window().displayIfNeeded();
    advance(0.15);
    EXPECT_COLOUR_NEAR(Snapshot::of(*window().contentView()).colourAt({30, 35}), normalFill);
}

TEST_F(CustomButtonTest, APressLostWithoutAReleaseEndsAsOneDraggedOut)
{
    auto button = makeButton();
    EventInjector input(window());
    input.moveTo(inside);
    input.down(inside);
    EXPECT_EQ(button->state(), Kit::StateValue::on);
    window().orderOut(); // the window goes while the button is pressed
    EXPECT_FALSE(button->isMouseDown());
    EXPECT_EQ(button->state(), Kit::StateValue::off);
    window().orderFront();
    input.up(inside);
    EXPECT_EQ(actions, 0);
    EXPECT_EQ(button->state(), Kit::StateValue::off);
}

TEST_F(CustomButtonTest, ADisabledButtonIsDimmedAndTakesNoClicks)
{
    auto button = makeButton();
    button->setEnabled(false);
    EXPECT_DOUBLE_EQ(button->alphaValue(), 0.6);
    EXPECT_EQ(button->hitTest(inside), nullptr);
    EventInjector(window()).click(inside);
    EXPECT_EQ(actions, 0);
    const Snapshot dimmed = Snapshot::of(*window().contentView());
    dimmed.save("views", "custom-button-disabled");
    EXPECT_NEAR(dimmed.colourAt({30, 35}).alphaComponent(), 0.6, 0.02);

    button->setEnabled(true);
    EXPECT_DOUBLE_EQ(button->alphaValue(), 1.0);
    EXPECT_EQ(button->hitTest(inside), button.get());
}

TEST_F(CustomButtonTest, TheTitleIsCentredOnWholePoints)
{
    auto button = makeButton();
    for (const char* title : {"A", "Auto", "Manual", "Max speed!"}) {
        button->setTitle(title);
        button->layoutSubtreeIfNeeded();
        const Kit::Size size = button->font().sizeOf(title);
        const Kit::Rect frame = button->titleLayer()->frame();
        EXPECT_EQ(frame.x(), std::round((100 - size.width) * 0.5)) << title;
        EXPECT_EQ(frame.y(), std::round((30 - size.height) * 0.5)) << title;
        EXPECT_EQ(frame.x(), std::floor(frame.x()));
        EXPECT_DOUBLE_EQ(frame.width(), size.width);
        EXPECT_EQ(button->titleLayer()->string(), title);
    }
    button->setFont(Kit::Font::systemFont(20));
    button->layoutSubtreeIfNeeded();
    EXPECT_EQ(button->titleLayer()->fontSize(), 20);
    EXPECT_DOUBLE_EQ(button->titleLayer()->frame().width(), Kit::Font::systemFont(20).sizeOf("Max speed!").width);
    // In a window the title takes the window's scale.
    EXPECT_EQ(button->titleLayer()->contentsScale(), window().backingScaleFactor());
}

TEST_F(CustomButtonTest, TitleAndFontSetThroughTheKitBaseReachTheTitleLayer)
{
    auto button = makeButton();
    Kit::Button& base = *button;
    base.setTitle("Manual");
    base.setFont(Kit::Font::systemFont(18));
    button->layoutSubtreeIfNeeded();
    EXPECT_EQ(button->titleLayer()->string(), "Manual");
    EXPECT_EQ(button->titleLayer()->fontSize(), 18);
    EXPECT_DOUBLE_EQ(button->titleLayer()->frame().width(), Kit::Font::systemFont(18).sizeOf("Manual").width);
}

TEST_F(CustomButtonTest, TheTitleFollowsTheWindowOntoAScreenOfAnotherScale)
{
    Kit::Screen::Description standard;
    standard.frame = standard.visibleFrame = {0, 0, 1440, 900};
    Kit::Screen::Description retina = standard;
    retina.frame = retina.visibleFrame = {1440, 0, 1440, 900};
    retina.backingScaleFactor = 2;
    Kit::Screen::replaceProvider(std::make_shared<Kit::Screen::FixedProvider>(std::vector {standard, retina}));
    auto button = makeButton();
    window().setFrameOrigin({100, 100});
    EXPECT_EQ(button->titleLayer()->contentsScale(), 1.0);
    window().setFrameOrigin({1600, 100});
    EXPECT_EQ(button->titleLayer()->contentsScale(), 2.0);
    EXPECT_EQ(button->layer().contentsScale(), 2.0);
}

TEST_F(CustomButtonTest, QuickTogglesLeaveOneAnimationPerKeyAndTheLastTarget)
{
    auto button = makeButton();
    setState(*button, Kit::StateValue::on);
    advance(0.05);
    setState(*button, Kit::StateValue::off);
    for (const char* key : {"backgroundColor", "borderColor", "shadowColor"}) {
        const auto keys = button->layer().animationKeys();
        EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 1) << key;
    }
    EXPECT_EQ(button->titleLayer()->animationKeys(), std::vector<std::string> {"foregroundColor"});
    advance(0.3);
    EXPECT_EQ(stored(button->layer(), "backgroundColor"), normalFill);
    EXPECT_EQ(shown(button->layer(), "backgroundColor"), normalFill);
    EXPECT_EQ(stored(*button->titleLayer(), "foregroundColor"), Kit::Colour::black());
    EXPECT_TRUE(button->layer().animationKeys().empty()) << "finished colour animations are taken off";
}

TEST_F(CustomButtonTest, RendersBothLooksAndTheFadeBetweenThem)
{
    auto button = makeButton();
    const Snapshot normal = Snapshot::of(*window().contentView());
    normal.save("views", "custom-button-normal");
    EXPECT_COLOUR_NEAR(normal.colourAt({30, 35}), normalFill);
    EXPECT_LT(normal.alphaAt({20.5, 20.5}), 0.1) << "the rounded corner is transparent";

    setState(*button, Kit::StateValue::on);
    advance(0.1);
    const Snapshot halfway = Snapshot::of(*window().contentView());
    halfway.save("views", "custom-button-halfway");
    EXPECT_COLOUR_NEAR_TOL(halfway.colourAt({30, 35}), Kit::Colour::interpolate(normalFill, activeFill, 0.5), 0.02);

    advance(0.2);
    const Snapshot active = Snapshot::of(*window().contentView());
    active.save("views", "custom-button-active");
    EXPECT_COLOUR_NEAR(active.colourAt({30, 35}), activeFill);
    EXPECT_LT(active.alphaAt({20.5, 49.5}), 0.1);
}

TEST_F(CustomButtonTest, ColourProvidersWinOverTheStoredColoursWhenTheLookChanges)
{
    auto button = makeButton();
    int calls = 0;
    button->setColorGenerator("activeBackgroundColor", [&calls] {
        ++calls;
        return Kit::Colour::red();
    });
    button->setColorGenerator("textColor", [] { return Kit::Colour::green(); });
    EXPECT_TRUE(button->colorGenerator("activeBackgroundColor"));
    EXPECT_FALSE(button->colorGenerator("backgroundColor"));
    EXPECT_EQ(calls, 0) << "called when the look changes, not when registered";
    setState(*button, Kit::StateValue::on);
    advance(0.3);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(stored(button->layer(), "backgroundColor"), Kit::Colour::red());
    setState(*button, Kit::StateValue::off);
    advance(0.3);
    EXPECT_EQ(stored(*button->titleLayer(), "foregroundColor"), Kit::Colour::green());
    EXPECT_EQ(stored(button->layer(), "backgroundColor"), normalFill);

    button->setColorGenerator("activeBackgroundColor", {});
    EXPECT_FALSE(button->colorGenerator("activeBackgroundColor"));
    setState(*button, Kit::StateValue::on);
    advance(0.3);
    EXPECT_EQ(stored(button->layer(), "backgroundColor"), activeFill);
}

TEST_F(CustomButtonTest, ACircleButtonIsMadeFromItsCentreAndRadius)
{
    const auto button = QVCustomButton::circleButton("1", 15, {50, 50});
    EXPECT_EQ(button->frame(), (Kit::Rect {35, 35, 30, 30}));
    EXPECT_EQ(button->cornerRadius(), 15);
    EXPECT_EQ(button->layer().cornerRadius(), 15);
    EXPECT_EQ(button->font(), Kit::Font::systemFont(10));
    EXPECT_EQ(button->title(), "1");
}

TEST_F(CustomButtonTest, TheTrackingRectStaysAtTheFirstBounds)
{
    auto button = makeButton();
    const Kit::Rect first = button->trackingArea().rect();
    EXPECT_EQ(first, (Kit::Rect {0, 0, 100, 30}));
    button->setFrameSize({160, 30});
    button->updateTrackingAreas();
    EXPECT_EQ(button->trackingArea().rect(), first);
    std::size_t own = 0;
    for (const auto& area : button->trackingAreas()) {
        if (area->owner() == button.get()) {
            ++own;
            EXPECT_EQ(area->rect(), first);
            EXPECT_EQ(area->options(), 0x41u);
        }
    }
    EXPECT_EQ(own, 1u);

    // Over the grown part the pointer is outside: a press dragged there is cancelled.
    EventInjector input(window());
    input.moveTo(inside);
    input.down(inside);
    input.moveTo({150, 35});
    input.up({150, 35});
    EXPECT_EQ(actions, 0);
}

} // namespace
