#include "QVToolsKit/QVDateManager.h"

#include "Platform/Foundation/RunLoop.h"

namespace QVToolsKit {

namespace {

using Foundation::Calendar;
using Foundation::DateFormatter;
using Foundation::TimeZone;
using Component = Calendar::Component;

constexpr char chinaTimeZoneName[] = "Asia/Shanghai";

// A shared formatter: made once and never destroyed, so that late users stay safe.
DateFormatter& made(const char* pattern, const char* locale = "")
{
    auto* formatter = new DateFormatter;
    formatter->setDateFormat(pattern);
    formatter->setLocale(locale);
    return *formatter;
}

// The zone is left at the formatter's default when the zone database does not know it.
void setChinaTimeZone(DateFormatter& formatter)
{
    if (auto zone = TimeZone::named(chinaTimeZoneName))
        formatter.setTimeZone(std::move(zone));
}

Calendar::Date now() { return {Foundation::RunLoop::main().clock().wallTime()}; }

} // namespace

DateFormatter& QVDateManager::weekDayFormatter()
{
    static DateFormatter& formatter = made("", "zh-Hans");
    return formatter;
}

DateFormatter& QVDateManager::yearMonthDayFormatter()
{
    static DateFormatter& formatter = made("yyyy-MM-dd");
    return formatter;
}

DateFormatter& QVDateManager::chineseYearMonthDayFormatter()
{
    static DateFormatter& formatter = made("yyyy年MM月dd日");
    return formatter;
}

DateFormatter& QVDateManager::chineseYearFormatter()
{
    static DateFormatter& formatter = made("yyyy年");
    return formatter;
}

DateFormatter& QVDateManager::yearMonthDayFormatterWithSlash()
{
    static DateFormatter& formatter = made("yyyy/MM/dd");
    return formatter;
}

DateFormatter& QVDateManager::yearMonthDayFormatterWithDot()
{
    static DateFormatter& formatter = made("yyyy.MM.dd");
    return formatter;
}

DateFormatter& QVDateManager::chineseMonthDayFormatter()
{
    static DateFormatter& formatter = made("MM月dd日");
    return formatter;
}

DateFormatter& QVDateManager::timeFormatterWithSeconds()
{
    static DateFormatter& formatter = made("HH:mm:ss");
    return formatter;
}

DateFormatter& QVDateManager::timeFormatterNoSeconds()
{
    static DateFormatter& formatter = made("HH:mm");
    return formatter;
}

DateFormatter& QVDateManager::hourFormatter()
{
    static DateFormatter& formatter = made("HH");
    return formatter;
}

DateFormatter& QVDateManager::minuteFormatter()
{
    static DateFormatter& formatter = made("mm");
    return formatter;
}

DateFormatter& QVDateManager::secondFormatter()
{
    static DateFormatter& formatter = made("ss");
    return formatter;
}

std::string QVDateManager::formatToDateString(std::optional<Date> from)
{
    if (!from)
        return {};
    DateFormatter formatter;
    setChinaTimeZone(formatter);
    formatter.setDateFormat("yyyy-MM-dd HH:mm:ss");
    return formatter.string(*from);
}

std::optional<QVDateManager::Date> QVDateManager::date(const std::string& from, const std::string& format,
                                                       bool chinaTimeZone)
{
    DateFormatter formatter;
    formatter.setLocale("en_US_POSIX");
    formatter.setDateFormat(format);
    if (chinaTimeZone)
        setChinaTimeZone(formatter);
    return formatter.date(from);
}

std::string QVDateManager::dateString(double from, const std::string&) { return formatToDateString(Date {from}); }

std::string QVDateManager::string(Date from, const std::string& format)
{
    DateFormatter formatter;
    formatter.setLocale("en_US_POSIX");
    formatter.setDateFormat(format);
    return formatter.string(from);
}

QVDateManager::Date QVDateManager::firstDayOfMonth(Date date)
{
    const auto month = Calendar::current().dateInterval(Component::month, date);
    return month ? month->start : date;
}

QVDateManager::Date QVDateManager::lastDayOfMonth(Date date)
{
    const Calendar calendar = Calendar::current();
    const auto month = calendar.dateInterval(Component::month, date);
    if (!month)
        return date;
    return calendar.dateByAdding(Component::day, -1, month->end()).value_or(date);
}

QVDateManager::Date QVDateManager::firstDayOfCurrentMonth() { return firstDayOfMonth(now()); }

QVDateManager::Date QVDateManager::lastDayOfCurrentMonth() { return lastDayOfMonth(now()); }

QVDateManager::Date QVDateManager::addDays(Date to, std::int64_t days)
{
    return Calendar::current().dateByAdding(Component::day, days, to).value_or(to);
}

std::vector<QVDateManager::Date> QVDateManager::daysForWholeWeek(Date of)
{
    const Calendar calendar = Calendar::current();
    const auto weekday = calendar.component(Component::weekday, of);
    if (!weekday)
        return {};
    std::int64_t back = *weekday - 1;
    if (calendar.firstWeekday() == 1)
        back = *weekday == 1 ? 6 : *weekday - 2; // Monday to Sunday, the Sunday with the week before it
    const auto first = calendar.dateByAdding(Component::day, -back, of);
    if (!first)
        return {};
    std::vector<Date> days;
    for (std::int64_t offset = 0; offset < 7; ++offset)
        if (const auto day = calendar.dateByAdding(Component::day, offset, *first))
            days.push_back(*day);
    return days;
}

std::int64_t QVDateManager::weekIndexOfMonth(Date date)
{
    return Calendar::current().component(Component::weekOfMonth, date).value_or(0);
}

std::int64_t QVDateManager::daysInYear(std::int64_t year)
{
    const Calendar calendar = Calendar::current();
    const auto first = calendar.date({.year = year, .month = 1, .day = 1});
    const auto next = calendar.date({.year = year + 1, .month = 1, .day = 1});
    if (!first || !next)
        return 0;
    return calendar.difference(Component::day, *first, *next).value_or(0);
}

std::int64_t QVDateManager::dayCountOfMonth(Date date)
{
    return Calendar::current().numberOfDays(Component::month, date).value_or(0);
}

bool QVDateManager::isSameYear(Date a, Date b)
{
    const Calendar calendar = Calendar::current();
    return calendar.component(Component::year, a) == calendar.component(Component::year, b);
}

bool QVDateManager::isSameMonth(Date a, Date b)
{
    const Calendar calendar = Calendar::current();
    return isSameYear(a, b) && calendar.component(Component::month, a) == calendar.component(Component::month, b);
}

bool QVDateManager::isSameDay(Date a, Date b)
{
    const Calendar calendar = Calendar::current();
    return isSameMonth(a, b) && calendar.component(Component::day, a) == calendar.component(Component::day, b);
}

QVDateManager::DateComponents QVDateManager::dateComponents(Date date)
{
    return Calendar::current().dateComponents(date);
}

std::map<std::string, std::int64_t> QVDateManager::timeComponents(std::int64_t from)
{
    return {{"Days", days(from)}, {"Hours", hours(from)}, {"Minutes", minutes(from)}, {"Seconds", from % 60}};
}

std::int64_t QVDateManager::days(std::int64_t from) { return from / 86400; }

std::int64_t QVDateManager::hours(std::int64_t from) { return from / 3600 % 24; }

std::int64_t QVDateManager::minutes(std::int64_t from) { return from / 60 % 60; }

} // namespace QVToolsKit
