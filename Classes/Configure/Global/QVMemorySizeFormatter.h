#pragma once

#include <cstdint>
#include <string>

namespace Aerlo {

// A byte count as a short size text.
class QVMemorySizeFormatter {
public:
    // With b the base: "0 KB" below b, then "%.0f KB", "%.0f MB", "%.1f GB", "%.1f TB" by powers of
    // b. A base that is not finite, below 1 or above 65535 counts as 1024.
    static std::string format(std::uint64_t bytes, double unit);
};

} // namespace Aerlo
