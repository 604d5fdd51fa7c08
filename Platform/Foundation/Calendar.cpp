#include "Platform/Foundation/Calendar.h"

#include "Platform/Foundation/IcuSupport.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"

#include <cmath>
#include <limits>
#include <memory>
#include <unicode/gregocal.h>
#include <unicode/locid.h>

namespace Foundation {

namespace {

// The calendar tests set, if any.
LockedValue<std::optional<Calendar>>& pinnedCalendar()
{
    static SharedInstance<LockedValue<std::optional<Calendar>>> calendar;
    return calendar.get();
}

UCalendarDateFields field(Calendar::Component component)
{
    switch (component) {
    case Calendar::Component::year:
        return UCAL_YEAR;
    case Calendar::Component::month:
        return UCAL_MONTH;
    case Calendar::Component::day:
        return UCAL_DATE;
    case Calendar::Component::hour:
        return UCAL_HOUR_OF_DAY;
    case Calendar::Component::minute:
        return UCAL_MINUTE;
    case Calendar::Component::second:
        return UCAL_SECOND;
    case Calendar::Component::weekday:
        return UCAL_DAY_OF_WEEK;
    case Calendar::Component::weekOfMonth:
        return UCAL_WEEK_OF_MONTH;
    case Calendar::Component::weekOfYear:
        return UCAL_WEEK_OF_YEAR;
    }
    return UCAL_DATE;
}

// ICU's calendar has the year 1 BC as year 1 of the other era: give it as a signed year.
std::int64_t signedYear(icu::Calendar& calendar, UErrorCode& status)
{
    const std::int32_t year = calendar.get(UCAL_YEAR, status);
    return calendar.get(UCAL_ERA, status) == icu::GregorianCalendar::BC ? 1 - year : year;
}

// About how long a unit lasts, to keep arithmetic inside the calendar's range before ICU clamps it.
double approximateSeconds(Calendar::Component component)
{
    switch (component) {
    case Calendar::Component::year:
        return 366.0 * 86400;
    case Calendar::Component::month:
        return 31.0 * 86400;
    case Calendar::Component::weekOfMonth:
    case Calendar::Component::weekOfYear:
        return 7.0 * 86400;
    case Calendar::Component::hour:
        return 3600;
    case Calendar::Component::minute:
        return 60;
    case Calendar::Component::second:
        return 1;
    default:
        return 86400;
    }
}

bool isUsable(Calendar::Date date)
{
    // ICU's range is about ±1.8e14 seconds; keep well inside it.
    return std::isfinite(date.secondsSince1970) && std::fabs(date.secondsSince1970) < 1e14;
}

// An ICU calendar set up with our zone and week rules.
class IcuCalendar {
public:
    explicit IcuCalendar(const Calendar& calendar)
    {
        UErrorCode status = U_ZERO_ERROR;
        calendar_ = std::make_unique<icu::GregorianCalendar>(Icu::timeZone(calendar.timeZone().identifier()),
                                                             icu::Locale::getRoot(), status);
        if (U_FAILURE(status)) {
            calendar_.reset();
            return;
        }
        calendar_->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(calendar.firstWeekday()));
        calendar_->setMinimalDaysInFirstWeek(static_cast<uint8_t>(calendar.minimumDaysInFirstWeek()));
    }

    // The ICU calendar set to `date`; null when it cannot be.
    icu::GregorianCalendar* at(Calendar::Date date)
    {
        if (!calendar_ || !isUsable(date))
            return nullptr;
        UErrorCode status = U_ZERO_ERROR;
        calendar_->setTime(Icu::udate(date), status);
        return U_SUCCESS(status) ? calendar_.get() : nullptr;
    }

    icu::GregorianCalendar* get() { return calendar_.get(); }

    std::optional<Calendar::Date> time()
    {
        UErrorCode status = U_ZERO_ERROR;
        const UDate udate = calendar_->getTime(status);
        if (U_FAILURE(status))
            return std::nullopt;
        return Icu::date(udate);
    }

private:
    std::unique_ptr<icu::GregorianCalendar> calendar_;
};

} // namespace

Calendar::Calendar(TimeZone timeZone, const std::string& locale) : timeZone_(std::move(timeZone))
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Calendar> rules(icu::Calendar::createInstance(icu::Locale(locale.c_str()), status));
    if (U_SUCCESS(status) && rules) {
        firstWeekday_ = rules->getFirstDayOfWeek(status);
        minimumDaysInFirstWeek_ = rules->getMinimalDaysInFirstWeek();
    }
}

Calendar Calendar::current()
{
    if (auto pinned = pinnedCalendar().get())
        return *pinned;
    return Calendar(TimeZone::current(), Icu::environmentLocale());
}

void Calendar::setCurrent(std::optional<Calendar> calendar) { pinnedCalendar().set(std::move(calendar)); }

void Calendar::setFirstWeekday(int weekday)
{
    if (weekday >= 1 && weekday <= 7)
        firstWeekday_ = weekday;
}

void Calendar::setMinimumDaysInFirstWeek(int days)
{
    if (days >= 1 && days <= 7)
        minimumDaysInFirstWeek_ = days;
}

std::optional<std::int64_t> Calendar::component(Component component, Date date) const
{
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.at(date);
    if (!icu)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    std::int64_t value = 0;
    if (component == Component::year)
        value = signedYear(*icu, status);
    else
        value = icu->get(field(component), status) + (component == Component::month ? 1 : 0);
    if (U_FAILURE(status))
        return std::nullopt;
    return value;
}

Calendar::DateComponents Calendar::dateComponents(Date date) const
{
    DateComponents components;
    components.year = component(Component::year, date);
    components.month = component(Component::month, date);
    components.day = component(Component::day, date);
    components.weekday = component(Component::weekday, date);
    components.weekOfYear = component(Component::weekOfYear, date);
    components.weekOfMonth = component(Component::weekOfMonth, date);
    components.hour = component(Component::hour, date);
    components.minute = component(Component::minute, date);
    components.second = component(Component::second, date);
    return components;
}

std::optional<Calendar::Date> Calendar::date(const DateComponents& components) const
{
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.get();
    if (!icu)
        return std::nullopt;
    const auto inRange = [](std::int64_t value) {
        return value >= -5'000'000 && value <= 5'000'000; // far beyond any calendar use; keeps ICU's ints safe
    };
    const std::int64_t year = components.year.value_or(1);
    const std::int64_t values[] = {year,
                                   components.month.value_or(1),
                                   components.day.value_or(1),
                                   components.hour.value_or(0),
                                   components.minute.value_or(0),
                                   components.second.value_or(0)};
    for (const std::int64_t value : values)
        if (!inRange(value))
            return std::nullopt;
    icu->clear();
    icu->set(UCAL_ERA, year >= 1 ? icu::GregorianCalendar::AD : icu::GregorianCalendar::BC);
    icu->set(UCAL_YEAR, static_cast<std::int32_t>(year >= 1 ? year : 1 - year));
    icu->set(UCAL_MONTH, static_cast<std::int32_t>(values[1] - 1));
    icu->set(UCAL_DATE, static_cast<std::int32_t>(values[2]));
    icu->set(UCAL_HOUR_OF_DAY, static_cast<std::int32_t>(values[3]));
    icu->set(UCAL_MINUTE, static_cast<std::int32_t>(values[4]));
    icu->set(UCAL_SECOND, static_cast<std::int32_t>(values[5]));
    return calendar.time();
}

std::optional<Calendar::Date> Calendar::dateByAdding(Component component, std::int64_t value, Date date) const
{
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    if (!isUsable({date.secondsSince1970 + static_cast<double>(value) * approximateSeconds(component)}))
        return std::nullopt;
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.at(date);
    if (!icu)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    icu->add(field(component), static_cast<std::int32_t>(value), status);
    if (U_FAILURE(status))
        return std::nullopt;
    const auto result = calendar.time();
    if (!result || !isUsable(*result))
        return std::nullopt;
    return result;
}

std::optional<Calendar::DateInterval> Calendar::dateInterval(Component component, Date date) const
{
    if (component != Component::day && component != Component::month && component != Component::year)
        return std::nullopt;
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.at(date);
    if (!icu)
        return std::nullopt;
    if (component == Component::year)
        icu->set(UCAL_MONTH, 0);
    if (component != Component::day)
        icu->set(UCAL_DATE, 1);
    for (const UCalendarDateFields timeField : {UCAL_HOUR_OF_DAY, UCAL_MINUTE, UCAL_SECOND, UCAL_MILLISECOND})
        icu->set(timeField, 0);
    const auto start = calendar.time();
    if (!start)
        return std::nullopt;
    const auto end = dateByAdding(component, 1, *start);
    if (!end)
        return std::nullopt;
    return DateInterval {*start, end->secondsSince1970 - start->secondsSince1970};
}

std::optional<std::int64_t> Calendar::numberOfDays(Component in, Date date) const
{
    if (in != Component::month && in != Component::year)
        return std::nullopt;
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.at(date);
    if (!icu)
        return std::nullopt;
    const UCalendarDateFields days = in == Component::month ? UCAL_DATE : UCAL_DAY_OF_YEAR;
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t first = icu->getActualMinimum(days, status);
    const std::int32_t last = icu->getActualMaximum(days, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return last - first + 1;
}

std::optional<std::int64_t> Calendar::difference(Component component, Date from, Date to) const
{
    if (!isUsable(to))
        return std::nullopt;
    IcuCalendar calendar(*this);
    icu::GregorianCalendar* icu = calendar.at(from);
    if (!icu)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t count = icu->fieldDifference(Icu::udate(to), field(component), status);
    if (U_FAILURE(status))
        return std::nullopt;
    return count;
}

} // namespace Foundation
