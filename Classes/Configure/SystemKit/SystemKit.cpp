#include "Classes/Configure/SystemKit/SystemKit.h"

#include "Platform/System/ActiveMachine.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

namespace Aerlo {

namespace {

struct SharedState {
    std::mutex mutex;
    std::unique_ptr<SystemKit> instance;
};

SharedState& sharedState()
{
    static SharedState state;
    return state;
}

std::string lowercased(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

} // namespace

SystemKit& SystemKit::shared()
{
    SharedState& state = sharedState();
    std::lock_guard lock(state.mutex);
    if (!state.instance)
        state.instance = std::make_unique<SystemKit>();
    return *state.instance;
}

void SystemKit::resetShared()
{
    SharedState& state = sharedState();
    std::lock_guard lock(state.mutex);
    state.instance.reset();
}

SystemKit::SystemKit()
    : device(device_s::makeDefault())
    , log(NextLog::shared().copy("SystemKit"))
{
    if (const auto profile = SystemPlatform::ActiveMachine::profile(); profile && !profile->facts.cpuBrand.empty()) {
        cpu_s cpu;
        cpu.name = profile->facts.cpuBrand;
        device.info.cpu = cpu;
    }
    if (device.info.cpu && device.info.cpu->name)
        device.platform = platformFromCPUName(*device.info.cpu->name);
}

std::optional<Platform> SystemKit::platformFromCPUName(std::string_view name)
{
    const std::string lower = lowercased(name);
    const auto contains = [&](std::string_view part) { return lower.find(part) != std::string::npos; };
    if (contains("intel"))
        return Platform::intel;
    static constexpr std::pair<std::string_view, Platform> generations[] = {
        {"m1", Platform::m1}, {"m2", Platform::m2}, {"m3", Platform::m3}, {"m4", Platform::m4}};
    for (const auto& [generation, base] : generations) {
        if (!contains(generation))
            continue;
        const auto first = static_cast<uint8_t>(base);
        if (contains("pro"))
            return Platform(first + 1);
        if (contains("max"))
            return Platform(first + 2);
        if (contains("ultra"))
            return Platform(first + 3);
        return base;
    }
    return std::nullopt;
}

} // namespace Aerlo
