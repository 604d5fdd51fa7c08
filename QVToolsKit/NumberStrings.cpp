#include "QVToolsKit/NumberStrings.h"

#include "Platform/Foundation/NumberText.h"

#include <charconv>
#include <cmath>

namespace QVToolsKit {

using Foundation::NumberText;

std::string stringFromInt(std::int64_t value) { return NumberText::decimal(value); }
std::string stringFromInteger(std::int64_t value) { return NumberText::decimal(value); }
std::string stringFromUInt(std::uint64_t value) { return NumberText::decimal(value); }
std::string stringFromUInteger(std::uint64_t value) { return NumberText::decimal(value); }

std::string stringFromFloat(float value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    const float magnitude = std::fabs(value);
    const bool exponent = magnitude != 0 && (magnitude < 1e-4f || magnitude > 16777216.0f);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      exponent ? std::chars_format::scientific : std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (!exponent && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

std::string stringFromFloatPrice(float value) { return Foundation::NumberText::fixed(static_cast<double>(value), 2); }

} // namespace QVToolsKit
