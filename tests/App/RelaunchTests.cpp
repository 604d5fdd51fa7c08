#include "Classes/App/QVAppRelaunchManager.h"
#include "Classes/Sensors/SMCManager.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/System/ProcessImage.h"
#include "tests/App/ControlCoreTest.h"
#include "tests/Support/TestAccess.h"

#include <fstream>

using namespace Aerlo;
namespace fs = std::filesystem;

namespace {

class Relaunch : public ControlCoreTest {
protected:
    void SetUp() override
    {
        ControlCoreTest::SetUp();
        bundle_ = Foundation::Bundle::main().bundlePath();
        std::ofstream(bundle_ / "Contents/Info.json") << R"({"CFBundleExecutable": "Aerlo"})";
        Foundation::Bundle::setMainBundlePath(bundle_);
        TestAccess::resetForTesting<QVAppRelaunchManager>();
        manager().setLauncher([this](const fs::path& executable, const std::vector<std::string>& arguments) {
            launches_.push_back({executable, arguments, fanMessages().size()});
            if (failure_)
                return Foundation::Result<void>(Foundation::Error(*failure_));
            return Foundation::Result<void>();
        });
        fanCount = 2;
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<QVAppRelaunchManager>();
        ControlCoreTest::TearDown();
    }
    static QVAppRelaunchManager& manager() { return QVAppRelaunchManager::shared(); }
    // The bundle's executable becomes this very program.
    void runningImageInBundle()
    {
        fs::remove(bundle_ / "Contents/MacOS/Aerlo");
        fs::create_symlink(fs::read_symlink("/proc/self/exe"), bundle_ / "Contents/MacOS/Aerlo");
    }

    struct Launch {
        fs::path executable;
        std::vector<std::string> arguments;
        std::size_t fanMessagesBefore;
    };
    fs::path bundle_;
    std::vector<Launch> launches_;
    std::optional<std::string> failure_;
};

} // namespace

TEST_F(Relaunch, IntervalsFollowTheUnitAndBadOnesScheduleNothing)
{
    EXPECT_EQ(QVAppRelaunchManager::intervalSeconds(0, 30, 0, 3), 1800.0);
    EXPECT_EQ(QVAppRelaunchManager::intervalSeconds(2, 0, 0, 2), 7200.0);
    EXPECT_EQ(QVAppRelaunchManager::intervalSeconds(5, 99, 99, 0), 5.0);
    EXPECT_EQ(QVAppRelaunchManager::intervalSeconds(3, 0, 0, 1), 180.0);
    const struct {
        std::int64_t h, m, s;
        int unit;
    } rejected[] = {{0, 0, 0, 3},         {-1, 0, 0, 0},        {1, 0, 0, 4},
                    {INT64_MAX, 0, 0, 2}, {0, INT64_MAX, 0, 3}, {INT64_MAX / 3600, 0, INT64_MAX, 3}};
    for (const auto& r : rejected) {
        console_.clear();
        manager().scheduleRestart(0, 0, 10, 3);
        manager().scheduleRestart(r.h, r.m, r.s, r.unit);
        EXPECT_EQ(console_.lines().size(), 1u) << "one line for " << r.h << " " << r.unit;
        EXPECT_FALSE(manager().restartTimer) << "the earlier schedule is gone too";
    }
    driver_.advance(1e7);
    EXPECT_TRUE(launches_.empty());
}

TEST_F(Relaunch, OnlyTheLastScheduleFiresAndModalsDelayIt)
{
    manager().scheduleRestart(0, 30, 0, 3);
    driver_.advance(1000);
    manager().scheduleRestart(0, 30, 0, 3);
    driver_.advance(1799);
    EXPECT_TRUE(launches_.empty()) << "the first date passed without a relaunch";
    driver_.runModal([this] { driver_.advance(5); });
    EXPECT_EQ(launches_.size(), 1u) << "none inside the modal, one right after it";
}

TEST_F(Relaunch, TheSameImageReplacesItselfAfterTheFlushWithTheFansStillForced)
{
    runningImageInBundle();
    manager().scheduleRestart(0, 30, 0, 3);
    driver_.advance(1800);
    ASSERT_EQ(launches_.size(), 1u);
    EXPECT_EQ(launches_[0].executable, bundle_ / "Contents/MacOS/Aerlo");
    EXPECT_EQ(launches_[0].arguments, SystemPlatform::ProcessImage::startArguments());
    EXPECT_FALSE(launches_[0].arguments.empty());
    EXPECT_TRUE(fanMessages().empty()) << "the daemon keeps the mode for the same process";
    EXPECT_EQ(console_.output(), "");
}

TEST_F(Relaunch, ARebuiltImageHandsTheFansBackFirstAndAFailureKeepsRunning)
{
    ASSERT_FALSE(SystemPlatform::ProcessImage::isRunningImage(bundle_ / "Contents/MacOS/Aerlo"));
    setInteger("fanModeSelectedSegment", 1);
    failure_ = "exec failed";
    manager().scheduleRestart(0, 30, 0, 3);
    driver_.advance(1800);
    ASSERT_EQ(launches_.size(), 1u);
    const auto messages = fanMessages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(launches_[0].fanMessagesBefore, 2u) << "both fans back to the system before the exec";
    EXPECT_EQ(messages[0], modeMessage(0, 0));
    EXPECT_EQ(messages[1], modeMessage(1, 0));
    EXPECT_EQ(console_.lines(), std::vector<std::string> {"重启应用失败: exec failed"});

    driver_.advance(1799);
    EXPECT_EQ(launches_.size(), 1u);
    driver_.advance(1);
    EXPECT_EQ(launches_.size(), 2u) << "tried again one interval later";
}

TEST_F(Relaunch, TheEnvironmentOverrideMustBeAPositiveNumber)
{
    EXPECT_EQ(QVAppRelaunchManager::parseIntervalOverride("2.5"), 2.5);
    EXPECT_EQ(QVAppRelaunchManager::parseIntervalOverride(nullptr), std::nullopt);
    EXPECT_EQ(console_.output(), "");
    for (const char* bad : {"0", "-3", "inf", "nan", "5s", ""})
        EXPECT_EQ(QVAppRelaunchManager::parseIntervalOverride(bad), std::nullopt) << bad;
    EXPECT_EQ(console_.lines().size(), 5u);
    manager().setIntervalOverride(2.5);
    manager().scheduleRestart(0, 30, 0, 3);
    driver_.advance(2.5);
    EXPECT_EQ(launches_.size(), 1u);
}
