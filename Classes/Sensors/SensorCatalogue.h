#pragma once

#include "Classes/Configure/SystemKit/Platform.h"
#include "Classes/Sensors/Sensor.h"

#include <optional>
#include <vector>

namespace Aerlo {

// The known SMC keys: 160 rows, built once and never changed. In a key "%" stands for one digit
// 0-9, and in the name for the running number of the keys the machine has.
class SensorCatalogue {
public:
    static const std::vector<Sensor>& all();
    // The rows whose platforms include `platform`, in catalogue order; an undecided platform keeps every row.
    static std::vector<Sensor> forPlatform(std::optional<Platform> platform);
};

} // namespace Aerlo
