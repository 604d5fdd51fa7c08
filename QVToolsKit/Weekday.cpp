#include "QVToolsKit/Weekday.h"

#include "Platform/Foundation/RawValueTable.h"

namespace QVToolsKit {

namespace {

constexpr Foundation::RawValueTable<Weekday, 7> rawValues({"Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                                           "Saturday", "Sunday"});

} // namespace

std::string_view rawValue(Weekday weekday) { return rawValues.text(weekday); }

std::optional<Weekday> makeWeekday(std::string_view rawValue) { return rawValues.value(rawValue); }

} // namespace QVToolsKit
