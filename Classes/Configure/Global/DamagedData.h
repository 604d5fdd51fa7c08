#pragma once

#include "Platform/Foundation/PropertyListValue.h"

#include <string_view>

namespace Aerlo {

// Stored bytes that cannot be decoded, kept byte for byte under a second key of the standard suite before
// anything overwrites them, so that they can still be mended by hand.
class DamagedData {
public:
    // Stores `bytes` under `asideKey` and prints `line` followed by that key; does nothing when the key
    // already holds these bytes. False when the store refuses the write.
    static bool keepAside(std::string_view asideKey, const Foundation::PropertyListValue::Data& bytes,
                          std::string_view line);
};

} // namespace Aerlo
