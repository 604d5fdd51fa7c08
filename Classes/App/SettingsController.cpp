#include "Classes/App/SettingsController.h"

#include "Classes/Configure/Global/FanIconRotationDuration.h"
#include "Classes/App/LoginItemService.h"
#include "Classes/App/QVAppCenter.h"
#include "Classes/App/UpdateCheck.h"
#include "Classes/App/VIZevUri.h"
#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Configure/GlobalUI/Storyboard.h"
#include "Classes/Views/InitialViewController.h"
#include "Classes/Views/PageView.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Kit/Application.h"
#include "Platform/Kit/Button.h"
#include "Platform/Kit/Font.h"
#include "Platform/Kit/PopUpButton.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Vendors/UI/RUDuzodize.h"
#include "Platform/Vendors/UI/SettingsLanguageController.h"
#include "QVToolsKit/QVURLManager.h"

#include <charconv>

namespace Aerlo {

namespace {

using Foundation::Console;
using Vendors::RUDuzodize;
using Vendors::SupportedLanguageOption;

constexpr double paneWidth = InitialViewController::paneWidth;
constexpr double paneHeight = InitialViewController::paneHeight;
constexpr double margin = 30;
constexpr double controlX = 250;

// The eight languages offered, in the order shown.
const std::vector<SupportedLanguageOption>& offeredLanguages()
{
    static const std::vector<SupportedLanguageOption> options {SupportedLanguageOption::english,
        SupportedLanguageOption::simplifiedChinese, SupportedLanguageOption::french, SupportedLanguageOption::spanish,
        SupportedLanguageOption::italian, SupportedLanguageOption::german, SupportedLanguageOption::japanese,
        SupportedLanguageOption::portuguese};
    return options;
}

bool isOn(const Kit::Control& sender)
{
    const auto* box = dynamic_cast<const Kit::Button*>(&sender);
    return box && box->state() == Kit::StateValue::on;
}

Kit::StateValue stateOf(bool on)
{
    return on ? Kit::StateValue::on : Kit::StateValue::off;
}

// The whole seconds an update-interval title names; none below 1.
std::optional<int> secondsIn(const std::string& title)
{
    const std::string digits = firstMatch(title, "\\d+");
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 1)
        return std::nullopt;
    return value;
}

template <class Method>
Kit::Control::Action action(SettingsController* controller, Method method)
{
    return Kit::Control::Action(controller, method);
}

} // namespace

void SettingsController::registerScene()
{
    Storyboard::registerInitialViewController<SettingsController>("SettingsController");
}

std::shared_ptr<SettingsController> SettingsController::make()
{
    return Storyboard::instantiateInitialViewController<SettingsController>("SettingsController");
}

SettingsController::SettingsController() : defaults(Foundation::UserDefaults::standard()) {}

SettingsController::~SettingsController() = default;

void SettingsController::loadView()
{
    auto view = std::make_shared<Kit::View>(Kit::Rect {0, 0, paneWidth, paneHeight});
    double y = paneHeight - 62;
    view->addSubview(PageView::makeTitle(LocalizationTable::text("settings.title")));

    y -= 40;
    const auto section = [&](const char* key) {
        auto label = Kit::TextField::labelWithString(LocalizationTable::text(key));
        label->setFont(Kit::Font::boldSystemFont(13));
        label->setTextColor(Kit::Colour::secondaryLabelColor());
        label->setFrame({margin, y, paneWidth - 2 * margin, 18});
        view->addSubview(label);
        y -= 28;
    };
    const auto checkBox = [&](const char* key, auto method) {
        auto box = Kit::Button::checkbox(LocalizationTable::text(key), action(this, method));
        box->setFrame({margin + 10, y, paneWidth - 2 * margin - 10, 20});
        view->addSubview(box);
        y -= 26;
        return box;
    };
    const auto popUp = [&](const char* key, auto method) {
        auto label = Kit::TextField::labelWithString(LocalizationTable::text(key));
        auto button = std::make_shared<Kit::PopUpButton>(Kit::Rect {controlX, y, 260, 24});
        // The caption's line centred as the pop-up centres its title, so both share a baseline.
        label->setFont(button->font());
        const double line = label->font().lineHeight();
        label->setFrame({margin + 10, y + 12 - line / 2, controlX - margin - 20, line});
        view->addSubview(label);
        // Named by its label.
        button->setAccessibilityLabel(label->stringValue());
        button->setAction(action(this, method));
        view->addSubview(button);
        y -= 32;
        return button;
    };

    section("settings.section.general");
    launchOnLoginCheckBox = checkBox("settings.launchAtLogin", &SettingsController::startAtLogin);
    showIconInDockCheckBox = checkBox("settings.dockIcon", &SettingsController::showApplicationDockIcons);
    hideStatusBarIconCheckBox = checkBox("settings.hideStatusBarIcon", &SettingsController::hideStatusBarIconClick);
    enableStatusBarIconAnimationCheckBox
        = checkBox("settings.statusBarIconAnimation", &SettingsController::enableStatusBarIconAnimation);
    displayCPUTemperatureInMenuBarCheckBox
        = checkBox("settings.cpuInStatusBar", &SettingsController::displayCPUInStatusBar);
    syncFanControlCheckBox = checkBox("settings.syncFans", &SettingsController::toggleFansSync);

    y -= 8;
    section("settings.section.display");
    updateIntervalPopUpButton = popUp("settings.updateInterval", &SettingsController::changeUpdateInterval);
    for (const int seconds : updateIntervals)
        updateIntervalPopUpButton->addItem(localizedString("settings.seconds", {std::to_string(seconds)}));
    // The turn time every start begins with.
    updateIntervalPopUpButton->selectItem(1);
    TemperatureUnitPopUpBtn = popUp("settings.temperatureUnit", &SettingsController::chooseTemperatureUnit);
    TemperatureUnitPopUpBtn->addItems({LocalizationTable::text("settings.celsius"), LocalizationTable::text("settings.fahrenheit")});
    TriggerConditionsPopUpBtn = popUp("settings.triggerCondition", &SettingsController::chooseTriggerConditions);
    TriggerConditionsPopUpBtn->addItems(
        {LocalizationTable::text("settings.trigger.startup"), LocalizationTable::text("settings.trigger.unlock")});
    selectLanguageEnvironmentPopUpBtn = popUp("settings.language", &SettingsController::chooseCurrentLocale);
    auto restartNote = Kit::TextField::labelWithString(LocalizationTable::text("settings.language.restart"));
    restartNote->setFont(Kit::Font::systemFont(11));
    restartNote->setTextColor(Kit::Colour::secondaryLabelColor());
    restartNote->setFrame({controlX, y + 12, paneWidth - controlX - margin, 16});
    view->addSubview(restartNote);

    checkUpdateButton = Kit::Button::button(LocalizationTable::text("settings.checkUpdate"),
        action(this, &SettingsController::checkUpdate));
    checkUpdateButton->setFrame({margin, 24, 180, 32});
    view->addSubview(checkUpdateButton);
    websiteButton = Kit::Button::button(LocalizationTable::text("settings.website"),
        action(this, &SettingsController::openWebsite));
    websiteButton->setFrame({margin + 192, 24, 180, 32});
    view->addSubview(websiteButton);
    setView(view);
}

void SettingsController::viewWillAppear()
{
    Kit::Application& application = Kit::Application::shared();
    // The login window, which the pane would then activate, has no counterpart here.
    if (application.activationPolicy() == Kit::ActivationPolicy::accessory)
        application.setActivationPolicy(Kit::ActivationPolicy::regular);
    view();
    hideStatusBarIconCheckBox->setState(stateOf(defaults.boolValue(SettingsKey::isHiddenStatusBar)));
    fillLaunchAtLogin();
    enableStatusBarIconAnimationCheckBox->setState(stateOf(defaults.boolValue(SettingsKey::isEnableStatusBarIconAnimation)));
    displayCPUTemperatureInMenuBarCheckBox->setState(stateOf(defaults.boolValue(SettingsKey::isDisplayCPUStatusBar)));
    syncFanControlCheckBox->setState(stateOf(defaults.boolValue(SettingsKey::isFansSync)));
    TemperatureUnitPopUpBtn->selectItem(defaults.integer(SettingsKey::temperatureUnitIndex) != 0 ? 1 : 0);
    const std::int64_t trigger = defaults.integer(SettingsKey::triggerConditionIndex);
    TriggerConditionsPopUpBtn->selectItem(trigger == 1 ? 1 : 0);
    checkUpdateButton->setEnabled(UpdateCheck::isInstalled());
    fillLanguages();
}

void SettingsController::fillLaunchAtLogin()
{
    const auto service = LoginItemService::installed();
    launchOnLoginCheckBox->setEnabled(service != nullptr);
    // With a service, the box shows whether the entry is there; without one, nothing can be changed.
    const bool on = service ? service->find(Foundation::Bundle::main().bundlePath().string())
                            : defaults.boolValue(SettingsKey::isLaunchAtLoginEnabled);
    launchOnLoginCheckBox->setState(stateOf(on));
}

void SettingsController::fillLanguages()
{
    RUDuzodize::setShowFlagEmoji(true);
    RUDuzodize::configureSupportedLanguages(offeredLanguages());
    selectLanguageEnvironmentPopUpBtn->removeAllItems();
    for (const Vendors::Language& language : RUDuzodize::supportedLanguagesModel())
        selectLanguageEnvironmentPopUpBtn->addItem(RUDuzodize::title(language));
    selectCurrentLanguage();
    if (!languageObserver_.isActive()) {
        languageObserver_ = RUDuzodize::observeLanguageAction([this](Vendors::LanguageAction languageAction) {
            if (languageAction == Vendors::LanguageAction::reselect)
                selectCurrentLanguage();
        });
    }
}

void SettingsController::selectCurrentLanguage()
{
    selectLanguageEnvironmentPopUpBtn->selectItem(RUDuzodize::currentLanguageIndex());
}

void SettingsController::showApplicationDockIcons(Kit::Control& sender)
{
    const bool on = isOn(sender);
    (void)defaults.set(on, SettingsKey::dockIcon);
    Kit::Application& application = Kit::Application::shared();
    application.setActivationPolicy(on ? Kit::ActivationPolicy::regular : Kit::ActivationPolicy::accessory);
    if (!on)
        application.activate(true);
}

void SettingsController::startAtLogin(Kit::Control& sender)
{
    const auto service = LoginItemService::installed();
    if (!service) {
        fillLaunchAtLogin();
        return;
    }
    const std::string path = Foundation::Bundle::main().bundlePath().string();
    const bool wanted = isOn(sender);
    if (wanted) {
        if (!service->find(path))
            (void)service->add(path);
    } else {
        (void)service->remove(path);
    }
    // What the login items hold now, whatever the calls answered.
    const bool reached = service->find(path);
    launchOnLoginCheckBox->setState(stateOf(reached));
    (void)defaults.set(reached, SettingsKey::isLaunchAtLoginEnabled);
    VIZevUri::shared().log(std::string("Call LoginItemSetEnabled with [") + (reached ? "true" : "false") + "] success");
    // A switch the login items refused is no change to report.
    if (reached == wanted)
        QVAppCenter::trackLaunchAtLogin(reached);
}

void SettingsController::hideStatusBarIconClick(Kit::Control& sender)
{
    if (isOn(sender)) {
        QVAppCenter::trackStatusBarIconHidden(true);
        (void)defaults.set(true, SettingsKey::isHiddenStatusBar);
    } else {
        (void)defaults.set(false, SettingsKey::isHiddenStatusBar);
        QVAppCenter::trackStatusBarIconHidden(false);
    }
}

void SettingsController::enableStatusBarIconAnimation(Kit::Control& sender)
{
    const bool on = isOn(sender);
    (void)defaults.set(on, SettingsKey::isEnableStatusBarIconAnimation);
    QVAppCenter::trackStatusBarIconAnimation(on);
}

void SettingsController::displayCPUInStatusBar(Kit::Control& sender)
{
    (void)defaults.set(isOn(sender), SettingsKey::isDisplayCPUStatusBar);
}

void SettingsController::toggleFansSync(Kit::Control& sender)
{
    const bool on = isOn(sender);
    (void)defaults.set(on, SettingsKey::isFansSync);
    QVAppCenter::trackFansSync(on);
    const bool stored = defaults.boolValue(SettingsKey::isFansSync);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::syncFans, nullptr,
        {{"sync", std::string(stored ? "true" : "false")}});
}

void SettingsController::changeUpdateInterval(Kit::Control& sender)
{
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (!popUp || popUp->indexOfSelectedItem() < 0)
        return;
    const std::string title = popUp->titleOfSelectedItem();
    Console::print(title);
    const auto seconds = secondsIn(title);
    if (!seconds)
        return;
    fanIconRotationDuration = static_cast<double>(*seconds);
    (void)defaults.set(static_cast<std::int64_t>(popUp->indexOfSelectedItem()), SettingsKey::updateTimeIndex);
    (void)defaults.set(static_cast<std::int64_t>(*seconds), SettingsKey::updateInterval);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateInterval);
}

void SettingsController::chooseCurrentLocale(Kit::Control& sender)
{
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (!popUp)
        return;
    const long chosen = popUp->indexOfSelectedItem();
    VIZevUri::shared().log("当前选择的下拉列表title: " + popUp->titleOfSelectedItem());
    VIZevUri::shared().log("当前app语言环境：" + RUDuzodize::currentLanguageName());
    if (chosen < 0 || chosen == RUDuzodize::currentLanguageIndex())
        return;
    std::make_shared<Vendors::SettingsLanguageController>(chosen)->present(view()->window());
}

void SettingsController::chooseTemperatureUnit(Kit::Control& sender)
{
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (!popUp || popUp->indexOfSelectedItem() < 0)
        return;
    const long index = popUp->indexOfSelectedItem();
    (void)defaults.set(static_cast<std::int64_t>(index), SettingsKey::temperatureUnitIndex);
    AppDataStore::shared().set(index != 0 ? "fahrenheit" : "celsius", SettingsKey::temperatureUnits);
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
}

void SettingsController::chooseTriggerConditions(Kit::Control& sender)
{
    auto* popUp = dynamic_cast<Kit::PopUpButton*>(&sender);
    if (!popUp || popUp->indexOfSelectedItem() < 0)
        return;
    (void)defaults.set(static_cast<std::int64_t>(popUp->indexOfSelectedItem()), SettingsKey::triggerConditionIndex);
}

void SettingsController::checkUpdate(Kit::Control&)
{
    (void)UpdateCheck::run();
}

void SettingsController::openWebsite(Kit::Control&)
{
    QVToolsKit::QVURLManager::openURL(websiteURL);
}

} // namespace Aerlo
