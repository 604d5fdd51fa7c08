#include "Classes/Configure/Global/QVTemperatureUtils.h"

#include "QVToolsKit/QVTemperatureUtils.h"

namespace Aerlo {

double QVTemperatureUtils::celsiusToFahrenheit(double celsius)
{
    return QVToolsKit::QVTemperatureUtils::celsiusToFahrenheit(celsius);
}

double QVTemperatureUtils::fahrenheitToCelsius(double fahrenheit)
{
    return QVToolsKit::QVTemperatureUtils::fahrenheitToCelsius(fahrenheit);
}

} // namespace Aerlo
