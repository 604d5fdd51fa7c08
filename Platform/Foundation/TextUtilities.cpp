#include "Platform/Foundation/TextUtilities.h"

#include "Platform/Foundation/UTF8.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace Foundation {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

std::vector<char32_t> codePoints(std::string_view text)
{
    std::vector<char32_t> points;
    points.reserve(text.size());
    // Each byte of an ill-formed sequence is one U+FFFD.
    for (std::size_t at = 0; at < text.size();) {
        const UTF8::Sequence sequence = UTF8::next(text, at);
        points.push_back(sequence.codePoint.value_or(replacementCharacter));
        at += sequence.length;
    }
    return points;
}

void appendUTF8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

template <class Iterator>
std::string encoded(Iterator first, Iterator last)
{
    std::string out;
    for (; first != last; ++first)
        appendUTF8(out, *first);
    return out;
}

bool isWhitespace(char32_t c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0)
        return true;
    // Space, line and paragraph separators.
    return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

struct Range {
    char32_t first, last;
};

// Unicode general category Cf.
constexpr Range formatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool isControlOrFormat(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    return std::any_of(std::begin(formatCharacters), std::end(formatCharacters),
                       [c](const Range& range) { return c >= range.first && c <= range.last; });
}

template <class Test>
std::string trimming(std::string_view text, Test test)
{
    const std::vector<char32_t> points = codePoints(text);
    auto first = std::find_if_not(points.begin(), points.end(), test);
    auto last = std::find_if_not(points.rbegin(), std::make_reverse_iterator(first), test).base();
    return encoded(first, last);
}

} // namespace

std::string_view trimmed(std::string_view text)
{
    return trimmed(text, [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

std::string lowercased(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string decodingUTF8(std::string_view bytes)
{
    const std::vector<char32_t> points = codePoints(bytes);
    return encoded(points.begin(), points.end());
}

std::string trimmingWhitespaceAndNewlines(std::string_view text)
{
    return trimming(text, isWhitespace);
}

std::string trimmingControlCharacters(std::string_view text)
{
    return trimming(text, isControlOrFormat);
}

std::string collapsingWhitespace(std::string_view text)
{
    std::string out;
    bool pendingSpace = false;
    for (const char32_t c : codePoints(text)) {
        if (isWhitespace(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        appendUTF8(out, c);
    }
    return out;
}

} // namespace Foundation
