#include "Classes/Sensors/Sensor.h"

#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/JSONObjectReader.h"
#include "Classes/Sensors/SensorValueText.h"
#include "Platform/Foundation/UTF8.h"

namespace Aerlo {

// Settings names hold the key as text: its raw bytes would not survive the settings file.
bool sensorState(const std::string& key)
{
    return AppDataStore::shared().bool_("sensor_" + Foundation::UTF8::fromLatin1(key), false);
}

bool sensorPopupState(const std::string& key)
{
    return AppDataStore::shared().bool_("sensor_" + Foundation::UTF8::fromLatin1(key) + "_popup", true);
}

std::string Sensor::unit() const { return SensorValueText::unit(type); }

std::string Sensor::formattedValue() const { return SensorValueText::value(type, value); }

std::string Sensor::formattedMiniValue() const { return SensorValueText::mini(type, value); }

std::string Sensor::formattedPopupValue() const { return SensorValueText::popup(type, value); }

nlohmann::ordered_json Sensor::encode() const
{
    nlohmann::ordered_json platformTexts = nlohmann::ordered_json::array();
    for (Platform platform : platforms)
        platformTexts.push_back(rawValue(platform));

    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["key"] = Foundation::UTF8::fromLatin1(key); // key bytes as text, so that the JSON stays valid
    json["name"] = name;
    json["value"] = value;
    json["group"] = rawValue(group);
    json["type"] = rawValue(type);
    json["platforms"] = platformTexts;
    json["isComputed"] = isComputed;
    json["average"] = average;
    return json;
}

std::optional<Sensor> Sensor::decode(const nlohmann::ordered_json& json)
{
    JSONObjectReader reader(json);
    Sensor sensor;
    const auto key = Foundation::UTF8::toLatin1(reader.string("key"));
    sensor.key = key.value_or(std::string());
    sensor.name = reader.string("name");
    sensor.value = reader.numberOrNaN("value");
    const auto group = sensorGroupFromRawValue(reader.string("group"));
    const auto type = sensorTypeFromRawValue(reader.string("type"));
    const auto& platforms = reader.member("platforms");
    sensor.isComputed = reader.boolean("isComputed");
    sensor.average = reader.boolean("average");
    if (!reader.ok() || !key || !group || !type || !platforms.is_array())
        return std::nullopt;
    for (const auto& text : platforms) {
        const auto platform = text.is_string() ? platformFromRawValue(text.get<std::string>()) : std::nullopt;
        if (!platform)
            return std::nullopt;
        sensor.platforms.push_back(*platform);
    }
    sensor.group = *group;
    sensor.type = *type;
    return sensor;
}

} // namespace Aerlo
