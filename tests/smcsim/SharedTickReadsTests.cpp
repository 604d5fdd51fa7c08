#include "Classes/Configure/SystemKit/Platform.h"
#include "Classes/Sensors/SMCReadScope.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TempRoot.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Aerlo;

namespace {

// What the readers of a tick give, in their order: the fans, the readings, the Apple-silicon CPU mean and
// the process-wide fan values.
std::vector<std::string> tickResults(bool arm)
{
    SMCManager& manager = SMCManager::shared();
    std::vector<std::string> results;
    if (const auto count = SMCManager::fanCountFromValue(SMC::shared().getValue("FNum")))
        for (const auto& fan : manager.readFans(*count))
            results.push_back(fan.name + " " + std::to_string(fan.value) + " " + std::to_string(fan.minSpeed) + " " +
                              std::to_string(fan.maxSpeed) + " " + std::to_string(static_cast<int>(fan.mode)));
    const auto reader = SensorsReader::shared();
    reader->read();
    const auto values = readValues(reader->list->sensors());
    results.insert(results.end(), values.begin(), values.end());
    if (arm)
        results.push_back("CPU " + std::to_string(manager.averageCPUTemperature().mean));
    manager.refreshFanSpeeds();
    for (const double value : {fanCount, fan0Speed, fan0MaxSpeed, fan1Speed, fan1MaxSpeed})
        results.push_back(std::to_string(value));
    return results;
}

std::vector<std::string> readKeys(const SMCSim::SimSmcDevice& device)
{
    std::vector<std::string> keys;
    for (const auto& exchange : device.exchanges(SMCSim::SimSmcDevice::kCommandReadBytes))
        keys.push_back(exchange.key);
    return keys;
}

} // namespace

// Over smcsim, on every shipped machine: a tick whose readers share their reads gives what they give each
// reading for itself, with one exchange per key, in the order of the key's first read.
TEST(SharedTickReads, SameValuesWithOneExchangePerKeyOnEveryProfile)
{
    TempRoot root;
    const auto path = IOKit::SocketSmcProtocol::defaultSocketPath();
    for (const auto& name : SMCSim::MachineProfile::availableNames()) {
        SCOPED_TRACE(name);
        const auto profile = loadProfile(name);
        auto machine = std::make_shared<SimulatedMachine>(profile, true);
        SmcsimTest::RunningServer server(machine, SmcsimServer::Options {path, getuid()});
        ASSERT_TRUE(server.started());
        TestAccess::resetForTesting<SMC>(IOKit::SMCEndpoint::makeRegistry("socket:" + path.string(), false));
        TestAccess::resetForTesting<SMCManager>();
        TestAccess::resetForTesting<SensorsReader>(std::make_shared<SensorsReader>(
            profile.platform ? platformFromRawValue(*profile.platform) : std::nullopt));
        const bool arm = profile.facts.architecture == "arm64";
        ConsoleCapture console; // a fanless machine's "FNum not found"

        machine->device()->resetLog();
        const auto unshared = tickResults(arm);
        const auto unsharedKeys = readKeys(*machine->device());
        machine->device()->resetLog();
        std::vector<std::string> shared;
        {
            const SMCReadScope reads(SMC::shared());
            shared = tickResults(arm);
        }
        EXPECT_EQ(shared, unshared);
        EXPECT_EQ(readKeys(*machine->device()), firstOccurrences(unsharedKeys));
        EXPECT_EQ(machine->device()->exchangeCount(), firstOccurrences(unsharedKeys).size());
    }
    TestAccess::resetForTesting<SensorsReader>();
    TestAccess::resetForTesting<SMCManager>();
    TestAccess::resetForTesting<SMC>();
}
