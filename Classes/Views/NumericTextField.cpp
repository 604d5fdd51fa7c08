#include "Classes/Views/NumericTextField.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace Aerlo {

NumericTextField::NumericTextField(const Kit::Rect& frame) : Kit::TextField(frame) {}

NumericTextField::NumericTextField(const Kit::Coder& coder) : Kit::TextField(coder.frame) {}

void NumericTextField::awakeFromNib() { setDelegate(this); }

bool NumericTextField::becomeFirstResponder()
{
    const bool accepted = Kit::TextField::becomeFirstResponder();
    if (accepted)
        setDelegate(this);
    return accepted;
}

std::string NumericTextField::filtered(const std::string& text)
{
    if (text.empty())
        return {};
    std::size_t start = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        start = 1;
    }
    if (start == text.size())
        return {};
    if (!std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    // The sign goes with the digits so that the whole signed 64-bit range parses.
    const std::string digits = (negative ? "-" : "") + text.substr(start);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return {};
    return std::to_string(std::clamp<std::int64_t>(value, minimum, maximum));
}

void NumericTextField::controlTextDidChange(Kit::TextField& field)
{
    if (&field != this)
        return;
    setStringValue(filtered(stringValue()));
}

} // namespace Aerlo
