#pragma once

#include "Platform/SMC/MachineProfile.h"
#include "Platform/System/SystemExport.h"

#include <filesystem>

namespace SystemPlatform {

// The facts of the real Mac this program runs on under Linux, for the system-facts stand-ins when the
// SMC is the applesmc driver: the model from the DMI product name ("MacBookPro11,4"), the CPU and its
// cores from /proc/cpuinfo, the memory from /proc/meminfo (rounded up to whole GiB, as installed), the
// architecture from uname and the OS version from the kernel release ("6.1.0"). The profile has no
// SMC keys, fans or modelled extras; a fact that cannot be read stays empty.
class AERLO_SYSTEM_EXPORT HostMachine {
public:
    static SMCSim::MachineProfile profile(const std::filesystem::path& root = "/");
};

} // namespace SystemPlatform
