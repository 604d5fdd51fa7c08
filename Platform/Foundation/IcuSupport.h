#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"

#include <string>
#include <string_view>
#include <unicode/timezone.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

namespace Foundation::Icu {

// Conversions between our types and ICU's, for the code that works with ICU.
AERLO_FOUNDATION_EXPORT icu::UnicodeString unicode(std::string_view utf8);
AERLO_FOUNDATION_EXPORT std::string utf8(const icu::UnicodeString& text);
UDate udate(PropertyListValue::Date date);
PropertyListValue::Date date(UDate udate);
// A new ICU zone for an identifier (GMT-like for an unknown one); the caller owns it.
icu::TimeZone* timeZone(const std::string& identifier);
// The process's locale as the environment gives it (LC_ALL, LC_TIME, LANG): "en_US_POSIX" for "C".
std::string environmentLocale();

} // namespace Foundation::Icu
