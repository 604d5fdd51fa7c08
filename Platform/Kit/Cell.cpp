#include "Platform/Kit/Cell.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace Kit {

namespace {

// The leading decimal number of a text after white space: "12.5 rpm" is 12.5, "abc" is 0.
double leadingNumber(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\n\r");
    if (start == std::string_view::npos)
        return 0;
    if (text[start] == '+')
        ++start;
    double number = 0;
    const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), number);
    (void)end;
    return error == std::errc() ? number : 0;
}

std::string shortestText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

} // namespace

double Cell::doubleValue() const
{
    if (const double* number = std::get_if<double>(&value_))
        return *number;
    const std::string& text = std::get<std::string>(value_);
    if (formatter_)
        if (const auto value = formatter_->value(text); value.ok())
            return *value;
    return leadingNumber(text);
}

void Cell::setDoubleValue(double value) { value_ = value; }

long Cell::integerValue() const
{
    const double value = doubleValue();
    if (!std::isfinite(value) || value >= 9.2233720368547758e18 || value < -9.2233720368547758e18)
        return 0;
    return static_cast<long>(value);
}

std::string Cell::stringValue() const
{
    if (const std::string* text = std::get_if<std::string>(&value_))
        return *text;
    const double number = std::get<double>(value_);
    return formatter_ ? formatter_->string(number) : shortestText(number);
}

void Cell::setStringValue(std::string value) { value_ = std::move(value); }

} // namespace Kit
