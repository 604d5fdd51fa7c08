#pragma once

#include <cstdint>

namespace Aerlo {

// Part of the application's type set: a power assertion's identifier and the screen's state, kept and
// never acted on.
struct QVSystemPowerManager {
    std::uint32_t assertionID = 0;
    bool isScreenOn = false;
};

} // namespace Aerlo
