#pragma once

#include <cstdint>
#include <string>

namespace Aerlo {

// One custom fan rule: when the sensor (or any sensor) is above the threshold, drive the fans at
// the percentage. Stored unclamped; the evaluation clamps where it uses the values.
struct FanRule {
    static constexpr const char* anySensor = "Any Sensor";
    static constexpr const char* allFans = "All Fans";

    std::string sensorType = anySensor; // a sensor's display name, or "Any Sensor"
    std::int64_t sensorTemperature = 0; // whole degrees Celsius
    std::string fanType; // "" for a new rule, "All Fans" once saved by the editor
    std::int64_t fanSpeedPercentage = 0;

    bool operator==(const FanRule&) const = default;
};

} // namespace Aerlo
