#pragma once

#include "Platform/Foundation/TestAccess.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/SystemExport.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace SystemPlatform {

// A data property: raw bytes (a text kept as data carries its NUL).
struct AERLO_SYSTEM_EXPORT RegistryData {
    std::string bytes;
    bool operator==(const RegistryData&) const = default;
};

// A property value: data, text, number or truth value.
using RegistryValue = std::variant<RegistryData, std::string, std::int64_t, bool>;
using RegistryProperties = std::map<std::string, RegistryValue, std::less<>>;

// An entry of the registry with its children in the "IOService" plane.
struct AERLO_SYSTEM_EXPORT RegistryEntry {
    std::string className;
    std::string name;
    RegistryProperties properties;
    std::vector<RegistryEntry> children;
    IOKit::kern_return_t nameFailure = IOKit::kIOReturnSuccess; // reading the name fails with this
    bool propertiesFailure = false; // the properties cannot be copied
};

// The I/O Registry of the simulated Mac, made from the active machine profile: the platform
// expert device ("IOPlatformExpertDevice": "model" as data with its NUL, "IOPlatformSerialNumber",
// "IOPlatformUUID") and, on Apple silicon, "AppleARMPE" with a "cpus" node ("e-core-count",
// "p-core-count") and one "cpu<n>" node per core, efficiency cores first ("cluster-type" "E"/"P"
// and "cpu-id" as 32-bit little-endian data). Thread-safe.
class AERLO_SYSTEM_EXPORT IORegistry {
public:
    // IOServiceGetMatchingService: the first service of the class.
    static std::optional<RegistryEntry> getMatchingService(std::string_view className);
    // IOServiceGetMatchingServices: every service of the class (none is no failure).
    static IOKit::kern_return_t getMatchingServices(std::string_view className, std::vector<RegistryEntry>& services);
    // IORegistryEntryGetName into the registry's 128-byte name buffer.
    static IOKit::kern_return_t entryGetName(const RegistryEntry& entry, char (&name)[128]);
    // IORegistryEntryCreateCFProperties.
    static std::optional<RegistryProperties> entryCreateCFProperties(const RegistryEntry& entry);

    // The services a machine shows.
    static std::vector<RegistryEntry> servicesOf(const SMCSim::MachineProfile& profile);

    // Replaces the services (tests); nothing goes back to the active machine's.
    static void setServices(std::optional<std::vector<RegistryEntry>> services);
    // Makes matching the class fail with `code` (0 clears).
    static void setMatchingFailure(std::string_view className, IOKit::kern_return_t code);

private:
    friend struct ::TestAccess;
    // The active machine's services, no failures.
    static void resetForTesting();
};

} // namespace SystemPlatform
