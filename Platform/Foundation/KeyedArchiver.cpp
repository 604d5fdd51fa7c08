#include "Platform/Foundation/KeyedArchiver.h"

namespace Foundation {

void KeyedArchiver::encodeObject(const std::optional<std::string>& text, std::string_view key)
{
    if (text)
        (*object_)[std::string(key)] = *text;
}

void KeyedArchiver::encodeBool(bool value, std::string_view key) { (*object_)[std::string(key)] = value; }

void KeyedArchiver::encodeInteger(std::int64_t value, std::string_view key) { (*object_)[std::string(key)] = value; }

Result<PropertyListValue::Data> KeyedArchiver::finish(Json root)
{
    const Json archive = {
        {"$archive", std::string(archiveName)}, {"$version", archiveVersion}, {"$root", std::move(root)}};
    std::string text;
    try {
        text = archive.dump();
    } catch (const nlohmann::json::exception&) {
        return Error(std::string(unwritableData)); // a text that is not UTF-8
    }
    return PropertyListValue::Data(text.begin(), text.end());
}

} // namespace Foundation
