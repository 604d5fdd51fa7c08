#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

// An address given as text. A text is a URL when it is not empty, holds only the characters RFC 3986
// allows (unreserved, reserved and "%") and every "%" is followed by two hexadecimal digits. Nothing is
// encoded or trimmed before the check.
class AERLO_FOUNDATION_EXPORT URL {
public:
    // The URL for `text`, or nothing when the text breaks the rule above.
    static std::optional<URL> string(std::string_view text);
    static bool isValid(std::string_view text);

    // `text` with every byte outside the query's allowed characters (unreserved, sub-delimiters, ":", "@",
    // "/" and "?") percent-encoded from UTF-8; nothing when `text` is not well-formed UTF-8.
    static std::optional<std::string> percentEncodedForQuery(std::string_view text);

    const std::string& absoluteString() const { return text_; }
    // The scheme before the first ":" ("https"), lower-cased; empty when the text has none.
    std::string scheme() const;

    bool operator==(const URL&) const = default;

private:
    explicit URL(std::string text) : text_(std::move(text)) {}

    std::string text_;
};

} // namespace Foundation
