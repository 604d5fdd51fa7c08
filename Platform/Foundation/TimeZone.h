#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// A time zone by its identifier ("Asia/Shanghai", "Europe/Berlin", "UTC").
class AERLO_FOUNDATION_EXPORT TimeZone {
public:
    using Date = PropertyListValue::Date;

    // The zone of that identifier; nothing when the zone database does not know it.
    static std::optional<TimeZone> named(std::string_view identifier);
    // The zone set by setCurrent, else the system's (TZ, else /etc/localtime), read at each call.
    static TimeZone current();
    // Makes current() this zone (tests); nothing goes back to the system's.
    static void setCurrent(std::optional<TimeZone> zone);

    const std::string& identifier() const { return identifier_; }
    // The offset from UTC at that instant, daylight saving included.
    std::int32_t secondsFromGMT(Date date) const;

    bool operator==(const TimeZone&) const = default;

private:
    explicit TimeZone(std::string identifier) : identifier_(std::move(identifier)) {}

    std::string identifier_;
};

} // namespace Foundation
