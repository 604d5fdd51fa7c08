#pragma once

#include "Platform/Foundation/ObserverToken.h"
#include "Platform/Kit/Control.h"
#include "Platform/Kit/ViewController.h"

#include <memory>

namespace Foundation {
class UserDefaults;
}
namespace Kit {
class Button;
class PopUpButton;
}

namespace Aerlo {

// The settings pane: each control writes its setting at once and, where others react, posts or calls
// what applies it. The controls are filled from the store each time the pane appears.
class SettingsController : public Kit::ViewController {
public:
    static constexpr const char* websiteURL = "https://norvane.example.com/aerlo";
    // The update-interval items, in seconds per turn.
    static constexpr int updateIntervals[] = {1, 2, 3, 5};

    static void registerScene();
    static std::shared_ptr<SettingsController> make();

    SettingsController();
    ~SettingsController() override;

    std::shared_ptr<Kit::Button> showIconInDockCheckBox;
    std::shared_ptr<Kit::Button> hideStatusBarIconCheckBox;
    std::shared_ptr<Kit::Button> launchOnLoginCheckBox;
    std::shared_ptr<Kit::Button> enableStatusBarIconAnimationCheckBox;
    std::shared_ptr<Kit::Button> displayCPUTemperatureInMenuBarCheckBox;
    std::shared_ptr<Kit::Button> syncFanControlCheckBox;
    std::shared_ptr<Kit::PopUpButton> updateIntervalPopUpButton;
    std::shared_ptr<Kit::PopUpButton> selectLanguageEnvironmentPopUpBtn;
    std::shared_ptr<Kit::PopUpButton> TemperatureUnitPopUpBtn;
    std::shared_ptr<Kit::PopUpButton> TriggerConditionsPopUpBtn;
    Foundation::UserDefaults& defaults;
    // The check-for-updates and web-page buttons.
    std::shared_ptr<Kit::Button> checkUpdateButton;
    std::shared_ptr<Kit::Button> websiteButton;

    void showApplicationDockIcons(Kit::Control& sender);
    void startAtLogin(Kit::Control& sender);
    void hideStatusBarIconClick(Kit::Control& sender);
    void enableStatusBarIconAnimation(Kit::Control& sender);
    void displayCPUInStatusBar(Kit::Control& sender);
    void toggleFansSync(Kit::Control& sender);
    void changeUpdateInterval(Kit::Control& sender);
    void chooseCurrentLocale(Kit::Control& sender);
    void chooseTemperatureUnit(Kit::Control& sender);
    void chooseTriggerConditions(Kit::Control& sender);
    void checkUpdate(Kit::Control& sender);
    void openWebsite(Kit::Control& sender);

    void viewWillAppear() override;

protected:
    void loadView() override;

private:
    void fillLanguages();
    void fillLaunchAtLogin();
    void selectCurrentLanguage();

    Foundation::ObserverToken languageObserver_;
};

} // namespace Aerlo
