#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace Foundation {

// A property-list value that keeps its type: null, bool, 64-bit integer, double, string,
// bytes, date, array or dictionary. Dictionaries have string keys and are kept sorted by key
// (byte order), so equality and the JSON form do not depend on insertion order.
//
// JSON form: every value is an object {"t": tag, "v": value} with the tags "null" (no "v"),
// "bool", "int", "real", "string", "data" (base64), "date" (seconds since 1970), "array" and
// "dict"; so a date never comes back as a double, nor an integral double as an integer.
class AERLO_FOUNDATION_EXPORT PropertyListValue {
public:
    enum class Type { null, boolean, integer, real, string, data, date, array, dictionary };

    // A point in time, seconds since 1970-01-01 UTC.
    struct Date {
        double secondsSince1970 = 0;
        bool operator==(const Date&) const = default;
    };
    using Data = std::vector<std::uint8_t>;
    using Array = std::vector<PropertyListValue>;
    using Dictionary = std::map<std::string, PropertyListValue, std::less<>>;

    PropertyListValue() = default;
    PropertyListValue(std::nullptr_t) {}
    // Templates so that pointers and numbers do not silently become bools.
    template <std::same_as<bool> T>
    PropertyListValue(T value) : storage_(value)
    {
    }
    template <std::integral T>
    requires(!std::same_as<T, bool>) PropertyListValue(T value) : storage_(static_cast<std::int64_t>(value)) {}
    PropertyListValue(double value);
    PropertyListValue(const char* value);
    PropertyListValue(std::string_view value);
    PropertyListValue(std::string value);
    PropertyListValue(Data value);
    PropertyListValue(Date value);
    PropertyListValue(Array value);
    PropertyListValue(Dictionary value);

    Type type() const;
    bool isNull() const { return type() == Type::null; }

    // The value when it has exactly that type, else nullptr (no conversions).
    const bool* asBool() const { return std::get_if<bool>(&storage_); }
    const std::int64_t* asInteger() const { return std::get_if<std::int64_t>(&storage_); }
    const double* asDouble() const { return std::get_if<double>(&storage_); }
    const std::string* asString() const { return std::get_if<std::string>(&storage_); }
    const Data* asData() const { return std::get_if<Data>(&storage_); }
    const Date* asDate() const { return std::get_if<Date>(&storage_); }
    const Array* asArray() const { return std::get_if<Array>(&storage_); }
    const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&storage_); }
    Array* asArray() { return std::get_if<Array>(&storage_); }
    Dictionary* asDictionary() { return std::get_if<Dictionary>(&storage_); }

    // True when a double or date anywhere inside is NaN or infinite (such values cannot be stored).
    bool containsNonFinite() const;

    bool operator==(const PropertyListValue& other) const;

    nlohmann::ordered_json toJSON() const;
    // Compact JSON text of toJSON().
    std::string toJSONText() const;
    // Never throws: nullopt for anything that is not a well-formed tagged value
    // (unknown tag, wrong type, bad base64, non-finite or out-of-range number, nesting deeper than 512).
    static std::optional<PropertyListValue> fromJSON(const nlohmann::ordered_json& json);
    // Also nullopt for text with anything but white space after the value, or with a NUL byte anywhere.
    // Time grows linearly (n log n) with the number of dictionary keys.
    static std::optional<PropertyListValue> fromJSONText(std::string_view text);

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Data, Date, Array, Dictionary> storage_;
};

} // namespace Foundation
