#pragma once

#include "Platform/Foundation/TextUtilities.h"

#include <string>
#include <string_view>

namespace Aerlo {

// Text helpers of the application, as free functions taking the text first. The Unicode helpers are
// Foundation's; see Platform/Foundation/TextUtilities.h.
using Foundation::decodingUTF8;
using Foundation::trimmingControlCharacters;
using Foundation::trimmingWhitespaceAndNewlines;

// Split on white space and newlines, empty pieces dropped, joined with single spaces.
inline std::string splitOnWhitespace(std::string_view text)
{
    return Foundation::collapsingWhitespace(text);
}

// Bytes below 33 dropped at both ends, then cut at the first NUL, decoded with repair.
std::string truncatedAtNul(std::string_view text);

// Whether a regular-expression search for `pattern` (PCRE syntax, on the repaired text) finds a range;
// false for an invalid pattern.
bool matches(std::string_view text, std::string_view pattern);
// Every match of `pattern` (case-insensitive) in the repaired text replaced by `replacement`, taken
// literally; an invalid pattern leaves the text unchanged.
std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement);

} // namespace Aerlo
