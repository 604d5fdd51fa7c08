#pragma once

#include <string_view>

namespace Aerlo {

// The application's own notifications, posted on the default centre with no object and
// delivered synchronously on the poster's thread.
struct NotificationName {
    static constexpr std::string_view updateFanAutomatic = "updateFanAutomatic";
    static constexpr std::string_view updateSigleFanAutomatic = "updateSigleFanAutomatic";
    static constexpr std::string_view openCustomFanSpeedPreference = "openCustomFanSpeedPreference";
    static constexpr std::string_view updateTemperatureUnit = "updateTemperatureUnit";
    static constexpr std::string_view systemFanMode = "SystemFanModeNotification";
    static constexpr std::string_view maximumFanMode = "MaximumFanModeNotification";
    static constexpr std::string_view manualFanMode = "ManualFanModeNotification";
    static constexpr std::string_view customFanMode = "CustomFanModeNotification";
    static constexpr std::string_view syncFansControl = "syncFansControl"; // {"mode": "forced"|"automatic"}
    static constexpr std::string_view syncFans = "syncFans"; // {"sync": "true"|"false"}
    static constexpr std::string_view fansModeToggle = "fansModeToggle"; // {"mode", "fan": "left"|"right"}
    static constexpr std::string_view updateInterval = "updateInterval";
    static constexpr std::string_view fanHelperState = "fanHelperState"; // {"state": bool}
    static constexpr std::string_view fansController = "fansController"; // {"leftSpeed", "rightSpeed": int}
    static constexpr std::string_view dashboardFans = "dashboardFans"; // {"leftSpeed", "rightSpeed": int}
    static constexpr std::string_view updateUptime = "updateUptime";
    static constexpr std::string_view updateDashboardFansUI = "updateDashboardFansUI"; // {"name"}
};

} // namespace Aerlo
