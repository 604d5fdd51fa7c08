#include "Classes/FanControl/FanRuleEvaluator.h"
#include "Classes/Sensors/SMCManager.h"
#include "tests/FanControl/HelperClientTest.h"

#include <cmath>
#include <gtest/gtest.h>

using Aerlo::FanLimits;
using Aerlo::FanRule;
using Aerlo::FanRuleEvaluator;
using Aerlo::Sensor;
using Aerlo::Sensor_p;
using Aerlo::SensorGroup;
using Aerlo::SensorType;

namespace {

Sensor_p reading(std::string name, double value, SensorGroup group = SensorGroup::CPU,
                 SensorType type = SensorType::temperature)
{
    Sensor sensor;
    sensor.key = name;
    sensor.name = std::move(name);
    sensor.value = value;
    sensor.group = group;
    sensor.type = type;
    return sensor;
}

std::string mode(int fan, int value)
{
    return modeSelector + " [" + std::to_string(fan) + "," + std::to_string(value) + "]";
}

std::string speed(int fan, long long value)
{
    return speedSelector + " [" + std::to_string(fan) + "," + std::to_string(value) + "]";
}

const FanLimits twoFans {2, 0, 6000, 0, 5000};

} // namespace

// Each case: the rules and readings of one evaluation and the exact fan messages it sends.
class FanRuleEvaluationTest : public HelperClientTest {
protected:
    std::vector<std::string> fanMessages() const
    {
        std::vector<std::string> lines;
        for (const auto& line : sent())
            if (line.rfind("setSMCPath:", 0) != 0)
                lines.push_back(line);
        return lines;
    }
};

TEST_F(FanRuleEvaluationTest, DecidesFirstAndSendsOnce)
{
    const double nan = std::nan("");
    const FanRule cpu60 {"CPU Core 1", 60, "All Fans", 50};
    const std::vector<std::string> restoreTwo {mode(0, 0), mode(1, 0)};
    const struct {
        const char* name;
        std::vector<FanRule> rules;
        std::vector<Sensor_p> readings;
        FanLimits limits;
        std::vector<std::string> messages;
        bool forced;
        std::vector<std::string> printed;
    } cases[] = {
        {"60.9 is not above 60", {cpu60}, {reading("CPU Core 1", 60.9)}, twoFans, restoreTwo, false, {}},
        {"61.0 is above 60",
         {cpu60},
         {reading("CPU Core 1", 61.0)},
         twoFans,
         {mode(0, 1), speed(0, 3000), mode(1, 1), speed(1, 2500)},
         true,
         {}},
        {"a tie goes to the first",
         {{"A", 10, "All Fans", 40}, {"Any Sensor", 10, "All Fans", 40}},
         {reading("A", 50)},
         {1, 0, 1000, 0, 0},
         {mode(0, 1), speed(0, 400)},
         true,
         {}},
        {"the highest wins wherever it stands",
         {{"A", 10, "All Fans", 40}, {"B", 10, "All Fans", 70}},
         {reading("B", 50), reading("A", 50)},
         {1, 0, 1000, 0, 0},
         {mode(0, 1), speed(0, 700)},
         true,
         {}},
        {"a rule not for all fans takes no part",
         {{"A", 10, "", 90}, {"A", 10, "All Fans", 20}},
         {reading("A", 50)},
         {1, 0, 1000, 0, 0},
         {mode(0, 1), speed(0, 200)},
         true,
         {}},
        {"a rule not for all fans alone restores",
         {{"A", 10, "", 90}},
         {reading("A", 50)},
         twoFans,
         restoreTwo,
         false,
         {}},
        {"0-6000 at 35 %",
         {{"A", 10, "All Fans", 35}},
         {reading("A", 50)},
         {1, 0, 6000, 0, 0},
         {mode(0, 1), speed(0, 2100)},
         true,
         {}},
        {"0-5999 at 33 % is truncated",
         {{"A", 10, "All Fans", 33}},
         {reading("A", 50)},
         {1, 0, 5999, 0, 0},
         {mode(0, 1), speed(0, 1979)},
         true,
         {}},
        {"any sensor ignores unknown groups and other types",
         {{"Any Sensor", 40, "All Fans", 80}},
         {reading("X", 90, SensorGroup::unknown), reading("V", 90, SensorGroup::CPU, SensorType::voltage),
          reading("F", 4000, SensorGroup::sensor, SensorType::fan)},
         twoFans,
         restoreTwo,
         false,
         {}},
        {"any sensor fires on a known temperature",
         {{"Any Sensor", 40, "All Fans", 80}},
         {reading("X", 90, SensorGroup::unknown), reading("GPU", 41, SensorGroup::GPU)},
         twoFans,
         {mode(0, 1), speed(0, 4800), mode(1, 1), speed(1, 4000)},
         true,
         {}},
        {"a cold named rule beside a hot one sends no restore",
         {{"Cold", 80, "All Fans", 30}, {"Hot", 50, "All Fans", 60}},
         {reading("Cold", 40), reading("Hot", 70)},
         twoFans,
         {mode(0, 1), speed(0, 3600), mode(1, 1), speed(1, 3000)},
         true,
         {}},
        {"a missing sensor restores",
         {{"Gone", 10, "All Fans", 60}},
         {reading("A", 90)},
         twoFans,
         restoreTwo,
         false,
         {}},
        {"no rules restore", {}, {reading("A", 90)}, twoFans, restoreTwo, false, {}},
        {"NaN and infinity do not fire",
         {{"A", 10, "All Fans", 60}, {"Any Sensor", 10, "All Fans", 60}},
         {reading("A", nan), reading("B", INFINITY)},
         twoFans,
         restoreTwo,
         false,
         {}},
        {"one fan writes fan 0 only",
         {{"A", 10, "All Fans", 50}},
         {reading("A", 50)},
         {1, 0, 4000, 0, 4000},
         {mode(0, 1), speed(0, 2000)},
         true,
         {}},
        {"one fan restores fan 0 only", {}, {}, {1, 0, 4000, 0, 4000}, {mode(0, 0)}, false, {}},
        {"three fans write fans 0 and 1",
         {{"A", 10, "All Fans", 50}},
         {reading("A", 50)},
         {3, 0, 4000, 0, 2000},
         {mode(0, 1), speed(0, 2000), mode(1, 1), speed(1, 1000)},
         true,
         {}},
        {"three fans restore fans 0 and 1", {}, {}, {3, 0, 4000, 0, 2000}, restoreTwo, false, {}},
        {"250 % is clamped to the maximum",
         {{"A", 10, "All Fans", 250}},
         {reading("A", 50)},
         twoFans,
         {mode(0, 1), speed(0, 6000), mode(1, 1), speed(1, 5000)},
         true,
         {}},
        {"-5 % is clamped to the minimum",
         {{"A", 10, "All Fans", -5}},
         {reading("A", 50)},
         {1, 0, 6000, 0, 0},
         {mode(0, 1), speed(0, 0)},
         true,
         {}},
        {"an unreadable maximum forces nothing",
         {{"A", 10, "All Fans", 50}},
         {reading("A", 50)},
         {2, 0, -1, 0, 5000},
         {mode(1, 1), speed(1, 2500)},
         true,
         {"Fan 0 has no usable speed range; it is not forced."}},
        {"four writes whatever the reading order",
         {{"A", 10, "All Fans", 50}},
         {reading("A", 50), reading("B", 50), reading("A", 70), reading("C", 5)},
         twoFans,
         {mode(0, 1), speed(0, 3000), mode(1, 1), speed(1, 2500)},
         true,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Aerlo::fanCount = c.limits.fanCount;
        const std::size_t before = fanMessages().size();
        console_.clear();
        EXPECT_EQ(FanRuleEvaluator::apply(c.rules, c.readings, c.limits), c.forced);
        const auto all = fanMessages();
        EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), c.messages);
        EXPECT_EQ(console_.lines(), c.printed);
    }
    Aerlo::fanCount = 0;
}

TEST_F(FanRuleEvaluationTest, TargetsStayWithinTheFansTheMachineHas)
{
    const struct {
        FanLimits limits;
        std::vector<Aerlo::FanTarget> targets;
        std::vector<std::int64_t> skipped;
    } cases[] = {
        {{0, 0, 6000, 0, 6000}, {}, {}},
        {{std::nan(""), 0, 6000, 0, 6000}, {}, {}},
        {{0.5, 0, 6000, 0, 6000}, {}, {}},
        {{2, 0, 0, 0, std::nan("")}, {}, {0, 1}},
        {{2, 1200, 1000, 0, INFINITY}, {}, {0, 1}},
        {{2, 1200, 5200, 0, 5000}, {{0, 3200}, {1, 2500}}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::int64_t> skipped;
        EXPECT_EQ(FanRuleEvaluator::targets(50, c.limits, &skipped), c.targets);
        EXPECT_EQ(skipped, c.skipped);
    }
}

TEST(FanRuleWinner, TheHighestPercentageAndOnATieTheFirst)
{
    const std::vector<Sensor_p> hot {reading("A", 50), reading("B", 50)};
    const FanRule a {"A", 10, "All Fans", 40};
    const FanRule any {"Any Sensor", 10, "All Fans", 40};
    const FanRule b {"B", 10, "All Fans", 70};
    EXPECT_EQ(FanRuleEvaluator::winner({a, any}, hot), a);
    EXPECT_EQ(FanRuleEvaluator::winner({any, a}, hot), any);
    EXPECT_EQ(FanRuleEvaluator::winner({a, b, any}, hot), b);
    EXPECT_EQ(FanRuleEvaluator::winner({b, a}, hot), b);
    EXPECT_EQ(FanRuleEvaluator::winner({{"B", 10, "", 90}}, hot), std::nullopt) << "not for all fans";
    EXPECT_EQ(FanRuleEvaluator::winner({{"B", 50, "All Fans", 90}}, hot), std::nullopt) << "50 is not above 50";
}
