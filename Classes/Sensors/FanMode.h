#pragma once

#include <optional>

namespace Aerlo {

// The mode written for a fan, coded as its raw value.
enum class FanMode : int { automatic = 0, forced = 1 };

// The mode of a raw value; other integers make none.
inline std::optional<FanMode> fanMode(long long rawValue)
{
    if (rawValue == 0)
        return FanMode::automatic;
    if (rawValue == 1)
        return FanMode::forced;
    return std::nullopt;
}

} // namespace Aerlo
