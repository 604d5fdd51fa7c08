#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/SettingsDefaults.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "Classes/Configure/Global/TemperatureUnits.h"
#include "tests/Global/DefaultsTest.h"

using namespace Aerlo;

using SettingsTest = DefaultsTest;

TEST(SettingsKeys, EveryKeyIsSpelledAsStored)
{
    const std::pair<std::string_view, const char*> keys[] = {
        {SettingsKey::isFirstLaunch, "isFirstLaunch"},
        {SettingsKey::isLaunchAtLoginEnabled, "isLaunchAtLoginEnabled"},
        {SettingsKey::isHiddenStatusBar, "isHiddenStatusBar"},
        {SettingsKey::isEnableStatusBarIconAnimation, "isEnableStatusBarIconAnimation"},
        {SettingsKey::isDisplayCPUStatusBar, "isDisplayCPUStatusBar"},
        {SettingsKey::dockIcon, "dockIcon"},
        {SettingsKey::isFansSync, "isFansSync"},
        {SettingsKey::updateTimeIndex, "updateTimeIndex"},
        {SettingsKey::updateInterval, "updateInterval"},
        {SettingsKey::temperatureUnitIndex, "temperatureUnitIndex"},
        {SettingsKey::temperatureUnits, "temperature_units"},
        {SettingsKey::triggerConditionIndex, "triggerConditionIndex"},
        {SettingsKey::fanModeSelectedSegment, "fanModeSelectedSegment"},
        {SettingsKey::leftFanSpeedAfterDrag, "leftFanSpeedAfterDrag"},
        {SettingsKey::rightFanSpeedAfterDrag, "rightFanSpeedAfterDrag"},
        {SettingsKey::leftFanPercent, "leftFanPercent"},
        {SettingsKey::rightFanPercent, "rightFanPercent"},
        {SettingsKey::leftFanSliderValue, "leftFanSliderValue"},
        {SettingsKey::rightFanSliderValue, "rightFanSliderValue"},
        {SettingsKey::leftFanCurrentValue, "LeftFanCurrentValue"},
        {SettingsKey::rightFanCurrentValue, "RightFanCurrentValue"},
        {SettingsKey::sensorNames, "sensorNames"},
        {SettingsKey::fanRuleDict, "fanRuleDict"},
        {SettingsKey::launchAtLoginNext, "LaunchAtLoginNext"},
        {SettingsKey::userActivityKey, "UserActivityKey"},
        {SettingsKey::eventGroupKey, "EventGroupKey"},
        {SettingsKey::installTime, "installTime"},
        {SettingsKey::appleInterfaceStyleSwitchesAutomatically, "AppleInterfaceStyleSwitchesAutomatically"},
        {SettingsKey::appFirstInstallKey, "AppFirstInstallkey"},
        {SettingsKey::loginItemFirstLaunch, "LoginItemFristLaunch"},
    };
    for (const auto& [constant, text] : keys)
        EXPECT_EQ(constant, text);
}

TEST_F(SettingsTest, TheFirstLaunchWritesItsDefaultsOnceAndTheyReadAsTyped)
{
    Foundation::UserDefaults& defaults = sharedDefaults();
    EXPECT_EQ(&defaults, &Foundation::UserDefaults::standard());
    EXPECT_FALSE(AppDataStore::shared().bool_(SettingsKey::isDisplayCPUStatusBar, false));

    EXPECT_TRUE(registerFirstLaunchDefaultsOnce());
    const std::pair<std::string_view, Foundation::PropertyListValue> written[] = {
        {SettingsKey::isLaunchAtLoginEnabled, false},        {SettingsKey::isHiddenStatusBar, false},
        {SettingsKey::isEnableStatusBarIconAnimation, true}, {SettingsKey::isDisplayCPUStatusBar, true},
        {SettingsKey::temperatureUnits, "celsius"},          {SettingsKey::isFirstLaunch, true},
    };
    EXPECT_EQ(defaults.dictionaryRepresentation().size(), std::size(written));
    for (const auto& [key, value] : written)
        EXPECT_EQ(defaults.object(key), value) << key;
    EXPECT_TRUE(AppDataStore::shared().bool_(SettingsKey::isDisplayCPUStatusBar, false));
    EXPECT_EQ(AppDataStore::shared().integer(SettingsKey::isDisplayCPUStatusBar, 0), 1);

    defaults.set(true, SettingsKey::isHiddenStatusBar);
    EXPECT_FALSE(registerFirstLaunchDefaultsOnce()) << "a second start writes nothing";
    EXPECT_TRUE(defaults.boolValue(SettingsKey::isHiddenStatusBar));
}

TEST_F(SettingsTest, OnAFahrenheitLocaleTheFirstLaunchKeepsCelsiusTexts)
{
    ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(formatTemperature(45, UnitTemperature::celsius, 0), "113°F") << "the locale's unit before";
    EXPECT_TRUE(registerFirstLaunchDefaultsOnce());
    EXPECT_EQ(formatTemperature(45, UnitTemperature::celsius, 0), "45°C");
}
