#pragma once

#include <string_view>

namespace Aerlo {

// The keys of every persisted setting. The per-sensor and per-fan keys are built by Sensor and Fan.
struct SettingsKey {
    // Standard suite.
    static constexpr std::string_view isFirstLaunch = "isFirstLaunch";
    static constexpr std::string_view isLaunchAtLoginEnabled = "isLaunchAtLoginEnabled";
    static constexpr std::string_view isHiddenStatusBar = "isHiddenStatusBar";
    static constexpr std::string_view isEnableStatusBarIconAnimation = "isEnableStatusBarIconAnimation";
    static constexpr std::string_view isDisplayCPUStatusBar = "isDisplayCPUStatusBar";
    static constexpr std::string_view dockIcon = "dockIcon";
    static constexpr std::string_view isFansSync = "isFansSync";
    static constexpr std::string_view updateTimeIndex = "updateTimeIndex";
    static constexpr std::string_view updateInterval = "updateInterval";
    static constexpr std::string_view temperatureUnitIndex = "temperatureUnitIndex";
    static constexpr std::string_view temperatureUnits = "temperature_units";
    static constexpr std::string_view triggerConditionIndex = "triggerConditionIndex";
    static constexpr std::string_view fanModeSelectedSegment = "fanModeSelectedSegment";
    static constexpr std::string_view leftFanSpeedAfterDrag = "leftFanSpeedAfterDrag";
    static constexpr std::string_view rightFanSpeedAfterDrag = "rightFanSpeedAfterDrag";
    static constexpr std::string_view leftFanPercent = "leftFanPercent";
    static constexpr std::string_view rightFanPercent = "rightFanPercent";
    static constexpr std::string_view leftFanSliderValue = "leftFanSliderValue";
    static constexpr std::string_view rightFanSliderValue = "rightFanSliderValue";
    static constexpr std::string_view leftFanCurrentValue = "LeftFanCurrentValue";
    static constexpr std::string_view rightFanCurrentValue = "RightFanCurrentValue";
    static constexpr std::string_view sensorNames = "sensorNames";
    static constexpr std::string_view fanRuleDict = "fanRuleDict";
    static constexpr std::string_view launchAtLoginNext = "LaunchAtLoginNext";
    static constexpr std::string_view userActivityKey = "UserActivityKey";
    static constexpr std::string_view eventGroupKey = "EventGroupKey";
    static constexpr std::string_view installTime = "installTime";
    static constexpr std::string_view appleInterfaceStyleSwitchesAutomatically =
        "AppleInterfaceStyleSwitchesAutomatically";

    // App-group suite.
    static constexpr std::string_view appFirstInstallKey = "AppFirstInstallkey";
    static constexpr std::string_view loginItemFirstLaunch = "LoginItemFristLaunch";
};

} // namespace Aerlo
