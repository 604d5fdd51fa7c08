#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <string_view>

namespace Foundation {

// Names of the system's power and screen notifications: the workspace centre carries the first five,
// the distributed centre the screen lock pair.
struct AERLO_FOUNDATION_EXPORT WorkspaceNotificationName {
    static constexpr std::string_view willSleep = "NSWorkspaceWillSleepNotification";
    static constexpr std::string_view didWake = "NSWorkspaceDidWakeNotification";
    static constexpr std::string_view willPowerOff = "NSWorkspaceWillPowerOffNotification";
    static constexpr std::string_view screensDidSleep = "NSWorkspaceScreensDidSleepNotification";
    static constexpr std::string_view screensDidWake = "NSWorkspaceScreensDidWakeNotification";
    static constexpr std::string_view screenIsLocked = "com.apple.screenIsLocked";
    static constexpr std::string_view screenIsUnlocked = "com.apple.screenIsUnlocked";
};

} // namespace Foundation
