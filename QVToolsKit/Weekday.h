#pragma once

#include <optional>
#include <string_view>

namespace QVToolsKit {

enum class Weekday { monday, tuesday, wednesday, thursday, friday, saturday, sunday };

// "Monday" … "Sunday".
std::string_view rawValue(Weekday weekday);
// Exact, case-sensitive match.
std::optional<Weekday> makeWeekday(std::string_view rawValue);

} // namespace QVToolsKit
