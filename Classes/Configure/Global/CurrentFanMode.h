#pragma once

#include <cstdint>
#include <optional>

namespace Aerlo {

// The user's fan mode: the segment of the panels' mode control and the value of "fanModeSelectedSegment".
enum class CurrentFanMode : std::int64_t { auto_ = 0, max = 1, forced = 2, custom = 3 };

// The mode of a raw value; none outside 0-3.
constexpr std::optional<CurrentFanMode> currentFanModeFromRawValue(std::int64_t rawValue)
{
    if (rawValue < 0 || rawValue > 3)
        return std::nullopt;
    return static_cast<CurrentFanMode>(rawValue);
}

} // namespace Aerlo
