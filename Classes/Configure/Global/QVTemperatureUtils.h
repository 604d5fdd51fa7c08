#pragma once

namespace Aerlo {

// The application's own Celsius ↔ Fahrenheit conversions (the framework's formulas).
class QVTemperatureUtils {
public:
    static double celsiusToFahrenheit(double celsius);
    static double fahrenheitToCelsius(double fahrenheit);
};

} // namespace Aerlo
