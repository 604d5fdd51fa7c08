#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/SMC/DynamicValues.h"
#include "Platform/SMC/SMCExport.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SMCSim {

class MachineProfile;
struct KeyEntry;

// How one kind of temperature sensor answers: at load L and airflow A (0…1) it tends to
// ambient + (idleRise + L·gain)·(1 − cooling·A), with a first-order lag of `timeConstant` seconds.
struct AERLO_SMC_EXPORT ThermalClass {
    double idleRise = 10;
    double gain = 20;
    double cooling = 0.4;
    double timeConstant = 20;
};

// The model's constants. Defaults depend on the machine (forProfile); a profile may override
// them in its "thermal" section (apply).
struct AERLO_SMC_EXPORT ThermalParameters {
    double ambient = 24;
    double load = 0.1; // at start
    double fanTimeConstant = 1.5; // seconds
    // Automatic curve: a fan runs at its minimum up to curveLow (hottest temperature, °C) and
    // rises linearly to its maximum at curveHigh.
    double curveLow = 55;
    double curveHigh = 95;
    // Fans stop below curveLow and start again at it; running, they stop only below
    // curveLow − stopHysteresis (Apple-silicon fans really do stop).
    bool stopWhenCool = false;
    double stopHysteresis = 5;
    ThermalClass cpu {20, 60, 0.45, 8};
    ThermalClass gpu {14, 40, 0.45, 10};
    ThermalClass board {8, 18, 0.4, 30};
    ThermalClass battery {5, 6, 0.2, 90};
    ThermalClass ambientSensors {2, 3, 0.3, 60};
    // Power keys: idle + load·gain watts, at once.
    double cpuPower = 40;
    double gpuPower = 20;
    double systemPower = 60;
    double otherPower = 3;
    // Running on battery: the battery's current ("B0AC", mA) is the system's draw, below 0, and
    // "IBAC" its size; on power both are 0. Absent: on battery when the profile's "B0AC" is below 0.
    std::optional<bool> onBattery;

    static ThermalParameters forProfile(const MachineProfile& profile);
    // Applies a "thermal" section (a JSON object); on failure nothing changes.
    [[nodiscard]] Foundation::Result<void> apply(std::string_view json);

    // The automatic curve's speed for a running fan (min…max, non-decreasing in `hottest`).
    double automaticSpeed(double hottest, double minSpeed, double maxSpeed) const;
};

// One fan as the model sees it.
struct AERLO_SMC_EXPORT ThermalFanState {
    int index = 0;
    double actual = 0; // "F<i>Ac"
    double goal = 0; // where the fan is heading: the forced target or the curve's speed
    double target = 0; // "F<i>Tg" as last accepted
    double minSpeed = 0;
    double maxSpeed = 0;
    std::optional<int> mode; // "F<i>Md", absent when the fan has no mode key
    bool forced = false; // mode 1 or bit i of "FS! "
};

struct AERLO_SMC_EXPORT ThermalReading {
    std::string key;
    double value = 0;
};

struct AERLO_SMC_EXPORT ThermalSnapshot {
    double time = 0; // device seconds
    double load = 0;
    bool onBattery = false;
    double airflow = 0;
    std::vector<ThermalFanState> fans;
    std::vector<ThermalReading> temperatures; // key order
    std::vector<ThermalReading> power; // key order
    std::vector<ThermalReading> currents; // key order
};

// Fan speeds, temperatures and power of a simulated machine, driven by load and airflow.
//
// Fans follow the automatic curve on the hottest modelled temperature unless forced ("F<i>Md" = 1
// or bit i of "FS! "), in which case they head for "F<i>Tg" held within [Mn, Mx], and "F<i>Tg" reads
// back so held, as the firmware does; "F<i>Ac" approaches its goal with a first-order lag. Every "T…"
// key with a numeric type (and no script) is a temperature: it starts at the profile's value and tends
// to ambient + (rise + load·gain)·(1 − cooling·airflow) of its class (by the key's second letter: CPU,
// GPU, battery, ambient, board). A profile value that is a plausible idle reading becomes the key's own
// idle rise; one at or below −100 °C is the firmware's "no sensor" and stays. "P…" keys are power:
// idle + load·gain. When the profile marks its dynamic keys, only those are modelled (but the ones that
// read exactly 0, sensors and rails the real machine does not use), and marked
// currents ("I…", and the battery's "B0AC") follow the load too (the battery's go negative while the
// machine runs on battery); marked voltages keep their value.
//
// The state moves in fixed steps of `step` seconds of device time, up to the last step at or
// before `now`, so that readings depend only on the times of the calls, never on how often they
// come. Thread-safe (own lock; the device calls in under its lock, never the other way round).
class AERLO_SMC_EXPORT ThermalModel : public DynamicValues {
public:
    static constexpr double step = 0.05;

    // Parameters from the profile: forProfile, then its "thermal" section when valid (a bad
    // section prints one line and is ignored).
    explicit ThermalModel(const MachineProfile& profile);
    ThermalModel(const MachineProfile& profile, ThermalParameters parameters);

    std::optional<double> valueFor(std::string_view key, const KeyTable& keys, double now) override;
    // Picks up the written key from `now` on; a refused value (a target that is negative or not a
    // finite number, a mode other than 0 or 1, a minimum outside 0…max) prints one line and leaves
    // the fan as it was.
    void keyWritten(std::string_view key, const KeyTable& keys, double now) override;

    // Load 0…1 from `now` on. Anything else prints one line and changes nothing.
    [[nodiscard]] bool setLoad(double load, double now);
    double load() const;
    // On battery or on power from `now` on.
    void setOnBattery(bool onBattery, double now);
    bool onBattery() const;
    // The state at `now` (device seconds); with `keys`, after taking up changes made to them directly
    // (call under the device's lock, as in SimSmcDevice::editKeys).
    ThermalSnapshot snapshot(double now, const KeyTable* keys = nullptr);

    const ThermalParameters& parameters() const { return parameters_; }

private:
    enum class Kind { cpu, gpu, board, battery, ambient };
    struct Temperature {
        Kind kind = Kind::board;
        double idleRise = 0;
        double value = 0;
        double factor = 0; // 1 − e^(−step/τ)
        bool absent = false; // "no sensor": keeps its value
    };
    struct Power {
        double idle = 0;
        double gain = 0;
    };
    struct Current {
        // The battery's own currents: "B0AC" goes below 0 while the battery discharges, "IBAC" gives
        // the size of the discharge; both are 0 on power (a full battery).
        enum class Battery { none, signedDraw, magnitude };
        double idle = 0; // amperes
        double gain = 0; // amperes at full load
        double scale = 1; // stored units per ampere ("B0AC": milliamperes)
        Battery battery = Battery::none;
    };
    struct Fan {
        ThermalFanState state;
        bool hasMode = false;
        bool spinning = false;
    };

    const ThermalClass& classOf(Kind kind) const;
    double airflow() const;
    double hottest() const;
    void advanceTo(double now);
    void stepOnce(double seconds);
    void refreshInputs(const KeyTable& keys);
    void rejectWritten(std::string_view key, const KeyTable& keys);
    void addTemperature(const KeyEntry& entry, std::optional<double> stored, double startAirflow);
    void addPower(const KeyEntry& entry, std::optional<double> stored);
    void addCurrent(const KeyEntry& entry, std::optional<double> stored);
    double amperes(const Current& current) const;
    std::optional<double> current(std::string_view key) const;

    mutable std::mutex mutex_;
    ThermalParameters parameters_;
    double load_ = 0;
    std::int64_t ticks_ = 0; // steps taken since device time 0
    std::vector<Fan> fans_;
    std::uint32_t mask_ = 0;
    std::map<std::string, Temperature, std::less<>> temperatures_;
    std::map<std::string, Power, std::less<>> power_;
    std::map<std::string, Current, std::less<>> currents_;
    bool onBattery_ = false;
    double batteryVolts_ = 11.4;
    double fanFactor_ = 0;
};

} // namespace SMCSim
