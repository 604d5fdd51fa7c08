#include "Platform/Foundation/TextUtilities.h"

#include "Platform/Foundation/UTF8.h"

#include "Platform/Foundation/IcuSupport.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Foundation {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// The text without the code points at either end that pass `test`; an invalid sequence ends the trim.
template <class Test>
std::string trimming(std::string_view text, Test test)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !test(c))
            break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !test(c))
            break;
        end = previous;
    }
    return std::string(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
}

// Calls `each(codePoint)` along the text, each byte of an ill-formed sequence as one U+FFFD.
template <class Each>
void forEachCodePoint(std::string_view text, Each each)
{
    for (std::size_t at = 0; at < text.size();) {
        const UTF8::Sequence sequence = UTF8::next(text, at);
        each(sequence.codePoint.value_or(replacementCharacter));
        at += sequence.length;
    }
}

void append(std::string& out, char32_t c)
{
    uint8_t bytes[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(c));
    out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
}

} // namespace

std::string trimmed(std::string_view text)
{
    return trimming(text, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
}

std::string_view trimmed(std::string_view text, std::string_view characters)
{
    const auto first = text.find_first_not_of(characters);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

std::string trimmingControlCharacters(std::string_view text)
{
    return trimming(text, [](UChar32 c) {
        const auto type = u_charType(c);
        return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
    });
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
    if (UTF8::isValid(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    forEachCodePoint(bytes, [&out](char32_t c) { append(out, c); });
    return out;
}

std::string collapsingWhitespace(std::string_view text)
{
    std::string out;
    bool pendingSpace = false;
    forEachCodePoint(text, [&](char32_t c) {
        if (u_isUWhiteSpace(static_cast<UChar32>(c))) {
            pendingSpace = !out.empty();
            return;
        }
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        append(out, c);
    });
    return out;
}

std::string printableLine(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    forEachCodePoint(text, [&](char32_t c) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F)
            out += {'\\', 'x', hex[c >> 4], hex[c & 0xF]};
        else if (c >= 0x80 && c <= 0x9F)
            out += {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
        else
            append(out, c);
    });
    return out;
}

std::size_t characterCount(std::string_view text)
{
    const icu::UnicodeString unicode = Icu::unicode(decodingUTF8(text));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !breaks)
        return static_cast<std::size_t>(unicode.countChar32());
    breaks->setText(unicode);
    std::size_t count = 0;
    breaks->first();
    while (breaks->next() != icu::BreakIterator::DONE)
        ++count;
    return count;
}

} // namespace Foundation
