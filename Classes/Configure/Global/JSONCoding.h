#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace Aerlo {

// JSON as the platform's coders write and describe it.
namespace JSONCoding {

// The coders' error descriptions.
inline constexpr std::string_view unreadableData = "The data couldn’t be read because it isn’t in the correct format.";
inline constexpr std::string_view missingData = "The data couldn’t be read because it is missing.";
inline constexpr std::string_view unwritableData =
    "The data couldn’t be written because it isn’t in the correct format.";

// Compact UTF-8 text with "/" escaped, keys in the value's own order. Every text in `value` must be
// valid UTF-8 (callers check; invalid bytes would be replaced).
std::string compactText(const nlohmann::ordered_json& value);

} // namespace JSONCoding

} // namespace Aerlo
