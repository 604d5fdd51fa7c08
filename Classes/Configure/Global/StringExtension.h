#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Aerlo {

// Text helpers of the application, as free functions taking the text first.

// Bytes decoded as UTF-8, every invalid sequence replaced by U+FFFD; never fails.
std::string decodingUTF8(std::string_view bytes);

// Split on white space and newlines, empty pieces dropped, joined with single spaces.
std::string splitOnWhitespace(std::string_view text);

// Bytes below 33 dropped at both ends, then cut at the first NUL, decoded with repair.
std::string truncatedAtNul(std::string_view text);

// White space and newlines trimmed from both ends.
std::string trimmingWhitespaceAndNewlines(std::string_view text);
// Control characters (Unicode Cc and Cf) trimmed from both ends.
std::string trimmingControlCharacters(std::string_view text);

// Whether a regular-expression search for `pattern` finds a range; false for an invalid pattern.
bool matches(std::string_view text, std::string_view pattern);
// Every match of `pattern` (case-insensitive) replaced by `replacement`; an invalid pattern leaves
// the text unchanged.
std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement);

// The first match of `pattern`, trimmed of spaces and tabs; "" when none or the pattern is invalid.
std::string firstMatch(std::string_view text, std::string_view pattern);
// The Unicode decimal digits (category Nd) of the text, in order.
std::string digitsOnly(std::string_view text);
// A fixed byte buffer up to its first NUL (the whole buffer when it holds none), decoded with repair.
std::string cCharTuple(const char* buffer, std::size_t size);

} // namespace Aerlo
