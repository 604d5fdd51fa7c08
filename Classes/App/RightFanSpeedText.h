#pragma once

#include "Classes/App/StatusBarText.h"

namespace Aerlo {

// The right fan's speed in the status item.
class RightFanSpeedText : public StatusBarText {
public:
    RightFanSpeedText() : StatusBarText(8, Placement::origin) {}
};

} // namespace Aerlo
