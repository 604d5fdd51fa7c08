#include "Classes/Sensors/SensorGroup.h"

#include "Classes/Configure/Global/RawValueTable.h"

namespace Aerlo {

namespace {
constexpr RawValueTable<SensorGroup, 6> rawValues({"CPU", "GPU", "Systems", "Sensors", "HID", "Unknown"});
}

std::string_view rawValue(SensorGroup group) { return rawValues.text(group); }

std::optional<SensorGroup> sensorGroupFromRawValue(std::string_view raw) { return rawValues.value(raw); }

} // namespace Aerlo
