#pragma once

#include "Classes/Sensors/FanMode.h"
#include "Classes/Sensors/Sensor.h"
#include "Classes/Sensors/SensorGroup.h"
#include "Classes/Sensors/SensorType.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Aerlo {

// One fan; speeds in RPM.
struct Fan {
    int64_t id = 0;
    std::string key;
    std::string name;
    double minSpeed = 0;
    double maxSpeed = 0;
    double value = 0;
    FanMode mode = FanMode::automatic;
    SensorGroup group = SensorGroup::sensor;
    SensorType type = SensorType::fan;
    bool isIntelOnly = false;
    bool isComputed = false;
    bool average = false;
    std::string unit;

    bool operator==(const Fan&) const = default;

    bool state() const { return sensorState(key); }
    bool popupState() const { return sensorPopupState(key); }

    // The speed truncated to a whole number: "1234 RPM", and "1234" for the mini text.
    std::string formattedValue() const;
    std::string formattedMiniValue() const;
    std::string formattedPopupValue() const;

    // "fan_" + id + "_speed": absent when nothing is stored; setting nothing removes the key.
    std::optional<int64_t> customSpeed() const;
    void setCustomSpeed(std::optional<int64_t> speed) const;
    // "fan_" + id + "_mode": a stored value other than 0 or 1 reads as absent.
    std::optional<FanMode> customMode() const;
    void setCustomMode(std::optional<FanMode> mode) const;

    // "id", "key", "name", "minSpeed", "maxSpeed", "value", "mode", "group", "type", "isIntelOnly",
    // "isComputed", "average", "unit", in that order; the mode as its integer.
    nlohmann::ordered_json encode() const;
    // Every key required; an unknown raw value fails.
    static std::optional<Fan> decode(const nlohmann::ordered_json& json);
};

} // namespace Aerlo
