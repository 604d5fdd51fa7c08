#include "Classes/FanControl/QVFanRulesManager.h"
#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/SettingsKey.h"
#include "tests/App/ControlCoreTest.h"
#include "tests/SMC/PluggedTransport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <thread>

using namespace Aerlo;

class ControlTickTest : public ControlCoreTest {
protected:
    // Two fans at 1234.5 and 999.4 RPM with maxima 6000 and 5000, and one Apple-silicon CPU key.
    void useTwoFanTable(double cpu = 45.0)
    {
        useTable(smcTable({valueKey("FNum", 2, "ui8 "), valueKey("F0Ac", 1234.5), valueKey("F1Ac", 999.4),
                           valueKey("F0Mx", 6000), valueKey("F1Mx", 5000), valueKey("Tp01", cpu)}));
    }
};

// The readers of a tick in their order, each reading for itself: the keys whose bytes they read.
std::vector<std::string> keysReadByTheTicksReaders(SensorsMachine& machine, bool arm)
{
    machine.device->resetLog();
    SMCManager& manager = SMCManager::shared();
    manager.readFans(*SMCManager::fanCountFromValue(SMC::shared().getValue("FNum")));
    SensorsReader::shared()->read();
    if (arm)
        manager.averageCPUTemperature();
    manager.refreshFanSpeeds();
    return machine.exchangedKeys(SMCSim::SimSmcDevice::kCommandReadBytes);
}

TEST_F(ControlTickTest, ATickReadsEachKeyOnceInTheOrderOfItsFirstReadAndSeesWhatItsReadersWouldSee)
{
    for (const auto& [profile, arm] : {std::pair{"mbp-m1pro-2fan", true}, {"macpro-intel-4fan", false}}) {
        SCOPED_TRACE(profile);
        useMachine(profile);
        delegate_->updateFanSpeedAndTemperature(); // the list is built and the keys' information asked
        const auto unshared = keysReadByTheTicksReaders(*sensors_, arm);
        ASSERT_GT(unshared.size(), firstOccurrences(unshared).size()) << "readers of a tick read keys again";
        const auto values = readValues(SensorsReader::shared()->list->sensors());
        const float read = arm ? SMCManager::shared().averageCPUTemperature().mean
                               : static_cast<float>(intelCPUAverageTemperature.load());
        const float cpu = read < 20 ? 38 : read;
        const std::vector<double> fans{fanCount, fan0Speed, fan0MaxSpeed, fan1Speed, fan1MaxSpeed};
        takePosts();

        sensors_->device->resetLog();
        delegate_->updateFanSpeedAndTemperature();
        EXPECT_EQ(sensors_->exchangedKeys(SMCSim::SimSmcDevice::kCommandReadBytes), firstOccurrences(unshared));
        EXPECT_EQ(sensors_->device->exchangeCount(), firstOccurrences(unshared).size()) << "no key information again";
        EXPECT_EQ(readValues(delegate_->sensorsList), values);
        EXPECT_FLOAT_EQ(delegate_->CPUTemperature, cpu);
        EXPECT_EQ((std::vector<double>{fanCount, fan0Speed, fan0MaxSpeed, fan1Speed, fan1MaxSpeed}), fans);
        EXPECT_EQ(takePosts().size(), 2u);

        // Nothing read in one tick serves the next.
        ASSERT_TRUE(sensors_->device->setValue("F0Ac", 2345));
        delegate_->updateFanSpeedAndTemperature();
        EXPECT_EQ(fan0Speed, 2345);
    }
}

TEST_F(ControlTickTest, TicksEverySecondInTheDefaultModeOnly)
{
    useTwoFanTable();
    delegate_->startTimer();
    driver_.advance(0.999);
    EXPECT_TRUE(takePosts().empty());
    driver_.advance(0.001);
    EXPECT_EQ(takePosts(), (std::vector<std::string>{"dashboardFans 1235 999", "fansController 1235 999"}));

    driver_.runModal([&] { driver_.advance(3.0); });
    EXPECT_EQ(takePosts().size(), 2u) << "the missed ticks are skipped, one runs when the modal ends";
    driver_.advance(0.5);
    EXPECT_TRUE(takePosts().empty());

    delegate_->startTimer(); // replaces the timer: one tick per second still
    driver_.advance(1.0);
    EXPECT_EQ(takePosts().size(), 2u);

    std::weak_ptr<AppDelegate> weak = delegate_;
    delegate_.reset();
    driver_.advance(2.0);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(takePosts().empty()) << "the timer holds the delegate weakly";
}

TEST_F(ControlTickTest, PostsRoundedSpeedsDashboardFirstAndRefreshesTheStatusItemAfterTheTick)
{
    useTwoFanTable();
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_EQ(takePosts(), (std::vector<std::string>{"dashboardFans 1235 999", "fansController 1235 999"}));
    EXPECT_TRUE(statusItem_->calls.empty()) << "queued on the main queue";
    EXPECT_EQ(popup_->updates.size(), 1u);
    EXPECT_EQ(delegate_->sensorsList.size(), SensorsReader::shared()->list->sensors().size());
    driver_.runUntilIdle();
    EXPECT_EQ(statusItem_->calls, std::vector<std::string>{"speeds 1235 999"});
    EXPECT_EQ(fanCount, 2);
    EXPECT_EQ(leftFanMaxSpeed, 6000);
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 45);
    EXPECT_TRUE(fanMessages().empty()) << "no rule is evaluated outside the custom mode";
}

TEST_F(ControlTickTest, TheCPUTemperatureHasAFloorOf38OnTheTickOnly)
{
    const struct {
        std::optional<bool> isARM;
        double intel;
        float before;
        float after;
    } cases[] = {
        {false, 19.9, 0, 38}, {false, 20.0, 0, 20}, {std::nullopt, 0, 25, 25}, {std::nullopt, 0, 10, 38},
    };
    for (const auto& c : cases) {
        intelCPUAverageTemperature = c.intel;
        delegate_->CPUTemperature = c.before;
        delegate_->updateCPUTemperature(c.isARM);
        EXPECT_FLOAT_EQ(delegate_->CPUTemperature, c.after);
    }

    useTwoFanTable(12.0);
    delegate_->updateCPUTemperature(true);
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 38);
    delegate_->updateCPUTemperatureFallback(true);
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 12) << "the fallback has no floor";
}

TEST_F(ControlTickTest, AnotherArchitectureKeepsTheTemperature)
{
    auto profile = std::make_shared<SMCSim::MachineProfile>(loadProfile("mbp-m1pro-2fan"));
    profile->facts.architecture = "ppc";
    SystemPlatform::ActiveMachine::set(profile);
    EXPECT_EQ(AppDelegate::machineIsARM(), std::nullopt);
    delegate_->CPUTemperature = 55;
    delegate_->updateCPUTemperature(AppDelegate::machineIsARM());
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 55);
}

TEST_F(ControlTickTest, InCustomModeTheTickEvaluatesTheRules)
{
    useTwoFanTable();
    QVFanRulesManager::saveFanRules({{"Any Sensor", 40, "All Fans", 50}});
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_TRUE(fanMessages().empty());
    customFanModeFlag = true;
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_EQ(newFanMessages(), (std::vector<std::string>{modeMessage(0, 1), speedMessage(0, 3000), modeMessage(1, 1),
                                                          speedMessage(1, 2500)}));
    EXPECT_TRUE(delegate_->hasSetFanSpeed);
}

TEST_F(ControlTickTest, WithoutAFanCountOnlyThePopupAndTheStatusItemChange)
{
    const struct {
        bool showTemperature;
        std::int64_t unitIndex;
        std::vector<std::string> calls;
    } cases[] = {
        {true, 0, {"hide fans", "width 65", "temperature 45℃"}},
        {true, 1, {"hide fans", "width 65", "temperature 113℉"}},
        {false, 0, {"hide fans", "width 30", "hide temperature"}},
    };
    useTable(smcTable({valueKey("Tp01", 45.0)}));
    (void)SystemKit::shared(); // the system record is gathered here, not by a background read mid-case
    for (const auto& c : cases) {
        Foundation::UserDefaults::standard().set(c.showTemperature, SettingsKey::isDisplayCPUStatusBar);
        setInteger(SettingsKey::temperatureUnitIndex, c.unitIndex);
        statusItem_->calls.clear();
        waitForFallbackRead();
        console_.clear();
        delegate_->updateFanSpeedAndTemperature();
        EXPECT_EQ(console_.lines(), std::vector<std::string>{"FNum not found"});
        EXPECT_EQ(statusItem_->calls, c.calls);
        EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 45);
        EXPECT_TRUE(takePosts().empty());
        driver_.runUntilIdle();
        EXPECT_EQ(statusItem_->calls, c.calls) << "no speed refresh is queued";
    }
    EXPECT_EQ(popup_->updates.size(), 3u) << "the copy is queued on the main queue";
}

TEST_F(ControlTickTest, OnIntelTheFallbackWalksTheCPUKeysAndKeepsItsPlace)
{
    // Keys 0-2 fail (absent, 0 and 120 °C), key 3 "TG0P" reads 70.
    useTable(smcTable({valueKey("TM0P", 0), valueKey("Tm0P", 120), valueKey("TG0P", 70), valueKey("TC0P", 50)}),
             "mbp-intel-2fan");
    fanCount = 1;
    SMCManager::shared().currentSMCKeyIndex = 0;
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 70);
    EXPECT_EQ(SMCManager::shared().currentSMCKeyIndex, 3);
    EXPECT_EQ(statusItem_->calls, (std::vector<std::string>{"hide fans", "width 30", "hide temperature"}));

    // From "TN0D" onwards only "TC0P" (index 11) reads; a huge index wraps to the key count.
    SMCManager::shared().currentSMCKeyIndex = 4 + 15 * 1000;
    delegate_->updateCPUTemperatureFallback(false);
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 50);
    EXPECT_EQ(SMCManager::shared().currentSMCKeyIndex, 11);

    useTable(smcTable({}), "mbp-intel-2fan");
    SMCManager::shared().currentSMCKeyIndex = 11;
    delegate_->updateCPUTemperatureFallback(false);
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 0) << "every key fails";
    EXPECT_EQ(SMCManager::shared().currentSMCKeyIndex, 11) << "a whole round ends where it began";
}

TEST_F(ControlTickTest, TheFallbackNeverQueuesASecondReadWhileOneRuns)
{
    useTable(smcTable({valueKey("Tp01", 45.0)}));
    const auto readsOfTheKey = [&] {
        const auto keys = sensors_->exchangedKeys(SMCSim::SimSmcDevice::kCommandReadBytes);
        return std::count(keys.begin(), keys.end(), "Tp01");
    };
    delegate_->refreshSensors(); // builds the list
    sensors_->device->resetLog();
    delegate_->refreshSensors();
    const auto perPass = readsOfTheKey();
    ASSERT_GT(perPass, 0);

    // The list held by another thread: the fallback's read stalls at its start.
    std::promise<void> holding;
    std::promise<void> release;
    std::thread holder([&] {
        SensorsReader::shared()->list->modifySensors([&](std::vector<Sensor_p>&) {
            holding.set_value();
            release.get_future().wait();
        });
    });
    holding.get_future().wait();
    for (int i = 0; i < 4; ++i)
        delegate_->updateWithoutFanCount();
    EXPECT_TRUE(delegate_->isFallbackReadRunning());
    sensors_->device->resetLog();
    release.set_value();
    holder.join();
    waitForFallbackRead();
    EXPECT_FALSE(delegate_->isFallbackReadRunning());
    EXPECT_EQ(readsOfTheKey(), perPass) << "one background pass";
}

TEST_F(ControlTickTest, WhileTheSMCIsOutTheItemSaysSoWithoutAReadingAndOneLineEachWay)
{
    useTwoFanTable();
    auto plug = std::make_shared<PluggedTransport>(sensors_->device, false);
    sensors_->registry = PluggedTransport::registryWith(plug);
    sensors_->share();
    Foundation::UserDefaults::standard().set(true, SettingsKey::isDisplayCPUStatusBar);
    setInteger(SettingsKey::temperatureUnitIndex, 0);
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_FALSE(delegate_->sensorsUnreadable);
    takePosts();

    plug->pulled = true;
    console_.clear();
    statusItem_->calls.clear();
    for (int tick = 0; tick < 3; ++tick) {
        waitForFallbackRead();
        delegate_->updateFanSpeedAndTemperature();
    }
    EXPECT_TRUE(delegate_->sensorsUnreadable);
    EXPECT_TRUE(std::isnan(delegate_->CPUTemperature));
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"The SMC cannot be read: " + SMC::errorText(IOKit::kIOReturnNoDevice)}));
    ASSERT_GE(statusItem_->calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(statusItem_->calls.begin(), statusItem_->calls.begin() + 4),
              (std::vector<std::string> {"tool tip " + LocalizationTable::text("sensors.unreadable"), "hide fans", "width 65",
                                         "temperature -℃"}));
    EXPECT_TRUE(takePosts().empty());

    plug->pulled = false;
    console_.clear();
    waitForFallbackRead();
    delegate_->updateFanSpeedAndTemperature();
    EXPECT_FALSE(delegate_->sensorsUnreadable);
    EXPECT_EQ(console_.lines(), (std::vector<std::string> {"The SMC can be read again.",
                                                          "The helper or the SMC came back: the fan mode in force is applied again."}));
    EXPECT_FLOAT_EQ(delegate_->CPUTemperature, 45);
}
