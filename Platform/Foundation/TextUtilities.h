#pragma once

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace Foundation {

// Text helpers shared by the whole program. Byte helpers treat text as ASCII and keep every other
// byte; the Unicode helpers take UTF-8 and repair it first (see decodingUTF8).

// The bytes for which `cut(char)` holds cut from both ends. The result views into `text`.
template <class Cut>
std::string_view trimmed(std::string_view text, Cut cut)
{
    while (!text.empty() && cut(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && cut(text.back()))
        text.remove_suffix(1);
    return text;
}

// ASCII white space (space, tab, newline, vertical tab, form feed, carriage return) cut from both
// ends. The result views into `text`.
std::string_view trimmed(std::string_view text);

// ASCII letters lowered; every other byte kept, whatever the locale.
std::string lowercased(std::string_view text);

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
std::string decodingUTF8(std::string_view bytes);

// Unicode white space (tab to carriage return, space, U+0085, U+00A0 and the separators) cut from both
// ends of the repaired text.
std::string trimmingWhitespaceAndNewlines(std::string_view text);

// Control and format characters (Unicode categories Cc and Cf) cut from both ends of the repaired text.
std::string trimmingControlCharacters(std::string_view text);

// The repaired text with white space cut from both ends and each inner run of it replaced by one space.
std::string collapsingWhitespace(std::string_view text);

} // namespace Foundation
