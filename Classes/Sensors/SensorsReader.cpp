#include "Classes/Sensors/SensorsReader.h"

#include "Classes/Configure/SystemKit/SystemKit.h"
#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SMCManager.h"
#include "Classes/Sensors/SensorCatalogue.h"
#include "Platform/Foundation/SharedInstance.h"
#include "Platform/Foundation/TextUtilities.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace Aerlo {

namespace {

constexpr const char* averageCPU = "Average CPU";
constexpr const char* hottestCPU = "Hottest CPU";
constexpr const char* averageGPU = "Average GPU";
constexpr const char* hottestGPU = "Hottest GPU";
constexpr const char* fastestFan = "Fastest fan";
constexpr const char* totalSystemConsumption = "Total System Consumption";
constexpr const char* averageSystemTotal = "Average System Total";

// A replaceable slot: tests set a reader of their own, and holders keep a reader alive across a reset.
Foundation::SharedInstance<std::shared_ptr<SensorsReader>>& sharedInstance()
{
    static Foundation::SharedInstance<std::shared_ptr<SensorsReader>> instance(
        [] { return std::make_shared<SensorsReader>(SystemKit::shared().device.platform); });
    return instance;
}

Sensor_p* firstWithKey(std::vector<Sensor_p>& sensors, std::string_view key)
{
    const auto found =
        std::find_if(sensors.begin(), sensors.end(), [key](const Sensor_p& sensor) { return sensor.key() == key; });
    return found == sensors.end() ? nullptr : &*found;
}

// The values of the readings of `group` that are temperatures taking part in averages, in list order.
std::vector<double> averageTemperatures(const std::vector<Sensor_p>& sensors, SensorGroup group)
{
    std::vector<double> values;
    for (const auto& sensor : sensors)
        if (sensor.group() == group && sensor.type() == SensorType::temperature && sensor.average())
            values.push_back(sensor.value());
    return values;
}

double mean(const std::vector<double>& values)
{
    double sum = 0;
    for (const double value : values)
        sum += value;
    return sum / static_cast<double>(values.size());
}

// The first value, replaced only by a strictly greater one.
double hottest(const std::vector<double>& values)
{
    double result = values.front();
    for (const double value : values)
        if (value > result)
            result = value;
    return result;
}

// The fan readings not computed from others, in list order.
std::vector<const Sensor_p*> realFans(const std::vector<Sensor_p>& sensors)
{
    std::vector<const Sensor_p*> fans;
    for (const auto& sensor : sensors)
        if (sensor.type() == SensorType::fan && !sensor.isComputed())
            fans.push_back(&sensor);
    return fans;
}

// The first of the fastest; ties keep the earlier.
const Sensor_p* fastest(const std::vector<const Sensor_p*>& fans)
{
    const Sensor_p* result = fans.front();
    for (const Sensor_p* fan : fans)
        if (fan->value() > result->value())
            result = fan;
    return result;
}

Sensor computedSensor(const char* key, SensorGroup group, SensorType type, double value)
{
    return Sensor {key, key, value, group, type, Platforms::all(), true, false};
}

bool keptAfterRangeFilter(const Sensor_p& sensor)
{
    const double value = sensor.value();
    switch (sensor.type()) {
    case SensorType::temperature:
        return value >= 0 && value < 110;
    case SensorType::voltage:
        return value >= 0 && value < 300;
    case SensorType::current:
        return value >= 0 && value < 100;
    default:
        return true;
    }
}

bool isDead(const Sensor_p& sensor)
{
    const double value = sensor.value();
    if (sensor.type() == SensorType::temperature)
        return value == 0 || value > 110;
    if (sensor.type() == SensorType::current)
        return value > 100;
    return false;
}

} // namespace

std::shared_ptr<SensorsReader> SensorsReader::shared() { return sharedInstance().get(); }

void SensorsReader::resetForTesting(std::shared_ptr<SensorsReader> reader)
{
    sharedInstance().resetForTesting(std::move(reader));
}

SensorsReader::SensorsReader(std::optional<Platform> platform, const Foundation::Clock& clock)
    : list(std::make_shared<Sensors_List>()), platform_(platform), clock_(clock), firstRead_(clock.now()),
      lastRead_(firstRead_)
{
    list->setSensors(buildSensorList());
}

SensorsReader::~SensorsReader() = default;

double SensorsReader::lastRead() const
{
    std::lock_guard lock(readMutex_);
    return lastRead_;
}

std::vector<Sensor_p> SensorsReader::buildSensorList() const
{
    SMC& smc = SMC::shared();
    const std::vector<std::string> keys = smc.getAllKeys();
    const std::vector<Sensor> rows = SensorCatalogue::forPlatform(platform_);

    std::vector<Sensor_p> result;
    if (const auto count = SMCManager::fanCountFromValue(smc.getValue("FNum")))
        for (auto& fan : SMCManager::shared().readFans(*count))
            result.emplace_back(std::move(fan));

    std::vector<std::string> candidates;
    for (const auto& key : keys)
        if (!key.empty() && (key[0] == 'T' || key[0] == 'V' || key[0] == 'P' || key[0] == 'I'))
            candidates.push_back(key);

    for (const auto& row : rows)
        keepIfKeyPresent(row, candidates, result);
    for (const auto& row : rows)
        if (row.key.find('%') != std::string::npos)
            expandWildcardSensor(row, candidates, result);
    for (const auto& key : candidates)
        makeUnknownSensor(key, result);

    for (std::size_t i = 0; i < result.size(); ++i)
        if (const auto value = smc.getValue(result[i].key()))
            firstWithKey(result, result[i].key())->setValue(*value);

    std::erase_if(result, isDead);
    auto computed = addComputedSensors(result);
    result.insert(result.end(), std::make_move_iterator(computed.begin()), std::make_move_iterator(computed.end()));
    return result;
}

void SensorsReader::keepIfKeyPresent(const Sensor& row, std::vector<std::string>& candidates,
                                     std::vector<Sensor_p>& result)
{
    const auto found = std::find(candidates.begin(), candidates.end(), row.key);
    if (found == candidates.end())
        return;
    result.emplace_back(row);
    candidates.erase(found);
}

void SensorsReader::expandWildcardSensor(const Sensor& row, std::vector<std::string>& candidates,
                                         std::vector<Sensor_p>& result)
{
    int number = 1;
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string key = row.key;
        std::replace(key.begin(), key.end(), '%', digit);
        const auto found = std::find(candidates.begin(), candidates.end(), key);
        if (found == candidates.end())
            continue;
        std::string name;
        for (const char c : row.name) {
            if (c == '%')
                name += std::to_string(number);
            else
                name += c;
        }
        result.emplace_back(Sensor {key, name, 0, row.group, row.type, row.platforms, row.isComputed, row.average});
        candidates.erase(found);
        ++number;
    }
}

void SensorsReader::makeUnknownSensor(const std::string& key, std::vector<Sensor_p>& result)
{
    SensorType type = SensorType::temperature;
    if (key.starts_with('V'))
        type = SensorType::voltage;
    else if (key.starts_with('P'))
        type = SensorType::power;
    else if (key.starts_with('I'))
        type = SensorType::current;
    result.emplace_back(Sensor {key, SMC::latin1ToUTF8(key), 0, SensorGroup::unknown, type, {}, false, false});
}

std::vector<Sensor_p> SensorsReader::addComputedSensors(const std::vector<Sensor_p>& kept)
{
    std::vector<Sensor_p> computed;
    if (const auto cpu = averageTemperatures(kept, SensorGroup::CPU); !cpu.empty()) {
        computed.emplace_back(computedSensor(averageCPU, SensorGroup::CPU, SensorType::temperature, mean(cpu)));
        computed.emplace_back(computedSensor(hottestCPU, SensorGroup::CPU, SensorType::temperature, hottest(cpu)));
    }
    if (const auto gpu = averageTemperatures(kept, SensorGroup::GPU); !gpu.empty()) {
        computed.emplace_back(computedSensor(averageGPU, SensorGroup::GPU, SensorType::temperature, mean(gpu)));
        computed.emplace_back(computedSensor(hottestGPU, SensorGroup::GPU, SensorType::temperature, hottest(gpu)));
    }
    if (const auto fans = realFans(kept); fans.size() >= 2) {
        if (const Fan* fan = fastest(fans)->fan()) {
            Fan reading;
            reading.id = -1;
            reading.key = fastestFan;
            reading.name = fastestFan;
            reading.minSpeed = fan->minSpeed;
            reading.maxSpeed = fan->maxSpeed;
            reading.value = fan->value;
            reading.mode = FanMode::automatic;
            reading.group = SensorGroup::sensor;
            reading.type = SensorType::fan;
            reading.isComputed = true;
            reading.unit = "RPM";
            computed.emplace_back(std::move(reading));
        }
    }
    const bool hasSystemPower =
        std::any_of(kept.begin(), kept.end(), [](const Sensor_p& sensor) { return sensor.key() == "PSTR"; });
    if (hasSystemPower) {
        computed.emplace_back(computedSensor(totalSystemConsumption, SensorGroup::sensor, SensorType::energy, 0));
        computed.emplace_back(computedSensor(averageSystemTotal, SensorGroup::sensor, SensorType::power, 0));
    }
    std::erase_if(computed, [](const Sensor_p& sensor) { return !keptAfterRangeFilter(sensor); });
    std::stable_sort(computed.begin(), computed.end(), [](const Sensor_p& a, const Sensor_p& b) {
        return Foundation::lowercased(a.key()) < Foundation::lowercased(b.key());
    });
    return computed;
}

void SensorsReader::read()
{
    std::unique_ptr<Repeater> previous;
    std::lock_guard pass(readMutex_);
    const std::vector<Sensor_p> snapshot = list->sensors();
    const bool readUnknown = unknownSensorsState.load();
    SMC& smc = SMC::shared();

    // The SMC is read without the list's lock; the pass then changes the list once.
    std::vector<std::pair<std::size_t, double>> values;
    for (std::size_t i = 0; i < snapshot.size(); ++i) {
        const Sensor_p& reading = snapshot[i];
        if (reading.group() == SensorGroup::hid || reading.isComputed()
            || (!readUnknown && reading.group() == SensorGroup::unknown))
            continue;
        // A key that cannot be read gives 0, but nothing is read while the SMC is out, nor a key it cannot
        // give: no value at all.
        const auto read = smc.getValue(reading.key());
        const double value = read ? *read
                             : smc.outage() || smc.isUnreadable(reading.key())
                                 ? std::numeric_limits<double>::quiet_NaN()
                                 : 0.0;
        // An implausible CPU temperature keeps the previous value.
        if (reading.type() == SensorType::temperature && reading.group() == SensorGroup::CPU
            && (value < 10 || value > 120))
            continue;
        values.emplace_back(i, value);
    }
    list->modifySensors([&](std::vector<Sensor_p>& sensors) {
        for (const auto& [i, value] : values)
            if (i < sensors.size() && sensors[i].key() == snapshot[i].key())
                sensors[i].setValue(value);
        updateDerivedReadings(sensors);
    });

    // Made and let go on every pass; never started.
    auto next = std::make_unique<Repeater>(1, [weak = weak_from_this()] {
        if (auto reader = weak.lock())
            reader->read();
    });
    previous = std::exchange(repeatTask_, std::move(next));
    // `previous` goes after the pass lock (declared first, destroyed last).
}

void SensorsReader::updateDerivedReadings(std::vector<Sensor_p>& sensors)
{
    if (const auto cpu = averageTemperatures(sensors, SensorGroup::CPU); !cpu.empty()) {
        if (Sensor_p* average = firstWithKey(sensors, averageCPU)) {
            const double value = mean(cpu);
            average->setValue(value);
            intelCPUAverageTemperature.store(value);
        }
        if (Sensor_p* hottestReading = firstWithKey(sensors, hottestCPU))
            hottestReading->setValue(hottest(cpu));
    }
    if (const auto gpu = averageTemperatures(sensors, SensorGroup::GPU); !gpu.empty()) {
        if (Sensor_p* average = firstWithKey(sensors, averageGPU))
            average->setValue(mean(gpu));
        if (Sensor_p* hottestReading = firstWithKey(sensors, hottestGPU))
            hottestReading->setValue(hottest(gpu));
    }
    if (const auto fans = realFans(sensors); fans.size() >= 2) {
        const Fan* fan = fastest(fans)->fan();
        Sensor_p* reading = firstWithKey(sensors, fastestFan);
        if (fan && reading && reading->fan()) {
            Fan* target = reading->fan();
            const Fan source = *fan;
            target->minSpeed = source.minSpeed;
            target->maxSpeed = source.maxSpeed;
            target->value = source.value;
        }
    }
    if (const Sensor_p* power = firstWithKey(sensors, "PSTR"); power && power->value() > 0) {
        const double watts = power->value();
        const double now = clock_.now();
        // Monotonic time: wall-clock changes add nothing, and a long gap counts as one step at most.
        const double elapsed = std::min(now - lastRead_, maxEnergyStep);
        const double sinceFirst = clock_.now() - firstRead_;
        if (Sensor_p* total = firstWithKey(sensors, totalSystemConsumption); total && elapsed > 0) {
            total->setValue(total->value() + watts * elapsed / 3600);
            if (Sensor_p* averagePower = firstWithKey(sensors, averageSystemTotal); averagePower && sinceFirst > 0)
                averagePower->setValue(total->value() * 3600 / sinceFirst);
        }
        lastRead_ = now;
    }
    if (Sensor_p* voltage = firstWithKey(sensors, "VD0R"); voltage && voltage->value() < 0.4)
        voltage->setValue(0);
    if (Sensor_p* current = firstWithKey(sensors, "ID0R"); current && current->value() < 0.05)
        current->setValue(0);
}

} // namespace Aerlo
