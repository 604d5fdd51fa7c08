#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace Aerlo {

// Where a reading belongs. Raw values "CPU", "GPU", "Systems", "Sensors", "HID", "Unknown".
enum class SensorGroup : uint8_t { CPU, GPU, system, sensor, hid, unknown };

std::string_view rawValue(SensorGroup group);
// Exact, case-sensitive match of the raw value.
std::optional<SensorGroup> sensorGroupFromRawValue(std::string_view raw);

} // namespace Aerlo
