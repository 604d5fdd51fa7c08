#include "Classes/FanControl/FanRuleEvaluator.h"

#include "Classes/FanControl/SMCHelper.h"
#include "Classes/Sensors/SMCManager.h"
#include "Platform/Foundation/Console.h"

#include <algorithm>
#include <cmath>

namespace Aerlo {

namespace {

// The reading's whole part, when it has one that fits 64 bits.
std::optional<std::int64_t> wholePart(double value)
{
    if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

bool above(const FanRule& rule, const Sensor_p& reading)
{
    const auto whole = wholePart(reading.value());
    return whole && rule.sensorTemperature < *whole;
}

// Fans that exist, counted from a fan count that may be anything.
std::int64_t fansPresent(double fanCount)
{
    if (!std::isfinite(fanCount) || fanCount < 1)
        return 0;
    return fanCount >= 2 ? 2 : 1;
}

} // namespace

FanLimits FanLimits::current()
{
    return {Aerlo::fanCount, Aerlo::fan0MinSpeed, Aerlo::fan0MaxSpeed, Aerlo::fan1MinSpeed, Aerlo::fan1MaxSpeed};
}

bool FanRuleEvaluator::fires(const FanRule& rule, const std::vector<Sensor_p>& sensors)
{
    const auto named = std::find_if(sensors.begin(), sensors.end(),
                                    [&](const Sensor_p& reading) { return reading.name() == rule.sensorType; });
    if (named != sensors.end() && above(rule, *named))
        return true;
    if (rule.sensorType != FanRule::anySensor)
        return false;
    return std::any_of(sensors.begin(), sensors.end(), [&](const Sensor_p& reading) {
        return reading.group() != SensorGroup::unknown && reading.type() == SensorType::temperature
               && above(rule, reading);
    });
}

std::optional<FanRule> FanRuleEvaluator::winner(const std::vector<FanRule>& rules, const std::vector<Sensor_p>& sensors)
{
    std::optional<FanRule> best;
    for (const FanRule& rule : rules) {
        if (rule.fanType != FanRule::allFans || !fires(rule, sensors))
            continue;
        if (!best || rule.fanSpeedPercentage > best->fanSpeedPercentage)
            best = rule;
    }
    return best;
}

std::vector<FanTarget> FanRuleEvaluator::targets(std::int64_t percentage, const FanLimits& limits,
                                                 std::vector<std::int64_t>* skipped)
{
    const double p = std::clamp(static_cast<double>(percentage) * 0.01, 0.0, 1.0);
    std::vector<FanTarget> result;
    for (std::int64_t id = 0; id < fansPresent(limits.fanCount); ++id) {
        const double minSpeed = id == 0 ? limits.fan0MinSpeed : limits.fan1MinSpeed;
        const double maxSpeed = id == 0 ? limits.fan0MaxSpeed : limits.fan1MaxSpeed;
        const auto speed = wholePart((maxSpeed - minSpeed) * p + minSpeed);
        if (!std::isfinite(minSpeed) || !std::isfinite(maxSpeed) || !(maxSpeed > minSpeed) || !speed) {
            if (skipped)
                skipped->push_back(id);
            continue;
        }
        result.push_back({id, *speed});
    }
    return result;
}

bool FanRuleEvaluator::apply(const std::vector<FanRule>& rules, const std::vector<Sensor_p>& sensors,
                             const FanLimits& limits)
{
    const auto rule = winner(rules, sensors);
    if (!rule) {
        restoreAutomaticFanControl();
        return false;
    }
    std::vector<std::int64_t> skipped;
    const auto speeds = targets(rule->fanSpeedPercentage, limits, &skipped);
    for (const std::int64_t id : skipped)
        Foundation::Console::print("Fan " + std::to_string(id) + " has no usable speed range; it is not forced.");
    const auto helper = SMCHelper::shared();
    for (const FanTarget& target : speeds) {
        helper->setFanMode(target.id, 1);
        helper->setFanSpeed(target.id, target.speed);
    }
    return !speeds.empty();
}

void restoreAutomaticFanControl()
{
    const auto helper = SMCHelper::shared();
    helper->setFanMode(0, 0);
    if (fanCount >= 2)
        helper->setFanMode(1, 0);
}

} // namespace Aerlo
