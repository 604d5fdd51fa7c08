#pragma once

#include "Platform/Foundation/TextUtilities.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Aerlo {

// Text helpers of the application, as free functions taking the text first; they take any bytes and
// decode them with repair (decodingUTF8) first. Foundation's helpers do the work.

// Bytes decoded as UTF-8, every invalid sequence replaced by U+FFFD; never fails.
using Foundation::decodingUTF8;

// White space and newlines trimmed from both ends.
inline std::string trimmingWhitespaceAndNewlines(std::string_view text)
{
    return Foundation::trimmed(decodingUTF8(text));
}

// Control characters (Unicode Cc and Cf) trimmed from both ends.
inline std::string trimmingControlCharacters(std::string_view text)
{
    return Foundation::trimmingControlCharacters(decodingUTF8(text));
}

// Split on white space and newlines, empty pieces dropped, joined with single spaces.
inline std::string splitOnWhitespace(std::string_view text) { return Foundation::collapsingWhitespace(text); }

// Bytes below 33 dropped at both ends, then cut at the first NUL, decoded with repair.
std::string truncatedAtNul(std::string_view text);

// Whether a regular-expression search for `pattern` (PCRE syntax, on the repaired text) finds a range;
// false for an invalid pattern.
bool matches(std::string_view text, std::string_view pattern);
// Every match of `pattern` (case-insensitive) in the repaired text replaced by `replacement`, taken
// literally; an invalid pattern leaves the text unchanged.
std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement);

// The first match of `pattern`, trimmed of spaces and tabs; "" when none or the pattern is invalid.
std::string firstMatch(std::string_view text, std::string_view pattern);
// The Unicode decimal digits (category Nd) of the text, in order.
std::string digitsOnly(std::string_view text);
// A fixed byte buffer up to its first NUL (the whole buffer when it holds none), decoded with repair.
std::string cCharTuple(const char* buffer, std::size_t size);

} // namespace Aerlo
