#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <optional>
#include <string_view>

namespace QVToolsKit {

enum class Weekday { monday, tuesday, wednesday, thursday, friday, saturday, sunday };

// "Monday" … "Sunday".
QVTOOLSKIT_EXPORT std::string_view rawValue(Weekday weekday);
// Exact, case-sensitive match.
QVTOOLSKIT_EXPORT std::optional<Weekday> makeWeekday(std::string_view rawValue);

} // namespace QVToolsKit
