#pragma once

#include "Platform/System/IORegistry.h"

#include <optional>
#include <string>
#include <vector>

namespace Aerlo {

// The entry's name (at most the registry's 128 bytes); nothing, with one printed line naming the
// error, when it cannot be read.
std::optional<std::string> registryEntryName(const SystemPlatform::RegistryEntry& entry);
// The names of the entry's children in the "IOService" plane, in order; a child whose name cannot
// be read is left out.
std::optional<std::vector<std::string>> registryChildNames(const SystemPlatform::RegistryEntry& entry);
// Every property of the entry; nothing when they cannot be copied.
std::optional<SystemPlatform::RegistryProperties> registryProperties(const SystemPlatform::RegistryEntry& entry);

} // namespace Aerlo
