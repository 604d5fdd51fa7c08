#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Aerlo {

// What a reading measures. Raw values "Temperature", "Voltage", "Current", "Power", "Energy",
// "Fans"; the raw value is also the localisation key of the popup's section titles.
enum class SensorType : uint8_t { temperature, voltage, current, power, energy, fan };

std::string_view rawValue(SensorType type);
// Exact, case-sensitive match of the raw value.
std::optional<SensorType> sensorTypeFromRawValue(std::string_view raw);

} // namespace Aerlo
