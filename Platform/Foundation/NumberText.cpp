#include "Platform/Foundation/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace Foundation {

std::string NumberText::fixed(double value, int digits)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // A double has at most 309 integer digits; the fraction digits come on top.
    std::string text(330 + std::max(digits, 0), '\0');
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, std::max(digits, 0));
    if (result.ec != std::errc {})
        return {};
    text.resize(static_cast<size_t>(result.ptr - text.data()));
    return text;
}

std::string NumberText::decimal(double value, int minFractionDigits, int maxFractionDigits)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-∞" : "∞";
    maxFractionDigits = std::max(maxFractionDigits, 0);
    minFractionDigits = std::clamp(minFractionDigits, 0, maxFractionDigits);

    // The shortest round-trip text, as d.ddde±x.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    if (result.ec != std::errc {})
        return {};
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.')
            digits += c;
    }
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());

    // digits × 10^(pointPosition - digits.size()): make the integer part at least one digit.
    int pointPosition = exponent + 1;
    if (pointPosition <= 0) {
        digits.insert(0, static_cast<size_t>(1 - pointPosition), '0');
        pointPosition = 1;
    }
    if (digits.size() < static_cast<size_t>(pointPosition))
        digits.append(static_cast<size_t>(pointPosition) - digits.size(), '0');

    // Round half to even at the last kept fraction digit.
    const size_t keep = static_cast<size_t>(pointPosition + maxFractionDigits);
    if (digits.size() > keep) {
        const char first = digits[keep];
        const bool restNonZero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
        const bool lastOdd = keep > 0 && (digits[keep - 1] - '0') % 2 == 1;
        const bool up = first > '5' || (first == '5' && (restNonZero || lastOdd));
        digits.resize(keep);
        if (up) {
            size_t i = keep;
            while (i > 0 && digits[i - 1] == '9')
                digits[--i] = '0';
            if (i == 0) {
                digits.insert(digits.begin(), '1');
                ++pointPosition;
            } else {
                ++digits[i - 1];
            }
        }
    }

    std::string integerPart = digits.substr(0, static_cast<size_t>(pointPosition));
    std::string fraction = digits.substr(static_cast<size_t>(pointPosition));
    fraction.resize(std::max(fraction.size(), static_cast<size_t>(minFractionDigits)), '0');
    while (fraction.size() > static_cast<size_t>(minFractionDigits) && fraction.back() == '0')
        fraction.pop_back();
    const size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart = firstNonZero == std::string::npos ? "0" : integerPart.substr(firstNonZero);

    std::string grouped;
    for (size_t i = 0; i < integerPart.size(); ++i) {
        if (i > 0 && (integerPart.size() - i) % 3 == 0)
            grouped += ',';
        grouped += integerPart[i];
    }
    const bool zero = integerPart == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string out = (value < 0 && !zero) ? "-" : "";
    out += grouped;
    if (!fraction.empty())
        out += "." + fraction;
    return out;
}

std::string NumberText::shortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

} // namespace Foundation
