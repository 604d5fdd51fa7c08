// The sensor list over the applesmc transport on the fake driver tree of every shipped real key
// table equals the one built over the simulated SMC of the same machine.

#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorValueText.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "Platform/SMC/FanKey.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/SMC/FakeApplesmcTree.h"
#include "tests/Support/SMC/FakeMacsmcHwmonTree.h"
#include "tests/Support/TestAccess.h"

#include <algorithm>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <set>

using namespace Aerlo;

namespace {

// Every field of every reading, fans' ranges and modes included.
nlohmann::json describe(const std::vector<Sensor_p>& sensors)
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& sensor : sensors) {
        nlohmann::json item {{"key", sensor.key()},
                             {"name", sensor.name()},
                             {"group", rawValue(sensor.group())},
                             {"type", rawValue(sensor.type())},
                             {"value", sensor.value()},
                             {"computed", sensor.isComputed()}};
        if (const Fan* fan = sensor.fan())
            item["fan"] = {fan->id, fan->minSpeed, fan->maxSpeed, static_cast<int>(fan->mode)};
        list.push_back(std::move(item));
    }
    return list;
}

nlohmann::json listOver(const std::shared_ptr<IOKit::ServiceRegistry>& registry, std::optional<Platform> platform)
{
    TestAccess::resetForTesting<SMC>(registry);
    TestAccess::resetForTesting<SMCManager>();
    const auto sensors = SensorsReader(platform).list->sensors();
    TestAccess::resetForTesting<SMCManager>();
    TestAccess::resetForTesting<SMC>();
    return describe(sensors);
}

} // namespace

TEST(ApplesmcSensorList, EqualsTheSimulatedListOnEveryRealTable)
{
    ConsoleCapture console;
    for (const char* name :
         {"mbp-intel-2fan", "mba-intel-t2-1fan", "macpro-intel-4fan", "imac-intel-1fan", "mini-intel-t2-1fan"}) {
        SCOPED_TRACE(name);
        const auto profile = loadProfile(name);
        const auto platform = profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt;
        SimMachine simulated(name, false);
        const auto expected = listOver(simulated.registry, platform);

        // Root's transport: the one that moves the key index.
        auto tree = std::make_shared<SMCSim::FakeApplesmcTree>(profile);
        const auto actual =
            listOver(IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(tree, true)), platform);
        ASSERT_GT(expected.size(), 10u);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(actual[i], expected[i]) << "#" << i;
        EXPECT_TRUE(tree->writes().empty());
    }
}

TEST(ApplesmcSensorList, AProcessThatCannotMoveTheIndexListsWhatTheNamedFilesGive)
{
    // Only root writes key_at_index: the fans and the "sp78" temperatures, at the driver's resolution.
    const auto profile = loadProfile("mbp-intel-2fan");
    const auto platform = platformFromRawValue(*profile.platform);
    SimMachine simulated("mbp-intel-2fan", false);
    std::map<std::string, nlohmann::json> expected;
    for (const auto& item : listOver(simulated.registry, platform))
        expected.emplace(item["key"], item);
    auto tree = std::make_shared<SMCSim::FakeApplesmcTree>(profile, SMCSim::FakeApplesmcTree::Options {.root = false});
    ConsoleCapture console;
    const auto actual =
        listOver(IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(tree, false)), platform);
    EXPECT_EQ(console.output(), "");
    std::size_t temperatures = 0;
    for (auto item : actual) {
        SCOPED_TRACE(item.dump());
        ASSERT_TRUE(expected.contains(item["key"]));
        auto reference = expected.at(item["key"]);
        if (!item["computed"].get<bool>() && item["type"] == "Temperature") {
            ++temperatures;
            EXPECT_NEAR(item["value"].get<double>(), reference["value"].get<double>(), 0.25);
            item.erase("value");
            reference.erase("value");
        }
        if (!item["computed"].get<bool>()) {
            EXPECT_EQ(item, reference);
        }
    }
    EXPECT_GT(temperatures, 20u);
    EXPECT_EQ(actual[0]["key"], "F0Ac");

    // A driver without T2 support cannot give four-byte fan keys through its files: each is absent after
    // one line.
    const auto t2 = loadProfile("mba-intel-t2-1fan");
    auto mainline = std::make_shared<SMCSim::FakeApplesmcTree>(t2, SMCSim::FakeApplesmcTree::Options {.root = false});
    TestAccess::resetForTesting<SMC>(
        IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(mainline, false)));
    console.clear();
    for (int tick = 0; tick < 3; ++tick)
        EXPECT_FALSE(SMC::shared().getValue("F0Ac"));
    EXPECT_EQ(console.lines(),
              (std::vector<std::string> {"Error read(F0Ac): " + SMC::errorText(IOKit::kIOReturnBadArgument)}));
    TestAccess::resetForTesting<SMC>();
}

TEST(ApplesmcSensorList, KeysTheDriverCannotGiveShowThePlaceholderAfterOneLine)
{
    // The key's text after three ticks, and how many lines named it, on the fake tree of `profile`;
    // `refuse` names a key whose bytes the driver refuses once the list is built.
    const auto shown = [](const char* profileName, bool root, std::string_view key, bool refuse) {
        const auto profile = loadProfile(profileName);
        const auto platform = profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt;
        auto tree =
            std::make_shared<SMCSim::FakeApplesmcTree>(profile, SMCSim::FakeApplesmcTree::Options {.root = root});
        TestAccess::resetForTesting<SMC>(
            IOKit::ServiceRegistry::withSMC(std::make_shared<IOKit::ApplesmcTransport>(tree, root)));
        TestAccess::resetForTesting<SMCManager>();
        ConsoleCapture console;
        auto reader = std::make_shared<SensorsReader>(platform);
        if (refuse)
            tree->refuseData(key, EINVAL);
        for (int tick = 0; tick < 3; ++tick)
            reader->read();
        std::string text = "(none)";
        for (const auto& sensor : reader->list->sensors())
            if (sensor.key() == key)
                text = sensor.formattedValue();
        const std::string line = "Error read(" + std::string(key) + "): " + SMC::errorText(IOKit::kIOReturnBadArgument);
        const auto printed = console.lines();
        const long lines = std::count(printed.begin(), printed.end(), line);
        reader.reset();
        TestAccess::resetForTesting<SMCManager>();
        TestAccess::resetForTesting<SMC>();
        return std::pair {text, lines};
    };
    // A mainline driver on a T2 Mac refuses the four-byte fan keys through its fan files.
    EXPECT_EQ(shown("mba-intel-t2-1fan", false, "F0Ac", false), std::pair(std::string("- RPM"), 1L));
    // A temperature whose bytes the driver refuses once it is listed (a length it does not serve).
    EXPECT_EQ(shown("mbp-intel-2fan", true, "TC0P", true),
              std::pair("-" + SensorValueText::unit(SensorType::temperature), 1L));
}

TEST(ApplesmcSensorList, OnAppleSiliconTheHwmonChannelsListAsOverTheSimulatedSMC)
{
    ConsoleCapture console;
    for (const char* name :
         {"mba-m1-nofan", "mbp-m1pro-2fan", "mbp-m3max-2fan", "mbp-m4pro-2fan", "mini-m2-1fan", "mini-m4-1fan"}) {
        SCOPED_TRACE(name);
        const auto profile = loadProfile(name);
        const auto platform = profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt;
        auto tree = std::make_shared<SMCSim::FakeMacsmcHwmonTree>(profile);
        auto transport =
            std::make_shared<IOKit::ApplesmcTransport>(tree, true, IOKit::ApplesmcTransport::Driver::macsmcHwmon);
        const auto actual = listOver(IOKit::ServiceRegistry::withSMC(transport), platform);

        // The simulated list, but for the keys the driver does not name.
        std::set<std::string> named;
        for (const auto& sensor : IOKit::ApplesmcTransport::hwmonSensors())
            if (profile.keys.find(sensor.key))
                named.insert(std::string(sensor.key));
        for (int fan = 0; profile.keys.find(SMCSim::FanKey::name(fan, "Ac")); ++fan)
            named.insert(SMCSim::FanKey::name(fan, "Ac"));
        SimMachine simulated(name, false);
        nlohmann::json expected = nlohmann::json::array();
        for (const auto& item : listOver(simulated.registry, platform))
            if (named.contains(item["key"].get<std::string>()))
                expected.push_back(item);
        nlohmann::json real = nlohmann::json::array();
        for (const auto& item : actual)
            if (!item["computed"].get<bool>())
                real.push_back(item);

        ASSERT_GE(expected.size(), 5u);
        ASSERT_EQ(real.size(), expected.size()) << real.dump();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            auto item = real[i];
            auto reference = expected[i];
            EXPECT_NEAR(item["value"].get<double>(), reference["value"].get<double>(), 1e-3) << reference["key"];
            item.erase("value");
            reference.erase("value");
            EXPECT_EQ(item, reference);
        }
        // Setting a fan's mode or speed writes nothing.
        TestAccess::resetForTesting<SMC>(IOKit::ServiceRegistry::withSMC(transport));
        SMC::shared().setFanMode(0, FanMode::forced);
        SMC::shared().setFanSpeed(0, 3000);
        TestAccess::resetForTesting<SMC>();
        EXPECT_EQ(tree->writeAttempts(), 0u);
    }
}
