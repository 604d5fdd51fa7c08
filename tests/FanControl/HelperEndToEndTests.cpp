#include "tests/FanControl/HelperEndToEndTest.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace SystemPlatform;
using Aerlo::SMCHelper;

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
    AuthorizationProvider::replaceShared(authorization);

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
