#include "tests/Support/SMC/FakeMacsmcHwmonTree.h"

#include "Platform/SMC/ApplesmcTransport.h"
#include "Platform/SMC/FanKey.h"
#include "Platform/SMC/MachineProfile.h"

#include <cerrno>
#include <cmath>
#include <string>
#include <vector>

namespace SMCSim {

namespace {

struct KernelChannel {
    std::string_view kind;
    std::string_view key;
    std::string_view label;
};

// The channels as the kernel's device-tree files for the Apple-silicon SMC's hwmon name them.
std::vector<KernelChannel> kernelChannels(FakeMacsmcHwmonTree::Labels labels)
{
    return {
        {"power", "PSTR", "Total System Power"},
        {"power", "PDTR", "AC Input Power"},
        {"power", "PMVR", "3.8 V Rail Power"},
        {"power", "PHPC", "Heatpipe Power"},
        {"temp", "TH0x", "NAND Flash Temperature"},
        {"temp", "TB0T", "Battery Hotspot"},
        {"temp", "TCHP", "Charge Regulator Temp"},
        {"temp", "TW0P",
         labels == FakeMacsmcHwmonTree::Labels::first ? "WiFi/BT Module Temp" : "WiFi/BT Module Temperature"},
        {"in", "VD0R", "Charger Input Voltage"},
        {"in", "SBAV", "Battery Voltage"},
        {"curr", "ID0R", "AC Input Current"},
    };
}

} // namespace

FakeMacsmcHwmonTree::FakeMacsmcHwmonTree(const MachineProfile& profile, Labels labels)
    : FakeMacsmcHwmonTree(profile.keys, labels)
{
}

FakeMacsmcHwmonTree::FakeMacsmcHwmonTree(KeyTable keys, Labels labels) : keys_(std::move(keys))
{
    std::map<std::string_view, int> next {{"in", 0}};
    for (const auto& sensor : kernelChannels(labels)) {
        if (!keys_.find(sensor.key))
            continue;
        const int number = next.try_emplace(sensor.kind, 1).first->second++;
        channels_[std::string(sensor.kind) + std::to_string(number)] = Channel {
            std::string(sensor.key), std::string(sensor.label), IOKit::ApplesmcTransport::hwmonScale(sensor.kind)};
    }
    for (int fan = 0; keys_.find(FanKey::name(fan, "Ac")); ++fan) {
        for (const auto& [suffix, attribute] :
             {std::pair {"Ac", "input"}, {"Mn", "min"}, {"Mx", "max"}, {"Tg", "target"}})
            if (keys_.find(FanKey::name(fan, suffix)))
                channels_["fan" + std::to_string(fan + 1) + "_" + attribute] =
                    Channel {FanKey::name(fan, suffix), {}, 1};
        // The fan's label: its "ID" text (bytes 4 on, to the first NUL), where the table has one.
        if (const KeyEntry* identifier = keys_.find(FanKey::name(fan, "ID"))) {
            const std::string text(identifier->bytes.begin() + 4, identifier->bytes.begin() + 16);
            channels_["fan" + std::to_string(fan + 1) + "_label"] = Channel {{}, text.substr(0, text.find('\0')), 1};
        }
    }
}

IOKit::ApplesmcFiles::Contents FakeMacsmcHwmonTree::read(std::string_view name)
{
    std::lock_guard lock(mutex_);
    if (name == "name")
        return {0, "macsmc_hwmon\n"};
    const auto separator = name.rfind('_');
    if (separator == std::string_view::npos)
        return {ENOENT, {}};
    const std::string_view attribute = name.substr(separator + 1);
    const bool fan = name.starts_with("fan");
    const auto found = channels_.find(fan ? name : name.substr(0, separator));
    if (found == channels_.end() || (!fan && attribute != "label" && attribute != "input"))
        return {ENOENT, {}};
    if (attribute == "label" || found->second.key.empty())
        return {0, found->second.label + "\n"};
    const auto value = keys_.value(found->second.key);
    if (!value || !std::isfinite(*value))
        return {EIO, {}};
    return {0, std::to_string(std::llround(*value * found->second.scale)) + "\n"};
}

int FakeMacsmcHwmonTree::write(std::string_view name, std::string_view)
{
    std::lock_guard lock(mutex_);
    ++writeAttempts_;
    return name == "name" || channels_.contains(name) || channels_.contains(name.substr(0, name.rfind('_'))) ? EACCES
                                                                                                             : ENOENT;
}

bool FakeMacsmcHwmonTree::setValue(std::string_view key, double value)
{
    std::lock_guard lock(mutex_);
    return keys_.setValue(key, value);
}

std::size_t FakeMacsmcHwmonTree::writeAttempts() const
{
    std::lock_guard lock(mutex_);
    return writeAttempts_;
}

} // namespace SMCSim
