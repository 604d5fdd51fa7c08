#pragma once

#include <functional>

namespace Aerlo {

// What "check for updates" does in the settings pane and the panels' menus. The program installs the
// update manager's user-initiated check; with none installed the controls that ask for it are disabled
// and a request does nothing.
class UpdateCheck {
public:
    using Handler = std::function<void()>;

    static void replace(Handler handler);  // an empty handler takes it out (tests reset this way)
    static bool isInstalled();
    // Runs the installed handler; false when none is installed.
    static bool run();
};

} // namespace Aerlo
