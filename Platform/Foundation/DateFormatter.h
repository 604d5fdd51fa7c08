#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/TimeZone.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// Dates to text and back with a Unicode date pattern ("yyyy-MM-dd HH:mm:ss"), a locale and a time zone.
// Parsing is strict: the whole text must match the pattern. A formatter without a pattern writes the
// empty text and reads nothing. One formatter may be shared between threads (each call takes its lock).
class AERLO_FOUNDATION_EXPORT DateFormatter {
public:
    using Date = PropertyListValue::Date;

    DateFormatter();
    ~DateFormatter();
    DateFormatter(const DateFormatter&) = delete;
    DateFormatter& operator=(const DateFormatter&) = delete;

    std::string dateFormat() const;
    void setDateFormat(std::string pattern);
    // "en_US_POSIX", "zh-Hans", …; the empty text is the environment's locale.
    std::string locale() const;
    void setLocale(std::string identifier);
    // The zone set here, else the current zone at each use.
    std::optional<TimeZone> timeZone() const;
    void setTimeZone(std::optional<TimeZone> zone);

    std::string string(Date date) const;
    std::optional<Date> date(std::string_view text) const;

private:
    struct Engine;
    // The engine for the present settings, built when they change; null without a pattern.
    Engine* engine() const;

    mutable std::mutex mutex_;
    std::string pattern_;
    std::string locale_;
    std::optional<TimeZone> timeZone_;
    mutable std::unique_ptr<Engine> engine_;
};

} // namespace Foundation
