#include "Platform/Foundation/PropertyListValue.h"

#include "Platform/Foundation/Base64.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace Foundation {

namespace {

using Json = nlohmann::ordered_json;
// Parsed text goes into sorted objects: an ordered object finds a key by a linear search, so reading a
// large dictionary into one takes time quadratic in its size.
using ParsedJson = nlohmann::json;

constexpr int maximumDepth = 512;

template <class AnyJson>
std::optional<double> finiteNumber(const AnyJson& json)
{
    if (!json.is_number())
        return std::nullopt;
    const double value = json.template get<double>();
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

template <class AnyJson>
std::optional<PropertyListValue> decode(const AnyJson& json, int depth)
{
    if (depth > maximumDepth || !json.is_object())
        return std::nullopt;
    const auto tagIt = json.find("t");
    if (tagIt == json.end() || !tagIt->is_string())
        return std::nullopt;
    const std::string& tag = tagIt->template get_ref<const std::string&>();
    if (tag == "null") {
        if (json.size() != 1)
            return std::nullopt;
        return PropertyListValue();
    }
    const auto valueIt = json.find("v");
    if (json.size() != 2 || valueIt == json.end())
        return std::nullopt;
    const AnyJson& v = *valueIt;
    if (tag == "bool") {
        if (!v.is_boolean())
            return std::nullopt;
        return PropertyListValue(v.template get<bool>());
    }
    if (tag == "int") {
        if (v.is_number_integer() && !v.is_number_unsigned())
            return PropertyListValue(v.template get<std::int64_t>());
        if (v.is_number_unsigned()) {
            const auto u = v.template get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                return std::nullopt;
            return PropertyListValue(static_cast<std::int64_t>(u));
        }
        return std::nullopt;
    }
    if (tag == "real" || tag == "date") {
        const auto number = finiteNumber(v);
        if (!number)
            return std::nullopt;
        if (tag == "date")
            return PropertyListValue(PropertyListValue::Date {*number});
        return PropertyListValue(*number);
    }
    if (tag == "string") {
        if (!v.is_string())
            return std::nullopt;
        return PropertyListValue(v.template get<std::string>());
    }
    if (tag == "data") {
        if (!v.is_string())
            return std::nullopt;
        auto bytes = Base64::decode(v.template get_ref<const std::string&>());
        if (!bytes)
            return std::nullopt;
        return PropertyListValue(std::move(*bytes));
    }
    if (tag == "array") {
        if (!v.is_array())
            return std::nullopt;
        PropertyListValue::Array array;
        array.reserve(v.size());
        for (const auto& element : v) {
            auto item = decode(element, depth + 1);
            if (!item)
                return std::nullopt;
            array.push_back(std::move(*item));
        }
        return PropertyListValue(std::move(array));
    }
    if (tag == "dict") {
        if (!v.is_object())
            return std::nullopt;
        PropertyListValue::Dictionary dictionary;
        for (const auto& [key, element] : v.items()) {
            auto item = decode(element, depth + 1);
            if (!item)
                return std::nullopt;
            // Sorted input goes in at the end in constant time.
            dictionary.insert_or_assign(dictionary.end(), key, std::move(*item));
        }
        return PropertyListValue(std::move(dictionary));
    }
    return std::nullopt;
}

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace

PropertyListValue::PropertyListValue(double value) : storage_(value) {}
PropertyListValue::PropertyListValue(const char* value) : storage_(std::string(value ? value : "")) {}
PropertyListValue::PropertyListValue(std::string_view value) : storage_(std::string(value)) {}
PropertyListValue::PropertyListValue(std::string value) : storage_(std::move(value)) {}
PropertyListValue::PropertyListValue(Data value) : storage_(std::move(value)) {}
PropertyListValue::PropertyListValue(Date value) : storage_(value) {}
PropertyListValue::PropertyListValue(Array value) : storage_(std::move(value)) {}
PropertyListValue::PropertyListValue(Dictionary value) : storage_(std::move(value)) {}

PropertyListValue::Type PropertyListValue::type() const { return static_cast<Type>(storage_.index()); }

bool PropertyListValue::containsNonFinite() const
{
    return std::visit(Overloaded {
                          [](double d) { return !std::isfinite(d); },
                          [](const Date& d) { return !std::isfinite(d.secondsSince1970); },
                          [](const Array& a) {
                              for (const auto& item : a)
                                  if (item.containsNonFinite())
                                      return true;
                              return false;
                          },
                          [](const Dictionary& d) {
                              for (const auto& [key, item] : d)
                                  if (item.containsNonFinite())
                                      return true;
                              return false;
                          },
                          [](const auto&) { return false; },
                      },
                      storage_);
}

bool PropertyListValue::operator==(const PropertyListValue& other) const { return storage_ == other.storage_; }

nlohmann::ordered_json PropertyListValue::toJSON() const
{
    Json json = Json::object();
    auto tagged = [&json](const char* tag, Json value) {
        json["t"] = tag;
        json["v"] = std::move(value);
    };
    std::visit(Overloaded {
                   [&](std::monostate) { json["t"] = "null"; },
                   [&](bool b) { tagged("bool", b); },
                   [&](std::int64_t i) { tagged("int", i); },
                   [&](double d) { tagged("real", d); },
                   [&](const std::string& s) { tagged("string", s); },
                   [&](const Data& d) { tagged("data", Base64::encode(d)); },
                   [&](const Date& d) { tagged("date", d.secondsSince1970); },
                   [&](const Array& a) {
                       Json items = Json::array();
                       for (const auto& item : a)
                           items.push_back(item.toJSON());
                       tagged("array", std::move(items));
                   },
                   [&](const Dictionary& d) {
                       Json items = Json::object();
                       // The keys are unique and sorted: appended without the ordered object's search.
                       auto& members = items.get_ref<Json::object_t&>();
                       members.reserve(d.size());
                       for (const auto& [key, item] : d)
                           members.emplace_back(key, item.toJSON());
                       tagged("dict", std::move(items));
                   },
               },
               storage_);
    return json;
}

std::string PropertyListValue::toJSONText() const
{
    // Invalid UTF-8 in strings is replaced rather than thrown about.
    return toJSON().dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::optional<PropertyListValue> PropertyListValue::fromJSON(const nlohmann::ordered_json& json)
{
    return decode(json, 0);
}

std::optional<PropertyListValue> PropertyListValue::fromJSONText(std::string_view text)
{
    // The parser takes a NUL byte for the end of the input; valid JSON text never holds one.
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    const ParsedJson json = ParsedJson::parse(text, nullptr, false);
    if (json.is_discarded())
        return std::nullopt;
    return decode(json, 0);
}

} // namespace Foundation
