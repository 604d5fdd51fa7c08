#pragma once

#include "Platform/Foundation/UserDefaults.h"

namespace Aerlo {

// The standard suite, as the settings pane, the status item and the first launch reach it.
Foundation::UserDefaults& sharedDefaults();

// The first launch's settings: launch at login off, status item shown, icon animation on, CPU
// temperature shown, and the temperature unit Celsius, the unit "temperatureUnitIndex" 0 names.
void registerFirstLaunchDefaults();

// Writes the first-launch settings unless "isFirstLaunch" is already true, then sets it true.
// True when it wrote them.
bool registerFirstLaunchDefaultsOnce();

} // namespace Aerlo
