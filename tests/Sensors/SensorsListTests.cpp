#include "Classes/Sensors/Sensors_List.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Aerlo;

namespace {

Sensor temperature(std::string key, double value)
{
    return Sensor {key, key, value, SensorGroup::CPU, SensorType::temperature, {Platform::m1}, false, true};
}

Fan fan(double value)
{
    return Fan {0,     "F0Ac", "Left fan", 1200, 6000, value, FanMode::forced, SensorGroup::sensor, SensorType::fan,
                false, false,  false,      "RPM"};
}

// An array whose every element holds `marker`.
std::vector<Sensor_p> marked(double marker, std::size_t size = 16)
{
    std::vector<Sensor_p> sensors;
    for (std::size_t i = 0; i < size; ++i)
        sensors.emplace_back(temperature("T" + std::to_string(i), marker));
    return sensors;
}

} // namespace

TEST(SensorsList, ReadAfterWriteAndIndependentCopies)
{
    Sensors_List list;
    EXPECT_TRUE(list.sensors().empty());
    list.setSensors({temperature("TC0P", 40), fan(1500)});
    auto copy = list.sensors();
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[0].value(), 40);
    copy[0].setValue(99);
    EXPECT_EQ(list.sensors()[0].value(), 40);
    list.modifySensors([](std::vector<Sensor_p>& sensors) { sensors[1].setValue(1600); });
    EXPECT_EQ(list.sensors()[1].value(), 1600);
    EXPECT_EQ(list.copiesMade(), 4u);
}

TEST(SensorsList, ChangesMadeBeforeAnEarlyEndStay)
{
    Sensors_List list(marked(1, 4));
    list.modifySensors([](std::vector<Sensor_p>& sensors) {
        for (auto& sensor : sensors) {
            if (sensor.key() == "T2")
                return;
            sensor.setValue(5);
        }
    });
    const auto sensors = list.sensors();
    EXPECT_EQ(sensors[0].value(), 5);
    EXPECT_EQ(sensors[1].value(), 5);
    EXPECT_EQ(sensors[2].value(), 1);
}

TEST(SensorsListCoding, EmptyList)
{
    Sensors_List list;
    EXPECT_EQ(list.encode().dump(), R"({"sensors":[]})");
    const auto decoded = Sensors_List::decode(nlohmann::ordered_json::parse(R"({"sensors":[]})"));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->sensors().empty());
}

TEST(SensorsListCoding, SensorAndFanRoundTripInOrder)
{
    Sensors_List list({temperature("TC0P", 40.5), fan(1500)});
    const auto json = list.encode();
    ASSERT_EQ(json["sensors"].size(), 2u);
    EXPECT_EQ(json["sensors"][0]["base"], 0);
    EXPECT_EQ(json["sensors"][1]["base"], 1);
    const auto decoded = Sensors_List::decode(json);
    ASSERT_TRUE(decoded);
    const auto sensors = decoded->sensors();
    ASSERT_EQ(sensors.size(), 2u);
    EXPECT_FALSE(sensors[0].isFan());
    EXPECT_TRUE(sensors[1].isFan());
    EXPECT_EQ(sensors, list.sensors());
}

TEST(SensorsListCoding, FailuresBuildNothing)
{
    using json = nlohmann::ordered_json;
    auto good = Sensors_List({temperature("TC0P", 40.5), fan(1500)}).encode();
    auto badWrapper = good;
    badWrapper["sensors"][1]["base"] = 2;
    for (const json& input : {json::parse(R"({})"), json::parse(R"({"sensors":{}})"), json::parse("[]"), badWrapper})
        EXPECT_FALSE(Sensors_List::decode(input)) << input.dump();
}

// Whole-array writers and readers side by side: every read is one of the arrays written, never a mix.
TEST(SensorsListStress, ReadsSeeWholeArrays)
{
    Sensors_List list(marked(0));
    std::atomic<int> torn {0};
    std::vector<std::thread> threads;
    for (int writer = 1; writer <= 2; ++writer) {
        threads.emplace_back([&list, writer] {
            for (int i = 0; i < 2000; ++i)
                list.setSensors(marked(writer * 10000 + i, 8 + static_cast<std::size_t>(i % 9)));
        });
    }
    for (int reader = 0; reader < 4; ++reader) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                const auto sensors = list.sensors();
                for (const auto& sensor : sensors)
                    if (sensor.value() != sensors.front().value())
                        ++torn;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(list.copiesMade(), 8000u);
}

// In-place changes from several threads lose nothing, whatever readers do meanwhile.
TEST(SensorsListStress, NoLostUpdates)
{
    Sensors_List list(marked(0, 4));
    std::atomic<bool> done {false};
    std::vector<std::thread> threads;
    for (int writer = 0; writer < 2; ++writer) {
        threads.emplace_back([&list] {
            for (int i = 0; i < 1000; ++i)
                list.modifySensors(
                    [](std::vector<Sensor_p>& sensors) { sensors[2].modifyValue([](double& value) { value += 1; }); });
        });
    }
    std::thread reader([&] {
        while (!done.load())
            EXPECT_EQ(list.sensors().size(), 4u);
    });
    for (auto& thread : threads)
        thread.join();
    done = true;
    reader.join();
    EXPECT_EQ(list.sensors()[2].value(), 2000);
}

TEST(SensorsListGeneration, EachReplacementAndChangeAdvancesItOnce)
{
    Sensors_List list(marked(1, 4));
    EXPECT_EQ(list.generation(), 0u);
    list.setSensors(marked(2, 4));
    EXPECT_EQ(list.generation(), 1u);
    list.modifySensors([](std::vector<Sensor_p>&) {}); // a change that changed nothing still counts
    EXPECT_EQ(list.generation(), 2u);
    EXPECT_THROW(list.modifySensors([](std::vector<Sensor_p>& sensors) {
        sensors[0].setValue(7);
        throw std::runtime_error("ends early");
    }),
                 std::runtime_error);
    EXPECT_EQ(list.generation(), 3u);
    EXPECT_EQ(list.sensors()[0].value(), 7);
    // Copies do not count.
    list.sensors();
    EXPECT_EQ(list.generation(), 3u);
    EXPECT_EQ(Sensors_List::decode(list.encode())->generation(), 0u);
}

TEST(SensorsListGeneration, TwoThreadsLoseNoAdvance)
{
    constexpr std::uint64_t each = 500;
    Sensors_List list(marked(0, 8));
    std::thread replacer([&] {
        for (std::uint64_t i = 0; i < each; ++i)
            list.setSensors(marked(static_cast<double>(i), 8));
    });
    std::thread changer([&] {
        for (std::uint64_t i = 0; i < each; ++i)
            list.modifySensors([](std::vector<Sensor_p>& sensors) { sensors[0].setValue(-1); });
    });
    // A reader that notes the generation before copying never sees it go back.
    std::uint64_t last = 0;
    bool monotonic = true;
    while (list.generation() < 2 * each) {
        const std::uint64_t now = list.generation();
        monotonic = monotonic && now >= last;
        last = now;
    }
    replacer.join();
    changer.join();
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(list.generation(), 2 * each);
}
