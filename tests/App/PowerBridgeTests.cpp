#include "Classes/Configure/Global/SettingsKey.h"
#include "Platform/System/Logind/LogindPowerEventSource.h"
#include "tests/App/ControlCoreTest.h"
#include "tests/App/FakeLogind.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace Aerlo;

namespace {

const std::string sleepLine = "----- 开始睡眠，停止控制风扇，恢复为自动模式！----- ";

} // namespace

// The bridge against a fake logind on a private system bus and a private session bus.
class PowerBridgeTest : public ControlCoreTest {
protected:
    void SetUp() override
    {
        ControlCoreTest::SetUp();
        systemBus_ = std::make_unique<PrivateBus>(root_.path() / "system-bus", "DBUS_SYSTEM_BUS_ADDRESS");
        sessionBus_ = std::make_unique<PrivateBus>(root_.path() / "session-bus", "DBUS_SESSION_BUS_ADDRESS");
        ASSERT_TRUE(systemBus_->running() && sessionBus_->running());
        logind_ = std::make_unique<FakeLogind>();
        ASSERT_TRUE(logind_->serving());
        // At each restore message: whether the inhibitor taken last was still held.
        respond([this](const XPC::Request& request) {
            if (request.sel == modeSelector) {
                const bool held = logind_->inhibitorHeld(logind_->inhibitorsTaken() - 1);
                std::lock_guard lock(mutex_);
                heldAtRestore_.push_back(held);
            }
            return XPC::RecordingTransport::Response::reply();
        });
    }

    void TearDown() override
    {
        delegate_.reset(); // stops the bridge
        logind_.reset();
        sessionBus_.reset();
        systemBus_.reset();
        ControlCoreTest::TearDown();
    }

    // Runs the main queue until `condition` holds (at most 10 s of real time).
    bool pumpUntil(const std::function<bool()>& condition)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            driver_.runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        driver_.runUntilIdle();
        return true;
    }

    // Whether nothing more arrives within a short real-time span.
    void settle()
    {
        for (int i = 0; i < 50; ++i) {
            driver_.runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::vector<bool> heldAtRestore()
    {
        std::lock_guard lock(mutex_);
        return heldAtRestore_;
    }

    std::unique_ptr<PrivateBus> systemBus_;
    std::unique_ptr<PrivateBus> sessionBus_;
    std::unique_ptr<FakeLogind> logind_;
    std::shared_ptr<SystemPlatform::LogindPowerEventSource> bridge_ =
        std::make_shared<SystemPlatform::LogindPowerEventSource>();
    std::mutex mutex_;
    std::vector<bool> heldAtRestore_;
};

TEST_F(PowerBridgeTest, TheInhibitorIsReleasedOnlyAfterTheRestoresWereSent)
{
    fanCount = 2;
    delegate_->observePowerAndLockNotifications(bridge_);
    EXPECT_EQ(logind_->inhibitCalls(), std::vector<std::string> {"sleep:shutdown delay"});
    ASSERT_TRUE(logind_->inhibitorHeld(0));

    logind_->emitPrepareForSleep(true);
    ASSERT_TRUE(pumpUntil([&] { return !logind_->inhibitorHeld(0); }));
    EXPECT_EQ(fanMessages(), (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(heldAtRestore(), (std::vector<bool> {true, true}));
    EXPECT_EQ(takePosts(), std::vector<std::string> {"updateFanAutomatic"});
    EXPECT_EQ(console_.lines(), std::vector<std::string> {sleepLine});
    EXPECT_FALSE(bridge_->holdsInhibitor());

    // The wake re-applies the saved mode (trigger 0) and takes a new inhibitor.
    setInteger(SettingsKey::fanModeSelectedSegment, 1);
    logind_->emitPrepareForSleep(false);
    ASSERT_TRUE(pumpUntil([&] { return logind_->inhibitorsTaken() == 2 && logind_->inhibitorHeld(1); }));
    ASSERT_TRUE(pumpUntil([&] { return bridge_->holdsInhibitor(); }));
    EXPECT_EQ(takePosts(), std::vector<std::string> {"MaximumFanModeNotification"});

    logind_->emitPrepareForShutdown(true);
    ASSERT_TRUE(pumpUntil([&] { return !logind_->inhibitorHeld(1); }));
    EXPECT_EQ(fanMessages(),
              (std::vector<std::string> {modeMessage(0, 0), modeMessage(1, 0), modeMessage(0, 0), modeMessage(1, 0)}));
    EXPECT_EQ(heldAtRestore(), (std::vector<bool> {true, true, true, true}));
}

TEST_F(PowerBridgeTest, TheWakeIsPostedOnTheWorkspaceCentre)
{
    setInteger(SettingsKey::fanModeSelectedSegment, 2);
    delegate_->observePowerAndLockNotifications(bridge_);
    logind_->emitPrepareForSleep(false);
    std::vector<std::string> posts;
    ASSERT_TRUE(pumpUntil([&] {
        auto more = takePosts();
        posts.insert(posts.end(), more.begin(), more.end());
        return !posts.empty();
    }));
    EXPECT_EQ(posts, std::vector<std::string> {"ManualFanModeNotification"});
}

TEST_F(PowerBridgeTest, LockChangesArePostedOncePerChangeFromEitherBus)
{
    delegate_->observePowerAndLockNotifications(bridge_);
    const auto lines = [&] { return console_.lines(); };

    logind_->setLockedHint(true);
    ASSERT_TRUE(pumpUntil([&] { return lines().size() == 2; }));
    logind_->emitLock(); // the same state: nothing more
    logind_->emitScreenSaverActive(true);
    settle();
    EXPECT_EQ(lines(), (std::vector<std::string> {
                           "用户已锁定屏幕", "触发条件《开机后即控制风扇》 ---- 索引 0, 直接返回，不恢复系统控制"}));

    console_.clear();
    logind_->emitScreenSaverActive(false);
    ASSERT_TRUE(pumpUntil([&] { return lines().size() == 2; }));
    logind_->emitUnlock();
    logind_->setLockedHint(false);
    settle();
    EXPECT_EQ(lines(), (std::vector<std::string> {
                           "用户已解锁屏幕", "触发条件《开机后即控制风扇》 ---- 索引 0, 直接返回，不恢复系统控制"}));

    console_.clear();
    logind_->emitLock();
    ASSERT_TRUE(pumpUntil([&] { return lines().size() == 2; }));
    EXPECT_EQ(lines().front(), "用户已锁定屏幕");
}

TEST(PowerBridgeWithoutBus, StartsNothingAndSaysSoOnce)
{
    ConsoleCapture console;
    const char* variables[] = {"DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"};
    std::vector<std::optional<std::string>> previous;
    for (const char* variable : variables) {
        const char* value = std::getenv(variable);
        previous.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        ::setenv(variable, "unix:path=/nonexistent/aerlo-test-bus", 1);
    }
    SystemPlatform::LogindPowerEventSource bridge;
    EXPECT_FALSE(bridge.start());
    EXPECT_FALSE(bridge.holdsInhibitor());
    bridge.stop();
    EXPECT_EQ(console.output(), "");
    EXPECT_EQ(console.errors(), "No D-Bus system or session bus: sleep, wake and lock events will not be seen.\n");
    for (std::size_t i = 0; i < 2; ++i) {
        if (previous[i])
            ::setenv(variables[i], previous[i]->c_str(), 1);
        else
            ::unsetenv(variables[i]);
    }
}
