#include "Platform/Kit/Button.h"
#include "Platform/Kit/Switch.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <gtest/gtest.h>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

class ButtonTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        window_ = std::make_unique<Window>(Rect {0, 0, 200, 100}, Window::borderless);
        window_->setContentView(std::make_shared<View>(Rect {0, 0, 200, 100}));
    }
    void TearDown() override
    {
        window_.reset();
        KitTest::TearDown();
    }

    template <class C>
    std::shared_ptr<C> add(std::shared_ptr<C> control, const Rect& frame)
    {
        control->setFrame(frame);
        control->setAction(Control::Action([this](Control& sender) { sent_.push_back(&sender); }));
        window_->contentView()->addSubview(control);
        return control;
    }

    std::unique_ptr<Window> window_;
    std::vector<Control*> sent_;
};

struct Delegate {
    int presses = 0;
    void pressed(Button&) { ++presses; }
};

} // namespace

TEST_F(ButtonTest, AClickSendsTheActionOnReleaseInsideOnly)
{
    auto button = add(Button::button("Settings"), {10, 10, 100, 30});
    EventInjector input(*window_);
    input.down({50, 25});
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_TRUE(sent_.empty());
    input.dragTo({150, 80}); // outside: the highlight goes
    EXPECT_FALSE(button->isHighlighted());
    input.up({150, 80});
    EXPECT_TRUE(sent_.empty());

    input.down({50, 25});
    input.dragTo({150, 80});
    input.dragTo({60, 20}); // back inside
    EXPECT_TRUE(button->isHighlighted());
    input.up({60, 20});
    EXPECT_EQ(sent_, std::vector<Control*> {button.get()});
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(button->state(), StateValue::off); // a push button keeps no state

    button->setEnabled(false);
    input.click({50, 25});
    EXPECT_EQ(sent_.size(), 1u);
}

TEST_F(ButtonTest, ATargetAndMethodBecomeTheAction)
{
    Delegate delegate;
    auto button = Button::button("Go", {&delegate, &Delegate::pressed});
    EXPECT_EQ(button->target(), &delegate);
    button->performClick();
    EXPECT_EQ(delegate.presses, 1);
}

TEST_F(ButtonTest, CheckBoxesAdvanceTheirStateBeforeSendingTheAction)
{
    auto box = add(Button::checkbox("Show CPU temperature"), {10, 10, 180, 20});
    StateValue seen = StateValue::mixed;
    box->setAction(Control::Action([&](Control&) { seen = box->state(); }));
    EventInjector input(*window_);
    input.click({20, 20});
    EXPECT_EQ(box->state(), StateValue::on);
    EXPECT_EQ(seen, StateValue::on);
    input.click({20, 20});
    EXPECT_EQ(box->state(), StateValue::off);

    box->setAllowsMixedState(true);
    box->performClick();
    box->performClick();
    EXPECT_EQ(box->state(), StateValue::mixed);
    box->performClick();
    EXPECT_EQ(box->state(), StateValue::off);
    box->setAllowsMixedState(false);
    box->setState(StateValue::mixed); // not allowed: on
    EXPECT_EQ(box->state(), StateValue::on);

    auto radio = Button::radioButton("Celsius");
    radio->performClick();
    radio->performClick();
    EXPECT_EQ(radio->state(), StateValue::on);
}

TEST_F(ButtonTest, ACheckBoxDrawsItsBoxAndTitle)
{
    auto on = Button::checkbox("On");
    on->setFrame({0, 0, 80, 20});
    on->setState(StateValue::on);
    auto off = Button::checkbox("Off");
    off->setFrame({0, 0, 80, 20});
    const auto onShot = Snapshot::of(*on, 2);
    onShot.save("kit", "checkbox-on");
    const auto offShot = Snapshot::of(*off, 2);
    // The box's inside takes the accent colour when on and the control background when off.
    EXPECT_COLOUR_NEAR_TOL(onShot.colourAt({3, 10}), Colour::controlAccentColor().resolved(), 0.02);
    EXPECT_COLOUR_NEAR_TOL(offShot.colourAt({3, 10}), Colour::controlBackgroundColor().resolved(), 0.02);
    // The title lies right of the box.
    const auto ink = onShot.inkBounds();
    ASSERT_TRUE(ink.has_value());
    EXPECT_GT(ink->maxX(), 20);
    EXPECT_TRUE(onShot.isClear({60, 0, 20, 20}));
}

TEST_F(ButtonTest, ASwitchFlipsOnAClickInside)
{
    auto toggle = add(std::make_shared<Switch>(), {10, 10, 40, 22});
    EventInjector input(*window_);
    input.click({20, 20});
    EXPECT_EQ(toggle->state(), StateValue::on);
    input.down({20, 20});
    input.up({150, 80});
    EXPECT_EQ(toggle->state(), StateValue::on);
    input.click({20, 20});
    EXPECT_EQ(toggle->state(), StateValue::off);
    EXPECT_EQ(sent_.size(), 2u);
    toggle->setState(StateValue::mixed); // a switch has two states
    EXPECT_EQ(toggle->state(), StateValue::on);
    const auto shot = Snapshot::of(*toggle, 2);
    shot.save("kit", "switch-on");
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({6, 11}), Colour::controlAccentColor().resolved(), 0.02);
    EXPECT_COLOUR_NEAR_TOL(shot.colourAt({29, 11}), Colour::whiteColor(), 0.02);
}

TEST_F(ButtonTest, APressLostWithItsWindowSendsNothing)
{
    auto button = add(Button::button("Quit"), {10, 10, 100, 30});
    EventInjector input(*window_);
    window_->orderFront();
    input.down({50, 25});
    window_->orderOut();
    EXPECT_FALSE(button->isHighlighted());
    input.up({50, 25});
    EXPECT_TRUE(sent_.empty());
}
