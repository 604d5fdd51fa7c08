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

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

namespace fs = std::filesystem;
using namespace SystemPlatform;
using Aerlo::SMCHelper;

// The built daemon as the bundle's helper and this test program as the bundle's executable (the
// client the daemon admits), installed for real into the temporary root, with smcsim serving a
// two-fan machine there. The daemon's log is the record of what the application sent.
class HelperEndToEndTest : public HelperClientTest {
protected:
    void SetUp() override
    {
        ::unsetenv("AERLO_SMC");
        HelperClientTest::SetUp();
        SMCHelper::resetShared(); // the socket connection
        fs::copy_file(AERLO_HELPER_DAEMON, bundleDaemon(), fs::copy_options::overwrite_existing);
        fs::remove(bundleClient());
        fs::create_symlink(fs::read_symlink("/proc/self/exe"), bundleClient());

        Foundation::ProcessOptions options;
        options.environmentOverrides["AERLO_ROOT"] = root_.path().string();
        options.standardOutput = Foundation::ProcessOutput::discard;
        options.standardError = Foundation::ProcessOutput::discard;
        simulator_ = std::make_unique<Foundation::Process>(
            AERLO_SMCSIM, std::vector<std::string>{"--profile", "mbp-m1pro-2fan", "--manual-clock"}, options);
        ASSERT_EQ(simulator_->run(), "");
        const auto spec = "socket:" + IOKit::SocketSmcProtocol::defaultSocketPath().string();
        ASSERT_TRUE(eventually([&] {
            reader_ = std::make_unique<Aerlo::SMC>(IOKit::SMCEndpoint::makeRegistry(spec, false));
            return reader_->conn != 0;
        })) << "smcsim serves";
        // The application reads the machine as it would (FNum for the removal).
        Aerlo::SMC::resetShared(IOKit::SMCEndpoint::makeRegistry(spec, false));
        console_.clear();
    }

    void TearDown() override
    {
        reader_.reset();
        HelperClientTest::TearDown(); // stops the daemons
        if (simulator_) {
            simulator_->terminate();
            simulator_->waitUntilExit(5.0);
        }
    }

    // Installs the bundle's helper and waits until it serves.
    void install()
    {
        std::vector<bool> outcomes;
        helper().installHelper([&](bool installed) { outcomes.push_back(installed); });
        ASSERT_EQ(outcomes, std::vector<bool>{true}) << console_.output();
        helperPid();
        ASSERT_TRUE(eventually([] { return fs::exists(HelperPaths::socket(SMCHelper::label)); }));
    }

    // The bundle's helper with its version patched to `version`.
    void bundleVersion(const std::string& version)
    {
        const auto json = root_.path() / "version.json";
        std::ofstream(json) << R"({"CFBundleShortVersionString": ")" + version + "\"}";
        const auto result = Foundation::Process::run(AERLO_OBJCOPY, {"--update-section", ".aerlo_info=" + json.string(),
                                                                     bundleDaemon().string()});
        ASSERT_EQ(result.status, 0) << result.stderr_;
    }

    // The daemon's log: "start <version>" and "<sel> <args>" for each message received, in order.
    std::vector<std::string> received() const
    {
        std::vector<std::string> lines;
        std::ifstream log(HelperPaths::logFile(SMCHelper::label));
        std::string line;
        while (std::getline(log, line)) {
            const auto record = nlohmann::json::parse(line, nullptr, false);
            if (record.is_discarded() || !record.is_object())
                continue;
            const auto event = record.value("event", std::string());
            if (event == "start")
                lines.push_back("start " + record.value("version", std::string()));
            else if (event == "message")
                lines.push_back(record.value("sel", std::string()) + " " + record.value("args", nlohmann::json()).dump());
        }
        return lines;
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

TEST_F(HelperEndToEndTest, FanWritesReachTheMachineThroughTheInstalledDaemon)
{
    install();
    EXPECT_TRUE(helper().isInstalled());
    helper().setFanMode(0, 1);
    helper().setFanSpeed(0, 2500);
    helper().setFanMode(1, 1);
    helper().setFanSpeed(1, 9000);
    ASSERT_TRUE(helper().flush(5.0));
    EXPECT_EQ(received(), (std::vector<std::string>{"start " AERLO_HELPER_VERSION, smcPathLine(), mode(0, 1),
                                                    smcPathLine(), speedSelector + " [0,2500]", smcPathLine(),
                                                    mode(1, 1), smcPathLine(), speedSelector + " [1,9000]"}));
    EXPECT_EQ(fanValue("F0Md"), 1);
    EXPECT_EQ(fanValue("F0Tg"), 2500);
    EXPECT_EQ(fanValue("F1Md"), 1);
    EXPECT_EQ(fanValue("F1Tg"), 6241) << "clamped to the fan's maximum";
    EXPECT_EQ(console_.lines(), std::vector<std::string>{"clamped to 6241"});
}

TEST_F(HelperEndToEndTest, TheSameVersionIsOnlyAskedFor)
{
    install();
    helper().checkHelperVersion();
    ASSERT_TRUE(helper().flush(5.0));
    driver_.advance(10);
    EXPECT_EQ(received(), (std::vector<std::string>{"start " AERLO_HELPER_VERSION, smcPathLine(),
                                                    "versionWithCompletion: []"}));
    EXPECT_EQ(console_.lines(), std::vector<std::string>{});
}

TEST_F(HelperEndToEndTest, AnotherVersionIsReplacedAfterTheOldDaemonHasGone)
{
    bundleVersion("1.0");
    install();
    const auto old = helperPid();
    ASSERT_TRUE(old);
    helper().setFanMode(0, 1);
    helper().setFanMode(1, 1);
    bundleVersion("1.0.0");

    // At each request for rights: whether the old daemon's process still runs.
    std::vector<bool> oldRunsAtAuthorization;
    struct Noting : ScriptedAuthorizationProvider {
        std::function<void()> note;
        AuthorizationResult create(const AuthorizationRights& rights, AuthorizationFlags flags) override
        {
            note();
            return ScriptedAuthorizationProvider::create(rights, flags);
        }
    };
    auto authorization = std::make_shared<Noting>();
    authorization->note = [&] { oldRunsAtAuthorization.push_back(DaemonProcess::isAlive(*old)); };
    AuthorizationProvider::setShared(authorization);

    helper().checkHelperVersion();
    ASSERT_TRUE(helper().flush(5.0));
    EXPECT_EQ(console_.lines(), std::vector<std::string>{"New version of SMC helper is detected, going to update..."});
    // The main run loop keeps pace with real time while the old daemon goes.
    ASSERT_TRUE(eventually([&] {
        driver_.advance(0.005);
        return console_.lines().size() == 2;
    }));
    EXPECT_EQ(console_.lines()[1], "The new version of SMC helper was successfully installed.");
    EXPECT_EQ(oldRunsAtAuthorization, (std::vector<bool>{false, false}));
    helperPid();

    ASSERT_TRUE(eventually([] { return fs::exists(HelperPaths::socket(SMCHelper::label)); }));
    helper().checkHelperVersion(); // the new daemon answers the new version
    ASSERT_TRUE(helper().flush(5.0));
    EXPECT_EQ(received(), (std::vector<std::string>{
                              "start 1.0", smcPathLine(), mode(0, 1), smcPathLine(), mode(1, 1), smcPathLine(),
                              "versionWithCompletion: []", smcPathLine(), mode(0, 0), smcPathLine(), mode(1, 0),
                              smcPathLine(), "uninstall []", "start 1.0.0", smcPathLine(), "versionWithCompletion: []"}));
    EXPECT_EQ(console_.lines().size(), 2u);
    EXPECT_TRUE(helperStatePosts().empty());
}

TEST_F(HelperEndToEndTest, UpdateIsAskedFor5SecondsAfterStartUpOnlyWhenTheApplicationsCopyDiffers)
{
    install();
    const auto applicationsCopy = Foundation::Paths::resolve(
        "/Applications/Aerlo.app/Contents/Library/LaunchServices/" + std::string(SMCHelper::label));

    Aerlo::QVDaemonManager::checkHelperUpdate(); // no copy under /Applications
    driver_.advance(4.9);
    helper().checkHelperVersion(); // a marker: the daemon has received all that was sent before it
    ASSERT_TRUE(helper().flush(5.0));
    driver_.advance(0.1);
    driver_.advance(10.0);
    helper().checkHelperVersion();
    ASSERT_TRUE(helper().flush(5.0));
    const std::string version = "versionWithCompletion: []";
    EXPECT_EQ(received(), (std::vector<std::string>{"start " AERLO_HELPER_VERSION, smcPathLine(), version,
                                                    smcPathLine(), "update []", smcPathLine(), version}));

    fs::create_directories(applicationsCopy.parent_path());
    fs::copy_file(bundleDaemon(), applicationsCopy);
    fs::last_write_time(applicationsCopy, fs::last_write_time(bundleDaemon()));
    Aerlo::QVDaemonManager::checkHelperUpdate(); // the installer kept the time: equal
    driver_.advance(10.0);
    helper().checkHelperVersion();
    ASSERT_TRUE(helper().flush(5.0));
    EXPECT_EQ(received().size(), 9u);
    EXPECT_EQ(received().back(), version);
}

TEST_F(HelperEndToEndTest, UninstallLeavesEveryFanAutomaticAndRemovesTheDaemon)
{
    install();
    const auto pid = helperPid();
    helper().setFanMode(0, 1);
    helper().setFanMode(1, 1);
    ASSERT_TRUE(helper().flush(5.0));
    ASSERT_EQ(fanValue("F0Md"), 1);

    helper().uninstall(false);
    ASSERT_TRUE(eventually([&] { return !DaemonProcess::isAlive(*pid); }));
    EXPECT_EQ(received(), (std::vector<std::string>{"start " AERLO_HELPER_VERSION, smcPathLine(), mode(0, 1),
                                                    smcPathLine(), mode(1, 1), smcPathLine(), mode(0, 0), smcPathLine(),
                                                    mode(1, 0), smcPathLine(), "uninstall []"}));
    EXPECT_EQ(fanValue("F0Md"), 0);
    EXPECT_EQ(fanValue("F1Md"), 0);
    for (const auto& path : {HelperPaths::installedProgram(SMCHelper::label), HelperPaths::jobFile(SMCHelper::label),
                             HelperPaths::pidFile(SMCHelper::label), HelperPaths::socket(SMCHelper::label)})
        EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_FALSE(helper().isInstalled());
    ASSERT_EQ(helperStatePosts().size(), 1u);
    EXPECT_FALSE(helperStatePosts()[0].state);
}
