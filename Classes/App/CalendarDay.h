#pragma once

#include <chrono>
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// A day of the Gregorian calendar, without a time of day or a zone. The analytics histories step by
// these, so a day of 23 or 25 hours is one day like any other, and their texts do not depend on the
// locale.
class CalendarDay {
public:
    explicit CalendarDay(std::chrono::sys_days day) : day_(day) {}
    CalendarDay(int year, unsigned month, unsigned day);

    // The day the main run loop's wall clock shows in the current time zone.
    static CalendarDay today();
    // Exactly "yyyy-MM-dd" in ASCII digits, naming a day that exists; nothing otherwise.
    static std::optional<CalendarDay> fromText(std::string_view text);

    // "yyyy-MM-dd".
    std::string text() const;
    CalendarDay adding(int days) const { return CalendarDay(day_ + std::chrono::days(days)); }

    auto operator<=>(const CalendarDay&) const = default;

private:
    std::chrono::sys_days day_;
};

} // namespace Aerlo
