#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace Aerlo {

// Typed, non-throwing reads of the members of one JSON object. Any missing required member
// or any member of the wrong type marks the reader failed; callers check ok() at the end and
// build nothing when it is false.
class JSONObjectReader {
public:
    using json = nlohmann::ordered_json;

    // A value that is not an object fails at once.
    explicit JSONObjectReader(const json& value);

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }

    // Required members.
    const json& member(std::string_view key);
    std::string string(std::string_view key);
    double number(std::string_view key);
    // A number, or NaN for null: JSON has no non-finite numbers and they are written as null.
    double numberOrNaN(std::string_view key);
    // An integer, or a float with an integral value inside the int64 range.
    int64_t integer(std::string_view key);
    bool boolean(std::string_view key);

    // Optional members: missing or null gives nothing; a present member of the wrong type fails.
    const json* optionalMember(std::string_view key);
    std::optional<std::string> optionalString(std::string_view key);
    std::optional<double> optionalNumber(std::string_view key);
    std::optional<int64_t> optionalInteger(std::string_view key);

    // Conversions of single values, used for array elements as well.
    static std::optional<int64_t> asInteger(const json& value);
    static std::optional<double> asNumber(const json& value);

private:
    const json* find(std::string_view key) const;

    const json& object_;
    bool ok_;
};

} // namespace Aerlo
