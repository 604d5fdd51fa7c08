#include "Classes/Configure/Global/UnitTemperature.h"

namespace Aerlo {

std::string_view symbol(UnitTemperature unit) { return unit == UnitTemperature::fahrenheit ? "°F" : "°C"; }

double convert(double value, UnitTemperature from, UnitTemperature to)
{
    if (from == to)
        return value;
    if (to == UnitTemperature::fahrenheit)
        return value * 9.0 / 5.0 + 32.0;
    return (value - 32.0) * 5.0 / 9.0;
}

} // namespace Aerlo
