#pragma once

#include "Platform/Foundation/Calendar.h"
#include "Platform/Foundation/DateFormatter.h"
#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace QVToolsKit {

// Date formatters, conversions, calendar arithmetic in the current calendar (Calendar::current() at each
// call), and the split of a number of seconds. "Now" is the main run loop's clock.
class QVTOOLSKIT_EXPORT QVDateManager {
public:
    using Date = Foundation::PropertyListValue::Date;
    using DateComponents = Foundation::Calendar::DateComponents;

    virtual ~QVDateManager() = default;

    // Shared formatters, each made once; their zone is the current one at each use.
    static Foundation::DateFormatter& weekDayFormatter(); // no pattern (writes ""), locale "zh-Hans"
    static Foundation::DateFormatter& yearMonthDayFormatter(); // "yyyy-MM-dd"
    static Foundation::DateFormatter& chineseYearMonthDayFormatter(); // "yyyy年MM月dd日"
    static Foundation::DateFormatter& chineseYearFormatter(); // "yyyy年"
    static Foundation::DateFormatter& yearMonthDayFormatterWithSlash(); // "yyyy/MM/dd"
    static Foundation::DateFormatter& yearMonthDayFormatterWithDot(); // "yyyy.MM.dd"
    static Foundation::DateFormatter& chineseMonthDayFormatter(); // "MM月dd日"
    static Foundation::DateFormatter& timeFormatterWithSeconds(); // "HH:mm:ss"
    static Foundation::DateFormatter& timeFormatterNoSeconds(); // "HH:mm"
    static Foundation::DateFormatter& hourFormatter(); // "HH"
    static Foundation::DateFormatter& minuteFormatter(); // "mm"
    static Foundation::DateFormatter& secondFormatter(); // "ss"

    // "yyyy-MM-dd HH:mm:ss" in "Asia/Shanghai"; nothing gives "".
    static std::string formatToDateString(std::optional<Date> from);
    // Parsed with the locale "en_US_POSIX", in "Asia/Shanghai" when chinaTimeZone; nothing when it does not match.
    static std::optional<Date> date(const std::string& from, const std::string& format, bool chinaTimeZone);
    // formatToDateString of the instant; `format` plays no part.
    static std::string dateString(double from, const std::string& format);
    // With the locale "en_US_POSIX" in the current zone.
    static std::string string(Date from, const std::string& format);

    // Calendar operations; a date the calendar cannot work with comes back unchanged, a count as 0.
    static Date firstDayOfMonth(Date date);
    // The start of the month's last day.
    static Date lastDayOfMonth(Date date);
    static Date firstDayOfCurrentMonth();
    static Date lastDayOfCurrentMonth();
    static Date addDays(Date to, std::int64_t days);
    // Seven consecutive days holding the date, starting on a Monday under a Sunday-first calendar and on
    // a Sunday otherwise.
    static std::vector<Date> daysForWholeWeek(Date of);
    static std::int64_t weekIndexOfMonth(Date date);
    static std::int64_t daysInYear(std::int64_t year);
    static std::int64_t dayCountOfMonth(Date date);
    static bool isSameYear(Date a, Date b);
    static bool isSameMonth(Date a, Date b);
    static bool isSameDay(Date a, Date b);
    static DateComponents dateComponents(Date date);

    // Integer division truncating toward zero.
    virtual std::map<std::string, std::int64_t>
    timeComponents(std::int64_t from); // "Days", "Hours", "Minutes", "Seconds"
    virtual std::int64_t days(std::int64_t from);
    virtual std::int64_t hours(std::int64_t from);
    virtual std::int64_t minutes(std::int64_t from);
};

} // namespace QVToolsKit
