#include "Classes/Sensors/SensorValueText.h"

#include "Classes/Configure/Global/NumberText.h"
#include "Classes/Configure/Global/TemperatureUnits.h"

#include <cmath>
#include <cstdint>

namespace Aerlo {

namespace {

bool displayable(double value) { return std::isfinite(value) && std::fabs(value) < 9223372036854775808.0; }

std::string truncatedText(double value) { return std::to_string(static_cast<int64_t>(std::trunc(value))); }

// Voltages keep three fraction digits below 100, the other electrical readings two.
int fractionDigits(SensorType type) { return type == SensorType::voltage ? 3 : 2; }

std::string withoutUnitLetters(std::string text)
{
    std::erase_if(text, [](char c) { return c == 'C' || c == 'F'; });
    return text;
}

} // namespace

std::string SensorValueText::unit(SensorType type)
{
    switch (type) {
    case SensorType::temperature:
        return std::string(symbol(temperatureUnitsSetting()));
    case SensorType::voltage:
        return "V";
    case SensorType::current:
        return "A";
    case SensorType::power:
        return "W";
    case SensorType::energy:
        return "Wh";
    case SensorType::fan:
        return "RPM";
    }
    return {};
}

std::string SensorValueText::value(SensorType type, double value)
{
    switch (type) {
    case SensorType::temperature:
        return formatTemperature(value, UnitTemperature::celsius, 0);
    case SensorType::fan:
        return (displayable(value) ? truncatedText(value) : std::string(placeholder)) + " RPM";
    default:
        if (!displayable(value))
            return std::string(placeholder) + unit(type);
        return (value >= 100 ? truncatedText(value) : NumberText::fixed(value, fractionDigits(type))) + unit(type);
    }
}

std::string SensorValueText::mini(SensorType type, double value)
{
    switch (type) {
    case SensorType::temperature:
        return withoutUnitLetters(formatTemperature(value, UnitTemperature::celsius, 0));
    case SensorType::fan:
        return displayable(value) ? truncatedText(value) : std::string(placeholder);
    default:
        if (!displayable(value))
            return std::string(placeholder) + unit(type);
        // std::round: halves away from zero.
        return (value >= 9.95 ? std::to_string(static_cast<int64_t>(std::round(value))) : NumberText::fixed(value, 1))
               + unit(type);
    }
}

std::string SensorValueText::popup(SensorType type, double value)
{
    if (type == SensorType::temperature)
        return formatTemperature(value, UnitTemperature::celsius, 1);
    return SensorValueText::value(type, value);
}

} // namespace Aerlo
