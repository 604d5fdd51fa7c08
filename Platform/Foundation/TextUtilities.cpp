#include "Platform/Foundation/TextUtilities.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace Foundation {

namespace {

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

} // namespace

std::string trimmed(std::string_view text)
{
    return trimming(text, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
}

std::string trimmingControlCharacters(std::string_view text)
{
    return trimming(text, [](UChar32 c) {
        const auto type = u_charType(c);
        return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
    });
}

} // namespace Foundation
