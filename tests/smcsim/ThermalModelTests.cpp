#include "Classes/Sensors/SMC.h"
#include "Platform/Foundation/ManualClock.h"
#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/SMC/SimSmcTransport.h"
#include "Platform/SMC/ThermalModel.h"
#include "tests/Support/ConsoleCapture.h"
#include "tests/smcsim/SmcsimTestSupport.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using Aerlo::FanMode;

// A simulated machine with the model, read and written through the SMC client over a privileged
// in-process connection, on a manual clock.
struct Rig {
    explicit Rig(const char* json) : profile(SmcsimTest::profile(json))
    {
        device = std::make_shared<SMCSim::SimSmcDevice>(profile, clock);
        model = std::make_shared<SMCSim::ThermalModel>(profile);
        device->setDynamicValues(model);
        smc = std::make_unique<Aerlo::SMC>(
            IOKit::ServiceRegistry::withSMC(std::make_shared<SMCSim::SimSmcTransport>(device, true)));
    }

    double value(const char* key) { return smc->getValue(key).value_or(std::nan("")); }
    // A stopped fan's zero reads as absent, as on the hardware: 0 then.
    double speed(const char* key) { return smc->getValue(key).value_or(0); }
    void advance(double seconds) { clock.advance(seconds); }
    void setLoad(double load) { ASSERT_TRUE(model->setLoad(load, device->now())); }
    void force(int fan, int rpm)
    {
        smc->setFanMode(fan, FanMode::forced);
        smc->setFanSpeed(fan, rpm);
    }
    SMCSim::ThermalSnapshot snapshot() { return model->snapshot(device->now()); }

    SMCSim::MachineProfile profile;
    Foundation::ManualClock clock;
    std::shared_ptr<SMCSim::SimSmcDevice> device;
    std::shared_ptr<SMCSim::ThermalModel> model;
    std::unique_ptr<Aerlo::SMC> smc;
};

std::vector<std::uint8_t> floatBytes(float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
}

struct Machine {
    const char* name;
    const char* json;
    const char* hottestKey;
    double minSpeed;
    double maxSpeed;
};

const Machine machines[] = {
    {"apple silicon", SmcsimTest::appleSiliconProfile, "Tp05", 1200, 5800},
    {"intel", SmcsimTest::intelProfile, "TC1C", 2000, 6000},
};

TEST(ThermalModel, ForcedFanReachesItsTargetWithALagOfAboutASecond)
{
    for (const Machine& machine : machines) {
        SCOPED_TRACE(machine.name);
        Rig rig(machine.json);
        const double start = rig.speed("F0Ac");
        rig.force(0, 4000);
        EXPECT_EQ(rig.speed("F0Ac"), start) << "no jump at the write";

        rig.advance(1);
        const double share = (rig.speed("F0Ac") - start) / (4000 - start);
        EXPECT_GT(share, 0.3);
        EXPECT_LT(share, 0.7);

        rig.advance(4);
        EXPECT_NEAR(rig.speed("F0Ac"), 4000, 0.05 * 4000);
        rig.advance(10);
        EXPECT_EQ(rig.speed("F0Ac"), 4000);

        const auto snapshot = rig.snapshot();
        ASSERT_EQ(snapshot.fans.size(), 2u);
        EXPECT_TRUE(snapshot.fans[0].forced);
        EXPECT_EQ(snapshot.fans[0].goal, 4000);
        EXPECT_FALSE(snapshot.fans[1].forced) << "forcing fan 0 leaves fan 1 automatic";
    }
}

TEST(ThermalModel, ForcedTargetIsHeldWithinTheFanRange)
{
    Rig rig(SmcsimTest::appleSiliconProfile);
    rig.smc->setFanMode(0, FanMode::forced);
    ASSERT_TRUE(rig.smc->writeFanKey("F0Tg", floatBytes(9000)));
    rig.advance(20);
    EXPECT_EQ(rig.speed("F0Ac"), 5800);
    ASSERT_TRUE(rig.smc->writeFanKey("F0Tg", floatBytes(300)));
    rig.advance(20);
    EXPECT_EQ(rig.speed("F0Ac"), 1200);
}

TEST(ThermalModel, TemperaturesFallUnderLoadWhenFansSpeedUp)
{
    for (const Machine& machine : machines) {
        SCOPED_TRACE(machine.name);
        Rig rig(machine.json);
        rig.setLoad(0.85);
        rig.advance(600);
        const double automatic = rig.speed("F0Ac");
        const double hot = rig.value(machine.hottestKey);
        EXPECT_GE(automatic, machine.minSpeed);
        EXPECT_LT(automatic, machine.maxSpeed);
        EXPECT_GT(hot, 60);

        rig.force(0, static_cast<int>(machine.maxSpeed));
        rig.force(1, static_cast<int>(machine.maxSpeed));
        double previous = hot;
        for (int second = 10; second <= 60; second += 10) {
            rig.advance(10);
            const double now = rig.value(machine.hottestKey);
            EXPECT_LT(now, previous) << "at " << second << " s";
            previous = now;
        }
        EXPECT_EQ(rig.speed("F0Ac"), machine.maxSpeed);
        EXPECT_EQ(rig.speed("F1Ac"), machine.maxSpeed);
        EXPECT_LT(previous, hot - 3);
    }
}

TEST(ThermalModel, AutomaticCurveRisesFromMinimumToMaximum)
{
    for (const Machine& machine : machines) {
        SCOPED_TRACE(machine.name);
        Rig rig(machine.json);
        const SMCSim::ThermalParameters& parameters = rig.model->parameters();
        double previous = 0;
        for (double hottest = 0; hottest <= 150; hottest += 0.5) {
            const double speed = parameters.automaticSpeed(hottest, machine.minSpeed, machine.maxSpeed);
            EXPECT_GE(speed, previous) << hottest;
            EXPECT_GE(speed, machine.minSpeed);
            EXPECT_LE(speed, machine.maxSpeed);
            previous = speed;
        }
        EXPECT_EQ(parameters.automaticSpeed(parameters.curveLow, machine.minSpeed, machine.maxSpeed), machine.minSpeed);
        EXPECT_EQ(parameters.automaticSpeed(parameters.curveHigh, machine.minSpeed, machine.maxSpeed),
                  machine.maxSpeed);
        EXPECT_EQ(parameters.automaticSpeed(std::nan(""), machine.minSpeed, machine.maxSpeed), machine.minSpeed);
    }
}

TEST(ThermalModel, MoreLoadMeansFasterFansAndHotterSensors)
{
    for (const Machine& machine : machines) {
        SCOPED_TRACE(machine.name);
        double speed = -1;
        double temperature = 0;
        for (double load : {0.0, 0.25, 0.5, 0.75, 1.0}) {
            Rig rig(machine.json);
            rig.setLoad(load);
            rig.advance(900);
            EXPECT_GE(rig.speed("F0Ac"), speed) << "load " << load;
            EXPECT_GT(rig.value(machine.hottestKey), temperature) << "load " << load;
            speed = rig.speed("F0Ac");
            temperature = rig.value(machine.hottestKey);
        }
        EXPECT_GT(speed, machine.minSpeed) << "full load lifts the fans off their minimum";
    }
}

TEST(ThermalModel, AppleSiliconFansStopWhenCool)
{
    Rig rig(SmcsimTest::appleSiliconProfile);
    rig.advance(600);
    EXPECT_EQ(rig.speed("F0Ac"), 0);
    rig.setLoad(1);
    rig.advance(600);
    EXPECT_GE(rig.speed("F0Ac"), 1200);
    rig.setLoad(0);
    rig.advance(900);
    EXPECT_EQ(rig.speed("F0Ac"), 0);
}

TEST(ThermalModel, UnforcingReturnsTheFanToTheCurve)
{
    for (const Machine& machine : machines) {
        SCOPED_TRACE(machine.name);
        Rig forced(machine.json);
        Rig untouched(machine.json);
        forced.setLoad(1);
        untouched.setLoad(1);
        forced.force(0, static_cast<int>(machine.maxSpeed));
        forced.advance(120);
        untouched.advance(120);
        EXPECT_EQ(forced.speed("F0Ac"), machine.maxSpeed);

        forced.smc->setFanMode(0, FanMode::automatic);
        forced.advance(5);
        const auto snapshot = forced.snapshot();
        EXPECT_FALSE(snapshot.fans[0].forced);
        double hottest = 0;
        for (const auto& reading : snapshot.temperatures)
            hottest = std::max(hottest, reading.value);
        EXPECT_NEAR(snapshot.fans[0].goal,
                    forced.model->parameters().automaticSpeed(hottest, machine.minSpeed, machine.maxSpeed), 25);

        forced.advance(900);
        untouched.advance(905);
        EXPECT_NEAR(forced.speed("F0Ac"), untouched.speed("F0Ac"), 0.01 * machine.maxSpeed);
    }
}

TEST(ThermalModel, ReadingsDependOnTheClockNotOnHowOftenTheyAreRead)
{
    Rig often(SmcsimTest::intelProfile);
    Rig once(SmcsimTest::intelProfile);
    for (Rig* rig : {&often, &once}) {
        rig->setLoad(0.9);
        rig->force(0, 5000);
    }
    for (int i = 0; i < 162; ++i) {
        often.advance(0.37);
        often.speed("F0Ac");
        often.value("TC1C");
    }
    once.advance(162 * 0.37);
    for (const char* key : {"F0Ac", "F1Ac", "TC0P", "TC1C", "TG0P", "TB1T", "PSTR"})
        EXPECT_EQ(often.value(key), once.value(key)) << key;
}

TEST(ThermalModel, TemperaturesStartAtTheProfileValues)
{
    Rig rig(SmcsimTest::appleSiliconProfile);
    EXPECT_FLOAT_EQ(rig.value("Tp01"), 42);
    EXPECT_FALSE(rig.smc->getValue("Tm02")) << "a stored 0 reads as absent at start";
    rig.advance(600);
    EXPECT_NEAR(rig.value("Tp01"), 42, 0.5) << "an idle machine stays at its idle readings";
    EXPECT_GT(rig.value("Tm02"), rig.model->parameters().ambient);

    Rig intel(SmcsimTest::intelProfile);
    intel.setLoad(1);
    intel.advance(300);
    EXPECT_EQ(intel.value("TS0P"), 33) << "a scripted key is left to its script";
}

TEST(ThermalModel, PowerFollowsLoadAtOnce)
{
    Rig rig(SmcsimTest::appleSiliconProfile);
    const SMCSim::ThermalParameters& parameters = rig.model->parameters();
    EXPECT_FLOAT_EQ(rig.value("PSTR"), 8);
    rig.setLoad(0);
    const double idle = rig.value("PSTR");
    rig.setLoad(1);
    EXPECT_NEAR(rig.value("PSTR") - idle, parameters.systemPower, 1e-3);
    EXPECT_NEAR(rig.value("PCPC"), 5 + 0.9 * parameters.cpuPower, 1e-3);
    EXPECT_FLOAT_EQ(rig.value("VD0R"), 20) << "voltages are not power";
}

TEST(ThermalModel, RefusesValuesThatAreNoFanSettingsWithALine)
{
    Rig rig(SmcsimTest::appleSiliconProfile);
    rig.force(0, 3000);
    rig.advance(15);
    ASSERT_EQ(rig.speed("F0Ac"), 3000);

    ConsoleCapture console;
    EXPECT_TRUE(rig.smc->writeFanKey("F0Tg", floatBytes(std::numeric_limits<float>::quiet_NaN())));
    EXPECT_TRUE(rig.smc->writeFanKey("F0Tg", floatBytes(-500)));
    EXPECT_TRUE(rig.smc->writeFanKey("F0Tg", floatBytes(std::numeric_limits<float>::infinity())));
    EXPECT_TRUE(rig.smc->writeFanKeyChecked("F0Md", 2));
    EXPECT_TRUE(rig.smc->writeFanKey("F0Mn", floatBytes(9000)));
    EXPECT_FALSE(rig.model->setLoad(std::nan(""), rig.device->now()));
    EXPECT_FALSE(rig.model->setLoad(-0.1, rig.device->now()));
    EXPECT_FALSE(rig.model->setLoad(1.5, rig.device->now()));
    EXPECT_EQ(console.lines(), (std::vector<std::string> {
                                   "smcsim: F0Tg refused: nan is not a fan speed",
                                   "smcsim: F0Tg refused: -500 is not a fan speed",
                                   "smcsim: F0Tg refused: inf is not a fan speed",
                                   "smcsim: F0Md refused: mode 2 is not 0 or 1",
                                   "smcsim: F0Mn refused: 9000 is outside 0…5800",
                                   "smcsim: load nan refused: expected a number from 0 to 1",
                                   "smcsim: load -0.1 refused: expected a number from 0 to 1",
                                   "smcsim: load 1.5 refused: expected a number from 0 to 1",
                               }));

    rig.advance(15);
    EXPECT_EQ(rig.speed("F0Ac"), 3000) << "the fan keeps its last good target";
    const auto snapshot = rig.snapshot();
    EXPECT_TRUE(snapshot.fans[0].forced);
    EXPECT_EQ(snapshot.fans[0].minSpeed, 1200);
    EXPECT_EQ(snapshot.load, rig.model->parameters().load);
}

TEST(ThermalModel, CatchesUpAfterALongGap)
{
    Rig rig(SmcsimTest::intelProfile);
    rig.setLoad(1);
    rig.advance(3 * 86400.0);
    const double speed = rig.speed("F0Ac");
    const double hot = rig.value("TC1C");
    EXPECT_GE(speed, 2000);
    EXPECT_LE(speed, 6000);
    EXPECT_TRUE(std::isfinite(hot));
    rig.advance(60);
    EXPECT_NEAR(rig.value("TC1C"), hot, 0.5) << "a day of catching up ends at equilibrium";
}

TEST(ThermalParameters, ThermalSectionOverridesTheDefaults)
{
    SMCSim::ThermalParameters parameters;
    const auto applied = parameters.apply(R"({"ambient": 30, "load": 0.5, "cpu": {"gain": 70}, "stopWhenCool": true})");
    ASSERT_TRUE(applied) << applied.error();
    EXPECT_EQ(parameters.ambient, 30);
    EXPECT_EQ(parameters.load, 0.5);
    EXPECT_EQ(parameters.cpu.gain, 70);
    EXPECT_EQ(parameters.cpu.cooling, SMCSim::ThermalParameters {}.cpu.cooling);
    EXPECT_TRUE(parameters.stopWhenCool);

    const struct {
        const char* json;
        const char* error;
    } bad[] = {
        {"[]", "thermal: expected an object"},
        {R"({"ambient": "hot"})", "thermal.ambient: expected a number from -20 to 60"},
        {R"({"ambient": 1e300})", "thermal.ambient: expected a number from -20 to 60"},
        {R"({"load": -0.5})", "thermal.load: expected a number from 0 to 1"},
        {R"({"fanTimeConstant": 0})", "thermal.fanTimeConstant: expected a number from 0.05 to 60"},
        {R"({"breeze": 1})", "thermal: unknown field \"breeze\""},
        {R"({"curveLow": 90, "curveHigh": 80})", "thermal: \"curveLow\" must be below \"curveHigh\""},
        {R"({"cpu": {"gain": -1}})", "thermal.cpu.gain: expected a number from 0 to 150"},
        {R"({"gpu": {"speed": 1}})", "thermal.gpu: unknown field \"speed\""},
        {R"({"stopWhenCool": 1})", "thermal.stopWhenCool: expected true or false"},
    };
    for (const auto& item : bad) {
        SMCSim::ThermalParameters untouched = parameters;
        const auto applied = untouched.apply(item.json);
        EXPECT_FALSE(applied) << item.json;
        EXPECT_EQ(applied.error(), item.error);
        EXPECT_EQ(untouched.ambient, 30);
        EXPECT_EQ(untouched.cpu.gain, 70);
    }
}

TEST(ThermalParameters, ProfileSectionIsUsedAndABadOneFallsBackToDefaults)
{
    std::string json = SmcsimTest::appleSiliconProfile;
    const std::string withSection = json.substr(0, json.rfind('}')) + R"(, "thermal": {"ambient": 18}})";
    EXPECT_EQ(SMCSim::ThermalModel(SmcsimTest::profile(withSection.c_str())).parameters().ambient, 18);

    const std::string badSection = json.substr(0, json.rfind('}')) + R"(, "thermal": {"ambient": 99}})";
    ConsoleCapture console;
    const SMCSim::ThermalModel model(SmcsimTest::profile(badSection.c_str()));
    EXPECT_EQ(model.parameters().ambient, 24);
    EXPECT_EQ(console.errors(), "Machine profile test-apple-silicon: thermal.ambient: expected a number from -20 to "
                                "60 (defaults used)\n");
}

TEST(ThermalModel, EveryShippedProfileRunsWithTheModel)
{
    const auto names = SMCSim::MachineProfile::availableNames();
    if (names.empty())
        GTEST_SKIP() << "no machine profiles in " << SMCSim::MachineProfile::directory();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        auto profile = SMCSim::MachineProfile::load(name);
        ASSERT_TRUE(profile);
        SMCSim::ThermalModel model(*profile);
        ASSERT_TRUE(model.setLoad(1, 0));
        const auto snapshot = model.snapshot(600);
        for (const auto& fan : snapshot.fans) {
            EXPECT_GE(fan.actual, 0);
            EXPECT_LE(fan.actual, fan.maxSpeed);
        }
        for (const auto& reading : snapshot.temperatures)
            EXPECT_TRUE(std::isfinite(reading.value)) << reading.key;
    }
}

} // namespace
