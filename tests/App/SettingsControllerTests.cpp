#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/App/LoginItemService.h"
#include "Classes/App/SettingsController.h"
#include "Classes/App/UpdateCheck.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/AlertPresenter.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/ScriptedAlertPresenter.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "Platform/Vendors/MSACAnalytics.h"
#include "Platform/Vendors/UI/RUDuzodize.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <any>
#include <optional>
#include <set>

using namespace Aerlo;

namespace {

// A login-items list that holds paths, records the calls and can refuse them.
class RecordingLoginItems : public LoginItemService {
public:
    bool find(const std::string& path) override { return entries.count(path) != 0; }
    bool add(const std::string& path) override
    {
        calls.push_back("add");
        return refuses ? false : entries.insert(path).second;
    }
    bool remove(const std::string& path) override
    {
        calls.push_back("remove");
        return !refuses && entries.erase(path) != 0;
    }
    std::set<std::string> entries;
    std::vector<std::string> calls;
    bool refuses = false;
};

class SettingsControllerTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        root_.emplace();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        TestAccess::resetForTesting<Kit::Application>();
        Kit::AlertPresenter::replaceShared(alerts_);
        Vendors::MSACAnalytics::setSink([this](const Vendors::MSACEvent& event) { events_.push_back(event.name); });
        TestAccess::resetForTesting<Vendors::RUDuzodize>();
        fanIconRotationDuration = 2.0;
        for (const char* name : {NotificationName::syncFans.data(), NotificationName::updateInterval.data(),
                 NotificationName::updateTemperatureUnit.data()})
            tokens_.push_back(Foundation::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const Foundation::Notification& n) { posts_.push_back(n); }));
        window_ = std::make_unique<Kit::Window>(Kit::Rect {100, 100, 680, 540}, Kit::Window::titled);
        window_->setContentView(pane_->view());
        window_->orderFront();
    }
    void TearDown() override
    {
        window_.reset();
        pane_.reset();
        LoginItemService::replace(nullptr);
        UpdateCheck::replace({});
        Vendors::MSACAnalytics::setSink({});
        Kit::AlertPresenter::replaceShared(nullptr);
        TestAccess::resetForTesting<Vendors::RUDuzodize>();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        root_.reset();
        KitTest::TearDown();
    }

    static Foundation::UserDefaults& defaults() { return Foundation::UserDefaults::standard(); }
    static void click(Kit::Button& box) { box.performClick(); }
    static void choose(Kit::PopUpButton& popUp, long index)
    {
        popUp.selectItem(index);
        popUp.sendAction();
    }
    std::string bundlePath() const { return Foundation::Bundle::main().bundlePath().string(); }

    std::optional<TempRoot> root_;
    std::shared_ptr<Kit::ScriptedAlertPresenter> alerts_ = std::make_shared<Kit::ScriptedAlertPresenter>();
    std::shared_ptr<SettingsController> pane_ = std::make_shared<SettingsController>();
    std::unique_ptr<Kit::Window> window_;
    std::vector<std::string> events_;
    std::vector<Foundation::Notification> posts_;
    std::vector<Foundation::ObserverToken> tokens_;
    ConsoleCapture console_;
};

TEST_F(SettingsControllerTest, TheFillFollowsTheStoreAndTheLanguageListIsFilledOnce)
{
    (void)defaults().set(true, SettingsKey::isHiddenStatusBar);
    (void)defaults().set(true, SettingsKey::isFansSync);
    (void)defaults().set(std::int64_t {7}, SettingsKey::temperatureUnitIndex);
    (void)defaults().set(std::int64_t {1}, SettingsKey::triggerConditionIndex);
    (void)defaults().set(Foundation::PropertyListValue::Array {std::string("de-AT")}, Foundation::Bundle::appleLanguagesKey);
    pane_->showIconInDockCheckBox->setState(Kit::StateValue::on);
    pane_->viewWillAppear();
    pane_->viewWillAppear();

    EXPECT_EQ(pane_->hideStatusBarIconCheckBox->state(), Kit::StateValue::on);
    EXPECT_EQ(pane_->syncFanControlCheckBox->state(), Kit::StateValue::on);
    EXPECT_EQ(pane_->enableStatusBarIconAnimationCheckBox->state(), Kit::StateValue::off);
    EXPECT_EQ(pane_->displayCPUTemperatureInMenuBarCheckBox->state(), Kit::StateValue::off);
    EXPECT_EQ(pane_->showIconInDockCheckBox->state(), Kit::StateValue::on); // not filled
    EXPECT_EQ(pane_->TemperatureUnitPopUpBtn->indexOfSelectedItem(), 1);
    EXPECT_EQ(pane_->TriggerConditionsPopUpBtn->indexOfSelectedItem(), 1);
    EXPECT_EQ(pane_->updateIntervalPopUpButton->titleOfSelectedItem(), "2 s");
    // No seams filled: both controls are there but disabled.
    EXPECT_FALSE(pane_->launchOnLoginCheckBox->isEnabled());
    EXPECT_FALSE(pane_->checkUpdateButton->isEnabled());

    const Kit::PopUpButton& languages = *pane_->selectLanguageEnvironmentPopUpBtn;
    EXPECT_EQ(languages.itemTitles(), (std::vector<std::string> {"🇺🇸 English", "🇨🇳 简体中文", "🇫🇷 Français", "🇪🇸 Español",
        "🇮🇹 Italiano", "🇩🇪 Deutsch", "🇯🇵 日本語", "🇵🇹 Português"}));
    EXPECT_EQ(languages.titleOfSelectedItem(), "🇩🇪 Deutsch");
    EXPECT_EQ(Vendors::RUDuzodize::currentLanguageName(), "🇩🇪 Deutsch");
    EXPECT_EQ(Vendors::RUDuzodize::observerCount(), 1u);
    pane_.reset();
    window_.reset();
    EXPECT_EQ(Vendors::RUDuzodize::observerCount(), 0u);
}

TEST_F(SettingsControllerTest, EachPopUpCaptionSharesItsBaselineWithThePopUpTitle)
{
    const auto& subviews = pane_->view()->subviews();
    for (const Kit::PopUpButton* popUp : {pane_->updateIntervalPopUpButton.get(), pane_->TemperatureUnitPopUpBtn.get(),
             pane_->TriggerConditionsPopUpBtn.get(), pane_->selectLanguageEnvironmentPopUpBtn.get()}) {
        const Kit::Rect row = popUp->frame();
        // The pop-up draws its title's line centred in its height; a label draws from its top.
        const double titleTop = row.midY() + popUp->font().lineHeight() / 2;
        const Kit::TextField* caption = nullptr;
        for (const auto& subview : subviews)
            if (auto* field = dynamic_cast<const Kit::TextField*>(subview.get());
                field && field->frame().maxX() <= row.x() && field->frame().maxY() > row.y() && field->frame().y() < row.maxY())
                caption = field;
        ASSERT_NE(caption, nullptr) << popUp->titleOfSelectedItem();
        EXPECT_DOUBLE_EQ(caption->frame().maxY(), titleTop) << caption->stringValue();
        EXPECT_EQ(caption->font().pointSize(), popUp->font().pointSize());
    }
}

TEST_F(SettingsControllerTest, EachCheckBoxWritesItsKeyAndSendsItsEvents)
{
    pane_->viewWillAppear();
    const struct {
        Kit::Button& box;
        std::string_view key;
        std::vector<std::string> events;
    } boxes[] = {
        {*pane_->hideStatusBarIconCheckBox, SettingsKey::isHiddenStatusBar, {"隐藏 菜单栏图标", "显示 菜单栏图标"}},
        {*pane_->enableStatusBarIconAnimationCheckBox, SettingsKey::isEnableStatusBarIconAnimation,
            {"开启--菜单栏图标动画", "关闭--菜单栏图标动画"}},
        {*pane_->displayCPUTemperatureInMenuBarCheckBox, SettingsKey::isDisplayCPUStatusBar, {}},
        {*pane_->syncFanControlCheckBox, SettingsKey::isFansSync, {"开启--同步控制", "关闭--同步控制"}},
        {*pane_->showIconInDockCheckBox, SettingsKey::dockIcon, {}},
    };
    for (const auto& b : boxes) {
        events_.clear();
        click(b.box);
        EXPECT_EQ(defaults().object(b.key), Foundation::PropertyListValue(true)) << b.key;
        click(b.box);
        EXPECT_EQ(defaults().object(b.key), Foundation::PropertyListValue(false)) << b.key;
        EXPECT_EQ(events_, b.events) << b.key;
    }
    // Only the fan synchronisation posts, with the text read back.
    ASSERT_EQ(posts_.size(), 2u);
    EXPECT_EQ(posts_[0].name, NotificationName::syncFans);
    EXPECT_EQ(std::any_cast<std::string>(posts_[0].userInfo.at("sync")), "true");
    EXPECT_EQ(std::any_cast<std::string>(posts_[1].userInfo.at("sync")), "false");
}

TEST_F(SettingsControllerTest, HidingTheStatusItemSendsItsEventBeforeTheWrite)
{
    pane_->viewWillAppear();
    std::vector<std::string> order;
    Vendors::MSACAnalytics::setSink([&](const Vendors::MSACEvent& event) {
        order.push_back(event.name + (defaults().boolValue(SettingsKey::isHiddenStatusBar) ? " after" : " before"));
    });
    click(*pane_->hideStatusBarIconCheckBox);
    click(*pane_->hideStatusBarIconCheckBox);
    EXPECT_EQ(order, (std::vector<std::string> {"隐藏 菜单栏图标 before", "显示 菜单栏图标 before"}));
}

TEST_F(SettingsControllerTest, TheDockBoxSwitchesThePolicyAndActivatesWhenOff)
{
    Kit::Application& application = Kit::Application::shared();
    click(*pane_->showIconInDockCheckBox);
    EXPECT_EQ(application.activationPolicy(), Kit::ActivationPolicy::regular);
    EXPECT_EQ(application.activationCount(), 0);
    click(*pane_->showIconInDockCheckBox);
    EXPECT_EQ(application.activationPolicy(), Kit::ActivationPolicy::accessory);
    EXPECT_EQ(application.activationCount(), 1);
}

TEST_F(SettingsControllerTest, LaunchAtLoginFollowsWhatTheLoginItemsHold)
{
    auto items = std::make_shared<RecordingLoginItems>();
    LoginItemService::replace(items);
    pane_->viewWillAppear();
    Kit::Button& box = *pane_->launchOnLoginCheckBox;
    ASSERT_TRUE(box.isEnabled());
    EXPECT_EQ(box.state(), Kit::StateValue::off);

    click(box);
    EXPECT_EQ(items->entries, (std::set<std::string> {bundlePath()}));
    EXPECT_TRUE(defaults().boolValue(SettingsKey::isLaunchAtLoginEnabled));
    EXPECT_EQ(box.state(), Kit::StateValue::on);
    click(box);
    EXPECT_TRUE(items->entries.empty());
    EXPECT_EQ(defaults().object(SettingsKey::isLaunchAtLoginEnabled), Foundation::PropertyListValue(false));
    EXPECT_EQ(events_, (std::vector<std::string> {"开启 开机自启动", "关闭 开机自启动"}));

    // An entry already there is not added twice.
    items->entries.insert(bundlePath());
    pane_->viewWillAppear();
    EXPECT_EQ(box.state(), Kit::StateValue::on);
    box.setState(Kit::StateValue::off);
    click(box);
    EXPECT_EQ(items->calls, (std::vector<std::string> {"add", "remove"}));

    // A list that refuses: the box and the setting show what is really there, and no switch is reported.
    items->refuses = true;
    items->entries.clear();
    pane_->viewWillAppear();
    events_.clear();
    click(box);
    EXPECT_EQ(box.state(), Kit::StateValue::off);
    EXPECT_FALSE(defaults().boolValue(SettingsKey::isLaunchAtLoginEnabled));
    items->entries.insert(bundlePath());
    pane_->viewWillAppear();
    click(box);
    EXPECT_EQ(box.state(), Kit::StateValue::on);
    EXPECT_TRUE(defaults().boolValue(SettingsKey::isLaunchAtLoginEnabled));
    EXPECT_TRUE(events_.empty());
}

TEST_F(SettingsControllerTest, TheUpdateIntervalTakesWholeSecondsAndIgnoresTheRest)
{
    Kit::PopUpButton& popUp = *pane_->updateIntervalPopUpButton;
    choose(popUp, 3);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"5 s"}));
    EXPECT_EQ(fanIconRotationDuration, 5.0);
    EXPECT_EQ(defaults().integer(SettingsKey::updateInterval), 5);
    EXPECT_EQ(defaults().integer(SettingsKey::updateTimeIndex), 3);
    ASSERT_EQ(posts_.size(), 1u);
    EXPECT_EQ(posts_[0].name, NotificationName::updateInterval);

    for (const char* title : {"fast", "0 s", "00 s", "99999999999 s"}) {
        popUp.addItem(title);
        choose(popUp, popUp.numberOfItems() - 1);
    }
    popUp.selectItem(-1);
    popUp.sendAction();
    EXPECT_EQ(fanIconRotationDuration, 5.0);
    EXPECT_EQ(defaults().integer(SettingsKey::updateTimeIndex), 3);
    EXPECT_EQ(posts_.size(), 1u);
}

TEST_F(SettingsControllerTest, TheTemperatureUnitPostsAndTheTriggerOnlyWrites)
{
    choose(*pane_->TemperatureUnitPopUpBtn, 1);
    EXPECT_EQ(defaults().integer(SettingsKey::temperatureUnitIndex), 1);
    EXPECT_EQ(defaults().string(SettingsKey::temperatureUnits), "fahrenheit");
    ASSERT_EQ(posts_.size(), 1u);
    EXPECT_EQ(posts_[0].name, NotificationName::updateTemperatureUnit);
    choose(*pane_->TemperatureUnitPopUpBtn, 0);
    EXPECT_EQ(defaults().string(SettingsKey::temperatureUnits), "celsius");
    choose(*pane_->TriggerConditionsPopUpBtn, 1);
    EXPECT_EQ(defaults().integer(SettingsKey::triggerConditionIndex), 1);
    EXPECT_EQ(posts_.size(), 2u);
}

TEST_F(SettingsControllerTest, AnotherLanguageAsksFirstAndAppliesAtTheNextStart)
{
    pane_->viewWillAppear();
    Kit::PopUpButton& popUp = *pane_->selectLanguageEnvironmentPopUpBtn;
    const long english = popUp.indexOfSelectedItem();
    ASSERT_EQ(popUp.titleOfSelectedItem(), "🇺🇸 English");
    choose(popUp, english);
    EXPECT_TRUE(alerts_->shown().empty());

    alerts_->enqueue(Kit::AlertScript::button(1));
    choose(popUp, 1);
    driver().runUntilIdle();
    ASSERT_EQ(alerts_->shown().size(), 1u);
    EXPECT_TRUE(alerts_->shown()[0].asSheet);
    EXPECT_EQ(popUp.indexOfSelectedItem(), english);
    EXPECT_FALSE(defaults().array(Foundation::Bundle::appleLanguagesKey));

    alerts_->enqueue(Kit::AlertScript::button(0));
    choose(popUp, 1);
    driver().runUntilIdle();
    EXPECT_EQ(defaults().array(Foundation::Bundle::appleLanguagesKey),
        (Foundation::PropertyListValue::Array {std::string("zh-Hans")}));
    EXPECT_EQ(popUp.titleOfSelectedItem(), "🇨🇳 简体中文");
    EXPECT_TRUE(alerts_->failures().empty());
}

TEST_F(SettingsControllerTest, CheckForUpdatesRunsTheInstalledCheckOnly)
{
    pane_->checkUpdateButton->setEnabled(true);
    click(*pane_->checkUpdateButton);
    int checks = 0;
    UpdateCheck::replace([&] { ++checks; });
    pane_->viewWillAppear();
    EXPECT_TRUE(pane_->checkUpdateButton->isEnabled());
    click(*pane_->checkUpdateButton);
    EXPECT_EQ(checks, 1);
}

} // namespace
