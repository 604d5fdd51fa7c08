#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/Appearance.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/ClipView.h"
#include "Platform/Kit/Event.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/MenuPresenter.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/ScrollView.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "QVToolsKit/UI/AlertExtension.h"
#include "QVToolsKit/UI/ColorExtension.h"
#include "QVToolsKit/UI/EventExtension.h"
#include "QVToolsKit/UI/ImageExtension.h"
#include "QVToolsKit/UI/MenuExtension.h"
#include "QVToolsKit/UI/QVVerticalCenteredTextFieldCell.h"
#include "QVToolsKit/UI/ScrollViewExtension.h"
#include "QVToolsKit/UI/TextFieldExtension.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/ScriptedMenuPresenter.h"

#include <gtest/gtest.h>

using namespace Kit;
namespace qv = QVToolsKit;

namespace {

using ColorExtensionTest = Testing::KitTest;
using ImageExtensionTest = Testing::KitTest;
using TextFieldExtensionTest = Testing::KitTest;
using MenuScrollEventExtensionTest = Testing::KitTest;

class AlertExtensionTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        presenter_ = std::make_shared<ScriptedAlertPresenter>(std::vector<AlertScript> {});
        AlertPresenter::replaceShared(presenter_);
    }
    void TearDown() override
    {
        AlertPresenter::replaceShared(nullptr);
        KitTest::TearDown();
    }
    std::shared_ptr<ScriptedAlertPresenter> presenter_;
};

Image twoPixels(Colour left, Colour right)
{
    return Image::withSize({2, 1}, false, [&](const Rect&) {
        GraphicsContext::current()->fillRect({0, 0, 1, 1}, left);
        GraphicsContext::current()->fillRect({1, 0, 1, 1}, right);
        return true;
    });
}

AlertScript answer(ModalResponse response, bool suppression = false)
{
    AlertScript script;
    script.response = response;
    script.suppression = suppression;
    return script;
}

void expectColour(const Colour& actual, const Colour& expected, double tolerance = 0.01)
{
    EXPECT_NEAR(actual.redComponent(), expected.redComponent(), tolerance);
    EXPECT_NEAR(actual.greenComponent(), expected.greenComponent(), tolerance);
    EXPECT_NEAR(actual.blueComponent(), expected.blueComponent(), tolerance);
    EXPECT_NEAR(actual.alphaComponent(), expected.alphaComponent(), tolerance);
}

} // namespace

TEST_F(ColorExtensionTest, ColoursFromNumbersAreUnclampedAndIgnoreHighBits)
{
    EXPECT_EQ(qv::colorHex(0xFF8000, 0.5), Colour(1, 128 / 255.0, 0, 0.5));
    EXPECT_EQ(qv::colorHex(0x7F00FF8000, 0.5), qv::colorHex(0xFF8000, 0.5));
    EXPECT_EQ(qv::colorHex(-0x7F8000 - 1, 0.5), Colour(128 / 255.0, 127 / 255.0, 1, 0.5));
    EXPECT_EQ(qv::hexColor(0), Colour::black());
    EXPECT_DOUBLE_EQ(qv::rgbaColor(300, 0, 0, 1).redComponent(), 300 / 255.0);
    EXPECT_EQ(qv::randomColor([] { return 0xFFFFFFFFu; }), Colour(0, 0, 0, 1)); // 2^32 − 1 is a multiple of 255
    std::uint32_t next = 254;
    EXPECT_EQ(qv::randomColor([&] { return next++; }), Colour(254 / 255.0, 0, 1 / 255.0, 1)); // drawn red, green, blue
}

TEST_F(ColorExtensionTest, TheDynamicColourFollowsDarkAppearancesAndFallsBackToLight)
{
    const Colour both = qv::colorLight(Colour::red(), Colour::blue());
    const Colour lightOnly = qv::colorLight(Colour::red());
    EXPECT_EQ(both.resolved(Appearance(std::string(Appearance::highContrastDarkAquaName))), Colour::blue());
    EXPECT_EQ(both.resolved(Appearance::aqua()), Colour::red());
    EXPECT_EQ(lightOnly.resolved(Appearance::darkAqua()), Colour::red());
}

TEST_F(ImageExtensionTest, TintPaintsAtopTheImageAndLeavesItAlone)
{
    const Image blue = twoPixels(Colour::blue(), Colour::blue());
    const Image tinted = qv::withTintColor(blue, Colour::red().withAlphaComponent(0.5));
    expectColour(tinted.colourAt({0.5, 0.5}), Colour(0.5, 0, 0.5, 1));
    EXPECT_FALSE(tinted.isTemplate());
    expectColour(blue.colourAt({0.5, 0.5}), Colour::blue());
    EXPECT_FALSE(qv::render(Image(), Colour::red()));
}

TEST_F(ImageExtensionTest, CropsMasksAndTurnsByQuarters)
{
    const Image wide(Size {401, 300});
    const auto square = qv::croppedCenterSquare(wide, 100);
    ASSERT_TRUE(square);
    EXPECT_EQ(square->size(), (Size {100, 100}));
    EXPECT_FALSE(qv::croppedCenterSquare(Image(), 100));

    const Image mask = qv::maskImage(8, Colour::red());
    EXPECT_EQ(mask.size(), (Size {16, 16}));
    EXPECT_EQ(mask.capInsets().left, 8);
    EXPECT_EQ(mask.capInsets().bottom, 8);

    const Image image = twoPixels(Colour::red(), Colour::blue());
    const Image turned = qv::rotate(image, 90);
    EXPECT_EQ(turned.size(), (Size {1, 2}));
    expectColour(turned.colourAt({0.5, 1.5}), Colour::red()); // the left pixel went to the top
    expectColour(qv::rotate(image, -90).colourAt({0.5, 0.5}), Colour::red());
    expectColour(qv::rotate(image, 180).colourAt({0.5, 0.5}), Colour::blue());
    EXPECT_EQ(qv::rotate(image, 45), image);
    EXPECT_EQ(qv::rotate(image, 360), image);
}

TEST_F(ImageExtensionTest, EmptyInputsDrawNothingIntoTheImageBeingDrawn)
{
    Image outer(Size {10, 10});
    outer.lockFocus();
    Image empty;
    empty.lockFocus();
    GraphicsContext::current()->fillRect({0, 0, 10, 10}, Colour::red());
    empty.unlockFocus();
    EXPECT_FALSE(qv::withTintColor(empty, Colour::red()).isValid());
    EXPECT_FALSE(qv::maskImage(0, Colour::red()).isValid());
    EXPECT_FALSE(qv::croppedCenterSquare(twoPixels(Colour::red(), Colour::red()), 0));
    Button button({0, 0, 20, 20});
    button.setImage(twoPixels(Colour::blue(), Colour::blue()));
    qv::setImageTintColor(button, Colour::red(), Size {0, 0});
    EXPECT_EQ(button.image().size(), (Size {2, 1}));
    outer.unlockFocus();
    EXPECT_EQ(outer.colourAt({5, 5}).alphaComponent(), 0);

    qv::setImageTintColor(button, Colour::red(), Size {4, 4});
    EXPECT_EQ(button.image().size(), (Size {4, 4}));
    expectColour(button.image().colourAt({1, 1}), Colour::red());
}

TEST_F(AlertExtensionTest, MapsEveryShownButtonToItsIndexAndNothingElse)
{
    presenter_->enqueue(answer(AlertThirdButtonReturn + 1));
    EXPECT_EQ(qv::show("Four", std::nullopt, nullptr, {"a", "b", "c", "d"}), 3);
    presenter_->enqueue(answer(ModalResponseAbort));
    int calls = 0;
    qv::show(nullptr, AlertStyle::critical, "Abort", "text", nullptr, {"a"}, [&](long) { ++calls; });
    EXPECT_EQ(calls, 0);
    presenter_->enqueue(AlertScript::button(0));
    EXPECT_EQ(qv::show("None", std::nullopt, nullptr, {}), 0);
    const auto& shown = presenter_->shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].style, AlertStyle::critical);
    EXPECT_EQ(shown[2].buttons, std::vector<std::string> {"OK"});
    EXPECT_EQ(shown[2].informativeText, "");
    EXPECT_EQ(shown[2].style, AlertStyle::warning);
}

TEST_F(AlertExtensionTest, TheCheckBoxReachesBothFormsAndASheetAnswersLater)
{
    presenter_->enqueue(answer(AlertSecondButtonReturn, true));
    EXPECT_EQ(qv::show("Check", "m", nullptr, "Remember", {"a", "b"}), (std::pair<long, bool> {1, true}));
    EXPECT_EQ(presenter_->shown()[0].suppressionTitle, "Remember");

    Window window({0, 0, 300, 200}, Window::titled);
    presenter_->enqueue(answer(AlertFirstButtonReturn, true));
    std::vector<std::pair<long, bool>> answers;
    qv::show(&window, AlertStyle::warning, "Sheet", std::nullopt, std::make_shared<View>(Rect {0, 0, 10, 10}), "Box",
        {"a"}, [&](long index, bool checked) { answers.emplace_back(index, checked); });
    EXPECT_TRUE(answers.empty());
    advance(0);
    EXPECT_EQ(answers, (std::vector<std::pair<long, bool>> {{0, true}}));
    EXPECT_TRUE(presenter_->shown()[1].asSheet);
}

TEST_F(TextFieldExtensionTest, PlaceholderColourEditingStateAndWrapping)
{
    TextField field({0, 0, 200, 22});
    qv::setPlaceholderTextColor(field, Colour::red());
    EXPECT_FALSE(qv::placeholderTextColor(field)) << "an empty placeholder has no colour";
    field.setPlaceholderString("Name");
    EXPECT_EQ(qv::placeholderTextColor(field), Colour::red());
    qv::setPlaceholderTextColor(field, std::nullopt);
    EXPECT_FALSE(qv::placeholderTextColor(field));

    auto inWindow = std::make_shared<TextField>(Rect {10, 10, 200, 22});
    EXPECT_FALSE(qv::isBeingEdited(*inWindow));
    Window window({0, 0, 300, 100}, Window::titled);
    window.contentView()->addSubview(inWindow);
    EXPECT_FALSE(qv::isBeingEdited(*inWindow));
    window.makeFirstResponder(inWindow.get());
    EXPECT_TRUE(qv::isBeingEdited(*inWindow));

    field.setStringValue("A rather long sentence that cannot stay on one line of a narrow field");
    const Size fitted = qv::sizeToFitHeight(field, 100);
    EXPECT_LE(fitted.width, 100);
    EXPECT_GE(fitted.height, 2 * field.font().lineHeight());
    EXPECT_EQ(field.frame().size, fitted);
}

TEST_F(TextFieldExtensionTest, TheCentredCellMovesTextAndEditorToTheMiddle)
{
    auto field = std::make_shared<TextField>(Rect {0, 0, 200, 100});
    field->setCell(std::make_shared<qv::QVVerticalCenteredTextFieldCell>("Centred"));
    field->setBezeled(false);
    field->setBordered(false);
    const double line = field->textFieldCell().cellSize().height;
    EXPECT_DOUBLE_EQ(field->textFieldCell().titleRect(field->bounds()).y(), (100 - line) / 2);
    field->setFont(Font::systemFont(200));
    EXPECT_LT(field->textFieldCell().titleRect(field->bounds()).y(), 0);
}

TEST_F(MenuScrollEventExtensionTest, FindsTagsDepthFirstThroughCyclesAndCentresUnderAButton)
{
    auto menu = std::make_shared<Menu>();
    auto sub = std::make_shared<Menu>();
    qv::addItem(*sub, "inner", {}, nullptr, 7);
    qv::addItem(*menu, "first");
    menu->items()[0]->setSubmenu(sub);
    qv::addItem(*menu, "outer", {}, nullptr, 7);
    EXPECT_EQ(menu->items()[0]->tag(), -1);
    EXPECT_EQ(qv::itemRecursively(*menu, 7)->title(), "inner");
    sub->items()[0]->setSubmenu(menu); // a cycle
    EXPECT_EQ(qv::itemRecursively(*menu, 99), nullptr);
    sub->items()[0]->setSubmenu(nullptr);

    auto presenter = std::make_shared<ScriptedMenuPresenter>(Size {80, 40});
    MenuPresenter::replaceShared(presenter);
    auto view = std::make_shared<View>(Rect {0, 0, 300, 200});
    auto button = std::make_shared<Button>(Rect {50, 30, 100, 20});
    view->addSubview(button);
    qv::showCenteredMenu(*menu, *button, *view, -5);
    ASSERT_EQ(presenter->popUps().size(), 1u);
    EXPECT_EQ(presenter->popUps()[0].location, (Point {60, 25}));
    MenuPresenter::replaceShared(nullptr);
}

TEST_F(MenuScrollEventExtensionTest, MagnifiesLaterInDeadlineOrderAndTellsScrollKinds)
{
    auto scroll = std::make_shared<ScrollView>(Rect {0, 0, 100, 100});
    scroll->setAllowsMagnification(true);
    scroll->setMaxMagnification(4);
    qv::setMagnification(scroll, 3, 0.5);
    qv::setMagnification(scroll, 2, 0.2);
    qv::resetMagnification(scroll);
    advance(0.15);
    EXPECT_EQ(scroll->magnification(), 1);
    advance(0.1);
    EXPECT_EQ(scroll->magnification(), 2);
    advance(0.3);
    EXPECT_EQ(scroll->magnification(), 3);

    Event wheel;
    wheel.type = Event::Type::scrollWheel;
    wheel.hasPreciseScrollingDeltas = true;
    EXPECT_TRUE(qv::isTrackpadScroll(wheel));
    EXPECT_FALSE(qv::isTrackpadTwoFingerScroll(wheel));
    wheel.scrollingDeltaY = 3;
    EXPECT_TRUE(qv::isTrackpadTwoFingerScroll(wheel));
    Event key;
    key.type = Event::Type::keyDown;
    EXPECT_FALSE(qv::isMouseScroll(key));
    EXPECT_FALSE(qv::isTrackpadScroll(key));
    key.modifierFlags = Event::command | Event::shift;
    EXPECT_TRUE(qv::isCommandPressed(key));
    EXPECT_FALSE(qv::isOptionPressed(key));
}
