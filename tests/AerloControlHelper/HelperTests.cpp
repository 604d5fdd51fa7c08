#include "AerloControlHelper/AppDelegate.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/Workspace.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/Support/ManualRunLoopDriver.h"
#include "tests/Support/TempRoot.h"
#include "tests/Support/TestAccess.h"

#include <fstream>
#include <gtest/gtest.h>

using AerloControlHelper::AppDelegate;
namespace fs = std::filesystem;

namespace {

// The workspace's applications as a test sets them; launches are recorded.
class FakeLauncher final : public SystemPlatform::ApplicationLauncher {
public:
    std::vector<SystemPlatform::RunningApplication> running;
    std::optional<std::string> failure;
    std::vector<std::pair<fs::path, bool>> launches; // bundle, activates

    std::vector<SystemPlatform::RunningApplication> runningApplications() override { return running; }
    Foundation::Result<pid_t> openApplication(const fs::path& bundle,
                                              const SystemPlatform::OpenConfiguration& configuration) override
    {
        launches.emplace_back(bundle, configuration.activates);
        if (failure)
            return Foundation::Error(*failure);
        return pid_t {4242};
    }
};

class LoginItemHelper : public ::testing::Test {
protected:
    void SetUp() override { TestAccess::resetForTesting<SystemPlatform::Workspace>(nullptr, launcher_); }
    void TearDown() override
    {
        TestAccess::resetForTesting<SystemPlatform::Workspace>();
        Foundation::Bundle::setMainBundlePath({});
        TestAccess::resetForTesting<Foundation::UserDefaults>();
    }
    // The helper's bundle at `path` under the root.
    fs::path placeHelper(const fs::path& relative)
    {
        const fs::path bundle = root_.path() / relative.relative_path();
        fs::create_directories(bundle / "Contents");
        std::ofstream(bundle / "Contents/Info.json") << R"({"CFBundleIdentifier": "com.norvane.AerloOfflineHelper"})";
        Foundation::Bundle::setMainBundlePath(bundle);
        return bundle;
    }
    // Launches, then runs the clock to `seconds`; the number of terminations.
    int launchAndRun(double seconds)
    {
        delegate_.applicationDidFinishLaunching();
        driver_.advance(seconds);
        return terminations_;
    }
    bool flagWritten()
    {
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        return Foundation::UserDefaults::suite(Foundation::UserDefaults::appGroupSuiteName)
            ->boolValue(AppDelegate::firstLaunchKey);
    }

    TempRoot root_;
    Foundation::ManualRunLoopDriver driver_;
    ConsoleCapture console_;
    std::shared_ptr<FakeLauncher> launcher_ = std::make_shared<FakeLauncher>();
    int terminations_ = 0;
    AppDelegate delegate_ {[this] { ++terminations_; }};
};

} // namespace

TEST_F(LoginItemHelper, WithTheMainApplicationRunningItLaunchesNothingAndQuitsAtTenSeconds)
{
    placeHelper("/Applications/Aerlo.app/Contents/Library/LoginItems/AerloControlHelper.app");
    launcher_->running = {{10, std::nullopt, {}},
                          {11, "com.norvane.AerloOffline.SMC.Helper", {}},
                          {12, "com.norvane.AerloOfflineX", {}},
                          {13, "com.norvane.AerloOffline", {}}};
    EXPECT_EQ(launchAndRun(9.99), 0);
    driver_.advance(0.01);
    EXPECT_EQ(terminations_, 1);
    EXPECT_TRUE(launcher_->launches.empty());
    EXPECT_FALSE(flagWritten());
    EXPECT_EQ(console_.output(), "");
}

TEST_F(LoginItemHelper, OnlyTheExactIdentifierCountsAsTheMainApplication)
{
    placeHelper("/Applications/Aerlo.app/Contents/Library/LoginItems/AerloControlHelper.app");
    launcher_->running = {
        {10, std::nullopt, {}}, {11, "com.norvane.AerloOffline.SMC.Helper", {}}, {12, "com.norvane.AerloOfflineX", {}}};
    EXPECT_EQ(launchAndRun(10.0), 1);
    ASSERT_EQ(launcher_->launches.size(), 1u);
    EXPECT_EQ(launcher_->launches[0].first, root_.path() / "Applications/Aerlo.app");
    EXPECT_FALSE(launcher_->launches[0].second) << "launched without activation";
    EXPECT_TRUE(flagWritten());
    EXPECT_EQ(console_.output(), "");
}

TEST_F(LoginItemHelper, AFailedLaunchPrintsOneLineAndStillQuits)
{
    placeHelper("/Applications/Aerlo.app/Contents/Library/LoginItems/AerloControlHelper.app");
    launcher_->failure = "no such program";
    EXPECT_EQ(launchAndRun(10.0), 1);
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"启动应用时发生错误: no such program"});
}

TEST_F(LoginItemHelper, AHelperOutsideAnApplicationsLoginItemsLaunchesNothing)
{
    for (const char* path : {"/AerloControlHelper.app", "/opt/Aerlo/Contents/Library/LoginItems/X.app",
                             "/A.app/Contents/Library/Items/X.app", "/A.app/Contents/Library/LoginItems/X"}) {
        console_.clear();
        terminations_ = 0;
        placeHelper(path);
        EXPECT_EQ(launchAndRun(10.0), 1) << path;
        EXPECT_TRUE(launcher_->launches.empty()) << path;
        const auto lines = console_.lines();
        ASSERT_EQ(lines.size(), 1u) << path;
        EXPECT_EQ(lines[0].rfind("启动应用时发生错误: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(path), std::string::npos) << "names the path: " << lines[0];
    }
    EXPECT_EQ(AppDelegate::mainBundlePath("/A.app/Contents/Library/LoginItems/X.app/"), fs::path("/A.app"));
}
