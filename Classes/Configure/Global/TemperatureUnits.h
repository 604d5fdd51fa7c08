#pragma once

#include "Classes/Configure/Global/KeyValue_t.h"
#include "Classes/Configure/Global/UnitTemperature.h"

#include <string>
#include <vector>

namespace Aerlo {

// The temperature-unit options, built once: ("system", "System", none),
// ("separator", "separator", none), ("celsius", "Celsius", celsius), ("fahrenheit", "Fahrenheit", fahrenheit).
const std::vector<KeyValue_t>& temperatureUnitOptions();

// The unit of the user's locale (LC_ALL, else LC_MEASUREMENT, else LANG): Fahrenheit where the
// locale measures in US customary units, Celsius everywhere else, the C locale included.
UnitTemperature systemTemperatureUnit();

// The unit chosen under "temperature_units" (default "system"): "system", an unknown key and an
// option without a unit ("separator") all give the system unit.
UnitTemperature temperatureUnitsSetting();

// `value` given in `unit`, converted to temperatureUnitsSetting() and written in the en_US style
// with the unit's symbol and no space ("45°C", "45.4°C", "114°F"): at most `fractionDigits`
// fraction digits, and exactly that many when it is not 0; rounded half to even. A value that is
// not finite, or not below 2^63 in size, gives "-" and the symbol.
std::string formatTemperature(double value, UnitTemperature unit, int fractionDigits);

} // namespace Aerlo
