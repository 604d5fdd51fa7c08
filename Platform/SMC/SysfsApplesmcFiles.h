#pragma once

#include "Platform/SMC/ApplesmcFiles.h"
#include "Platform/SMC/SMCExport.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace IOKit {

// The files of a device folder in sysfs (the applesmc device, or an hwmon folder): each read opens, reads to the end
// and closes; each write is a single write(2), as the driver's store functions expect.
class AERLO_SMC_EXPORT SysfsApplesmcFiles : public ApplesmcFiles {
public:
    static constexpr const char* deviceDirectory = "/sys/devices/platform/applesmc.768";

    explicit SysfsApplesmcFiles(std::filesystem::path directory = deviceDirectory);

    Contents read(std::string_view name) override;
    int write(std::string_view name, std::string_view text) override;

    // Whether the driver is loaded: its key count can be read under `directory`.
    static bool deviceExists(const std::filesystem::path& directory = deviceDirectory);

    // The name the macsmc-hwmon driver (Apple silicon) gives its hwmon folder.
    static constexpr std::string_view macsmcHwmonName = "macsmc_hwmon";
    // The hwmon folder under `classDirectory` whose "name" is `name`, if there is one.
    static std::optional<std::filesystem::path>
    hwmonDirectory(std::string_view name, const std::filesystem::path& classDirectory = "/sys/class/hwmon");

private:
    std::filesystem::path directory_;
};

} // namespace IOKit
