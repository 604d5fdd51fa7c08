#pragma once

#include "Classes/FanControl/QVDaemonManager.h"
#include "Classes/FanControl/SMCHelper.h"
#include "Platform/Foundation/Paths.h"
#include "Platform/Foundation/Process.h"
#include "Platform/SMC/SMCEndpoint.h"
#include "Platform/SMC/SocketSmcProtocol.h"
#include "Platform/System/DaemonProcess.h"
#include "Platform/System/HelperPaths.h"
#include "tests/FanControl/HelperClientTest.h"
#include "tests/Support/Eventually.h"
#include "tests/Support/HelperLog.h"
#include "tests/Support/TestAccess.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <thread>

// The built daemon as the bundle's helper and this test program as the bundle's executable (the
// client the daemon admits), installed for real into the temporary root, with smcsim serving a
// two-fan machine there. The daemon's log is the record of what the application sent.
class HelperEndToEndTest : public HelperClientTest {
protected:
    void SetUp() override
    {
        ::setenv("AERLO_SMC", "smcsim", 1); // the root's simulator, even on a real Mac
        HelperClientTest::SetUp();
        TestAccess::resetForTesting<Aerlo::SMCHelper>(); // the socket connection
        std::filesystem::copy_file(AERLO_HELPER_DAEMON, bundleDaemon(),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(bundleClient());
        std::filesystem::create_symlink(std::filesystem::read_symlink("/proc/self/exe"), bundleClient());

        Foundation::ProcessOptions options;
        options.environmentOverrides["AERLO_ROOT"] = root_.path().string();
        options.standardOutput = Foundation::ProcessOutput::discard;
        options.standardError = Foundation::ProcessOutput::discard;
        simulator_ = std::make_unique<Foundation::Process>(
            AERLO_SMCSIM, std::vector<std::string> {"--profile", "mbp-m1pro-2fan", "--manual-clock"}, options);
        ASSERT_EQ(simulator_->run().error(), "");
        const auto spec = "socket:" + IOKit::SocketSmcProtocol::defaultSocketPath().string();
        ASSERT_TRUE(eventually([&] {
            reader_ = std::make_unique<Aerlo::SMC>(IOKit::SMCEndpoint::makeRegistry(spec, false));
            return reader_->conn != 0;
        })) << "smcsim serves";
        // The application reads the machine as it would (FNum for the removal).
        TestAccess::resetForTesting<Aerlo::SMC>(IOKit::SMCEndpoint::makeRegistry(spec, false));
        console_.clear();
    }

    void TearDown() override
    {
        reader_.reset();
        HelperClientTest::TearDown(); // stops the daemons
        if (simulator_) {
            simulator_->terminate();
            EXPECT_TRUE(simulator_->waitUntilExit(5.0));
        }
    }

    // Installs the bundle's helper and waits until it serves.
    void install()
    {
        std::vector<bool> outcomes;
        helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
        ASSERT_EQ(outcomes, std::vector<bool> {true}) << console_.output();
        helperPid();
        ASSERT_TRUE(eventually(
            [] { return std::filesystem::exists(SystemPlatform::HelperPaths::socket(Aerlo::SMCHelper::label)); }));
    }

    // The bundle's helper with its version patched to `version`.
    void bundleVersion(const std::string& version)
    {
        const auto json = root_.path() / "version.json";
        std::ofstream(json) << R"({"CFBundleShortVersionString": ")" + version + "\"}";
        const auto result = Foundation::Process::run(
            AERLO_OBJCOPY, {"--update-section", ".aerlo_info=" + json.string(), bundleDaemon().string()});
        ASSERT_EQ(result.status, 0) << result.stderr_;
    }

    // The daemon's log: "start <version>" and "<sel> <args>" for each message received, in order.
    std::vector<std::string> received() const
    {
        return helperLogEntries(SystemPlatform::HelperPaths::logFile(Aerlo::SMCHelper::label));
    }

    // Waits until the daemon has logged `count` entries.
    bool receivedCount(std::size_t count) const
    {
        return eventually([&] { return received().size() >= count; });
    }

    double fanValue(const std::string& key) const { return reader_->getValue(key).value_or(0); }

    std::string mode(int fan, int mode) const
    {
        return modeSelector + " [" + std::to_string(fan) + "," + std::to_string(mode) + "]";
    }

    std::unique_ptr<Foundation::Process> simulator_;
    std::unique_ptr<Aerlo::SMC> reader_;
};
