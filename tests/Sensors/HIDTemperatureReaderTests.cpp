#include "Classes/Sensors/HIDTemperatureReader.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/HIDEventSystemClient.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace Aerlo;
using SystemPlatform::HIDEventSystemClient;
using SystemPlatform::HIDService;

namespace {

constexpr uint32_t page = 0xFF00;
constexpr uint32_t usage = 5;
constexpr int32_t temperatureEvent = 15;

HIDService service(std::optional<std::string> product, double value, int32_t type = temperatureEvent,
                   uint32_t servicePage = page, uint32_t serviceUsage = usage)
{
    return HIDService {std::move(product), servicePage, serviceUsage, {{type, value}}};
}

class HIDTemperatureReaderTest : public ::testing::Test {
protected:
    void TearDown() override { TestAccess::resetForTesting<HIDEventSystemClient>(); }
};

} // namespace

TEST_F(HIDTemperatureReaderTest, ReadingsByProduct)
{
    HIDEventSystemClient::setMachineServices(std::vector<HIDService> {
        service("PMU tdie1", 45.5),
        service(std::nullopt, 50), // no product name
        service("PMU tdev1", 3.2, 13), // no event of the asked type
        service("Other page", 60, temperatureEvent, 0xFF08),
        service("Other usage", 61, temperatureEvent, page, 6),
        service("PMU tdie1", 46.5), // a later service with the same name wins
        service("NAND CH0 temp", 35),
    });
    const auto readings = HIDTemperatureReader(page, usage, temperatureEvent);
    ASSERT_TRUE(readings);
    EXPECT_EQ(*readings, (std::map<std::string, double> {{"NAND CH0 temp", 35}, {"PMU tdie1", 46.5}}));
}

TEST_F(HIDTemperatureReaderTest, EmptyAndAbsentServiceLists)
{
    HIDEventSystemClient::setMachineServices(std::vector<HIDService> {});
    const auto empty = HIDTemperatureReader(page, usage, temperatureEvent);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    HIDEventSystemClient::setMachineServices(std::nullopt);
    EXPECT_FALSE(HIDTemperatureReader(page, usage, temperatureEvent));
}

TEST_F(HIDTemperatureReaderTest, EventFieldIsTheTypesBaseField)
{
    const SystemPlatform::HIDEvent event {temperatureEvent, 41.5};
    EXPECT_EQ(event.floatValue(15u << 16), 41.5);
    EXPECT_EQ(event.floatValue(15u), 0);
    EXPECT_EQ(event.floatValue((15u << 16) + 1), 0);
}

TEST_F(HIDTemperatureReaderTest, ServicesOfTheActiveMachineProfile)
{
    std::string previous;
    if (const char* machine = std::getenv("AERLO_MACHINE"))
        previous = machine;
    SystemPlatform::ActiveMachine::select("mba-m1-nofan");
    TestAccess::resetForTesting<HIDEventSystemClient>();
    const auto readings = HIDTemperatureReader(page, usage, temperatureEvent);
    SystemPlatform::ActiveMachine::select(previous);
    ASSERT_TRUE(readings);
    EXPECT_EQ(*readings,
              (std::map<std::string, double> {
                  {"NAND CH0 temp", 34.0}, {"PMU tdev1", 37.5}, {"PMU tdie1", 44.1}, {"gas gauge battery", 30.4}}));
    EXPECT_TRUE(HIDTemperatureReader(page, usage, 13)->empty());
}

TEST_F(HIDTemperatureReaderTest, ProfileSection)
{
    const auto none = HIDEventSystemClient::servicesFromProfile(R"({"name":"x"})");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());

    const auto one = HIDEventSystemClient::servicesFromProfile(
        R"({"hid":[{"usagePage":65280,"usage":5,"eventType":15,"value":40}]})");
    ASSERT_TRUE(one);
    ASSERT_EQ(one->size(), 1u);
    EXPECT_FALSE((*one)[0].product);

    for (const char* bad : {R"({"hid":{}})", R"({"hid":[{"product":"p","usage":5,"eventType":15,"value":1}]})",
                            R"({"hid":[{"product":3,"usagePage":1,"usage":5,"eventType":15,"value":1}]})",
                            R"({"hid":[{"usagePage":1,"usage":5,"eventType":15,"value":"hot"}]})", "[]"}) {
        const auto services = HIDEventSystemClient::servicesFromProfile(bad);
        EXPECT_FALSE(services) << bad;
        EXPECT_FALSE(services.error().empty()) << bad;
    }
}
