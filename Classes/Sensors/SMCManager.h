#pragma once

#include "Classes/Sensors/Fan.h"
#include "Platform/Foundation/TestAccess.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The process-wide fan values, 0 at launch, written and read on the main thread. Speeds in RPM;
// a minimum is always 0, a maximum −1 when unreadable. Fan 0 is the left fan and fan 1 the right:
// the left/right names are the same variables.
inline double fanCount = 0;
inline double fan0Speed = 0;
inline double fan0MinSpeed = 0;
inline double fan0MaxSpeed = 0;
inline double fan1Speed = 0;
inline double fan1MinSpeed = 0;
inline double fan1MaxSpeed = 0;

inline double& leftFanSpeed = fan0Speed;
inline double& leftFanMinSpeed = fan0MinSpeed;
inline double& leftFanMaxSpeed = fan0MaxSpeed;
inline double& rightFanSpeed = fan1Speed;
inline double& rightFanMinSpeed = fan1MinSpeed;
inline double& rightFanMaxSpeed = fan1MaxSpeed;

// The Apple-silicon CPU temperature: how many keys read, and their mean rounded half away from zero.
struct CPUTemperatureMean {
    int count = 0;
    float mean = 0;

    bool operator==(const CPUTemperatureMean&) const = default;
};

// Questions about the CPU and the fans, asked of SMC::shared().
class SMCManager {
public:
    // The process-wide manager, made on first use from any thread; it stays at one address for the
    // life of the process, so callers may keep the reference for the life of the app.
    static SMCManager& shared();

    SMCManager();

    const std::array<std::string_view, 64> cpuTempKeysAppleSilicon;
    const std::array<std::string_view, 15> intelSMCKeys;
    int currentSMCKeyIndex = 0;
    const double maxCPUTemperature = 110.0;

    // Localised texts of "Left fan", "Right fan" and "Fan" (the localisation table unless replaced).
    std::function<std::string(std::string_view key)> localizedText;

    // The mean of every entry of cpuTempKeysAppleSilicon that reads (duplicates count each time).
    CPUTemperatureMean averageCPUTemperature() const;
    // Whether bit `fan` of the forced-fan mask "FS! " is set.
    bool forced(int fan) const;
    // Whether the fan runs forced: its mode key "F<i>Md" is 1, or, where it has none, its mask bit is set.
    bool isFanForced(int fan) const;
    // The fans of "FNum" that run forced, in order; none when the count cannot be read.
    std::vector<int> forcedFans() const;
    // One Fan per index from 0; a count below 0 gives none and indexes stop at 9.
    std::vector<Fan> readFans(int64_t count) const;
    // Reads "FNum" and the speeds of fans 0 and 1 into the process-wide fan values.
    void refreshFanSpeeds() const;

    // A fan count as read from "FNum": nothing when absent, not finite, negative or above 255.
    static std::optional<int> fanCountFromValue(std::optional<double> value);
    // The highest number of fans with keys: indexes are one digit.
    static constexpr int maxFans = 10;

private:
    friend struct ::TestAccess;
    // Tests, while no other thread uses it: the manager is rebuilt fresh in place on the next shared();
    // references taken before stay valid.
    static void resetForTesting();
};

} // namespace Aerlo
