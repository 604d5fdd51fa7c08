#include "QVToolsKit/QVTextHighlighter.h"

#include "Platform/Foundation/UTF8.h"

#include <algorithm>
#include <cstdint>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace QVToolsKit {

namespace {

// A code point after simple case folding, and where it starts in the UTF-16 text.
struct FoldedCharacter {
    UChar32 codePoint;
    std::size_t offset;
};

std::vector<FoldedCharacter> folded(const std::u16string& text)
{
    std::vector<FoldedCharacter> characters;
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t at = 0; at < length;) {
        const int32_t start = at;
        UChar32 c;
        U16_NEXT(text.data(), at, length, c);
        characters.push_back({u_foldCase(c, U_FOLD_CASE_DEFAULT), static_cast<std::size_t>(start)});
    }
    return characters;
}

// The keyword's folded code points; each byte of an ill-formed sequence is one U+FFFD.
std::vector<UChar32> foldedKeyword(std::string_view keyword)
{
    std::vector<UChar32> codePoints;
    for (std::size_t at = 0; at < keyword.size();) {
        const auto sequence = Foundation::UTF8::next(keyword, at);
        const auto c = static_cast<UChar32>(sequence.codePoint.value_or(0xFFFD));
        codePoints.push_back(u_foldCase(c, U_FOLD_CASE_DEFAULT));
        at += sequence.length;
    }
    return codePoints;
}

} // namespace

Foundation::AttributedString QVTextHighlighter::highlight(const std::vector<std::string>& keywords,
                                                          const std::string& in,
                                                          const Foundation::AttributedString::Attributes& attributes,
                                                          bool underline)
{
    Foundation::AttributedString text(in);
    const std::vector<FoldedCharacter> haystack = folded(text.utf16());
    const auto same = [](const FoldedCharacter& character, UChar32 c) { return character.codePoint == c; };
    for (const std::string& keyword : keywords) {
        const std::vector<UChar32> needle = foldedKeyword(keyword);
        if (needle.empty())
            continue;
        auto from = haystack.begin();
        while (true) {
            const auto found = std::search(from, haystack.end(), needle.begin(), needle.end(), same);
            if (found == haystack.end())
                break;
            const auto after = found + static_cast<std::ptrdiff_t>(needle.size());
            const std::size_t end = after == haystack.end() ? text.utf16().size() : after->offset;
            const Foundation::AttributedString::Range range {found->offset, end - found->offset};
            text.addAttributes(attributes, range);
            if (underline)
                text.addAttribute(Foundation::AttributedString::underlineStyle, 1, range);
            from = after;
        }
    }
    return text;
}

std::string QVTextHighlighter::convertToPlainText(const Foundation::AttributedString& from) { return from.string(); }

} // namespace QVToolsKit
