#include "Classes/Sensors/SensorCatalogue.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

using namespace Aerlo;

namespace {

const Sensor* row(size_t number)
{
    const auto& rows = SensorCatalogue::all();
    return number >= 1 && number <= rows.size() ? &rows[number - 1] : nullptr;
}

bool hasRow(const std::vector<Sensor>& rows, const std::string& key, const std::string& name)
{
    return std::any_of(rows.begin(), rows.end(), [&](const Sensor& s) { return s.key == key && s.name == name; });
}

std::string platformsText(const std::vector<Platform>& platforms)
{
    std::string text;
    for (Platform platform : platforms)
        text += (text.empty() ? "" : ",") + std::string(rawValue(platform));
    return text;
}

} // namespace

TEST(SensorCatalogue, CountsByTypeGroupAndAverage)
{
    const auto& rows = SensorCatalogue::all();
    ASSERT_EQ(rows.size(), 160u);
    std::map<SensorType, int> byType;
    int averages = 0;
    for (const Sensor& sensor : rows) {
        ++byType[sensor.type];
        averages += sensor.average ? 1 : 0;
        EXPECT_EQ(sensor.value, 0) << sensor.key;
        EXPECT_FALSE(sensor.isComputed) << sensor.key;
        EXPECT_NE(sensor.group, SensorGroup::hid) << sensor.key;
        EXPECT_NE(sensor.group, SensorGroup::unknown) << sensor.key;
        EXPECT_EQ(sensor.key.size(), 4u) << sensor.key;
        EXPECT_FALSE(sensor.platforms.empty()) << sensor.key;
        // "%" appears in a name only when it does in the key.
        EXPECT_EQ(sensor.key.find('%') != std::string::npos, sensor.name.find('%') != std::string::npos) << sensor.key;
    }
    EXPECT_EQ(byType[SensorType::temperature], 117);
    EXPECT_EQ(byType[SensorType::voltage], 15);
    EXPECT_EQ(byType[SensorType::current], 7);
    EXPECT_EQ(byType[SensorType::power], 21);
    EXPECT_EQ(byType.count(SensorType::energy), 0u);
    EXPECT_EQ(byType.count(SensorType::fan), 0u);
    EXPECT_EQ(averages, 76);
}

TEST(SensorCatalogue, ExactlyTheTenWildcardKeys)
{
    std::vector<std::string> wildcards;
    for (const Sensor& sensor : SensorCatalogue::all()) {
        if (sensor.key.find('%') != std::string::npos)
            wildcards.push_back(sensor.key);
    }
    EXPECT_EQ(wildcards, (std::vector<std::string> {"TA%P", "Th%H", "TZ%C", "TC%c", "TC%C", "TI%P", "TH%A", "TH%B",
                                                    "TH%C", "VC%C"}));
}

TEST(SensorCatalogue, RowsPerPlatform)
{
    const std::map<Platform, size_t> expected {
        {Platform::intel, 72},   {Platform::m1, 94}, {Platform::m1Pro, 94}, {Platform::m1Max, 94},
        {Platform::m1Ultra, 94}, {Platform::m2, 89}, {Platform::m2Pro, 89}, {Platform::m2Max, 89},
        {Platform::m2Ultra, 89}, {Platform::m3, 99}, {Platform::m3Pro, 99}, {Platform::m3Max, 99},
        {Platform::m3Ultra, 99}, {Platform::m4, 98}, {Platform::m4Pro, 98}, {Platform::m4Max, 98},
        {Platform::m4Ultra, 98},
    };
    ASSERT_EQ(expected.size(), 17u);
    for (const auto& [platform, count] : expected)
        EXPECT_EQ(SensorCatalogue::forPlatform(platform).size(), count) << rawValue(platform);
    EXPECT_EQ(SensorCatalogue::forPlatform(std::nullopt), SensorCatalogue::all());
}

// FNV-1a over "key|name|group|type|platforms|average" lines of every row, worked out once
// from the reference table. Any changed character, row, order or platform set moves it.
TEST(SensorCatalogue, WholeTableChecksum)
{
    std::string text;
    for (const Sensor& sensor : SensorCatalogue::all()) {
        text += sensor.key + "|" + sensor.name + "|" + std::string(rawValue(sensor.group)) + "|"
                + std::string(rawValue(sensor.type)) + "|" + platformsText(sensor.platforms) + "|"
                + (sensor.average ? "1" : "0") + "\n";
    }
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    EXPECT_EQ(text.size(), 15190u);
    EXPECT_EQ(hash, 0x3838d9259a908607ULL);
}

TEST(SensorCatalogue, SpotRows)
{
    struct Spot {
        size_t number;
        const char* key;
        const char* name;
        SensorGroup group;
        SensorType type;
        const char* platforms;
        bool average;
    };
    const std::string all =
        "m1,m1Pro,m1Max,m1Ultra,m2,m2Pro,m2Max,m2Ultra,m3,m3Pro,m3Max,m3Ultra,m4,m4Pro,m4Max,m4Ultra,intel";
    const std::string apple = all.substr(0, all.size() - std::string(",intel").size());
    const Spot spots[] = {
        {1, "TA%P", "Ambient %", SensorGroup::sensor, SensorType::temperature, all.c_str(), false},
        {2, "Th%H", "Heatpipe %", SensorGroup::sensor, SensorType::temperature, "intel", false},
        {10, "TC%c", "CPU core %", SensorGroup::CPU, SensorType::temperature, all.c_str(), true},
        {11, "TC%C", "CPU Core %", SensorGroup::CPU, SensorType::temperature, all.c_str(), true},
        {18, "Tp0P", "Powerboard", SensorGroup::system, SensorType::temperature, "intel", false},
        {20, "TW0P", "Airport", SensorGroup::system, SensorType::temperature, all.c_str(), false},
        {38, "Tp0P", "CPU performance core 6", SensorGroup::CPU, SensorType::temperature, "m1,m1Pro,m1Max,m1Ultra",
         true},
        {45, "Tm02", "Memory 1", SensorGroup::sensor, SensorType::temperature, "m1,m1Pro,m1Max,m1Ultra", false},
        {55, "Tp09", "CPU performance core 3", SensorGroup::CPU, SensorType::temperature, "m2,m2Pro,m2Max,m2Ultra",
         true},
        {78, "Tf4E", "CPU performance core 12", SensorGroup::CPU, SensorType::temperature, "m3,m3Pro,m3Max,m3Ultra",
         true},
        {99, "Tg0G", "GPU 1", SensorGroup::GPU, SensorType::temperature, "m4", true},
        {102, "Tg1k", "GPU 2", SensorGroup::GPU, SensorType::temperature, "m4Pro,m4Max,m4Ultra", true},
        {111, "Tm2p", "Memory Proximity 3", SensorGroup::sensor, SensorType::temperature, "m4,m4Pro,m4Max,m4Ultra",
         false},
        {117, "TW0P", "Airport", SensorGroup::system, SensorType::temperature, apple.c_str(), false},
        {120, "VC%C", "CPU Core %", SensorGroup::CPU, SensorType::voltage, all.c_str(), false},
        {125, "VD0R", "DC In", SensorGroup::sensor, SensorType::voltage, all.c_str(), false},
        {135, "ID0R", "DC In", SensorGroup::sensor, SensorType::current, all.c_str(), false},
        {157, "PSTR", "System Total", SensorGroup::sensor, SensorType::power, all.c_str(), false},
        {160, "PDBR", "Power Delivery Brightness", SensorGroup::sensor, SensorType::power, "m1,m1Pro,m1Max,m1Ultra",
         false},
    };
    for (const Spot& spot : spots) {
        const Sensor* sensor = row(spot.number);
        ASSERT_NE(sensor, nullptr);
        SCOPED_TRACE("row " + std::to_string(spot.number));
        EXPECT_EQ(sensor->key, spot.key);
        EXPECT_EQ(sensor->name, spot.name);
        EXPECT_EQ(sensor->group, spot.group);
        EXPECT_EQ(sensor->type, spot.type);
        EXPECT_EQ(platformsText(sensor->platforms), spot.platforms);
        EXPECT_EQ(sensor->average, spot.average);
    }
}

TEST(SensorCatalogue, PlatformFilters)
{
    const auto m4 = SensorCatalogue::forPlatform(Platform::m4);
    EXPECT_TRUE(hasRow(m4, "Tg0G", "GPU 1") && hasRow(m4, "Tg0H", "GPU 2"));
    EXPECT_FALSE(hasRow(m4, "Tg1U", "GPU 1") || hasRow(m4, "Tg1k", "GPU 2"));
    for (Platform platform : {Platform::m4Pro, Platform::m4Max, Platform::m4Ultra}) {
        const auto rows = SensorCatalogue::forPlatform(platform);
        EXPECT_TRUE(hasRow(rows, "Tg1U", "GPU 1") && hasRow(rows, "Tg1k", "GPU 2")) << rawValue(platform);
        EXPECT_FALSE(hasRow(rows, "Tg0G", "GPU 1") || hasRow(rows, "Tg0H", "GPU 2")) << rawValue(platform);
        for (const char* key : {"Tg0K", "Tg0L", "Tg0d", "Tg0e", "Tg0j", "Tg0k"})
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const Sensor& s) { return s.key == key; })) << key;
    }

    const auto intel = SensorCatalogue::forPlatform(Platform::intel);
    EXPECT_TRUE(hasRow(intel, "Th%H", "Heatpipe %"));
    EXPECT_TRUE(hasRow(intel, "Tp0P", "Powerboard"));
    EXPECT_TRUE(hasRow(intel, "TB1T", "Battery"));
    EXPECT_FALSE(hasRow(intel, "TB1T", "Battery 1"));
    EXPECT_FALSE(hasRow(intel, "PDBR", "Power Delivery Brightness"));
    EXPECT_EQ(std::count_if(intel.begin(), intel.end(), [](const Sensor& s) { return s.key == "TW0P"; }), 1);

    for (Platform platform : Platforms::apple()) {
        const auto rows = SensorCatalogue::forPlatform(platform);
        SCOPED_TRACE(std::string(rawValue(platform)));
        EXPECT_FALSE(hasRow(rows, "Th%H", "Heatpipe %"));
        EXPECT_FALSE(hasRow(rows, "Tp0P", "Powerboard"));
        EXPECT_FALSE(hasRow(rows, "TB1T", "Battery"));
        EXPECT_TRUE(hasRow(rows, "TB1T", "Battery 1") && hasRow(rows, "TH0x", "NAND")
                    && hasRow(rows, "TaLP", "Airflow left"));
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const Sensor& s) { return s.key == "TW0P"; }), 2);
        const auto family = Platforms::m1Family();
        const bool m1 = std::find(family.begin(), family.end(), platform) != family.end();
        EXPECT_EQ(hasRow(rows, "PDBR", "Power Delivery Brightness"), m1);
    }
}

TEST(SensorCatalogue, BuiltOnceAndShared)
{
    const std::set<std::string> keysInNoRow {"Tc0a", "Tc0b", "Tc0x", "Tc0z", "Tc7a", "Tc9z"};
    for (const Sensor& sensor : SensorCatalogue::all())
        EXPECT_EQ(keysInNoRow.count(sensor.key), 0u) << sensor.key;
}
