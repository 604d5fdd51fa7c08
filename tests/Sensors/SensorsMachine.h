#pragma once

#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorsReader.h"
#include "Platform/SMC/ValueCodec.h"
#include "tests/SMC/SimMachine.h"
#include "tests/Support/TestAccess.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A number key of the simulated SMC, encoded in its type ("flt " by default).
inline SMCSim::KeyEntry numberKey(std::string key, double value, std::string type = "flt ")
{
    auto entry = smcKey(std::move(key), type);
    entry.bytes = SMCSim::ValueCodec::encode(entry.type, value).value_or(SMCSim::ValueBytes{});
    return entry;
}

// A simulated Mac serving SMC::shared(), with a fresh shared SMC manager and sensor reader; all three
// go back to their defaults afterwards.
struct SensorsMachine : SimMachine {
    explicit SensorsMachine(SMCSim::KeyTable keys) : SimMachine(std::move(keys)) { share(); }
    explicit SensorsMachine(const std::string& profile) : SimMachine(profile) { share(); }
    ~SensorsMachine()
    {
        TestAccess::resetForTesting<Aerlo::SensorsReader>();
        TestAccess::resetForTesting<Aerlo::SMCManager>();
        TestAccess::resetForTesting<Aerlo::SMC>();
    }

    void share()
    {
        TestAccess::resetForTesting<Aerlo::SMC>(registry);
        TestAccess::resetForTesting<Aerlo::SMCManager>();
        TestAccess::resetForTesting<Aerlo::SensorsReader>();
        Aerlo::SMC::shared();
        device->resetLog();
    }

    // A reader built on this machine for `platform`, on the machine's manual clock.
    std::shared_ptr<Aerlo::SensorsReader> reader(std::optional<Aerlo::Platform> platform)
    {
        return std::make_shared<Aerlo::SensorsReader>(platform, clock);
    }

    // Key texts of the exchanges of `command` since the last log reset, in order.
    std::vector<std::string> exchangedKeys(std::uint8_t command) const
    {
        std::vector<std::string> keys;
        for (const auto& exchange : device->exchanges(command))
            keys.push_back(exchange.key);
        return keys;
    }
};

// The readings of a list by key (the first of each key).
inline std::map<std::string, Aerlo::Sensor_p> byKey(const std::vector<Aerlo::Sensor_p>& sensors)
{
    std::map<std::string, Aerlo::Sensor_p> map;
    for (const auto& sensor : sensors)
        map.emplace(sensor.key(), sensor);
    return map;
}

inline std::vector<std::string> keysOf(const std::vector<Aerlo::Sensor_p>& sensors)
{
    std::vector<std::string> keys;
    for (const auto& sensor : sensors)
        keys.push_back(sensor.key());
    return keys;
}

// Each key once, where it first stands.
inline std::vector<std::string> firstOccurrences(const std::vector<std::string>& keys)
{
    std::vector<std::string> first;
    for (const auto& key : keys)
        if (std::find(first.begin(), first.end(), key) == first.end())
            first.push_back(key);
    return first;
}

// The readings as "key value", but the energy figures, which grow with every read.
inline std::vector<std::string> readValues(const std::vector<Aerlo::Sensor_p>& sensors)
{
    std::vector<std::string> values;
    for (const auto& sensor : sensors)
        if (!sensor.isComputed() ||
            (sensor.type() != Aerlo::SensorType::energy && sensor.type() != Aerlo::SensorType::power))
            values.push_back(sensor.key() + " " + std::to_string(sensor.value()));
    return values;
}
