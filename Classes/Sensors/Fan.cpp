#include "Classes/Sensors/Fan.h"

#include "Classes/Configure/Global/AppDataStore.h"
#include "Classes/Configure/Global/JSONObjectReader.h"
#include "Classes/Sensors/SensorValueText.h"

namespace Aerlo {

namespace {

std::string fanKey(int64_t id, const char* suffix) { return "fan_" + std::to_string(id) + suffix; }

// Nothing when no object is stored, else the suite's integer reading.
std::optional<int64_t> storedInteger(const std::string& key)
{
    const auto object = AppDataStore::shared().ud().object(key);
    if (!object)
        return std::nullopt;
    return Foundation::UserDefaults::integerReading(*object);
}

} // namespace

std::string Fan::formattedValue() const { return SensorValueText::value(SensorType::fan, value); }

std::string Fan::formattedMiniValue() const { return SensorValueText::mini(SensorType::fan, value); }

std::string Fan::formattedPopupValue() const { return SensorValueText::popup(SensorType::fan, value); }

std::optional<int64_t> Fan::customSpeed() const { return storedInteger(fanKey(id, "_speed")); }

void Fan::setCustomSpeed(std::optional<int64_t> speed) const
{
    AppDataStore& store = AppDataStore::shared();
    const std::string key = fanKey(id, "_speed");
    if (speed)
        store.set(*speed, key);
    else
        store.remove(key);
}

std::optional<FanMode> Fan::customMode() const
{
    const auto raw = storedInteger(fanKey(id, "_mode"));
    return raw ? fanMode(*raw) : std::nullopt;
}

void Fan::setCustomMode(std::optional<FanMode> mode) const
{
    AppDataStore& store = AppDataStore::shared();
    const std::string key = fanKey(id, "_mode");
    if (mode)
        store.set(static_cast<int64_t>(*mode), key);
    else
        store.remove(key);
}

nlohmann::ordered_json Fan::encode() const
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["id"] = id;
    json["key"] = key;
    json["name"] = name;
    json["minSpeed"] = minSpeed;
    json["maxSpeed"] = maxSpeed;
    json["value"] = value;
    json["mode"] = static_cast<int>(mode);
    json["group"] = rawValue(group);
    json["type"] = rawValue(type);
    json["isIntelOnly"] = isIntelOnly;
    json["isComputed"] = isComputed;
    json["average"] = average;
    json["unit"] = unit;
    return json;
}

std::optional<Fan> Fan::decode(const nlohmann::ordered_json& json)
{
    JSONObjectReader reader(json);
    Fan fan;
    fan.id = reader.integer("id");
    fan.key = reader.string("key");
    fan.name = reader.string("name");
    fan.minSpeed = reader.numberOrNaN("minSpeed");
    fan.maxSpeed = reader.numberOrNaN("maxSpeed");
    fan.value = reader.numberOrNaN("value");
    const auto mode = fanMode(reader.integer("mode"));
    const auto group = sensorGroupFromRawValue(reader.string("group"));
    const auto type = sensorTypeFromRawValue(reader.string("type"));
    fan.isIntelOnly = reader.boolean("isIntelOnly");
    fan.isComputed = reader.boolean("isComputed");
    fan.average = reader.boolean("average");
    fan.unit = reader.string("unit");
    if (!reader.ok() || !mode || !group || !type)
        return std::nullopt;
    fan.mode = *mode;
    fan.group = *group;
    fan.type = *type;
    return fan;
}

} // namespace Aerlo
