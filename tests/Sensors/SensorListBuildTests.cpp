#include "Classes/Sensors/SensorsReader.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"

#include <cmath>

using namespace Aerlo;

namespace {

std::vector<Sensor_p> build(SMCSim::KeyTable table, std::optional<Platform> platform)
{
    SensorsMachine machine(std::move(table));
    return machine.reader(platform)->list->sensors();
}

std::vector<std::string> namesOf(const std::vector<Sensor_p>& sensors)
{
    std::vector<std::string> names;
    for (const auto& sensor : sensors)
        names.push_back(sensor.name());
    return names;
}

Fan twoFanKeysFan(const std::vector<Sensor_p>& sensors) { return *byKey(sensors).at("Fastest fan").fan(); }

} // namespace

TEST(SensorListBuild, OrderFansExactWildcardUnknownComputed)
{
    // The SMC enumerates its keys sorted; the catalogue has its own order.
    const auto sensors =
        build(smcTable({smcKey("FNum", "ui8 ", {1}), numberKey("F0Ac", 1800), numberKey("Ts0P", 33),
                        numberKey("TC1c", 56), numberKey("TC0P", 52), numberKey("TC0c", 55), numberKey("TA0P", 31),
                        numberKey("VN0C", 1.05), numberKey("BNum", 1), numberKey("PZ9Z", 3), numberKey("IZ9Z", 1)}),
              Platform::intel);
    EXPECT_EQ(keysOf(sensors), (std::vector<std::string> {"F0Ac", "TC0P", "TA0P", "TC0c", "TC1c", "IZ9Z", "PZ9Z",
                                                          "Ts0P", "VN0C", "Average CPU", "Hottest CPU"}));
    EXPECT_EQ(namesOf(sensors),
              (std::vector<std::string> {"Fan #0", "CPU proximity", "Ambient 1", "CPU core 1", "CPU core 2", "IZ9Z",
                                         "PZ9Z", "Ts0P", "VN0C", "Average CPU", "Hottest CPU"}));
    const auto map = byKey(sensors);
    EXPECT_EQ(map.at("Ts0P").group(), SensorGroup::unknown);
    EXPECT_EQ(map.at("Ts0P").type(), SensorType::temperature);
    EXPECT_EQ(map.at("VN0C").type(), SensorType::voltage);
    EXPECT_EQ(map.at("PZ9Z").type(), SensorType::power);
    EXPECT_EQ(map.at("IZ9Z").type(), SensorType::current);
    EXPECT_TRUE(map.at("Ts0P").sensor()->platforms.empty());
    // First values from the SMC.
    EXPECT_EQ(map.at("TC0P").value(), 52);
    EXPECT_EQ(map.at("F0Ac").value(), 1800);
    EXPECT_EQ(map.at("Average CPU").value(), 55.5);
    EXPECT_EQ(map.at("Hottest CPU").value(), 56);
    const Sensor average = *map.at("Average CPU").sensor();
    EXPECT_EQ(average, (Sensor {"Average CPU", "Average CPU", 55.5, SensorGroup::CPU, SensorType::temperature,
                                Platforms::all(), true, false}));
}

TEST(SensorListBuild, PlatformFilter)
{
    // "Tp0P" is the Intel-only "Powerboard" first and an M1 core later; "Th1H" is an Intel-only wildcard.
    const auto table = smcTable({numberKey("Tp0P", 44), numberKey("Th1H", 45)});
    EXPECT_EQ(namesOf(build(table, std::nullopt)), (std::vector<std::string> {"Powerboard", "Heatpipe 1"}));
    EXPECT_EQ(namesOf(build(table, Platform::intel)), (std::vector<std::string> {"Powerboard", "Heatpipe 1"}));
    EXPECT_EQ(namesOf(build(table, Platform::m1)),
              (std::vector<std::string> {"CPU performance core 6", "Th1H", "Average CPU", "Hottest CPU"}));
}

TEST(SensorListBuild, WildcardNumbersCountTheKeysFound)
{
    const auto one = build(smcTable({numberKey("TC3c", 50)}), Platform::intel);
    EXPECT_EQ(namesOf(one)[0], "CPU core 1");
    const auto three =
        build(smcTable({numberKey("TC5c", 50), numberKey("TC0c", 51), numberKey("TC2c", 52)}), Platform::intel);
    EXPECT_EQ(keysOf(three), (std::vector<std::string> {"TC0c", "TC2c", "TC5c", "Average CPU", "Hottest CPU"}));
    EXPECT_EQ(namesOf(three),
              (std::vector<std::string> {"CPU core 1", "CPU core 2", "CPU core 3", "Average CPU", "Hottest CPU"}));
}

TEST(SensorListBuild, DeadReadingsDropped)
{
    const auto sensors =
        build(smcTable({numberKey("TC0P", 0), numberKey("TA0P", 110), numberKey("TA1P", 110.5), numberKey("VD0R", 150),
                        numberKey("IC0R", 150), numberKey("IG0R", 100), smcKey("TW0P", "flt ")}),
              Platform::intel);
    // A zero temperature (also an unreadable one) and one above 110 go, as does a current above 100;
    // exact matches come before wildcard expansions.
    EXPECT_EQ(keysOf(sensors), (std::vector<std::string> {"VD0R", "IG0R", "TA0P"}));
}

TEST(SensorListBuild, CPUAggregatesAt110AreDropped)
{
    const auto sensors = build(smcTable({numberKey("TC0c", 110), numberKey("TC1c", 110)}), Platform::intel);
    EXPECT_EQ(keysOf(sensors), (std::vector<std::string> {"TC0c", "TC1c"}));
}

TEST(SensorListBuild, ComputedReadingsSortedByKey)
{
    const auto sensors = build(smcTable({smcKey("FNum", "ui8 ", {2}), numberKey("F0Ac", 1200), numberKey("F1Ac", 1300),
                                         numberKey("F0Mx", 5000), numberKey("F1Mx", 6000), numberKey("Tp09", 40),
                                         numberKey("Tg05", 35), numberKey("PSTR", 12)}),
                               Platform::m1);
    const std::vector<std::string> keys = keysOf(sensors);
    EXPECT_EQ(std::vector<std::string>(keys.end() - 7, keys.end()),
              (std::vector<std::string> {"Average CPU", "Average GPU", "Average System Total", "Fastest fan",
                                         "Hottest CPU", "Hottest GPU", "Total System Consumption"}));
    const auto map = byKey(sensors);
    EXPECT_EQ(map.at("Total System Consumption").type(), SensorType::energy);
    EXPECT_EQ(map.at("Total System Consumption").value(), 0);
    EXPECT_EQ(map.at("Average System Total").type(), SensorType::power);
    const Fan fastest = twoFanKeysFan(sensors);
    EXPECT_EQ(fastest, (Fan {-1, "Fastest fan", "Fastest fan", 1, 6000, 1300, FanMode::automatic, SensorGroup::sensor,
                             SensorType::fan, false, true, false, "RPM"}));
}

TEST(SensorListBuild, FastestFanNeedsTwoFansAndTiesKeepTheFirst)
{
    const auto one = build(smcTable({smcKey("FNum", "ui8 ", {1}), numberKey("F0Ac", 1200)}), Platform::m1);
    EXPECT_EQ(keysOf(one), std::vector<std::string> {"F0Ac"});

    const auto tie = build(smcTable({smcKey("FNum", "ui8 ", {2}), numberKey("F0Ac", 1200), numberKey("F1Ac", 1200),
                                     numberKey("F0Mx", 5000), numberKey("F1Mx", 6000)}),
                           Platform::m1);
    EXPECT_EQ(twoFanKeysFan(tie).maxSpeed, 5000);
}

TEST(SensorListBuild, NoSystemPowerNoEnergyReadings)
{
    const auto sensors = build(smcTable({numberKey("PDTR", 14)}), Platform::m1);
    EXPECT_EQ(keysOf(sensors), std::vector<std::string> {"PDTR"});
}

TEST(SensorListBuild, WithoutKeyEnumerationOnlyFans)
{
    auto table = smcTable({smcKey("FNum", "ui8 ", {1}), numberKey("F0Ac", 1200), numberKey("TC0P", 50)}, false);
    ConsoleCapture console;
    const auto sensors = build(table, Platform::intel);
    EXPECT_EQ(keysOf(sensors), std::vector<std::string> {"F0Ac"});
}

TEST(SensorListBuild, UnusableFanCountMeansNoFans)
{
    for (const auto& count :
         {smcKey("FNum", "flt ", {0x00, 0x00, 0xC0, 0x7F}), numberKey("FNum", -1), numberKey("FNum", 1e9)}) {
        ConsoleCapture console;
        const auto sensors = build(smcTable({count, numberKey("F0Ac", 1200), numberKey("F1Ac", 1300)}), Platform::m1);
        EXPECT_TRUE(sensors.empty()) << keysOf(sensors).size();
    }
}

TEST(SensorListBuild, SignedReadingsAndTheNoSensorTemperature)
{
    const auto bytes = [](std::string key, std::vector<std::uint8_t> value) {
        return smcKey(std::move(key), "sp78", value);
    };
    // FE 10 is a battery current of -1.9375 A (discharging); 81 00 is -127, a CPU core with no sensor.
    const auto sensors =
        build(smcTable({bytes("IBAC", {0xFE, 0x10}), bytes("TC0c", {0x32, 0x00}), bytes("TC1c", {0x81, 0x00}),
                        bytes("TC2c", {0x34, 0x00}), bytes("TA0P", {0x9C, 0x00}), bytes("TZ9Z", {0x81, 0x00})}),
              Platform::intel);
    // The no-sensor readings are in no list, no average and no maximum (the numbers still count the keys found).
    EXPECT_EQ(keysOf(sensors), (std::vector<std::string> {"IBAC", "TC0c", "TC2c", "Average CPU", "Hottest CPU"}));
    EXPECT_EQ(namesOf(sensors)[2], "CPU core 3");
    const auto map = byKey(sensors);
    EXPECT_EQ(map.at("IBAC").value(), -1.9375);
    EXPECT_EQ(map.at("Average CPU").value(), 51);
    EXPECT_EQ(map.at("Hottest CPU").value(), 52);

    SensorsMachine machine(
        smcTable({bytes("TC0c", {0x32, 0x00}), bytes("TC1c", {0x34, 0x00}), bytes("TG0D", {0x30, 0x00})}));
    auto reader = machine.reader(Platform::intel);
    // A sensor that goes away later reads as no reading: a CPU core keeps its value, another shows 0.
    EXPECT_TRUE(machine.device->setBytes("TC1c", SMCSim::ValueBytes {0x81, 0x00}));
    EXPECT_TRUE(machine.device->setBytes("TG0D", SMCSim::ValueBytes {0x81, 0x00}));
    reader->read();
    const auto after = byKey(reader->list->sensors());
    EXPECT_EQ(after.at("TC1c").value(), 52);
    EXPECT_EQ(after.at("TG0D").value(), 0);
    EXPECT_EQ(after.at("Hottest CPU").value(), 52);
}

TEST(SensorListBuild, UnknownReadingsAreNamedByTheirKeyAsText)
{
    const std::string key {'T', '\xB0', '0', 'P'}; // the bytes 54 B0 30 50
    const auto sensors = build(smcTable({numberKey(key, 40), numberKey("TC0P", 52)}), Platform::intel);
    const auto map = byKey(sensors);
    ASSERT_TRUE(map.contains(key));
    EXPECT_EQ(map.at(key).name(), "T\u00B00P");
    EXPECT_EQ(map.at(key).group(), SensorGroup::unknown);

    // The list codes to valid JSON text and back to the same bytes.
    Sensors_List list(sensors);
    std::string text;
    ASSERT_NO_THROW(text = list.encode().dump());
    const auto parsed = nlohmann::ordered_json::parse(text);
    EXPECT_EQ(parsed["sensors"][1]["payload"]["key"], "T\u00B00P");
    EXPECT_EQ(parsed["sensors"][1]["payload"]["name"], "T\u00B00P");
    const auto decoded = Sensors_List::decode(parsed);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(keysOf(decoded->sensors()), keysOf(sensors));
    // A key that cannot be SMC bytes (a character above U+00FF, or not UTF-8) does not decode.
    for (const char* bad : {"T\u4E2D0P", "T\xB0"
                                         "0P"}) {
        auto json = list.encode();
        json["sensors"][1]["payload"]["key"] = bad;
        EXPECT_FALSE(Sensors_List::decode(json)) << bad;
    }
}
