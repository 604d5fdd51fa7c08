#include "Classes/Configure/Global/RegistryHelpers.h"

#include "Platform/Foundation/Console.h"
#include "Platform/SMC/MachError.h"

#include <cstring>

namespace Aerlo {

namespace {

std::optional<std::string> readName(const SystemPlatform::RegistryEntry& entry, bool report)
{
    char name[128] = {};
    const IOKit::kern_return_t result = SystemPlatform::IORegistry::entryGetName(entry, name);
    if (result != IOKit::kIOReturnSuccess) {
        if (report) {
            std::string text = IOKit::machErrorString(result);
            Foundation::Console::print("Error IORegistryEntryGetName(): " + (text.empty() ? "unknown error" : text));
        }
        return std::nullopt;
    }
    return std::string(name, ::strnlen(name, sizeof name));
}

} // namespace

std::optional<std::string> registryEntryName(const SystemPlatform::RegistryEntry& entry)
{
    return readName(entry, true);
}

std::optional<std::vector<std::string>> registryChildNames(const SystemPlatform::RegistryEntry& entry)
{
    std::vector<std::string> names;
    for (const auto& child : entry.children)
        if (auto name = readName(child, false))
            names.push_back(std::move(*name));
    return names;
}

std::optional<SystemPlatform::RegistryProperties> registryProperties(const SystemPlatform::RegistryEntry& entry)
{
    return SystemPlatform::IORegistry::entryCreateCFProperties(entry);
}

} // namespace Aerlo
