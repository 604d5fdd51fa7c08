#pragma once

#include "Platform/SMC/ServiceRegistry.h"
#include "Platform/SMC/SimSmcTransport.h"

#include <atomic>
#include <memory>

// The simulated SMC behind a plug: pulled, every exchange fails as for a device that is gone.
class PluggedTransport : public IOKit::SMCTransport {
public:
    PluggedTransport(std::shared_ptr<SMCSim::SimSmcDevice> device, bool privileged)
        : inner_(std::move(device), privileged)
    {
    }
    std::atomic<bool> pulled {false};

    IOKit::kern_return_t open(std::uint32_t type, std::uint32_t& connection) override
    {
        return inner_.open(type, connection);
    }
    IOKit::kern_return_t call(std::uint32_t connection, std::uint32_t selector, const IOKit::SMCRecord& input,
                              IOKit::SMCRecord& output) override
    {
        return pulled ? IOKit::kIOReturnNoDevice : inner_.call(connection, selector, input, output);
    }
    IOKit::kern_return_t close(std::uint32_t connection) override { return inner_.close(connection); }

    // A registry whose "AppleSMC" is this plug.
    static std::shared_ptr<IOKit::ServiceRegistry> registryWith(std::shared_ptr<PluggedTransport> plug)
    {
        auto registry = std::make_shared<IOKit::ServiceRegistry>();
        registry->registerService("AppleSMC", std::move(plug));
        return registry;
    }

private:
    SMCSim::SimSmcTransport inner_;
};
