// The list the shared sensor reader builds for every shipped machine profile, against the checked-in
// lists in tests/Sensors/golden/<profile>.json.
//
// To regenerate after a deliberate change: AERLO_WRITE_GOLDEN=1 build/tests/SensorsTests
// --gtest_filter='SensorGoldenLists.*' rewrites the files; review every changed line against the
// build rules (order, names, groups, types, first values, dropped readings) before committing.

#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/System/ActiveMachine.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace Aerlo;
using json = nlohmann::ordered_json;

namespace {

std::filesystem::path goldenPath(const std::string& profile)
{
    return std::filesystem::path(AERLO_SOURCE_DIR) / "tests/Sensors/golden" / (profile + ".json");
}

json describe(const std::vector<Sensor_p>& sensors)
{
    json list = json::array();
    for (const auto& sensor : sensors) {
        json item;
        item["kind"] = sensor.isFan() ? "Fan" : "Sensor";
        item["key"] = sensor.key();
        item["name"] = sensor.name();
        item["group"] = rawValue(sensor.group());
        item["type"] = rawValue(sensor.type());
        item["value"] = sensor.value();
        item["isComputed"] = sensor.isComputed();
        item["average"] = sensor.average();
        list.push_back(std::move(item));
    }
    return list;
}

// One reading per line, so that a change shows as a changed line.
std::string render(const json& list)
{
    std::string text = "[\n";
    for (std::size_t i = 0; i < list.size(); ++i)
        text += "  " + list[i].dump() + (i + 1 < list.size() ? ",\n" : "\n");
    return text + "]\n";
}

// The active machine for the system record, restored afterwards.
class ActiveMachineScope {
public:
    explicit ActiveMachineScope(const std::string& profile)
    {
        if (const char* machine = std::getenv("AERLO_MACHINE"))
            previous_ = machine;
        SystemPlatform::ActiveMachine::select(profile);
        TestAccess::resetForTesting<SystemKit>();
    }
    ~ActiveMachineScope()
    {
        SystemPlatform::ActiveMachine::select(previous_);
        TestAccess::resetForTesting<SystemKit>();
    }

private:
    std::string previous_;
};

} // namespace

TEST(SensorGoldenLists, EveryShippedProfile)
{
    const bool write = std::getenv("AERLO_WRITE_GOLDEN") != nullptr;
    const auto profiles = SMCSim::MachineProfile::availableNames();
    ASSERT_GE(profiles.size(), 10u);
    for (const auto& name : profiles) {
        SCOPED_TRACE(name);
        ActiveMachineScope active(name);
        SensorsMachine machine(name);
        const auto profile = loadProfile(name);
        // The reader's platform comes from the system record, which must agree with the profile.
        EXPECT_EQ(SystemKit::shared().device.platform,
                  profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt);

        ConsoleCapture console;
        const json built = describe(SensorsReader::shared()->list->sensors());
        EXPECT_EQ(console.output(), "");
        if (write) {
            std::ofstream(goldenPath(name)) << render(built);
            continue;
        }
        std::ifstream file(goldenPath(name));
        ASSERT_TRUE(file) << "no golden list " << goldenPath(name);
        std::stringstream text;
        text << file.rdbuf();
        const json golden = json::parse(text.str(), nullptr, false);
        ASSERT_FALSE(golden.is_discarded());
        ASSERT_EQ(built.size(), golden.size());
        for (std::size_t i = 0; i < built.size(); ++i) {
            const json& expected = golden[i];
            const json& actual = built[i];
            for (const char* field : {"kind", "key", "name", "group", "type", "isComputed", "average"})
                EXPECT_EQ(actual[field], expected[field]) << "#" << i << " " << field;
            EXPECT_NEAR(actual["value"].get<double>(), expected["value"].get<double>(), 1e-9) << "#" << i;
        }
    }
}
