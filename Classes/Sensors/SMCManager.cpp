#include "Classes/Sensors/SMCManager.h"

#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Sensors/SMC.h"
#include "Platform/Foundation/Console.h"
#include "Platform/Foundation/SharedInstance.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

namespace Aerlo {

namespace {

using Suffix = SMC::FanKeySuffix;

Foundation::SharedInstance<SMCManager>& sharedInstance()
{
    static Foundation::SharedInstance<SMCManager> instance;
    return instance;
}

} // namespace

SMCManager& SMCManager::shared() { return sharedInstance().get(); }

void SMCManager::resetForTesting() { sharedInstance().resetForTesting(); }

SMCManager::SMCManager()
    : cpuTempKeysAppleSilicon {"Tp09", "Tp0T", "Tp01", "Tp05", "Tp0D", "Tp0H", "Tp0L", "Tp0P", "Tp0X", "Tp0b", "Tp1h",
                               "Tp1t", "Tp1p", "Tp1l", "Tp01", "Tp05", "Tp09", "Tp0D", "Tp0X", "Tp0b", "Tp0f", "Tp0j",
                               "Te05", "Te0L", "Te0P", "Te0S", "Tf04", "Tf09", "Tf0A", "Tf0B", "Tf0D", "Tf0E", "Tf44",
                               "Tf49", "Tf4A", "Tf4B", "Tf4D", "Tf4E", "Te05", "Te09", "Te0H", "Te0S", "Tp01", "Tp05",
                               "Tp09", "Tp0D", "Tp0V", "Tp0Y", "Tp0b", "Tp0e", "Tc0a", "Tc0b", "Tc0x", "Tc0z", "Tc7a",
                               "Tc7b", "Tc7x", "Tc7z", "Tc8a", "Tc8b", "Tc9a", "Tc9b", "Tc9x", "Tc9z"},
      intelSMCKeys {"TN0P", "TM0P", "Tm0P", "TG0P", "TN0D", "TN0H", "TG0H", "TC0D",
                    "TC0E", "TC0F", "TC0H", "TC0P", "TCAD", "TC%c", "TC%C"},
      localizedText(&LocalizationTable::text)
{
}

CPUTemperatureMean SMCManager::averageCPUTemperature() const
{
    int count = 0;
    float sum = 0;
    for (const auto key : cpuTempKeysAppleSilicon) {
        if (const auto value = SMC::shared().getValue(key)) {
            ++count;
            sum += static_cast<float>(*value);
        }
    }
    const float mean = count > 0 ? sum / static_cast<float>(count) : 0.0f;
    return {count, std::round(mean)};
}

bool SMCManager::forced(int fan) const
{
    if (fan < 0 || fan >= maxFans)
        return false;
    const auto value = SMC::shared().getValue("FS! ");
    const double x = value && std::isfinite(*value) && *value >= 0 && *value <= 0xFFFF ? std::trunc(*value) : 0;
    return (static_cast<unsigned>(x) >> fan) & 1u;
}

bool SMCManager::isFanForced(int fan) const
{
    if (const auto mode = SMC::shared().getValue(SMC::fanKey(fan, Suffix::mode)))
        return std::isfinite(*mode) && std::trunc(*mode) == 1;
    return forced(fan);
}

std::vector<int> SMCManager::forcedFans() const
{
    std::vector<int> fans;
    const auto count = fanCountFromValue(SMC::shared().getValue("FNum"));
    for (int fan = 0; fan < std::min(count.value_or(0), maxFans); ++fan)
        if (isFanForced(fan))
            fans.push_back(fan);
    return fans;
}

std::vector<Fan> SMCManager::readFans(int64_t count) const
{
    std::vector<Fan> fans;
    const int n = static_cast<int>(std::clamp<int64_t>(count, 0, maxFans));
    SMC& smc = SMC::shared();
    for (int i = 0; i < n; ++i) {
        std::optional<std::string> name = smc.getStringValue(SMC::fanKey(i, Suffix::identifier));
        if (!name && count == 2)
            name = localizedText(i == 0 ? "Left fan" : "Right fan");

        const bool isForced = isFanForced(i);

        if (!name)
            name = localizedText("Fan") + " #" + std::to_string(i);

        const double minSpeed = smc.getValue(SMC::fanKey(i, Suffix::minimumSpeed)).value_or(1.0);
        const double maxSpeed = smc.getValue(SMC::fanKey(i, Suffix::maximumSpeed)).value_or(1.0);
        // A speed the SMC cannot give shows no number.
        const std::string speedKey = SMC::fanKey(i, Suffix::actualSpeed);
        const double value =
            smc.getValue(speedKey).value_or(smc.isUnreadable(speedKey) ? std::numeric_limits<double>::quiet_NaN() : 0);

        Fan fan;
        fan.id = i;
        fan.key = speedKey;
        fan.name = std::move(*name);
        fan.minSpeed = minSpeed;
        fan.maxSpeed = maxSpeed;
        fan.value = value;
        fan.mode = isForced ? FanMode::forced : FanMode::automatic;
        fan.group = SensorGroup::sensor;
        fan.type = SensorType::fan;
        fan.unit = "RPM";
        fans.push_back(std::move(fan));
    }
    return fans;
}

void SMCManager::refreshFanSpeeds() const
{
    SMC& smc = SMC::shared();
    const auto value = smc.getValue("FNum");
    const auto count = fanCountFromValue(value);
    if (!count) {
        if (!smc.outage())
            Foundation::Console::print("FNum not found");
        return;
    }
    fanCount = *value;
    for (int i = 0; i < std::min(*count, 2); ++i) {
        double& speed = i == 0 ? fan0Speed : fan1Speed;
        double& minSpeed = i == 0 ? fan0MinSpeed : fan1MinSpeed;
        double& maxSpeed = i == 0 ? fan0MaxSpeed : fan1MaxSpeed;
        speed = smc.getValue(SMC::fanKey(i, Suffix::actualSpeed)).value_or(0);
        minSpeed = 0;
        maxSpeed = smc.getValue(SMC::fanKey(i, Suffix::maximumSpeed)).value_or(-1);
    }
}

std::optional<int> SMCManager::fanCountFromValue(std::optional<double> value)
{
    if (!value || !std::isfinite(*value) || *value < 0 || *value > 255)
        return std::nullopt;
    return static_cast<int>(std::trunc(*value));
}

} // namespace Aerlo
