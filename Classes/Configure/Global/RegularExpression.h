#pragma once

#include "Platform/Foundation/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// A compiled regular expression (PCRE syntax) over UTF-8 text; text and pattern are decoded with repair
// first, so any bytes are accepted. Copies share the compiled pattern; using one from several threads
// at once is safe.
class RegularExpression {
public:
    enum Option : unsigned {
        caseInsensitive = 1u << 0,
    };
    using Options = unsigned;

    // The compiled pattern, or why it does not compile ("missing closing parenthesis at offset 9").
    static Foundation::Result<RegularExpression> make(std::string_view pattern, Options options = 0);

    // Whether a search finds a range.
    bool matches(std::string_view text) const;
    // The text of the first match; nothing when there is none.
    std::optional<std::string> firstMatch(std::string_view text) const;
    // Every match replaced by `replacement`, taken literally.
    std::string replacingMatches(std::string_view text, std::string_view replacement) const;

private:
    struct Code;
    explicit RegularExpression(std::shared_ptr<const Code> code) : code_(std::move(code)) {}

    std::shared_ptr<const Code> code_;
};

} // namespace Aerlo
