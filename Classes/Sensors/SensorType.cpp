#include "Classes/Sensors/SensorType.h"

#include "Classes/Configure/Global/RawValueTable.h"

namespace Aerlo {

namespace {
constexpr RawValueTable<SensorType, 6> rawValues({"Temperature", "Voltage", "Current", "Power", "Energy", "Fans"});
}

std::string_view rawValue(SensorType type) { return rawValues.text(type); }

std::optional<SensorType> sensorTypeFromRawValue(std::string_view raw) { return rawValues.value(raw); }

} // namespace Aerlo
