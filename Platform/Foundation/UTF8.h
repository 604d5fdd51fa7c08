#pragma once

#include <string_view>

namespace Foundation {

// UTF-8 checks shared by everything that takes text from outside (files, frames, child output).
class UTF8 {
public:
    // Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool isValid(std::string_view text);
};

} // namespace Foundation
