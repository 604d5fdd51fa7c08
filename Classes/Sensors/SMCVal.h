#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace Aerlo {

// The record through which a key is read. `key` and `dataType` hold four raw bytes each
// (one byte per character, U+0000..U+00FF).
struct SMCVal {
    std::string key;
    std::uint32_t dataSize = 0;
    std::string dataType;
    std::array<std::uint8_t, 32> bytes {};
};

} // namespace Aerlo
