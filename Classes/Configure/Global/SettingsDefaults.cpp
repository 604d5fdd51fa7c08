#include "Classes/Configure/Global/SettingsDefaults.h"

#include "Classes/Configure/Global/SettingsKey.h"

namespace Aerlo {

Foundation::UserDefaults& sharedDefaults() { return Foundation::UserDefaults::standard(); }

void registerFirstLaunchDefaults()
{
    Foundation::UserDefaults& defaults = sharedDefaults();
    defaults.set(false, SettingsKey::isLaunchAtLoginEnabled);
    defaults.set(false, SettingsKey::isHiddenStatusBar);
    defaults.set(true, SettingsKey::isEnableStatusBarIconAnimation);
    defaults.set(Foundation::PropertyListValue(true), SettingsKey::isDisplayCPUStatusBar);
    // Without it a Fahrenheit locale would convert the values while the rows still say "C".
    defaults.set(std::string("celsius"), SettingsKey::temperatureUnits);
}

bool registerFirstLaunchDefaultsOnce()
{
    Foundation::UserDefaults& defaults = sharedDefaults();
    if (defaults.boolValue(SettingsKey::isFirstLaunch))
        return false;
    registerFirstLaunchDefaults();
    defaults.set(true, SettingsKey::isFirstLaunch);
    return true;
}

} // namespace Aerlo
