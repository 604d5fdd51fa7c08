#pragma once

#include <string>
#include <string_view>

namespace Foundation {

// White space and newlines (Unicode White_Space) trimmed from both ends of UTF-8 text.
std::string trimmed(std::string_view text);
// Control and format characters (Unicode Cc and Cf) trimmed from both ends of UTF-8 text.
std::string trimmingControlCharacters(std::string_view text);

} // namespace Foundation
