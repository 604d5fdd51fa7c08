#include "Platform/Foundation/TimeZone.h"

#include "Platform/Foundation/IcuSupport.h"
#include "Platform/Foundation/LockedValue.h"
#include "Platform/Foundation/SharedInstance.h"

#include <memory>
#include <unicode/timezone.h>

namespace Foundation {

namespace {

// The zone tests set, if any.
LockedValue<std::optional<TimeZone>>& pinnedZone()
{
    static SharedInstance<LockedValue<std::optional<TimeZone>>> zone;
    return zone.get();
}

} // namespace

std::optional<TimeZone> TimeZone::named(std::string_view identifier)
{
    if (identifier.empty())
        return std::nullopt;
    const std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(Icu::unicode(identifier)));
    if (!zone || *zone == icu::TimeZone::getUnknown())
        return std::nullopt;
    return TimeZone(std::string(identifier));
}

TimeZone TimeZone::current()
{
    if (auto pinned = pinnedZone().get())
        return *pinned;
    const std::unique_ptr<icu::TimeZone> host(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString identifier;
    if (host)
        host->getID(identifier);
    const std::string text = Icu::utf8(identifier);
    return TimeZone(text.empty() ? "UTC" : text);
}

void TimeZone::setCurrent(std::optional<TimeZone> zone) { pinnedZone().set(std::move(zone)); }

std::int32_t TimeZone::secondsFromGMT(Date date) const
{
    const std::unique_ptr<icu::TimeZone> zone(Icu::timeZone(identifier_));
    std::int32_t raw = 0;
    std::int32_t daylight = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone->getOffset(Icu::udate(date), false, raw, daylight, status);
    return U_SUCCESS(status) ? (raw + daylight) / 1000 : 0;
}

} // namespace Foundation
