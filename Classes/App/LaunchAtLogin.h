#pragma once

#include <string_view>

namespace Aerlo {

// The launch-at-login switch of the system's login-item services: from 13.0 the main application's
// own entry, before it the login-item helper's. Nothing calls it yet; the settings pane works through
// LoginServiceKit. Main thread only.
class LaunchAtLogin {
public:
    static constexpr std::string_view helperBundleIdentifier = "com.norvane.AerloOfflineHelper";
    // Present once the carry-over to the main application's entry succeeded.
    static constexpr std::string_view migrationKey = "LaunchAtLoginNext";

    static bool isEnabled();
    static void setEnabled(bool enabled);
    // Whether the helper's login job is on.
    static bool legacyIsEnabled();
    // Registers or unregisters the main application's entry; true when the wanted state holds afterwards
    // (unregistering an absent entry holds). A failure prints one line.
    [[nodiscard]] static bool setUsingAppService(bool enabled);
    // From 13.0, once: carries the helper's state over to the main application's entry and then switches
    // the helper off; a carry-over that failed is tried again at the next call.
    static void migrateIfNeeded();
};

} // namespace Aerlo
