#pragma once

#include <cstdint>
#include <string>

namespace Aerlo {

// A byte count shown in steps of 1024.
struct MemorySize {
    std::uint64_t value = 0;

    // "0 KB" below 1024, then "%.0f KB", "%.0f MB", "%.1f GB", "%.1f TB".
    std::string formatted() const;
};

} // namespace Aerlo
