#include "Classes/Views/DisablableScrollView.h"
#include "Classes/Views/QVBaseTableHeadView.h"
#include "Classes/Views/SensorsCustomTableCellView.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Classes/Views/StringKitExtension.h"
#include "Platform/Kit/Switch.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Views/ViewsTest.h"

using namespace Aerlo;
using Kit::Testing::EventInjector;

namespace {

class TableViewsTest : public Testing::ViewsTest {};

TEST_F(TableViewsTest, TheWheelMovesNeitherTheDisabledScrollViewNorTheOneAroundIt)
{
    Kit::View& content = makeWindow({200, 200});
    auto outer = std::make_shared<Kit::ScrollView>(Kit::Rect {0, 0, 200, 200});
    outer->setDocumentView(std::make_shared<Kit::View>(Kit::Rect {0, 0, 200, 1000}));
    content.addSubview(outer);
    auto inner = makeFromStoryboard<DisablableScrollView>({20, 20, 160, 100});
    inner->setDocumentView(std::make_shared<Kit::View>(Kit::Rect {0, 0, 160, 600}));
    outer->documentView()->addSubview(inner);
    const Kit::Point outerBefore = outer->contentView().bounds().origin;
    const Kit::Point innerBefore = inner->contentView().bounds().origin;

    EventInjector input(window());
    const Kit::Point overInner = inner->convertTo(Kit::Point {80, 50}, nullptr);
    input.wheel(overInner, 0, -5);
    input.wheel(overInner, 0, 5, false, true, Kit::Event::phaseChanged);
    EXPECT_EQ(inner->contentView().bounds().origin, innerBefore);
    EXPECT_EQ(outer->contentView().bounds().origin, outerBefore);

    // Code still scrolls it.
    inner->contentView().scrollToPoint({0, 120});
    EXPECT_EQ(inner->contentView().bounds().origin, (Kit::Point {0, 120}));
    // And the wheel still scrolls the outer one elsewhere.
    input.wheel({190, 190}, 0, -5);
    EXPECT_NE(outer->contentView().bounds().origin, outerBefore);
}

TEST_F(TableViewsTest, TheCellsCheckBoxOutletDoesNotKeepItAlive)
{
    SensorsCustomTableCellView cell(Kit::Rect {0, 0, 100, 20});
    EXPECT_EQ(cell.isEnabledCheckBox(), nullptr);
    {
        auto checkBox = Kit::Button::checkbox("Enabled");
        cell.addSubview(checkBox);
        cell.setIsEnabledCheckBox(checkBox);
        EXPECT_EQ(cell.isEnabledCheckBox(), checkBox);
        checkBox->removeFromSuperview();
    }
    EXPECT_EQ(cell.isEnabledCheckBox(), nullptr);
    EXPECT_EQ(makeFromStoryboard<QVBaseTableHeadView>({0, 0, 200, 28})->frame(), (Kit::Rect {0, 0, 200, 28}));
}

TEST(TextSizeAndSwitchHelpers, MeasureWithTheFontAndTouchOnlySwitches)
{
    Kit::Testing::ensureApplication();
    const Kit::Font small = Kit::Font::systemFont(11);
    const Kit::Font large = Kit::Font::systemFont(22);
    EXPECT_GT(width("Fan speed", large), width("Fan speed", small));
    EXPECT_GT(height("Fan speed", large), height("Fan speed", small));
    EXPECT_EQ(size("Fan speed", small), (Kit::Size {width("Fan speed", small), height("Fan speed", small)}));
    EXPECT_EQ(width("", small), 0);
    EXPECT_GT(width("WW", small), width("W", small));

    auto on = std::make_shared<Kit::Switch>();
    on->setState(Kit::StateValue::on);
    auto off = std::make_shared<Kit::Switch>();
    auto checkBox = Kit::Button::checkbox("Check");
    checkBox->setState(Kit::StateValue::on);
    const Kit::View plain;
    EXPECT_TRUE(switchIsOn(on.get()));
    EXPECT_FALSE(switchIsOn(off.get()));
    EXPECT_FALSE(switchIsOn(checkBox.get())) << "a check box is not a switch";
    EXPECT_FALSE(switchIsOn(&plain));
    EXPECT_FALSE(switchIsOn(nullptr));

    setSwitchOn(off.get(), Kit::StateValue::on);
    EXPECT_TRUE(switchIsOn(off.get()));
    setSwitchOn(on.get(), Kit::StateValue::off);
    EXPECT_FALSE(switchIsOn(on.get()));
    setSwitchOn(checkBox.get(), Kit::StateValue::off);
    EXPECT_EQ(checkBox->state(), Kit::StateValue::on);
    setSwitchOn(nullptr, Kit::StateValue::on);
}

} // namespace
