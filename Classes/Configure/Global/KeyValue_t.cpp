#include "Classes/Configure/Global/KeyValue_t.h"

#include "Classes/Configure/Global/JSONObjectReader.h"

namespace Aerlo {

nlohmann::ordered_json KeyValue_t::encode() const
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["key"] = key;
    json["value"] = value;
    return json;
}

std::optional<KeyValue_t> KeyValue_t::decode(const nlohmann::ordered_json& json)
{
    JSONObjectReader reader(json);
    KeyValue_t entry;
    entry.key = reader.string("key");
    entry.value = reader.string("value");
    if (!reader.ok())
        return std::nullopt;
    return entry;
}

} // namespace Aerlo
