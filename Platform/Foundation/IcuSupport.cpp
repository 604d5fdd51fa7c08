#include "Platform/Foundation/IcuSupport.h"

#include <unicode/locid.h>

namespace Foundation::Icu {

icu::UnicodeString unicode(std::string_view utf8)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

std::string utf8(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
}

UDate udate(PropertyListValue::Date date) { return date.secondsSince1970 * 1000.0; }

PropertyListValue::Date date(UDate udate) { return {udate / 1000.0}; }

icu::TimeZone* timeZone(const std::string& identifier) { return icu::TimeZone::createTimeZone(unicode(identifier)); }

std::string environmentLocale() { return icu::Locale::getDefault().getName(); }

} // namespace Foundation::Icu
