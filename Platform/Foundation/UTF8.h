#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// UTF-8 checks shared by everything that takes text from outside (files, frames, child output).
class AERLO_FOUNDATION_EXPORT UTF8 {
public:
    // Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    [[nodiscard]] static bool isValid(std::string_view text);
    // Bytes read as Latin-1 (each byte the code point of its value), in UTF-8.
    static std::string fromLatin1(std::string_view bytes);
    // The Latin-1 bytes of a UTF-8 text; nullopt when it is not valid UTF-8 or holds a code point above U+00FF.
    static std::optional<std::string> toLatin1(std::string_view text);

    // The sequence that starts at byte `at` (below text.size()): its code point and length, or no code
    // point and length 1 when the byte there does not start a well-formed sequence.
    struct Sequence {
        std::optional<char32_t> codePoint;
        std::size_t length;
    };
    static Sequence next(std::string_view text, std::size_t at);
    // The code point in UTF-8; nothing for surrogates and values beyond Unicode.
    static std::string encode(char32_t codePoint);
};

} // namespace Foundation
