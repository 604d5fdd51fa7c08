#pragma once

#include "Platform/Foundation/Result.h"
#include "Platform/SMC/IOKitTypes.h"
#include "Platform/SMC/KeyTable.h"
#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/SimSmcDevice.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SMCSim {

// A memory slot as the system profiler reports it ("BANK 0/ChannelA-DIMM0", "8 GB" or "empty", …).
struct AERLO_SMC_EXPORT MemoryModuleFacts {
    std::string slot;
    std::string size;
    std::string type;
    std::string speed;
};

// A graphics processor as the system profiler reports it; empty texts and 0 cores are left out.
struct AERLO_SMC_EXPORT GraphicsFacts {
    std::string model;
    std::string vendor;
    std::string vram; // dedicated memory, "2 GB"
    std::string vramShared; // memory shared with the system, "1536 MB"
    int cores = 0;
};

// The boot volume and the disk it lies on.
struct AERLO_SMC_EXPORT DiskFacts {
    std::string volumeName; // "Macintosh HD"
    std::string mediaName; // "APPLE SSD AP0512R Media"
    std::string deviceModel; // "APPLE SSD AP0512R", as the disk reports it (padded)
    std::int64_t mediaSize = 0;
    bool removable = false;
};

// What the system record of the simulated Mac reports.
struct AERLO_SMC_EXPORT MachineFacts {
    std::string modelIdentifier; // "MacBookPro18,3"
    std::string modelName; // "MacBook Pro"
    std::string cpuBrand; // "Apple M1 Pro", "Intel(R) Core(TM) i7-4870HQ CPU @ 2.50GHz"
    int physicalCores = 0;
    int logicalCores = 0;
    int performanceCores = 0; // 0 where the machine has one kind of core
    int efficiencyCores = 0;
    std::uint64_t memoryBytes = 0;
    std::string osVersion; // "14.5"
    std::string osBuild; // "23F79"
    std::string architecture; // "x86_64" or "arm64"
    std::string serialNumber; // empty: the platform expert has none
    std::string platformUUID;
    std::vector<MemoryModuleFacts> memoryModules; // machines with memory slots
    std::vector<GraphicsFacts> graphics;
    std::optional<DiskFacts> disk; // absent: the host's root file system stands in
};

// One fan of the machine and the keys "F<index><suffix>" it has ("Ac", "Mn", "Mx", "Tg", "Md", "ID").
struct AERLO_SMC_EXPORT FanProfile {
    int index = 0;
    std::string type; // the speed keys' type: "fpe2" or "flt "
    double minSpeed = 0;
    double maxSpeed = 0;
    double currentSpeed = 0;
    double targetSpeed = 0;
    std::vector<std::string> keys;
    std::string name; // the "ID" key's text
};

// How the kernel's registry shows the SMC service.
struct AERLO_SMC_EXPORT ServiceSettings {
    bool present = true;
    IOKit::kern_return_t matchingFailure = IOKit::kIOReturnSuccess;
};

// A simulated Mac: its facts, fans and SMC key table, loaded from JSON under the machines folder
// (<dir>/<name>.json), optionally with fault overlays on top (<dir>/Overlays/<overlay>.json).
// The format is described in Resources/Machines/README.md.
class AERLO_SMC_EXPORT MachineProfile {
public:
    static constexpr std::string_view defaultName = "mbp-m1pro-2fan";

    std::string name;
    std::string description;
    std::optional<std::string> platform; // "intel", "m1Pro", … ; absent for an unknown platform
    MachineFacts facts;
    std::vector<FanProfile> fans;
    KeyTable keys;
    DeviceSettings device;
    ServiceSettings service;
    std::vector<std::string> overlays; // applied, in order
    std::string thermal; // the thermal model's "thermal" section as JSON text, empty when absent
    // The thermal model drives only the keys marked dynamic (imported tables); otherwise every
    // numeric "T…" and "P…" key.
    bool markedDynamic = false;

    // Where profiles are looked up: AERLO_MACHINES_DIR, else the main bundle's Resources/Machines,
    // else the source tree's Resources/Machines.
    static std::filesystem::path directory();
    // A profile's (or a table's) file, bytes as they are; nothing when it cannot be read.
    static std::optional<std::string> readText(const std::filesystem::path& path);
    // Profile names found in directory(), sorted.
    static std::vector<std::string> availableNames();
    // "name[+overlay…]"; a name holding "/" or ending in ".json" is a file path. Prints one line on
    // standard error and gives nothing when a file is missing or invalid.
    [[nodiscard]] static std::optional<MachineProfile> load(std::string_view spec);
    // A profile from JSON text, or what is wrong with it.
    [[nodiscard]] static Foundation::Result<MachineProfile> parse(std::string_view json);
    // Applies an overlay from JSON text; on failure the profile is unchanged.
    [[nodiscard]] Foundation::Result<void> applyOverlay(std::string_view json);
};

} // namespace SMCSim
