#include "Platform/Foundation/DateFormatter.h"

#include "Platform/Foundation/IcuSupport.h"

#include <cmath>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

namespace Foundation {

struct DateFormatter::Engine {
    std::unique_ptr<icu::SimpleDateFormat> format;
};

DateFormatter::DateFormatter() = default;
DateFormatter::~DateFormatter() = default;

std::string DateFormatter::dateFormat() const
{
    std::lock_guard lock(mutex_);
    return pattern_;
}

void DateFormatter::setDateFormat(std::string pattern)
{
    std::lock_guard lock(mutex_);
    pattern_ = std::move(pattern);
    engine_.reset();
}

std::string DateFormatter::locale() const
{
    std::lock_guard lock(mutex_);
    return locale_;
}

void DateFormatter::setLocale(std::string identifier)
{
    std::lock_guard lock(mutex_);
    locale_ = std::move(identifier);
    engine_.reset();
}

std::optional<TimeZone> DateFormatter::timeZone() const
{
    std::lock_guard lock(mutex_);
    return timeZone_;
}

void DateFormatter::setTimeZone(std::optional<TimeZone> zone)
{
    std::lock_guard lock(mutex_);
    timeZone_ = std::move(zone);
}

DateFormatter::Engine* DateFormatter::engine() const
{
    if (pattern_.empty())
        return nullptr;
    if (!engine_) {
        const icu::Locale locale = locale_.empty() ? icu::Locale::getDefault() : icu::Locale(locale_.c_str());
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::SimpleDateFormat>(Icu::unicode(pattern_), locale, status);
        if (U_FAILURE(status))
            return nullptr;
        made->setLenient(false);
        engine_ = std::make_unique<Engine>(Engine {std::move(made)});
    }
    engine_->format->adoptTimeZone(Icu::timeZone((timeZone_ ? *timeZone_ : TimeZone::current()).identifier()));
    return engine_.get();
}

std::string DateFormatter::string(Date date) const
{
    std::lock_guard lock(mutex_);
    Engine* engine = this->engine();
    if (!engine || !std::isfinite(date.secondsSince1970))
        return {};
    icu::UnicodeString text;
    engine->format->format(Icu::udate(date), text);
    return Icu::utf8(text);
}

std::optional<DateFormatter::Date> DateFormatter::date(std::string_view text) const
{
    std::lock_guard lock(mutex_);
    Engine* engine = this->engine();
    if (!engine)
        return std::nullopt;
    const icu::UnicodeString unicode = Icu::unicode(text);
    icu::ParsePosition position(0);
    const UDate parsed = engine->format->parse(unicode, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length())
        return std::nullopt;
    return Icu::date(parsed);
}

} // namespace Foundation
