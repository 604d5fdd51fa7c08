#include "Classes/Configure/Global/JSONCoding.h"

namespace Aerlo::JSONCoding {

std::string compactText(const nlohmann::ordered_json& value)
{
    const std::string plain = value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string text;
    text.reserve(plain.size());
    // In compact JSON a "/" can only stand inside a string.
    for (const char c : plain) {
        if (c == '/')
            text += '\\';
        text += c;
    }
    return text;
}

} // namespace Aerlo::JSONCoding
