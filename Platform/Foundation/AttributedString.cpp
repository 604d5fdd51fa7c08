#include "Platform/Foundation/AttributedString.h"

#include "Platform/Foundation/IcuSupport.h"

#include <algorithm>

namespace Foundation {

AttributedString::AttributedString(std::string_view text)
{
    const icu::UnicodeString unicode = Icu::unicode(text);
    text_.assign(unicode.getBuffer(), unicode.getBuffer() + unicode.length());
    if (!text_.empty())
        runs_.push_back({{0, text_.size()}, {}});
}

AttributedString::AttributedString(std::u16string text) : text_(std::move(text))
{
    if (!text_.empty())
        runs_.push_back({{0, text_.size()}, {}});
}

std::string AttributedString::string() const
{
    return Icu::utf8(icu::UnicodeString(text_.data(), static_cast<int32_t>(text_.size())));
}

std::size_t AttributedString::split(std::size_t position)
{
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        Run& run = runs_[i];
        if (run.range.location == position)
            return i;
        if (position > run.range.location && position < run.range.end()) {
            Run tail {{position, run.range.end() - position}, run.attributes};
            run.range.length = position - run.range.location;
            runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return i + 1;
        }
    }
    return runs_.size();
}

void AttributedString::addAttributes(const Attributes& attributes, Range range)
{
    const std::size_t start = std::min(range.location, text_.size());
    const std::size_t end = start + std::min(range.length, text_.size() - start);
    if (start >= end)
        return;
    const std::size_t first = split(start);
    split(end);
    for (std::size_t i = first; i < runs_.size() && runs_[i].range.location < end; ++i)
        for (const auto& [key, value] : attributes)
            runs_[i].attributes[key] = value;
}

void AttributedString::addAttribute(const std::string& key, std::any value, Range range)
{
    addAttributes({{key, std::move(value)}}, range);
}

AttributedString::Attributes AttributedString::attributes(std::size_t at, Range* effectiveRange) const
{
    for (const Run& run : runs_)
        if (at >= run.range.location && at < run.range.end()) {
            if (effectiveRange)
                *effectiveRange = run.range;
            return run.attributes;
        }
    if (effectiveRange)
        *effectiveRange = {};
    return {};
}

} // namespace Foundation
