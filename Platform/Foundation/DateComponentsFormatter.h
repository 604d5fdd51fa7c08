#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"

#include <optional>
#include <string>
#include <vector>

namespace Foundation {

// The length of a time span in words of a language ("2 days, 3 hours", "2天3小时"): whole units from
// the allowed ones, floored to the smallest, zero units left out, at most maximumUnitCount of the
// largest. A span of less than one smallest unit names that unit with 0 ("0 minutes").
class AERLO_FOUNDATION_EXPORT DateComponentsFormatter {
public:
    using Date = PropertyListValue::Date;
    enum class Unit { day, hour, minute };

    int maximumUnitCount = 2;
    std::vector<Unit> allowedUnits {Unit::day, Unit::hour, Unit::minute};
    // An ICU or table language code ("en", "zh-Hans", "zh_Hans"); empty: the main bundle's language.
    std::string locale;

    // Nothing for a negative or non-finite span, no allowed unit, or a language ICU cannot format.
    std::optional<std::string> string(double seconds) const;
    std::optional<std::string> string(Date start, Date end) const;
};

} // namespace Foundation
