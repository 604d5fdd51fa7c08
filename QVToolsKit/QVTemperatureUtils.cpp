#include "QVToolsKit/QVTemperatureUtils.h"

namespace QVToolsKit {

double QVTemperatureUtils::celsiusToFahrenheit(double celsius) { return celsius * 9 / 5 + 32; }

double QVTemperatureUtils::fahrenheitToCelsius(double fahrenheit) { return (fahrenheit + -32) * 5 / 9; }

} // namespace QVToolsKit
