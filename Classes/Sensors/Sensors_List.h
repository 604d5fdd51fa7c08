#pragma once

#include "Classes/Sensors/Sensor_p.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <shared_mutex>
#include <string_view>
#include <vector>

namespace Aerlo {

// The shared, thread-safe array of readings. Reads copy the array under a shared lock and run side by
// side; writes take the exclusive lock, so no reader sees a half-written array and a read issued after a
// write sees it. Copies handed out are independent values. Never call the list from inside a change.
//
// The generation tells whether the list changed since a view last drew it: every replacement and every
// change (one per read pass of the reader) advances it by exactly one. Read generation() before
// sensors(): the copy is then at least as new as the generation noted.
class Sensors_List {
public:
    // The name of the list's guard in diagnostics.
    static constexpr std::string_view queueLabel = "com.norvane.AerloOffline.Sensors.SynchronizedArray";

    Sensors_List() = default;
    explicit Sensors_List(std::vector<Sensor_p> sensors);
    Sensors_List(const Sensors_List&) = delete;
    Sensors_List& operator=(const Sensors_List&) = delete;

    // A copy of the readings.
    std::vector<Sensor_p> sensors() const;
    // Replaces the whole array; advances the generation.
    void setSensors(std::vector<Sensor_p> sensors);
    // Runs `change` on the array itself under the exclusive lock: the change is atomic, and what it did
    // stays also when it ends early. Advances the generation once, also when the change ends early.
    void modifySensors(const std::function<void(std::vector<Sensor_p>&)>& change);
    // 0 for a new list; one more after each setSensors() and modifySensors().
    std::uint64_t generation() const { return generation_.load(std::memory_order_acquire); }

    // {"sensors": [wrapped readings, in order]}.
    nlohmann::ordered_json encode() const;
    // Nothing when "sensors" is missing or any reading fails to decode.
    static std::shared_ptr<Sensors_List> decode(const nlohmann::ordered_json& json);

    // Whole-array copies handed out by sensors() since the list was made.
    std::uint64_t copiesMade() const { return copies_.load(std::memory_order_relaxed); }

private:
    mutable std::shared_mutex mutex_;
    std::vector<Sensor_p> list_;
    mutable std::atomic<std::uint64_t> copies_ {0};
    std::atomic<std::uint64_t> generation_ {0}; // advanced under the exclusive lock
};

} // namespace Aerlo
