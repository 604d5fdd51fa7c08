#include "Platform/SMC/ThermalModel.h"

#include "Platform/Foundation/Console.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/KeyTable.h"
#include "Platform/SMC/MachineProfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace SMCSim {

namespace {

using json = nlohmann::json;

// Beyond this much catching up, the model moves in whole seconds; beyond a day it stops catching up.
constexpr std::int64_t fineStepsLimit = 12000;
constexpr double coarseStep = 1.0;
constexpr double catchUpLimit = 86400;
// A fan this close to its goal is at it.
constexpr double fanSnap = 0.5;
constexpr double plausibleIdleCeiling = 100;
// At or below this a temperature is the firmware's "no sensor" value (81 00 in "sp78").
constexpr double noSensorCeiling = -100;
// The rail a current is drawn from, for currents that follow a power.
constexpr double railVolts = 12;

std::string number(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double lagFactor(double seconds, double timeConstant) { return 1 - std::exp(-seconds / timeConstant); }

// A small deterministic spread per key, −2…+2 °C, so that sensors of one kind differ.
double spread(std::string_view key)
{
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : key)
        hash = (hash ^ c) * 16777619u;
    return static_cast<double>(hash % 41) / 10.0 - 2.0;
}

bool isNumeric(const KeyEntry& entry) { return ValueCodec::encode(entry.type, 0).has_value(); }

// A number field of an object: its name, its range and where it goes.
struct NumberField {
    const char* name;
    double low;
    double high;
    double& field;
};

// `where` names the object in messages ("thermal", "thermal.cpu"). Fields absent stay as they are;
// the first field out of its range fails.
Foundation::Result<void> readNumbers(const json& object, const std::string& where,
                                     std::initializer_list<NumberField> fields)
{
    for (const NumberField& entry : fields) {
        auto it = object.find(entry.name);
        if (it == object.end())
            continue;
        if (!it->is_number() || !std::isfinite(it->get<double>()) || it->get<double>() < entry.low
            || it->get<double>() > entry.high)
            return Foundation::Error(where + "." + entry.name + ": expected a number from " + number(entry.low) + " to "
                                     + number(entry.high));
        entry.field = it->get<double>();
    }
    return {};
}

// `field` is a bool or an optional one.
template <class Field>
Foundation::Result<void> readBoolean(const json& object, const char* name, Field& field)
{
    auto it = object.find(name);
    if (it == object.end())
        return {};
    if (!it->is_boolean())
        return Foundation::Error(std::string("thermal.") + name + ": expected true or false");
    field = it->get<bool>();
    return {};
}

Foundation::Result<void> onlyKnownFields(const json& object, const std::string& where,
                                         const std::vector<std::string>& known)
{
    for (const auto& [name, value] : object.items()) {
        (void)value;
        if (std::find(known.begin(), known.end(), name) == known.end())
            return Foundation::Error(where + ": unknown field \"" + name + "\"");
    }
    return {};
}

Foundation::Result<void> readClass(const json& object, const char* name, ThermalClass& field)
{
    auto it = object.find(name);
    if (it == object.end())
        return {};
    const std::string where = std::string("thermal.") + name;
    if (!it->is_object())
        return Foundation::Error(where + ": expected an object");
    if (auto known = onlyKnownFields(*it, where, {"idleRise", "gain", "cooling", "timeConstant"}); !known)
        return known;
    return readNumbers(*it, where,
                       {{"idleRise", 0, 150, field.idleRise},
                        {"gain", 0, 150, field.gain},
                        {"cooling", 0, 1, field.cooling},
                        {"timeConstant", 0.05, 3600, field.timeConstant}});
}

} // namespace

ThermalParameters ThermalParameters::forProfile(const MachineProfile& profile)
{
    ThermalParameters parameters;
    const bool intel = profile.platform ? *profile.platform == "intel" : profile.facts.architecture == "x86_64";
    if (!intel) {
        parameters.curveLow = 60;
        parameters.curveHigh = 90;
        parameters.stopWhenCool = true;
        parameters.cpu = {14, 55, 0.45, 8};
        parameters.gpu = {10, 40, 0.45, 10};
        parameters.cpuPower = 30;
        parameters.gpuPower = 20;
        parameters.systemPower = 45;
    }
    if (profile.fans.empty()) {
        parameters.cpuPower = 15;
        parameters.gpuPower = 8;
        parameters.systemPower = 22;
    }
    return parameters;
}

Foundation::Result<void> ThermalParameters::apply(std::string_view text)
{
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object())
        return Foundation::Error("thermal: expected an object");
    if (auto known = onlyKnownFields(root, "thermal",
                                     {"ambient", "load", "fanTimeConstant", "curveLow", "curveHigh", "stopWhenCool",
                                      "stopHysteresis", "cpu", "gpu", "board", "battery", "ambientSensors", "cpuPower",
                                      "gpuPower", "systemPower", "otherPower", "onBattery"});
        !known)
        return known;
    ThermalParameters changed = *this;
    if (auto read = readBoolean(root, "stopWhenCool", changed.stopWhenCool); !read)
        return read;
    if (auto read = readBoolean(root, "onBattery", changed.onBattery); !read)
        return read;
    if (auto read = readNumbers(root, "thermal",
                                {{"ambient", -20, 60, changed.ambient},
                                 {"load", 0, 1, changed.load},
                                 {"fanTimeConstant", 0.05, 60, changed.fanTimeConstant},
                                 {"curveLow", 0, 150, changed.curveLow},
                                 {"curveHigh", 0, 150, changed.curveHigh},
                                 {"stopHysteresis", 0, 50, changed.stopHysteresis}});
        !read)
        return read;
    for (const auto& [name, field] : {std::pair<const char*, ThermalClass&> {"cpu", changed.cpu},
                                      {"gpu", changed.gpu},
                                      {"board", changed.board},
                                      {"battery", changed.battery},
                                      {"ambientSensors", changed.ambientSensors}})
        if (auto read = readClass(root, name, field); !read)
            return read;
    if (auto read = readNumbers(root, "thermal",
                                {{"cpuPower", 0, 1000, changed.cpuPower},
                                 {"gpuPower", 0, 1000, changed.gpuPower},
                                 {"systemPower", 0, 1000, changed.systemPower},
                                 {"otherPower", 0, 1000, changed.otherPower}});
        !read)
        return read;
    if (changed.curveLow >= changed.curveHigh)
        return Foundation::Error("thermal: \"curveLow\" must be below \"curveHigh\"");
    *this = changed;
    return {};
}

double ThermalParameters::automaticSpeed(double hottest, double minSpeed, double maxSpeed) const
{
    if (!(hottest > curveLow)) // NaN stays at the minimum
        return minSpeed;
    const double share = std::min(1.0, (hottest - curveLow) / (curveHigh - curveLow));
    return minSpeed + (maxSpeed - minSpeed) * share;
}

ThermalModel::ThermalModel(const MachineProfile& profile)
    : ThermalModel(profile, [&profile] {
          ThermalParameters parameters = ThermalParameters::forProfile(profile);
          if (profile.thermal.empty())
              return parameters;
          if (const auto applied = parameters.apply(profile.thermal); !applied)
              Foundation::Console::printError("Machine profile " + profile.name + ": " + applied.error()
                                              + " (defaults used)");
          return parameters;
      }())
{
}

ThermalModel::ThermalModel(const MachineProfile& profile, ThermalParameters parameters)
    : parameters_(parameters), load_(parameters.load)
{
    const KeyTable& keys = profile.keys;
    fanFactor_ = lagFactor(step, parameters_.fanTimeConstant);
    for (const FanProfile& profileFan : profile.fans) {
        Fan fan;
        fan.state.index = profileFan.index;
        fan.state.minSpeed = keys.value(FanKey::name(profileFan.index, "Mn")).value_or(profileFan.minSpeed);
        fan.state.maxSpeed = keys.value(FanKey::name(profileFan.index, "Mx")).value_or(profileFan.maxSpeed);
        fan.state.target = keys.value(FanKey::name(profileFan.index, "Tg")).value_or(profileFan.targetSpeed);
        fan.state.actual = keys.value(FanKey::name(profileFan.index, "Ac")).value_or(profileFan.currentSpeed);
        if (!std::isfinite(fan.state.actual) || fan.state.actual < 0)
            fan.state.actual = 0;
        fan.hasMode = keys.find(FanKey::name(profileFan.index, "Md")) != nullptr;
        fan.state.goal = fan.state.actual;
        fan.spinning = fan.state.actual > 0;
        fans_.push_back(fan);
    }
    refreshInputs(keys);
    const double startAirflow = airflow();

    if (const auto volts = keys.value("B0AV"); volts && *volts > 5000 && *volts < 30000)
        batteryVolts_ = *volts / 1000;
    for (const KeyEntry& entry : keys.entries()) {
        if (entry.key.size() != 4 || !entry.script.empty() || !isNumeric(entry) || entry.readRefused())
            continue;
        if (profile.markedDynamic && !entry.dynamic)
            continue;
        const auto stored = ValueCodec::decode(entry.type, entry.bytes);
        // A real machine's sensor or rail that reads exactly 0 is not in use; the battery's currents are 0
        // on power and move on battery.
        if (profile.markedDynamic && stored == 0.0 && entry.key != "B0AC" && entry.key != "IBAC")
            continue;
        if (entry.key[0] == 'T')
            addTemperature(entry, stored, startAirflow);
        else if (entry.key[0] == 'P')
            addPower(entry, stored);
        else if (profile.markedDynamic && (entry.key[0] == 'I' || entry.key == "B0AC"))
            addCurrent(entry, stored);
    }
    if (!parameters_.onBattery) {
        const auto discharge = keys.value("B0AC");
        onBattery_ = discharge && *discharge < 0;
    } else {
        onBattery_ = *parameters_.onBattery;
    }
}

void ThermalModel::addTemperature(const KeyEntry& entry, std::optional<double> stored, double startAirflow)
{
    const char second = entry.key[1];
    Temperature temperature;
    temperature.kind = std::string_view("Ccpef").find(second) != std::string_view::npos ? Kind::cpu
                       : (second == 'G' || second == 'g')                               ? Kind::gpu
                       : (second == 'B' || second == 'b')                               ? Kind::battery
                       : (second == 'A' || second == 'a')                               ? Kind::ambient
                                                                                        : Kind::board;
    const ThermalClass& kind = classOf(temperature.kind);
    temperature.factor = lagFactor(step, kind.timeConstant);
    temperature.idleRise = std::max(0.0, kind.idleRise + spread(entry.key));
    const double remaining = 1 - kind.cooling * startAirflow;
    if (stored && std::isfinite(*stored) && *stored > parameters_.ambient && *stored < plausibleIdleCeiling
        && remaining > 0)
        temperature.idleRise = std::max(0.0, (*stored - parameters_.ambient) / remaining - load_ * kind.gain);
    temperature.value = stored && std::isfinite(*stored)
                            ? *stored
                            : parameters_.ambient + (temperature.idleRise + load_ * kind.gain) * remaining;
    temperature.absent = stored && *stored <= noSensorCeiling;
    temperatures_.emplace(entry.key, temperature);
}

void ThermalModel::addPower(const KeyEntry& entry, std::optional<double> stored)
{
    const char second = entry.key[1];
    Power power;
    power.gain = second == 'C'                      ? parameters_.cpuPower
                 : (second == 'G' || second == 'g') ? parameters_.gpuPower
                 : second == 'S'                    ? parameters_.systemPower
                                                    : parameters_.otherPower;
    power.idle = stored && std::isfinite(*stored) && *stored > 0 && *stored < 1000
                     ? std::max(0.0, *stored - load_ * power.gain)
                     : 0.1 * power.gain;
    power_.emplace(entry.key, power);
}

void ThermalModel::addCurrent(const KeyEntry& entry, std::optional<double> stored)
{
    Current current;
    current.scale = entry.key == "B0AC" ? 1000 : 1;
    current.battery = entry.key == "B0AC"   ? Current::Battery::signedDraw
                      : entry.key == "IBAC" ? Current::Battery::magnitude
                                            : Current::Battery::none;
    const char second = entry.key[1];
    // A battery current is the whole system's draw at the battery's voltage.
    const double watts = current.battery != Current::Battery::none ? parameters_.systemPower
                         : second == 'C'                           ? parameters_.cpuPower
                         : second == 'G'                           ? parameters_.gpuPower
                         : second == 'D'                           ? parameters_.systemPower
                                                                   : parameters_.otherPower;
    current.gain = watts / (current.battery != Current::Battery::none ? batteryVolts_ : railVolts);
    const double amperes = stored && std::isfinite(*stored) ? std::fabs(*stored) / current.scale : 0;
    current.idle = amperes > 0 && amperes < 100 ? std::max(0.0, amperes - load_ * current.gain) : 0.1 * current.gain;
    currents_.emplace(entry.key, current);
}

double ThermalModel::amperes(const Current& current) const
{
    const double draw = current.idle + load_ * current.gain;
    switch (current.battery) {
    case Current::Battery::none:
        return draw;
    case Current::Battery::magnitude:
        return onBattery_ ? draw : 0;
    case Current::Battery::signedDraw:
        break;
    }
    return onBattery_ ? -draw : 0;
}

const ThermalClass& ThermalModel::classOf(Kind kind) const
{
    switch (kind) {
    case Kind::cpu:
        return parameters_.cpu;
    case Kind::gpu:
        return parameters_.gpu;
    case Kind::battery:
        return parameters_.battery;
    case Kind::ambient:
        return parameters_.ambientSensors;
    case Kind::board:
        break;
    }
    return parameters_.board;
}

double ThermalModel::airflow() const
{
    double actual = 0;
    double most = 0;
    for (const Fan& fan : fans_) {
        actual += std::min(fan.state.actual, fan.state.maxSpeed);
        most += fan.state.maxSpeed;
    }
    return most > 0 ? std::clamp(actual / most, 0.0, 1.0) : 0.0;
}

double ThermalModel::hottest() const
{
    double hottest = parameters_.ambient;
    for (const auto& [key, temperature] : temperatures_)
        hottest = std::max(hottest, temperature.value);
    return hottest;
}

void ThermalModel::stepOnce(double seconds)
{
    const bool fine = seconds == step;
    const double flow = airflow();
    const double hot = hottest();
    for (Fan& fan : fans_) {
        ThermalFanState& state = fan.state;
        if (state.forced) {
            state.goal = std::clamp(state.target, state.minSpeed, state.maxSpeed);
            fan.spinning = true;
        } else {
            if (parameters_.stopWhenCool) {
                if (!fan.spinning && hot >= parameters_.curveLow)
                    fan.spinning = true;
                else if (fan.spinning && hot < parameters_.curveLow - parameters_.stopHysteresis)
                    fan.spinning = false;
            } else {
                fan.spinning = true;
            }
            state.goal = fan.spinning ? parameters_.automaticSpeed(hot, state.minSpeed, state.maxSpeed) : 0;
        }
        const double factor = fine ? fanFactor_ : lagFactor(seconds, parameters_.fanTimeConstant);
        state.actual += (state.goal - state.actual) * factor;
        if (std::fabs(state.goal - state.actual) < fanSnap)
            state.actual = state.goal;
    }
    for (auto& [key, temperature] : temperatures_) {
        if (temperature.absent)
            continue;
        const ThermalClass& kind = classOf(temperature.kind);
        const double goal =
            parameters_.ambient + (temperature.idleRise + load_ * kind.gain) * std::max(0.0, 1 - kind.cooling * flow);
        const double factor = fine ? temperature.factor : lagFactor(seconds, kind.timeConstant);
        temperature.value += (goal - temperature.value) * factor;
    }
}

void ThermalModel::advanceTo(double now)
{
    if (!std::isfinite(now))
        return;
    const std::int64_t target = static_cast<std::int64_t>(std::floor(std::min(now, 1e12) / step + 1e-6));
    if (target <= ticks_)
        return;
    const std::int64_t perSecond = static_cast<std::int64_t>(std::llround(coarseStep / step));
    std::int64_t pending = target - ticks_;
    if (pending > static_cast<std::int64_t>(catchUpLimit / step)) {
        ticks_ = target - static_cast<std::int64_t>(catchUpLimit / step);
        pending = target - ticks_;
    }
    while (pending > fineStepsLimit + perSecond) {
        stepOnce(coarseStep);
        pending -= perSecond;
    }
    for (; pending > 0; --pending)
        stepOnce(step);
    ticks_ = target;
}

void ThermalModel::refreshInputs(const KeyTable& keys)
{
    if (const auto mask = keys.value("FS! "); mask && std::isfinite(*mask) && *mask >= 0 && *mask <= 0xFFFF)
        mask_ = static_cast<std::uint32_t>(*mask);
    for (Fan& fan : fans_) {
        ThermalFanState& state = fan.state;
        const int i = state.index;
        if (const auto max = keys.value(FanKey::name(i, "Mx")); max && std::isfinite(*max) && *max > 0)
            state.maxSpeed = *max;
        if (const auto min = keys.value(FanKey::name(i, "Mn"));
            min && std::isfinite(*min) && *min >= 0 && *min <= state.maxSpeed)
            state.minSpeed = *min;
        if (const auto target = keys.value(FanKey::name(i, "Tg")); target && std::isfinite(*target) && *target >= 0)
            state.target = *target;
        if (fan.hasMode)
            if (const auto mode = keys.value(FanKey::name(i, "Md")); mode && (*mode == 0 || *mode == 1))
                state.mode = static_cast<int>(*mode);
        state.forced = state.mode.value_or(0) == 1 || (i < 16 && (mask_ >> i & 1u));
    }
}

void ThermalModel::rejectWritten(std::string_view key, const KeyTable& keys)
{
    if (key.size() != 4 || key[0] != 'F' || key[1] < '0' || key[1] > '9')
        return;
    const int index = key[1] - '0';
    auto fan = std::find_if(fans_.begin(), fans_.end(), [index](const Fan& f) { return f.state.index == index; });
    if (fan == fans_.end())
        return;
    const auto value = keys.value(key);
    const std::string shown = value ? number(*value) : "an unreadable value";
    const std::string suffix(key.substr(2));
    if (suffix == "Tg" && (!value || !std::isfinite(*value) || *value < 0))
        Foundation::Console::print("smcsim: " + std::string(key) + " refused: " + shown + " is not a fan speed");
    else if (suffix == "Md" && (!value || (*value != 0 && *value != 1)))
        Foundation::Console::print("smcsim: " + std::string(key) + " refused: mode " + shown + " is not 0 or 1");
    else if (suffix == "Mn" && (!value || !std::isfinite(*value) || *value < 0 || *value > fan->state.maxSpeed))
        Foundation::Console::print("smcsim: " + std::string(key) + " refused: " + shown + " is outside 0…"
                                   + number(fan->state.maxSpeed));
}

std::optional<double> ThermalModel::current(std::string_view key) const
{
    if (auto it = temperatures_.find(key); it != temperatures_.end())
        return it->second.value;
    if (auto it = power_.find(key); it != power_.end())
        return it->second.idle + load_ * it->second.gain;
    if (auto it = currents_.find(key); it != currents_.end())
        return amperes(it->second) * it->second.scale;
    if (key.size() == 4 && key[0] == 'F')
        for (const Fan& fan : fans_) {
            if (key[1] != static_cast<char>('0' + fan.state.index))
                continue;
            if (key.substr(2) == "Ac")
                return fan.state.actual;
            // A forced fan's target reads back within the fan's range.
            if (key.substr(2) == "Tg" && fan.state.forced)
                return std::clamp(fan.state.target, fan.state.minSpeed, fan.state.maxSpeed);
        }
    return std::nullopt;
}

std::optional<double> ThermalModel::valueFor(std::string_view key, const KeyTable& keys, double now)
{
    std::lock_guard lock(mutex_);
    advanceTo(now);
    refreshInputs(keys);
    return current(key);
}

void ThermalModel::keyWritten(std::string_view key, const KeyTable& keys, double now)
{
    std::lock_guard lock(mutex_);
    advanceTo(now);
    rejectWritten(key, keys);
    refreshInputs(keys);
}

bool ThermalModel::setLoad(double load, double now)
{
    if (!std::isfinite(load) || load < 0 || load > 1) {
        Foundation::Console::print("smcsim: load " + number(load) + " refused: expected a number from 0 to 1");
        return false;
    }
    std::lock_guard lock(mutex_);
    advanceTo(now);
    load_ = load;
    return true;
}

double ThermalModel::load() const
{
    std::lock_guard lock(mutex_);
    return load_;
}

void ThermalModel::setOnBattery(bool onBattery, double now)
{
    std::lock_guard lock(mutex_);
    advanceTo(now);
    onBattery_ = onBattery;
}

bool ThermalModel::onBattery() const
{
    std::lock_guard lock(mutex_);
    return onBattery_;
}

ThermalSnapshot ThermalModel::snapshot(double now, const KeyTable* keys)
{
    std::lock_guard lock(mutex_);
    advanceTo(now);
    if (keys)
        refreshInputs(*keys);
    ThermalSnapshot snapshot;
    snapshot.time = static_cast<double>(ticks_) * step;
    snapshot.load = load_;
    snapshot.airflow = airflow();
    for (const Fan& fan : fans_)
        snapshot.fans.push_back(fan.state);
    for (const auto& [key, temperature] : temperatures_)
        snapshot.temperatures.push_back({key, temperature.value});
    for (const auto& [key, power] : power_)
        snapshot.power.push_back({key, power.idle + load_ * power.gain});
    snapshot.onBattery = onBattery_;
    for (const auto& [key, current] : currents_)
        snapshot.currents.push_back({key, amperes(current) * current.scale});
    return snapshot;
}

} // namespace SMCSim
