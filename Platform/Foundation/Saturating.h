#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace Foundation {

// A number's whole part, truncated toward zero and held at the int64 limits; NaN gives 0.
inline std::int64_t saturatedInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

// The same within the uint64 range; NaN and negative numbers give 0.
inline std::uint64_t saturatedUInt64(double value)
{
    if (std::isnan(value) || value <= 0)
        return 0;
    if (value >= 18446744073709551615.0)
        return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(value);
}

} // namespace Foundation
