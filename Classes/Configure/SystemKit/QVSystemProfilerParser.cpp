#include "Classes/Configure/SystemKit/QVSystemProfilerParser.h"

#include "Platform/Foundation/TextUtilities.h"

namespace Aerlo {

std::optional<std::string> QVSystemProfilerParser::line(const std::vector<std::string>& lines, std::string_view key)
{
    for (const std::string& each : lines) {
        const std::string_view trimmed = Foundation::trimmed(each, " \t");
        if (trimmed.size() > key.size() && trimmed.starts_with(key) && trimmed[key.size()] == ':')
            return std::string(trimmed);
    }
    return std::nullopt;
}

} // namespace Aerlo
