#pragma once

namespace Aerlo {

// The application's light or dark look, as the fan panel and the boxes choose their colours by it.
class AppearanceManager {
public:
    enum Mode : int { light = 0, dark = 1, automatic = 2 };

    // 2 when the system switches between light and dark by itself ("AppleInterfaceStyleSwitchesAutomatically"
    // is 1), else 1 when the application's effective appearance is a dark one, else 0.
    static int currentAppearanceMode();

    bool isDarkModeEnabled = false;
};

} // namespace Aerlo
