#pragma once

#include "Platform/Foundation/FoundationExport.h"
#include "Platform/Foundation/KeyedArchiver.h"

#include <memory>
#include <set>

namespace Foundation {

// Reads an archive that KeyedArchiver wrote, with secure coding: the whole text is checked first
// (strict JSON: one value, no key twice in an object, nothing after it, nesting at most
// maximumDepth; the header; every class in it among the allowed ones) and only then are records
// built. A field present with another type than its decoder reads fails the whole archive; a
// missing field reads as its empty value. Never throws.
class AERLO_FOUNDATION_EXPORT KeyedUnarchiver {
public:
    static constexpr std::size_t maximumDepth = 32;
    // Why damaged bytes cannot be read.
    static constexpr std::string_view unreadableData =
        "The data couldn’t be read because it isn’t in the correct format.";

    using Classes = std::set<std::string, std::less<>>;

    // The root array of records; nothing when the root is not an array of Record (a text, a record, an
    // array holding other classes). `allowedClasses` names "NSArray" and every record class that may occur.
    template <SecureCoding Record>
    static Result<std::optional<std::vector<Record>>> unarchivedArray(const Classes& allowedClasses,
                                                                      const PropertyListValue::Data& data)
    {
        auto root = checkedRoot(allowedClasses, data);
        if (!root)
            return Error(root.error());
        auto failure = std::make_shared<std::string>();
        std::optional<std::vector<Record>> records;
        if (isArrayOf(*root.value(), Record::className))
            records = build<Record>(*root.value(), failure);
        if (!failure->empty())
            return Error(*failure);
        return records;
    }

    // A text; nothing when the key is absent.
    std::optional<std::string> decodeString(std::string_view key);
    // An array of records; empty when the key is absent.
    template <SecureCoding Record>
    std::vector<Record> decodeArray(std::string_view key)
    {
        const Json* value = field(key);
        if (!value)
            return {};
        if (!isArrayOf(*value, Record::className)) {
            fail(key, *value);
            return {};
        }
        return build<Record>(*value, failure_);
    }
    // false when the key is absent.
    bool decodeBool(std::string_view key);
    // 0 when the key is absent.
    std::int64_t decodeInteger(std::string_view key);

private:
    using Json = nlohmann::ordered_json;

    KeyedUnarchiver(const Json& object, std::shared_ptr<std::string> failure)
        : object_(&object), failure_(std::move(failure))
    {
    }

    // The root value of the parsed archive (which it keeps alive), or why the archive is refused.
    static Result<std::shared_ptr<const Json>> checkedRoot(const Classes& allowedClasses,
                                                           const PropertyListValue::Data& data);
    // An array whose every element is a record of `className`.
    static bool isArrayOf(const Json& value, std::string_view className);
    template <SecureCoding Record>
    static std::vector<Record> build(const Json& array, const std::shared_ptr<std::string>& failure)
    {
        std::vector<Record> records;
        for (const Json& object : array.at("$objects")) {
            KeyedUnarchiver decoder(object, failure);
            records.emplace_back(decoder);
        }
        return records;
    }
    const Json* field(std::string_view key) const;
    // Records the first wrong-typed field; the archive is then refused.
    void fail(std::string_view key, const Json& value);

    const Json* object_;
    std::shared_ptr<std::string> failure_;
};

} // namespace Foundation
