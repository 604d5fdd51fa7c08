#include "Platform/Foundation/StringFormat.h"

#include "Platform/Foundation/NumberText.h"
#include "Platform/Foundation/Saturating.h"
#include "Platform/Foundation/UTF8.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace Foundation {

namespace {

using Argument = StringFormat::Argument;

std::int64_t toSigned(const Argument& argument)
{
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return *value;
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return *value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::numeric_limits<std::int64_t>::max()
                   : static_cast<std::int64_t>(*value);
    return saturatedInt64(std::get<double>(argument));
}

std::uint64_t toUnsigned(const Argument& argument)
{
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return *value;
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return static_cast<std::uint64_t>(*value); // two's complement, as the C library prints it
    return saturatedUInt64(std::get<double>(argument));
}

double toDouble(const Argument& argument)
{
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return static_cast<double>(*value);
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return static_cast<double>(*value);
    return std::get<double>(argument);
}

template <class Number>
std::string digits(Number value, int base = 10)
{
    char buffer[72];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
    return std::string(buffer, result.ptr);
}

std::string nonFinite(double value)
{
    if (std::isnan(value))
        return std::signbit(value) ? "-nan" : "nan";
    return value < 0 ? "-inf" : "inf";
}

std::string floating(double value, std::chars_format style, int precision)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (style == std::chars_format::fixed)
        return NumberText::fixed(value, precision);
    char buffer[128];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, style, precision);
    return std::string(buffer, result.ptr);
}

std::string objectText(const Argument& argument)
{
    if (const auto* text = std::get_if<std::string>(&argument))
        return *text;
    if (const auto* value = std::get_if<std::int64_t>(&argument))
        return digits(*value);
    if (const auto* value = std::get_if<std::uint64_t>(&argument))
        return digits(*value);
    const double value = std::get<double>(argument);
    if (!std::isfinite(value))
        return nonFinite(value);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// A code point as UTF-8; nothing for NUL, surrogates and values beyond Unicode.
std::string character(std::uint64_t code)
{
    if (code == 0 || code > 0x10FFFF)
        return {};
    return UTF8::encode(static_cast<char32_t>(code));
}

// Characters (UTF-8 lead bytes) in a text.
std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `count` characters of a text.
std::string firstCharacters(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == count)
            break;
    }
    return std::string(text.substr(0, at));
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

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alternate = false;
    std::size_t width = 0;
    std::optional<int> precision;
    char conversion = 0;
};

bool isNumeric(char conversion) { return std::string_view("diuxXofFeEgGc").find(conversion) != std::string_view::npos; }

// Sign or prefix, zeros and spaces around `body` as the flags and width ask.
std::string pad(const Spec& spec, std::string prefix, std::string body, bool zeroAllowed)
{
    const std::size_t length = characterCount(prefix) + characterCount(body);
    if (length >= spec.width)
        return prefix + body;
    const std::size_t fill = spec.width - length;
    if (spec.left)
        return prefix + body + std::string(fill, ' ');
    if (spec.zero && zeroAllowed)
        return prefix + std::string(fill, '0') + body;
    return std::string(fill, ' ') + prefix + body;
}

std::string signPrefix(const Spec& spec, bool negative)
{
    if (negative)
        return "-";
    if (spec.plus)
        return "+";
    return spec.space ? " " : "";
}

std::string integer(const Spec& spec, const Argument& argument)
{
    const char c = spec.conversion;
    const bool isSigned = c == 'd' || c == 'i';
    std::string prefix;
    std::string body;
    if (isSigned) {
        const std::int64_t value = toSigned(argument);
        prefix = signPrefix(spec, value < 0);
        body = value < 0 ? digits(0 - static_cast<std::uint64_t>(value)) : digits(value);
    } else {
        const std::uint64_t value = toUnsigned(argument);
        body = digits(value, c == 'o' ? 8 : c == 'u' ? 10 : 16);
        if (c == 'X')
            std::transform(body.begin(), body.end(), body.begin(), [](unsigned char d) { return std::toupper(d); });
        if (spec.alternate && value != 0 && (c == 'x' || c == 'X'))
            prefix = c == 'x' ? "0x" : "0X";
    }
    if (spec.precision) {
        if (*spec.precision == 0 && body == "0")
            body.clear();
        if (body.size() < static_cast<std::size_t>(*spec.precision))
            body.insert(0, static_cast<std::size_t>(*spec.precision) - body.size(), '0');
    }
    if (spec.alternate && c == 'o' && (body.empty() || body.front() != '0'))
        body.insert(0, 1, '0');
    return pad(spec, prefix, body, !spec.precision);
}

std::string real(const Spec& spec, const Argument& argument)
{
    const double value = toDouble(argument);
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(spec.conversion)));
    const auto style = c == 'f'   ? std::chars_format::fixed
                       : c == 'e' ? std::chars_format::scientific
                                  : std::chars_format::general;
    int precision = spec.precision.value_or(6);
    if (c == 'g' && precision == 0)
        precision = 1;
    std::string body = floating(std::fabs(value), style, precision);
    if (std::isnan(value))
        body = "nan";
    if (spec.alternate && precision == 0 && c != 'g' && std::isfinite(value)) {
        const auto exponent = body.find('e');
        body.insert(exponent == std::string::npos ? body.size() : exponent, 1, '.');
    }
    if (std::isupper(static_cast<unsigned char>(spec.conversion)))
        std::transform(body.begin(), body.end(), body.begin(), [](unsigned char d) { return std::toupper(d); });
    return pad(spec, signPrefix(spec, std::signbit(value)), body, std::isfinite(value));
}

std::string text(const Spec& spec, const Argument& argument)
{
    std::string body = objectText(argument);
    if (spec.precision && spec.conversion != 'c')
        body = firstCharacters(body, static_cast<std::size_t>(*spec.precision));
    return pad(spec, "", body, false);
}

std::string directive(const Spec& spec, const Argument& argument)
{
    const bool isText = std::holds_alternative<std::string>(argument);
    switch (spec.conversion) {
    case '@':
    case 's':
        return text(spec, argument);
    case 'c':
        return isText ? text(spec, argument) : pad(spec, "", character(toUnsigned(argument)), false);
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        return isText ? text(spec, argument) : integer(spec, argument);
    default:
        return isText ? text(spec, argument) : real(spec, argument);
    }
}

} // namespace

std::string StringFormat::format(std::string_view format, std::span<const Argument> arguments)
{
    std::string out;
    out.reserve(format.size());
    std::size_t nextArgument = 0;
    // The next sequential argument, or nothing past the end.
    const auto take = [&]() -> const Argument* {
        const std::size_t index = nextArgument++;
        return index < arguments.size() ? &arguments[index] : nullptr;
    };
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
        Spec spec;
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
        for (; cursor < format.size(); ++cursor) {
            const char flag = format[cursor];
            if (flag == '-')
                spec.left = true;
            else if (flag == '+')
                spec.plus = true;
            else if (flag == ' ')
                spec.space = true;
            else if (flag == '0')
                spec.zero = true;
            else if (flag == '#')
                spec.alternate = true;
            else
                break;
        }
        if (cursor < format.size() && format[cursor] == '*') {
            ++cursor;
            if (const Argument* width = take()) {
                const std::int64_t value = std::holds_alternative<std::string>(*width) ? 0 : toSigned(*width);
                spec.left = spec.left || value < 0;
                const std::uint64_t magnitude =
                    value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
                spec.width = static_cast<std::size_t>(std::min<std::uint64_t>(magnitude, maxWidth));
            }
        } else if (const auto width = readNumber(format, cursor)) {
            spec.width = std::min<std::size_t>(*width, maxWidth);
        }
        if (cursor < format.size() && format[cursor] == '.') {
            ++cursor;
            if (cursor < format.size() && format[cursor] == '*') {
                ++cursor;
                const Argument* precision = take();
                const std::int64_t value =
                    precision && !std::holds_alternative<std::string>(*precision) ? toSigned(*precision) : -1;
                if (value >= 0)
                    spec.precision = static_cast<int>(std::min<std::int64_t>(value, maxPrecision));
            } else {
                const auto number = readNumber(format, cursor);
                spec.precision = number ? static_cast<int>(std::min<std::size_t>(*number, maxPrecision)) : 0;
            }
        }
        // Length modifiers: taken and ignored (every argument carries its own type).
        for (std::size_t count = 0; cursor < format.size() && count < 2
                                    && std::string_view("hljztL").find(format[cursor]) != std::string_view::npos;
             ++count)
            ++cursor;
        if (cursor >= format.size()) {
            out.append(format.substr(percent));
            break;
        }
        spec.conversion = format[cursor];
        if (spec.conversion != '@' && spec.conversion != 's' && !isNumeric(spec.conversion)) {
            out.append(format.substr(percent, cursor + 1 - percent));
            at = cursor + 1;
            continue;
        }
        at = cursor + 1;
        const Argument* argument = position ? (*position < arguments.size() ? &arguments[*position] : nullptr) : take();
        if (argument)
            out += directive(spec, *argument);
    }
    return out;
}

std::string StringFormat::format(std::string_view format, const std::vector<std::string>& arguments)
{
    std::vector<Argument> converted(arguments.begin(), arguments.end());
    return StringFormat::format(format, std::span<const Argument>(converted));
}

std::string StringFormat::formatObjects(std::string_view format, const std::vector<std::string>& arguments)
{
    std::string result;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            result += format[i];
            continue;
        }
        if (format[i + 1] == '%' || format[i + 1] == '@') {
            if (format[i + 1] == '%')
                result += '%';
            else if (next < arguments.size())
                result += arguments[next++];
            ++i;
            continue;
        }
        // "%N$@": the digits, then "$@".
        std::size_t end = i + 1;
        std::size_t position = 0;
        while (end < format.size() && std::isdigit(static_cast<unsigned char>(format[end])) && position < 1000)
            position = position * 10 + static_cast<std::size_t>(format[end++] - '0');
        if (end > i + 1 && position > 0 && format.substr(end, 2) == "$@") {
            if (position <= arguments.size())
                result += arguments[position - 1];
            i = end + 1;
            continue;
        }
        result += '%';
    }
    return result;
}

} // namespace Foundation
