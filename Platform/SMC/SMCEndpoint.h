#pragma once

#include "Platform/SMC/MachineProfile.h"
#include "Platform/SMC/SMCExport.h"
#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/SMC/SimSmcDevice.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace IOKit {

// Where this process's "AppleSMC" service comes from, chosen by AERLO_SMC:
//   "inproc:<profile>[+overlay…]"  a simulated device inside this process (tests);
//   "socket:<path>"                the shared simulator (smcsim) serving that socket;
//   "smcsim"                       the root's simulator socket (SocketSmcProtocol::defaultSocketPath);
//   "applesmc"                     the Linux applesmc driver of a real Mac (SysfsApplesmcFiles);
//   "macsmc"                       the macsmc-hwmon driver of an Apple-silicon Mac, read-only.
// Unset: "applesmc" when the driver's device exists, else "macsmc" when that driver's hwmon folder does,
// else "smcsim".
class AERLO_SMC_EXPORT SMCEndpoint {
public:
    static std::string specFromEnvironment();
    // The spec for a value of AERLO_SMC (null when unset) on a machine with or without the device.
    static std::string specFor(const char* variable, bool applesmcPresent, bool macsmcPresent = false);
    // A registry whose "AppleSMC" service is reached as `spec` says. A spec that cannot be served gives
    // a registry without the service, after one line on standard error. The applesmc driver's key index
    // is moved only by a privileged registry of a root process, under the lock file `indexLock`.
    static std::shared_ptr<ServiceRegistry> makeRegistry(std::string_view spec, bool privileged,
                                                         const std::filesystem::path& indexLock = {});
    // A registry serving `device`, with the profile's service settings (presence, matching failure).
    static std::shared_ptr<ServiceRegistry> registryForDevice(std::shared_ptr<SMCSim::SimSmcDevice> device,
                                                              const SMCSim::ServiceSettings& service, bool privileged);
};

} // namespace IOKit
