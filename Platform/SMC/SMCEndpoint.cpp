#include "Platform/SMC/SMCEndpoint.h"

#include "Platform/Foundation/Console.h"
#include "Platform/SMC/ApplesmcTransport.h"
#include "Platform/SMC/SimSmcTransport.h"
#include "Platform/SMC/SocketSmcTransport.h"
#include "Platform/SMC/SysfsApplesmcFiles.h"

#include <cstdlib>
#include <unistd.h>

namespace IOKit {

std::string SMCEndpoint::specFromEnvironment()
{
    const char* variable = std::getenv("AERLO_SMC");
    const bool unset = !variable || !*variable;
    const bool applesmc = unset && SysfsApplesmcFiles::deviceExists();
    return specFor(variable, applesmc,
                   unset && !applesmc && SysfsApplesmcFiles::hwmonDirectory(SysfsApplesmcFiles::macsmcHwmonName));
}

std::string SMCEndpoint::specFor(const char* variable, bool applesmcPresent, bool macsmcPresent)
{
    const std::string_view spec = variable ? variable : "";
    if (spec.empty() && applesmcPresent)
        return "applesmc";
    if (spec.empty() && macsmcPresent)
        return "macsmc";
    if (spec.empty() || spec == "smcsim")
        return "socket:" + SocketSmcProtocol::defaultSocketPath().string();
    return std::string(spec);
}

std::shared_ptr<ServiceRegistry> SMCEndpoint::makeRegistry(std::string_view spec, bool privileged,
                                                           const std::filesystem::path& indexLock)
{
    if (spec == "smcsim")
        return makeRegistry(specFor("smcsim", false), privileged);
    if (spec.starts_with("inproc:")) {
        if (auto profile = SMCSim::MachineProfile::load(spec.substr(7))) {
            auto device = std::make_shared<SMCSim::SimSmcDevice>(*profile);
            return registryForDevice(std::move(device), profile->service, privileged);
        }
        return std::make_shared<ServiceRegistry>();
    }
    if (spec.starts_with("socket:") && spec.size() > 7) {
        auto registry = std::make_shared<ServiceRegistry>();
        registry->registerService("AppleSMC",
                                  std::make_shared<SocketSmcTransport>(std::string(spec.substr(7)), privileged));
        return registry;
    }
    if (spec == "applesmc") {
        auto registry = std::make_shared<ServiceRegistry>();
        registry->registerService("AppleSMC",
                                  std::make_shared<ApplesmcTransport>(std::make_shared<SysfsApplesmcFiles>(),
                                                                      privileged && ::geteuid() == 0,
                                                                      ApplesmcTransport::Driver::applesmc, indexLock));
        return registry;
    }
    if (spec == "macsmc") {
        auto registry = std::make_shared<ServiceRegistry>();
        if (const auto folder = SysfsApplesmcFiles::hwmonDirectory(SysfsApplesmcFiles::macsmcHwmonName))
            registry->registerService(
                "AppleSMC", std::make_shared<ApplesmcTransport>(std::make_shared<SysfsApplesmcFiles>(*folder), false,
                                                                ApplesmcTransport::Driver::macsmcHwmon));
        else
            Foundation::Console::printError("AERLO_SMC: no macsmc-hwmon device");
        return registry;
    }
    Foundation::Console::printError("AERLO_SMC: no SMC transport for \"" + std::string(spec) + "\"");
    return std::make_shared<ServiceRegistry>();
}

std::shared_ptr<ServiceRegistry> SMCEndpoint::registryForDevice(std::shared_ptr<SMCSim::SimSmcDevice> device,
                                                                const SMCSim::ServiceSettings& service, bool privileged)
{
    auto registry = std::make_shared<ServiceRegistry>();
    if (service.present)
        registry->registerService("AppleSMC", std::make_shared<SMCSim::SimSmcTransport>(std::move(device), privileged));
    registry->setMatchingFailure(service.matchingFailure);
    return registry;
}

} // namespace IOKit
