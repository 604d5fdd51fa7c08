#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/TimeZone.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Foundation {

// The Gregorian calendar in one time zone, with its own week rules: the first weekday (1 = Sunday …
// 7 = Saturday) and the minimum number of days of the first week. Week numbers and week starts follow
// these rules, whatever the host's locale says. Every operation gives nothing when the calendar cannot
// produce the answer (a year far outside its range, a non-finite date). Thread-safe.
class AERLO_FOUNDATION_EXPORT Calendar {
public:
    using Date = PropertyListValue::Date;

    enum class Component { year, month, day, hour, minute, second, weekday, weekOfMonth, weekOfYear };

    struct DateComponents {
        std::optional<std::int64_t> year {};
        std::optional<std::int64_t> month {};
        std::optional<std::int64_t> day {};
        std::optional<std::int64_t> weekday {};
        std::optional<std::int64_t> weekOfYear {};
        std::optional<std::int64_t> weekOfMonth {};
        std::optional<std::int64_t> hour {};
        std::optional<std::int64_t> minute {};
        std::optional<std::int64_t> second {};
    };

    struct DateInterval {
        Date start;
        double duration = 0; // seconds
        Date end() const { return {start.secondsSince1970 + duration}; }
    };

    // The week rules are those of `locale` ("en_US": Sunday first; "de_DE": Monday first, four days).
    explicit Calendar(TimeZone timeZone, const std::string& locale = "en_US_POSIX");

    // The calendar set by setCurrent, else one made now from the current zone and the environment's locale.
    static Calendar current();
    // Makes current() this calendar (tests); nothing goes back to the environment's.
    static void setCurrent(std::optional<Calendar> calendar);

    const TimeZone& timeZone() const { return timeZone_; }
    void setTimeZone(TimeZone zone) { timeZone_ = std::move(zone); }
    int firstWeekday() const { return firstWeekday_; }
    // Values outside 1…7 are ignored.
    void setFirstWeekday(int weekday);
    int minimumDaysInFirstWeek() const { return minimumDaysInFirstWeek_; }
    // Values outside 1…7 are ignored.
    void setMinimumDaysInFirstWeek(int days);

    // Month, day and weekday count from 1; weekday 1 is Sunday.
    std::optional<std::int64_t> component(Component component, Date date) const;
    // Year, month, day, weekday, week of year, week of month, hour, minute and second.
    DateComponents dateComponents(Date date) const;
    // The instant of the year, month, day, hour, minute and second given (missing: month and day 1, the rest 0).
    std::optional<Date> date(const DateComponents& components) const;
    // Calendar arithmetic: adding days keeps the time of day across a daylight-saving change.
    std::optional<Date> dateByAdding(Component component, std::int64_t value, Date date) const;
    // The whole day, month or year holding the date.
    std::optional<DateInterval> dateInterval(Component component, Date date) const;
    // How many days the month (or year) holding the date has.
    std::optional<std::int64_t> numberOfDays(Component in, Date date) const;
    // Whole units of `component` from one instant to another (negative when `to` is earlier).
    std::optional<std::int64_t> difference(Component component, Date from, Date to) const;

private:
    TimeZone timeZone_;
    int firstWeekday_ = 1;
    int minimumDaysInFirstWeek_ = 1;
};

} // namespace Foundation
