#include "Classes/Configure/Global/StringExtension.h"

#include "Classes/Configure/Global/RegularExpression.h"
#include "Platform/Foundation/UTF8.h"

#include <unicode/uchar.h>

namespace Aerlo {

std::string truncatedAtNul(std::string_view text)
{
    const auto below33 = [](char c) { return static_cast<unsigned char>(c) < 33; };
    while (!text.empty() && below33(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && below33(text.back()))
        text.remove_suffix(1);
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    return decodingUTF8(text);
}

bool matches(std::string_view text, std::string_view pattern)
{
    const auto expression = RegularExpression::make(pattern);
    return expression && expression->matches(text);
}

std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement)
{
    const auto expression = RegularExpression::make(pattern, RegularExpression::caseInsensitive);
    if (!expression)
        return std::string(text);
    return expression->replacingMatches(text, replacement);
}

std::string firstMatch(std::string_view text, std::string_view pattern)
{
    const auto expression = RegularExpression::make(pattern);
    const auto found = expression ? expression->firstMatch(text) : std::nullopt;
    return found ? std::string(Foundation::trimmed(*found, " \t")) : std::string();
}

std::string digitsOnly(std::string_view text)
{
    const std::string valid = decodingUTF8(text);
    std::string digits;
    for (std::size_t at = 0; at < valid.size();) {
        const auto sequence = Foundation::UTF8::next(valid, at);
        if (u_charType(static_cast<UChar32>(*sequence.codePoint)) == U_DECIMAL_DIGIT_NUMBER)
            digits.append(valid, at, sequence.length);
        at += sequence.length;
    }
    return digits;
}

std::string cCharTuple(const char* buffer, std::size_t size)
{
    const std::string_view bytes(buffer, size);
    return decodingUTF8(bytes.substr(0, bytes.find('\0')));
}

} // namespace Aerlo
