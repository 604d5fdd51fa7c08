#pragma once

#include "Classes/App/StatusBarText.h"

namespace Aerlo {

// The CPU temperature in the status item.
class TemperatureText : public StatusBarText {
public:
    TemperatureText() : StatusBarText(11, Placement::centred) {}
};

} // namespace Aerlo
