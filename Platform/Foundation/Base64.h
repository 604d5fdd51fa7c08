#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

// Base64 with the standard alphabet and "=" padding, no line breaks.
class AERLO_FOUNDATION_EXPORT Base64 {
public:
    using Data = std::vector<std::uint8_t>;

    static std::string encode(const Data& bytes);
    static std::string encode(std::string_view bytes);
    // Strict: the length is a multiple of 4 and every character is in the alphabet or final padding;
    // line breaks, spaces and anything else give nothing.
    static std::optional<Data> decode(std::string_view text);
};

} // namespace Foundation
