#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

namespace QVToolsKit {

enum class TemperatureUnit { celsius, fahrenheit };

// Celsius ↔ Fahrenheit, no rounding and no range check.
class QVTOOLSKIT_EXPORT QVTemperatureUtils {
public:
    // c × 9 / 5 + 32, in that order.
    static double celsiusToFahrenheit(double celsius);
    // (f + (−32)) × 5 / 9, in that order.
    static double fahrenheitToCelsius(double fahrenheit);
};

} // namespace QVToolsKit
