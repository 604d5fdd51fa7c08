#include "Classes/App/AppDelegate.h"
#include "Classes/Configure/Global/CustomFanModeFlag.h"
#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/System/ActiveMachine.h"
#include "Platform/System/Logind/LogindPowerEventSource.h"
#include "tests/App/FakeLogind.h"
#include "tests/FanControl/HelperEndToEndTest.h"
#include "tests/Support/TestAccess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>


using namespace Aerlo;

// The whole control loop without windows: the application's delegate ticking on the manual clock,
// reading smcsim's two-fan machine, with the helper daemon installed into the temporary root and a
// fake logind on a private system bus.
class ControlEndToEndTest : public HelperEndToEndTest {
protected:
    void SetUp() override
    {
        HelperEndToEndTest::SetUp();
        if (HasFatalFailure())
            return;
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        SystemPlatform::ActiveMachine::select("mbp-m1pro-2fan");
        TestAccess::resetForTesting<SystemKit>();
        TestAccess::resetForTesting<SMCManager>();
        TestAccess::resetForTesting<SensorsReader>();
        systemBus_ = std::make_unique<PrivateBus>(root_.path() / "system-bus", "DBUS_SYSTEM_BUS_ADDRESS");
        sessionBus_ = std::make_unique<PrivateBus>(root_.path() / "session-bus", "DBUS_SESSION_BUS_ADDRESS");
        logind_ = std::make_unique<FakeLogind>();
        ASSERT_TRUE(logind_->serving());
    }

    void TearDown() override
    {
        delegate_.reset();
        logind_.reset();
        sessionBus_.reset();
        systemBus_.reset();
        customFanModeFlag = false;
        fanCount = fan0Speed = fan0MinSpeed = fan0MaxSpeed = fan1Speed = fan1MinSpeed = fan1MaxSpeed = 0;
        TestAccess::resetForTesting<SensorsReader>();
        TestAccess::resetForTesting<SMCManager>();
        SystemPlatform::ActiveMachine::select("");
        TestAccess::resetForTesting<SystemKit>();
        TestAccess::resetForTesting<Foundation::UserDefaults>();
        HelperEndToEndTest::TearDown();
    }

    // `smcsim ctl …`; what it prints.
    std::string control(std::vector<std::string> words)
    {
        words.insert(words.begin(), {"ctl", "--socket", IOKit::SocketSmcProtocol::defaultSocketPath().string()});
        const auto result = Foundation::Process::run(AERLO_SMCSIM, words);
        EXPECT_EQ(result.status, 0) << result.stderr_;
        return result.stdout_;
    }

    // The simulated machine's state.
    nlohmann::json snapshot()
    {
        const auto json = nlohmann::json::parse(control({"snapshot"}), nullptr, false);
        return json.is_discarded() ? nlohmann::json::object() : json;
    }

    // Ticks of the application, one simulated second apart, until `condition` holds (at most `ticks`).
    bool tickUntil(const std::function<bool()>& condition, int ticks = 10)
    {
        for (int i = 0; i < ticks; ++i) {
            driver_.advance(1.0);
            (void)helper().flush(5.0);
            if (condition())
                return true;
        }
        return false;
    }

    bool logged(const std::string& line) const
    {
        const auto lines = received();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::unique_ptr<PrivateBus> systemBus_;
    std::unique_ptr<PrivateBus> sessionBus_;
    std::unique_ptr<FakeLogind> logind_;
    std::shared_ptr<AppDelegate> delegate_;
};

TEST_F(ControlEndToEndTest, CustomRulesDriveTheSimulatedFansAndSleepReturnsThem)
{
    install();
    // The real chip idles near 65 °C, so the rule starts above that.
    QVFanRulesManager::saveFanRules({{"Any Sensor", 70, "All Fans", 60}});
    delegate_ = AppDelegate::make();
    delegate_->observePowerAndLockNotifications(std::make_shared<SystemPlatform::LogindPowerEventSource>());
    delegate_->startTimer();
    customFanModeFlag = true; // what the panel does when the custom mode is chosen

    // Cool: every tick leaves the fans to the system.
    ASSERT_TRUE(tickUntil([&] { return logged(mode(1, 0)); })) << ::testing::PrintToString(received());
    EXPECT_FALSE(logged(mode(0, 1)));

    control({"load", "1"});
    control({"advance", "30"});
    // trunc((max − min)·0.6 + min), with the maxima 5779 and 6241 and the minimum 0 the application reads.
    const std::string speed0 = speedSelector + " [0,3467]";
    const std::string speed1 = speedSelector + " [1,3744]";
    ASSERT_TRUE(tickUntil([&] { return logged(speed1); })) << ::testing::PrintToString(received());
    EXPECT_TRUE(logged(mode(0, 1)) && logged(speed0) && logged(mode(1, 1)));
    control({"advance", "1"}); // the machine heads for the new targets
    auto fans = snapshot()["fans"];
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_EQ(fans[0]["mode"], 1);
    EXPECT_EQ(fans[0]["target"], 3467);
    EXPECT_EQ(fans[1]["mode"], 1);
    EXPECT_EQ(fans[1]["target"], 3744);

    // The load falls: once the readings are cool again the fans go back to the system.
    control({"load", "0"});
    control({"advance", "120"});
    ASSERT_TRUE(tickUntil([&] {
        const auto now = snapshot()["fans"];
        return now[0]["mode"] == 0 && now[1]["mode"] == 0;
    }));

    // Hot again, then the machine goes to sleep: the fans return at once.
    control({"load", "1"});
    control({"advance", "30"});
    ASSERT_TRUE(tickUntil([&] { return snapshot()["fans"][1]["mode"] == 1; }));
    logind_->emitPrepareForSleep(true);
    ASSERT_TRUE(eventually([&] {
        driver_.runUntilIdle();
        return !logind_->inhibitorHeld(0);
    }));
    fans = snapshot()["fans"];
    EXPECT_EQ(fans[0]["mode"], 0);
    EXPECT_EQ(fans[1]["mode"], 0);
    EXPECT_FALSE(tickUntil([&] { return snapshot()["fans"][0]["mode"] == 1; }, 3))
        << "no forced write before the wake";
}
