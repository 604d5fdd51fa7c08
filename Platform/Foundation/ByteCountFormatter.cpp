#include "Platform/Foundation/ByteCountFormatter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace Foundation {

namespace {

constexpr std::array<const char*, 7> unitNames = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};

int fractionDigits(size_t unit) { return unit <= 1 ? 0 : unit == 2 ? 1 : 2; }

std::string fixed(double value, int digits)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

// "1234567.5" → "1,234,567.5".
std::string grouped(const std::string& number)
{
    const size_t integerDigits = std::min(number.find('.'), number.size());
    std::string text;
    for (size_t i = 0; i < number.size(); ++i) {
        if (i > 0 && i < integerDigits && (integerDigits - i) % 3 == 0)
            text += ',';
        text += number[i];
    }
    return text;
}

std::string withoutTrailingZeros(std::string number)
{
    if (number.find('.') == std::string::npos)
        return number;
    while (number.back() == '0')
        number.pop_back();
    if (number.back() == '.')
        number.pop_back();
    return number;
}

} // namespace

std::string ByteCountFormatter::string(std::int64_t byteCount) const
{
    const unsigned allowed = (allowedUnits_ & useAll) ? allowedUnits_ : useAll;
    const bool isAllowed[] = {(allowed & useBytes) != 0, (allowed & useKB) != 0, (allowed & useMB) != 0,
                              (allowed & useGB) != 0,    (allowed & useTB) != 0, (allowed & usePB) != 0,
                              (allowed & useEB) != 0};
    if (byteCount == 0)
        return isAllowed[0] ? "Zero bytes" : "Zero KB";

    const double base = countStyle_ == CountStyle::file || countStyle_ == CountStyle::decimal ? 1000.0 : 1024.0;
    const double magnitude = std::fabs(static_cast<double>(byteCount));
    size_t smallest = 0;
    while (!isAllowed[smallest])
        ++smallest;
    size_t unit = smallest;
    for (size_t u = smallest; u < unitNames.size(); ++u)
        if (isAllowed[u] && magnitude >= std::pow(base, static_cast<double>(u)))
            unit = u;

    std::string number;
    while (true) {
        const double value = magnitude / std::pow(base, static_cast<double>(unit));
        const double scale = std::pow(10.0, fractionDigits(unit));
        number = fixed(value, fractionDigits(unit));
        size_t larger = unit + 1;
        while (larger < unitNames.size() && !isAllowed[larger])
            ++larger;
        // 999.96 MB shows as 1000.0 MB: the next unit up says it better.
        if (larger < unitNames.size() && std::round(value * scale) / scale >= base)
            unit = larger;
        else
            break;
    }
    if (!zeroPadsFractionDigits_)
        number = withoutTrailingZeros(number);
    number = grouped(number);
    const char* name = unit == 0 && magnitude == 1 ? "byte" : unitNames[unit];
    return (byteCount < 0 ? "-" : "") + number + " " + name;
}

} // namespace Foundation
