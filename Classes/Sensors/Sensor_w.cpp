#include "Classes/Sensors/Sensor_w.h"

#include "Classes/Configure/Global/JSONObjectReader.h"

namespace Aerlo {

namespace {
enum class Typ : int { sensor = 0, fan = 1 };
}

nlohmann::ordered_json Sensor_w::encode() const
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    if (const Fan* fan = sensor.fan()) {
        json["base"] = static_cast<int>(Typ::fan);
        json["payload"] = fan->encode();
    } else {
        json["base"] = static_cast<int>(Typ::sensor);
        json["payload"] = sensor.sensor()->encode();
    }
    return json;
}

std::optional<Sensor_w> Sensor_w::decode(const nlohmann::ordered_json& json)
{
    JSONObjectReader reader(json);
    const int64_t base = reader.integer("base");
    if (!reader.ok())
        return std::nullopt;
    const auto& payload = reader.member("payload");
    if (!reader.ok())
        return std::nullopt;
    if (base == static_cast<int>(Typ::fan)) {
        if (auto fan = Fan::decode(payload))
            return Sensor_w {Sensor_p(std::move(*fan))};
    } else if (base == static_cast<int>(Typ::sensor)) {
        if (auto sensor = Sensor::decode(payload))
            return Sensor_w {Sensor_p(std::move(*sensor))};
    }
    return std::nullopt;
}

} // namespace Aerlo
