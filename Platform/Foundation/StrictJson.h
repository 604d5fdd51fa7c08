#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace Foundation {

// Parses `text` without throwing; the result is discarded when the text is not one JSON value (trailing
// data included) or an object holds a key twice, which sets `duplicate`. Json: nlohmann::json or
// nlohmann::ordered_json.
template <class Json>
Json parseRefusingDuplicateKeys(std::string_view text, bool& duplicate)
{
    // The keys seen in each open object, innermost last.
    std::vector<std::unordered_set<std::string>> keys;
    duplicate = false;
    const typename Json::parser_callback_t check = [&](int, nlohmann::detail::parse_event_t event, Json& parsed) {
        using Event = nlohmann::detail::parse_event_t;
        if (event == Event::object_start) {
            keys.emplace_back();
        } else if (event == Event::object_end) {
            if (!keys.empty())
                keys.pop_back();
        } else if (event == Event::key && !keys.empty() && parsed.is_string()) {
            if (!keys.back().insert(parsed.template get_ref<const std::string&>()).second)
                duplicate = true;
        }
        return !duplicate;
    };
    return Json::parse(text, check, false);
}

} // namespace Foundation
