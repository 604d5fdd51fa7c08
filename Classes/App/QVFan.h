#pragma once

#include "Classes/Configure/Global/CurrentFanMode.h"

#include <cstdint>

namespace Aerlo {

// A record of a fan-mode change.
struct QVFan {
    CurrentFanMode beforeMode = CurrentFanMode::auto_;
    CurrentFanMode afterMode = CurrentFanMode::auto_;
    std::int64_t leftSpeed = 0;
    std::int64_t rightSpeed = 0;
};

} // namespace Aerlo
