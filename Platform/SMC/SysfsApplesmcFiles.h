#pragma once

#include "Platform/SMC/SMCExport.h"

#include "Platform/SMC/ApplesmcFiles.h"

#include <filesystem>

namespace IOKit {

// The applesmc device's files in sysfs: each read opens, reads to the end and closes; each write is a
// single write(2), as the driver's store functions expect.
class AERLO_SMC_EXPORT SysfsApplesmcFiles : public ApplesmcFiles {
public:
    static constexpr const char* deviceDirectory = "/sys/devices/platform/applesmc.768";

    explicit SysfsApplesmcFiles(std::filesystem::path directory = deviceDirectory);

    Contents read(std::string_view name) override;
    int write(std::string_view name, std::string_view text) override;

    // Whether the driver is loaded: its key count can be read under `directory`.
    static bool deviceExists(const std::filesystem::path& directory = deviceDirectory);

private:
    std::filesystem::path directory_;
};

} // namespace IOKit
