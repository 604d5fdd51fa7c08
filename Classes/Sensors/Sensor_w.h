#pragma once

#include "Classes/Sensors/Sensor_p.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace Aerlo {

// Codes a reading of either kind: {"base": 0 for a Sensor or 1 for a Fan, "payload": the record}.
struct Sensor_w {
    Sensor_p sensor;

    bool operator==(const Sensor_w&) const = default;

    nlohmann::ordered_json encode() const;
    // "base" decides how "payload" is read; any other base, or a payload of the wrong kind, fails.
    static std::optional<Sensor_w> decode(const nlohmann::ordered_json& json);
};

} // namespace Aerlo
