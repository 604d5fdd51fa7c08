#include "Classes/App/CalendarDay.h"

#include "Platform/Foundation/Calendar.h"
#include "Platform/Foundation/RunLoop.h"

#include <charconv>
#include <cmath>

namespace Aerlo {

namespace {

using namespace std::chrono;

// The digits of `text`, which must all be ASCII digits.
std::optional<int> digits(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

void appendPadded(std::string& text, int value, std::size_t width)
{
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    for (auto length = static_cast<std::size_t>(end - buffer); length < width; ++length)
        text.push_back('0');
    text.append(buffer, end);
}

} // namespace

CalendarDay::CalendarDay(int year, unsigned month, unsigned day)
    : day_(sys_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day)))
{
}

CalendarDay CalendarDay::today()
{
    const double wall = Foundation::RunLoop::main().clock().wallTime();
    const auto parts = Foundation::Calendar::current().dateComponents({wall});
    if (parts.year && parts.month && parts.day)
        return CalendarDay(static_cast<int>(*parts.year), static_cast<unsigned>(*parts.month),
                           static_cast<unsigned>(*parts.day));
    // Outside the calendar's range: the day in UTC.
    return CalendarDay(floor<days>(sys_seconds(seconds(std::isfinite(wall) ? static_cast<long long>(wall) : 0))));
}

std::optional<CalendarDay> CalendarDay::fromText(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto year = digits(text.substr(0, 4));
    const auto month = digits(text.substr(5, 2));
    const auto day = digits(text.substr(8, 2));
    if (!year || !month || !day)
        return std::nullopt;
    const year_month_day date {std::chrono::year(*year), std::chrono::month(static_cast<unsigned>(*month)),
                               std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok())
        return std::nullopt;
    return CalendarDay(sys_days(date));
}

std::string CalendarDay::text() const
{
    const year_month_day date(day_);
    std::string text;
    appendPadded(text, static_cast<int>(date.year()), 4);
    text.push_back('-');
    appendPadded(text, static_cast<int>(static_cast<unsigned>(date.month())), 2);
    text.push_back('-');
    appendPadded(text, static_cast<int>(static_cast<unsigned>(date.day())), 2);
    return text;
}

} // namespace Aerlo
