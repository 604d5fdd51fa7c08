#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace Foundation {

// Text helpers shared by the whole program, on UTF-8 text.

// White space and newlines (Unicode White_Space) trimmed from both ends of UTF-8 text.
AERLO_FOUNDATION_EXPORT std::string trimmed(std::string_view text);
// Control and format characters (Unicode Cc and Cf) trimmed from both ends of UTF-8 text.
AERLO_FOUNDATION_EXPORT std::string trimmingControlCharacters(std::string_view text);
// (Both: an invalid sequence ends the trim and stays.)
// The part of `text` between the bytes of `characters` at either end (a view into `text`).
AERLO_FOUNDATION_EXPORT std::string_view trimmed(std::string_view text, std::string_view characters);

// ASCII letters lowered; every other byte kept, whatever the locale.
AERLO_FOUNDATION_EXPORT std::string lowercased(std::string_view text);

// The whole of `text` as a decimal number of type `Number` ("-12", "3.5", "1e3" for floating types),
// whatever the locale. Nothing for an empty text, a byte left over (white space included), a value
// out of range, or a floating value that is not finite.
template <class Number>
std::optional<Number> decimalNumber(std::string_view text)
{
    static_assert(std::is_arithmetic_v<Number> && !std::is_same_v<Number, bool>);
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value))
            return std::nullopt;
    }
    return value;
}

// Bytes read as UTF-8: each byte of an ill-formed sequence becomes U+FFFD. Never fails; valid text
// comes back unchanged.
AERLO_FOUNDATION_EXPORT std::string decodingUTF8(std::string_view bytes);

// The repaired text (decodingUTF8) with white space cut from both ends and each inner run of it
// replaced by one space.
AERLO_FOUNDATION_EXPORT std::string collapsingWhitespace(std::string_view text);

// The text as one printable line: control characters (Unicode Cc) written as escapes (\n, \t, \x1B,
// \u0085), each byte of an ill-formed sequence as U+FFFD.
AERLO_FOUNDATION_EXPORT std::string printableLine(std::string_view text);

// The number of user-perceived characters (extended grapheme clusters) of UTF-8 text; invalid bytes
// count as replacement characters.
AERLO_FOUNDATION_EXPORT std::size_t characterCount(std::string_view text);

} // namespace Foundation
