#include "Platform/System/IORegistry.h"

#include "Platform/Foundation/SharedInstance.h"
#include "Platform/System/ActiveMachine.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace SystemPlatform {

namespace {

struct State {
    std::mutex mutex;
    std::optional<std::vector<RegistryEntry>> services;
    std::map<std::string, IOKit::kern_return_t, std::less<>> matchingFailures;
};

State& state()
{
    static Foundation::SharedInstance<State> state;
    return state.get();
}

RegistryData textData(std::string_view text) { return {std::string(text) + '\0'}; }

RegistryData u32Data(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return {bytes};
}

RegistryEntry coreNode(int id, bool efficiency)
{
    RegistryEntry node;
    node.className = "AppleARMCPU";
    node.name = "cpu" + std::to_string(id);
    node.properties.emplace("cluster-type", textData(efficiency ? "E" : "P"));
    node.properties.emplace("cpu-id", u32Data(static_cast<std::uint32_t>(id)));
    return node;
}

std::vector<RegistryEntry> currentServices()
{
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.services)
            return *s.services;
    }
    const auto profile = ActiveMachine::profile();
    return profile ? IORegistry::servicesOf(*profile) : std::vector<RegistryEntry> {};
}

} // namespace

std::vector<RegistryEntry> IORegistry::servicesOf(const SMCSim::MachineProfile& profile)
{
    const SMCSim::MachineFacts& facts = profile.facts;
    std::vector<RegistryEntry> services;

    RegistryEntry expert;
    expert.className = "IOPlatformExpertDevice";
    expert.name = facts.modelIdentifier;
    expert.properties.emplace("model", textData(facts.modelIdentifier));
    if (!facts.serialNumber.empty())
        expert.properties.emplace("IOPlatformSerialNumber", facts.serialNumber);
    if (!facts.platformUUID.empty())
        expert.properties.emplace("IOPlatformUUID", facts.platformUUID);
    services.push_back(std::move(expert));

    if (facts.architecture == "arm64") {
        RegistryEntry platform;
        platform.className = "AppleARMPE";
        platform.name = "arm-io";
        RegistryEntry cpus;
        cpus.className = "IOService";
        cpus.name = "cpus";
        cpus.properties.emplace("e-core-count", u32Data(static_cast<std::uint32_t>(facts.efficiencyCores)));
        cpus.properties.emplace("p-core-count", u32Data(static_cast<std::uint32_t>(facts.performanceCores)));
        platform.children.push_back(std::move(cpus));
        const int cores = facts.efficiencyCores + facts.performanceCores;
        for (int id = 0; id < cores; ++id)
            platform.children.push_back(coreNode(id, id < facts.efficiencyCores));
        services.push_back(std::move(platform));
    }
    return services;
}

std::optional<RegistryEntry> IORegistry::getMatchingService(std::string_view className)
{
    std::vector<RegistryEntry> services;
    if (getMatchingServices(className, services) != IOKit::kIOReturnSuccess || services.empty())
        return std::nullopt;
    return std::move(services.front());
}

IOKit::kern_return_t IORegistry::getMatchingServices(std::string_view className, std::vector<RegistryEntry>& services)
{
    services.clear();
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (const auto failure = s.matchingFailures.find(className); failure != s.matchingFailures.end())
            return failure->second;
    }
    for (RegistryEntry& entry : currentServices())
        if (entry.className == className)
            services.push_back(std::move(entry));
    return IOKit::kIOReturnSuccess;
}

IOKit::kern_return_t IORegistry::entryGetName(const RegistryEntry& entry, char (&name)[128])
{
    std::memset(name, 0, sizeof name);
    if (entry.nameFailure != IOKit::kIOReturnSuccess)
        return entry.nameFailure;
    std::memcpy(name, entry.name.data(), std::min(entry.name.size(), sizeof name - 1));
    return IOKit::kIOReturnSuccess;
}

std::optional<RegistryProperties> IORegistry::entryCreateCFProperties(const RegistryEntry& entry)
{
    if (entry.propertiesFailure)
        return std::nullopt;
    return entry.properties;
}

void IORegistry::setServices(std::optional<std::vector<RegistryEntry>> services)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.services = std::move(services);
}

void IORegistry::setMatchingFailure(std::string_view className, IOKit::kern_return_t code)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (code == IOKit::kIOReturnSuccess)
        s.matchingFailures.erase(std::string(className));
    else
        s.matchingFailures[std::string(className)] = code;
}

void IORegistry::resetForTesting()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.services.reset();
    s.matchingFailures.clear();
}

} // namespace SystemPlatform
