#pragma once

#include <any>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace Aerlo {

// One entry of an option list. `additional` may hold a value of any type (an empty any means
// none); only key and value are coded.
struct KeyValue_t {
    std::string key;
    std::string value;
    std::any additional;

    nlohmann::ordered_json encode() const;
    // Both keys are required texts; `additional` comes back empty.
    static std::optional<KeyValue_t> decode(const nlohmann::ordered_json& json);
};

} // namespace Aerlo
