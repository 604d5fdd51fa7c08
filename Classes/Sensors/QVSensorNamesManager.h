#pragma once

#include <string>
#include <vector>

namespace Aerlo {

// The display names of the machine's temperature sensors, stored once as a JSON array of texts under
// "sensorNames" in the standard defaults, for the fan-rule editor.
class QVSensorNamesManager {
public:
    static constexpr const char* key = "sensorNames";

    // The stored names; empty when nothing is stored or it does not decode (with one printed line).
    static std::vector<std::string> loadSensorNames();
    // Replaces the stored names; nothing is stored when they cannot be encoded (with one printed line).
    static void saveSensorNames(const std::vector<std::string>& names);
    // When no names are stored: reads the sensors once and stores, printing each, the names of the
    // temperature readings that are not of group unknown and not per-core or per-channel readings.
    static void fillSensorNamesIfEmpty();
};

} // namespace Aerlo
