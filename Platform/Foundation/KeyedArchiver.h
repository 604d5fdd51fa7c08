#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/PropertyListValue.h"
#include "Platform/Foundation/Result.h"

#include <concepts>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

class KeyedArchiver;
class KeyedUnarchiver;

// A record kept in keyed archives: its class name, its fields written under keys by encode(), and a
// constructor that reads them back. Only records that support secure coding are archived.
template <class Record>
concept SecureCoding = Record::supportsSecureCoding && requires(const Record& record, KeyedArchiver& coder)
{
    {
        Record::className
        } -> std::convertible_to<std::string_view>;
    record.encode(coder);
    requires std::constructible_from<Record, KeyedUnarchiver&>;
};

// Writes a keyed archive: UTF-8 JSON {"$archive": "Aerlo.KeyedArchive", "$version": 1, "$root": V}, where
// V is a text, a Bool, an integer, {"$class": "NSArray", "$objects": [V…]} or a record
// {"$class": <class name>, <key>: V…} with its keys in the order written. An absent text writes no key.
class AERLO_FOUNDATION_EXPORT KeyedArchiver {
public:
    static constexpr std::string_view archiveName = "Aerlo.KeyedArchive";
    static constexpr std::int64_t archiveVersion = 1;
    static constexpr std::string_view arrayClassName = "NSArray";
    // Why a text that is not UTF-8 cannot be archived.
    static constexpr std::string_view unwritableData =
        "The data couldn’t be written because it isn’t in the correct format.";

    // The archive whose root is the array of `records`.
    template <SecureCoding Record>
    static Result<PropertyListValue::Data> archivedData(const std::vector<Record>& records)
    {
        return finish(array(records));
    }

    void encodeObject(const std::optional<std::string>& text, std::string_view key);
    template <SecureCoding Record>
    void encodeObject(const std::vector<Record>& records, std::string_view key)
    {
        (*object_)[std::string(key)] = array(records);
    }
    void encodeBool(bool value, std::string_view key);
    void encodeInteger(std::int64_t value, std::string_view key);

private:
    using Json = nlohmann::ordered_json;

    explicit KeyedArchiver(Json& object) : object_(&object) {}

    template <SecureCoding Record>
    static Json array(const std::vector<Record>& records)
    {
        Json objects = Json::array();
        for (const Record& record : records) {
            Json object = {{"$class", std::string(Record::className)}};
            KeyedArchiver coder(object);
            record.encode(coder);
            objects.push_back(std::move(object));
        }
        return {{"$class", std::string(arrayClassName)}, {"$objects", std::move(objects)}};
    }
    static Result<PropertyListValue::Data> finish(Json root);

    Json* object_;
};

} // namespace Foundation
