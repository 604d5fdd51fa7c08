#include "Classes/Configure/Global/TemperatureUnits.h"

#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/NumberText.h"
#include "Platform/Foundation/SharedInstance.h"

#include <cmath>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <mutex>

namespace Aerlo {

namespace {

// The locale name the C library would take for LC_MEASUREMENT.
std::string measurementLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "C";
}

// From the territory of a name such as "en_US.UTF-8" or "en_LR@euro".
bool territoryUsesFahrenheit(const std::string& name)
{
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos)
        return false;
    const std::string territory = name.substr(underscore + 1, name.find_first_of(".@", underscore) - underscore - 1);
    return territory == "US" || territory == "LR" || territory == "MM";
}

UnitTemperature unitOfLocale(const std::string& name)
{
    if (locale_t locale = newlocale(LC_MEASUREMENT_MASK, name.c_str(), locale_t(0))) {
        // glibc: 1 metric, 2 US customary.
        const char* measurement = nl_langinfo_l(_NL_MEASUREMENT_MEASUREMENT, locale);
        const bool customary = measurement != nullptr && measurement[0] == 2;
        freelocale(locale);
        return customary ? UnitTemperature::fahrenheit : UnitTemperature::celsius;
    }
    // The locale is not installed: judge by its territory.
    return territoryUsesFahrenheit(name) ? UnitTemperature::fahrenheit : UnitTemperature::celsius;
}

} // namespace

const std::vector<KeyValue_t>& temperatureUnitOptions()
{
    static const std::vector<KeyValue_t> options {
        {"system", "System", {}},
        {"separator", "separator", {}},
        {"celsius", "Celsius", UnitTemperature::celsius},
        {"fahrenheit", "Fahrenheit", UnitTemperature::fahrenheit},
    };
    return options;
}

UnitTemperature systemTemperatureUnit()
{
    // The value texts ask for every reading on every tick: remember the last answer.
    struct LastAnswer {
        std::mutex mutex;
        std::string name;
        UnitTemperature unit = UnitTemperature::celsius;
    };
    static Foundation::SharedInstance<LastAnswer> instance;
    LastAnswer& last = instance.get();
    const std::string name = measurementLocaleName();
    std::lock_guard lock(last.mutex);
    if (name != last.name) {
        last.unit = unitOfLocale(name);
        last.name = name;
    }
    return last.unit;
}

UnitTemperature temperatureUnitsSetting()
{
    const std::string setting = AppDataStore::shared().string("temperature_units", "system");
    if (setting != "system") {
        for (const KeyValue_t& option : temperatureUnitOptions()) {
            if (option.key != setting)
                continue;
            if (const auto* unit = std::any_cast<UnitTemperature>(&option.additional))
                return *unit;
            break;
        }
    }
    return systemTemperatureUnit();
}

std::string formatTemperature(double value, UnitTemperature unit, int fractionDigits)
{
    const UnitTemperature shown = temperatureUnitsSetting();
    const double converted = convert(value, unit, shown);
    if (!std::isfinite(converted) || std::fabs(converted) >= 9223372036854775808.0)
        return "-" + std::string(symbol(shown));
    const int minimum = fractionDigits != 0 ? fractionDigits : 0;
    return NumberText::decimal(converted, minimum, fractionDigits) + std::string(symbol(shown));
}

} // namespace Aerlo
