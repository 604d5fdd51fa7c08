#include "Platform/Foundation/StringFormat.h"

#include "Platform/Foundation/Saturating.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace Foundation {

namespace {

std::int64_t toSigned(const StringFormat::Argument& argument)
{
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return *value;
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return *value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::numeric_limits<std::int64_t>::max()
                   : static_cast<std::int64_t>(*value);
    return saturatedInt64(std::get<double>(argument));
}

std::uint64_t toUnsigned(const StringFormat::Argument& argument)
{
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return *value;
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return static_cast<std::uint64_t>(*value); // two's complement, as the C library prints it
    return saturatedUInt64(std::get<double>(argument));
}

double toDouble(const StringFormat::Argument& argument)
{
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return static_cast<double>(*value);
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return static_cast<double>(*value);
    return std::get<double>(argument);
}

template <class Number>
std::string decimal(Number value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string nonFinite(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

std::string fixed(double value, int precision)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    // 309 integer digits at most, plus sign, point and the fraction.
    std::string buffer(320 + static_cast<std::size_t>(precision), '\0');
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed,
                                      precision);
    buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
    return buffer;
}

std::string shortest(double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    return decimal(value);
}

std::string objectText(const StringFormat::Argument& argument)
{
    if (const auto* text = std::get_if<std::string>(&argument))
        return *text;
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return decimal(*value);
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return decimal(*value);
    return shortest(std::get<double>(argument));
}

// Reads the digits at `at`; nothing when there are none (or too many to mean anything).
std::optional<std::size_t> readNumber(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    std::size_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (at - start >= 6)
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(text[at] - '0');
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return value;
}

} // namespace

std::string StringFormat::format(std::string_view format, std::span<const Argument> arguments)
{
    std::string out;
    out.reserve(format.size());
    std::size_t nextArgument = 0;
    std::size_t at = 0;
    while (at < format.size()) {
        const std::size_t percent = format.find('%', at);
        if (percent == std::string_view::npos) {
            out.append(format.substr(at));
            break;
        }
        out.append(format.substr(at, percent - at));
        std::size_t cursor = percent + 1;
        if (cursor < format.size() && format[cursor] == '%') {
            out += '%';
            at = cursor + 1;
            continue;
        }
        // Optional position "N$".
        std::optional<std::size_t> position;
        {
            std::size_t probe = cursor;
            const auto number = readNumber(format, probe);
            if (number && probe < format.size() && format[probe] == '$' && *number > 0) {
                position = *number - 1;
                cursor = probe + 1;
            }
        }
        // Optional precision ".N".
        std::optional<int> precision;
        if (cursor < format.size() && format[cursor] == '.') {
            std::size_t probe = cursor + 1;
            const auto number = readNumber(format, probe);
            precision = number ? static_cast<int>(std::min<std::size_t>(*number, maxPrecision)) : 0;
            cursor = probe;
        }
        // Length modifiers.
        std::size_t longs = 0;
        while (cursor < format.size() && format[cursor] == 'l' && longs < 2) {
            ++longs;
            ++cursor;
        }
        if (cursor >= format.size()) {
            out.append(format.substr(percent));
            break;
        }
        const char conversion = format[cursor];
        const bool known = conversion == '@' || conversion == 'd' || conversion == 'i' || conversion == 'u' ||
                           conversion == 's' || conversion == 'f';
        if (!known) {
            out.append(format.substr(percent, cursor + 1 - percent));
            at = cursor + 1;
            continue;
        }
        at = cursor + 1;
        const std::size_t index = position ? *position : nextArgument++;
        if (index >= arguments.size())
            continue;
        const Argument& argument = arguments[index];
        const bool isText = std::holds_alternative<std::string>(argument);
        switch (conversion) {
        case '@':
        case 's':
            out += objectText(argument);
            break;
        case 'd':
        case 'i':
            out += isText ? objectText(argument) : decimal(toSigned(argument));
            break;
        case 'u':
            out += isText ? objectText(argument) : decimal(toUnsigned(argument));
            break;
        case 'f':
            out += isText ? objectText(argument) : fixed(toDouble(argument), precision.value_or(6));
            break;
        }
    }
    return out;
}

std::string StringFormat::format(std::string_view format, const std::vector<std::string>& arguments)
{
    std::vector<Argument> converted(arguments.begin(), arguments.end());
    return StringFormat::format(format, std::span<const Argument>(converted));
}

} // namespace Foundation
