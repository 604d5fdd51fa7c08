#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// Finds "Key: value" lines in the system profiler's plain-text report.
class QVSystemProfilerParser {
public:
    // The first line that, trimmed of spaces and tabs, begins with `key` followed by ":"; the line trimmed.
    static std::optional<std::string> line(const std::vector<std::string>& lines, std::string_view key);
};

} // namespace Aerlo
