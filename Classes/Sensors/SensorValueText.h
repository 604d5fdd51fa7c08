#pragma once

#include "Classes/Sensors/SensorType.h"

#include <string>
#include <string_view>

namespace Aerlo {

// The three value texts of a reading, by type. Temperatures are given in Celsius and shown in
// the user's unit. A value that is not finite, or not below 2^63 in size, shows the placeholder
// "-" where the number would be ("-V", "- RPM", "-°C").
class SensorValueText {
public:
    static constexpr std::string_view placeholder = "-";

    // "45°C", "1.234V", "100V", "12.50A", "1234 RPM".
    static std::string value(SensorType type, double value);
    // "45°", "9.9A", "10A", "1234".
    static std::string mini(SensorType type, double value);
    // As value(), with one fraction digit for temperatures: "45.4°C".
    static std::string popup(SensorType type, double value);

    // "V", "A", "W", "Wh", "RPM", or the symbol of the user's temperature unit.
    static std::string unit(SensorType type);
};

} // namespace Aerlo
