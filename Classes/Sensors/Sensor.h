#pragma once

#include "Classes/Configure/SystemKit/Platform.h"
#include "Classes/Sensors/SensorGroup.h"
#include "Classes/Sensors/SensorType.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The per-reading choices of a Sensor or a Fan, by SMC key: "sensor_" + key (default false)
// and "sensor_" + key + "_popup" (default true). Read from the defaults on every call.
bool sensorState(const std::string& key);
bool sensorPopupState(const std::string& key);

// One reading. Temperatures are in Celsius; computed readings carry their name as key.
struct Sensor {
    std::string key;
    std::string name;
    double value = 0;
    SensorGroup group = SensorGroup::unknown;
    SensorType type = SensorType::temperature;
    std::vector<Platform> platforms;
    bool isComputed = false;
    bool average = false;

    bool operator==(const Sensor&) const = default;

    bool state() const { return sensorState(key); }
    bool popupState() const { return sensorPopupState(key); }
    std::string unit() const;

    std::string formattedValue() const;
    std::string formattedMiniValue() const;
    std::string formattedPopupValue() const;

    // "key", "name", "value", "group", "type", "platforms", "isComputed", "average", in that order.
    nlohmann::ordered_json encode() const;
    // Every key required; an unknown raw value fails.
    static std::optional<Sensor> decode(const nlohmann::ordered_json& json);
};

} // namespace Aerlo
