#pragma once

#include <cstdint>
#include <string>

namespace Aerlo {

// A size in bytes shown in steps of 1000.
struct DiskSize {
    std::int64_t value = 0;

    // "0 KB" below 1000, then "%.0f KB", "%.0f MB", "%.1f GB", "%.1f TB", dividing step by step.
    std::string formatted() const;
    // The value divided by 1000 once, twice, three and four times.
    double kilobytes() const;
    double megabytes() const;
    double gigabytes() const;
    double terabytes() const;
};

} // namespace Aerlo
