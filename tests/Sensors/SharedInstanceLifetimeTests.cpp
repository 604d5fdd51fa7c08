// The shared objects' resets, in loops: an earlier reference stays usable, nothing retired is kept.
// Run under AddressSanitizer (cmake -DAERLO_SANITIZE=address) to catch a use after free or a leak.

#include "Classes/Configure/Global/NextLog.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/Sensors/SMCManager.h"
#include "Platform/System/AuthorizationProvider.h"
#include "QVToolsKit/QVLogFileManager.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace Aerlo;

namespace {

constexpr int resets = 25;

TEST(SharedInstanceLifetime, SMCReopensInPlaceAndClosesEachRetiredConnection)
{
    SimMachine machine("mbp-m1pro-2fan");
    TestAccess::resetForTesting<SMC>(machine.registry);
    SMC& held = SMC::shared();
    const std::size_t opensBefore = machine.device->openCount();
    for (int i = 0; i < resets; ++i) {
        TestAccess::resetForTesting<SMC>(machine.registry);
        EXPECT_EQ(&SMC::shared(), &held);
        EXPECT_TRUE(held.getValue("F0Mx")) << "reset " << i;
    }
    // One connection open at a time: every retired one was closed, none is parked.
    EXPECT_EQ(machine.device->openCount() - opensBefore, std::size_t(resets));
    EXPECT_EQ(machine.device->openConnections(), 2u); // the shared one and the machine's own
    TestAccess::resetForTesting<SMC>();
    EXPECT_EQ(machine.device->openConnections(), 1u);
}

TEST(SharedInstanceLifetime, FirstUseFromManyThreadsMakesOneObject)
{
    SimMachine machine("mbp-m1pro-2fan");
    TestAccess::resetForTesting<SMC>(machine.registry);
    TestAccess::resetForTesting<SMCManager>();
    std::vector<std::thread> threads;
    std::vector<const void*> seen(8);
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] { seen[t] = t % 2 ? static_cast<const void*>(&SMC::shared())
                                                          : static_cast<const void*>(&SMCManager::shared()); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(std::set<const void*>(seen.begin(), seen.end()).size(), 2u);
    EXPECT_EQ(machine.device->openConnections(), 2u);
    TestAccess::resetForTesting<SMC>();
}

TEST(SharedInstanceLifetime, SMCManagerIsRebuiltFreshInPlace)
{
    SensorsMachine machine(smcTable({smcKey("FNum", "ui8 ", {1})}));
    SMCManager& held = SMCManager::shared();
    for (int i = 0; i < resets; ++i) {
        held.currentSMCKeyIndex = 7;
        TestAccess::resetForTesting<SMCManager>();
        EXPECT_EQ(&SMCManager::shared(), &held);
        EXPECT_EQ(held.currentSMCKeyIndex, 0);
        EXPECT_EQ(held.readFans(1).size(), 1u);
    }
}

TEST(SharedInstanceLifetime, SensorsReaderGoesWhenItsLastHolderLetsGo)
{
    SensorsMachine machine(smcTable({numberKey("TC0P", 50), smcKey("FNum", "ui8 ", {0})}));
    std::weak_ptr<SensorsReader> previous;
    for (int i = 0; i < resets; ++i) {
        TestAccess::resetForTesting<SensorsReader>(i % 2 ? machine.reader(Platform::intel) : nullptr);
        // A holder keeps the reader it holds usable across the next reset.
        const std::shared_ptr<SensorsReader> holder = SensorsReader::shared();
        EXPECT_TRUE(previous.expired()) << "reset " << i;
        previous = holder;
        TestAccess::resetForTesting<SensorsReader>();
        ASSERT_FALSE(previous.expired());
        holder->read();
        EXPECT_FALSE(holder->list->sensors().empty());
        EXPECT_NE(SensorsReader::shared(), holder);
    }
    TestAccess::resetForTesting<SensorsReader>();
    EXPECT_TRUE(previous.expired());
}

TEST(SharedInstanceLifetime, SystemKitGathersAgainInPlace)
{
    SystemKit& held = SystemKit::shared();
    for (int i = 0; i < 5; ++i) {
        held.device.serialNumber = "changed";
        TestAccess::resetForTesting<SystemKit>();
        EXPECT_EQ(&SystemKit::shared(), &held);
        EXPECT_NE(held.device.serialNumber, std::optional<std::string>("changed"));
    }
}

struct CountingProvider : SystemPlatform::AuthorizationProvider {
    SystemPlatform::AuthorizationResult create(const SystemPlatform::AuthorizationRights&,
                                               SystemPlatform::AuthorizationFlags) override
    {
        return {SystemPlatform::errAuthorizationDenied, nullptr};
    }
};

TEST(SharedInstanceLifetime, AuthorizationProviderCopiesOutliveAChange)
{
    using SystemPlatform::AuthorizationProvider;
    std::weak_ptr<AuthorizationProvider> previous;
    for (int i = 0; i < resets; ++i) {
        AuthorizationProvider::replaceShared(std::make_shared<CountingProvider>());
        auto held = AuthorizationProvider::shared();
        EXPECT_EQ(held, AuthorizationProvider::shared());
        EXPECT_TRUE(previous.expired()) << "reset " << i;
        previous = held;
        AuthorizationProvider::replaceShared(nullptr);
        EXPECT_NE(AuthorizationProvider::shared(), held);
        EXPECT_EQ(held->create({}, 0).status, SystemPlatform::errAuthorizationDenied);
    }
    AuthorizationProvider::replaceShared(nullptr);
    EXPECT_TRUE(previous.expired());
}

TEST(SharedInstanceLifetime, LoggersAreRebuiltInPlaceWritingToStandardOutput)
{
    QVToolsKit::QVLogFileManager& framework = QVToolsKit::QVLogFileManager::shared();
    NextLog& app = NextLog::shared();
    for (int i = 0; i < resets; ++i) {
        framework.setWriter(LogWriter::standardError);
        app.setWriter(LogWriter::standardError);
        TestAccess::resetForTesting<QVToolsKit::QVLogFileManager>();
        TestAccess::resetForTesting<NextLog>();
        EXPECT_EQ(&QVToolsKit::QVLogFileManager::shared(), &framework);
        EXPECT_EQ(&NextLog::shared(), &app);
        ConsoleCapture console;
        QVToolsKit::QVLogFileManager::info("framework line");
        NextLog::info("app line", app.copy("Sensors"));
        EXPECT_NE(console.output().find("framework line\n"), std::string::npos) << "reset " << i;
        EXPECT_NE(console.output().find("app line\n"), std::string::npos) << "reset " << i;
    }
}

} // namespace
