#pragma once

#include "Classes/Configure/SystemKit/Platform.h"
#include "Platform/Foundation/Clock.h"

#include <chrono>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Aerlo {

// The product line. Equality goes by the raw value, which is the case name.
enum class deviceType { unknown, macMini, macPro, iMac, iMacPro, macbook, macbookAir, macbookPro, macStudio };
std::string_view rawValue(deviceType type);
std::optional<deviceType> deviceTypeFromRawValue(std::string_view raw);
// Every case but unknown, in declaration order: the product lines a model name is matched against.
std::vector<deviceType> matchableDeviceTypes();

enum class coreType : int { unknown = -1, efficiency = 1, performance = 2 };
int rawValue(coreType type);
std::optional<coreType> coreTypeFromRawValue(int64_t raw);

enum class CPUType { intel, arm, unknown };
std::string_view rawValue(CPUType type);
std::optional<CPUType> cpuTypeFromRawValue(std::string_view raw);

struct OperatingSystemVersion {
    int64_t majorVersion = 0;
    int64_t minorVersion = 0;
    int64_t patchVersion = 0;
    bool operator==(const OperatingSystemVersion&) const = default;
};

struct model_s {
    std::string id;
    std::string name;
    int64_t year = 0;
    deviceType type = deviceType::unknown;
    std::string modelNumber;
    bool operator==(const model_s&) const = default;
};

struct os_s {
    std::string name;
    OperatingSystemVersion version;
    std::string build;
    bool operator==(const os_s&) const = default;
};

struct core_s {
    int32_t id = -1;
    std::string name;
    coreType type = coreType::unknown;
    bool operator==(const core_s&) const = default;
};

struct cpu_s {
    std::optional<std::string> name;
    std::optional<int8_t> physicalCores;
    std::optional<int8_t> logicalCores;
    std::optional<int32_t> eCores;
    std::optional<int32_t> pCores;
    std::optional<std::vector<core_s>> cores;
    bool operator==(const cpu_s&) const = default;
};

struct dimm_s {
    std::optional<int64_t> bank;
    std::optional<std::string> channel;
    std::optional<std::string> type;
    std::optional<std::string> size;
    std::optional<std::string> speed;
    bool operator==(const dimm_s&) const = default;
};

struct ram_s {
    std::vector<dimm_s> dimms;
    bool operator==(const ram_s&) const = default;
};

struct gpu_s {
    std::optional<std::string> name;
    std::optional<std::string> vendor;
    std::optional<std::string> vram;
    std::optional<int64_t> cores;
    bool operator==(const gpu_s&) const = default;
};

struct disk_s {
    std::string name;
    std::string model;
    int64_t size = 0;
    bool operator==(const disk_s&) const = default;
};

// An absent part means its reader failed; an empty gpu list means none was found.
struct info_s {
    std::optional<cpu_s> cpu;
    std::optional<ram_s> ram;
    std::optional<std::vector<gpu_s>> gpu;
    std::optional<disk_s> disk;
    bool operator==(const info_s&) const = default;
};

// The system record.
struct device_s {
    model_s model;
    std::optional<std::string> serialNumber;
    std::optional<std::chrono::system_clock::time_point> bootDate;
    std::optional<os_s> os;
    info_s info;
    std::optional<Platform> platform;
    bool operator==(const device_s&) const = default;

    // The record every reader starts from: model "Unknown" of the clock's current year (local
    // calendar), empty identifier and model number, type unknown; everything else absent.
    static device_s makeDefault(const Foundation::Clock& clock = Foundation::Clock::system());

    // Members in declaration order; absent values are left out. Enumerations as their raw
    // values, the boot date as seconds since 1970.
    nlohmann::ordered_json encode() const;
    // Required members must be present, optional ones may be missing or null; any wrong type,
    // unknown raw value or out-of-range number fails the whole decode.
    static std::optional<device_s> decode(const nlohmann::ordered_json& json);
};

} // namespace Aerlo
