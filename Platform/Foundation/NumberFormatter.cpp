#include "Platform/Foundation/NumberFormatter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Foundation {

namespace {

constexpr int fractionDigitsLimit = 15;

// Sign, digits, and at most one "." followed by digits: the shape of a number, or of the start of one.
struct Shape {
    bool sign = false;
    size_t integerDigits = 0;
    bool point = false;
    size_t fractionDigits = 0;
};

std::optional<Shape> shapeOf(std::string_view text)
{
    Shape shape;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        shape.sign = true;
        ++i;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++(shape.point ? shape.fractionDigits : shape.integerDigits);
        } else if (c == '.' && !shape.point) {
            shape.point = true;
        } else {
            return std::nullopt;
        }
    }
    return shape;
}

} // namespace

void NumberFormatter::setMinimumFractionDigits(int digits)
{
    minimumFractionDigits_ = std::clamp(digits, 0, fractionDigitsLimit);
    maximumFractionDigits_ = std::max(maximumFractionDigits_, minimumFractionDigits_);
}

void NumberFormatter::setMaximumFractionDigits(int digits)
{
    maximumFractionDigits_ = std::clamp(digits, 0, fractionDigitsLimit);
    minimumFractionDigits_ = std::min(minimumFractionDigits_, maximumFractionDigits_);
}

std::string NumberFormatter::string(double value) const
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "+∞" : "-∞";
    const int digits = allowsFloats_ ? maximumFractionDigits_ : 0;
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    if (error != std::errc())
        return {};
    std::string text(buffer, end);
    if (const size_t point = text.find('.'); point != std::string::npos) {
        const size_t keep = point + 1 + static_cast<size_t>(allowsFloats_ ? minimumFractionDigits_ : 0);
        while (text.size() > keep && text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    // No negative zero.
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

Result<double> NumberFormatter::value(std::string_view text) const
{
    const std::optional<Shape> shape = shapeOf(text);
    if (!shape || shape->integerDigits + shape->fractionDigits == 0)
        return Error("Invalid number");
    if (shape->point && !allowsFloats_)
        return Error("Invalid number");
    const size_t start = text.front() == '+' ? 1 : 0;
    // "5." reads as 5.
    const size_t length = text.back() == '.' ? text.size() - 1 : text.size();
    double number = 0;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + length, number);
    if (error != std::errc() || end != text.data() + length || !std::isfinite(number))
        return Error("Invalid number");
    if (minimum_ && number < *minimum_)
        return Error("Value too small");
    if (maximum_ && number > *maximum_)
        return Error("Value too large");
    return number;
}

bool NumberFormatter::isPartialStringValid(std::string_view text) const
{
    const std::optional<Shape> shape = shapeOf(text);
    if (!shape || (shape->point && !allowsFloats_))
        return false;
    if (shape->point && static_cast<int>(shape->fractionDigits) > maximumFractionDigits_)
        return false;
    // A sign the limits rule out cannot start a good number.
    if (shape->sign && text.front() == '-' && minimum_ && *minimum_ >= 0)
        return false;
    if (shape->integerDigits + shape->fractionDigits == 0)
        return true;
    // More digits only make the magnitude grow: a number already beyond the limit on its side stays beyond it.
    const size_t start = text.front() == '+' ? 1 : 0;
    double number = 0;
    std::from_chars(text.data() + start, text.data() + text.size(), number);
    if (number > 0 && maximum_ && number > *maximum_)
        return false;
    if (number < 0 && minimum_ && number < *minimum_)
        return false;
    return true;
}

} // namespace Foundation
