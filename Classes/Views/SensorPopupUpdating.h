#pragma once

#include "Classes/Sensors/Sensor_p.h"

#include <vector>

namespace Aerlo {

// The sensor popup as the control tick refreshes it.
class SensorPopupUpdating {
public:
    virtual ~SensorPopupUpdating() = default;
    virtual void update(const std::vector<Sensor_p>& sensors) = 0;
};

} // namespace Aerlo
