#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/NumberText.h"
#include "Classes/Configure/Global/TemperatureUnits.h"
#include "tests/Global/DefaultsTest.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace Aerlo;

using TemperatureUnitsTest = DefaultsTest;

namespace {
void chooseUnit(const char* key) { AppDataStore::shared().set(key, "temperature_units"); }
} // namespace

TEST(TemperatureUnitOptions, FourEntriesInOrder)
{
    const auto& options = temperatureUnitOptions();
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[0].key, "system");
    EXPECT_EQ(options[0].value, "System");
    EXPECT_FALSE(options[0].additional.has_value());
    EXPECT_EQ(options[1].key, "separator");
    EXPECT_EQ(options[1].value, "separator");
    EXPECT_FALSE(options[1].additional.has_value());
    EXPECT_EQ(options[2].key, "celsius");
    EXPECT_EQ(options[2].value, "Celsius");
    EXPECT_EQ(std::any_cast<UnitTemperature>(options[2].additional), UnitTemperature::celsius);
    EXPECT_EQ(options[3].key, "fahrenheit");
    EXPECT_EQ(options[3].value, "Fahrenheit");
    EXPECT_EQ(std::any_cast<UnitTemperature>(options[3].additional), UnitTemperature::fahrenheit);
    EXPECT_EQ(&temperatureUnitOptions(), &options);
}

TEST(TemperatureUnitOptions, OnlyKeyAndValueAreCoded)
{
    const KeyValue_t& option = temperatureUnitOptions()[3];
    EXPECT_EQ(option.encode().dump(), R"({"key":"fahrenheit","value":"Fahrenheit"})");
    const auto decoded = KeyValue_t::decode(option.encode());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->key, "fahrenheit");
    EXPECT_FALSE(decoded->additional.has_value());
    EXPECT_FALSE(KeyValue_t::decode(nlohmann::ordered_json {{"key", "celsius"}}));
}

TEST(TemperatureUnits, SystemUnitFollowsTheMeasurementLocale)
{
    {
        ScopedEnvironment all("LC_ALL", "en_US.UTF-8");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::fahrenheit);
    }
    {
        ScopedEnvironment all("LC_ALL", "de_DE.UTF-8");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::celsius);
    }
    {
        ScopedEnvironment all("LC_ALL", "C");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::celsius);
    }
    {
        // LC_ALL wins over LC_MEASUREMENT, which wins over LANG.
        ScopedEnvironment all("LC_ALL", "");
        ScopedEnvironment measurement("LC_MEASUREMENT", "en_US.UTF-8");
        ScopedEnvironment lang("LANG", "fr_FR.UTF-8");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::fahrenheit);
    }
    {
        // A locale that is not installed is judged by its territory.
        ScopedEnvironment all("LC_ALL", "xx_US.no-such-codeset");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::fahrenheit);
        ScopedEnvironment other("LC_ALL", "xx_FR.no-such-codeset");
        EXPECT_EQ(systemTemperatureUnit(), UnitTemperature::celsius);
    }
}

TEST_F(TemperatureUnitsTest, SettingFallsBackToTheSystemUnit)
{
    ScopedEnvironment all("LC_ALL", "en_US.UTF-8"); // the system unit is Fahrenheit
    EXPECT_EQ(temperatureUnitsSetting(), UnitTemperature::fahrenheit) << "absent";
    for (const char* key : {"system", "separator", "kelvin", "Celsius", ""}) {
        chooseUnit(key);
        EXPECT_EQ(temperatureUnitsSetting(), UnitTemperature::fahrenheit) << key;
    }
    chooseUnit("celsius");
    EXPECT_EQ(temperatureUnitsSetting(), UnitTemperature::celsius);

    ScopedEnvironment german("LC_ALL", "de_DE.UTF-8");
    chooseUnit("separator");
    EXPECT_EQ(temperatureUnitsSetting(), UnitTemperature::celsius);
    chooseUnit("fahrenheit");
    EXPECT_EQ(temperatureUnitsSetting(), UnitTemperature::fahrenheit);
}

TEST_F(TemperatureUnitsTest, FormatsInTheChosenUnit)
{
    chooseUnit("celsius");
    EXPECT_EQ(formatTemperature(45, UnitTemperature::celsius, 0), "45°C");
    EXPECT_EQ(formatTemperature(45.4, UnitTemperature::celsius, 0), "45°C");
    EXPECT_EQ(formatTemperature(45.4, UnitTemperature::celsius, 1), "45.4°C");
    EXPECT_EQ(formatTemperature(45, UnitTemperature::celsius, 1), "45.0°C");
    EXPECT_EQ(formatTemperature(44.5, UnitTemperature::celsius, 0), "44°C");
    EXPECT_EQ(formatTemperature(45.5, UnitTemperature::celsius, 0), "46°C");
    EXPECT_EQ(formatTemperature(-0.4, UnitTemperature::celsius, 0), "0°C");
    EXPECT_EQ(formatTemperature(1000, UnitTemperature::celsius, 0), "1,000°C");
    EXPECT_EQ(formatTemperature(212, UnitTemperature::fahrenheit, 0), "100°C");

    chooseUnit("fahrenheit");
    EXPECT_EQ(formatTemperature(45.4, UnitTemperature::celsius, 0), "114°F");
    EXPECT_EQ(formatTemperature(45.4, UnitTemperature::celsius, 1), "113.7°F");
    EXPECT_EQ(formatTemperature(0, UnitTemperature::celsius, 0), "32°F");
    EXPECT_EQ(formatTemperature(-40, UnitTemperature::celsius, 0), "-40°F");
    EXPECT_EQ(formatTemperature(100, UnitTemperature::celsius, 1), "212.0°F");
}

TEST_F(TemperatureUnitsTest, NonFiniteAndHugeValuesShowThePlaceholder)
{
    chooseUnit("celsius");
    EXPECT_EQ(formatTemperature(std::nan(""), UnitTemperature::celsius, 0), "-°C");
    EXPECT_EQ(formatTemperature(std::numeric_limits<double>::infinity(), UnitTemperature::celsius, 1), "-°C");
    EXPECT_EQ(formatTemperature(1e19, UnitTemperature::celsius, 0), "-°C");
    EXPECT_EQ(formatTemperature(-1e300, UnitTemperature::celsius, 0), "-°C");
    chooseUnit("fahrenheit");
    EXPECT_EQ(formatTemperature(-std::numeric_limits<double>::infinity(), UnitTemperature::celsius, 0), "-°F");
}

TEST_F(TemperatureUnitsTest, DotDecimalUnderACommaLocale)
{
    chooseUnit("celsius");
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const std::string decimalPoint = std::localeconv()->decimal_point;
    const std::string popup = formatTemperature(45.4, UnitTemperature::celsius, 1);
    const std::string large = formatTemperature(1234.5, UnitTemperature::celsius, 1);
    const std::string fixed = NumberText::fixed(99.9996, 3);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(decimalPoint, ",");
    EXPECT_EQ(popup, "45.4°C");
    EXPECT_EQ(large, "1,234.5°C");
    EXPECT_EQ(fixed, "100.000");
}
