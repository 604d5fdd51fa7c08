#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Sensors/Fan.h"
#include "Classes/Sensors/Sensor.h"
#include "Classes/Sensors/Sensor_p.h"
#include "tests/Global/DefaultsTest.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

using namespace Aerlo;

namespace {

constexpr double nan_ = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

struct TextCase {
    SensorType type;
    double value;
    const char* formatted;
    const char* mini;
    const char* popup;
};

Sensor reading(SensorType type, double value)
{
    return Sensor {"TEST", "Test", value, SensorGroup::sensor, type, {}, false, false};
}

class SensorValueTextTest : public DefaultsTest {
protected:
    void check(const char* unitKey, const std::vector<TextCase>& cases)
    {
        AppDataStore::shared().set(unitKey, "temperature_units");
        for (const TextCase& c : cases) {
            const Sensor_p sensor = reading(c.type, c.value);
            SCOPED_TRACE(std::string(rawValue(c.type)) + " " + std::to_string(c.value) + " " + unitKey);
            EXPECT_EQ(sensor.formattedValue(), c.formatted);
            EXPECT_EQ(sensor.formattedMiniValue(), c.mini);
            EXPECT_EQ(sensor.formattedPopupValue(), c.popup);
            EXPECT_EQ(sensor.compactValueText(), c.mini);
            EXPECT_EQ(sensor.preciseValueText(), c.popup);
        }
    }
};

// Everything but temperatures reads the same in both units.
const std::vector<TextCase> electricalAndFanCases {
    {SensorType::voltage, 9.949, "9.949V", "9.9V", "9.949V"},
    {SensorType::voltage, 9.95, "9.950V", "10V", "9.950V"},
    {SensorType::voltage, 99.99, "99.990V", "100V", "99.990V"},
    {SensorType::voltage, 99.9996, "100.000V", "100V", "100.000V"},
    {SensorType::voltage, 100, "100V", "100V", "100V"},
    {SensorType::voltage, 100.7, "100V", "101V", "100V"},
    {SensorType::voltage, -12.5, "-12.500V", "-12.5V", "-12.500V"},
    {SensorType::voltage, nan_, "-V", "-V", "-V"},
    {SensorType::voltage, inf, "-V", "-V", "-V"},
    {SensorType::voltage, -inf, "-V", "-V", "-V"},
    {SensorType::voltage, 1e19, "-V", "-V", "-V"},
    {SensorType::voltage, -1e19, "-V", "-V", "-V"},
    {SensorType::current, 9.949, "9.95A", "9.9A", "9.95A"},
    {SensorType::current, 9.95, "9.95A", "10A", "9.95A"},
    {SensorType::current, 99.99, "99.99A", "100A", "99.99A"},
    {SensorType::current, 100, "100A", "100A", "100A"},
    {SensorType::current, -12.5, "-12.50A", "-12.5A", "-12.50A"},
    {SensorType::current, nan_, "-A", "-A", "-A"},
    {SensorType::power, 9.949, "9.95W", "9.9W", "9.95W"},
    {SensorType::power, 10.5, "10.50W", "11W", "10.50W"},
    {SensorType::power, 99.99, "99.99W", "100W", "99.99W"},
    {SensorType::power, 250.9, "250W", "251W", "250W"},
    {SensorType::power, -0.04, "-0.04W", "-0.0W", "-0.04W"},
    {SensorType::power, inf, "-W", "-W", "-W"},
    {SensorType::energy, 9.949, "9.95Wh", "9.9Wh", "9.95Wh"},
    {SensorType::energy, 9.95, "9.95Wh", "10Wh", "9.95Wh"},
    {SensorType::energy, 100, "100Wh", "100Wh", "100Wh"},
    {SensorType::energy, -12.5, "-12.50Wh", "-12.5Wh", "-12.50Wh"},
    {SensorType::energy, -inf, "-Wh", "-Wh", "-Wh"},
    {SensorType::fan, 1234.9, "1234 RPM", "1234", "1234 RPM"},
    {SensorType::fan, 9.949, "9 RPM", "9", "9 RPM"},
    {SensorType::fan, 100, "100 RPM", "100", "100 RPM"},
    {SensorType::fan, -5.5, "-5 RPM", "-5", "-5 RPM"},
    {SensorType::fan, nan_, "- RPM", "-", "- RPM"},
    {SensorType::fan, 1e19, "- RPM", "-", "- RPM"},
};

} // namespace

TEST_F(SensorValueTextTest, CelsiusTexts)
{
    check("celsius", {
                         {SensorType::temperature, 45, "45°C", "45°", "45.0°C"},
                         {SensorType::temperature, 45.4, "45°C", "45°", "45.4°C"},
                         {SensorType::temperature, 9.949, "10°C", "10°", "9.9°C"},
                         {SensorType::temperature, 9.95, "10°C", "10°", "10.0°C"},
                         {SensorType::temperature, 99.99, "100°C", "100°", "100.0°C"},
                         {SensorType::temperature, 100, "100°C", "100°", "100.0°C"},
                         {SensorType::temperature, -12.5, "-12°C", "-12°", "-12.5°C"},
                         {SensorType::temperature, nan_, "-°C", "-°", "-°C"},
                         {SensorType::temperature, inf, "-°C", "-°", "-°C"},
                         {SensorType::temperature, -inf, "-°C", "-°", "-°C"},
                     });
    check("celsius", electricalAndFanCases);
}

TEST_F(SensorValueTextTest, FahrenheitTexts)
{
    check("fahrenheit", {
                            {SensorType::temperature, 45.4, "114°F", "114°", "113.7°F"},
                            {SensorType::temperature, 9.949, "50°F", "50°", "49.9°F"},
                            {SensorType::temperature, 9.95, "50°F", "50°", "49.9°F"},
                            {SensorType::temperature, 99.99, "212°F", "212°", "212.0°F"},
                            {SensorType::temperature, 100, "212°F", "212°", "212.0°F"},
                            {SensorType::temperature, -12.5, "10°F", "10°", "9.5°F"},
                            {SensorType::temperature, nan_, "-°F", "-°", "-°F"},
                            {SensorType::temperature, inf, "-°F", "-°", "-°F"},
                        });
    check("fahrenheit", electricalAndFanCases);
}

TEST_F(SensorValueTextTest, UnitsByType)
{
    AppDataStore::shared().set("fahrenheit", "temperature_units");
    EXPECT_EQ(reading(SensorType::temperature, 0).unit(), "°F");
    AppDataStore::shared().set("celsius", "temperature_units");
    EXPECT_EQ(reading(SensorType::temperature, 0).unit(), "°C");
    EXPECT_EQ(reading(SensorType::voltage, 0).unit(), "V");
    EXPECT_EQ(reading(SensorType::current, 0).unit(), "A");
    EXPECT_EQ(reading(SensorType::power, 0).unit(), "W");
    EXPECT_EQ(reading(SensorType::energy, 0).unit(), "Wh");
    EXPECT_EQ(reading(SensorType::fan, 0).unit(), "RPM");

    Fan fan;
    fan.unit = "rpm";
    EXPECT_EQ(Sensor_p(fan).unit(), "rpm");
}

TEST_F(SensorValueTextTest, FanTextsAreTheTruncatedSpeed)
{
    Fan fan {0,     "F0Ac", "Left fan", 1200, 6000, 2345.9, FanMode::automatic, SensorGroup::sensor, SensorType::fan,
             false, false,  false,      "RPM"};
    EXPECT_EQ(fan.formattedValue(), "2345 RPM");
    EXPECT_EQ(fan.formattedMiniValue(), "2345");
    EXPECT_EQ(fan.formattedPopupValue(), "2345 RPM");
    // A fan's texts stay in RPM whatever its type field says.
    fan.type = SensorType::temperature;
    EXPECT_EQ(fan.formattedValue(), "2345 RPM");
    fan.value = nan_;
    EXPECT_EQ(fan.formattedValue(), "- RPM");
    EXPECT_EQ(fan.formattedMiniValue(), "-");
}

TEST_F(SensorValueTextTest, DotDecimalsUnderACommaLocale)
{
    AppDataStore::shared().set("celsius", "temperature_units");
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const std::string decimalPoint = std::localeconv()->decimal_point;
    const std::vector<std::string> texts {reading(SensorType::voltage, 12.345).formattedValue(),
                                          reading(SensorType::current, 1.5).formattedMiniValue(),
                                          reading(SensorType::temperature, 45.4).formattedPopupValue()};
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(decimalPoint, ",");
    EXPECT_EQ(texts, (std::vector<std::string> {"12.345V", "1.5A", "45.4°C"}));
}
