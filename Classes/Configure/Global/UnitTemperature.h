#pragma once

#include <string_view>

namespace Aerlo {

// The unit temperatures are shown in. Values are kept in Celsius and converted only for display.
enum class UnitTemperature { celsius, fahrenheit };

// "°C" or "°F".
std::string_view symbol(UnitTemperature unit);
double convert(double value, UnitTemperature from, UnitTemperature to);

} // namespace Aerlo
