#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <any>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

// Text with attributes over ranges. Positions and lengths count UTF-16 units, as the platform's text does.
class AERLO_FOUNDATION_EXPORT AttributedString {
public:
    using Attributes = std::map<std::string, std::any>;

    struct Range {
        std::size_t location = 0;
        std::size_t length = 0;
        std::size_t end() const { return location + length; }
        bool operator==(const Range&) const = default;
    };

    // A run of text whose attributes are the same throughout.
    struct Run {
        Range range;
        Attributes attributes;
    };

    // The attribute keys of the platform's text system used here.
    static constexpr char underlineStyle[] = "NSUnderline";
    static constexpr char foregroundColor[] = "NSColor";
    static constexpr char backgroundColor[] = "NSBackgroundColor";
    static constexpr char font[] = "NSFont";

    AttributedString() = default;
    // UTF-8 text (invalid sequences become U+FFFD), no attributes.
    explicit AttributedString(std::string_view text);
    explicit AttributedString(std::u16string text);

    const std::u16string& utf16() const { return text_; }
    // The plain text as UTF-8.
    std::string string() const;
    std::size_t length() const { return text_.size(); }

    // Adds (or replaces) these keys over the range; other keys stay. The range is cut to the text.
    void addAttributes(const Attributes& attributes, Range range);
    void addAttribute(const std::string& key, std::any value, Range range);
    // The attributes at a position and the run they cover; empty past the end.
    Attributes attributes(std::size_t at, Range* effectiveRange = nullptr) const;
    // Runs covering the whole text, in order; neighbours with the same keys may stay apart.
    const std::vector<Run>& runs() const { return runs_; }

private:
    // Makes a run boundary at `position`; returns the index of the run that starts there.
    std::size_t split(std::size_t position);

    std::u16string text_;
    std::vector<Run> runs_;
};

} // namespace Foundation
