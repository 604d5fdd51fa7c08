#include "Classes/Sensors/Sensors_List.h"

#include "Classes/Sensors/Sensor_w.h"

#include <mutex>

namespace Aerlo {

Sensors_List::Sensors_List(std::vector<Sensor_p> sensors) : list_(std::move(sensors)) {}

std::vector<Sensor_p> Sensors_List::sensors() const
{
    copies_.fetch_add(1, std::memory_order_relaxed);
    std::shared_lock lock(mutex_);
    return list_;
}

void Sensors_List::setSensors(std::vector<Sensor_p> sensors)
{
    std::unique_lock lock(mutex_);
    list_.swap(sensors);
    generation_.fetch_add(1, std::memory_order_release);
    // The old array is freed after the lock is let go.
    lock.unlock();
}

void Sensors_List::modifySensors(const std::function<void(std::vector<Sensor_p>&)>& change)
{
    std::unique_lock lock(mutex_);
    struct Advance {
        std::atomic<std::uint64_t>& generation;
        ~Advance() { generation.fetch_add(1, std::memory_order_release); }
    } advance {generation_};
    change(list_);
}

nlohmann::ordered_json Sensors_List::encode() const
{
    auto wrappers = nlohmann::ordered_json::array();
    for (auto& sensor : sensors())
        wrappers.push_back(Sensor_w {std::move(sensor)}.encode());
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["sensors"] = std::move(wrappers);
    return json;
}

std::shared_ptr<Sensors_List> Sensors_List::decode(const nlohmann::ordered_json& json)
{
    if (!json.is_object())
        return nullptr;
    const auto found = json.find("sensors");
    if (found == json.end() || !found->is_array())
        return nullptr;
    std::vector<Sensor_p> sensors;
    sensors.reserve(found->size());
    for (const auto& item : *found) {
        auto wrapper = Sensor_w::decode(item);
        if (!wrapper)
            return nullptr;
        sensors.push_back(std::move(wrapper->sensor));
    }
    return std::make_shared<Sensors_List>(std::move(sensors));
}

} // namespace Aerlo
