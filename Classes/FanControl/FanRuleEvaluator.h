#pragma once

#include "Classes/FanControl/FanRule.h"
#include "Classes/Sensors/Sensor_p.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The speed range of fans 0 and 1 and the fan count, as the process-wide fan values hold them.
struct FanLimits {
    double fanCount = 0;
    double fan0MinSpeed = 0;
    double fan0MaxSpeed = 0;
    double fan1MinSpeed = 0;
    double fan1MaxSpeed = 0;

    // The process-wide values now.
    static FanLimits current();
};

// One fan to force at a speed.
struct FanTarget {
    std::int64_t id = 0;
    std::int64_t speed = 0;
    bool operator==(const FanTarget&) const = default;
};

// The custom rules turned into fan writes. The decision is made first and sent once: a tick either
// restores the fans or forces them, never both.
class FanRuleEvaluator {
public:
    // Whether the rule fires on the readings: the first reading with its name, or for "Any Sensor"
    // any temperature reading of a known group, has a finite value whose whole part is above the
    // threshold.
    static bool fires(const FanRule& rule, const std::vector<Sensor_p>& sensors);
    // Of the "All Fans" rules that fire, the one with the highest percentage (the first on a tie).
    static std::optional<FanRule> winner(const std::vector<FanRule>& rules, const std::vector<Sensor_p>& sensors);
    // The speeds for a percentage (clamped to 0-100) on the fans the machine has, at most fans 0 and 1.
    // A fan whose maximum is unreadable or not above its minimum is left out and named in `skipped`.
    static std::vector<FanTarget> targets(std::int64_t percentage, const FanLimits& limits,
                                          std::vector<std::int64_t>* skipped = nullptr);

    // One evaluation: the winner's speeds are sent (mode 1, then the speed, fan 0 first), or the fans
    // are restored when no rule fires. True when fans were forced.
    static bool apply(const std::vector<FanRule>& rules, const std::vector<Sensor_p>& sensors, const FanLimits& limits);
};

// Fans 0 and 1 (fan 0 alone on a machine with fewer than two) back to automatic through the helper.
void restoreAutomaticFanControl();

} // namespace Aerlo
