#pragma once

#include "Classes/App/StatusBarText.h"

namespace Aerlo {

// The left fan's speed in the status item.
class LeftFanSpeedText : public StatusBarText {
public:
    LeftFanSpeedText() : StatusBarText(8, Placement::origin) {}
};

} // namespace Aerlo
