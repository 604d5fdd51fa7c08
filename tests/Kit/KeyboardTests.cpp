#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/KeyCode.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/Slider.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;

namespace {

// A window whose controls were added out of reading order over a background: B first, at the bottom right;
// A and C share the top row; E sits in a plain container beside B.
class KeyboardTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        window_ = std::make_unique<Window>(Rect {100, 100, 300, 200}, Window::titled);
        window_->setContentView(std::make_shared<View>(Rect {0, 0, 300, 200}));
        View& content = *window_->contentView();
        // A background across the window shapes no row.
        content.addSubview(std::make_shared<View>(Rect {0, 0, 300, 200}));
        b_ = add(content, Button::button("B"), {200, 10, 80, 30});
        c_ = add(content, std::make_shared<PopUpButton>(), {160, 158, 120, 24});
        c_->addItems({"one", "two", "three", "four"});
        c_->itemAt(1)->setEnabled(false);
        c_->selectItem(0);
        c_->setAccessibilityLabel("Interval");
        a_ = add(content, Button::checkbox("A"), {20, 160, 100, 20});
        content.addSubview(label_ = TextField::labelWithString("Speed"));
        label_->setFrame({20, 120, 100, 20});
        d_ = add(content, std::make_shared<Slider>(), {20, 90, 200, 20});
        d_->setMaxValue(100);
        d_->setDoubleValue(50);
        d_->setAccessibilityLabel("Fan");
        add(content, Button::button("Off"), {20, 50, 80, 24})->setEnabled(false);
        add(content, Button::button("Hidden"), {120, 50, 80, 24})->setHidden(true);
        box_ = std::make_shared<View>(Rect {20, 10, 150, 36});
        content.addSubview(box_);
        e_ = add(*box_, Button::button("E"), {5, 5, 60, 26});
        window_->makeKeyAndOrderFront();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        Application::shared().setMainMenu(nullptr);
        Appearance::setApplication(std::nullopt);
        window_.reset();
        KitTest::TearDown();
    }

    template <class C>
    std::shared_ptr<C> add(View& parent, std::shared_ptr<C> control, const Rect& frame)
    {
        control->setFrame(frame);
        control->setAction(Control::Action([this](Control& sender) { sent_.push_back(&sender); }));
        parent.addSubview(control);
        return control;
    }
    // The key as the window system delivers it to the window.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window_->qtWidget()->windowHandle(), key, modifiers);
    }
    std::vector<Responder*> tabThrough(int presses, Qt::Key key = Qt::Key_Tab)
    {
        std::vector<Responder*> visited;
        for (int i = 0; i < presses; ++i) {
            press(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            visited.push_back(window_->firstResponder());
        }
        return visited;
    }

    std::unique_ptr<Window> window_;
    std::shared_ptr<Button> a_, b_, e_;
    std::shared_ptr<PopUpButton> c_;
    std::shared_ptr<Slider> d_;
    std::shared_ptr<TextField> label_;
    std::shared_ptr<View> box_;
    std::vector<Control*> sent_;
};

} // namespace

TEST_F(KeyboardTest, TabWalksTheEnabledShownControlsInReadingOrderAndRoundAgain)
{
    EXPECT_EQ(tabThrough(6), (std::vector<Responder*> {a_.get(), c_.get(), d_.get(), e_.get(), b_.get(), a_.get()}));
    EXPECT_EQ(tabThrough(2, Qt::Key_Backtab), (std::vector<Responder*> {b_.get(), e_.get()}));
    // A view leaving the window takes the focus with it.
    box_->removeFromSuperview();
    EXPECT_EQ(window_->firstResponder(), nullptr);
}

TEST_F(KeyboardTest, SpaceAndReturnPressTheFocusedButtonAndCheckBox)
{
    press(Qt::Key_Tab);
    press(Qt::Key_Space);
    EXPECT_EQ(a_->state(), StateValue::on);
    press(Qt::Key_Return);
    EXPECT_EQ(a_->state(), StateValue::off);
    tabThrough(4);
    ASSERT_EQ(window_->firstResponder(), b_.get());
    press(Qt::Key_Enter);
    EXPECT_EQ(sent_, (std::vector<Control*> {a_.get(), a_.get(), b_.get()}));
    // Other keys press nothing.
    press(Qt::Key_X);
    press(Qt::Key_Down);
    EXPECT_EQ(sent_.size(), 3u);
}

TEST_F(KeyboardTest, ArrowsChooseTheNextEnabledItemAndMoveTheSliderByATwentieth)
{
    tabThrough(2);
    ASSERT_EQ(window_->firstResponder(), c_.get());
    press(Qt::Key_Down);
    EXPECT_EQ(c_->indexOfSelectedItem(), 2);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(c_->indexOfSelectedItem(), 3);
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    EXPECT_EQ(c_->indexOfSelectedItem(), 0);
    // A change sends the action; the ends send nothing.
    EXPECT_EQ(sent_, (std::vector<Control*>(4, c_.get())));

    press(Qt::Key_Tab);
    press(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(d_->doubleValue(), 55);
    press(Qt::Key_Left);
    press(Qt::Key_Down);
    EXPECT_DOUBLE_EQ(d_->doubleValue(), 45);
    d_->setDoubleValue(100);
    press(Qt::Key_Up);
    EXPECT_EQ(sent_.size(), 7u);
}

TEST_F(KeyboardTest, TheFocusRingShowsAfterTabInTheAccentAndGoesWithAClick)
{
    // Just left of the check box, where the ring runs.
    const Point outside {a_->frame().x() - 0.5, a_->frame().midY()};
    const Colour plain = Snapshot::of(*window_).colourAt(outside);
    press(Qt::Key_Tab);
    Snapshot light = Snapshot::of(*window_, 2);
    light.save("Keyboard", "focus-ring-light");
    const Colour ring = light.colourAt(outside);
    EXPECT_FALSE(Testing::colourNear(ring, plain, 0.1));
    const Colour accent = Colour::controlAccentColor().resolved(Appearance::aqua());
    // The ring leans to the accent's hue.
    EXPECT_GT((ring.blueComponent() - ring.redComponent()) * (accent.blueComponent() - accent.redComponent()), 0);

    Appearance::setApplication(Appearance::darkAqua());
    const Colour darkPlain = [&] {
        EventInjector input(*window_);
        input.click({250, 100});
        return Snapshot::of(*window_).colourAt(outside);
    }();
    press(Qt::Key_Tab);
    press(Qt::Key_Backtab, Qt::ShiftModifier);
    Snapshot dark = Snapshot::of(*window_, 2);
    dark.save("Keyboard", "focus-ring-dark");
    EXPECT_FALSE(Testing::colourNear(dark.colourAt(outside), darkPlain, 0.1));
    // A click keeps the focus where it is but hides the ring.
    EventInjector(*window_).click({250, 100});
    EXPECT_EQ(window_->firstResponder(), a_.get());
    EXPECT_TRUE(Testing::colourNear(Snapshot::of(*window_).colourAt(outside), darkPlain));
}

TEST_F(KeyboardTest, TabScrollsTheFocusedControlIntoSight)
{
    Window window({100, 100, 200, 100}, Window::titled);
    auto scroll = std::make_shared<ScrollView>(Rect {0, 0, 200, 100});
    auto document = std::make_shared<View>(Rect {0, 0, 200, 300});
    auto top = Button::button("Top");
    top->setFrame({10, 260, 80, 24});
    document->addSubview(top);
    auto bottom = Button::button("Bottom");
    bottom->setFrame({10, 10, 80, 24});
    document->addSubview(bottom);
    scroll->setDocumentView(document);
    window.setContentView(scroll);
    scroll->contentView().scrollToPoint({0, 200});
    window.makeKeyAndOrderFront();
    const auto shows = [&](const View& view) {
        const Rect shown = scroll->documentVisibleRect();
        return shown.minY() <= view.frame().minY() && view.frame().maxY() <= shown.maxY();
    };
    ASSERT_TRUE(shows(*top));
    ASSERT_FALSE(shows(*bottom));
    QWindow* handle = window.qtWidget()->windowHandle();
    QTest::keyClick(handle, Qt::Key_Tab);
    QTest::keyClick(handle, Qt::Key_Tab);
    EXPECT_EQ(window.firstResponder(), bottom.get());
    EXPECT_TRUE(shows(*bottom));
    QTest::keyClick(handle, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(shows(*top));
}

TEST_F(KeyboardTest, CtrlCommaPerformsTheMainMenuItemFromAnyFocus)
{
    int settings = 0;
    auto menu = std::make_shared<Menu>();
    menu->addItem("Settings", {[&](MenuItem&) { ++settings; }}, ",");
    Application::shared().setMainMenu(menu);
    press(Qt::Key_Comma);
    EXPECT_EQ(settings, 0);
    press(Qt::Key_Comma, Qt::ControlModifier);
    press(Qt::Key_Tab);
    press(Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(settings, 2);
    menu->itemAt(0)->setEnabled(false);
    press(Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(settings, 2);
}

TEST_F(KeyboardTest, AFieldEditorTypesItsKeysButTabLeavesIt)
{
    auto field = std::make_shared<TextField>(Rect {130, 120, 120, 22});
    window_->contentView()->addSubview(field);
    tabThrough(3);
    ASSERT_EQ(window_->firstResponder(), field.get());
    for (const char c : std::string("42 x"))
        QTest::keyClick(window_->qtWidget()->windowHandle(), c);
    EXPECT_EQ(field->stringValue(), "42 x");
    press(Qt::Key_Tab);
    EXPECT_EQ(window_->firstResponder(), d_.get());
    // The keys come to Kit again.
    press(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(d_->doubleValue(), 55);
}

TEST_F(KeyboardTest, AssistiveTechnologyReadsNamedRolesWithoutThePlainContainers)
{
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window_->qtWidget());
    ASSERT_NE(root, nullptr);
    window_->setTitle("Fans");
    EXPECT_EQ(root->role(), QAccessible::Window);
    EXPECT_EQ(root->text(QAccessible::Name), "Fans");
    struct Seen {
        QAccessible::Role role;
        QString name;
        QString value;
    };
    std::vector<Seen> seen;
    std::vector<QObject*> objects;
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        EXPECT_EQ(child->parent(), root);
        EXPECT_EQ(root->indexOfChild(child), i);
        seen.push_back({child->role(), child->text(QAccessible::Name), child->text(QAccessible::Value)});
        objects.push_back(child->object());
    }
    auto has = [&](QAccessible::Role role, const QString& name, const QString& value = {}) {
        return std::any_of(seen.begin(), seen.end(),
                           [&](const Seen& s) { return s.role == role && s.name == name && s.value == value; });
    };
    EXPECT_TRUE(has(QAccessible::CheckBox, "A"));
    EXPECT_TRUE(has(QAccessible::ComboBox, "Interval", "one"));
    EXPECT_TRUE(has(QAccessible::Slider, "Fan", "50"));
    EXPECT_TRUE(has(QAccessible::StaticText, "Speed"));
    EXPECT_TRUE(has(QAccessible::Button, "B"));
    // The plain container is left out: its button is the window's child, and nothing is unnamed.
    EXPECT_TRUE(has(QAccessible::Button, "E"));
    EXPECT_EQ(std::count(objects.begin(), objects.end(), box_->qtWidget()), 0);
    EXPECT_TRUE(std::none_of(seen.begin(), seen.end(), [](const Seen& s) { return s.name.isEmpty(); }));

    QAccessibleInterface* check = QAccessible::queryAccessibleInterface(a_->qtWidget());
    EXPECT_FALSE(check->state().checked);
    check->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(check->state().checked);
    EXPECT_EQ(sent_, std::vector<Control*> {a_.get()});
}
