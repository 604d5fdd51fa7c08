#include "Classes/Configure/SystemKit/QVSystemProfilerParser.h"

namespace Aerlo {

namespace {

std::string_view trimmedOfSpacesAndTabs(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::optional<std::string> QVSystemProfilerParser::line(const std::vector<std::string>& lines, std::string_view key)
{
    for (const std::string& each : lines) {
        const std::string_view trimmed = trimmedOfSpacesAndTabs(each);
        if (trimmed.size() > key.size() && trimmed.starts_with(key) && trimmed[key.size()] == ':')
            return std::string(trimmed);
    }
    return std::nullopt;
}

} // namespace Aerlo
