#include "QVToolsKit/QVTemperatureUtils.h"

#include <gtest/gtest.h>

using QVToolsKit::QVTemperatureUtils;

TEST(QVTemperatureUtils, ConvertsBothWays)
{
    const std::pair<double, double> celsiusFahrenheit[] = {{0, 32}, {100, 212}, {-40, -40}, {25, 77}};
    for (const auto& [celsius, fahrenheit] : celsiusFahrenheit) {
        EXPECT_EQ(QVTemperatureUtils::celsiusToFahrenheit(celsius), fahrenheit) << celsius;
    }
    // × 9, ÷ 5, + 32 in that order (× 1.8 or ÷ 5 first round differently).
    EXPECT_EQ(QVTemperatureUtils::celsiusToFahrenheit(-49.5), -57.099999999999994);
    EXPECT_EQ(QVTemperatureUtils::fahrenheitToCelsius(32), 0.0);
    EXPECT_EQ(QVTemperatureUtils::fahrenheitToCelsius(212), 100.0);
    EXPECT_EQ(QVTemperatureUtils::fahrenheitToCelsius(-40), -40.0);
    EXPECT_EQ(QVTemperatureUtils::fahrenheitToCelsius(98.6), 37.0); // exact with this operation order
}
