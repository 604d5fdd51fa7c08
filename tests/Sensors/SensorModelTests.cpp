#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Sensors/Fan.h"
#include "Classes/Sensors/Sensor.h"
#include "Classes/Sensors/Sensor_p.h"
#include "Classes/Sensors/Sensor_w.h"
#include "tests/Global/DefaultsTest.h"

#include <cmath>
#include <string>
#include <vector>

using namespace Aerlo;
using json = nlohmann::ordered_json;

namespace {

Sensor cpuProximity()
{
    return Sensor {"TC0P",
                   "CPU proximity",
                   45.5,
                   SensorGroup::CPU,
                   SensorType::temperature,
                   {Platform::m1, Platform::intel},
                   false,
                   true};
}

Fan leftFan()
{
    return Fan {0,     "F0Ac", "Left fan", 1200, 6000, 2345.5, FanMode::forced, SensorGroup::sensor, SensorType::fan,
                false, false,  false,      "RPM"};
}

} // namespace

TEST(SensorEnumerations, RawValues)
{
    const std::vector<std::pair<SensorGroup, std::string>> groups {
        {SensorGroup::CPU, "CPU"},        {SensorGroup::GPU, "GPU"}, {SensorGroup::system, "Systems"},
        {SensorGroup::sensor, "Sensors"}, {SensorGroup::hid, "HID"}, {SensorGroup::unknown, "Unknown"}};
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(static_cast<size_t>(groups[i].first), i);
        EXPECT_EQ(rawValue(groups[i].first), groups[i].second);
        EXPECT_EQ(sensorGroupFromRawValue(groups[i].second), groups[i].first);
    }
    const std::vector<std::pair<SensorType, std::string>> types {
        {SensorType::temperature, "Temperature"}, {SensorType::voltage, "Voltage"},
        {SensorType::current, "Current"},         {SensorType::power, "Power"},
        {SensorType::energy, "Energy"},           {SensorType::fan, "Fans"}};
    for (size_t i = 0; i < types.size(); ++i) {
        EXPECT_EQ(static_cast<size_t>(types[i].first), i);
        EXPECT_EQ(rawValue(types[i].first), types[i].second);
        EXPECT_EQ(sensorTypeFromRawValue(types[i].second), types[i].first);
    }
    for (const char* text : {"System", "cpu", "Sensor", "hid", "Unknown "})
        EXPECT_FALSE(sensorGroupFromRawValue(text)) << text;
    for (const char* text : {"Fan", "temperature", "Fans ", "Volt"})
        EXPECT_FALSE(sensorTypeFromRawValue(text)) << text;
}

TEST(SensorCoding, SensorKeysInOrderAndRoundTrip)
{
    const Sensor sensor = cpuProximity();
    EXPECT_EQ(sensor.encode().dump(),
              R"({"key":"TC0P","name":"CPU proximity","value":45.5,"group":"CPU","type":"Temperature",)"
              R"("platforms":["m1","intel"],"isComputed":false,"average":true})");
    const auto decoded = Sensor::decode(json::parse(sensor.encode().dump()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, sensor);
}

TEST(SensorCoding, FanKeysInOrderAndRoundTrip)
{
    const Fan fan = leftFan();
    EXPECT_EQ(
        fan.encode().dump(),
        R"({"id":0,"key":"F0Ac","name":"Left fan","minSpeed":1200.0,"maxSpeed":6000.0,"value":2345.5,"mode":1,)"
        R"("group":"Sensors","type":"Fans","isIntelOnly":false,"isComputed":false,"average":false,"unit":"RPM"})");
    const auto decoded = Fan::decode(json::parse(fan.encode().dump()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, fan);
}

TEST(SensorCoding, EveryKeyIsRequired)
{
    const json sensor = cpuProximity().encode();
    for (auto it = sensor.begin(); it != sensor.end(); ++it) {
        json missing = sensor;
        missing.erase(it.key());
        EXPECT_FALSE(Sensor::decode(missing)) << it.key();
    }
    const json fan = leftFan().encode();
    for (auto it = fan.begin(); it != fan.end(); ++it) {
        json missing = fan;
        missing.erase(it.key());
        EXPECT_FALSE(Fan::decode(missing)) << it.key();
    }
}

TEST(SensorCoding, UnknownRawValuesAndWrongTypesFail)
{
    const std::vector<std::pair<std::string, json>> sensorPatches {
        {"group", "Systemz"}, {"type", "Fan"}, {"platforms", json::array({"M1"})}, {"platforms", "m1"}, {"value", "45"},
        {"average", 1},       {"key", 5}};
    for (const auto& [key, value] : sensorPatches) {
        json bad = cpuProximity().encode();
        bad[key] = value;
        EXPECT_FALSE(Sensor::decode(bad)) << key;
    }
    const std::vector<std::pair<std::string, json>> fanPatches {{"mode", 2}, {"mode", -1},      {"mode", "1"},
                                                                {"id", 1.5}, {"group", "CPUs"}, {"unit", nullptr}};
    for (const auto& [key, value] : fanPatches) {
        json bad = leftFan().encode();
        bad[key] = value;
        EXPECT_FALSE(Fan::decode(bad)) << key;
    }
    EXPECT_FALSE(Sensor::decode(json::array()));
    EXPECT_FALSE(Fan::decode(json::parse("null")));
}

TEST(SensorCoding, NonFiniteValuesComeBackAsNaN)
{
    Sensor sensor = cpuProximity();
    sensor.value = std::nan("");
    const std::string text = sensor.encode().dump();
    EXPECT_NE(text.find(R"("value":null)"), std::string::npos) << text;
    const auto decoded = Sensor::decode(json::parse(text));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(std::isnan(decoded->value));
}

TEST(SensorCoding, WrapperTellsTheRecordKind)
{
    const Sensor_w sensor {cpuProximity()};
    const Sensor_w fan {leftFan()};
    EXPECT_EQ(sensor.encode().dump(), R"({"base":0,"payload":)" + cpuProximity().encode().dump() + "}");
    EXPECT_EQ(fan.encode().dump(), R"({"base":1,"payload":)" + leftFan().encode().dump() + "}");

    const auto decodedSensor = Sensor_w::decode(json::parse(sensor.encode().dump()));
    const auto decodedFan = Sensor_w::decode(json::parse(fan.encode().dump()));
    ASSERT_TRUE(decodedSensor && decodedFan);
    EXPECT_FALSE(decodedSensor->sensor.isFan());
    EXPECT_TRUE(decodedFan->sensor.isFan());
    EXPECT_EQ(*decodedSensor, sensor);
    EXPECT_EQ(*decodedFan, fan);
}

TEST(SensorCoding, WrapperFailuresBuildNothing)
{
    const json fanPayload = leftFan().encode();
    const json sensorPayload = cpuProximity().encode();
    EXPECT_FALSE(Sensor_w::decode(json {{"base", 2}, {"payload", sensorPayload}}));
    EXPECT_FALSE(Sensor_w::decode(json {{"base", -1}, {"payload", fanPayload}}));
    EXPECT_FALSE(Sensor_w::decode(json {{"base", 0}, {"payload", fanPayload}})) << "a Fan has no platforms";
    EXPECT_FALSE(Sensor_w::decode(json {{"base", 1}, {"payload", sensorPayload}}));
    EXPECT_FALSE(Sensor_w::decode(json {{"base", "0"}, {"payload", sensorPayload}}));
    EXPECT_FALSE(Sensor_w::decode(json {{"base", 0}}));
    EXPECT_FALSE(Sensor_w::decode(json {{"payload", sensorPayload}}));
}

TEST(SensorInterface, AccessorsReachEitherRecord)
{
    Sensor_p sensor = cpuProximity();
    Sensor_p fan = leftFan();
    EXPECT_EQ(sensor.key(), "TC0P");
    EXPECT_EQ(fan.key(), "F0Ac");
    EXPECT_EQ(fan.name(), "Left fan");
    EXPECT_EQ(sensor.group(), SensorGroup::CPU);
    EXPECT_EQ(fan.type(), SensorType::fan);
    EXPECT_TRUE(sensor.average());
    EXPECT_FALSE(fan.isComputed());
    ASSERT_NE(fan.fan(), nullptr);
    EXPECT_EQ(fan.sensor(), nullptr);
    EXPECT_EQ(fan.fan()->maxSpeed, 6000);

    sensor.setValue(50);
    fan.modifyValue([](double& value) { value += 100; });
    EXPECT_EQ(sensor.value(), 50);
    EXPECT_EQ(fan.value(), 2445.5);
    EXPECT_EQ(fan.fan()->value, 2445.5);
}

using SensorDefaultsTest = DefaultsTest;

TEST_F(SensorDefaultsTest, StateAndPopupStateDefaults)
{
    const Sensor_p sensor = cpuProximity();
    const Sensor_p fan = leftFan();
    EXPECT_FALSE(sensor.state());
    EXPECT_TRUE(sensor.popupState());
    EXPECT_FALSE(fan.state());
    EXPECT_TRUE(fan.popupState());

    AppDataStore& store = AppDataStore::shared();
    store.set(true, "sensor_TC0P");
    store.set(false, "sensor_TC0P_popup");
    store.set(false, "sensor_F0Ac_popup");
    EXPECT_TRUE(sensor.state());
    EXPECT_FALSE(sensor.popupState());
    EXPECT_FALSE(fan.popupState());
    EXPECT_FALSE(fan.state());
}

TEST_F(SensorDefaultsTest, AKeyWithBytesAbove7FIsNamedAsTextInTheSettings)
{
    const std::string key {'T', '\xB0', '0', 'P'};
    const Sensor_p sensor(
        Sensor {key, "T\u00B00P", 40, SensorGroup::unknown, SensorType::temperature, {}, false, false});
    AppDataStore& store = AppDataStore::shared();
    store.set(true, "sensor_T\u00B00P");
    store.set(false, "sensor_T\u00B00P_popup");
    EXPECT_TRUE(sensor.state());
    EXPECT_FALSE(sensor.popupState());
}

TEST_F(SensorDefaultsTest, CustomSpeedAndMode)
{
    AppDataStore& store = AppDataStore::shared();
    Fan fan = leftFan();
    fan.id = 1;
    EXPECT_FALSE(fan.customSpeed());
    EXPECT_FALSE(fan.customMode());

    fan.setCustomSpeed(3100);
    EXPECT_EQ(store.integer("fan_1_speed", -1), 3100);
    EXPECT_EQ(fan.customSpeed(), 3100);
    fan.setCustomSpeed(std::nullopt);
    EXPECT_FALSE(store.has("fan_1_speed"));
    EXPECT_FALSE(fan.customSpeed());

    fan.setCustomMode(FanMode::forced);
    EXPECT_EQ(store.integer("fan_1_mode", -1), 1);
    EXPECT_EQ(fan.customMode(), FanMode::forced);
    fan.setCustomMode(FanMode::automatic);
    EXPECT_EQ(fan.customMode(), FanMode::automatic);

    store.set(2, "fan_1_mode");
    EXPECT_FALSE(fan.customMode());
    fan.setCustomMode(std::nullopt);
    EXPECT_FALSE(store.has("fan_1_mode"));
    EXPECT_FALSE(fan.customMode());
}
