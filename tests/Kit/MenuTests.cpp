#include "Platform/Foundation/RunLoop.h"
#include "Platform/Kit/Menu.h"
#include "Platform/Kit/MenuPresenter.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/ScriptedMenuPresenter.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kit;

namespace {

std::vector<std::string> titles(const Menu& menu)
{
    std::vector<std::string> result;
    for (const auto& item : menu.items())
        result.push_back(item->title());
    return result;
}

struct Owner {
    std::vector<std::string> calls;
    void chosen(MenuItem& item) { calls.push_back(item.title()); }
};

} // namespace

TEST(MenuTest, ItemsKeepTheirOrderAcrossInsertAndRemove)
{
    Menu menu("More");
    menu.addItem("Settings");
    menu.addItem("Quit");
    auto update = std::make_shared<MenuItem>("Check for Updates");
    menu.insertItem(update, 1);
    menu.insertItem(std::make_shared<MenuItem>("First"), -5);
    menu.insertItem(std::make_shared<MenuItem>("Last"), 99);
    EXPECT_EQ(titles(menu), (std::vector<std::string>{"First", "Settings", "Check for Updates", "Quit", "Last"}));
    EXPECT_EQ(update->menu(), &menu);
    EXPECT_EQ(menu.indexOfItem(*update), 2);

    menu.removeItem(*update);
    EXPECT_EQ(update->menu(), nullptr);
    EXPECT_EQ(menu.indexOfItem(*update), -1);
    menu.removeItemAt(0);
    menu.removeItemAt(7);
    EXPECT_EQ(titles(menu), (std::vector<std::string>{"Settings", "Quit", "Last"}));
    EXPECT_EQ(menu.itemAt(3), nullptr);
    EXPECT_EQ(menu.itemAt(-1), nullptr);
}

TEST(MenuTest, AnItemMovesWhenAddedToAnotherMenuOrAgainToItsOwn)
{
    Menu first;
    Menu second;
    auto item = std::make_shared<MenuItem>("Moved");
    first.addItem("A");
    first.addItem(item);
    first.addItem("B");
    first.insertItem(item, 0);
    EXPECT_EQ(titles(first), (std::vector<std::string>{"Moved", "A", "B"}));
    second.addItem(item);
    EXPECT_EQ(titles(first), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(titles(second), std::vector<std::string> {"Moved"});
    EXPECT_EQ(item->menu(), &second);
}

TEST(MenuTest, LookupByTagAndTitleFindsTheFirstMatch)
{
    Menu menu;
    menu.addItem("One").setTag(3);
    menu.addItem("Two").setTag(3);
    menu.addItem("Two").setTag(4);
    EXPECT_EQ(menu.itemWithTag(3)->title(), "One");
    EXPECT_EQ(menu.itemWithTitle("Two")->tag(), 3);
    EXPECT_EQ(menu.itemWithTag(9), nullptr);
    EXPECT_EQ(menu.itemWithTitle("three"), nullptr);
}

TEST(MenuTest, PerformCallsTheActionOnlyForEnabledItems)
{
    Owner owner;
    Menu menu;
    MenuItem& settings = menu.addItem("Settings", {&owner, &Owner::chosen}, ",");
    MenuItem& quit = menu.addItem("Quit", {&owner, &Owner::chosen});
    MenuItem& bare = menu.addItem("Nothing");
    auto separator = MenuItem::separatorItem();
    menu.addItem(separator);

    EXPECT_EQ(settings.target(), &owner);
    EXPECT_EQ(bare.target(), nullptr);
    EXPECT_TRUE(settings.perform());
    quit.setEnabled(false);
    EXPECT_FALSE(quit.perform());
    EXPECT_FALSE(bare.perform());
    EXPECT_FALSE(separator->perform());
    EXPECT_TRUE(separator->isSeparatorItem());
    EXPECT_EQ(owner.calls, std::vector<std::string> {"Settings"});
    EXPECT_EQ(settings.keyEquivalent(), ",");
}

TEST(MenuTest, ItemsStartWithThePlatformsDefaults)
{
    MenuItem item("Title");
    EXPECT_EQ(item.tag(), 0);
    EXPECT_EQ(item.state(), StateValue::off);
    EXPECT_TRUE(item.isEnabled());
    EXPECT_FALSE(item.isHidden());
    EXPECT_FALSE(item.representedObject().has_value());
    EXPECT_FALSE(item.hasSubmenu());
    EXPECT_FALSE(item.action().hasAction());
}

TEST(MenuTest, AnActionMayReplaceItselfWhileRunning)
{
    Menu menu;
    int calls = 0;
    MenuItem& item = menu.addItem("Once");
    item.setAction(MenuItem::Action([&](MenuItem& sender) {
        ++calls;
        sender.setAction({});
    }));
    EXPECT_TRUE(item.perform());
    EXPECT_FALSE(item.perform());
    EXPECT_EQ(calls, 1);
}

namespace {

class MenuPresenterTest : public Kit::Testing::KitTest {
protected:
    void TearDown() override
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMenu*>(widget))
                widget->close();
        MenuPresenter::replaceShared(nullptr);
        KitTest::TearDown();
    }

    static QMenu* shownMenu()
    {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible() && !menu->parentWidget())
                return menu;
        return nullptr;
    }
};

} // namespace

TEST_F(MenuPresenterTest, TheScriptedPresenterRecordsThePopUpAndChoosesByTitle)
{
    auto presenter = std::make_shared<ScriptedMenuPresenter>(Size {150, 60});
    MenuPresenter::replaceShared(presenter);
    Owner owner;
    Menu menu;
    menu.addItem("Settings", {&owner, &Owner::chosen});
    auto more = std::make_shared<Menu>("More");
    more->addItem("Support", {&owner, &Owner::chosen});
    menu.addItem("More").setSubmenu(more);

    EXPECT_EQ(menu.size(), (Size {150, 60}));
    EXPECT_TRUE(menu.popUp(nullptr, {10, 20}, nullptr));
    ASSERT_EQ(presenter->popUps().size(), 1u);
    EXPECT_EQ(presenter->popUps()[0].menu, &menu);
    EXPECT_EQ(presenter->popUps()[0].location, (Point {10, 20}));
    EXPECT_TRUE(presenter->choose("Support"));
    EXPECT_FALSE(presenter->choose("Nothing"));
    EXPECT_EQ(owner.calls, std::vector<std::string> {"Support"});
}

TEST_F(MenuPresenterTest, AQtMenuHoldsTheEventTrackingModeWhileOpenAndPerformsTheChosenItem)
{
    Owner owner;
    Menu menu;
    menu.addItem("Settings", {&owner, &Owner::chosen}, ",");
    menu.addItem(MenuItem::separatorItem());
    MenuItem& off = menu.addItem("Disabled", {&owner, &Owner::chosen});
    off.setEnabled(false);
    menu.addItem("Checked").setState(StateValue::on);

    EXPECT_GT(menu.size().width, 0);
    EXPECT_TRUE(menu.popUp(nullptr, {100, 700}, nullptr));
    QMenu* shown = shownMenu();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Foundation::RunLoop::main().currentMode(), Foundation::RunLoop::Mode::eventTracking);
    const auto actions = shown->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence("Ctrl+,"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isEnabled());
    EXPECT_TRUE(actions[3]->isChecked());
    actions[0]->trigger();
    shown->hide();
    EXPECT_EQ(Foundation::RunLoop::main().currentMode(), Foundation::RunLoop::Mode::default_);
    EXPECT_EQ(owner.calls, std::vector<std::string> {"Settings"});
}
