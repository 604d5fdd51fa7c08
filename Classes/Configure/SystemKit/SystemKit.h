#pragma once

#include "Classes/Configure/Global/NextLog.h"
#include "Classes/Configure/SystemKit/device_s.h"
#include "Platform/Foundation/TestAccess.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Aerlo {

// Gathers the system record once, in a fixed order of probes, and keeps it. A probe that fails
// leaves its part of the record at its default and logs one error line; construction never fails.
class SystemKit {
public:
    // What the platform expert device tells.
    struct PlatformExpertInfo {
        std::optional<std::string> model; // the model identifier
        std::optional<std::string> serialNumber;
    };

    // What the processor core nodes tell.
    struct AppleSiliconCores {
        std::optional<int32_t> eCores;
        std::optional<int32_t> pCores;
        std::vector<core_s> cores; // registry order
    };

    // The one instance, gathered on first access on the caller's thread; others asking meanwhile wait.
    // It stays at one address for the life of the process: callers may keep the reference.
    static SystemKit& shared();

    // Runs every probe.
    SystemKit();
    SystemKit(const SystemKit&) = delete;
    SystemKit& operator=(const SystemKit&) = delete;

    device_s device;
    NextLog log;

    // Model identifier → model (with an empty id), and the same rows in table order.
    static const std::map<std::string, model_s, std::less<>>& models();
    static const std::vector<std::pair<std::string, model_s>>& modelRows();
    // Version key ("10.15", "14") → marketing name.
    static const std::map<std::string, std::string, std::less<>>& osNames();

    // The readers, in the order the construction asks them.
    static std::optional<PlatformExpertInfo> platformExpertInfo();
    static std::optional<std::string> modelID();
    static std::optional<model_s> modelFromSystemProfiler();
    static std::optional<std::chrono::system_clock::time_point> bootDate();
    static os_s operatingSystem(const OperatingSystemVersion& version, std::string_view versionString);
    static std::optional<cpu_s> getCPU();
    static std::optional<AppleSiliconCores> appleSiliconCores();
    static std::optional<ram_s> getRAM();
    static std::optional<std::vector<gpu_s>> getGPUs();
    static std::optional<disk_s> getDisk();
    // The machine family a processor name tells; nothing when it names no known generation.
    static std::optional<Platform> platformFromCPUName(std::string_view name);

private:
    friend struct ::TestAccess;
    // Tests, while no other thread uses it: the next shared() gathers again, in place; references taken
    // before stay valid and name the new record.
    static void resetForTesting();
};

} // namespace Aerlo
