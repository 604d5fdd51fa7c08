#include "Classes/Configure/Global/JSONObjectReader.h"

#include <cmath>

namespace Aerlo {

namespace {
const JSONObjectReader::json nullValue;
}

JSONObjectReader::JSONObjectReader(const json& value) : object_(value), ok_(value.is_object()) {}

const JSONObjectReader::json* JSONObjectReader::find(std::string_view key) const
{
    if (!object_.is_object())
        return nullptr;
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &*it;
}

const JSONObjectReader::json& JSONObjectReader::member(std::string_view key)
{
    const json* value = find(key);
    if (value == nullptr) {
        ok_ = false;
        return nullValue;
    }
    return *value;
}

std::string JSONObjectReader::string(std::string_view key)
{
    const json& value = member(key);
    if (!value.is_string()) {
        ok_ = false;
        return {};
    }
    return value.get<std::string>();
}

double JSONObjectReader::number(std::string_view key)
{
    const auto number = asNumber(member(key));
    if (!number)
        ok_ = false;
    return number.value_or(0);
}

double JSONObjectReader::numberOrNaN(std::string_view key)
{
    const json* value = find(key);
    if (value != nullptr && value->is_null())
        return std::nan("");
    return number(key);
}

int64_t JSONObjectReader::integer(std::string_view key)
{
    const auto integer = asInteger(member(key));
    if (!integer)
        ok_ = false;
    return integer.value_or(0);
}

bool JSONObjectReader::boolean(std::string_view key)
{
    const json& value = member(key);
    if (!value.is_boolean()) {
        ok_ = false;
        return false;
    }
    return value.get<bool>();
}

const JSONObjectReader::json* JSONObjectReader::optionalMember(std::string_view key)
{
    const json* value = find(key);
    return value == nullptr || value->is_null() ? nullptr : value;
}

std::optional<std::string> JSONObjectReader::optionalString(std::string_view key)
{
    const json* value = optionalMember(key);
    if (value == nullptr)
        return std::nullopt;
    if (!value->is_string()) {
        ok_ = false;
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<double> JSONObjectReader::optionalNumber(std::string_view key)
{
    const json* value = optionalMember(key);
    if (value == nullptr)
        return std::nullopt;
    const auto number = asNumber(*value);
    if (!number)
        ok_ = false;
    return number;
}

std::optional<int64_t> JSONObjectReader::optionalInteger(std::string_view key)
{
    const json* value = optionalMember(key);
    if (value == nullptr)
        return std::nullopt;
    const auto integer = asInteger(*value);
    if (!integer)
        ok_ = false;
    return integer;
}

std::optional<int64_t> JSONObjectReader::asInteger(const json& value)
{
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX))
            return std::nullopt;
        return value.get<int64_t>();
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // 2^63 itself does not fit.
        if (std::isfinite(number) && number == std::trunc(number) && number >= -9223372036854775808.0
            && number < 9223372036854775808.0)
            return static_cast<int64_t>(number);
    }
    return std::nullopt;
}

std::optional<double> JSONObjectReader::asNumber(const json& value)
{
    if (!value.is_number())
        return std::nullopt;
    return value.get<double>();
}

} // namespace Aerlo
